// Demonstration data of the exam-set screens: a lipid profile and serum electrolytes entered as
// sets of exams with their reference intervals (sodium by electrode method), an oral glucose
// tolerance test in its specific format, each open once and worked once, and the day's batch slip.

#include "examsets_parts.h"
#include "schema_parts.h"

#include <string>
#include <vector>

namespace labdb {

namespace {

struct Line {
    const char *examCode, *code, *exam, *formType, *normal, *unit, *min, *max;
};
const Line kLines[] = {
    {"133", "151", "TOTAL CHOLESTEROL", "1", "0.00-5.20", "mmol/L", "0", "5.2"},
    {"133", "163", "TRIGLYCERIDES", "1", "0.00-1.70", "mmol/L", "0", "1.7"},
    {"133", "164", "HDL CHOLESTEROL", "1", "1.04-3.00", "mmol/L", "1.04", "3.0"},
    {"133", "165", "LDL CHOLESTEROL", "1", "0.00-3.40", "mmol/L", "0", "3.4"},
    {"133", "166", "VLDL CHOLESTEROL", "1", "0.10-1.00", "mmol/L", "0.1", "1.0"},
    {"134", "167", "SODIUM", "1", "135-145", "mmol/L", "135", "145"},
    {"134", "168", "POTASSIUM", "1", "3.5-5.1", "mmol/L", "3.5", "5.1"},
    {"134", "169", "CHLORIDE", "1", "98-107", "mmol/L", "98", "107"},
    {"147", "170", "FASTING (0 HOUR)", "4", "3.9-5.5", "mmol/L", "3.9", "5.5"},
    {"147", "171", "1ST HOUR (AFTER 75 G GLUCOSE)", "4", "< 10.0", "mmol/L", "0", "10.0"},
    {"147", "172", "2ND HOUR (AFTER 75 G GLUCOSE)", "4", "< 7.8", "mmol/L", "0", "7.8"},
};

struct OpenRequest {
    const char *requestNum, *exam, *hospNum, *idNum, *doctor, *requestDate;
};
const OpenRequest kOpen[] = {
    {"R2604101", "133", "10023455", "O26-00202", "1010", "2026-03-07 07:40:00"},
    {"R2604103", "134", "10023454", "A26-00103", "1015", "2026-03-07 05:10:00"},
    {"R2604105", "147", "10023460", "A26-00106", "1013", "2026-03-07 06:00:00"},
};

struct StoredLine {
    const char *code, *result, *flag;
};
struct WorkedSet {
    WorkedRequest request;
    std::vector<StoredLine> lines;
};

} // namespace

void loadExamSetDemo(Driver &db)
{
    const auto lab = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    const auto build = [&](const char *table) { return db.qualify(Database::BuildFile, table); };

    int lineNo = 0;
    for (const Line &l : kLines)
        db.run("INSERT INTO " + lab("tbLabResultFormat") +
                   " (ExamCode, EntryMode, Code, LineNo, Exam, FormType, sNValue, sUnit, sMin, sMax, CNValue, CUnit, "
                   "CMinValue, CMaxValue, Factor, Operator) VALUES (?, 0, ?, ?, ?, ?, ?, ?, ?, ?, '', '', '', '', '', '/')",
               {l.examCode, l.code, std::to_string(++lineNo), l.exam, l.formType, l.normal, l.unit, l.min, l.max});

    // Sodium has its own interval on each electrode method.
    db.run("INSERT INTO " + build("TbCoLabReagents") + " (ReagentCode, Reagent) VALUES "
               "('R0701', 'ELECTROLYTES - DIRECT ISE'), ('R0702', 'ELECTROLYTES - INDIRECT ISE')", {});
    db.run("INSERT INTO " + lab("tbLabReagentSexNValues") +
               " (ExamCode, ReagentCode, Maleminvalue, MaleMaxVAlue, feMaleminvalue, feMaleMaxVAlue, SIUnit) VALUES "
               "('167', 'R0701', '136', '146', '136', '146', 'mmol/L'), "
               "('167', 'R0702', '135', '145', '135', '145', 'mmol/L')", {});
    db.run("INSERT INTO " + lab("tbLabSlip") + " (BatchNum, OpenedAt) VALUES ('B-260307-02', '2026-03-07 06:00:00')",
           {});

    for (const OpenRequest &r : kOpen)
        db.run("INSERT INTO " + lab("tbLabMaster") +
                   " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, "
                   "Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, "
                   "BloodType, Status, RequestDate, DateFinished, SendOuts) VALUES (?, ?, ?, ?, '', ?, 'N', ?, '', "
                   "'N', 'N', '', '', '', '', '', '', '', '', 'O', ?, NULL, NULL)",
               {r.requestNum, r.hospNum, r.idNum, r.exam, r.doctor, std::string("CS-26") + (r.requestNum + 4),
                r.requestDate});

    const WorkedSet worked[] = {
        {{"R2604102", "R2604101", "CS-264102", "C-0731", {}},
         {{"151", "6.10", "HIGH"}, {"163", "1.45", ""}, {"164", "0.98", "LOW"}, {"165", "4.46", "HIGH"},
          {"166", "0.66", ""}}},
        {{"R2604104", "R2604103", "CS-264104", "C-0733", {}},
         {{"167", "138", ""}, {"168", "5.4", "HIGH"}, {"169", "101", ""}}},
        {{"R2604106", "R2604105", "CS-264106", "C-0735", {}},
         {{"170", "5.2", ""}, {"171", "9.8", ""}, {"172", "8.4", "HIGH"}}},
    };
    for (const WorkedSet &w : worked) {
        insertWorkedRequest(db, w.request);
        db.run("UPDATE " + lab("tbLabLogbook") + " SET BatchNum = 'B-260307-01', Remarks = ? WHERE RequestNum = ?",
               {std::string(w.lines.size() == 3 && std::string(w.lines[0].code) == "170"
                                ? "75 g glucose load taken at 07:05 AM; no vomiting."
                                : "Fasting 12 hours."),
                w.request.requestNum});
        int n = 0;
        for (const StoredLine &s : w.lines)
            db.run("INSERT INTO " + lab("tbLabExamSetResult") +
                       " (RequestNum, ExamCode, LineNo, ExamName, FormType, Result, ResultKind, NormalValue, Unit, "
                       "MinValue, MaxValue, Flag, LineText, EmployeeCode, SavedAt) SELECT ?, f.Code, ?, f.Exam, "
                       "f.FormType, ?, 'N', f.sNValue, f.sUnit, f.sMin, f.sMax, ?, '', '0102', '2026-03-07 09:45:00' "
                       "FROM " + lab("tbLabResultFormat") + " f WHERE f.ExamCode = (SELECT ExamCode FROM " +
                       lab("tbLabMaster") + " WHERE RequestNum = ?) AND f.Code = ?",
                   {w.request.requestNum, std::to_string(++n), s.result, s.flag, w.request.requestNum, s.code});
    }
}

} // namespace labdb
