// Demonstration delta rules on coagulation, blood-gas and renal-panel results, and two patients
// with earlier results: one whose later results moved beyond the rules within the window, one whose
// previous result is older than the window.

#include "delta_parts.h"

#include <string>
#include <utility>
#include <vector>

namespace labdb {

namespace {

struct DeltaRuleRow {
    const char *exam, *field, *absolute, *percent;
    int windowDays;
};
// Coagulation (101): result9 bleeding time, result10 clotting time. Blood gas (110): result1 pH,
// result2 pCO2. The renal panel's rows are their exam codes.
const DeltaRuleRow kRules[] = {
    {"101", "result9", "2", nullptr, 30},   {"101", "result10", nullptr, "50", 30},
    {"110", "result1", "0.10", nullptr, 3}, {"110", "result2", nullptr, "30", 3},
    {"761", "", "8", nullptr, 7},           {"762", "", "1.0", "25", 7},
    {"763", "", "10", nullptr, 7},          {"764", "", nullptr, "30", 7},
    {"765", "", nullptr, "50", 7},
};

struct PanelRow {
    const char *code, *exam, *range, *unit, *min, *max;
};
const PanelRow kPanel[] = {
    {"761", "SODIUM", "135-145", "mmol/L", "135", "145"},     {"762", "POTASSIUM", "3.5-5.1", "mmol/L", "3.5", "5.1"},
    {"763", "CHLORIDE", "98-107", "mmol/L", "98", "107"},     {"764", "BICARBONATE", "22-29", "mmol/L", "22", "29"},
    {"765", "UREA", "2.5-7.1", "mmol/L", "2.5", "7.1"},
};

struct DemoRequest {
    const char *requestNum, *hospNum, *idNum, *exam, *requestDate;
    const char *storedAt; // nullptr: not worked on yet
    const char *accession;
    std::vector<std::pair<std::string, std::string>> results; // "result9" or a panel row's code, value
};

Value optionalText(const char *text)
{
    return text ? Value(std::string(text)) : Value();
}

void insertRequest(Driver &db, const DemoRequest &r)
{
    const auto t = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    db.run("INSERT INTO " + t("tbLabMaster") +
               " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, "
               "Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, "
               "BloodType, Status, RequestDate, DateFinished, SendOuts) VALUES (?, ?, ?, ?, '', '1010', 'N', ?, '', "
               "'N', 'N', '', '', '', '', '', '', '', '', ?, ?, ?, NULL)",
           {r.requestNum, r.hospNum, r.idNum, r.exam, "CS-" + std::string(r.requestNum + 1), r.storedAt ? "F" : "O",
            r.requestDate, optionalText(r.storedAt)});
    if (!r.storedAt)
        return;
    db.run("INSERT INTO " + t("tbLabLogbook") +
               " (RequestNum, ExamID, EmployeeCode, samplesubmitted, DateFinished, AccessionNum, lratime, ResultDate, "
               "EntryMode, Remarks, Method, LoggedAt) VALUES (?, '', '0102', ?, ?, ?, ?, ?, 0, '', '', ?)",
           {r.requestNum, r.requestDate, r.storedAt, r.accession, r.requestDate, r.storedAt, r.storedAt});
    db.run("INSERT INTO " + t("tbLabResultMedTech") +
               " (RequestNum, MedTechID, MedTechAt, VerifiedBy, VerifiedAt, PathologistID, Pathologist, PaperSize)"
               " VALUES (?, '0102', ?, '', NULL, '', '', 'H')",
           {r.requestNum, r.storedAt});
    if (std::string(r.exam) == "760") {
        int rowNo = 0;
        for (const auto &[code, value] : r.results)
            db.run("INSERT INTO " + t("tbLabResultNValues") +
                       " (RequestNum, ExamCode, RowNo, ExamName, sResult, sNValues, sUnit, sMin, sMax, CResult, CNValues, "
                       "CUnit, CMinValue, CMaxValue, Factor, FormType, Flag, EmployeeCode, Verified, SavedAt) SELECT ?, "
                       "Code, ?, Exam, ?, sNValue, sUnit, sMin, sMax, ?, CNValue, CUnit, CMinValue, CMaxValue, Factor, "
                       "FormType, '', '0102', 'N', ? FROM " +
                       t("tbLabResultFormat") + " WHERE ExamCode = '760' AND Code = ?",
                   {r.requestNum, std::to_string(++rowNo), value, value, r.storedAt, code});
        return;
    }
    std::string columns = "RequestNum, AccessionNum, ResultDate, samplesubmitted, lratime, DateFinished, EmployeeCode";
    std::string marks = "?, ?, ?, ?, ?, ?, '0102'";
    std::vector<Value> values{r.requestNum, r.accession, r.storedAt, r.requestDate, r.requestDate, r.storedAt};
    for (const auto &[field, value] : r.results) {
        columns += ", " + field;
        marks += ", ?";
        values.emplace_back(value);
    }
    db.run("INSERT INTO " + t("tbLabResult") + " (" + columns + ") VALUES (" + marks + ")", values);
}

} // namespace

void loadDeltaDemo(Driver &db)
{
    const auto lab = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    for (const DeltaRuleRow &r : kRules)
        db.run("INSERT INTO " + lab("tbLabDeltaRule") +
                   " (ExamCode, Field, AbsoluteChange, PercentChange, WindowDays) VALUES (?, ?, ?, ?, ?)",
               {r.exam, r.field, optionalText(r.absolute), optionalText(r.percent), std::to_string(r.windowDays)});

    db.run("INSERT INTO " + db.qualify(Database::BuildFile, "tbCoLabExam") +
               " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, WithReagent, SupExamID, Status) VALUES "
               "('760', 'RENAL PANEL', 'A', 'S02', 'P', '1', 0, '', 'A')",
           {});
    int line = 0;
    for (const PanelRow &p : kPanel)
        db.run("INSERT INTO " + lab("tbLabResultFormat") +
                   " (ExamCode, EntryMode, Code, LineNo, Exam, FormType, sNValue, sUnit, sMin, sMax, CNValue, CUnit, "
                   "CMinValue, CMaxValue, Factor, Operator) VALUES ('760', 0, ?, ?, ?, '1', ?, ?, ?, ?, ?, 'mEq/L', ?, "
                   "?, '1', '/')",
               {p.code, std::to_string(++line), p.exam, p.range, p.unit, p.min, p.max, p.range, p.min, p.max});

    const auto patient = [&](const char *hospNum, const char *last, const char *first, const char *middle,
                             const char *sex, const char *birth, const char *address) {
        db.run("INSERT INTO " + db.qualify(Database::PatientData, "tbPatientMaster") +
                   " (HospNum, LastName, FirstName, MiddleName, Sex, BirthDate, CivilStatus, Address) VALUES "
                   "(?, ?, ?, ?, ?, ?, 'Married', ?)",
               {hospNum, last, first, middle, sex, birth, address});
    };
    patient("10023471", "Soriano", "Teresita", "Lim", "F", "1961-05-19 00:00:00", "27 Mabini St., Capas, Tarlac");
    patient("10023472", "Ramos", "Gilbert", "Cruz", "M", "1955-01-23 00:00:00", "6 Rizal St., Paniqui, Tarlac");
    const auto admission = [&](const char *idNum, const char *hospNum, const char *date, const char *room,
                               const char *ward) {
        db.run("INSERT INTO " + db.qualify(Database::PatientData, "tbAdmission") +
                   " (IDNum, HospNum, AdmissionDate, RoomID, Class, Ward, PatientType, AttendingDoctorID) VALUES "
                   "(?, ?, ?, ?, 'PAY', ?, 'I', '1010')",
               {idNum, hospNum, date, room, ward});
    };
    admission("A26-00171", "10023471", "2026-03-01 08:00:00", "308-A", "MEDICAL WARD 3F");
    admission("A26-00172", "10023472", "2026-03-05 16:30:00", "415", "SURGICAL WARD 4F");

    const std::vector<DemoRequest> requests{
        // Within the windows: the bleeding time, pH, pCO2, potassium and bicarbonate moved beyond their rules.
        {"R2607101", "10023471", "A26-00171", "101", "2026-03-02 07:30:00", "2026-03-02 08:30:00", "A26-71010",
         {{"result1", "Photo-optical clot detection"}, {"result2", "12.4"}, {"result3", "12.0"}, {"result4", "1.0"},
          {"result6", "31.0"}, {"result9", "2.5"}, {"result10", "6"}}},
        {"R2607102", "10023471", "A26-00171", "101", "2026-03-07 08:40:00", "2026-03-07 09:50:00", "A26-71020",
         {{"result1", "Photo-optical clot detection"}, {"result2", "12.9"}, {"result3", "12.0"}, {"result4", "1.1"},
          {"result6", "33.5"}, {"result9", "5.0"}, {"result10", "7"}}},
        {"R2607103", "10023471", "A26-00171", "101", "2026-03-07 10:30:00", nullptr, "", {}},
        {"R2607105", "10023471", "A26-00171", "110", "2026-03-05 05:40:00", "2026-03-05 06:00:00", "BG-7105",
         {{"result1", "7.41"}, {"result2", "38"}, {"result3", "92"}, {"result4", "24.1"}, {"result7", "97"},
          {"result11", "Arterial"}}},
        {"R2607106", "10023471", "A26-00171", "110", "2026-03-07 05:50:00", "2026-03-07 06:10:00", "BG-7106",
         {{"result1", "7.28"}, {"result2", "55"}, {"result3", "70"}, {"result4", "25.0"}, {"result7", "91"},
          {"result11", "Arterial"}}},
        {"R2607111", "10023471", "A26-00171", "760", "2026-03-03 06:50:00", "2026-03-03 07:40:00", "C-7111",
         {{"761", "139"}, {"762", "4.1"}, {"763", "101"}, {"764", "25"}, {"765", "5.2"}}},
        {"R2607112", "10023471", "A26-00171", "760", "2026-03-07 08:50:00", "2026-03-07 09:55:00", "C-7112",
         {{"761", "137"}, {"762", "6.3"}, {"763", "100"}, {"764", "16"}, {"765", "5.6"}}},
        {"R2607113", "10023471", "A26-00171", "760", "2026-03-07 11:00:00", nullptr, "", {}},
        // The previous potassium is from January, older than its window: no delta.
        {"R2607121", "10023472", "A26-00172", "760", "2026-01-10 07:15:00", "2026-01-10 08:00:00", "C-7121",
         {{"761", "141"}, {"762", "3.2"}, {"763", "103"}, {"764", "26"}, {"765", "6.0"}}},
        {"R2607122", "10023472", "A26-00172", "760", "2026-03-07 09:05:00", "2026-03-07 10:05:00", "C-7122",
         {{"761", "138"}, {"762", "5.9"}, {"763", "99"}, {"764", "23"}, {"765", "6.4"}}},
    };
    for (const DemoRequest &r : requests)
        insertRequest(db, r);
}

} // namespace labdb
