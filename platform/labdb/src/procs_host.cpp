// Procedures the host application's worklist uses; the result-entry component never calls them.

#include "labdb/procedures.h"

namespace labdb {

namespace {

// One row per request: what the laboratory module lists before a technologist opens one.
ResultSet getWorklist(ProcCall &call)
{
    const std::string filter = "%" + call.arg(0) + "%";
    ResultSet rs = call.sql(
        "SELECT m.RequestNum, COALESCE(p.LastName || ', ' || p.FirstName, ''), COALESCE(e.ExamName, ''), "
        "COALESCE(s.LabSection, ''), COALESCE(e.FormType, ''), COALESCE(e.ValueType, ''), "
        "CASE WHEN lb.RequestNum IS NULL THEN 'N' ELSE 'Y' END, "
        "CASE WHEN lb.VerifiedBy IS NULL OR lb.VerifiedBy = '' THEN 'N' ELSE 'Y' END FROM " +
            call.t(Database::Laboratory, "tbLabMaster") + " m LEFT JOIN " +
            call.t(Database::PatientData, "tbPatientMaster") + " p ON p.HospNum = m.HospNum LEFT JOIN " +
            call.t(Database::BuildFile, "tbCoLabExam") + " e ON e.Code = m.ExamCode LEFT JOIN " +
            call.t(Database::BuildFile, "tbCoLabSection") + " s ON s.SectionID = e.SectionID LEFT JOIN " +
            call.t(Database::Laboratory, "tbLabLogbook") +
            " lb ON lb.RequestNum = m.RequestNum"
            " WHERE m.RequestNum LIKE ? OR p.LastName LIKE ? OR p.FirstName LIKE ? OR e.ExamName LIKE ?"
            " ORDER BY m.RequestNum",
        {filter, filter, filter, filter});
    rs.columns = {"RequestNum", "PatientName", "ExamName", "LabSection", "FormType", "ValueType", "HasResult",
                  "Verified"};
    return rs;
}

} // namespace

void registerHostProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_Host_GetWorklist", 1, 1, false, getWorklist});
}

} // namespace labdb
