#pragma once
// The state every screen of the component shares within one thread: who works in which mode, the
// open request, the hospital header, the shared connection. Nothing is cleared between requests.

#include "services/database/connection.h"
#include "session/codesearch.h"
#include "session/connsettings.h"

#include <QDateTime>
#include <QString>

#include <memory>

namespace corvane {

class ReportDocument; // the report engine's open report

// One row of Lab_Get_PatientInformation; each field is named as its column.
struct RequestRecord {
    QString HospNum;
    QString IDNum;
    QString PatientName;
    QString Sex;
    QString Age;
    QString CivilStatus;
    QString RoomID;
    QString Class;
    QString Ward;
    QDateTime requestdate;
    QString Doctor;
    QString Rush;
    QString RefNum;
    QString Transplant;
    QString Dialysis;
    QString ORNum;
    QString ExamName;
    QString LabSection;
    QString SectionID;
    QString code;
    QString FormType;
    QString ValueType;
    QString Pathologist;
    QString SpecimenID;
    QString Specimen;
    QString Reader;
    QString ReaderID;
    QString Physician;
    QString PhysicianID;
    QString SupExamID;
    QString SupExam;
    QString ResidentId;
    QString Resident;
    bool WithReagent = false;
    QString PatientType;
    QString Method;
    QString BloodType;
    QDateTime DateFinished;

    bool operator==(const RequestRecord &) const = default;
};

// What the logbook holds for a request already worked on.
struct StoredResultHeader {
    QDateTime lratime;
    QDateTime samplesubmitted;
    QDateTime ResultDate;
    qint16 EntryMode = 0;
    QString Remarks;
    QString AccessionNum;
    QString Method;
    QDateTime DateFinished;
    QString InstrumentID;
    // Advanced by the server with every save of the request; 0 while nothing is stored. Unlike the
    // fields above it always describes the request loaded last.
    int RowVersion = 0;

    bool operator==(const StoredResultHeader &) const = default;
};

class SessionContext {
public:
    // The calling thread's context, created on first use.
    static SessionContext &current();

    // Opened and closed only by clsResultEntry; every command of the component runs on it.
    std::unique_ptr<corvane::Connection> Connection;
    std::unique_ptr<ConnSettings> Settings;
    std::unique_ptr<ICodeSearch> SearchCodes;
    std::shared_ptr<ReportDocument> CurrentReport;
    bool SearchFound = false;

    QString RequestNum;
    qint16 intResult = 0;
    bool CanVerify = false;
    bool VerifyMode = false;
    bool EditMode = false;
    bool Clerk = false;
    qint16 EntryMode = 0;
    QString EmployeeCode;
    QString EmployeeName;
    QString ExamID;

    QString HospitalTitle;
    QString HospitalCompany;
    QString HospitalAddress;

    // Copies of the per-user settings, used to log the report engine on.
    QString DbUser;
    QString DbPassword;
    QString DbServer;

    corvane::RequestRecord RequestRecord;
    corvane::StoredResultHeader StoredResultHeader;

    // The exam's default reagent.
    QString ReagentID;
    QString ReagentLocationID;
    double ReagentQty = 0;

    // The shared connection; throws ComponentError when it is not open.
    corvane::Connection &db();

    // First row of Patient_Data..tbHospitalInfo into HospitalTitle/Company/Address; no row keeps
    // them. A Null Company is an error (Title is assigned by then).
    void LoadHospitalHeader();
    // Refreshes DbUser, DbPassword and DbServer from the per-user settings.
    void ReadConnectionSettings();
    // Fills RequestRecord from Lab_Get_PatientInformation; false (and RequestRecord untouched)
    // when the request is not found. A Null in a text column or DateFinished throws, leaving the
    // columns before it assigned.
    bool LoadRequest(const QString &requestNum);
    // The exam's default reagent from BUILD_FILE..tbcoLabExamReagent; with no row "", 0, "".
    bool LoadExamReagent(const QString &examCode);
    bool HasDefaultReagent() const;
};

// The reading half of LoadRequest: the current row of rs into record, column by column.
void readRequestRecord(const Recordset &rs, RequestRecord &record);

} // namespace corvane
