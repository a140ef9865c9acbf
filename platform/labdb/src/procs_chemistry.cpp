// Chemistry with normal values: the result formats, normal values by reagent, age band and sex,
// analyser results, and the save and load of one result row per exam.

#include "labdb/normalvalues.h"
#include "labdb/procedures.h"
#include "labdb/session.h"
#include "prochelpers.h"

#include <string>
#include <vector>

namespace labdb {

namespace {

using namespace helpers;

// The columns of a result format row, in the order the screen reads them.
const std::vector<std::string> kFormatColumns{"RequestNum", "code",  "Exam", "sNValue", "sUnit",
                                              "sMin",       "sMax",  "CNValue", "CUnit", "CMin",
                                              "CMax",       "Factor", "FormType"};

int entryModeArg(const ProcCall &call, std::size_t i)
{
    const auto mode = numericValue(call.arg(i));
    return mode ? static_cast<int>(*mode) : 0;
}

struct RequestFacts {
    std::string examCode;
    std::string sex;
};

RequestFacts requestFacts(ProcCall &call, const std::string &requestNum)
{
    const ResultSet rs = call.sql("SELECT m.ExamCode, p.Sex FROM " + call.t(Database::Laboratory, "tbLabMaster") +
                                      " m LEFT JOIN " + call.t(Database::PatientData, "tbPatientMaster") +
                                      " p ON p.HospNum = m.HospNum WHERE m.RequestNum = ?",
                                  {requestNum});
    if (rs.rows.empty())
        throw DbError("Request " + requestNum + " does not exist.");
    return {textOf(rs.rows[0][0]), textOf(rs.rows[0][1])};
}

// The exam's rows for the entry mode; a mode without rows of its own uses the rows of mode 0. An
// exam the laboratory never formatted still gets one row, so its result can be entered.
ResultSet formatRows(ProcCall &call, const std::string &requestNum, int entryMode)
{
    const RequestFacts facts = requestFacts(call, requestNum);
    const std::string format = call.t(Database::Laboratory, "tbLabResultFormat");
    ResultSet rs = call.sql("SELECT CAST(? AS TEXT), Code, Exam, sNValue, sUnit, sMin, sMax, CNValue, CUnit, CMinValue, CMaxValue, "
                            "Factor, FormType FROM " + format + " WHERE ExamCode = ? AND EntryMode = (SELECT MAX(EntryMode) "
                            "FROM " + format + " WHERE ExamCode = ? AND EntryMode IN (0, ?)) ORDER BY LineNo, Code",
                            {requestNum, facts.examCode, facts.examCode, std::to_string(entryMode)});
    if (rs.rows.empty()) {
        rs = call.sql("SELECT CAST(? AS TEXT), Code, ExamName, '', '', '', '', '', '', '', '', '', FormType FROM " +
                          call.t(Database::BuildFile, "tbCoLabExam") + " WHERE Code = ?",
                      {requestNum, facts.examCode});
    }
    rs.columns = kFormatColumns;
    return rs;
}

// requestNum, entryMode
ResultSet fillReagentValues(ProcCall &call)
{
    return formatRows(call, keyArg(call, 0), entryModeArg(call, 1));
}

struct SexRange {
    std::string min, max, unit;
};

std::optional<SexRange> reagentRange(ProcCall &call, const std::string &examCode, const std::string &reagentCode,
                                     bool female)
{
    const ResultSet rs = call.sql("SELECT Maleminvalue, MaleMaxVAlue, feMaleminvalue, feMaleMaxVAlue, SIUnit FROM " +
                                      call.t(Database::Laboratory, "tbLabReagentSexNValues") +
                                      " WHERE ExamCode = ? AND ReagentCode = ?",
                                  {examCode, reagentCode});
    if (rs.rows.empty())
        return std::nullopt;
    const Row &r = rs.rows[0];
    return female ? SexRange{textOf(r[2]), textOf(r[3]), textOf(r[4])}
                  : SexRange{textOf(r[0]), textOf(r[1]), textOf(r[4])};
}

// requestNum, instrumentId, entryMode: the format rows with the ranges of the analyser's reagent
// where the laboratory set them (analysers take a patient as female only when the sex is "F").
ResultSet fillInstrumentValues(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    ResultSet rs = formatRows(call, requestNum, entryModeArg(call, 2));
    const ResultSet instrument = call.sql("SELECT ReagentCode FROM " +
                                              call.t(Database::Laboratory, "tbLabInstrumentName") +
                                              " WHERE InstrumentID = ?",
                                          {keyArg(call, 1)});
    if (instrument.rows.empty())
        throw DbError("Instrument " + keyArg(call, 1) + " does not exist.");
    const std::string reagent = trimmed(textOf(instrument.rows[0][0]));
    const bool female = requestFacts(call, requestNum).sex == "F";
    for (Row &row : rs.rows) {
        if (const auto range = reagentRange(call, textOf(row[1]), reagent, female)) {
            row[3] = range->min + "-" + range->max;
            row[4] = range->unit;
            row[5] = range->min;
            row[6] = range->max;
        }
    }
    return rs;
}

ResultSet getResultReagentValues(ProcCall &call)
{
    ResultSet rs = call.sql(
        "SELECT r.RequestNum, r.ExamCode, r.ExamName, r.sResult, r.sNValues, r.sUnit, r.sMin, r.sMax, r.CResult, "
        "r.CNValues, r.CUnit, r.CMinValue, r.CMaxValue, r.Factor, r.FormType, r.Flag, lb.AccessionNum, lb.ResultDate, "
        "lb.samplesubmitted, lb.lratime FROM " + call.t(Database::Laboratory, "tbLabResultNValues") + " r JOIN " +
            call.t(Database::Laboratory, "tbLabLogbook") +
            " lb ON lb.RequestNum = r.RequestNum WHERE r.RequestNum = ? ORDER BY r.RowNo, r.ExamCode",
        {keyArg(call, 0)});
    rs.columns = {"RequestNum", "ExamCode", "ExamName", "sResult",   "sNValues",   "sUnit",
                  "sMin",       "sMax",     "CResult",  "CNValues",  "CUnit",      "CMin",
                  "CMax",       "Factor",   "FormType", "Flag",      "AccessionNum", "ResultDate",
                  "samplesubmitted", "lratime"};
    return rs;
}

// The row's exam name as the request's format names it, else as the exam master does.
std::string examNameFor(ProcCall &call, const std::string &requestExam, const std::string &code)
{
    ResultSet rs = call.sql("SELECT Exam FROM " + call.t(Database::Laboratory, "tbLabResultFormat") +
                                " WHERE ExamCode = ? AND Code = ? ORDER BY EntryMode",
                            {requestExam, code});
    if (rs.rows.empty())
        rs = call.sql("SELECT ExamName FROM " + call.t(Database::BuildFile, "tbCoLabExam") + " WHERE Code = ?", {code});
    return rs.rows.empty() ? std::string() : textOf(rs.rows[0][0]);
}

// The 24 arguments of one result row: request, exam, SI result, normal value, unit, min, max,
// conventional result, normal value, unit, min, max, factor, form type, row number, sample number,
// remarks, submitted, LRA, (unused), employee, verified Y/N, method, finished. The row keeps the
// normal value it was judged by; the logbook takes the header fields.
ResultSet saveResultWithNormalValues(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    const std::string code = keyArg(call, 1);
    if (code.empty())
        throw DbError("A result row needs an exam code.");
    const auto rowNo = numericValue(call.arg(14));
    if (!rowNo)
        throw DbError("The row number '" + call.arg(14) + "' is not a number.");
    const std::string verified = call.arg(21);
    if (verified != "Y" && verified != "N")
        throw DbError("The verified flag must be Y or N, not '" + verified + "'.");
    const Value submitted = parseDateTimeText(call.arg(17));
    const Value lra = parseDateTimeText(call.arg(18));
    const Value finished = parseDateTimeText(call.arg(23));

    const std::string logbook = call.t(Database::Laboratory, "tbLabLogbook");
    const ResultSet updated = call.sql(
        "UPDATE " + logbook + " SET AccessionNum = ?, Remarks = ?, samplesubmitted = COALESCE(?, samplesubmitted), "
        "lratime = COALESCE(?, lratime), Method = ?, DateFinished = COALESCE(?, DateFinished) WHERE RequestNum = ?",
        {call.arg(15), call.arg(16), submitted, lra, call.arg(22), finished, requestNum});
    if (updated.rowsAffected == 0)
        throw DbError("Request " + requestNum + " is not in the result logbook; its result must be saved first.");
    call.savesResultOf(requestNum);

    const std::string results = call.t(Database::Laboratory, "tbLabResultNValues");
    const std::string flag = resultFlag(call.arg(2), call.arg(5), call.arg(6));
    std::vector<Value> values{std::to_string(static_cast<int>(*rowNo))};
    for (std::size_t i : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13})
        values.push_back(call.arg(i));
    values.insert(values.end(), {flag, call.arg(20), verified});
    const bool exists =
        !call.sql("SELECT 1 FROM " + results + " WHERE RequestNum = ? AND ExamCode = ?", {requestNum, code}).rows.empty();
    const std::string cols = "RowNo, sResult, sNValues, sUnit, sMin, sMax, CResult, CNValues, CUnit, CMinValue, "
                             "CMaxValue, "
                             "Factor, FormType, Flag, EmployeeCode, Verified";
    if (exists) {
        std::string sql = "UPDATE " + results + " SET ";
        std::size_t start = 0;
        bool first = true;
        while (start < cols.size()) {
            std::size_t end = cols.find(", ", start);
            if (end == std::string::npos)
                end = cols.size();
            sql += (first ? "" : ", ") + cols.substr(start, end - start) + " = ?";
            first = false;
            start = end + 2;
        }
        values.insert(values.end(), {requestNum, code});
        call.sql(sql + ", SavedAt = " + call.db.nowExpr() + " WHERE RequestNum = ? AND ExamCode = ?", values);
    } else {
        const std::string name = examNameFor(call, requestFacts(call, requestNum).examCode, code);
        values.insert(values.begin(), {requestNum, code, name});
        std::string marks;
        for (std::size_t i = 0; i < values.size(); ++i)
            marks += i ? ", ?" : "?";
        call.sql("INSERT INTO " + results + " (RequestNum, ExamCode, ExamName, " + cols + ", SavedAt) VALUES (" +
                     marks + ", " + call.db.nowExpr() + ")",
                 values);
    }
    return ResultSet{{}, {}, 1};
}

// The exam's own rows, or those of the components of a panel of that code.
std::string examOrComponents(ProcCall &call)
{
    return "(ExamCode = ? OR ExamCode IN (SELECT Code FROM " + call.t(Database::Laboratory, "tbLabResultFormat") +
           " WHERE ExamCode = ?))";
}

// code, '' -> the age bands offered; code, band number -> that band's normal values.
ResultSet getAgeNValues(ProcCall &call)
{
    const std::string code = keyArg(call, 0);
    const std::string table = call.t(Database::Laboratory, "tbLabAgeBand");
    if (trimmed(call.arg(1)).empty()) {
        ResultSet rs = call.sql("SELECT DISTINCT BandNo, Age FROM " + table + " WHERE " + examOrComponents(call) +
                                    " ORDER BY BandNo",
                                {code, code});
        rs.columns = {"BandNo", "Age"};
        return rs;
    }
    const auto band = numericValue(call.arg(1));
    if (!band)
        throw DbError("The age band '" + call.arg(1) + "' is not a number.");
    ResultSet rs = call.sql("SELECT Age, RangeValue, MinValue, MaxValue, Unit, CRangeValue, CMinValue, CMaxValue, "
                            "ConversionUnit, ConversionFactor FROM " + table + " WHERE ExamCode = ? AND BandNo = ?",
                            {code, std::to_string(static_cast<int>(*band))});
    rs.columns = {"Age",         "RangeValue", "MinValue",  "MaxValue",       "Unit",
                  "CRangeValue", "CMinValue",  "CMaxValue", "ConversionUnit", "ConversionFactor"};
    return rs;
}

// code -> the reagents with normal values for the exam (or the panel's components).
ResultSet searchReagentNValues(ProcCall &call)
{
    const std::string code = keyArg(call, 0);
    ResultSet rs = call.sql("SELECT DISTINCT COALESCE(rg.Reagent, n.ReagentCode), n.ReagentCode FROM " +
                                call.t(Database::Laboratory, "tbLabReagentSexNValues") + " n LEFT JOIN " +
                                call.t(Database::BuildFile, "TbCoLabReagents") +
                                " rg ON rg.ReagentCode = n.ReagentCode WHERE " + examOrComponents(call) +
                                " ORDER BY 1",
                            {code, code});
    rs.columns = {"Reagent", "ReagentCode"};
    return rs;
}

ResultSet getReagentNValues(ProcCall &call)
{
    ResultSet rs = call.sql("SELECT Maleminvalue, MaleMaxVAlue, feMaleminvalue, feMaleMaxVAlue, SIUnit FROM " +
                                call.t(Database::Laboratory, "tbLabReagentSexNValues") +
                                " WHERE ExamCode = ? AND ReagentCode = ?",
                            {keyArg(call, 0), trimmed(call.arg(1))});
    rs.columns = {"Maleminvalue", "MaleMaxVAlue", "feMaleminvalue", "feMaleMaxVAlue", "SIUnit"};
    return rs;
}

ResultSet defaultFor(ProcCall &call, const char *column)
{
    ResultSet rs = call.sql("SELECT " + std::string(column) + " FROM " +
                                call.t(Database::Laboratory, "tbLabNValueDefault") + " WHERE FormType = ? AND " +
                                column + " <> ''",
                            {keyArg(call, 0)});
    rs.columns = {column};
    return rs;
}

ResultSet loadExamEntry(ProcCall &call)
{
    ResultSet rs = call.sql("SELECT Code, Exam, Factor, Operator FROM " +
                                call.t(Database::Laboratory, "tbLabResultFormat") +
                                " WHERE Code = ? ORDER BY EntryMode, ExamCode",
                            {keyArg(call, 0)});
    rs.columns = {"Code", "Exam", "Factor", "Operator"};
    return rs;
}

// sample, test code ('' = any test): how many results the most repeated test has.
ResultSet countInstrumentResults(ProcCall &call)
{
    const std::string test = trimmed(call.arg(1));
    const ResultSet rs = call.sql("SELECT COUNT(*) FROM " + call.t(Database::Laboratory, "tbLabInstrumentResult") +
                                      " WHERE SampleNum = ? AND (CAST(? AS TEXT) = '' OR TestCode = ?) GROUP BY TestCode"
                                      " ORDER BY 1 DESC",
                                  {keyArg(call, 0), test, test});
    return ResultSet{{"Number"}, {{rs.rows.empty() ? std::string("0") : textOf(rs.rows[0][0])}}, -1};
}

std::string latestResultSql(ProcCall &call, const char *condition)
{
    return "SELECT sResult FROM " + call.t(Database::Laboratory, "tbLabInstrumentResult") + " WHERE SampleNum = ? AND " +
           condition + " ORDER BY ReceivedAt DESC, ResultID DESC LIMIT 1";
}

ResultSet vitrosResultPerExam(ProcCall &call)
{
    ResultSet rs = call.sql(latestResultSql(call, "TestCode = ?"), {keyArg(call, 0), trimmed(call.arg(1))});
    rs.columns = {"sResult"};
    return rs;
}

// sample, request, entry mode: the request's format rows with the analyser's latest result for
// each; nothing when the analyser sent nothing for the sample.
ResultSet getInstrumentResult(ProcCall &call)
{
    const std::string sample = keyArg(call, 0);
    ResultSet format = formatRows(call, keyArg(call, 1), entryModeArg(call, 2));
    ResultSet rs;
    rs.columns = {"code", "Exam", "sResult", "sNValue", "sMin", "sMax", "sUnit", "CResult",
                  "CNValue", "CUnit", "CMin", "CMax", "Factor", "FormType", "RequestNum"};
    bool any = false;
    for (const Row &f : format.rows) {
        const ResultSet machine = call.sql(latestResultSql(call, "ExamCode = ?"), {sample, textOf(f[1])});
        const std::string result = machine.rows.empty() ? std::string() : textOf(machine.rows[0][0]);
        any = any || !machine.rows.empty();
        rs.rows.push_back({f[1], f[2], result, f[3], f[5], f[6], f[4],
                           convertWithFactor(textOf(f[11]), result, true), f[7], f[8], f[9], f[10], f[11], f[12],
                           f[0]});
    }
    if (!any)
        rs.rows.clear();
    return rs;
}

} // namespace

void registerChemistryProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_FormMaker_FillReagentValues", 2, 2, false, &fillReagentValues});
    r.add({Database::Laboratory, "Lab_FormMaker_FillInstrumentValues", 3, 3, false, &fillInstrumentValues});
    r.add({Database::Laboratory, "Lab_FormMaker_GetResult_ReagentValues", 1, 1, false, &getResultReagentValues});
    r.add({Database::Laboratory, "Lab_FormMaker_SaveResultWithNormalValues", 24, 24, true,
           &saveResultWithNormalValues});
    r.add({Database::Laboratory, "Lab_BF_GetAgeNValues", 2, 2, false, &getAgeNValues});
    r.add({Database::Laboratory, "Lab_BF_SearchReagentNValues", 1, 1, false, &searchReagentNValues});
    r.add({Database::Laboratory, "Lab_BF_GetReagentNValues", 2, 2, false, &getReagentNValues});
    r.add({Database::Laboratory, "Lab_GetAgeCode", 1, 1, false, [](ProcCall &c) { return defaultFor(c, "Age"); }});
    r.add({Database::Laboratory, "Lab_GetReagentCode", 1, 1, false,
           [](ProcCall &c) { return defaultFor(c, "ReagentCode"); }});
    r.add({Database::Laboratory, "sp_LabLoadExamEntry", 1, 1, false, &loadExamEntry});
    r.add({Database::Laboratory, "Count_VitrosResult", 2, 2, false, &countInstrumentResults});
    r.add({Database::Laboratory, "get_Vitros_result_per_exam", 2, 2, false, &vitrosResultPerExam});
    r.add({Database::Laboratory, "Lab_getInstrumentResult", 3, 3, false, &getInstrumentResult});
}

// An exam is age- or reagent-dependent when the laboratory keeps normal values of that kind for it.
void registerChemistryFunctions(ScalarFunctionRegistry &r)
{
    const auto exists = [](const char *table) {
        return [table](const Driver &db) {
            return "(SELECT CASE WHEN EXISTS (SELECT 1 FROM " + db.qualify(Database::Laboratory, table) +
                   " WHERE ExamCode = ?) THEN 1 ELSE 0 END)";
        };
    };
    r.add({Database::Laboratory, "fn_LabIsAgeNValueFormat", 1, exists("tbLabAgeBand")});
    r.add({Database::Laboratory, "fn_LabIsReagentNValueFormat", 1, exists("tbLabReagentSexNValues")});
}

} // namespace labdb
