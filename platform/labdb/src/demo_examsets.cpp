// Demonstration data of the exam-set screens: a lipid profile and serum electrolytes entered as
// sets of exams with their reference intervals (sodium by electrode method), an oral glucose
// tolerance test in its specific format, a lymphocyte-subset panel of the flow cytometry bench and a
// spinal fluid cell count, each open once and worked once; a malaria smear read in words, open; and
// the day's batch slip.

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
    // Lymphocyte subsets after alemtuzumab: percentages, then absolute counts.
    {"190", "192", "CD3+ T LYMPHOCYTES", "1", "61-85", "%", "61", "85"},
    {"190", "193", "CD19+ B LYMPHOCYTES", "1", "7-23", "%", "7", "23"},
    {"190", "194", "CD52+ LYMPHOCYTES", "1", "95-100", "%", "95", "100"},
    {"190", "195", "CD3+ T LYMPHOCYTES, ABSOLUTE", "1", "960-2600", "cells/mm3", "960", "2600"},
    {"190", "196", "CD19+ B LYMPHOCYTES, ABSOLUTE", "1", "100-500", "cells/mm3", "100", "500"},
    // Cerebrospinal fluid cell count: numbers against their limits, the reading in the remarks.
    {"191", "197", "WBC COUNT", "1", "0-5", "cells/uL", "0", "5"},
    {"191", "198", "RBC COUNT", "1", "0-10", "cells/uL", "0", "10"},
    {"191", "199", "NEUTROPHILS", "1", "0-6", "%", "0", "6"},
    {"191", "200", "LYMPHOCYTES", "1", "40-80", "%", "40", "80"},
    // A malaria smear: the films are read in words, the density counted.
    {"203", "39", "MALARIAL PARASITE, THICK FILM", "2", "NONE SEEN", "", "", ""},
    {"203", "40", "MALARIAL PARASITE, THIN FILM", "2", "NONE SEEN", "", "", ""},
    {"203", "204", "PARASITE DENSITY", "1", "", "parasites/uL", "", ""},
};

struct OpenRequest {
    const char *requestNum, *exam, *hospNum, *idNum, *doctor, *requestDate;
};
const OpenRequest kOpen[] = {
    {"R2604101", "133", "10023455", "O26-00202", "1010", "2026-03-07 07:40:00"},
    {"R2604103", "134", "10023454", "A26-00103", "1015", "2026-03-07 05:10:00"},
    {"R2604105", "147", "10023460", "A26-00106", "1013", "2026-03-07 06:00:00"},
    {"R2604107", "190", "10023454", "A26-00103", "1015", "2026-03-07 06:20:00"},
    {"R2604109", "191", "10023460", "A26-00106", "1013", "2026-03-07 06:40:00"},
    {"R2604111", "203", "10023455", "O26-00202", "1010", "2026-03-07 07:55:00"},
};

struct StoredLine {
    const char *code, *result, *flag;
};
struct WorkedSet {
    WorkedRequest request;
    const char *remarks;
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
    // The flow cytometry and cell-count benches print layouts of their own.
    db.run("INSERT INTO " + build("tbCoLabSection") + " (SectionID, LabSection, SectionHead) VALUES "
               "('FLW', 'FLOW CYTOMETRY', '1003'), ('CEL', 'CELL COUNTS', '1002')", {});
    db.run("INSERT INTO " + build("tbCoLabExam") +
               " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, WithReagent, SupExamID, Status) VALUES "
               "('190', 'CD52 (CAMPATH) LYMPHOCYTE MONITORING', 'FLW', 'S01', 'P', '2', '0', '', 'A'), "
               "('191', 'CSF CELL COUNT AND DIFFERENTIAL', 'CEL', 'S21', '2', '', '0', '', 'A'), "
               "('203', 'MALARIA SMEAR (THICK AND THIN FILMS)', 'B', 'S01', '3', '', '0', '', 'A')", {});
    db.run("INSERT INTO " + build("tbCoLabSpecimen") + " (SpecimenID, Specimen) VALUES ('S21', 'CEREBROSPINAL FLUID')",
           {});
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
         "Fasting 12 hours.",
         {{"151", "6.10", "HIGH"}, {"163", "1.45", ""}, {"164", "0.98", "LOW"}, {"165", "4.46", "HIGH"},
          {"166", "0.66", ""}}},
        {{"R2604104", "R2604103", "CS-264104", "C-0733", {}},
         "Sample not haemolysed.",
         {{"167", "138", ""}, {"168", "5.4", "HIGH"}, {"169", "101", ""}}},
        {{"R2604106", "R2604105", "CS-264106", "C-0735", {}},
         "75 g glucose load taken at 07:05 AM; no vomiting.",
         {{"170", "5.2", ""}, {"171", "9.8", ""}, {"172", "8.4", "HIGH"}}},
        {{"R2604108", "R2604107", "CS-264108", "F-0736", {}},
         "Day 28 after alemtuzumab: B cells depleted, T cells recovering.",
         {{"192", "58", "LOW"}, {"193", "2", "LOW"}, {"194", "4", "LOW"}, {"195", "610", "LOW"}, {"196", "21", "LOW"}}},
        {{"R2604110", "R2604109", "CS-264110", "Q-0737", {}},
         "Mild lymphocytic pleocytosis; consistent with a viral meningitis. Gram stain: no organisms seen.",
         {{"197", "42", "HIGH"}, {"198", "3", ""}, {"199", "5", ""}, {"200", "88", "HIGH"}}},
    };
    for (const WorkedSet &w : worked) {
        insertWorkedRequest(db, w.request);
        db.run("UPDATE " + lab("tbLabLogbook") + " SET BatchNum = 'B-260307-01', Remarks = ? WHERE RequestNum = ?",
               {w.remarks, w.request.requestNum});
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
