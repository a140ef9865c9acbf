#include "columns.h"
#include "schema_parts.h"

#include <utility>
#include <vector>

namespace labdb {

std::vector<TableDef> resultTables()
{
    // Short value lists the screens offer (sample types, grades ...), by list and exam.
    return {{Database::Laboratory,
             "tbLabPickList",
             {columns::key("ListName"), columns::key("ListNo"), columns::textNN("ExamCode"),
              columns::integerNN("SortOrder"), columns::key("Value")},
             {"ListName", "ListNo", "ExamCode", "Value"}}};
}

namespace {

void insertResultRow(Driver &db, const WorkedRequest &w)
{
    const auto t = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    std::string columns = "RequestNum, AccessionNum, ResultDate, samplesubmitted, lratime, DateFinished, EmployeeCode";
    std::string marks = "?, ?, '2026-03-07 09:45:00', '2026-03-07 08:15:00', '2026-03-07 08:20:00', "
                        "'2026-03-07 09:40:00', '0102'";
    std::vector<Value> values{w.requestNum, w.accession};
    for (const auto &[slot, value] : w.results) {
        columns += ", result" + std::to_string(slot);
        marks += ", ?";
        values.emplace_back(value);
    }
    db.run("INSERT INTO " + t("tbLabResult") + " (" + columns + ") VALUES (" + marks + ")", values);
}

} // namespace

void insertOpenRequest(Driver &db, const char *requestNum, const char *copyOf, const char *refNum)
{
    const std::string master = db.qualify(Database::Laboratory, "tbLabMaster");
    db.run("INSERT INTO " + master +
               " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, "
               "Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, "
               "BloodType, Status, RequestDate, DateFinished, SendOuts) SELECT ?, HospNum, IDNum, ExamCode, "
               "SpecimenID, DoctorID, Rush, ?, ORNum, Transplant, Dialysis, ReaderID, PhysicianID, ResidentID, "
               "PathologistID, SupExamID, PatientType, Method, BloodType, 'O', RequestDate, NULL, SendOuts FROM " +
               master + " WHERE RequestNum = ?",
           {std::string(requestNum), std::string(refNum), std::string(copyOf)});
}

void insertWorkedRequest(Driver &db, const WorkedRequest &w)
{
    const auto t = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    db.run("INSERT INTO " + t("tbLabMaster") +
               " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, "
               "Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, "
               "BloodType, Status, RequestDate, DateFinished, SendOuts) SELECT ?, HospNum, IDNum, ExamCode, "
               "SpecimenID, DoctorID, Rush, ?, ORNum, Transplant, Dialysis, ReaderID, PhysicianID, ResidentID, "
               "PathologistID, SupExamID, PatientType, Method, BloodType, 'F', RequestDate, ?, SendOuts FROM " +
               t("tbLabMaster") + " WHERE RequestNum = ?",
           {w.requestNum, w.refNum, "2026-03-07 09:40:00", w.copyOf});
    db.run("INSERT INTO " + t("tbLabLogbook") +
               " (RequestNum, ExamID, EmployeeCode, samplesubmitted, DateFinished, AccessionNum, lratime, ResultDate,"
               " EntryMode, Remarks, Method, LoggedAt) VALUES (?, '', '0102', '2026-03-07 08:15:00', "
               "'2026-03-07 09:40:00', ?, '2026-03-07 08:20:00', '2026-03-07 09:45:00', 0, '', '', "
               "'2026-03-07 09:45:00')",
           {w.requestNum, w.accession});
    if (!w.results.empty())
        insertResultRow(db, w);
    db.run("INSERT INTO " + t("tbLabResultMedTech") +
               " (RequestNum, MedTechID, MedTechAt, VerifiedBy, VerifiedAt, PathologistID, Pathologist, PaperSize)"
               " VALUES (?, '0102', '2026-03-07 09:46:00', '', NULL, '', '', '')",
           {w.requestNum});
}

void loadResultDemo(Driver &db)
{
    const std::string table = db.qualify(Database::Laboratory, "tbLabPickList");
    int order = 0;
    for (const char *value : {"Arterial", "Venous", "Capillary", "Mixed venous", "Cord arterial", "Cord venous"})
        db.run("INSERT INTO " + table + " (ListName, ListNo, ExamCode, SortOrder, Value) VALUES ('ABG', '1', '', ?, ?)",
               {std::to_string(++order), std::string(value)});

    insertWorkedRequest(db, {"R2603058", "R2603001", "CS-264238", "C-0412",
                             {{1, "Photo-optical clot detection"}, {2, "13.2"}, {3, "12.0"}, {4, "1.10"}, {5, "88"},
                              {6, "36.8"}, {7, "30.0"}, {8, "310"}, {20, "Slightly prolonged APTT; repeat advised."}}});
    insertWorkedRequest(db, {"R2603059", "R2603010", "CS-264239", "BG-0207",
                             {{1, "7.31"}, {2, "52"}, {3, "68"}, {4, "25.8"}, {5, "27.4"}, {6, "-1.2"}, {7, "91"},
                              {8, "40"}, {9, "37.0"}, {10, "12.9"}, {11, "Arterial"},
                              {20, "On 40% O2 by venturi mask."}}});
}

} // namespace labdb
