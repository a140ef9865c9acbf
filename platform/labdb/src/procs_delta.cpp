// The previous results a request's values are compared with, and the deltas a save saw.

#include "delta_parts.h"
#include "prochelpers.h"

#include "labdb/deltacheck.h"
#include "labdb/normalvalues.h"

#include <map>
#include <string>

namespace labdb {

namespace {

using namespace helpers;

struct Rule {
    std::string examCode, field;
    Value absolute, percent;
    long long windowDays = 0;
};

// A stored result of another request of the patient, newest first.
struct Candidate {
    std::string requestNum, storedAt, value;
};

// "2026-03-02 08:30:00" as "03/02/2026".
std::string dateText(const std::string &at)
{
    return at.size() < 10 ? at : at.substr(5, 2) + "/" + at.substr(8, 2) + "/" + at.substr(0, 4);
}

// The most recent candidate stored before the request with a value, when it lies inside the window.
const Candidate *previousOf(const std::vector<Candidate> &newestFirst, std::optional<long long> storedAt,
                            long long reference, long long windowDays)
{
    for (const Candidate &c : newestFirst) {
        const auto at = secondsOf(c.storedAt);
        if (!at || (storedAt && *at >= *storedAt) || trimmed(c.value).empty())
            continue;
        return reference - *at <= windowDays * 86400 ? &c : nullptr;
    }
    return nullptr;
}

// request: for every rule that fits the request's exam (its fields, or the exam codes of its grid
// rows) and has a previous result of the same patient, one row: ExamCode, Field (empty for a grid
// row), AbsoluteChange, PercentChange, PreviousRequestNum, PreviousValue, PreviousDate
// (mm/dd/yyyy), PreviousAt. Earlier is another request stored before this one (before now when
// this one is not stored); the window is counted back from the same moment.
ResultSet getDeltaPrevious(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    ResultSet out;
    out.columns = {"ExamCode",           "Field",         "AbsoluteChange", "PercentChange",
                   "PreviousRequestNum", "PreviousValue", "PreviousDate",   "PreviousAt"};
    const std::string master = call.t(Database::Laboratory, "tbLabMaster");
    const std::string logbook = call.t(Database::Laboratory, "tbLabLogbook");
    const std::string stored = "COALESCE(lb.LoggedAt, lb.ResultDate)";
    const ResultSet request = call.sql("SELECT m.ExamCode, m.HospNum, " + stored + ", " + call.db.nowExpr() + " FROM " +
                                           master + " m LEFT JOIN " + logbook +
                                           " lb ON lb.RequestNum = m.RequestNum WHERE m.RequestNum = ?",
                                       {requestNum});
    if (request.rows.empty())
        return out;
    const std::string exam = trimmed(textOf(request.rows[0][0]));
    const std::string hospNum = textOf(request.rows[0][1]);
    const std::optional<long long> storedAt = secondsOf(textOf(request.rows[0][2]));
    const long long reference = storedAt ? *storedAt : secondsOf(textOf(request.rows[0][3])).value_or(0);

    const ResultSet rules = call.sql(
        "SELECT ExamCode, Field, AbsoluteChange, PercentChange, WindowDays FROM " +
            call.t(Database::Laboratory, "tbLabDeltaRule") +
            " WHERE (ExamCode = ? AND Field <> '') OR (Field = '' AND (ExamCode = ? OR ExamCode IN (SELECT Code FROM " +
            call.t(Database::Laboratory, "tbLabResultFormat") + " WHERE ExamCode = ?))) ORDER BY ExamCode, Field",
        {exam, exam, exam});
    if (rules.rows.empty())
        return out;
    std::vector<Rule> fieldRules, rowRules;
    for (const Row &r : rules.rows) {
        Rule rule{trimmed(textOf(r[0])), trimmed(textOf(r[1])), r[2], r[3],
                  static_cast<long long>(numericValue(textOf(r[4])).value_or(0))};
        (rule.field.empty() ? rowRules : fieldRules).push_back(std::move(rule));
    }
    const auto add = [&](const Rule &rule, const Candidate &c) {
        out.rows.push_back({rule.examCode, rule.field, rule.absolute, rule.percent, c.requestNum, c.value,
                            dateText(c.storedAt), c.storedAt});
    };
    const std::string order = " ORDER BY " + stored + " DESC, m.RequestNum DESC";

    if (!fieldRules.empty()) {
        const ResultSet rs = call.sql("SELECT m.RequestNum, " + stored + " AS StoredAt, r.* FROM " + master + " m JOIN " +
                                          logbook + " lb ON lb.RequestNum = m.RequestNum JOIN " +
                                          call.t(Database::Laboratory, "tbLabResult") +
                                          " r ON r.RequestNum = m.RequestNum WHERE m.HospNum = ? AND m.ExamCode = ? "
                                          "AND m.RequestNum <> ?" + order,
                                      {hospNum, exam, requestNum});
        for (const Rule &rule : fieldRules) {
            // Only the stored result's own columns: the rule's field is never written into the SQL.
            const int column = rule.field.rfind("result", 0) == 0 ? rs.columnIndex(rule.field) : -1;
            if (column < 0)
                continue;
            std::vector<Candidate> candidates;
            for (const Row &r : rs.rows)
                candidates.push_back({textOf(r[0]), textOf(r[1]), textOf(r[static_cast<std::size_t>(column)])});
            if (const Candidate *c = previousOf(candidates, storedAt, reference, rule.windowDays))
                add(rule, *c);
        }
    }
    if (!rowRules.empty()) {
        std::string marks;
        std::vector<Value> params{hospNum, requestNum};
        for (const Rule &rule : rowRules) {
            marks += marks.empty() ? "?" : ", ?";
            params.emplace_back(rule.examCode);
        }
        const ResultSet rs = call.sql("SELECT r.ExamCode, m.RequestNum, " + stored + ", r.sResult FROM " +
                                          call.t(Database::Laboratory, "tbLabResultNValues") + " r JOIN " + master +
                                          " m ON m.RequestNum = r.RequestNum JOIN " + logbook +
                                          " lb ON lb.RequestNum = r.RequestNum WHERE m.HospNum = ? AND "
                                          "r.RequestNum <> ? AND r.ExamCode IN (" + marks + ")" + order,
                                      params);
        std::map<std::string, std::vector<Candidate>> byExam;
        for (const Row &r : rs.rows)
            byExam[trimmed(textOf(r[0]))].push_back({textOf(r[1]), textOf(r[2]), textOf(r[3])});
        for (const Rule &rule : rowRules) {
            if (const Candidate *c = previousOf(byExam[rule.examCode], storedAt, reference, rule.windowDays))
                add(rule, *c);
        }
    }
    return out;
}

// request, exam, field, previous request, previous value, previous date, value, change, employee:
// one delta the save saw, unless a save of the request already recorded it.
ResultSet saveDeltaCheck(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    call.requireRequest(requestNum);
    const Value previousDate = parseDateTimeText(call.arg(5));
    // A later save of the same value against the same previous result says nothing new.
    const std::string table = call.t(Database::Laboratory, "tbLabDeltaCheck");
    if (!call.sql("SELECT 1 FROM " + table +
                      " WHERE RequestNum = ? AND ExamCode = ? AND Field = ? AND PreviousRequestNum = ? AND "
                      "ResultValue = ?",
                  {requestNum, call.arg(1), call.arg(2), call.arg(3), call.arg(6)})
             .rows.empty())
        return ResultSet{{}, {}, 0};
    call.sql("INSERT INTO " + table +
                 " (RequestNum, ExamCode, Field, PreviousRequestNum, PreviousValue, PreviousDate, ResultValue, "
                 "ChangeText, EmployeeCode, RecordedAt) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, " +
                 call.db.nowExpr() + ")",
             {requestNum, call.arg(1), call.arg(2), call.arg(3), call.arg(4), previousDate, call.arg(6), call.arg(7),
              call.arg(8)});
    return ResultSet{{}, {}, 1};
}

} // namespace

void registerDeltaProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_Get_DeltaPrevious", 1, 1, false, getDeltaPrevious});
    r.add({Database::Laboratory, "Lab_Save_DeltaCheck", 9, 9, true, saveDeltaCheck});
}

} // namespace labdb
