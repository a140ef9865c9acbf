// The limits a request's result fields are judged by, the judgement kept with a save, the report's
// view of it, and the calls that reported critical values.

#include "clinical_parts.h"
#include "prochelpers.h"

#include "labdb/clinicalflags.h"
#include "labdb/normalvalues.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>

namespace labdb {

namespace {

using namespace helpers;

struct FieldLimits {
    Value low, high;
    std::string unit, printed;
    Value criticalLow, criticalHigh;
    bool hasInterval = false;
};

struct RequestLimits {
    std::string examCode;
    std::map<std::string, FieldLimits> fields; // by field; "" holds for fields without their own
};

std::optional<long> optionalLong(const Value &v)
{
    const auto n = numericValue(textOf(v));
    return n ? std::optional<long>(static_cast<long>(*n)) : std::nullopt;
}

// Rows ordered by field; for each field, the row fitting the patient. Columns 0..4 are Field, Sex,
// AgeFrom, AgeUnit, AgeTo.
template <class Take>
void chooseByField(const ResultSet &rows, const std::string &sex, std::optional<CivilDate> birth, CivilDate on,
                   Take take)
{
    std::size_t i = 0;
    while (i < rows.rows.size()) {
        const std::string field = trimmed(textOf(rows.rows[i][0]));
        std::vector<Band> bands;
        std::vector<const Row *> of;
        for (; i < rows.rows.size() && trimmed(textOf(rows.rows[i][0])) == field; ++i) {
            const Row &r = rows.rows[i];
            bands.push_back({textOf(r[1]), optionalLong(r[2]), optionalLong(r[4]), ageUnitOf(textOf(r[3]))});
            of.push_back(&r);
        }
        const int chosen = chooseBand(bands, sex, birth, on);
        if (chosen >= 0)
            take(field, *of[static_cast<std::size_t>(chosen)]);
    }
}

RequestLimits limitsOf(Driver &db, const std::string &requestNum)
{
    RequestLimits out;
    const ResultSet request = db.run(
        "SELECT m.ExamCode, p.Sex, p.BirthDate, COALESCE(m.RequestDate, " + db.nowExpr() + ") FROM " +
            db.qualify(Database::Laboratory, "tbLabMaster") + " m LEFT JOIN " +
            db.qualify(Database::PatientData, "tbPatientMaster") + " p ON p.HospNum = m.HospNum WHERE m.RequestNum = ?",
        {requestNum});
    if (request.rows.empty())
        return out;
    const Row &r = request.rows[0];
    out.examCode = trimmed(textOf(r[0]));
    const std::string sex = textOf(r[1]);
    const auto birth = civilDateOf(textOf(r[2]));
    const CivilDate on = civilDateOf(textOf(r[3])).value_or(CivilDate{2000, 1, 1});

    const std::string bandColumns = "Field, Sex, AgeFrom, AgeUnit, AgeTo";
    const std::string order = " WHERE ExamCode = ? ORDER BY Field, Sex, AgeFrom, AgeUnit";
    const ResultSet intervals =
        db.run("SELECT " + bandColumns + ", LowValue, HighValue, Unit, PrintedText FROM " +
                     db.qualify(Database::Laboratory, "tbLabReferenceInterval") + order,
                 {out.examCode});
    chooseByField(intervals, sex, birth, on, [&](const std::string &field, const Row &row) {
        FieldLimits &f = out.fields[field];
        f.low = row[5];
        f.high = row[6];
        f.unit = textOf(row[7]);
        f.printed = textOf(row[8]);
        f.hasInterval = true;
    });
    const ResultSet criticals = db.run("SELECT " + bandColumns + ", CriticalLow, CriticalHigh FROM " +
                                             db.qualify(Database::Laboratory, "tbLabCriticalLimit") + order,
                                         {out.examCode});
    chooseByField(criticals, sex, birth, on, [&](const std::string &field, const Row &row) {
        FieldLimits &f = out.fields[field];
        f.criticalLow = row[5];
        f.criticalHigh = row[6];
    });
    // A field's own interval takes the exam-wide critical limits when it has none of its own.
    if (const auto all = out.fields.find(std::string()); all != out.fields.end()) {
        for (auto &[field, f] : out.fields) {
            if (!field.empty() && !f.criticalLow && !f.criticalHigh) {
                f.criticalLow = all->second.criticalLow;
                f.criticalHigh = all->second.criticalHigh;
            }
        }
    }
    return out;
}

Limits limitsFor(const Value &low, const Value &high, const Value &criticalLow, const Value &criticalHigh)
{
    return {numericValue(textOf(low)), numericValue(textOf(high)), numericValue(textOf(criticalLow)),
            numericValue(textOf(criticalHigh))};
}

// "11.0 - 13.5", "< 200", "> 60", or the text the laboratory wants printed.
std::string intervalText(const std::string &printed, const Value &low, const Value &high)
{
    if (!trimmed(printed).empty())
        return printed;
    const std::string l = trimmed(textOf(low));
    const std::string h = trimmed(textOf(high));
    if (!l.empty() && !h.empty())
        return l + " \u2013 " + h;
    if (!h.empty())
        return "\u2264 " + h;
    if (!l.empty())
        return "\u2265 " + l;
    return {};
}

// request: one row per field of the request's exam, with the interval and critical limits that fit
// the patient. Field "" carries the exam-wide critical limits.
ResultSet getClinicalLimits(ProcCall &call)
{
    const RequestLimits limits = limitsOf(call.db, keyArg(call, 0));
    ResultSet rs;
    rs.columns = {"Field", "LowValue", "HighValue", "Unit", "PrintedText", "CriticalLow", "CriticalHigh"};
    for (const auto &[field, f] : limits.fields)
        rs.rows.push_back({field, f.low, f.high, f.unit, intervalText(f.printed, f.low, f.high), f.criticalLow,
                           f.criticalHigh});
    return rs;
}

} // namespace

void judgeStoredResult(Driver &db, const std::string &requestNum)
{
    using namespace helpers;
    const RequestLimits limits = limitsOf(db, requestNum);
    const std::string judged = db.qualify(Database::Laboratory, "tbLabResultJudgement");
    const ResultSet stored =
        db.run("SELECT * FROM " + db.qualify(Database::Laboratory, "tbLabResult") + " WHERE RequestNum = ?", {requestNum});
    if (stored.rows.empty())
        return;
    for (const auto &[field, f] : limits.fields) {
        const int column = stored.columnIndex(field);
        if (field.empty() || column < 0)
            continue;
        const std::string value = textOf(stored.rows[0][static_cast<std::size_t>(column)]);
        // A value saved again unchanged keeps the judgement it was first given.
        const ResultSet before = db.run("SELECT ResultValue FROM " + judged +
                                            " WHERE RequestNum = ? AND ExamCode = ? AND Field = ?",
                                        {requestNum, limits.examCode, field});
        if (!before.rows.empty() && textOf(before.rows[0][0]) == value)
            continue;
        db.run("DELETE FROM " + judged + " WHERE RequestNum = ? AND ExamCode = ? AND Field = ?",
               {requestNum, limits.examCode, field});
        const Flag flag = judge(value, limitsFor(f.low, f.high, f.criticalLow, f.criticalHigh));
        db.run("INSERT INTO " + judged +
                   " (RequestNum, ExamCode, Field, ResultValue, LowValue, HighValue, Unit, PrintedText, CriticalLow, "
                   "CriticalHigh, Flag, JudgedAt) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, " +
                   db.nowExpr() + ")",
               {requestNum, limits.examCode, field, value, f.low, f.high, f.unit, intervalText(f.printed, f.low, f.high),
                f.criticalLow, f.criticalHigh, flagText(flag)});
    }
}

namespace {

// request: judges the stored result columns against today's limits and keeps the judgement, so
// that later changes of the masters leave this result as it was judged.
ResultSet saveResultJudgement(ProcCall &call)
{
    call.requireRequest(keyArg(call, 0));
    judgeStoredResult(call.db, keyArg(call, 0));
    return {};
}

// "2026-03-07 14:05:00" as "03/07/2026 02:05 PM".
std::string callTimeText(const std::string &at)
{
    if (at.size() < 16)
        return at;
    const int hour = std::stoi(at.substr(11, 2));
    const int h12 = hour % 12 == 0 ? 12 : hour % 12;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s/%s/%s %02d:%s %s", at.substr(5, 2).c_str(), at.substr(8, 2).c_str(),
                  at.substr(0, 4).c_str(), h12, at.substr(14, 2).c_str(), hour < 12 ? "AM" : "PM");
    return buffer;
}

// request: one row for the report. For every judged field "<field>_range" and "<field>_flag" (a
// field saved before judgements were kept reads today's interval), and "CriticalNote", one line per
// call.
ResultSet getResultJudgement(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    ResultSet rs;
    Row row;
    const auto add = [&](const std::string &column, Value v) {
        rs.columns.push_back(column);
        row.push_back(std::move(v));
    };
    std::set<std::string> done;
    const ResultSet judged = call.sql("SELECT Field, PrintedText, Flag FROM " +
                                          call.t(Database::Laboratory, "tbLabResultJudgement") +
                                          " WHERE RequestNum = ? ORDER BY Field",
                                      {requestNum});
    for (const Row &r : judged.rows) {
        const std::string field = trimmed(textOf(r[0]));
        add(field + "_range", r[1]);
        add(field + "_flag", r[2]);
        done.insert(field);
    }
    const RequestLimits limits = limitsOf(call.db, requestNum);
    for (const auto &[field, f] : limits.fields) {
        if (!field.empty() && !done.count(field) && f.hasInterval) {
            add(field + "_range", intervalText(f.printed, f.low, f.high));
            add(field + "_flag", std::string());
        }
    }
    const ResultSet calls = call.sql(
        "SELECT c.NotifiedPerson, c.WardRole, c.CallTime, c.EmployeeCode, e.FirstName, e.LastName FROM " +
            call.t(Database::Laboratory, "tbLabCriticalCall") + " c LEFT JOIN " +
            call.t(Database::Laboratory, "tbLabEmployee") +
            " e ON e.EmployeeCode = c.EmployeeCode WHERE c.RequestNum = ? ORDER BY c.CallID",
        {requestNum});
    std::string note;
    std::set<std::string> lines;
    for (const Row &r : calls.rows) {
        const std::string name = trimmed(textOf(r[4]) + " " + textOf(r[5]));
        const std::string ward = trimmed(textOf(r[1]));
        const std::string line = "Critical value(s) notified to " + textOf(r[0]) + (ward.empty() ? "" : " (" + ward + ")") +
                                 " at " + callTimeText(textOf(r[2])) + " by " + (name.empty() ? textOf(r[3]) : name) +
                                 ", read back.";
        if (lines.insert(line).second)
            note += (note.empty() ? "" : "\n") + line;
    }
    add("CriticalNote", note.empty() ? Value() : Value(note));
    rs.rows.push_back(std::move(row));
    return rs;
}

// request: the values already reported by a call, so a later save asks only for changed ones.
ResultSet getCriticalCalls(ProcCall &call)
{
    return call.sql("SELECT Field, ResultValue, NotifiedPerson, CallTime FROM " +
                        call.t(Database::Laboratory, "tbLabCriticalCall") + " WHERE RequestNum = ? ORDER BY CallID",
                    {keyArg(call, 0)});
}

// request, exam, field, field caption, value, limit, person, ward or role, call time, read back,
// employee: one reported critical value.
ResultSet saveCriticalCall(ProcCall &call)
{
    call.requireRequest(keyArg(call, 0));
    if (trimmed(call.arg(6)).empty())
        throw DbError("A critical value's call needs the person notified.");
    if (trimmed(call.arg(9)) != "1")
        throw DbError("A critical value's call needs the recipient's read-back.");
    const Value callTime = parseDateTimeText(call.arg(8));
    call.sql("INSERT INTO " + call.t(Database::Laboratory, "tbLabCriticalCall") +
                 " (RequestNum, ExamCode, Field, FieldName, ResultValue, LimitText, NotifiedPerson, WardRole, CallTime, "
                 "ReadBack, EmployeeCode, RecordedAt) VALUES (?, ?, ?, ?, ?, ?, ?, ?, " +
                 (callTime ? std::string("?") : call.db.nowExpr()) + ", 1, ?, " + call.db.nowExpr() + ")",
             callTime ? std::vector<Value>{keyArg(call, 0), call.arg(1), call.arg(2), call.arg(3), call.arg(4), call.arg(5),
                                           trimmed(call.arg(6)), trimmed(call.arg(7)), callTime, call.arg(10)}
                      : std::vector<Value>{keyArg(call, 0), call.arg(1), call.arg(2), call.arg(3), call.arg(4), call.arg(5),
                                           trimmed(call.arg(6)), trimmed(call.arg(7)), call.arg(10)});
    return {};
}

} // namespace

void registerClinicalProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_Get_ClinicalLimits", 1, 1, false, getClinicalLimits});
    r.add({Database::Laboratory, "Lab_Get_ResultJudgement", 1, 1, false, getResultJudgement});
    r.add({Database::Laboratory, "Lab_Get_CriticalCalls", 1, 1, false, getCriticalCalls});
    r.add({Database::Laboratory, "Lab_Save_ResultJudgement", 1, 1, true, saveResultJudgement});
    r.add({Database::Laboratory, "Lab_Save_CriticalCall", 11, 11, true, saveCriticalCall});
}

} // namespace labdb
