// The loaders that run on every Show_ResultEntry: hospital header, request, exam reagent.

#include "session/sessioncontext.h"

#include <QDate>
#include <QTime>

namespace corvane {

namespace {

QString text(const Recordset &rs, const char *column)
{
    return rs.field(QLatin1String(column)).toString();
}

} // namespace

void SessionContext::LoadHospitalHeader()
{
    Recordset rs = db().query(Command("select * from Patient_Data..tbHospitalInfo"));
    if (rs.eof())
        return;
    HospitalTitle = rs.field(QStringLiteral("Title")).toStringOr().toUpper();
    HospitalCompany = rs.field(QStringLiteral("Company")).toString().toUpper();
    HospitalAddress = rs.field(QStringLiteral("address1")).toStringOr();
}

bool SessionContext::LoadRequest(const QString &requestNum)
{
    Recordset rs = db().query(Command("Lab_Get_PatientInformation '") << requestNum.trimmed() << "'");
    if (rs.recordCount() == 0)
        return false;
    readRequestRecord(rs, RequestRecord);
    return true;
}

void readRequestRecord(const Recordset &rs, RequestRecord &r)
{
    // Each column goes straight into its field, in this order, so a Null stops the load with
    // the earlier fields already replaced.
    r.HospNum = text(rs, "HospNum");
    r.IDNum = text(rs, "IDNum");
    r.PatientName = text(rs, "PatientName");
    r.Sex = text(rs, "Sex");
    r.Age = text(rs, "Age");
    r.CivilStatus = text(rs, "CivilStatus");
    r.RoomID = text(rs, "RoomID");
    r.Class = text(rs, "Class");
    r.Ward = text(rs, "Ward");
    const Field requestDate = rs.field(QStringLiteral("requestdate"));
    r.requestdate = requestDate.isNull() ? QDateTime(QDate::currentDate(), QTime(0, 0))
                                         : requestDate.toDateTime();
    r.Doctor = text(rs, "Doctor");
    r.Rush = text(rs, "Rush");
    r.RefNum = text(rs, "RefNum");
    r.Transplant = text(rs, "Transplant");
    r.Dialysis = text(rs, "Dialysis");
    r.ORNum = text(rs, "ORNum");
    r.ExamName = text(rs, "ExamName");
    r.LabSection = text(rs, "LabSection");
    r.SectionID = text(rs, "SectionID");
    r.code = text(rs, "code");
    r.FormType = text(rs, "FormType");
    r.ValueType = text(rs, "ValueType");
    r.Pathologist = text(rs, "Pathologist");
    r.SpecimenID = text(rs, "SpecimenID");
    r.Specimen = text(rs, "Specimen");
    r.Reader = text(rs, "Reader");
    r.ReaderID = text(rs, "ReaderID");
    r.Physician = text(rs, "Physician");
    r.PhysicianID = text(rs, "PhysicianID");
    r.SupExamID = text(rs, "SupExamID");
    r.SupExam = text(rs, "SupExam");
    r.ResidentId = text(rs, "ResidentId");
    r.Resident = text(rs, "Resident");
    const Field withReagent = rs.field(QStringLiteral("WithReagent"));
    r.WithReagent = withReagent.toStringOr().isEmpty() ? false : withReagent.toBool();
    r.PatientType = text(rs, "PatientType");
    r.Method = text(rs, "Method");
    r.BloodType = text(rs, "BloodType");
    r.DateFinished = rs.field(QStringLiteral("DateFinished")).toDateTime();
}

bool SessionContext::LoadExamReagent(const QString &examCode)
{
    Recordset rs = db().query(Command("Select * from BUILD_FILE..tbcoLabExamReagent Where LabExamID = '")
                              << examCode << "'");
    if (rs.eof()) {
        ReagentLocationID.clear();
        ReagentQty = 0;
        ReagentID.clear();
        return false;
    }
    ReagentLocationID = rs.field(QStringLiteral("LocationID")).toStringOr();
    ReagentQty = rs.field(QStringLiteral("ReagentQty")).toDouble();
    ReagentID = rs.field(QStringLiteral("ReagentID")).toString();
    return true;
}

} // namespace corvane
