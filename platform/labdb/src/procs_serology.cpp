// Serology: the cut-off, index and threshold exams, the short-form exams with a remark per exam,
// and the Widal titres in the shared result row.

#include "labdb/normalvalues.h"
#include "labdb/procedures.h"
#include "labdb/session.h"
#include "prochelpers.h"
#include "resultrow.h"
#include "serology_parts.h"

#include <string>
#include <vector>

namespace labdb {

namespace {

using namespace helpers;

int entryModeOf(const ProcCall &call, std::size_t i)
{
    const std::string text = trimmed(call.arg(i));
    if (text.empty())
        return 0;
    try {
        return std::stoi(text);
    } catch (const std::exception &) {
        throw DbError("The entry mode '" + text + "' is not a number.");
    }
}

std::string examOfRequest(ProcCall &call, const std::string &requestNum)
{
    const ResultSet rs =
        call.sql("SELECT ExamCode FROM " + call.t(Database::Laboratory, "tbLabMaster") + " WHERE RequestNum = ?",
                 {requestNum});
    if (rs.rows.empty())
        throw DbError("Request " + requestNum + " does not exist.");
    return textOf(rs.rows[0][0]);
}

// The logbook row a save fills in; a save before the logbook row exists is refused.
void updateLogbook(ProcCall &call, const std::string &requestNum, const std::string &accession, const Value &submitted,
                   const Value &lra, const Value &finished, const std::string &remarks,
                   const std::optional<std::string> &method)
{
    std::string sql = "UPDATE " + call.t(Database::Laboratory, "tbLabLogbook") +
                      " SET AccessionNum = ?, Remarks = ?, samplesubmitted = COALESCE(?, samplesubmitted), "
                      "lratime = COALESCE(?, lratime), DateFinished = COALESCE(?, DateFinished)";
    std::vector<Value> values{accession, remarks, submitted, lra, finished};
    if (method) {
        sql += ", Method = ?";
        values.push_back(*method);
    }
    values.push_back(requestNum);
    if (call.sql(sql + " WHERE RequestNum = ?", values).rowsAffected == 0)
        throw DbError("Request " + requestNum + " is not in the result logbook; its result must be saved first.");
    call.savesResultOf(requestNum);
}

// requestNum, entryMode: the request's exam items for the entry mode, else those of mode 0; an exam
// the laboratory never formatted gets one row of its own so its result can still be entered.
ResultSet fillExams(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    const std::string exam = examOfRequest(call, requestNum);
    const std::string format = call.t(Database::Laboratory, "tbLabCutOffFormat");
    ResultSet rs = call.sql("SELECT ItemID, Exam, Unit, DefaultValue, ItemID FROM " + format +
                                " WHERE ExamCode = ? AND EntryMode = (SELECT MAX(EntryMode) FROM " + format +
                                " WHERE ExamCode = ? AND EntryMode IN (0, ?)) ORDER BY LineNo, ItemID",
                            {exam, exam, std::to_string(call.count() > 1 ? entryModeOf(call, 1) : 0)});
    if (rs.rows.empty())
        rs = call.sql("SELECT Code, ExamName, '', '', Code FROM " + call.t(Database::BuildFile, "tbCoLabExam") +
                          " WHERE Code = ?",
                      {exam});
    rs.columns = {"ExamId", "Exam", "Unit", "DefaultValue", "Lab#"};
    return rs;
}

// requestNum, entryMode, the row's number, the item: the threshold the item is read against. One
// statement: the screen asks after every key typed in the grid.
ResultSet thresholdValue(ProcCall &call)
{
    const std::string table = call.t(Database::Laboratory, "tbLabThresholdValue");
    ResultSet rs = call.sql("SELECT t.TValue FROM " + table + " t JOIN " + call.t(Database::Laboratory, "tbLabMaster") +
                                " m ON m.ExamCode = t.ExamCode WHERE m.RequestNum = ? AND t.ItemID = ? AND "
                                "t.EntryMode = (SELECT MAX(u.EntryMode) FROM " + table +
                                " u WHERE u.ExamCode = t.ExamCode AND u.ItemID = t.ItemID AND u.EntryMode IN (0, ?))",
                            {keyArg(call, 0), keyArg(call, 3), std::to_string(entryModeOf(call, 1))});
    rs.columns = {"TValue"};
    return rs;
}

ResultSet getResultWithCutOff(ProcCall &call)
{
    ResultSet rs = call.sql("SELECT r.ItemID, r.ExamName, r.PatientValue, r.CutOffValue, r.Result, r.RequestNum, "
                            "r.ProfNum, l.Method FROM " + call.t(Database::Laboratory, "tbLabResultCutOff") +
                                " r LEFT JOIN " + call.t(Database::Laboratory, "tbLabLogbook") +
                                " l ON l.RequestNum = r.RequestNum WHERE r.RequestNum = ? ORDER BY r.RowNo, r.ItemID",
                            {keyArg(call, 0)});
    rs.columns = {"ItemID", "ExamName", "PatientValue", "CutOffValue", "Result", "RequestNum", "ProfNum", "Method"};
    return rs;
}

// sample number, submitted, LRA, request, row number, item, form type, exam name, the three result
// columns, remarks, finished, then the professional (sample) number and the method the screen shows.
ResultSet saveWithCutOff(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 3);
    const std::string item = keyArg(call, 5);
    if (item.empty())
        throw DbError("A cut-off result row needs an item code.");
    const auto rowNo = numericValue(call.arg(4));
    if (!rowNo)
        throw DbError("The row number '" + call.arg(4) + "' is not a number.");
    const std::optional<std::string> method = call.count() > 14 ? std::optional(call.arg(14)) : std::nullopt;
    updateLogbook(call, requestNum, call.arg(0), parseDateTimeText(call.arg(1)), parseDateTimeText(call.arg(2)),
                  parseDateTimeText(call.arg(12)), call.arg(11), method);

    const std::string table = call.t(Database::Laboratory, "tbLabResultCutOff");
    const std::vector<Value> values{std::to_string(static_cast<int>(*rowNo)), call.arg(7), call.arg(8), call.arg(9),
                                    call.arg(10), call.arg(6), call.count() > 13 ? call.arg(13) : std::string(),
                                    call.session.auditUser()};
    if (call.sql("SELECT 1 FROM " + table + " WHERE RequestNum = ? AND ItemID = ?", {requestNum, item}).rows.empty()) {
        std::vector<Value> insert{requestNum, item};
        insert.insert(insert.end(), values.begin(), values.end());
        call.sql("INSERT INTO " + table + " (RequestNum, ItemID, RowNo, ExamName, PatientValue, CutOffValue, Result, "
                 "FormType, ProfNum, EmployeeCode, SavedAt) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, " + call.db.nowExpr() + ")",
                 insert);
    } else {
        std::vector<Value> update = values;
        update.insert(update.end(), {requestNum, item});
        call.sql("UPDATE " + table + " SET RowNo = ?, ExamName = ?, PatientValue = ?, CutOffValue = ?, Result = ?, "
                 "FormType = ?, ProfNum = ?, EmployeeCode = ?, SavedAt = " + call.db.nowExpr() +
                     " WHERE RequestNum = ? AND ItemID = ?",
                 update);
    }
    return {};
}

ResultSet getResultShortForm(ProcCall &call)
{
    ResultSet rs = call.sql("SELECT ExamCode, ExamName, Result, Unit, Remarks, RequestNum FROM " +
                                call.t(Database::Laboratory, "tbLabResultShortForm") +
                                " WHERE RequestNum = ? ORDER BY RowNo, ExamCode",
                            {keyArg(call, 0)});
    rs.columns = {"ExamId", "Exam", "Result", "Unit", "Remarks", "RequestNum"};
    return rs;
}

std::string itemName(ProcCall &call, const std::string &requestNum, const std::string &code)
{
    ResultSet rs = call.sql("SELECT Exam FROM " + call.t(Database::Laboratory, "tbLabCutOffFormat") +
                                " WHERE ExamCode = ? AND ItemID = ? ORDER BY EntryMode",
                            {examOfRequest(call, requestNum), code});
    if (rs.rows.empty())
        rs = call.sql("SELECT ExamName FROM " + call.t(Database::BuildFile, "tbCoLabExam") + " WHERE Code = ?", {code});
    return rs.rows.empty() ? std::string() : textOf(rs.rows[0][0]);
}

// Request, submitted, LRA, sample number, the 30 cells row by row, the method, remarks, the sample
// number again, finished. The cells go to result1..19 and result21..31 so that the loader reads
// them by position around result20, which holds the remarks; result32 the method. No first-save
// flag: the row decides.
ResultSet saveWidal(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    const Value submitted = parseDateTimeText(call.arg(1));
    const Value lra = parseDateTimeText(call.arg(2));
    const Value finished = parseDateTimeText(call.arg(37));
    ResultRowWrite w{requestNum, call.args[3], submitted, lra, finished, {}, {}};
    for (int cell = 1; cell <= 30; ++cell)
        w.results[cell < 20 ? cell : cell + 1] = call.args[static_cast<std::size_t>(cell) + 3];
    w.results[32] = call.args[34];
    w.results[20] = call.args[35];
    const bool stored = !call.sql("SELECT 1 FROM " + call.t(Database::Laboratory, "tbLabResult") +
                                      " WHERE RequestNum = ?",
                                  {requestNum})
                             .rows.empty();
    updateLogbook(call, requestNum, call.arg(3), submitted, lra, finished, call.arg(35), call.arg(34));
    writeResultRow(call, stored ? "1" : "0", w);
    return {};
}

// The printed cut-off table: the rows with the headings of the layout the exam was entered in.
ResultSet reportWithCutOff(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    const ResultSet exam = call.sql("SELECT e.FormType, e.ValueType FROM " + call.t(Database::Laboratory, "tbLabMaster") +
                                        " m JOIN " + call.t(Database::BuildFile, "tbCoLabExam") +
                                        " e ON e.Code = m.ExamCode WHERE m.RequestNum = ?",
                                    {requestNum});
    const std::string formType = exam.rows.empty() ? std::string() : trimmed(textOf(exam.rows[0][0]));
    const std::string valueType = exam.rows.empty() ? std::string() : trimmed(textOf(exam.rows[0][1]));
    const bool threshold = formType == "I" || (formType == "P" && valueType == "I");
    const std::string headings[3] = {threshold ? "PATIENT'S VALUE" : "RESULT", threshold ? "INTERPRETATION" : "RATE NOTE",
                                     threshold ? "THRESHOLD VALUE" : valueType == "A" ? "INDEX VALUE" : "CUT-OFF VALUE"};
    ResultSet rs = call.sql("SELECT ExamName, PatientValue, CutOffValue, Result FROM " +
                                call.t(Database::Laboratory, "tbLabResultCutOff") +
                                " WHERE RequestNum = ? ORDER BY RowNo, ItemID",
                            {requestNum});
    for (Row &row : rs.rows)
        row.insert(row.end(), {headings[0], headings[1], headings[2]});
    rs.columns = {"ExamName", "Reading", "Note", "Value", "ReadingHeading", "NoteHeading", "ValueHeading"};
    return rs;
}

} // namespace

// Request, twelve value slots (the exam code in the third, the result in the fifth), the result's
// remarks, sample number, submitted, LRA, method, finished; then the exam's printed line, unit, own
// remark, row number and the method again (the short form leaves the first method slot empty).
ResultSet saveShortFormEntry(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    const std::string code = keyArg(call, 3);
    if (code.empty())
        throw DbError("A result line needs an exam code.");
    const auto extra = [&](std::size_t i) { return call.count() > i ? call.arg(i) : std::string(); };
    const std::string method = call.arg(17).empty() ? extra(23) : call.arg(17);
    updateLogbook(call, requestNum, call.arg(14), parseDateTimeText(call.arg(15)), parseDateTimeText(call.arg(16)),
                  parseDateTimeText(call.arg(18)), call.arg(13),
                  method.empty() ? std::nullopt : std::optional(method));
    int rowNo = 0;
    if (const std::string row = extra(22); !row.empty()) {
        const auto n = numericValue(row);
        if (!n)
            throw DbError("The row number '" + row + "' is not a number.");
        rowNo = static_cast<int>(*n);
    }
    const std::string table = call.t(Database::Laboratory, "tbLabResultShortForm");
    const std::vector<Value> values{std::to_string(rowNo), call.arg(5),   extra(20),
                                    extra(21),             extra(19),     call.session.auditUser()};
    if (call.sql("SELECT 1 FROM " + table + " WHERE RequestNum = ? AND ExamCode = ?", {requestNum, code}).rows.empty()) {
        std::vector<Value> insert{requestNum, code, itemName(call, requestNum, code)};
        insert.insert(insert.end(), values.begin(), values.end());
        call.sql("INSERT INTO " + table + " (RequestNum, ExamCode, ExamName, RowNo, Result, Unit, Remarks, PrintLine, "
                 "EmployeeCode, SavedAt) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, " + call.db.nowExpr() + ")",
                 insert);
    } else {
        std::vector<Value> update = values;
        update.insert(update.end(), {requestNum, code});
        call.sql("UPDATE " + table + " SET RowNo = ?, Result = ?, Unit = ?, Remarks = ?, PrintLine = ?, "
                 "EmployeeCode = ?, SavedAt = " + call.db.nowExpr() + " WHERE RequestNum = ? AND ExamCode = ?",
                 update);
    }
    return {};
}

void registerSerologyProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_FormMaker_FillExams", 1, 2, false, fillExams});
    r.add({Database::Laboratory, "Lab_FormMaker_ThresholdValue", 4, 4, false, thresholdValue});
    r.add({Database::Laboratory, "Lab_GetResultWithCutOff", 1, 1, false, getResultWithCutOff});
    r.add({Database::Laboratory, "Lab_SaveWithCutOff", 13, 15, true, saveWithCutOff});
    r.add({Database::Laboratory, "Lab_FormMaker_GetResult_ShortForm", 1, 1, false, getResultShortForm});
    r.add({Database::Laboratory, "Lab_Save_Widal", 38, 38, true, saveWidal});
    r.add({Database::Laboratory, "Lab_Report_WithCutOff", 1, 1, false, reportWithCutOff});
}

} // namespace labdb
