// Anatomic pathology: the histopathology, cytology and Pap smear reports, the conforme, and the
// versions of a report.
//
// A report saved again after it was signed is an amended report: the row records when and by whom,
// and the printed report says "AMENDED". Earlier versions are not kept in a table of their own: every
// save is in the audit trail as the command the screen sent, so version k of a report is the state
// after replaying the request's first k save commands. A value holding a single quote cannot be told
// apart from the separators in the audit text (the screens turn typed quotes into backticks, so it
// only comes from pasted text); such a version is refused with a clear message, never guessed.

#include "labdb/procedures.h"
#include "labdb/session.h"
#include "prochelpers.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace labdb {

namespace {

using namespace helpers;

// Argument position -> column, for one save procedure. Position 0 is the bare 0/1 flag, 1 the
// request number; dates are parsed, the rest stored as sent.
struct SaveShape {
    const char *procedure;
    const char *table;
    const char *formKind; // "" when the table has no FormKind
    std::vector<const char *> columns; // from argument 2 on; nullptr: not stored
    std::vector<const char *> dateColumns;
};

const SaveShape kHistopath{"Lab_Save_Histopath",
                           "tbLabHistopath",
                           "H",
                           {"PathologyNum", "Specimen", "clinicaldiagnosis", "GrossDescription", "Diagnosis",
                            "Comments", "ResultDate", "ReaderID", "PhysicianID", "Physician", "strRequestDate",
                            "samplesubmitted", "lratime", "ResidentID", "diagnosis1", "diagnosis2", "microscopic",
                            "Conforme", "Signature", "ConPathologist"},
                           {"ResultDate", "samplesubmitted", "lratime"}};

const SaveShape kCytology{"Lab_Save_Cytology",
                          "tbLabHistopath",
                          "C",
                          {"PathologyNum", "Specimen", "clinicaldiagnosis", "GrossDescription", "Diagnosis", "Result1",
                           "Result2", "Result3", "ResultDate", "ReaderID", "PhysicianID", "Physician",
                           "strRequestDate", "samplesubmitted", "lratime", "ResidentID", "Conforme", "Signature",
                           "ConPathologist"},
                          {"ResultDate", "samplesubmitted", "lratime"}};

const SaveShape kPapsmear{"Lab_Save_Papsmear",
                          "tbLabPapsmear",
                          "",
                          {"CytologyNum", "LMP", "Specimen", "SpAdequacy", "Generalcategory", "Remarks",
                           "clinicaldiagnosis", "ResultDate", "ReaderID", "PhysicianID", "Physician", "ResidentID",
                           "SA1", "SA2", "SpecimenType"},
                          {"ResultDate"}};

bool isDate(const SaveShape &shape, const std::string &column)
{
    for (const char *d : shape.dateColumns) {
        if (column == d)
            return true;
    }
    return false;
}

using State = std::map<std::string, Value>;

// The columns one save sets, from its arguments (positions 2 ... as the shape lists them).
State columnsOf(const SaveShape &shape, const std::vector<Value> &args, std::size_t first)
{
    State s;
    for (std::size_t i = 0; i < shape.columns.size(); ++i) {
        const std::string column = shape.columns[i];
        const Value &v = args.at(first + i);
        s[column] = isDate(shape, column) ? Value(parseDateTimeText(v ? *v : std::string())) : v.value_or("");
    }
    if (*shape.formKind)
        s["FormKind"] = std::string(shape.formKind);
    return s;
}

bool isSigned(ProcCall &call, const std::string &requestNum)
{
    return !call.sql("SELECT 1 FROM " + call.t(Database::Laboratory, "tbLabResultMedTech") +
                         " WHERE RequestNum = ? AND MedTechID <> ''",
                     {requestNum})
                .rows.empty();
}

// First save (flag 0) inserts; a later save (flag 1) updates what it carries, and marks the report
// amended when it had been signed. A first save over an existing row is refused: another
// workstation got there first.
ResultSet saveReport(ProcCall &call, const SaveShape &shape)
{
    const std::string flag = call.arg(0);
    if (flag != "0" && flag != "1")
        throw DbError("The save flag must be 0 or 1, not '" + flag + "'.");
    const std::string requestNum = keyArg(call, 1);
    if (requestNum.empty())
        throw DbError("A report needs a request number.");
    call.savesResultOf(requestNum);
    const std::string table = call.t(Database::Laboratory, shape.table);
    const bool exists = !call.sql("SELECT 1 FROM " + table + " WHERE RequestNum = ?", {requestNum}).rows.empty();
    if (flag == "0" && exists)
        throw DbError("Request " + requestNum + " already has a stored result.", DbError::Kind::Constraint);

    State s = columnsOf(shape, call.args, 2);
    s["EmployeeCode"] = call.session.auditUser();
    const std::string now = call.db.nowExpr();
    std::vector<std::string> names;
    std::vector<Value> values;
    for (const auto &[column, value] : s) {
        names.push_back(column);
        values.push_back(value);
    }
    if (exists) {
        std::string sql = "UPDATE " + table + " SET SavedAt = " + now;
        for (const std::string &n : names)
            sql += ", " + n + " = ?";
        if (isSigned(call, requestNum)) {
            sql += ", AmendedAt = " + now + ", AmendedBy = ?";
            values.push_back(call.session.auditUser());
        }
        values.push_back(requestNum);
        call.sql(sql + " WHERE RequestNum = ?", values);
        return {};
    }
    std::string cols = "RequestNum, SavedAt";
    std::string marks = "?, " + now;
    for (const std::string &n : names) {
        cols += ", " + n;
        marks += ", ?";
    }
    values.insert(values.begin(), requestNum);
    call.sql("INSERT INTO " + table + " (" + cols + ") VALUES (" + marks + ")", values);
    return {};
}

// The report row with the loader's column names: the number under both of its names, every text
// column empty rather than Null.
const char *const kReportSelect =
    "SELECT PathologyNum AS HistopathNum, PathologyNum AS CytologyNum, Specimen, clinicaldiagnosis, "
    "GrossDescription, Diagnosis, Comments, ResultDate, strRequestDate, samplesubmitted, lratime, diagnosis1, "
    "diagnosis2, microscopic, Result1, Result2, Result3, Conforme, Signature, ConPathologist, ReaderID, PhysicianID, "
    "Physician, ResidentID, FormKind, EmployeeCode, SavedAt, AmendedAt, AmendedBy";

ResultSet getResultFromTable(ProcCall &call)
{
    if (!iequals(trimmed(call.arg(0)), "H"))
        throw DbError("Lab_GetResultFromTable knows the table 'H' (histopathology and cytology), not '" + call.arg(0) +
                      "'.");
    return call.sql(std::string(kReportSelect) + " FROM " + call.t(Database::Laboratory, "tbLabHistopath") +
                        " WHERE RequestNum = ?",
                    {keyArg(call, 1)});
}

const char *const kPapSelect =
    "SELECT p.CytologyNum, p.LMP, p.Specimen, p.SpAdequacy, p.Generalcategory, p.Remarks, p.clinicaldiagnosis, "
    "p.ResultDate, p.ReaderID, p.PhysicianID, p.Physician, p.ResidentID, p.SA1, p.SA2, p.SpecimenType, "
    "COALESCE(l.samplesubmitted, p.ResultDate) AS samplesubmitted, "
    "COALESCE(l.DateFinished, l.lratime, p.ResultDate) AS lratime, p.EmployeeCode, p.SavedAt, p.AmendedAt, "
    "p.AmendedBy";

// The Pap smear row; the submitted and LRA times live in the logbook row only.
ResultSet getResultPapsmear(ProcCall &call)
{
    return call.sql(std::string(kPapSelect) + " FROM " + call.t(Database::Laboratory, "tbLabPapsmear") +
                        " p LEFT JOIN " + call.t(Database::Laboratory, "tbLabLogbook") +
                        " l ON l.RequestNum = p.RequestNum WHERE p.RequestNum = ?",
                    {keyArg(call, 0)});
}

ResultSet getConforme(ProcCall &call)
{
    return call.sql("SELECT Conforme, ConPathologist, Signature FROM " + call.t(Database::Laboratory, "tbLabConforme") +
                        " WHERE RequestNum = ?",
                    {keyArg(call, 0)});
}

// request, conforme (0/1), scanned signature (0/1), the concurring pathologist's name.
ResultSet saveConforme(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    call.savesResultOf(requestNum);
    for (std::size_t i : {std::size_t{1}, std::size_t{2}}) {
        const std::string v = trimmed(call.arg(i));
        if (!v.empty() && v != "0" && v != "1")
            throw DbError("The conforme and signature values are 0 or 1, not '" + v + "'.");
    }
    const std::string table = call.t(Database::Laboratory, "tbLabConforme");
    const ResultSet rs = call.sql("UPDATE " + table + " SET Conforme = ?, Signature = ?, ConPathologist = ? "
                                  "WHERE RequestNum = ?",
                                  {call.arg(1), call.arg(2), call.arg(3), requestNum});
    if (rs.rowsAffected == 0)
        call.sql("INSERT INTO " + table + " (RequestNum, Conforme, Signature, ConPathologist) VALUES (?, ?, ?, ?)",
                 {requestNum, call.arg(1), call.arg(2), call.arg(3)});
    return {};
}

// ---- Versions, replayed from the audit trail ----

struct AuditedSave {
    long long auditId = 0;
    Value when;
    std::string who;
    const SaveShape *shape = nullptr; // null for a conforme save
    std::optional<std::vector<Value>> args; // all arguments, flag first; none when unreadable
};

// The arguments of an audited command of this procedure, or nothing when the text does not split
// into exactly the expected values.
std::optional<std::vector<Value>> auditedArgs(const std::string &text, const char *procedure, std::size_t quoted,
                                              bool flagged)
{
    const std::string lower = toLower(text);
    const std::size_t at = lower.find(toLower(procedure));
    if (at == std::string::npos)
        return std::nullopt;
    CommandText parsed;
    try {
        parsed = CommandText::fromText(text.substr(at + std::string(procedure).size()));
    } catch (const DbError &) {
        return std::nullopt;
    }
    if (parsed.values().size() != quoted)
        return std::nullopt;
    std::vector<Value> args;
    if (flagged) {
        const std::string &shape = parsed.shape();
        const std::size_t digit = shape.find_first_of("01");
        if (digit == std::string::npos || digit > shape.find(CommandText::kMarker))
            return std::nullopt;
        args.emplace_back(std::string(1, shape[digit]));
    }
    for (const Value &v : parsed.values())
        args.push_back(v);
    return args;
}

// Every audited save of the request's report, oldest first; the conforme saves too when asked.
std::vector<AuditedSave> auditedSaves(ProcCall &call, const std::string &requestNum,
                                      const std::vector<const SaveShape *> &shapes, bool withConforme)
{
    std::vector<AuditedSave> out;
    std::string sql = "SELECT AuditID, AuditTime, EmployeeCode, CommandText FROM " +
                      call.t(Database::Laboratory, "tbAuditTrail") + " WHERE CommandText LIKE ? AND (";
    std::vector<Value> params{"%" + requestNum + "%"};
    bool first = true;
    for (const SaveShape *s : shapes) {
        sql += std::string(first ? "" : " OR ") + "LOWER(CommandText) LIKE ?";
        params.emplace_back("%" + toLower(s->procedure) + "%");
        first = false;
    }
    if (withConforme) {
        sql += " OR LOWER(CommandText) LIKE ?";
        params.emplace_back("%lab_save_conforme%");
    }
    const ResultSet rs = call.sql(sql + ") ORDER BY AuditID", params);
    for (const Row &r : rs.rows) {
        const std::string text = textOf(r[3]);
        AuditedSave save{std::stoll(textOf(r[0])), r[1], textOf(r[2]), nullptr, std::nullopt};
        for (const SaveShape *s : shapes) {
            if (toLower(text).find(toLower(s->procedure)) != std::string::npos) {
                save.shape = s;
                save.args = auditedArgs(text, s->procedure, s->columns.size() + 1, true);
                break;
            }
        }
        if (!save.shape)
            save.args = auditedArgs(text, "Lab_Save_Conforme", 4, false);
        // The request number is matched exactly once the text is read; an unreadable save of this
        // procedure still counts as a version, so the numbering never shifts.
        const std::size_t keyAt = save.shape ? 1 : 0;
        if (save.args && trimmed(textOf(save.args->at(keyAt))) != requestNum)
            continue;
        if (!save.args && !save.shape)
            continue;
        out.push_back(std::move(save));
    }
    return out;
}

long long signedBefore(ProcCall &call, const std::string &requestNum, long long auditId)
{
    const ResultSet rs = call.sql("SELECT CommandText FROM " + call.t(Database::Laboratory, "tbAuditTrail") +
                                      " WHERE AuditID < ? AND LOWER(CommandText) LIKE ? AND CommandText LIKE ?",
                                  {std::to_string(auditId), "%lab_updatemedtech%", "%" + requestNum + "%"});
    long long n = 0;
    for (const Row &r : rs.rows) {
        const auto args = auditedArgs(textOf(r[0]), "Lab_UpdateMedTech", 3, false);
        if (args && trimmed(textOf(args->at(0))) == requestNum && !trimmed(textOf(args->at(1))).empty())
            ++n;
    }
    return n;
}

// The report as the k-th save left it (k counted from 1), with what was current next to it.
struct Version {
    State state;
    long long number = 0;
    long long count = 0;
};

std::optional<Version> replay(ProcCall &call, const std::string &requestNum, const std::string &versionText,
                              const std::vector<const SaveShape *> &shapes, bool withConforme)
{
    const std::vector<AuditedSave> saves = auditedSaves(call, requestNum, shapes, withConforme);
    long long count = 0;
    for (const AuditedSave &s : saves)
        count += s.shape ? 1 : 0;
    long long wanted = 0;
    try {
        std::size_t used = 0;
        wanted = std::stoll(versionText, &used);
        if (used != versionText.size())
            wanted = -1;
    } catch (const std::exception &) {
        wanted = -1;
    }
    if (wanted < 1 || wanted > count)
        throw DbError("Request " + requestNum + " has " + std::to_string(count) + " saved version" +
                      (count == 1 ? "" : "s") + " of its report; there is no version '" + versionText + "'.");

    Version v;
    v.number = wanted;
    v.count = count;
    long long seen = 0;
    for (const AuditedSave &s : saves) {
        if (!s.shape) {
            if (seen >= 1 && seen <= wanted && s.args) {
                v.state["Conforme"] = s.args->at(1);
                v.state["Signature"] = s.args->at(2);
                v.state["ConPathologist"] = s.args->at(3);
            }
            continue;
        }
        if (++seen > wanted)
            break;
        if (!s.args)
            throw DbError("Version " + std::to_string(seen) + " of the report of request " + requestNum +
                          " cannot be read back from the audit trail: one of its values holds a single quote.");
        for (auto &[column, value] : columnsOf(*s.shape, *s.args, 2))
            v.state[column] = value;
        v.state["EmployeeCode"] = s.who;
        v.state["SavedAt"] = s.when;
        if (seen > 1 && signedBefore(call, requestNum, s.auditId) > 0) {
            v.state["AmendedAt"] = s.when;
            v.state["AmendedBy"] = s.who;
        } else {
            v.state["AmendedAt"] = Value();
            v.state["AmendedBy"] = std::string();
        }
    }
    return v;
}

// The report row of a printed report: the current one, or with a version number the one that
// version left. Columns Version, Versions and Superseded say which it is.
ResultSet reportRow(ProcCall &call, const ResultSet &current, const std::vector<const SaveShape *> &shapes,
                    bool withConforme, const std::map<std::string, std::string> &aliases)
{
    const std::string requestNum = keyArg(call, 0);
    const std::string versionText = trimmed(call.count() > 1 ? call.arg(1) : std::string());
    ResultSet rs = current;
    rs.columns.push_back("Version");
    rs.columns.push_back("Versions");
    rs.columns.push_back("Superseded"); // "Y" on an earlier version
    const auto saves = auditedSaves(call, requestNum, shapes, false);
    const std::string count = std::to_string(saves.size());
    if (versionText.empty() || versionText == "0" || versionText == count) {
        for (Row &r : rs.rows) {
            r.emplace_back(count);
            r.emplace_back(count);
            r.emplace_back(std::string());
        }
        return rs;
    }
    const std::optional<Version> v = replay(call, requestNum, versionText, shapes, withConforme);
    // PostgreSQL gives the column names in lower case.
    std::map<std::string, Value> byName;
    for (const auto &[column, value] : v->state)
        byName[toLower(column)] = value;
    Row row;
    for (const std::string &c : current.columns) {
        const auto alias = aliases.find(toLower(c));
        const auto it = byName.find(toLower(alias == aliases.end() ? c : alias->second));
        row.push_back(it == byName.end() ? Value(std::string()) : it->second);
    }
    row.emplace_back(std::to_string(v->number));
    row.emplace_back(std::to_string(v->count));
    row.emplace_back(std::string("Y"));
    rs.rows = {row};
    return rs;
}

// Keyed in lower case, as the row's column names are compared.
const std::map<std::string, std::string> kHistopathAliases{{"histopathnum", "PathologyNum"},
                                                           {"cytologynum", "PathologyNum"}};

// request[, version]: the histopathology or cytology report row for printing.
ResultSet getPathologyReport(ProcCall &call)
{
    const ResultSet current = call.sql(std::string(kReportSelect) + " FROM " +
                                           call.t(Database::Laboratory, "tbLabHistopath") + " WHERE RequestNum = ?",
                                       {keyArg(call, 0)});
    ResultSet rs = reportRow(call, current, {&kHistopath, &kCytology}, false, kHistopathAliases);
    // The cytology sources as the report prints them: the note of a ticked source ("Yes" without
    // one), empty otherwise.
    const char *const sources[] = {"Result1", "Result2", "Result3"};
    const char *const printed[] = {"BodyFluids", "FNABSite", "CTScanGuided"};
    for (int k = 0; k < 3; ++k) {
        const int at = rs.columnIndex(sources[k]);
        rs.columns.emplace_back(printed[k]);
        for (Row &r : rs.rows) {
            const std::string v = textOf(r[static_cast<std::size_t>(at)]);
            const std::size_t bar = v.find('|');
            const bool ticked = std::atoi(v.substr(0, bar).c_str()) != 0;
            const std::string note = bar == std::string::npos ? std::string() : v.substr(bar + 1);
            r.emplace_back(ticked ? (trimmed(note).empty() ? std::string("Yes") : note) : std::string());
        }
    }
    return rs;
}

// request[, version]: the Pap smear report row for printing, with its conforme.
ResultSet getPapsmearReport(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    ResultSet current = call.sql(std::string(kPapSelect) + ", c.Conforme, c.Signature, c.ConPathologist FROM " +
                                     call.t(Database::Laboratory, "tbLabPapsmear") + " p LEFT JOIN " +
                                     call.t(Database::Laboratory, "tbLabLogbook") +
                                     " l ON l.RequestNum = p.RequestNum LEFT JOIN " +
                                     call.t(Database::Laboratory, "tbLabConforme") +
                                     " c ON c.RequestNum = p.RequestNum WHERE p.RequestNum = ?",
                                 {requestNum});
    ResultSet rs = reportRow(call, current, {&kPapsmear}, true, {});
    // The check-box groups as the report ticks them: "X" for a ticked box, empty otherwise.
    const struct {
        const char *column;
        std::vector<const char *> boxes;
    } groups[] = {{"Specimen", {"Cervical", "Vaginal", "Endocervical", "Endometrial"}},
                  {"SpAdequacy", {"Satisfactory", "Unsatisfactory"}},
                  {"Generalcategory", {"NILM", "EpithelialAbnormality"}}};
    for (const auto &g : groups) {
        const int at = rs.columnIndex(g.column);
        for (const char *box : g.boxes)
            rs.columns.emplace_back(box);
        for (Row &r : rs.rows) {
            const std::string v = textOf(r[static_cast<std::size_t>(at)]);
            std::size_t from = 0;
            for (std::size_t i = 0; i < g.boxes.size(); ++i) {
                const std::size_t bar = v.find('|', from);
                const std::string part = from > v.size() ? std::string() : v.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
                r.emplace_back(std::atoi(part.c_str()) != 0 ? std::string("X") : std::string());
                from = bar == std::string::npos ? v.size() + 1 : bar + 1;
            }
        }
    }
    const int type = rs.columnIndex("SpecimenType");
    rs.columns.emplace_back("SpecimenTypeText");
    for (Row &r : rs.rows) {
        const std::string v = trimmed(textOf(r[static_cast<std::size_t>(type)]));
        r.emplace_back(v.empty() ? std::string() : v == "0" ? std::string("Conventional") : std::string("Liquid based"));
    }
    return rs;
}

// request: the saved versions of the request's pathology report, oldest first.
ResultSet getPathologyVersions(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    ResultSet rs;
    rs.columns = {"Version", "SavedAt", "SavedBy", "Procedure", "Readable"};
    long long n = 0;
    for (const AuditedSave &s : auditedSaves(call, requestNum, {&kHistopath, &kCytology, &kPapsmear}, false))
        rs.rows.push_back({std::to_string(++n), s.when, s.who, std::string(s.shape->procedure),
                           std::string(s.args ? "Y" : "N")});
    return rs;
}

// doctor code: the doctor as reports name them.
ResultSet getDoctorName(ProcCall &call)
{
    const ResultSet src = call.sql("SELECT FirstName, MiddleName, LastName FROM " +
                                       call.t(Database::BuildFile, "tbCoDoctor") + " WHERE DoctorID = ?",
                                   {keyArg(call, 0)});
    ResultSet rs;
    rs.columns = {"Doctor"};
    for (const Row &r : src.rows)
        rs.rows.push_back({doctorName(textOf(r[0]), textOf(r[1]), textOf(r[2]))});
    return rs;
}

} // namespace

void registerPathologyProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_GetResultFromTable", 2, 2, false, &getResultFromTable});
    r.add({Database::Laboratory, "Lab_Save_Histopath", 22, 22, true,
           [](ProcCall &call) { return saveReport(call, kHistopath); }});
    r.add({Database::Laboratory, "Lab_Save_Cytology", 21, 21, true,
           [](ProcCall &call) { return saveReport(call, kCytology); }});
    r.add({Database::Laboratory, "Lab_GetResultPapsmear", 1, 1, false, &getResultPapsmear});
    r.add({Database::Laboratory, "Lab_Save_Papsmear", 17, 17, true,
           [](ProcCall &call) { return saveReport(call, kPapsmear); }});
    r.add({Database::Laboratory, "Lab_Get_Conforme", 1, 1, false, &getConforme});
    r.add({Database::Laboratory, "Lab_Save_Conforme", 4, 4, true, &saveConforme});
    r.add({Database::Laboratory, "Lab_GetPathologyReport", 1, 2, false, &getPathologyReport});
    r.add({Database::Laboratory, "Lab_GetPapsmearReport", 1, 2, false, &getPapsmearReport});
    r.add({Database::Laboratory, "Lab_GetPathologyVersions", 1, 1, false, &getPathologyVersions});
    r.add({Database::Laboratory, "Lab_GetDoctorName", 1, 1, false, &getDoctorName});
}

} // namespace labdb
