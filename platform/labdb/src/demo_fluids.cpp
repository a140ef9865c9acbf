// Demonstration data of body fluid, semen, sperm count and stone analysis: reference values, the
// semen and stone pick lists, a hematology bench's body-fluid exam, and for each screen a worked
// request and an open one (a pleural fluid, a semen analysis, a sperm count, a urinary stone).

#include "fluids_parts.h"
#include "schema_parts.h"

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace labdb {

namespace {

struct PickList {
    const char *listName;
    int listNo;
    std::vector<const char *> usual;  // mode 0
    std::vector<const char *> others; // mode 1
};

const std::vector<PickList> &pickLists()
{
    static const std::vector<const char *> percentUsual{"50%", "55%", "60%", "65%", "70%", "75%", "80%"};
    static const std::vector<const char *> percentOthers{"0%", "5%", "10%", "15%", "20%", "25%", "30%",
                                                         "35%", "40%", "45%", "85%", "90%", "95%", "100%"};
    static const std::vector<PickList> lists = [] {
        std::vector<PickList> l{
            {"Semen", 2, {"Alkaline"}, {"Neutral", "Acidic"}},
            {"Semen", 3, {"2.0 mL", "2.5 mL", "3.0 mL", "3.5 mL", "4.0 mL"}, {"0.5 mL", "1.0 mL", "1.5 mL", "5.0 mL", "6.0 mL"}},
            {"Semen", 4, {"None", "0-1 /hpf", "0-2 /hpf"}, {"2-4 /hpf", "5-10 /hpf", "Many"}},
            {"Semen", 5, {"0-1 /hpf", "0-2 /hpf", "1-3 /hpf"}, {"3-5 /hpf", "5-10 /hpf", "10-20 /hpf", "Many"}},
            {"Semen", 6, {"None", "Few"}, {"Moderate", "Many"}},
            {"Semen", 7, {"Moderate", "Many"}, {"None", "Few"}},
            {"Semen", 8, {"15 minutes", "20 minutes", "30 minutes"}, {"45 minutes", "60 minutes", "More than 60 minutes"}},
            {"Semen", 9, {"20 million/mL", "40 million/mL", "60 million/mL", "80 million/mL"},
             {"Azoospermia", "Less than 1 million/mL", "5 million/mL", "10 million/mL", "100 million/mL"}},
            {"Semen", 20, {"None"}, {"Slight", "Moderate", "Marked"}},
        };
        for (int n : {11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23})
            l.push_back({"Semen", n, percentUsual, percentOthers});
        for (int n = 0; n <= 7; ++n)
            l.push_back({"Stone", n, {"Negative"}, {"Trace", "Positive (+)", "Positive (++)", "Positive (+++)"}});
        return l;
    }();
    return lists;
}

// Body fluid rows counted from 0 (the pleural fluid this laboratory sees most), semen boxes from 1.
const std::vector<std::pair<int, const char *>> kBodyFluidReferences{
    {2, "Clear, pale yellow"}, {3, "Clear"}, {4, "7.60 - 7.64"}, {5, "Less than 1.016"},
    {6, "Less than 1,000 /uL"}, {7, "Less than 10,000 /uL"}, {8, "Less than 1,000 /uL"}, {9, "Less than 50%"},
    {10, "Less than 25%"}, {11, "Less than 3.0 g/dL"}, {12, "60 - 100 mg/dL (as serum)"}, {13, "Less than 200 U/L"},
};
const std::vector<std::pair<int, const char *>> kSemenReferences{
    {2, "Within 1 hour"}, {3, "Alkaline (pH 7.2 or more)"}, {4, "1.5 mL or more"}, {5, "None"},
    {6, "Less than 1 million/mL"}, {7, "Few"}, {8, "Moderate to many"}, {9, "Within 60 minutes"},
    {10, "15 million/mL or more"}, {20, "None"},
};

// Slots: 1-14 the rows, 15-28 their reference values (the sixth in 35), 20 remarks.
const WorkedRequest kPleuralFluid{
    "R2604301", "R2603012", "CS-264301", "BF-0301",
    {{1, "10:30 AM"}, {2, "450 mL"}, {3, "Turbid, yellow"}, {4, "Slightly turbid, yellow"}, {5, "7.30"},
     {6, "1.022"}, {7, "3,250 /uL"}, {8, "1,200 /uL"}, {9, "2,050 /uL"}, {10, "18%"}, {11, "82%"},
     {12, "4.2 g/dL"}, {13, "52 mg/dL"}, {14, "640 U/L"}, {15, ""}, {16, ""}, {17, "Clear, pale yellow"},
     {18, "Clear"}, {19, "7.60 - 7.64"}, {35, "Less than 1.016"}, {21, "Less than 1,000 /uL"},
     {22, "Less than 10,000 /uL"}, {23, "Less than 1,000 /uL"}, {24, "Less than 50%"}, {25, "Less than 25%"},
     {26, "Less than 3.0 g/dL"}, {27, "60 - 100 mg/dL (as serum)"}, {28, "Less than 200 U/L"},
     {20, "Exudate by protein and LDH criteria (fluid/serum protein 0.62, LDH 0.71); neutrophil "
          "predominance. Gram stain and culture sent to microbiology."}}};

// Slots: 1-24 the lists, except the third-hour motile share in 21 and agglutination in 20; 25 remarks.
const WorkedRequest kSemen{
    "R2604303", "R2603016", "CS-264303", "SA-0303",
    {{1, "07:30 AM"}, {2, "07:55 AM"}, {3, "Alkaline"}, {4, "3.0 mL"}, {5, "0-1 /hpf"}, {6, "0-2 /hpf"},
     {7, "Few"}, {8, "Moderate"}, {9, "20 minutes"}, {10, "68 million/mL"}, {11, ""}, {12, "72%"}, {13, "28%"},
     {14, "65%"}, {15, "35%"}, {16, "60%"}, {17, "40%"}, {18, "55%"}, {19, "45%"}, {21, "50%"}, {20, "None"},
     {22, "50%"}, {23, "40%"}, {24, "60%"},
     {25, "Normozoospermia. Abstinence 3 days; collected by masturbation at the laboratory."}}};

// Slots: 1-12 the counts and forms, 20 remarks.
const WorkedRequest kSpermCount{
    "R2604305", "R2603016", "CS-264305", "SC-0305",
    {{1, "Grayish white"}, {2, "Characteristic"}, {3, "Normal"}, {4, "3.0 mL"}, {5, "65%"},
     {6, "72 million/mL"}, {7, "70%"}, {8, "25%"}, {9, "2%"}, {10, "1%"}, {11, "2%"}, {12, "5%"},
     {20, "Within normal limits."}}};

// Slots: 1-3 the descriptions, 4-11 the chemical tests, 20 remarks.
const WorkedRequest kStone{
    "R2604307", "R2603002", "CS-264307", "ST-0307",
    {{1, "8 x 6 x 5 mm, 0.21 g"}, {2, "Brown, irregular, rough surface"}, {3, "Light brown powder"},
     {4, "Negative"}, {5, "Positive (+++)"}, {6, "Positive (++)"}, {7, "Negative"}, {8, "Trace"},
     {9, "Negative"}, {10, "Negative"}, {11, "Negative"},
     {20, "Predominantly calcium oxalate calculus with a little phosphate."}}};

} // namespace

void loadFluidsDemo(Driver &db)
{
    const auto lab = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    for (const PickList &list : pickLists()) {
        int order = 0;
        for (int mode = 0; mode <= 1; ++mode) {
            for (const char *value : mode == 0 ? list.usual : list.others)
                db.run("INSERT INTO " + lab("tbLabMicroscopyList") +
                           " (ListName, ListNo, Mode, SortOrder, ResultValue) VALUES (?, ?, ?, ?, ?)",
                       {std::string(list.listName), std::to_string(list.listNo), std::to_string(mode),
                        std::to_string(++order), std::string(value)});
        }
    }
    for (const auto &[name, refs] : {std::pair{"BodyFluid", &kBodyFluidReferences}, std::pair{"Semen", &kSemenReferences}}) {
        for (const auto &[position, value] : *refs)
            db.run("INSERT INTO " + lab("tbLabFluidReference") +
                       " (ListName, Mode, Position, ResultValue) VALUES (?, '1', ?, ?)",
                   {std::string(name), std::to_string(position), std::string(value)});
    }

    // The hematology bench counts the cells of a fluid; the chemistry rows are not its own. A sperm
    // count has no format code of its own: its screen is opened by name.
    for (const auto &[code, name, section, specimen, valueType] :
         {std::tuple{"170", "BODY FLUID CELL COUNT", "B", "S10", "L"}, std::tuple{"171", "SPERM COUNT", "C", "S08", "N"}})
        db.run("INSERT INTO " + db.qualify(Database::BuildFile, "tbCoLabExam") +
                   " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, WithReagent, SupExamID, Status) "
                   "VALUES (?, ?, ?, ?, 'H', ?, 0, '', 'A')",
               {std::string(code), std::string(name), std::string(section), std::string(specimen),
                std::string(valueType)});

    // The semen analysis takes a diluting fluid and a counting slide from the laboratory's stock.
    const auto build = [&](const char *table) { return db.qualify(Database::BuildFile, table); };
    db.run("INSERT INTO " + build("TbCoLabReagents") + " (ReagentCode, Reagent) VALUES ('R0901', 'SEMEN ANALYSIS KIT')", {});
    db.run("INSERT INTO " + build("tbcoLabExamReagent") +
           " (LabExamID, ReagentID, LocationID, ReagentQty) VALUES ('116', 'R0901', 'LAB', '1')", {});
    for (const auto &[item, name, unit, quantity, price] :
         {std::tuple{"INV-6001", "SPERM DILUTING FLUID 100 ML", "ML", "0.5", "3.2"},
          std::tuple{"INV-9003", "GLASS SLIDE, FROSTED END", "PC", "1", "1.5"}})
        db.run("INSERT INTO " + build("tbCoLabReagentItem") +
                   " (ReagentCode, ItemCode, ItemName, Unit, Quantity, UnitPrice, SupplierCode) "
                   "VALUES ('R0901', ?, ?, ?, ?, ?, 'SUP02')",
               {std::string(item), std::string(name), std::string(unit), std::string(quantity), std::string(price)});
    db.run("INSERT INTO " + db.qualify(Database::Inventory, "tbInvStockLevel") +
           " (ItemCode, LocationID, OnHand, UnitCost, ReorderLevel) VALUES ('INV-6001', 'LAB', '300', '3.2', '50')", {});

    for (const WorkedRequest *w : {&kPleuralFluid, &kSemen, &kSpermCount, &kStone})
        insertWorkedRequest(db, *w);
    insertOpenRequest(db, "R2604302", "R2603012", "CS-264302");
    insertOpenRequest(db, "R2604304", "R2603016", "CS-264304");
    insertOpenRequest(db, "R2604306", "R2603016", "CS-264306");
    insertOpenRequest(db, "R2604308", "R2603002", "CS-264308");
    insertOpenRequest(db, "R2604309", "R2603012", "CS-264309");
    for (const auto &[request, exam] : {std::pair{"R2604309", "170"}, std::pair{"R2604305", "171"},
                                        std::pair{"R2604306", "171"}})
        db.run("UPDATE " + lab("tbLabMaster") + " SET ExamCode = ? WHERE RequestNum = ?",
               {std::string(exam), std::string(request)});

    const auto method = [&](const char *request, const char *text) {
        db.run("UPDATE " + lab("tbLabMaster") + " SET Method = ? WHERE RequestNum = ?",
               {std::string(text), std::string(request)});
    };
    method("R2604301", "Manual chamber count; Wright-stained cytospin");
    method("R2604303", "Manual microscopy (Makler chamber)");
    method("R2604305", "Manual microscopy (Neubauer chamber)");
    method("R2604307", "Qualitative chemical spot tests");
    db.run("INSERT INTO " + lab("tbLabResultSummary") + " (RequestNum, Summary, SavedAt) VALUES (?, ?, ?)",
           {std::string("R2604305"),
            std::string("Color=Grayish white; Odor=Characteristic; Viscosity=Normal; Volume=3.0 mL; Motility=65%; "
                        "Total Cell Count=72 million/mL; Normal Cells=70%; Dead Cells=25%; Double Head=2%; "
                        "Pin Head=1%; Long Tailed=2%; Amorphous Forms=5%; Remarks: Within normal limits.; "),
            std::string("2026-03-07 09:45:00")});
}

} // namespace labdb
