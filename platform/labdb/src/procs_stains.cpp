// Stained smears: the Gram stain's findings in their own table, the AFB smear and the urine Wright
// stain in the shared result row.

#include "labdb/procedures.h"
#include "labdb/session.h"
#include "prochelpers.h"
#include "resultrow.h"

#include <array>
#include <string>

namespace labdb {

namespace {

using namespace helpers;

// In the order the screen sends and reads them.
constexpr std::array<const char *, 12> kGramStainColumns{"Specimen",    "Result", "Pus1", "Pus2", "Epithelial1",
                                                         "Epithelial2", "Organism", "Seen", "AFB", "Smear",
                                                         "KOH",         "Remarks"};

ResultSet getResultGramStain(ProcCall &call)
{
    std::string columns = "RequestNum";
    for (const char *c : kGramStainColumns)
        columns += std::string(", ") + c;
    ResultSet rs = call.sql("SELECT " + columns + " FROM " + call.t(Database::Laboratory, "tbLabGramStain") +
                                " WHERE RequestNum = ?",
                            {keyArg(call, 0)});
    rs.columns = {"RequestNum"};
    rs.columns.insert(rs.columns.end(), kGramStainColumns.begin(), kGramStainColumns.end());
    return rs;
}

// request, then the twelve findings. There is no flag: the row is written whether it exists or not.
ResultSet saveGramStain(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    if (requestNum.empty())
        throw DbError("The Gram stain needs a request number.");
    call.savesResultOf(requestNum);
    const std::string table = call.t(Database::Laboratory, "tbLabGramStain");
    if (call.sql("SELECT 1 FROM " + table + " WHERE RequestNum = ?", {requestNum}).rows.empty())
        call.sql("INSERT INTO " + table + " (RequestNum, EmployeeCode) VALUES (?, '')", {requestNum});
    std::string set;
    std::vector<Value> values;
    for (std::size_t i = 0; i < kGramStainColumns.size(); ++i) {
        set += std::string(kGramStainColumns[i]) + " = ?, ";
        values.push_back(call.args[i + 1]);
    }
    values.emplace_back(call.session.auditUser());
    values.emplace_back(requestNum);
    call.sql("UPDATE " + table + " SET " + set + "EmployeeCode = ?, SavedAt = " + call.db.nowExpr() +
                 " WHERE RequestNum = ?",
             values);
    return {};
}

// The finished time and method the screen sends are the stored header's from now on.
void keepFinishedAndMethod(ProcCall &call, const Value &finished, const Value &method)
{
    const std::string logbook = call.t(Database::Laboratory, "tbLabLogbook");
    call.sql("UPDATE " + logbook + " SET Method = ? WHERE RequestNum = ?",
             {method.value_or(std::string()), keyArg(call, 1)});
    if (finished)
        call.sql("UPDATE " + logbook + " SET DateFinished = ? WHERE RequestNum = ?", {finished, keyArg(call, 1)});
}

// flag, request, submitted, LRA, sample number, specimen, specimen number, visual appearance,
// result, comments, method, finished.
ResultSet saveAfb(ProcCall &call)
{
    const Value finished = parseDateTimeText(call.arg(11));
    ResultRowWrite w{keyArg(call, 1), call.args[4], parseDateTimeText(call.arg(2)), parseDateTimeText(call.arg(3)),
                     finished, {}, {}};
    for (int slot = 1; slot <= 4; ++slot)
        w.results[slot] = call.args[static_cast<std::size_t>(slot) + 4];
    w.results[20] = call.args[9];
    writeResultRow(call, call.arg(0), w);
    keepFinishedAndMethod(call, finished, call.args[10]);
    return {};
}

// flag, request, submitted, LRA, accession number, color, clarity, neutrophils, lymphocytes,
// eosinophils, report date, report time, comments.
ResultSet saveUrineWright(ProcCall &call)
{
    ResultRowWrite w{keyArg(call, 1), call.args[4], parseDateTimeText(call.arg(2)), parseDateTimeText(call.arg(3)),
                     Value(), {}, {}};
    for (int slot = 1; slot <= 5; ++slot)
        w.results[slot] = call.args[static_cast<std::size_t>(slot) + 4];
    w.results[20] = call.args[12];
    w.resultDate = parseDateTimeText(trimmed(call.arg(10) + " " + call.arg(11)));
    writeResultRow(call, call.arg(0), w);
    return {};
}

} // namespace

void registerStainProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_GetResultGramStain", 1, 1, false, getResultGramStain});
    r.add({Database::Laboratory, "Lab_Save_GramStain", 13, 13, true, saveGramStain});
    r.add({Database::Laboratory, "Lab_Save_AFB", 12, 12, true, saveAfb});
    r.add({Database::Laboratory, "Lab_Save_UrineWright", 13, 13, true, saveUrineWright});
}

} // namespace labdb
