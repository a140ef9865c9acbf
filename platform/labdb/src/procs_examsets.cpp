// Exam sets and specific formats: the exam lines of a request with what was stored for each, and
// the save of one line.

#include "labdb/normalvalues.h"
#include "labdb/procedures.h"
#include "labdb/session.h"
#include "prochelpers.h"

#include <string>
#include <vector>

namespace labdb {

namespace {

using namespace helpers;

const std::vector<std::string> kLineColumns{"RequestNum", "ExamCode",  "Exam",     "FormType", "Result",
                                            "NormalValue", "Unit",     "MinValue", "MaxValue", "Flag"};

// The separator between a line's own text and the screen's remarks in the remarks argument.
constexpr std::string_view kRemarksMark = "; Remarks: ";

std::string requestExam(ProcCall &call, const std::string &requestNum)
{
    const ResultSet rs = call.sql("SELECT ExamCode FROM " + call.t(Database::Laboratory, "tbLabMaster") +
                                      " WHERE RequestNum = ?",
                                  {requestNum});
    if (rs.rows.empty())
        throw DbError("Request " + requestNum + " does not exist.");
    return textOf(rs.rows[0][0]);
}

// requestNum, entryMode: the stored lines when the request has a result, else the exam's lines
// for the entry mode (mode 0 serves every mode), else the exam itself as one line.
ResultSet getExamLines(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    const std::string exam = requestExam(call, requestNum);
    ResultSet rs = call.sql("SELECT RequestNum, ExamCode, ExamName, FormType, Result, NormalValue, Unit, MinValue, "
                            "MaxValue, Flag FROM " + call.t(Database::Laboratory, "tbLabExamSetResult") +
                                " WHERE RequestNum = ? ORDER BY LineNo, ExamCode",
                            {requestNum});
    if (rs.rows.empty()) {
        const auto mode = numericValue(call.arg(1));
        const std::string format = call.t(Database::Laboratory, "tbLabResultFormat");
        rs = call.sql("SELECT CAST(? AS TEXT), Code, Exam, FormType, '', sNValue, sUnit, sMin, sMax, '' FROM " +
                          format + " WHERE ExamCode = ? AND EntryMode = (SELECT MAX(EntryMode) FROM " + format +
                          " WHERE ExamCode = ? AND EntryMode IN (0, ?)) ORDER BY LineNo, Code",
                      {requestNum, exam, exam, std::to_string(mode ? static_cast<int>(*mode) : 0)});
    }
    if (rs.rows.empty()) {
        rs = call.sql("SELECT CAST(? AS TEXT), Code, ExamName, FormType, '', '', '', '', '', '' FROM " +
                          call.t(Database::BuildFile, "tbCoLabExam") + " WHERE Code = ?",
                      {requestNum, exam});
    }
    rs.columns = kLineColumns;
    return rs;
}

// requestNum: the stored lines with the logbook's header, as the screens and reports read them.
ResultSet getIndividualResultEntries(ProcCall &call)
{
    ResultSet rs = call.sql(
        "SELECT r.RequestNum, r.ExamCode, r.ExamName, r.FormType, r.Result, r.NormalValue, r.Unit, r.MinValue, "
        "r.MaxValue, r.Flag, r.LineNo, r.LineText, lb.AccessionNum, lb.ResultDate, lb.samplesubmitted, lb.lratime, "
        "lb.Remarks, lb.Method, lb.BatchNum FROM " + call.t(Database::Laboratory, "tbLabExamSetResult") + " r JOIN " +
            call.t(Database::Laboratory, "tbLabLogbook") +
            " lb ON lb.RequestNum = r.RequestNum WHERE r.RequestNum = ? ORDER BY r.LineNo, r.ExamCode",
        {keyArg(call, 0)});
    rs.columns = {"RequestNum", "ExamCode", "ExamName", "FormType", "Result", "NormalValue", "Unit",
                  "MinValue", "MaxValue", "Flag", "LineNo", "LineText", "AccessionNum", "ResultDate",
                  "samplesubmitted", "lratime", "Remarks", "Method", "BatchNum"};
    return rs;
}

std::string examNameFor(ProcCall &call, const std::string &requestExam, const std::string &code)
{
    ResultSet rs = call.sql("SELECT Exam FROM " + call.t(Database::Laboratory, "tbLabResultFormat") +
                                " WHERE ExamCode = ? AND Code = ? ORDER BY EntryMode",
                            {requestExam, code});
    if (rs.rows.empty())
        rs = call.sql("SELECT ExamName FROM " + call.t(Database::BuildFile, "tbCoLabExam") + " WHERE Code = ?", {code});
    return rs.rows.empty() ? std::string() : textOf(rs.rows[0][0]);
}

// The 19 arguments of one line: 1 request; value slots 2 numeric result, 3 choice result, 4 exam
// code, 5 normal value, 6 text result, 7 unit, 8 minimum, 9 maximum, 10 flag, 11 the line's format
// code, 12 line number, 13 batch number; 14 remarks ("<line text>; Remarks: <remarks>", or the
// remarks alone); 15 sample number, 16 submitted, 17 LRA, 18 method, 19 finished.
ResultSet saveIndividualResultEntries(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    const std::string code = keyArg(call, 3);
    if (code.empty())
        throw DbError("An exam line needs an exam code.");
    const std::string flag = call.arg(9);
    if (flag != "" && flag != "HIGH" && flag != "LOW")
        throw DbError("The flag must be HIGH, LOW or empty, not '" + flag + "'.");
    std::string lineNo = "0";
    if (!trimmed(call.arg(11)).empty()) {
        const auto n = numericValue(call.arg(11));
        if (!n)
            throw DbError("The line number '" + call.arg(11) + "' is not a number.");
        lineNo = std::to_string(static_cast<int>(*n));
    }
    std::string result, kind;
    for (const auto &[slot, k] : {std::pair<std::size_t, const char *>{1, "N"}, {2, "C"}, {5, "T"}}) {
        if (!call.arg(slot).empty() && result.empty()) {
            result = call.arg(slot);
            kind = k;
        }
    }
    const std::string remarksArg = call.arg(13);
    const std::size_t mark = remarksArg.find(kRemarksMark);
    const std::string lineText = mark == std::string::npos ? std::string() : remarksArg.substr(0, mark);
    const std::string remarks = mark == std::string::npos ? remarksArg : remarksArg.substr(mark + kRemarksMark.size());
    const Value submitted = parseDateTimeText(call.arg(15));
    const Value lra = parseDateTimeText(call.arg(16));
    const Value finished = parseDateTimeText(call.arg(18));
    const std::string batch = trimmed(call.arg(12));

    const ResultSet updated = call.sql(
        "UPDATE " + call.t(Database::Laboratory, "tbLabLogbook") +
            " SET AccessionNum = ?, Remarks = ?, samplesubmitted = COALESCE(?, samplesubmitted), "
            "lratime = COALESCE(?, lratime), Method = ?, DateFinished = COALESCE(?, DateFinished), "
            "BatchNum = CASE WHEN CAST(? AS TEXT) = '' THEN BatchNum ELSE ? END WHERE RequestNum = ?",
        {call.arg(14), remarks, submitted, lra, call.arg(17), finished, batch, batch, requestNum});
    if (updated.rowsAffected == 0)
        throw DbError("Request " + requestNum + " is not in the result logbook; its result must be saved first.");
    call.savesResultOf(requestNum);

    const std::string results = call.t(Database::Laboratory, "tbLabExamSetResult");
    const std::vector<Value> values{lineNo,       call.arg(10), result,      kind,     call.arg(4), call.arg(6),
                                    call.arg(7),  call.arg(8),  flag,        lineText, call.session.auditUser()};
    const bool exists =
        !call.sql("SELECT 1 FROM " + results + " WHERE RequestNum = ? AND ExamCode = ?", {requestNum, code}).rows.empty();
    if (exists) {
        std::vector<Value> params = values;
        params.insert(params.end(), {requestNum, code});
        call.sql("UPDATE " + results +
                     " SET LineNo = ?, FormType = ?, Result = ?, ResultKind = ?, NormalValue = ?, Unit = ?, "
                     "MinValue = ?, MaxValue = ?, Flag = ?, LineText = ?, EmployeeCode = ?, SavedAt = " +
                     call.db.nowExpr() + " WHERE RequestNum = ? AND ExamCode = ?",
                 params);
    } else {
        std::vector<Value> params{requestNum, code, examNameFor(call, requestExam(call, requestNum), code)};
        params.insert(params.end(), values.begin(), values.end());
        call.sql("INSERT INTO " + results +
                     " (RequestNum, ExamCode, ExamName, LineNo, FormType, Result, ResultKind, NormalValue, Unit, "
                     "MinValue, MaxValue, Flag, LineText, EmployeeCode, SavedAt) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                     "?, ?, ?, ?, ?, " + call.db.nowExpr() + ")",
                 params);
    }
    return ResultSet{{}, {}, 1};
}

} // namespace

void registerExamSetProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_ResultEntryDLL_GetExamLines", 2, 2, false, &getExamLines});
    r.add({Database::Laboratory, "Lab_ResultEntryDLL_GetIndividualResultEntries", 1, 1, false,
           &getIndividualResultEntries});
    r.add({Database::Laboratory, "Lab_ResultEntryDLL_SaveIndividualResultEntries", 19, 19, true,
           &saveIndividualResultEntries});
}

} // namespace labdb
