// The core procedures: the request loader, the result logbook and its verification marks.

#include "labdb/procedures.h"
#include "prochelpers.h"

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace labdb {

namespace {

using namespace helpers;



std::string personName(const std::string &last, const std::string &first, const std::string &middle)
{
    std::string out = last;
    if (!first.empty())
        out += (out.empty() ? "" : ", ") + first;
    if (!middle.empty())
        out += (out.empty() ? "" : " ") + middle;
    return out;
}


std::optional<std::chrono::year_month_day> dateOf(const Value &v)
{
    if (!v || v->size() < 10)
        return std::nullopt;
    try {
        const int y = std::stoi(v->substr(0, 4));
        const unsigned m = static_cast<unsigned>(std::stoi(v->substr(5, 2)));
        const unsigned d = static_cast<unsigned>(std::stoi(v->substr(8, 2)));
        const std::chrono::year_month_day ymd{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
        if (ymd.ok())
            return ymd;
    } catch (const std::exception &) {
    }
    return std::nullopt;
}

// Whole years from one year on; months, then days, for infants.
std::string ageText(const Value &birthDate, const Value &onDate)
{
    const auto birth = dateOf(birthDate);
    const auto on = dateOf(onDate);
    if (!birth || !on)
        return {};
    int months = (static_cast<int>(on->year()) - static_cast<int>(birth->year())) * 12 +
                 static_cast<int>(static_cast<unsigned>(on->month())) -
                 static_cast<int>(static_cast<unsigned>(birth->month()));
    if (on->day() < birth->day())
        --months;
    if (months < 0)
        return {};
    if (months >= 12)
        return std::to_string(months / 12);
    if (months >= 1)
        return std::to_string(months) + (months == 1 ? " mo" : " mos");
    const auto days = (std::chrono::sys_days{*on} - std::chrono::sys_days{*birth}).count();
    return std::to_string(days) + (days == 1 ? " day" : " days");
}

DbError notInLogbook(const std::string &requestNum)
{
    return DbError("Request " + requestNum + " is not in the result logbook; its result must be saved first.");
}

// The 38 columns the request loader reads, in its order.
const std::vector<std::string> kPatientInfoColumns{
    "HospNum",    "IDNum",     "PatientName", "Sex",         "Age",       "CivilStatus", "RoomID",
    "Class",      "Ward",      "requestdate", "Doctor",      "Rush",      "RefNum",      "Transplant",
    "Dialysis",   "ORNum",     "ExamName",    "LabSection",  "SectionID", "code",        "FormType",
    "ValueType",  "Pathologist", "SpecimenID", "Specimen",   "Reader",    "ReaderID",    "Physician",
    "PhysicianID", "SupExamID", "SupExam",    "ResidentId",  "Resident",  "WithReagent", "PatientType",
    "Method",     "BloodType", "DateFinished"};

ResultSet getPatientInformation(ProcCall &call)
{
    // Source columns, selected in this order and read back by the same names.
    enum Src {
        HospNum, IDNum, PLast, PFirst, PMiddle, Sex, BirthDate, CivilStatus, RoomID, Class, Ward, RequestDate,
        DocFirst, DocMiddle, DocLast, Rush, RefNum, Transplant, Dialysis, ORNum, ExamName, LabSection, SectionID,
        Code, FormType, ValueType, PathFirst, PathMiddle, PathLast, SpecimenID, Specimen, ReadFirst, ReadMiddle,
        ReadLast, ReaderID, PhysFirst, PhysMiddle, PhysLast, PhysicianID, SupExamID, SupExam, ResidentID, ResFirst,
        ResMiddle, ResLast, WithReagent, PatientType, Method, BloodType, DateFinished, Today
    };
    const std::string now = call.db.nowExpr();
    const std::string specimen = "COALESCE(NULLIF(m.SpecimenID, ''), e.SpecimenID)";
    const std::string supExam = "COALESCE(NULLIF(m.SupExamID, ''), e.SupExamID)";
    const std::string sql =
        "SELECT m.HospNum, m.IDNum, p.LastName, p.FirstName, p.MiddleName, p.Sex, p.BirthDate, p.CivilStatus, "
        "a.RoomID, a.Class, a.Ward, m.RequestDate, dr.FirstName, dr.MiddleName, dr.LastName, m.Rush, m.RefNum, "
        "m.Transplant, m.Dialysis, m.ORNum, e.ExamName, s.LabSection, e.SectionID, m.ExamCode, e.FormType, "
        "e.ValueType, pa.FirstName, pa.MiddleName, pa.LastName, " + specimen + ", sp.Specimen, rd.FirstName, "
        "rd.MiddleName, rd.LastName, m.ReaderID, ph.FirstName, ph.MiddleName, ph.LastName, m.PhysicianID, " +
        supExam + ", se.ExamName, m.ResidentID, rs.FirstName, rs.MiddleName, rs.LastName, e.WithReagent, "
        "COALESCE(NULLIF(m.PatientType, ''), a.PatientType), m.Method, m.BloodType, "
        "COALESCE(lb.DateFinished, m.DateFinished, " + now + "), " + now +
        " FROM " + call.t(Database::Laboratory, "tbLabMaster") + " m"
        " LEFT JOIN " + call.t(Database::PatientData, "tbPatientMaster") + " p ON p.HospNum = m.HospNum"
        " LEFT JOIN " + call.t(Database::PatientData, "tbAdmission") + " a ON a.IDNum = m.IDNum"
        " LEFT JOIN " + call.t(Database::BuildFile, "tbCoLabExam") + " e ON e.Code = m.ExamCode"
        " LEFT JOIN " + call.t(Database::BuildFile, "tbCoLabSection") + " s ON s.SectionID = e.SectionID"
        " LEFT JOIN " + call.t(Database::BuildFile, "tbCoLabSpecimen") + " sp ON sp.SpecimenID = " + specimen +
        " LEFT JOIN " + call.t(Database::BuildFile, "tbCoDoctor") + " dr ON dr.DoctorID = m.DoctorID"
        " LEFT JOIN " + call.t(Database::BuildFile, "tbCoDoctor") +
        " pa ON pa.DoctorID = COALESCE(NULLIF(m.PathologistID, ''), s.SectionHead)"
        " LEFT JOIN " + call.t(Database::BuildFile, "tbCoDoctor") + " rd ON rd.DoctorID = m.ReaderID"
        " LEFT JOIN " + call.t(Database::BuildFile, "tbCoDoctor") + " ph ON ph.DoctorID = m.PhysicianID"
        " LEFT JOIN " + call.t(Database::BuildFile, "tbCoDoctor") + " rs ON rs.DoctorID = m.ResidentID"
        " LEFT JOIN " + call.t(Database::BuildFile, "tbCoLabExam") + " se ON se.Code = " + supExam +
        " LEFT JOIN " + call.t(Database::Laboratory, "tbLabLogbook") + " lb ON lb.RequestNum = m.RequestNum"
        " WHERE m.RequestNum = ?";
    const ResultSet src = call.sql(sql, {keyArg(call, 0)});

    ResultSet rs;
    rs.columns = kPatientInfoColumns;
    for (const Row &r : src.rows) {
        const auto s = [&](Src i) { return textOf(r.at(static_cast<std::size_t>(i))); };
        const Value &withReagent = r.at(WithReagent);
        Value reagentFlag = std::string();
        if (withReagent)
            reagentFlag = (*withReagent == "0" || withReagent->empty()) ? "0" : "1";
        // Ages count to the day of the request; a request without a date is aged today.
        const Value &ageOn = r.at(RequestDate) ? r.at(RequestDate) : r.at(Today);

        rs.rows.push_back({
            s(HospNum), s(IDNum), personName(s(PLast), s(PFirst), s(PMiddle)), s(Sex),
            ageText(r.at(BirthDate), ageOn), s(CivilStatus), s(RoomID), s(Class), s(Ward), r.at(RequestDate),
            doctorName(s(DocFirst), s(DocMiddle), s(DocLast)), s(Rush), s(RefNum), s(Transplant), s(Dialysis),
            s(ORNum), s(ExamName), s(LabSection), s(SectionID), s(Code), s(FormType), s(ValueType),
            doctorName(s(PathFirst), s(PathMiddle), s(PathLast)), s(SpecimenID), s(Specimen),
            doctorName(s(ReadFirst), s(ReadMiddle), s(ReadLast)), s(ReaderID),
            doctorName(s(PhysFirst), s(PhysMiddle), s(PhysLast)), s(PhysicianID), s(SupExamID), s(SupExam),
            s(ResidentID), doctorName(s(ResFirst), s(ResMiddle), s(ResLast)), std::move(reagentFlag),
            s(PatientType), s(Method), s(BloodType), s(DateFinished),
        });
    }
    return rs;
}

// The stored result header. The logbook insert supplies only some of it; the rest falls back to
// the nearest time the logbook knows, so no reader meets a Null it cannot take.
ResultSet formMakerGetResult(ProcCall &call)
{
    const std::string now = call.db.nowExpr();
    ResultSet rs = call.sql(
        "SELECT COALESCE(lratime, samplesubmitted, ResultDate, LoggedAt, " + now + "), "
        "COALESCE(samplesubmitted, ResultDate, LoggedAt, " + now + "), "
        "COALESCE(ResultDate, LoggedAt, " + now + "), EntryMode, Remarks, AccessionNum, Method, "
        "COALESCE(DateFinished, ResultDate, LoggedAt, " + now + "), InstrumentID, RowVersion, SavedBy, SavedByName, "
        "SavedAt FROM " +
            call.t(Database::Laboratory, "tbLabLogbook") + " WHERE RequestNum = ?",
        {keyArg(call, 0)});
    rs.columns = {"lratime",      "samplesubmitted", "ResultDate", "EntryMode",   "Remarks",
                  "AccessionNum", "Method",          "DateFinished", "InstrumentID", "RowVersion",
                  "SavedBy",      "SavedByName",     "SavedAt"};
    return rs;
}

// Arguments: request, exam id (always empty), employee, submitted, finished (the LRA time on the
// pathology screens), accession number, and the pathology screens' reader (or a bare NULL).
ResultSet saveToLogbook(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    if (requestNum.empty())
        throw DbError("The result logbook needs a request number.");
    // Results stored under a key no request has (a leading blank from the host, say) could never
    // be found again; the save stops here, inside its transaction.
    if (call.sql("SELECT 1 FROM " + call.t(Database::Laboratory, "tbLabMaster") + " WHERE RequestNum = ?", {requestNum})
            .rows.empty())
        throw DbError("There is no request \"" + call.arg(0) + "\"; nothing was saved.");
    const Value submitted = parseDateTimeText(call.arg(3));
    const Value finished = parseDateTimeText(call.arg(4));
    const Value reader = call.count() > 6 ? call.args[6] : Value();

    const std::string logbook = call.t(Database::Laboratory, "tbLabLogbook");
    const auto duplicate = [&] {
        return DbError("Request " + requestNum + " is already in the result logbook.", DbError::Kind::Constraint);
    };
    // Checked first so that the usual case leaves the caller's transaction usable on PostgreSQL;
    // the primary key still decides between two workstations saving at the same moment.
    if (!call.sql("SELECT 1 FROM " + logbook + " WHERE RequestNum = ?", {requestNum}).rows.empty())
        throw duplicate();
    const std::string now = call.db.nowExpr();
    try {
        ResultSet rs = call.sql("INSERT INTO " + logbook +
                                    " (RequestNum, ExamID, EmployeeCode, samplesubmitted, DateFinished, AccessionNum,"
                                    " ReaderID, ResultDate, LoggedAt) VALUES (?, ?, ?, ?, ?, ?, ?, " + now + ", " +
                                    now + ")",
                                {requestNum, call.arg(1), call.arg(2), submitted, finished, call.arg(5), reader});
        call.savesResultOf(requestNum);
        return ResultSet{{}, {}, rs.rowsAffected};
    } catch (const DbError &e) {
        if (e.kind() == DbError::Kind::Constraint)
            throw duplicate();
        throw;
    }
}

// Stamps who did something to a logbook row and when, by the server clock.
ResultSet stampLogbook(ProcCall &call, const char *whoColumn, const char *whenColumn)
{
    const std::string requestNum = keyArg(call, 0);
    ResultSet rs = call.sql("UPDATE " + call.t(Database::Laboratory, "tbLabLogbook") + " SET " + whoColumn +
                                " = ?, " + whenColumn + " = " + call.db.nowExpr() + " WHERE RequestNum = ?",
                            {call.arg(1), requestNum});
    if (rs.rowsAffected == 0)
        throw notInLogbook(requestNum);
    return ResultSet{{}, {}, rs.rowsAffected};
}

} // namespace

void registerCoreProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_Get_PatientInformation", 1, 1, false, &getPatientInformation});
    r.add({Database::Laboratory, "Lab_FormMaker_GetResult", 1, 1, false, &formMakerGetResult});
    r.add({Database::Laboratory, "Lab_ResultEntryDLL_SaveToLogbook", 6, 7, true, &saveToLogbook});
    r.add({Database::Laboratory, "LAB_Save_VerifyResults", 2, 2, true,
           [](ProcCall &call) { return stampLogbook(call, "VerifiedBy", "VerifiedAt"); }});
    r.add({Database::Laboratory, "Lab_ResultSaveLastEdit", 2, 2, true,
           [](ProcCall &call) { return stampLogbook(call, "LastEditBy", "LastEditAt"); }});
}

} // namespace labdb
