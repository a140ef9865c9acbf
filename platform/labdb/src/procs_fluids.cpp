// Body fluid, semen, sperm count and stone analysis: their saves into the shared result row, their
// reference values and pick lists, and the one-line summary of a sperm count.

#include "fluids_parts.h"
#include "prochelpers.h"
#include "resultrow.h"

#include <string>

namespace labdb {

namespace {

using namespace helpers;

// Position 20 of a body fluid's row is the sixth reference value; its remarks own result20.
constexpr int kBodyFluidSixthReference = 35;

// The screens show the method of the request; what was typed is kept there.
void keepRequestMethod(ProcCall &call, const Value &method)
{
    call.sql("UPDATE " + call.t(Database::Laboratory, "tbLabMaster") + " SET Method = ? WHERE RequestNum = ?",
             {method.value_or(std::string()), keyArg(call, 1)});
}

// flag, request, submitted, LRA, sample number: the head every save of these screens starts with.
ResultRowWrite rowHead(ProcCall &call, std::size_t finishedArg)
{
    return {keyArg(call, 1), call.args[4], parseDateTimeText(call.arg(2)), parseDateTimeText(call.arg(3)),
            parseDateTimeText(call.arg(finishedArg)), {}, {}};
}

// mode, position, (unused): one reference value.
ResultSet referenceValue(ProcCall &call, const char *listName)
{
    return call.sql("SELECT ResultValue FROM " + call.t(Database::Laboratory, "tbLabFluidReference") +
                        " WHERE ListName = ? AND Mode = ? AND Position = ?",
                    {std::string(listName), keyArg(call, 0), keyArg(call, 1)});
}

// The head, 14 results, 14 reference values, remarks, method, finished.
ResultSet saveBodyFluids(ProcCall &call)
{
    ResultRowWrite w = rowHead(call, 35);
    for (int i = 0; i < 14; ++i) {
        w.results[i + 1] = call.args[static_cast<std::size_t>(5 + i)];
        w.results[i == 5 ? kBodyFluidSixthReference : 15 + i] = call.args[static_cast<std::size_t>(19 + i)];
    }
    w.results[20] = call.args[33];
    writeResultRow(call, call.arg(0), w);
    keepRequestMethod(call, call.args[34]);
    return {};
}

// The head, 24 list values, comments, method, finished. The third-hour motile share and the
// agglutination trade places (result21 and result20), where the screen reads them by name.
ResultSet saveSemenAnalysis(ProcCall &call)
{
    ResultRowWrite w = rowHead(call, 31);
    for (int i = 0; i < 24; ++i) {
        const int slot = i == 19 ? 21 : i == 20 ? 20 : i + 1;
        w.results[slot] = call.args[static_cast<std::size_t>(5 + i)];
    }
    w.results[25] = call.args[29];
    writeResultRow(call, call.arg(0), w);
    keepRequestMethod(call, call.args[30]);
    return {};
}

// The head, 12 results, comments, method, finished.
ResultSet saveSpermCount(ProcCall &call)
{
    ResultRowWrite w = rowHead(call, 19);
    for (int i = 0; i < 12; ++i)
        w.results[i + 1] = call.args[static_cast<std::size_t>(5 + i)];
    w.results[20] = call.args[17];
    writeResultRow(call, call.arg(0), w);
    keepRequestMethod(call, call.args[18]);
    return {};
}

// The head, three descriptions, eight list values, comments, method, finished.
ResultSet saveStoneAnalysis(ProcCall &call)
{
    ResultRowWrite w = rowHead(call, 18);
    for (int i = 0; i < 11; ++i)
        w.results[i + 1] = call.args[static_cast<std::size_t>(5 + i)];
    w.results[20] = call.args[16];
    writeResultRow(call, call.arg(0), w);
    keepRequestMethod(call, call.args[17]);
    return {};
}

ResultSet deleteResultSummary(ProcCall &call)
{
    call.sql("DELETE FROM " + call.t(Database::Laboratory, "tbLabResultSummary") + " WHERE RequestNum = ?",
             {keyArg(call, 0)});
    return {};
}

ResultSet saveResultSummary(ProcCall &call)
{
    const std::string table = call.t(Database::Laboratory, "tbLabResultSummary");
    // Saved twice without the delete, the newer summary stands.
    call.sql("DELETE FROM " + table + " WHERE RequestNum = ?", {keyArg(call, 0)});
    call.sql("INSERT INTO " + table + " (RequestNum, Summary, SavedAt) VALUES (?, ?, " + call.db.nowExpr() + ")",
             {keyArg(call, 0), call.args[1].value_or(std::string())});
    return {};
}

} // namespace

void layOutBodyFluidRow(ResultSet &rs)
{
    const int remarks = rs.columnIndex("result20");
    const int reference = rs.columnIndex("result" + std::to_string(kBodyFluidSixthReference));
    if (remarks < 0 || reference < 0)
        return;
    rs.columns[static_cast<std::size_t>(remarks)] = "ReferenceValue6";
    rs.columns.push_back("result20");
    for (Row &row : rs.rows) {
        const Value kept = row[static_cast<std::size_t>(remarks)];
        row[static_cast<std::size_t>(remarks)] = row[static_cast<std::size_t>(reference)];
        row.push_back(kept);
    }
}

void registerFluidsProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_Load_BodyFluidValues", 3, 3, false,
           [](ProcCall &c) { return referenceValue(c, "BodyFluid"); }});
    r.add({Database::Laboratory, "Lab_Load_SemenValues", 3, 3, false,
           [](ProcCall &c) { return referenceValue(c, "Semen"); }});
    r.add({Database::Laboratory, "Lab_Load_SemenResulResultValues", 2, 3, false,
           [](ProcCall &c) { return loadListValues(c, "Semen"); }});
    r.add({Database::Laboratory, "Lab_Load_StoneValues", 2, 3, false,
           [](ProcCall &c) { return loadListValues(c, "Stone"); }});
    r.add({Database::Laboratory, "Lab_Save_BodyFluids", 36, 36, true, saveBodyFluids});
    r.add({Database::Laboratory, "Lab_Save_SemenAnalysis", 32, 32, true, saveSemenAnalysis});
    r.add({Database::Laboratory, "Lab_Save_SpermCount", 20, 20, true, saveSpermCount});
    r.add({Database::Laboratory, "Lab_Save_StoneAnalysis", 19, 19, true, saveStoneAnalysis});
    r.add({Database::Laboratory, "Lab_DeleteDump_ResultSummary", 1, 1, true, deleteResultSummary});
    r.add({Database::Laboratory, "Lab_SaveDump_ResultSummary", 2, 2, true, saveResultSummary});
}

} // namespace labdb
