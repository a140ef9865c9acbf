#include "resultrow.h"

#include "labdb/session.h"

namespace labdb {

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
    if (w.resultDate) {
        cols.push_back("ResultDate");
        values.push_back(*w.resultDate);
    }
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
    std::string names = "RequestNum";
    std::string marks = "?";
    if (!w.resultDate) {
        names += ", ResultDate";
        marks += ", " + call.db.nowExpr();
    }
    for (const std::string &c : cols) {
        names += ", " + c;
        marks += ", ?";
    }
    values.insert(values.begin(), w.requestNum);
    call.sql("INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")", values);
}

} // namespace labdb
