// Demonstration data of the interpretation, normal-range and custom screens: a peripheral blood
// smear read and interpreted, a thyroid function test, and a hepatitis profile ordered as one batch
// of three exams, each worked, beside open requests of the same exams.

#include "interpretation_parts.h"
#include "schema_parts.h"

#include <string>

namespace labdb {

namespace {

struct RefRange {
    const char *field, *label, *unit, *min, *max, *text;
};
// Adult reference intervals of the normal-range fields as the laboratory prints them.
constexpr RefRange kRefRanges[] = {
    {"Patient", "Prothrombin time, patient", "sec", "10.0", "13.5", "10.0 - 13.5"},
    {"Control", "Prothrombin time, control", "sec", "", "", ""},
    {"Activity", "Activity", "%", "70", "130", "70 - 130"},
    {"INR", "INR", "", "0.8", "1.2", "0.8 - 1.2"},
    {"Report", "Remarks", "", "", "", ""},
    {"Direct", "Direct Coombs test", "", "", "", "NEGATIVE"},
    {"Indirect", "Indirect Coombs test", "", "", "", "NEGATIVE"},
    {"Bleeding", "Bleeding time (Duke)", "min", "", "", "1 - 3"},
    {"Clotting", "Clotting time (Lee-White)", "min", "", "", "5 - 15"},
    {"TUptake", "T3 uptake", "%", "25", "35", "25 - 35"},
    {"T3", "T3 (triiodothyronine)", "nmol/L", "1.2", "2.8", "1.2 - 2.8"},
    {"T4", "T4 (thyroxine)", "nmol/L", "60", "150", "60 - 150"},
    {"FTI", "Free thyroxine index", "", "4.5", "12.0", "4.5 - 12.0"},
    {"PBI", "Protein-bound iodine", "ug/dL", "4.0", "8.0", "4.0 - 8.0"},
    {"TSH", "TSH", "mIU/L", "0.40", "4.00", "0.40 - 4.00"},
    {"FT4", "Free T4", "pmol/L", "10.0", "23.0", "10.0 - 23.0"},
    {"LH", "LH", "IU/L", "", "", "by cycle phase"},
    {"FSH", "FSH", "IU/L", "", "", "by cycle phase"},
    {"Prolactin", "Prolactin", "ng/mL", "4.8", "23.3", "4.8 - 23.3 (female)"},
    {"TotalPSA", "Total PSA", "ng/mL", "0", "4.0", "0 - 4.0"},
    {"FreePSA", "Free PSA", "ng/mL", "", "", "free/total above 25%"},
};

struct FormatLine {
    const char *exam;
    int line;
    const char *fields, *normalValues, *mode;
};
constexpr FormatLine kFormats[] = {
    {"401", 1, "HBsAg (Hepatitis B surface antigen)", "NON-REACTIVE", "N"},
    {"401", 2, "HBsAg cut-off index", "< 1.00", "N"},
    {"402", 1, "Anti-HBs (antibody to surface antigen)", "NON-REACTIVE", "N"},
    {"402", 2, "Anti-HBs titer", "< 10 mIU/mL", "N"},
    {"403", 1, "Anti-HCV (antibody to hepatitis C)", "NON-REACTIVE", "N"},
    {"403", 2, "Anti-HCV signal/cut-off ratio", "< 1.00", "N"},
    {"158", 1, "Prothrombin time, patient", "10.0 - 13.5 sec", "N"},
    {"158", 2, "Prothrombin time, control", "", "N"},
    {"158", 3, "Activity", "70 - 130 %", "N"},
    {"158", 4, "INR", "0.8 - 1.2", "N"},
    {"404", 1, "Specimen", "", "A"},
    {"404", 2, "Method", "", "A"},
    {"404", 3, "Result", "", "A"},
};

} // namespace

void loadInterpretationDemo(Driver &db)
{
    const auto lab = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    const auto build = [&](const char *table) { return db.qualify(Database::BuildFile, table); };

    db.run("INSERT INTO " + lab("tbLabInterpretationLegend") + " (ExamCode, Interpretation) VALUES (?, ?)",
           {"117", "RBC: size (normocytic, microcytic, macrocytic), haemoglobin content (normochromic, hypochromic), "
                   "shape (poikilocytosis), inclusions.\nWBC: estimate (adequate, increased, decreased), "
                   "differential, toxic changes, immature or atypical cells.\nPlatelets: estimate (adequate, "
                   "increased, decreased), giant or clumped forms."});
    int order = 0;
    for (const char *text : {"Normocytic normochromic red cells; adequate white cells and platelets.",
                             "Microcytic hypochromic red cells with anisopoikilocytosis; suggestive of iron "
                             "deficiency.",
                             "Neutrophilic leukocytosis with toxic granulation; consider bacterial infection.",
                             "Nucleated red cells and polychromasia; consistent with the neonatal period."}) {
        ++order;
        db.run("INSERT INTO " + lab("tbLabInterpretation") +
                   " (ExamCode, InterpretationID, Interpretation, SortOrder) VALUES ('117', ?, ?, ?)",
               {"PBS" + std::to_string(order), std::string(text), std::to_string(order)});
    }
    order = 0;
    for (const RefRange &r : kRefRanges)
        db.run("INSERT INTO " + lab("tbLabNormalRangeRef") +
                   " (Field, Label, Unit, MinValue, MaxValue, RangeText, SortOrder) VALUES (?, ?, ?, ?, ?, ?, ?)",
               {r.field, r.label, r.unit, r.min, r.max, r.text, std::to_string(++order)});

    // The hepatitis profile is ordered as three exams under one charge; a free-text custom report too.
    for (const auto &[code, name] : {std::pair{"401", "HBsAg (HEPATITIS PROFILE)"},
                                     std::pair{"402", "ANTI-HBs (HEPATITIS PROFILE)"},
                                     std::pair{"403", "ANTI-HCV (HEPATITIS PROFILE)"},
                                     std::pair{"404", "SPECIAL REPORT (CUSTOM)"}})
        db.run("INSERT INTO " + build("tbCoLabExam") +
                   " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, WithReagent, SupExamID, Status) "
                   "VALUES (?, ?, 'E', 'S02', 'K', '', 0, '', 'A')",
               {code, name});
    for (const FormatLine &f : kFormats)
        db.run("INSERT INTO " + lab("tbLabCustomFormat") +
                   " (ExamCode, LineNo, Fields, NormalValues, Mode) VALUES (?, ?, ?, ?, ?)",
               {f.exam, std::to_string(f.line), f.fields, f.normalValues, f.mode});

    // Open requests of the profile (one charge) and of the free-text report.
    const auto order_ = [&](const char *requestNum, const char *exam, const char *refNum) {
        db.run("INSERT INTO " + lab("tbLabMaster") +
                   " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, "
                   "Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, "
                   "BloodType, Status, RequestDate, DateFinished, SendOuts) SELECT ?, HospNum, IDNum, ?, SpecimenID, "
                   "DoctorID, Rush, ?, ORNum, Transplant, Dialysis, '', '', '', '', SupExamID, PatientType, '', '', "
                   "'O', RequestDate, NULL, SendOuts FROM " +
                   lab("tbLabMaster") + " WHERE RequestNum = 'R2603019'",
               {requestNum, exam, refNum});
    };
    order_("R2604206", "401", "CS-264206");
    order_("R2604207", "402", "CS-264206");
    order_("R2604208", "403", "CS-264206");
    order_("R2604209", "404", "CS-264209");

    // A peripheral blood smear, read, interpreted and signed with a concurring pathologist.
    insertWorkedRequest(db, {"R2604201", "R2603017", "CS-264201", "H-0331", {}});
    db.run("INSERT INTO " + lab("tbLabResultInterpretation") +
               " (RequestNum, AccessionNum, Result, ResultInterpretation, Interpretation, site, Specimen, ResultDate, "
               "samplesubmitted, lratime, DateFinished, EmployeeCode, SavedAt) SELECT ?, 'H-0331', ?, ?, "
               "Interpretation, 'Heel prick', 'WHOLE BLOOD (EDTA)', '2026-03-07 09:45:00', '2026-03-07 08:15:00', "
               "'2026-03-07 08:20:00', '2026-03-07 09:40:00', '0102', '2026-03-07 09:45:00' FROM " +
               lab("tbLabInterpretationLegend") + " WHERE ExamCode = '117'",
           {"R2604201",
            "RBC: Predominantly normocytic normochromic; moderate polychromasia; 6 nucleated RBCs/100 WBC; "
            "occasional target cells.\nWBC: Adequate; segmenters 58%, lymphocytes 32%, monocytes 7%, "
            "eosinophils 3%; no blasts seen.\nPlatelets: Adequate; no clumps.",
            "Nucleated red cells and polychromasia; consistent with the neonatal period. No evidence of haemolysis "
            "or of a leukaemoid reaction."});
    db.run("INSERT INTO " + lab("tbLabConforme") + " (RequestNum, Conforme, Signature, ConPathologist) VALUES "
               "(?, '1', '1', 'Antonio C. Villanueva, M.D.')",
           {"R2604201"});

    // A thyroid function test entered on the thyroid sub-screen.
    insertWorkedRequest(db, {"R2604202", "R2603019", "CS-264202", "S-1187", {}});
    db.run("INSERT INTO " + lab("tbLabResultNormalRange") +
               " (RequestNum, FormType, T3, T4, TSH, FT4, AccessionNum, ResultDate, samplesubmitted, lratime, "
               "DateFinished, EmployeeCode, SavedAt) VALUES (?, '3', '1.1', '58', '6.82', '9.4', 'S-1187', "
               "'2026-03-07 09:45:00', '2026-03-07 08:15:00', '2026-03-07 08:20:00', '2026-03-07 09:40:00', '0102', "
               "'2026-03-07 09:45:00')",
           {"R2604202"});

    // The hepatitis profile, worked as one batch.
    const struct {
        const char *request, *copyOf, *accession;
        const char *results[2];
    } batch[] = {{"R2604203", "R2604206", "S-1190", {"NON-REACTIVE", "0.31"}},
                 {"R2604204", "R2604207", "S-1190", {"REACTIVE", "112.4 mIU/mL"}},
                 {"R2604205", "R2604208", "S-1190", {"NON-REACTIVE", "0.08"}}};
    for (const auto &b : batch) {
        insertWorkedRequest(db, {b.request, b.copyOf, "CS-264203", b.accession, {}});
        for (int line = 1; line <= 2; ++line)
            db.run("INSERT INTO " + lab("tbLabResultCustom") +
                       " (RequestNum, LineNo, ExamCode, Fields, Result, NormalValue, Remarks, EmployeeCode, SavedAt) "
                       "SELECT ?, f.LineNo, f.ExamCode, f.Fields, ?, f.NormalValues, ?, '0102', '2026-03-07 09:45:00' "
                       "FROM " + lab("tbLabCustomFormat") + " f JOIN " + lab("tbLabMaster") +
                       " m ON m.ExamCode = f.ExamCode WHERE m.RequestNum = ? AND f.LineNo = ?",
                   {b.request, b.results[line - 1], "Immune by vaccination.", b.request, std::to_string(line)});
        db.run("UPDATE " + lab("tbLabLogbook") + " SET Remarks = 'Immune by vaccination.' WHERE RequestNum = ?",
               {b.request});
    }
}

} // namespace labdb
