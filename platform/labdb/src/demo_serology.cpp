// Demonstration data of the serology screens: a dengue NS1 antigen and an HBsAg read by index, a
// hepatitis B screening panel against cut-offs, an HIV screen against its threshold, a dengue
// IgG/IgM rapid test in short form, and a Widal test with titres; each worked, with open ones beside.

#include "schema_parts.h"
#include "serology_parts.h"

#include <string>
#include <vector>

namespace labdb {

namespace {

struct DemoExam {
    const char *code, *name, *formType, *valueType;
};
// Exams the general demo does not have: two read by index and a panel read against cut-offs.
constexpr DemoExam kExams[] = {
    {"521", "DENGUE NS1 ANTIGEN (ELISA)", "5", "A"},
    {"522", "HBsAg (CMIA)", "5", "A"},
    {"523", "HEPATITIS B SCREENING PANEL", "P", "5"},
};

// The panel's analyser reagents: one test takes a well of each assay and a sample cup.
constexpr const char *kPanelReagent = "R1201";
struct ReagentItem {
    const char *item, *name, *unit, *quantity, *price, *onHand;
};
constexpr ReagentItem kPanelItems[] = {
    {"INV-12001", "HBsAg QUALITATIVE II REAGENT PACK (100 TESTS)", "TEST", "1", "96", "400"},
    {"INV-12002", "ANTI-HBs REAGENT PACK (100 TESTS)", "TEST", "1", "110", "300"},
    {"INV-9001", "SAMPLE CUP 2 ML", "PC", "1", "2.5", nullptr},
};

struct FormatItem {
    const char *exam, *item;
    int line;
    const char *name, *unit, *defaultValue;
};
constexpr FormatItem kFormats[] = {
    {"521", "521", 1, "DENGUE NS1 ANTIGEN", "Index", ""},
    {"522", "522", 1, "HEPATITIS B SURFACE ANTIGEN", "S/CO", ""},
    {"523", "523A", 1, "HBsAg", "S/CO", "1.00 S/CO"},
    {"523", "523B", 2, "ANTI-HBs", "mIU/mL", "10.00 mIU/mL"},
    {"152", "152", 1, "RPR (NON-TREPONEMAL)", "", "NON-REACTIVE AT 1:1"},
    {"154", "154A", 1, "HIV-1/2 ANTIBODY (4TH GEN. CMIA)", "S/CO", ""},
    {"154", "154B", 2, "HIV-1 p24 ANTIGEN", "S/CO", ""},
    {"141", "141A", 1, "DENGUE IgG", "", ""},
    {"141", "141B", 2, "DENGUE IgM", "", ""},
};

struct Threshold {
    const char *exam, *item;
    int entryMode;
    const char *value;
};
// The analyser the screen is opened for (entry mode 2) reads HIV against its own cut-off.
constexpr Threshold kThresholds[] = {
    {"154", "154A", 0, "1.00 S/CO"},
    {"154", "154B", 0, "1.00 S/CO"},
    {"154", "154A", 2, "0.90 S/CO"},
};

struct CutOffRow {
    const char *item, *exam, *value, *note, *last;
};

void insertCutOffRows(Driver &db, const char *requestNum, const char *formType, const std::vector<CutOffRow> &rows)
{
    int rowNo = 0;
    for (const CutOffRow &r : rows)
        db.run("INSERT INTO " + db.qualify(Database::Laboratory, "tbLabResultCutOff") +
                   " (RequestNum, ItemID, RowNo, ExamName, PatientValue, CutOffValue, Result, FormType, EmployeeCode, "
                   "SavedAt) VALUES (?, ?, ?, ?, ?, ?, ?, ?, '0102', '2026-03-07 09:45:00')",
               {requestNum, r.item, std::to_string(++rowNo), r.exam, r.value, r.note, r.last, formType});
}

void setLogbookText(Driver &db, const char *requestNum, const char *method, const char *remarks)
{
    db.run("UPDATE " + db.qualify(Database::Laboratory, "tbLabLogbook") +
               " SET Method = ?, Remarks = ? WHERE RequestNum = ?",
           {method, remarks, requestNum});
}

void setExam(Driver &db, const char *requestNum, const char *exam)
{
    db.run("UPDATE " + db.qualify(Database::Laboratory, "tbLabMaster") + " SET ExamCode = ? WHERE RequestNum = ?",
           {exam, requestNum});
}

} // namespace

void loadSerologyDemo(Driver &db)
{
    for (const DemoExam &e : kExams)
        db.run("INSERT INTO " + db.qualify(Database::BuildFile, "tbCoLabExam") +
                   " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, WithReagent, SupExamID, Status) "
                   "VALUES (?, ?, 'E', 'S02', ?, ?, '0', '', 'A')",
               {e.code, e.name, e.formType, e.valueType});
    db.run("INSERT INTO " + db.qualify(Database::BuildFile, "TbCoLabReagents") + " (ReagentCode, Reagent) VALUES (?, ?)",
           {kPanelReagent, "HEPATITIS B PANEL - CMIA"});
    db.run("INSERT INTO " + db.qualify(Database::BuildFile, "tbcoLabExamReagent") +
               " (LabExamID, ReagentID, LocationID, ReagentQty) VALUES ('523', ?, 'LAB', '1')",
           {kPanelReagent});
    for (const ReagentItem &i : kPanelItems) {
        db.run("INSERT INTO " + db.qualify(Database::BuildFile, "tbCoLabReagentItem") +
                   " (ReagentCode, ItemCode, ItemName, Unit, Quantity, UnitPrice, SupplierCode) "
                   "VALUES (?, ?, ?, ?, ?, ?, 'SUP01')",
               {kPanelReagent, i.item, i.name, i.unit, i.quantity, i.price});
        if (i.onHand) // the sample cups are stocked already
            db.run("INSERT INTO " + db.qualify(Database::Inventory, "tbInvStockLevel") +
                       " (ItemCode, LocationID, OnHand, UnitCost, ReorderLevel) VALUES (?, 'LAB', ?, ?, '50')",
                   {i.item, i.onHand, i.price});
    }
    for (const FormatItem &f : kFormats)
        db.run("INSERT INTO " + db.qualify(Database::Laboratory, "tbLabCutOffFormat") +
                   " (ExamCode, EntryMode, ItemID, LineNo, Exam, Unit, DefaultValue) VALUES (?, 0, ?, ?, ?, ?, ?)",
               {f.exam, f.item, std::to_string(f.line), f.name, f.unit, f.defaultValue});
    for (const Threshold &t : kThresholds)
        db.run("INSERT INTO " + db.qualify(Database::Laboratory, "tbLabThresholdValue") +
                   " (ExamCode, ItemID, EntryMode, TValue) VALUES (?, ?, ?, ?)",
               {t.exam, t.item, std::to_string(t.entryMode), t.value});

    // Dengue NS1 of the feverish boy in the paediatric ward (copied from his dengue IgG/IgM request).
    insertWorkedRequest(db, {"R2604001", "R2603036", "CS-264601", "SER-0401", {}});
    setExam(db, "R2604001", "521");
    setLogbookText(db, "R2604001", "ELISA (Platelia Dengue NS1 Ag)", "Day 2 of fever.");
    insertCutOffRows(db, "R2604001", "5", {{"521", "DENGUE NS1 ANTIGEN", "POSITIVE", "Index > 1.10", "3.42"}});

    insertWorkedRequest(db, {"R2604002", "R2603049", "CS-264602", "SER-0402", {}});
    setExam(db, "R2604002", "522");
    setLogbookText(db, "R2604002", "Chemiluminescent microparticle immunoassay", "");
    insertCutOffRows(db, "R2604002", "5",
                     {{"522", "HEPATITIS B SURFACE ANTIGEN", "NEGATIVE", "Non-reactive", "0.28"}});

    insertWorkedRequest(db, {"R2604003", "R2603049", "CS-264603", "SER-0403", {}});
    setLogbookText(db, "R2604003", "4th generation CMIA", "Pre-employment screening; counselled before testing.");
    insertCutOffRows(db, "R2604003", "I",
                     {{"154A", "HIV-1/2 ANTIBODY (4TH GEN. CMIA)", "0.12", "NON-REACTIVE", "1.00 S/CO"},
                      {"154B", "HIV-1 p24 ANTIGEN", "0.08", "NON-REACTIVE", "1.00 S/CO"}});

    insertWorkedRequest(db, {"R2604004", "R2603036", "CS-264604", "SER-0404", {}});
    setLogbookText(db, "R2604004", "Rapid immunochromatographic test", "Day 6 of fever.");
    const struct {
        const char *code, *name, *result, *remark, *row;
    } shortForm[] = {{"141A", "DENGUE IgG", "NEGATIVE", "", "1"},
                     {"141B", "DENGUE IgM", "POSITIVE", "Faint test line; suggests recent infection", "2"}};
    for (const auto &s : shortForm) {
        const std::string remark = s.remark;
        const std::string line = std::string(s.result) + (remark.empty() ? "" : "; Remarks: " + remark);
        db.run("INSERT INTO " + db.qualify(Database::Laboratory, "tbLabResultShortForm") +
                   " (RequestNum, ExamCode, RowNo, ExamName, Result, Unit, Remarks, PrintLine, EmployeeCode, SavedAt) "
                   "VALUES ('R2604004', ?, ?, ?, ?, '', ?, ?, '0102', '2026-03-07 09:45:00')",
               {s.code, s.row, s.name, s.result, s.remark, line});
    }

    // Widal of the girl with a week of fever: O and H agglutinate up to 1:160, the paratyphi antigens
    // only at the lowest dilutions. Cells 1-19 are result1-19, cells 20-30 result21-31.
    const char *const cells[30] = {"+", "+", "+", "+", "-", "+", "+", "+", "+", "-", "+", "-", "-", "-", "-",
                                   "+", "-", "-", "-", "-", "-", "-", "-", "-", "-", "+", "-", "-", "-", "-"};
    WorkedRequest widal{"R2604005", "R2603048", "CS-264605", "SER-0405", {}};
    for (int i = 0; i < 30; ++i)
        widal.results.emplace_back(i < 19 ? i + 1 : i + 2, cells[i]);
    widal.results.emplace_back(20, "Significant O and H titres (1:160); correlate with the clinical picture.");
    widal.results.emplace_back(32, "Slide agglutination");
    insertWorkedRequest(db, widal);
    setLogbookText(db, "R2604005", "Slide agglutination",
                   "Significant O and H titres (1:160); correlate with the clinical picture.");

    // Open: an HBsAg and the hepatitis B panel of a dialysis patient.
    for (const auto &[request, exam] : {std::pair{"R2604006", "522"}, std::pair{"R2604007", "523"}}) {
        db.run("INSERT INTO " + db.qualify(Database::Laboratory, "tbLabMaster") +
                   " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, "
                   "Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, "
                   "BloodType, Status, RequestDate, DateFinished, SendOuts) SELECT ?, HospNum, IDNum, ?, SpecimenID, "
                   "DoctorID, Rush, ?, ORNum, Transplant, Dialysis, '', '', '', '', '', PatientType, '', BloodType, "
                   "'O', RequestDate, NULL, SendOuts FROM " +
                   db.qualify(Database::Laboratory, "tbLabMaster") + " WHERE RequestNum = 'R2603032'",
               {request, exam, std::string("CS-26") + (request + 3)});
    }
}

} // namespace labdb
