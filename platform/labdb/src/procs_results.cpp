// The shared result row of the screens that read their results back by position, and the
// coagulation and blood-gas procedures that write it.

#include "labdb/procedures.h"
#include "labdb/session.h"
#include "prochelpers.h"

#include <map>

namespace labdb {

namespace {

using namespace helpers;


// One save of a result row: the header columns and the numbered result slots it sets.
struct ResultRowWrite {
    std::string requestNum;
    Value accessionNum;
    Value samplesubmitted;
    Value lratime;
    Value dateFinished;
    std::map<int, Value> results; // slot number -> value
};

// First save (flag 0) inserts the row and stamps the result date; a later save (flag 1) updates
// what it carries. A first save over an existing row is refused: another workstation got there.
void writeResultRow(ProcCall &call, const std::string &flag, const ResultRowWrite &w)
{
    call.savesResultOf(w.requestNum);
    const std::string table = call.t(Database::Laboratory, "tbLabResult");
    const bool exists = !call.sql("SELECT 1 FROM " + table + " WHERE RequestNum = ?", {w.requestNum}).rows.empty();
    if (flag == "0" && exists)
        throw DbError("Request " + w.requestNum + " already has a stored result.", DbError::Kind::Constraint);
    if (flag != "0" && flag != "1")
        throw DbError("The save flag must be 0 or 1, not '" + flag + "'.");

    std::vector<std::string> cols{"AccessionNum", "samplesubmitted", "lratime", "DateFinished", "EmployeeCode"};
    std::vector<Value> values{w.accessionNum.value_or(std::string()), w.samplesubmitted, w.lratime, w.dateFinished,
                              call.session.auditUser()};
    for (const auto &[slot, value] : w.results) {
        cols.push_back("result" + std::to_string(slot));
        values.push_back(value);
    }
    if (exists) {
        std::string sql = "UPDATE " + table + " SET ";
        for (std::size_t i = 0; i < cols.size(); ++i)
            sql += (i ? ", " : "") + cols[i] + " = ?";
        values.push_back(w.requestNum);
        call.sql(sql + " WHERE RequestNum = ?", values);
        return;
    }
    std::string names = "RequestNum, ResultDate";
    std::string marks = "?, " + call.db.nowExpr();
    for (const std::string &c : cols) {
        names += ", " + c;
        marks += ", ?";
    }
    values.insert(values.begin(), w.requestNum);
    call.sql("INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")", values);
}

ResultSet getResultHcodes(ProcCall &call)
{
    return call.sql("SELECT * FROM " + call.t(Database::Laboratory, "tbLabResult") + " WHERE RequestNum = ?",
                    {keyArg(call, 0)});
}

// flag, request, submitted, LRA, accession, method and the other results, comments, method again,
// finished.
ResultSet saveAptt(ProcCall &call)
{
    const std::size_t n = call.count();
    const std::size_t fields = n - 8;
    ResultRowWrite w{keyArg(call, 1), call.args[4], parseDateTimeText(call.arg(2)), parseDateTimeText(call.arg(3)),
                     parseDateTimeText(call.arg(n - 1)), {}};
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
                     parseDateTimeText(call.arg(n - 1)), {}};
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
