// Clinical microscopy: the urinalysis, fecalysis and stool results in the shared result row, their
// pick lists, and the urinalysis reference ranges.

#include "labdb/procedures.h"
#include "prochelpers.h"
#include "resultrow.h"

#include <string>

namespace labdb {

ResultSet helpers::loadListValues(ProcCall &call, const char *listName)
{
    const std::string mode = keyArg(call, 0);
    if (mode != "0" && mode != "1")
        throw DbError("The list mode must be 0 or 1, not '" + mode + "'.");
    const std::string list = keyArg(call, 1);
    std::string sql = "SELECT ListNo, ResultValue FROM " + call.t(Database::Laboratory, "tbLabMicroscopyList") +
                      " WHERE ListName = ? AND Mode = ?";
    std::vector<Value> params{std::string(listName), mode};
    if (!list.empty()) {
        sql += " AND ListNo = ?";
        params.emplace_back(list);
    }
    return call.sql(sql + " ORDER BY ListNo, SortOrder, ResultValue", params);
}

namespace {

using namespace helpers;

// The method typed on the screen is the one the stored result header shows next time.
void keepMethod(ProcCall &call, const Value &method)
{
    call.sql("UPDATE " + call.t(Database::Laboratory, "tbLabLogbook") + " SET Method = ? WHERE RequestNum = ?",
             {method.value_or(std::string()), keyArg(call, 1)});
}

ResultSet loadUrinalysisValues(ProcCall &call)
{
    return loadListValues(call, "Urinalysis");
}

ResultSet loadFecalysisValues(ProcCall &call)
{
    return loadListValues(call, "Fecalysis");
}

// flag, request, submitted, finished, sample number, then 31 values: arguments 6 to 24 go to
// result1..result19 (method last), 25 repeats the finished time, 26 to 36 go to result21..result31.
ResultSet saveUrinalysis(ProcCall &call)
{
    // The screen sends no LRA time: a later save keeps the one recorded for the request.
    Value lra;
    if (call.arg(0) == "1") {
        const ResultSet kept = call.sql("SELECT lratime FROM " + call.t(Database::Laboratory, "tbLabResult") +
                                            " WHERE RequestNum = ?",
                                        {keyArg(call, 1)});
        if (!kept.rows.empty())
            lra = kept.rows[0][0];
    }
    ResultRowWrite w{keyArg(call, 1), call.args[4], parseDateTimeText(call.arg(2)), lra,
                     parseDateTimeText(call.arg(3)), {}, {}};
    for (std::size_t arg = 6; arg <= 36; ++arg) {
        if (arg != 25)
            w.results[static_cast<int>(arg) - 5] = call.args[arg - 1];
    }
    writeResultRow(call, call.arg(0), w);
    keepMethod(call, call.args[23]);
    return {};
}

// flag, request, submitted, LRA, sample number, ten list values, four findings, remarks, method,
// finished.
ResultSet saveFecalysis(ProcCall &call)
{
    ResultRowWrite w{keyArg(call, 1), call.args[4], parseDateTimeText(call.arg(2)), parseDateTimeText(call.arg(3)),
                     parseDateTimeText(call.arg(21)), {}, {}};
    for (int slot = 1; slot <= 14; ++slot)
        w.results[slot] = call.args[static_cast<std::size_t>(slot) + 4];
    w.results[20] = call.args[19];
    w.results[19] = call.args[20];
    writeResultRow(call, call.arg(0), w);
    keepMethod(call, call.args[20]);
    return {};
}

// flag, request, submitted, finished, sample number, seven list values, 21 findings, report date,
// report time, comments. The finished time is kept as the LRA time, where the screen reads it.
ResultSet saveStoolExam(ProcCall &call)
{
    const Value finished = parseDateTimeText(call.arg(3));
    ResultRowWrite w{keyArg(call, 1), call.args[4], parseDateTimeText(call.arg(2)), finished, finished, {}, {}};
    for (int slot = 1; slot <= 28; ++slot)
        w.results[slot] = call.args[static_cast<std::size_t>(slot) + 4];
    w.results[29] = call.args[35];
    w.resultDate = parseDateTimeText(trimmed(call.arg(33) + " " + call.arg(34)));
    writeResultRow(call, call.arg(0), w);
    return {};
}

ResultSet getUrinalysisRefRange(ProcCall &call)
{
    std::string columns;
    for (int i = 1; i <= 20; ++i)
        columns += (i > 1 ? ", RefRange" : "RefRange") + std::to_string(i);
    return call.sql("SELECT " + columns + " FROM " + call.t(Database::Laboratory, "tbLabUrinalysisRefRange") +
                    " WHERE ID = 1");
}

ResultSet saveUrinalysisRefRange(ProcCall &call)
{
    const std::string table = call.t(Database::Laboratory, "tbLabUrinalysisRefRange");
    std::vector<Value> values;
    std::string set;
    for (std::size_t i = 0; i < 20; ++i) {
        set += (i ? ", RefRange" : "RefRange") + std::to_string(i + 1) + " = ?";
        values.push_back(call.args[i].value_or(std::string()));
    }
    if (call.sql("SELECT 1 FROM " + table + " WHERE ID = 1").rows.empty())
        call.sql("INSERT INTO " + table + " (ID) VALUES (1)");
    call.sql("UPDATE " + table + " SET " + set + " WHERE ID = 1", values);
    return {};
}

} // namespace

void registerMicroscopyProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_Load_UrinalysisValues", 2, 3, false, loadUrinalysisValues});
    r.add({Database::Laboratory, "Lab_Load_FecalysisValues", 2, 3, false, loadFecalysisValues});
    r.add({Database::Laboratory, "Lab_Save_Urinalysis", 36, 36, true, saveUrinalysis});
    r.add({Database::Laboratory, "Lab_Save_Fecalysis", 22, 22, true, saveFecalysis});
    r.add({Database::Laboratory, "Lab_Save_StoolExam", 36, 36, true, saveStoolExam});
    r.add({Database::Laboratory, "sp_GetUrinalysisRefRange", 0, 0, false, getUrinalysisRefRange});
    r.add({Database::Laboratory, "sp_SaveUrinalysisRefRange", 20, 20, true, saveUrinalysisRefRange});
}

} // namespace labdb
