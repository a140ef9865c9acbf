// Interpretation, normal-range and custom results. The screens send these saves without a first/later
// flag: the server stores over what it holds. Each save also writes the request's logbook header
// (sample number and times), which the screens read back through the stored-header loader, and
// refuses a save that carries no result at all.

#include "interpretation_parts.h"
#include "labdb/normalvalues.h"
#include "labdb/procedures.h"
#include "labdb/session.h"
#include "prochelpers.h"

#include <string>
#include <vector>

namespace labdb {

namespace {

using namespace helpers;

std::vector<std::string> splitBars(const std::string &text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t bar = text.find('|', start);
        const std::string part = trimmed(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (!part.empty())
            out.push_back(part);
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    return out;
}

struct Header {
    std::string accession;
    Value resultDate, submitted, lra, finished;
};

Header headerArgs(ProcCall &call, std::size_t accession, std::size_t firstDate)
{
    return {call.arg(accession), parseDateTimeText(call.arg(firstDate)), parseDateTimeText(call.arg(firstDate + 1)),
            parseDateTimeText(call.arg(firstDate + 2)), parseDateTimeText(call.arg(firstDate + 3))};
}

// The logbook row was written by the screen's first save in the same transaction.
void writeLogbookHeader(ProcCall &call, const std::string &requestNum, const Header &h)
{
    const ResultSet updated = call.sql(
        "UPDATE " + call.t(Database::Laboratory, "tbLabLogbook") +
            " SET AccessionNum = ?, ResultDate = COALESCE(?, ResultDate), samplesubmitted = COALESCE(?, "
            "samplesubmitted), lratime = COALESCE(?, lratime), DateFinished = COALESCE(?, DateFinished) "
            "WHERE RequestNum = ?",
        {h.accession, h.resultDate, h.submitted, h.lra, h.finished, requestNum});
    if (updated.rowsAffected == 0)
        throw DbError("Request " + requestNum + " is not in the result logbook; its result must be saved first.");
    call.savesResultOf(requestNum);
}

// Inserts or replaces the request's row of a one-row-per-request table.
void upsert(ProcCall &call, const std::string &table, const std::string &requestNum,
            const std::vector<std::pair<std::string, Value>> &columns)
{
    const std::string name = call.t(Database::Laboratory, table);
    std::vector<Value> values;
    const bool exists = !call.sql("SELECT 1 FROM " + name + " WHERE RequestNum = ?", {requestNum}).rows.empty();
    if (exists) {
        std::string sql = "UPDATE " + name + " SET SavedAt = " + call.db.nowExpr() + ", EmployeeCode = ?";
        values.push_back(call.session.auditUser());
        for (const auto &[column, value] : columns) {
            sql += ", " + column + " = ?";
            values.push_back(value);
        }
        values.push_back(requestNum);
        call.sql(sql + " WHERE RequestNum = ?", values);
        return;
    }
    std::string cols = "RequestNum, SavedAt, EmployeeCode";
    std::string marks = "?, " + call.db.nowExpr() + ", ?";
    values = {requestNum, call.session.auditUser()};
    for (const auto &[column, value] : columns) {
        cols += ", " + column;
        marks += ", ?";
        values.push_back(value);
    }
    call.sql("INSERT INTO " + name + " (" + cols + ") VALUES (" + marks + ")", values);
}

// ---- free text with an interpretation ----

ResultSet getResultWithInterpretation(ProcCall &call)
{
    return call.sql("SELECT r.AccessionNum, r.ResultDate, r.samplesubmitted, r.lratime, r.Interpretation, r.Result, "
                    "r.ResultInterpretation, r.site, r.Specimen, r.DateFinished, r.EmployeeCode, r.SavedAt, "
                    "l.RowVersion AS LogbookVersion FROM " +
                        call.t(Database::Laboratory, "tbLabResultInterpretation") + " r LEFT JOIN " +
                        call.t(Database::Laboratory, "tbLabLogbook") +
                        " l ON l.RequestNum = r.RequestNum WHERE r.RequestNum = ?",
                    {keyArg(call, 0)});
}

ResultSet getInterpretationLegend(ProcCall &call)
{
    return call.sql("SELECT ExamCode, Interpretation FROM " + call.t(Database::Laboratory, "tbLabInterpretationLegend") +
                        " WHERE ExamCode = ?",
                    {keyArg(call, 0)});
}

// request, sample number, result, interpretation, legend, site, specimen, result date, submitted,
// LRA, finished.
ResultSet saveWithInterpretation(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    if (trimmed(call.arg(2)).empty() && trimmed(call.arg(3)).empty())
        throw DbError("Request " + requestNum + " has neither a result nor an interpretation to save.");
    const Header h = headerArgs(call, 1, 7);
    writeLogbookHeader(call, requestNum, h);
    upsert(call, "tbLabResultInterpretation", requestNum,
           {{"AccessionNum", h.accession},
            {"Result", call.arg(2)},
            {"ResultInterpretation", call.arg(3)},
            {"Interpretation", call.arg(4)},
            {"site", call.arg(5)},
            {"Specimen", call.arg(6)},
            {"ResultDate", h.resultDate},
            {"samplesubmitted", h.submitted},
            {"lratime", h.lra},
            {"DateFinished", h.finished}});
    return {};
}

// ---- fixed sets of numeric results ----

// Fields typed as free text; the others are numbers, or a number after "<" or ">" (below or above
// what the analyser measures).
bool isFreeText(const std::string &field)
{
    return field == "Report" || field == "Direct" || field == "Indirect" || field == "Bleeding" || field == "Clotting";
}

std::optional<double> measuredValue(std::string text)
{
    text = trimmed(text);
    if (!text.empty() && (text.front() == '<' || text.front() == '>'))
        text.erase(0, 1);
    return numericValue(text);
}

ResultSet getResultNormalRange(ProcCall &call)
{
    std::string cols = "r.FormType";
    for (const char *f : normalRangeFields())
        cols += std::string(", r.") + f;
    return call.sql("SELECT " + cols + ", r.AccessionNum, r.ResultDate, r.samplesubmitted, r.lratime, "
                                       "r.DateFinished, l.RowVersion AS LogbookVersion FROM " +
                        call.t(Database::Laboratory, "tbLabResultNormalRange") + " r LEFT JOIN " +
                        call.t(Database::Laboratory, "tbLabLogbook") +
                        " l ON l.RequestNum = r.RequestNum WHERE r.RequestNum = ?",
                    {keyArg(call, 0)});
}

// request, the 21 fields, the sub-screen number, sample number, result date, submitted, LRA, finished.
ResultSet saveResultNormalRange(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    const std::vector<const char *> &fields = normalRangeFields();
    const std::size_t subScreenAt = 1 + fields.size();
    const std::string subScreen = trimmed(call.arg(subScreenAt));
    const auto number = numericValue(subScreen);
    if (!number || *number < 0 || *number > 11 || subScreen.find('.') != std::string::npos)
        throw DbError("The normal-range sub-screen must be a number from 0 to 11, not '" + subScreen + "'.");
    std::vector<std::pair<std::string, Value>> columns{{"FormType", subScreen}};
    bool any = false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string value = call.arg(1 + i);
        if (!trimmed(value).empty() && !isFreeText(fields[i]) && !measuredValue(value))
            throw DbError(std::string("The ") + fields[i] + " result '" + value + "' is not a number.");
        any = any || !trimmed(value).empty();
        columns.emplace_back(fields[i], value);
    }
    if (!any)
        throw DbError("Request " + requestNum + " has no result to save.");
    const Header h = headerArgs(call, subScreenAt + 1, subScreenAt + 2);
    writeLogbookHeader(call, requestNum, h);
    columns.insert(columns.end(), {{"AccessionNum", h.accession},
                                   {"ResultDate", h.resultDate},
                                   {"samplesubmitted", h.submitted},
                                   {"lratime", h.lra},
                                   {"DateFinished", h.finished}});
    upsert(call, "tbLabResultNormalRange", requestNum, columns);
    return {};
}

// The stored fields with their reference intervals, for the reports: only fields with a result,
// each flagged H or L against its interval.
ResultSet getNormalRangeReport(ProcCall &call)
{
    const ResultSet stored = call.sql("SELECT * FROM " + call.t(Database::Laboratory, "tbLabResultNormalRange") +
                                          " WHERE RequestNum = ?",
                                      {keyArg(call, 0)});
    ResultSet rs;
    rs.columns = {"Field", "Label", "Result", "Unit", "RangeText", "Flag", "SubScreen"};
    if (stored.rows.empty())
        return rs;
    const auto storedValue = [&](const std::string &column) {
        for (std::size_t i = 0; i < stored.columns.size(); ++i) {
            if (iequals(stored.columns[i], column))
                return textOf(stored.rows[0][i]);
        }
        return std::string();
    };
    const ResultSet refs = call.sql("SELECT Field, Label, Unit, MinValue, MaxValue, RangeText FROM " +
                                    call.t(Database::Laboratory, "tbLabNormalRangeRef") + " ORDER BY SortOrder, Field");
    const std::string subScreen = storedValue("FormType");
    for (const char *f : normalRangeFields()) {
        const std::string result = storedValue(f);
        if (trimmed(result).empty())
            continue;
        Row row{std::string(f), std::string(f), result, std::string(), std::string(), std::string(), subScreen};
        for (const Row &r : refs.rows) {
            if (textOf(r[0]) != f)
                continue;
            row[1] = r[1];
            row[3] = r[2];
            row[4] = r[5];
            const auto value = measuredValue(result);
            if (value)
                row[5] = resultFlag(std::to_string(*value), textOf(r[3]), textOf(r[4]));
        }
        rs.rows.push_back(std::move(row));
    }
    return rs;
}

// ---- custom result tables ----

ResultSet getResultExamFormats(ProcCall &call)
{
    return call.sql("SELECT e.Code AS code, m.RequestNum FROM " + call.t(Database::Laboratory, "tbLabMaster") +
                        " m JOIN " + call.t(Database::BuildFile, "tbCoLabExam") +
                        " e ON e.Code = m.ExamCode WHERE m.RefNum = ? AND e.FormType = ? ORDER BY m.RequestNum",
                    {keyArg(call, 0), keyArg(call, 1)});
}

ResultSet customFormat(ProcCall &call, const std::vector<std::string> &codes)
{
    ResultSet out;
    out.columns = {"Mode", "Fields", "NormalValues", "code", "LineNo"};
    for (const std::string &code : codes) {
        const ResultSet rs = call.sql("SELECT Mode, Fields, NormalValues, ExamCode, LineNo FROM " +
                                          call.t(Database::Laboratory, "tbLabCustomFormat") +
                                          " WHERE ExamCode = ? ORDER BY LineNo",
                                      {code});
        out.rows.insert(out.rows.end(), rs.rows.begin(), rs.rows.end());
    }
    return out;
}

ResultSet getHCValues(ProcCall &call)
{
    return customFormat(call, {keyArg(call, 0)});
}

// Every argument an exam code, in the batch's order; the last carries a trailing blank.
ResultSet getHCValuesBatch(ProcCall &call)
{
    std::vector<std::string> codes;
    for (std::size_t i = 0; i < call.count(); ++i)
        codes.push_back(trimmed(call.arg(i)));
    return customFormat(call, codes);
}

// The lines of one request with its logbook header, which the screen shows above the table.
ResultSet customLines(ProcCall &call, const std::string &requestNum)
{
    return call.sql("SELECT r.Result, r.NormalValue, r.RequestNum, r.Fields, r.LineNo, r.ExamCode, l.AccessionNum, "
                    "l.ResultDate, l.samplesubmitted, l.lratime, l.RowVersion AS LogbookVersion FROM " +
                        call.t(Database::Laboratory, "tbLabResultCustom") + " r LEFT JOIN " +
                        call.t(Database::Laboratory, "tbLabLogbook") +
                        " l ON l.RequestNum = r.RequestNum WHERE r.RequestNum = ? ORDER BY r.LineNo",
                    {requestNum});
}

ResultSet getResultCustom(ProcCall &call)
{
    return customLines(call, keyArg(call, 0));
}

// "code|code|…", "request|request|…": the stored lines of each request, in the batch's order.
ResultSet getResultCustomBatch(ProcCall &call)
{
    ResultSet out;
    for (const std::string &request : splitBars(call.arg(1))) {
        const ResultSet rs = customLines(call, request);
        out.columns = rs.columns;
        out.rows.insert(out.rows.end(), rs.rows.begin(), rs.rows.end());
    }
    if (out.columns.empty())
        out.columns = customLines(call, std::string()).columns;
    return out;
}

constexpr std::size_t kCustomTrailing = 7; // remarks, sample number, result date, submitted, LRA, finished, employee

// request, one result per line of the request's format, remarks, sample number, result date,
// submitted, LRA, finished, employee code. The normal value of each line is the format's.
ResultSet saveResultCustom(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    const ResultSet lines = call.sql(
        "SELECT f.LineNo, f.ExamCode, f.Fields, f.NormalValues FROM " + call.t(Database::Laboratory, "tbLabCustomFormat") +
            " f JOIN " + call.t(Database::Laboratory, "tbLabMaster") +
            " m ON m.ExamCode = f.ExamCode WHERE m.RequestNum = ? ORDER BY f.LineNo",
        {requestNum});
    const std::size_t results = call.count() - 1 - kCustomTrailing;
    if (results != lines.rows.size())
        throw DbError("Request " + requestNum + " has " + std::to_string(lines.rows.size()) +
                      " result lines in its format, but " + std::to_string(results) + " results were sent.");
    bool any = false;
    for (std::size_t i = 0; i < results; ++i)
        any = any || !trimmed(call.arg(1 + i)).empty();
    if (!any)
        throw DbError("Request " + requestNum + " has no result to save.");
    const std::size_t tail = 1 + results;
    const std::string remarks = call.arg(tail);
    const Header h = headerArgs(call, tail + 1, tail + 2);
    writeLogbookHeader(call, requestNum, h);
    call.sql("UPDATE " + call.t(Database::Laboratory, "tbLabLogbook") + " SET Remarks = ? WHERE RequestNum = ?",
             {remarks, requestNum});

    const std::string table = call.t(Database::Laboratory, "tbLabResultCustom");
    call.sql("DELETE FROM " + table + " WHERE RequestNum = ?", {requestNum});
    for (std::size_t i = 0; i < results; ++i) {
        const Row &line = lines.rows[i];
        call.sql("INSERT INTO " + table +
                     " (RequestNum, LineNo, ExamCode, Fields, Result, NormalValue, Remarks, EmployeeCode, SavedAt) "
                     "VALUES (?, ?, ?, ?, ?, ?, ?, ?, " +
                     call.db.nowExpr() + ")",
                 {requestNum, line[0], line[1], line[2], call.arg(1 + i), line[3], remarks, call.session.auditUser()});
    }
    return {};
}

// Up to 12 requests: their stored lines with the exam's name, for the batch report. FirstLine marks
// the line that opens a request, under which the report prints the exam's heading.
ResultSet getCustomBatchReport(ProcCall &call)
{
    ResultSet out;
    out.columns = {"RequestNum", "ExamName", "LineNo", "Fields", "Result", "NormalValue", "Remarks", "FirstLine"};
    for (std::size_t i = 0; i < call.count(); ++i) {
        const std::string request = keyArg(call, i);
        if (request.empty())
            continue;
        const ResultSet rs = call.sql(
            "SELECT r.RequestNum, e.ExamName, r.LineNo, r.Fields, r.Result, r.NormalValue, r.Remarks FROM " +
                call.t(Database::Laboratory, "tbLabResultCustom") + " r JOIN " +
                call.t(Database::BuildFile, "tbCoLabExam") + " e ON e.Code = r.ExamCode WHERE r.RequestNum = ? "
                "ORDER BY r.LineNo",
            {request});
        for (std::size_t k = 0; k < rs.rows.size(); ++k) {
            Row row = rs.rows[k];
            row.push_back(k == 0 ? Value(std::string("Y")) : Value(std::string()));
            out.rows.push_back(std::move(row));
        }
    }
    return out;
}

} // namespace

void registerInterpretationProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_GetResultWithInterpretation", 1, 1, false, &getResultWithInterpretation});
    r.add({Database::Laboratory, "Lab_BF_GetInterpretation", 1, 1, false, &getInterpretationLegend});
    r.add({Database::Laboratory, "Lab_Save_WithInterpretation", 11, 11, true, &saveWithInterpretation});
    r.add({Database::Laboratory, "Lab_GetResultNormalRange", 1, 1, false, &getResultNormalRange});
    r.add({Database::Laboratory, "LAB_Save_ResultNormalRange", 28, 28, true, &saveResultNormalRange});
    r.add({Database::Laboratory, "Lab_GetNormalRangeReport", 1, 1, false, &getNormalRangeReport});
    r.add({Database::Laboratory, "Lab_GetResultExamFormats", 2, 2, false, &getResultExamFormats});
    r.add({Database::Laboratory, "Lab_Get_HCValues", 1, 1, false, &getHCValues});
    r.add({Database::Laboratory, "Lab_Get_HCValuesBatch", 1, 100, false, &getHCValuesBatch});
    r.add({Database::Laboratory, "Lab_GetResultCustom", 1, 1, false, &getResultCustom});
    r.add({Database::Laboratory, "Lab_GetResultCustomBatch", 2, 2, false, &getResultCustomBatch});
    r.add({Database::Laboratory, "Lab_SaveResultCustom", 1 + 1 + kCustomTrailing, 1 + 200 + kCustomTrailing, true,
           &saveResultCustom});
    r.add({Database::Laboratory, "Lab_GetCustomBatchReport", 1, 12, false, &getCustomBatchReport});
}

} // namespace labdb
