// Microbiology: culture and sensitivity (the result header and one code per antibiotic and
// organism), and the bacteriology report with its antibiotic panels by organism group.

#include "labdb/procedures.h"
#include "labdb/session.h"
#include "prochelpers.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace labdb {

namespace {

using namespace helpers;

std::string requestOf(const ProcCall &call, std::size_t i = 0)
{
    std::string r = keyArg(call, i);
    if (r.empty())
        throw DbError(std::string(call.name) + ": a request number is needed.");
    return r;
}

std::string upper(std::string s)
{
    for (char &c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

// "N": every active antibiotic, with what is stored for the request (an antibiotic since retired
// still shows when it was reported). "Y", a final result: only the antibiotics reported. "R", for
// the printed report: the antibiotics with a code that may be released, codes marked "*" left blank.
ResultSet getCSCodes(ProcCall &call)
{
    const std::string requestNum = requestOf(call);
    const std::string mode = upper(keyArg(call, 1));
    if (mode != "N" && mode != "Y" && mode != "R")
        throw DbError("Lab_Get_CSCodes: the second value must be N, Y or R, not '" + call.arg(1) + "'.");
    const std::string codes = call.t(Database::Laboratory, "tbLabResultCSCodes");
    const std::string released = mode == "R" ? " AND %.Result NOT LIKE '%*'" : "";
    const auto on = [&](const std::string &alias) {
        std::string r = released;
        if (const auto at = r.find('%'); at != std::string::npos)
            r.replace(at, 1, alias);
        return r;
    };
    std::string select = "SELECT a.Code, a.Description";
    std::string joins;
    std::vector<Value> params;
    for (int org = 1; org <= 4; ++org) {
        const std::string c = "c" + std::to_string(org);
        select += ", COALESCE(" + c + ".Result, '') AS Result" + std::to_string(org) + ", COALESCE(" + c +
                  ".Zone, '') AS Zone" + std::to_string(org);
        joins += " LEFT JOIN " + codes + " " + c + " ON " + c + ".RequestNum = ? AND " + c + ".Code = a.Code AND " +
                 c + ".OrganismNo = '" + std::to_string(org) + "'" + on(c);
        params.emplace_back(requestNum);
    }
    const std::string reported =
        "EXISTS (SELECT 1 FROM " + codes + " r WHERE r.RequestNum = ? AND r.Code = a.Code" + on("r") + ")";
    params.emplace_back(requestNum);
    const std::string where = mode == "N" ? "(a.Status = 'A' OR " + reported + ")" : reported;
    return call.sql(select + " FROM " + call.t(Database::BuildFile, "tbCoAntibiotic") + " a" + joins + " WHERE " +
                        where + " ORDER BY a.Description, a.Code",
                    params);
}

// The result header; Tested1..Tested4 are "Y" for each organism with a code that may be released,
// so a report prints only the organisms it has antibiotics for.
ResultSet getCSResults(ProcCall &call)
{
    const std::string requestNum = requestOf(call);
    std::string tested;
    std::vector<Value> params;
    for (int org = 1; org <= 4; ++org) {
        tested += ", CASE WHEN EXISTS (SELECT 1 FROM " + call.t(Database::Laboratory, "tbLabResultCSCodes") +
                  " c WHERE c.RequestNum = ? AND c.OrganismNo = '" + std::to_string(org) +
                  "' AND c.Result NOT LIKE '%*') THEN 'Y' ELSE '' END AS Tested" + std::to_string(org);
        params.emplace_back(requestNum);
    }
    params.emplace_back(requestNum);
    return call.sql("SELECT ResultDate, InoculationDate, Organism, Specimen, Additional, AccessionNum, "
                    "samplesubmitted, lratime, microscopy, ColonyCount, Org1, Org2, Org3, Org4, Remarks, Method, "
                    "DateFinished, FinalResult" + tested + " FROM " +
                        call.t(Database::Laboratory, "tbLabResultCS") + " WHERE RequestNum = ?",
                    params);
}

ResultSet deleteCSCodes(ProcCall &call)
{
    call.sql("DELETE FROM " + call.t(Database::Laboratory, "tbLabResultCSCodes") + " WHERE RequestNum = ?",
             {requestOf(call)});
    return {};
}

// request, antibiotic, code (S, I, R, with "*" when not to be released), organism 1..4, zone.
ResultSet saveCSCode(ProcCall &call)
{
    const std::string requestNum = requestOf(call);
    call.requireRequest(requestNum);
    const std::string code = keyArg(call, 1);
    const std::string result = upper(trimmed(call.arg(2)));
    const std::string organism = trimmed(call.arg(3));
    static const std::vector<std::string> valid{"S", "I", "R", "S*", "I*", "R*"};
    if (std::find(valid.begin(), valid.end(), result) == valid.end())
        throw DbError("Lab_Save_CSCodes: '" + call.arg(2) + "' is not a sensitivity code (S, I or R, with * when "
                      "not to be released).");
    if (organism.size() != 1 || organism[0] < '1' || organism[0] > '4')
        throw DbError("Lab_Save_CSCodes: the organism number must be 1 to 4, not '" + call.arg(3) + "'.");
    if (call.sql("SELECT 1 FROM " + call.t(Database::BuildFile, "tbCoAntibiotic") + " WHERE Code = ?", {code})
            .rows.empty())
        throw DbError("Lab_Save_CSCodes: there is no antibiotic with the code '" + code + "'.");
    call.sql("INSERT INTO " + call.t(Database::Laboratory, "tbLabResultCSCodes") +
                 " (RequestNum, Code, OrganismNo, Result, Zone) VALUES (?, ?, ?, ?, ?)",
             {requestNum, code, organism, result, call.args[4].value_or(std::string())});
    return {};
}

// flag '0' (first save) or '1', request, report time, specimen, culture result, inoculation date,
// microscopy (sent empty: the stored text is then kept), remarks, additional remarks, sample
// number, submitted, LRA, colony count, organisms 1 to 4, method, finished.
ResultSet saveCSResult(ProcCall &call)
{
    const std::string flag = trimmed(call.arg(0));
    if (flag != "0" && flag != "1")
        throw DbError("Lab_Save_CSResult: the save flag must be 0 or 1, not '" + call.arg(0) + "'.");
    const std::string requestNum = requestOf(call, 1);
    const std::string table = call.t(Database::Laboratory, "tbLabResultCS");
    const bool exists = !call.sql("SELECT 1 FROM " + table + " WHERE RequestNum = ?", {requestNum}).rows.empty();
    if (flag == "0" && exists)
        throw DbError("Request " + requestNum + " already has a stored culture result.", DbError::Kind::Constraint);
    const auto text = [&](std::size_t i) { return Value(call.args[i].value_or(std::string())); };
    const auto date = [&](std::size_t i) { return Value(parseDateTimeText(call.arg(i))); };
    std::vector<std::pair<const char *, Value>> columns{
        {"ResultDate", date(2)},     {"Specimen", text(3)},        {"Organism", text(4)},
        {"InoculationDate", date(5)}, {"Remarks", text(7)},        {"Additional", text(8)},
        {"AccessionNum", text(9)},   {"samplesubmitted", date(10)}, {"lratime", date(11)},
        {"ColonyCount", text(12)},   {"Org1", text(13)},           {"Org2", text(14)},
        {"Org3", text(15)},          {"Org4", text(16)},           {"Method", text(17)},
        {"DateFinished", date(18)},  {"EmployeeCode", Value(call.session.auditUser())}};
    if (!call.arg(6).empty())
        columns.emplace_back("microscopy", text(6));
    const std::string now = call.db.nowExpr();
    std::vector<Value> values;
    if (exists) {
        std::string sql = "UPDATE " + table + " SET SavedAt = " + now;
        for (const auto &[name, value] : columns) {
            sql += std::string(", ") + name + " = ?";
            values.push_back(value);
        }
        values.emplace_back(requestNum);
        call.sql(sql + " WHERE RequestNum = ?", values);
    } else {
        std::string names = "RequestNum, FinalResult, SavedAt";
        std::string marks = "?, 'N', " + now;
        values.emplace_back(requestNum);
        for (const auto &[name, value] : columns) {
            names += std::string(", ") + name;
            marks += ", ?";
            values.push_back(value);
        }
        call.sql("INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")", values);
    }
    // The screen shows the method and the finished time of the request itself.
    call.sql("UPDATE " + call.t(Database::Laboratory, "tbLabMaster") + " SET Method = ? WHERE RequestNum = ?",
             {text(17), requestNum});
    call.sql("UPDATE " + call.t(Database::Laboratory, "tbLabLogbook") +
                 " SET DateFinished = ? WHERE RequestNum = ?",
             {date(18), requestNum});
    call.savesResultOf(requestNum);
    return {};
}

void checkPanel(const ProcCall &call, const std::string &list, const std::string &letter)
{
    if (list.size() != 1 || list[0] < '1' || list[0] > '6')
        throw DbError(std::string(call.name) + ": the panel list must be 1 to 6, not '" + list + "'.");
    if (letter != "A" && letter != "B" && letter != "C" && letter != "U")
        throw DbError(std::string(call.name) + ": the antibiotic group must be A, B, C or U, not '" + letter + "'.");
}

// One antibiotic panel: the antibiotics of one organism heading and reporting tier, in their order.
ResultSet getMicrobiologyPanel(ProcCall &call)
{
    const std::string list = keyArg(call, 0);
    const std::string letter = upper(keyArg(call, 1));
    checkPanel(call, list, letter);
    return call.sql("SELECT p.AntibioticCode AS Code, a.Description FROM " +
                        call.t(Database::BuildFile, "tbCoAntibioticPanel") + " p JOIN " +
                        call.t(Database::BuildFile, "tbCoAntibiotic") +
                        " a ON a.Code = p.AntibioticCode WHERE p.ListNo = ? AND p.GroupLetter = ? "
                        "ORDER BY p.SortOrder, a.Description",
                    {list, letter});
}

// Mode 2: the report row, with the antibiotics chosen listed by what was found (ResultS, ResultI,
// ResultR). Mode 3, list, letter: the antibiotics chosen from one panel.
ResultSet getResultMicrobiology(ProcCall &call)
{
    const std::string requestNum = requestOf(call);
    const std::string mode = keyArg(call, 1);
    const std::string chosen = call.t(Database::Laboratory, "tbLABResultMicrobiologyAdd");
    if (mode == "3") {
        const std::string list = keyArg(call, 2);
        const std::string letter = upper(keyArg(call, 3));
        checkPanel(call, list, letter);
        return call.sql("SELECT AntibioticCode AS Code, Result FROM " + chosen +
                            " WHERE RequestNum = ? AND ListNo = ? AND GroupLetter = ? ORDER BY AntibioticCode",
                        {requestNum, list, letter});
    }
    if (mode != "2")
        throw DbError("Lab_GetResultMicrobiology: the mode must be 2 or 3, not '" + call.arg(1) + "'.");
    // The sample number and times of the logbook travel with the report row.
    ResultSet rs = call.sql("SELECT r.Isolate, r.Culture, r.PreSpecimen, r.PreTest, r.PreSite, r.PreOther1, "
                            "r.PreOther2, r.PreReport, r.FinalSpecimen, r.FinalTest, r.FinalSite, r.FinalOther1, "
                            "r.FinalOther2, r.FinalReport, r.FormType, r.Others, COALESCE(lb.AccessionNum, '') AS "
                            "AccessionNum, COALESCE(lb.ResultDate, lb.LoggedAt, r.SavedAt) AS ResultDate, "
                            "COALESCE(lb.samplesubmitted, r.SavedAt) AS samplesubmitted, lb.lratime, lb.DateFinished FROM " +
                                call.t(Database::Laboratory, "tbLABResultMicrobiology") + " r LEFT JOIN " +
                                call.t(Database::Laboratory, "tbLabLogbook") +
                                " lb ON lb.RequestNum = r.RequestNum WHERE r.RequestNum = ?",
                            {requestNum});
    if (rs.rows.empty())
        return rs;
    // The ticked boxes by name, for the printed report.
    static const std::vector<std::string> kSpecimens{"Throat", "Urine", "Sputum", "Blood", "Stool", "Wound", ""};
    static const std::vector<std::string> kTests{"Culture",  "Sensitivity", "Direct Smear", "Fungus",
                                                 "TB Smear", "TB Culture",  ""};
    static const std::vector<std::string> kCultures{"Aerobic (Routine)", "Throat Swab",      "Urine", "Blood",
                                                    "Anaerobic",         "Sputum",           "Stool",
                                                    "Vaginal Discharge", "Wound Discharge", ""};
    const auto names = [&](const char *column, const std::vector<std::string> &captions, const char *other) {
        const std::string stored = textOf(rs.at(0, column));
        std::string out;
        std::size_t start = 0;
        for (std::size_t i = 0; i < captions.size() && start <= stored.size(); ++i) {
            const std::size_t bar = std::min(stored.find('|', start), stored.size());
            if (trimmed(stored.substr(start, bar - start)) == "1") {
                // The last box is "Others": its text stands in for it.
                const std::string name = captions[i].empty() ? textOf(rs.at(0, other)) : captions[i];
                if (!name.empty())
                    out += (out.empty() ? "" : ", ") + name;
            }
            start = bar + 1;
        }
        return out;
    };
    const std::vector<std::pair<std::string, std::string>> named{
        {"PreSpecimenNames", names("PreSpecimen", kSpecimens, "PreOther1")},
        {"PreTestNames", names("PreTest", kTests, "PreOther2")},
        {"FinalSpecimenNames", names("FinalSpecimen", kSpecimens, "FinalOther1")},
        {"FinalTestNames", names("FinalTest", kTests, "FinalOther2")},
        {"CultureNames", names("Culture", kCultures, "Others")}};
    for (const auto &[column, value] : named) {
        rs.columns.push_back(column);
        rs.rows[0].emplace_back(value);
    }
    const ResultSet found = call.sql("SELECT DISTINCT c.Result, a.Description FROM " + chosen + " c JOIN " +
                                         call.t(Database::BuildFile, "tbCoAntibiotic") +
                                         " a ON a.Code = c.AntibioticCode WHERE c.RequestNum = ? "
                                         "ORDER BY a.Description",
                                     {requestNum});
    for (const char *result : {"S", "I", "R"}) {
        std::string names;
        for (const Row &row : found.rows) {
            if (textOf(row[0]) == result)
                names += (names.empty() ? "" : ", ") + textOf(row[1]);
        }
        rs.columns.push_back(std::string("Result") + result);
        rs.rows[0].emplace_back(names);
    }
    return rs;
}

// Request, isolate, culture, the preliminary and final specimen, test, site, others and report,
// the organism group and the culture's other text. Replaces the report and its chosen antibiotics.
ResultSet saveResultMicrobiology(ProcCall &call)
{
    const std::string requestNum = requestOf(call);
    static const char *const kColumns[] = {"Isolate",     "Culture",     "PreSpecimen",  "PreTest",
                                           "PreSite",     "PreOther1",   "PreOther2",    "PreReport",
                                           "FinalSpecimen", "FinalTest", "FinalSite",    "FinalOther1",
                                           "FinalOther2", "FinalReport", "FormType",     "Others"};
    const std::string table = call.t(Database::Laboratory, "tbLABResultMicrobiology");
    call.sql("DELETE FROM " + table + " WHERE RequestNum = ?", {requestNum});
    call.sql("DELETE FROM " + call.t(Database::Laboratory, "tbLABResultMicrobiologyAdd") + " WHERE RequestNum = ?",
             {requestNum});
    std::string names = "RequestNum, EmployeeCode, SavedAt";
    std::string marks = "?, ?, " + call.db.nowExpr();
    std::vector<Value> values{requestNum, call.session.auditUser()};
    for (std::size_t i = 0; i < std::size(kColumns); ++i) {
        names += std::string(", ") + kColumns[i];
        marks += ", ?";
        values.emplace_back(call.args[i + 1].value_or(std::string()));
    }
    call.sql("INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")", values);
    call.savesResultOf(requestNum);
    return {};
}

// Request, panel list, group letter, antibiotic, what was found (S, I, R or empty).
ResultSet saveResultMicrobiologyAdd(ProcCall &call)
{
    const std::string requestNum = requestOf(call);
    const std::string list = keyArg(call, 1);
    const std::string letter = upper(keyArg(call, 2));
    checkPanel(call, list, letter);
    const std::string code = keyArg(call, 3);
    const std::string result = upper(trimmed(call.arg(4)));
    if (!result.empty() && result != "S" && result != "I" && result != "R")
        throw DbError("LAB_Save_ResultMicrobiologyAdd: '" + call.arg(4) + "' is not S, I or R.");
    if (call.sql("SELECT 1 FROM " + call.t(Database::BuildFile, "tbCoAntibioticPanel") +
                     " WHERE ListNo = ? AND GroupLetter = ? AND AntibioticCode = ?",
                 {list, letter, code})
            .rows.empty())
        throw DbError("LAB_Save_ResultMicrobiologyAdd: the antibiotic '" + code + "' is not on panel " + list +
                      letter + ".");
    call.sql("INSERT INTO " + call.t(Database::Laboratory, "tbLABResultMicrobiologyAdd") +
                 " (RequestNum, ListNo, GroupLetter, AntibioticCode, Result) VALUES (?, ?, ?, ?, ?)",
             {requestNum, list, letter, code, result});
    return {};
}

} // namespace

void registerMicrobiologyProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_Get_CSCodes", 2, 2, false, getCSCodes});
    r.add({Database::Laboratory, "Lab_Get_CSResults", 1, 1, false, getCSResults});
    r.add({Database::Laboratory, "Lab_Delete_CSCodes", 1, 1, true, deleteCSCodes});
    r.add({Database::Laboratory, "Lab_Save_CSCodes", 5, 5, true, saveCSCode});
    r.add({Database::Laboratory, "Lab_Save_CSResult", 19, 19, true, saveCSResult});
    r.add({Database::Laboratory, "Lab_Get_Microbiology", 2, 2, false, getMicrobiologyPanel});
    r.add({Database::Laboratory, "Lab_GetResultMicrobiology", 5, 5, false, getResultMicrobiology});
    r.add({Database::Laboratory, "LAB_Save_ResultMicrobiology", 17, 17, true, saveResultMicrobiology});
    r.add({Database::Laboratory, "LAB_Save_ResultMicrobiologyAdd", 5, 5, true, saveResultMicrobiologyAdd});
}

} // namespace labdb
