// Demonstration data of the chemistry screens: result formats with SI and conventional normal
// values, a glucose by method, a uric acid by sex, a creatinine by age band (the bands are the code
// lists'), the two timed-urine computations, one analyser with results waiting, and worked requests.

#include "schema_parts.h"

#include <string>
#include <vector>

namespace labdb {

namespace {

struct FormatRow {
    const char *examCode, *code, *exam, *formType;
    const char *sNValue, *sUnit, *sMin, *sMax;
    const char *cNValue, *cUnit, *cMin, *cMax, *factor;
};
// SI = conventional x factor.
const FormatRow kFormats[] = {
    {"136", "136", "FASTING BLOOD SUGAR", "1", "3.9-6.1", "mmol/L", "3.9", "6.1", "70-110", "mg/dL", "70", "110", "0.0555"},
    {"137", "137", "BLOOD UREA NITROGEN", "7", "2.5-7.1", "mmol/L", "2.5", "7.1", "7-20", "mg/dL", "7", "20", "0.357"},
    {"138", "138", "CREATININE", "8", "53-115", "umol/L", "53", "115", "0.6-1.3", "mg/dL", "0.6", "1.3", "88.4"},
    {"138", "1", "CREATININE CLEARANCE", "8", "1.47-2.28", "mL/s", "1.47", "2.28", "88-137", "mL/min", "88", "137",
     "0.0167"},
    {"139", "139", "HBA1C", "B", "4.0-6.0", "%", "4.0", "6.0", "", "", "", "", ""},
    {"148", "148", "SGPT (ALT)", "1", "7-56", "U/L", "7", "56", "7-56", "U/L", "7", "56", "1"},
    {"149", "149", "SGOT (AST)", "7", "10-40", "U/L", "10", "40", "10-40", "U/L", "10", "40", "1"},
    {"150", "150", "URIC ACID", "8", "143-416", "umol/L", "143", "416", "2.4-7.0", "mg/dL", "2.4", "7.0", "59.48"},
    {"151", "151", "TOTAL CHOLESTEROL", "B", "0.0-5.2", "mmol/L", "0", "5.2", "0-200", "mg/dL", "0", "200", "0.0259"},
    {"255", "255", "24-HOUR URINE PROTEIN", "1", "0-150", "mg/24 h", "0", "150", "0-0.15", "g/24 h", "0", "0.15",
     "1000"},
};

struct ReagentRange {
    const char *examCode, *reagent, *maleMin, *maleMax, *femaleMin, *femaleMax, *unit;
};
const ReagentRange kReagentRanges[] = {
    {"136", "R0201", "3.89", "5.83", "3.89", "5.83", "mmol/L"},
    {"136", "R0202", "4.10", "5.90", "4.10", "5.90", "mmol/L"},
    {"150", "R0601", "202", "416", "143", "339", "umol/L"},
};

struct MachineResult {
    const char *sample, *test, *exam, *result, *at;
};
// The VITROS 250 sends glucose for sample F-0311, and creatinine and protein for the timed urines.
const MachineResult kMachineResults[] = {
    {"F-0311", "GLU", "136", "6.8", "2026-03-07 08:05:00"},
    {"K-0112", "Crea", "138", "97.2", "2026-03-07 08:10:00"},
    {"UK-0112", "Crea", "1", "8840", "2026-03-07 08:11:00"},
    {"SK-0112", "Crea", "138", "88.4", "2026-03-07 08:10:00"},
    {"UP-0220", "TP", "255", "0.25", "2026-03-07 08:12:00"},
    {"UP-0220", "TP", "255", "0.27", "2026-03-07 08:40:00"},
};

struct StoredRow {
    const char *code, *result, *cResult;
};
struct WorkedRequest {
    const char *requestNum, *copyOf, *refNum, *accession, *method;
    std::vector<StoredRow> rows;
};

void run(Driver &db, const std::string &sql, std::vector<Value> values)
{
    db.run(sql, values);
}

void insertWorkedRequest(Driver &db, const WorkedRequest &w)
{
    const auto t = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    run(db,
        "INSERT INTO " + t("tbLabMaster") +
            " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, Dialysis, "
            "ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, BloodType, Status, "
            "RequestDate, DateFinished, SendOuts) SELECT ?, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, ?, "
            "ORNum, Transplant, Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, "
            "Method, BloodType, 'F', RequestDate, '2026-03-07 09:10:00', SendOuts FROM " +
            t("tbLabMaster") + " WHERE RequestNum = ?",
        {w.requestNum, w.refNum, w.copyOf});
    run(db,
        "INSERT INTO " + t("tbLabLogbook") +
            " (RequestNum, ExamID, EmployeeCode, samplesubmitted, DateFinished, AccessionNum, lratime, ResultDate, "
            "EntryMode, Remarks, Method, LoggedAt) VALUES (?, '', '0102', '2026-03-07 07:50:00', '2026-03-07 09:10:00', "
            "?, '2026-03-07 07:55:00', '2026-03-07 09:15:00', 0, 'Fasting 10 hours.', ?, '2026-03-07 09:15:00')",
        {w.requestNum, w.accession, w.method});
    const std::string master = db.qualify(Database::Laboratory, "tbLabMaster");
    int rowNo = 0;
    for (const StoredRow &r : w.rows) {
        // The range and units of the day it was judged by, copied from the format.
        run(db,
            "INSERT INTO " + t("tbLabResultNValues") +
                " (RequestNum, ExamCode, RowNo, ExamName, sResult, sNValues, sUnit, sMin, sMax, CResult, CNValues, "
                "CUnit, CMinValue, CMaxValue, Factor, FormType, Flag, EmployeeCode, Verified, SavedAt) SELECT ?, f.Code, ?, "
                "f.Exam, ?, f.sNValue, f.sUnit, f.sMin, f.sMax, ?, f.CNValue, f.CUnit, f.CMinValue, f.CMaxValue, f.Factor, "
                "f.FormType, '', '0102', 'N', '2026-03-07 09:15:00' FROM " + t("tbLabResultFormat") +
                " f JOIN " + master + " m ON m.ExamCode = f.ExamCode WHERE m.RequestNum = ? AND f.Code = ?",
            {w.requestNum, std::to_string(++rowNo), r.result, r.cResult, w.requestNum, r.code});
    }
    run(db,
        "INSERT INTO " + t("tbLabResultMedTech") +
            " (RequestNum, MedTechID, MedTechAt, VerifiedBy, VerifiedAt, PathologistID, Pathologist, PaperSize)"
            " VALUES (?, '0102', '2026-03-07 09:16:00', '', NULL, '', '', 'H')",
        {w.requestNum});
}

} // namespace

void loadChemistryDemo(Driver &db)
{
    const auto lab = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    const auto build = [&](const char *table) { return db.qualify(Database::BuildFile, table); };

    // The 24-hour urine protein, computed from the collection's volume.
    run(db, "INSERT INTO " + build("tbCoLabExam") +
                " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, WithReagent, SupExamID, Status) VALUES "
                "('255', '24-HOUR URINE PROTEIN', 'A', 'S04', 'P', '1', 0, '', 'A')",
        {});
    run(db, "INSERT INTO " + build("TbCoLabReagents") + " (ReagentCode, Reagent) VALUES ('R0601', 'URIC ACID - "
                "URICASE/PAP')", {});

    int line = 0;
    for (const FormatRow &f : kFormats)
        run(db,
            "INSERT INTO " + lab("tbLabResultFormat") +
                " (ExamCode, EntryMode, Code, LineNo, Exam, FormType, sNValue, sUnit, sMin, sMax, CNValue, CUnit, "
                "CMinValue, CMaxValue, Factor, Operator) VALUES (?, 0, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '/')",
            {f.examCode, f.code, std::to_string(++line), f.exam, f.formType, f.sNValue, f.sUnit, f.sMin, f.sMax,
             f.cNValue, f.cUnit, f.cMin, f.cMax, f.factor});
    for (const ReagentRange &r : kReagentRanges)
        run(db,
            "INSERT INTO " + lab("tbLabReagentSexNValues") +
                " (ExamCode, ReagentCode, Maleminvalue, MaleMaxVAlue, feMaleminvalue, feMaleMaxVAlue, SIUnit) VALUES "
                "(?, ?, ?, ?, ?, ?, ?)",
            {r.examCode, r.reagent, r.maleMin, r.maleMax, r.femaleMin, r.femaleMax, r.unit});
    // The glucose and uric acid formats start on the analyser's and the uricase method.
    run(db, "INSERT INTO " + lab("tbLabNValueDefault") + " (FormType, ReagentCode, Age) VALUES ('1', 'R0201', ''), "
                "('8', 'R0601', '')", {});
    for (const MachineResult &m : kMachineResults)
        run(db,
            "INSERT INTO " + lab("tbLabInstrumentResult") +
                " (InstrumentID, SampleNum, TestCode, ExamCode, sResult, ReceivedAt) VALUES ('VIT250', ?, ?, ?, ?, ?)",
            {m.sample, m.test, m.exam, m.result, m.at});

    // An open 24-hour urine protein of the dialysis patient.
    const std::string master = lab("tbLabMaster");
    run(db,
        "INSERT INTO " + master +
            " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, Dialysis, "
            "ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, BloodType, Status, "
            "RequestDate, DateFinished, SendOuts) VALUES "
            "('R2603101', '10023459', 'O26-00204', '255', '', '1014', 'N', 'CS-264302', '', 'N', 'Y', '', '', '', '', "
            "'', '', '', '', 'O', '2026-03-06 06:10:00', NULL, NULL)",
        {});

    // A creatinine of the paediatric ward, judged by the child's age band.
    run(db,
        "INSERT INTO " + master +
            " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, Dialysis, "
            "ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, BloodType, Status, "
            "RequestDate, DateFinished, SendOuts) VALUES "
            "('R2603102', '10023453', 'A26-00102', '138', '', '1011', 'N', 'CS-264303', '', 'N', 'N', '', '', '', '', "
            "'', '', '', '', 'O', '2026-03-07 06:30:00', NULL, NULL)",
        {});
    // A second chemistry analyser, running uric acid on the uricase method.
    run(db, "INSERT INTO " + lab("tbLabInstrumentName") +
                " (ID, InstrumentID, InstrumentName, Manufacturer, Model, SectionID, Location, ReagentCode) VALUES "
                "('5', 'AU480', 'BECKMAN COULTER AU480', 'Beckman Coulter', 'AU480', 'A', 'CHEMISTRY BENCH 2', 'R0601')",
        {});

    insertWorkedRequest(db, {"R2603160", "R2603031", "CS-264360", "F-0298", "GLUCOSE - VITROS 250",
                             {{"136", "5.9", "106.31"}}});
    insertWorkedRequest(db, {"R2603161", "R2603045", "CS-264361", "U-0147", "URIC ACID - URICASE/PAP",
                             {{"150", "481", "8.09"}}});
    insertWorkedRequest(db, {"R2603162", "R2603033", "CS-264362", "K-0101", "",
                             {{"138", "97.2", "1.10"}, {"1", "1.67", "100.00"}}});
    // The stored uric acid was judged high against the male range of the day.
    run(db, "UPDATE " + lab("tbLabResultNValues") + " SET sNValues = '202-416', sMin = '202', sMax = '416', Flag = 'H' "
                "WHERE RequestNum = 'R2603161'", {});
}

} // namespace labdb
