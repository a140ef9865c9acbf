// The shared result row of the screens that read their results back by position, and the
// coagulation and blood-gas procedures that write it.

#include "labdb/procedures.h"
#include "labdb/session.h"
#include "fluids_parts.h"
#include "prochelpers.h"
#include "resultrow.h"

namespace labdb {

namespace {

using namespace helpers;


// The row's columns by position, then the logbook row's version: screens that never read the
// stored result header still learn which save they were filled from.
ResultSet getResultHcodes(ProcCall &call)
{
    ResultSet rs = call.sql("SELECT r.*, l.RowVersion AS LogbookVersion, e.FormType, e.ValueType FROM " +
                                call.t(Database::Laboratory, "tbLabResult") + " r LEFT JOIN " +
                                call.t(Database::Laboratory, "tbLabLogbook") +
                                " l ON l.RequestNum = r.RequestNum LEFT JOIN " +
                                call.t(Database::Laboratory, "tbLabMaster") +
                                " m ON m.RequestNum = r.RequestNum LEFT JOIN " +
                                call.t(Database::BuildFile, "tbCoLabExam") +
                                " e ON e.Code = m.ExamCode WHERE r.RequestNum = ?",
                            {keyArg(call, 0)});
    // The exam's format codes only choose the row's layout; the screens never see them.
    const bool bodyFluid = !rs.rows.empty() && textOf(rs.rows[0][rs.rows[0].size() - 2]) == "H" &&
                           textOf(rs.rows[0].back()) == "L";
    rs.columns.resize(rs.columns.size() - 2);
    for (Row &row : rs.rows)
        row.resize(row.size() - 2);
    if (bodyFluid)
        layOutBodyFluidRow(rs);
    return rs;
}

// flag, request, submitted, LRA, accession, method and the other results, comments, method again,
// finished.
ResultSet saveAptt(ProcCall &call)
{
    const std::size_t n = call.count();
    const std::size_t fields = n - 8;
    ResultRowWrite w{keyArg(call, 1), call.args[4], parseDateTimeText(call.arg(2)), parseDateTimeText(call.arg(3)),
                     parseDateTimeText(call.arg(n - 1)), {}, {}};
    for (std::size_t i = 0; i < fields; ++i)
        w.results[static_cast<int>(i) + 1] = call.args[5 + i];
    w.results[20] = call.args[5 + fields];
    writeResultRow(call, call.arg(0), w);
    return {};
}

// flag, request, submitted, accession, the results, comments, finished.
ResultSet saveAbg(ProcCall &call)
{
    const std::size_t n = call.count();
    const std::size_t fields = n - 6;
    ResultRowWrite w{keyArg(call, 1), call.args[3], parseDateTimeText(call.arg(2)), Value(),
                     parseDateTimeText(call.arg(n - 1)), {}, {}};
    for (std::size_t i = 0; i < fields; ++i)
        w.results[static_cast<int>(i) + 1] = call.args[4 + i];
    w.results[20] = call.args[4 + fields];
    writeResultRow(call, call.arg(0), w);
    return {};
}

// list number, exam code: the values a blood-gas field offers.
ResultSet loadAbgValues(ProcCall &call)
{
    ResultSet rs = call.sql("SELECT Value FROM " + call.t(Database::Laboratory, "tbLabPickList") +
                                " WHERE ListName = 'ABG' AND ListNo = ? AND (ExamCode = ? OR ExamCode = '')"
                                " ORDER BY SortOrder",
                            {call.arg(0), keyArg(call, 1)});
    rs.columns = {"Description"};
    return rs;
}

} // namespace

void registerResultProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_GetResultHcodes", 1, 1, false, getResultHcodes});
    // Ten result fields up to the nineteen a full row holds.
    r.add({Database::Laboratory, "Lab_Save_APTT", 9, 27, true, saveAptt});
    r.add({Database::Laboratory, "Lab_Save_ABG", 7, 25, true, saveAbg});
    r.add({Database::Laboratory, "Lab_Load_ABGValues", 2, 2, false, loadAbgValues});
}

} // namespace labdb
