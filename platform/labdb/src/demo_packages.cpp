// Demonstration data of the package screens: the urinalysis pick lists, four executive check-up
// packages and three panels with their tests, and an executive check-up and a pre-employment
// panel, each worked, plus one of each still open.

#include "packages_parts.h"
#include "schema_parts.h"

#include <string>
#include <tuple>
#include <vector>

namespace labdb {

namespace {

struct PackageTest {
    const char *item, *name, *section, *specimen, *unit, *normal, *method;
};

const PackageTest kFbs{"136", "Fasting Blood Sugar", "CHEMISTRY", "Serum", "mg/dL", "70 - 110", "Hexokinase"};
const PackageTest kBun{"137", "Blood Urea Nitrogen", "CHEMISTRY", "Serum", "mg/dL", "7 - 20", "Urease"};
const PackageTest kCrea{"138", "Creatinine", "CHEMISTRY", "Serum", "mg/dL", "0.6 - 1.2", "Jaffe"};
const PackageTest kUric{"150", "Uric Acid", "CHEMISTRY", "Serum", "mg/dL", "3.5 - 7.2", "Uricase"};
const PackageTest kChol{"151", "Total Cholesterol", "CHEMISTRY", "Serum", "mg/dL", "Below 200", "CHOD-PAP"};
const PackageTest kTrig{"P01", "Triglycerides", "CHEMISTRY", "Serum", "mg/dL", "Below 150", "GPO-PAP"};
const PackageTest kHdl{"P02", "HDL Cholesterol", "CHEMISTRY", "Serum", "mg/dL", "40 - 60", "Direct"};
const PackageTest kLdl{"P03", "LDL Cholesterol", "CHEMISTRY", "Serum", "mg/dL", "Below 130", "Calculated"};
const PackageTest kSgpt{"P04", "SGPT (ALT)", "CHEMISTRY", "Serum", "U/L", "Up to 41", "IFCC"};
const PackageTest kSgot{"P05", "SGOT (AST)", "CHEMISTRY", "Serum", "U/L", "Up to 40", "IFCC"};
const PackageTest kHba1c{"P06", "HbA1c", "CHEMISTRY", "Whole blood", "%", "4.0 - 5.6", "HPLC"};
const PackageTest kPsa{"P07", "PSA (Total)", "IMMUNOLOGY", "Serum", "ng/mL", "Below 4.0", "CLIA"};
const PackageTest kTsh{"P08", "TSH", "IMMUNOLOGY", "Serum", "uIU/mL", "0.4 - 4.0", "CLIA"};
const PackageTest kHbsag{"P09", "HBsAg Screening", "IMMUNOLOGY", "Serum", "", "Non-reactive", "Rapid test"};
const PackageTest kAbo{"157", "Blood Typing (ABO/Rh)", "BLOOD BANK", "Whole blood", "", "", "Tube method"};
const PackageTest kMet{"P10", "Drug Test: Methamphetamine", "TOXICOLOGY", "Urine", "", "Negative", "Immunoassay"};
const PackageTest kThc{"P11", "Drug Test: Cannabinoids (THC)", "TOXICOLOGY", "Urine", "", "Negative", "Immunoassay"};
const PackageTest kPreg{"P12", "Pregnancy Test", "IMMUNOLOGY", "Urine", "", "Negative", "hCG strip"};

const std::vector<std::tuple<const char *, const char *, const char *, std::vector<const PackageTest *>>> kPackages{
    {"275", "EXECUTIVE CHECK-UP (BASIC)", "Z", {&kFbs, &kBun, &kCrea, &kUric, &kChol, &kTrig, &kHdl, &kLdl, &kSgpt}},
    {"276", "EXECUTIVE CHECK-UP (COMPREHENSIVE)", "Z",
     {&kFbs, &kHba1c, &kBun, &kCrea, &kUric, &kChol, &kTrig, &kHdl, &kLdl, &kSgpt, &kSgot, &kTsh}},
    {"271", "EXECUTIVE CHECK-UP (MALE, 40 AND OVER)", "Z", {&kFbs, &kCrea, &kChol, &kTrig, &kSgpt, &kPsa}},
    {"274", "EXECUTIVE CHECK-UP (FEMALE, 40 AND OVER)", "Z", {&kFbs, &kCrea, &kChol, &kTrig, &kSgpt, &kTsh}},
    {"122", "PRE-EMPLOYMENT PANEL", "3", {&kHbsag, &kAbo, &kMet, &kThc, &kPreg}},
    {"284", "LIPID PANEL", "3", {&kChol, &kTrig, &kHdl, &kLdl}},
    {"589", "FOOD HANDLER PANEL", "3", {&kHbsag, &kSgpt}},
};

const std::vector<std::pair<const char *, std::vector<const char *>>> kUrinalysisLists{
    {"0", {"Light Yellow", "Yellow", "Dark Yellow", "Straw", "Amber", "Red", "Colorless"}},
    {"1", {"Clear", "Slightly Hazy", "Hazy", "Cloudy", "Turbid"}},
    {"3", {"1.005", "1.010", "1.015", "1.020", "1.025", "1.030"}},
    {"4", {"Negative", "Trace", "1+", "2+", "3+", "4+"}},
};

} // namespace

void loadPackagesDemo(Driver &db)
{
    const auto lab = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    const auto build = [&](const char *table) { return db.qualify(Database::BuildFile, table); };
    for (const auto &[code, values] : kUrinalysisLists) {
        int order = 0;
        for (const char *value : values)
            db.run("INSERT INTO " + lab("tbLab_BuildUrinalysis") + " (ResultCode, ResultValue, SortOrder) VALUES (?, ?, ?)",
                   {std::string(code), std::string(value), std::to_string(++order)});
    }
    for (const auto &[code, name, valueType, tests] : kPackages) {
        if (std::string(code) != "122")
            db.run("INSERT INTO " + build("tbCoLabExam") +
                       " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, WithReagent, SupExamID, Status) "
                       "VALUES (?, ?, 'A', 'S02', 'H', ?, 0, '', 'A')",
                   {std::string(code), std::string(name), std::string(valueType)});
        int line = 0;
        for (const PackageTest *t : tests)
            db.run("INSERT INTO " + build("tbCoLabPackageTest") +
                       " (PackageCode, ItemCode, LineNo, TestName, SectionName, Specimen, Unit, NormalValues, Method) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                   {std::string(code), std::string(t->item), std::to_string(++line), std::string(t->name),
                    std::string(t->section), std::string(t->specimen), std::string(t->unit), std::string(t->normal),
                    std::string(t->method)});
    }

    // The executive check-up of a 58-year-old: borderline sugar and lipids, a trace of protein.
    insertWorkedRequest(db, {"R2604310", "R2603021", "CS-264310", "", {}});
    insertOpenRequest(db, "R2604311", "R2603021", "CS-264311");
    const std::vector<std::tuple<const char *, const char *, const char *, const char *>> executiveRows{
        {"136", "118", "H", "Fasting 10 hours"}, {"137", "15", "", ""}, {"138", "1.1", "", ""},
        {"150", "7.8", "H", ""}, {"151", "232", "H", "Borderline high"}, {"P01", "178", "H", ""},
        {"P02", "38", "L", ""}, {"P03", "158", "H", ""}, {"P04", "35", "", ""}};
    for (const auto &[item, result, flag, remarks] : executiveRows)
        db.run("INSERT INTO " + lab("tbLABResultExecutivePanel") +
                   " (RequestNum, ItemCode, PackageCode, Result, Flag, Remarks) VALUES ('R2604310', ?, '275', ?, ?, ?)",
               {std::string(item), std::string(result), std::string(flag), std::string(remarks)});
    db.run("INSERT INTO " + lab("tbLabResultExecutiveCBC") +
               " (RequestNum, HGB, HCT, WBC, Diff, Band, Segmenter, Basophil, Eosinophil, Lymphocyte, Monocyte, Total,"
               " Platelets, MCV, MCH, MCHC, Remarks) VALUES ('R2604310', '15.2 g/dL', '45.1%', '7.8', '', '2%', '60%',"
               " '0%', '3%', '31%', '4%', '100%', '265,000', '88 fL', '30.1 pg', '34.0%', 'Normocytic, normochromic.')",
           {});
    db.run("INSERT INTO " + lab("tbLabResultExecutiveUrine") +
               " (RequestNum, Quantity, Color, Appearance, Reaction, Gravity, Protein, Glucose, Ketones, Blood,"
               " Leucocytes, Nitrite, Urobilinogen, Bilirubin, RBC, WBC, Epith, Mucus, Crystals, Bacteria, MicroCast,"
               " Remarks) VALUES ('R2604310', '40 mL', 'Yellow', 'Clear', '6.0', '1.020', 'Trace', 'Negative',"
               " 'Negative', 'Negative', 'Negative', 'Negative', 'Normal', 'Negative', '0-2', '1-3', 'Few', 'Few',"
               " 'Amorphous urates: few', 'Few', 'None', '')",
           {});
    db.run("INSERT INTO " + lab("tbLabResultExecutiveStool") +
               " (RequestNum, Color, Consistency, Mucus, Pus, Undigested, Blood, Parasites, RBC, WBC, Ova, Occult, Fat,"
               " Urobilinogen, Bilirubin, Remarks) VALUES ('R2604310', 'Brown', 'Formed', 'None', 'None', 'Few',"
               " 'None', 'None', '0-1', '0-2', 'No ova or parasites seen', 'Negative', 'None', 'Present', 'Negative', '')",
           {});

    // A pre-employment panel: screening tests, a count and a urinalysis.
    insertWorkedRequest(db, {"R2604312", "R2603022", "CS-264312", "", {}});
    insertOpenRequest(db, "R2604313", "R2603022", "CS-264313");
    for (const auto &[item, result] : std::vector<std::pair<const char *, const char *>>{
             {"P09", "Non-reactive"}, {"157", "O Rh positive"}, {"P10", "Negative"}, {"P11", "Negative"}, {"P12", ""}})
        db.run("INSERT INTO " + lab("tbLABResultOtherPanel") +
                   " (RequestNum, ItemCode, PackageCode, Result) VALUES ('R2604312', ?, '122', ?)",
               {std::string(item), std::string(result)});
    db.run("INSERT INTO " + lab("tbLabResultExecutiveCBC") +
               " (RequestNum, HGB, HCT, WBC, Diff, Band, Segmenter, Basophil, Eosinophil, Lymphocyte, Monocyte, Total,"
               " Platelets, MCV, MCH, MCHC, Remarks, RBC, MPV, RDW, Reticulocyte, ESR) VALUES ('R2604312', '13.1 g/dL',"
               " '39.8%', '6.4', '', '1%', '58%', '0%', '2%', '35%', '4%', '100%', '310,000', '86 fL', '28.9 pg',"
               " '33.6%', '', '4.6', '9.8 fL', '12.9%', '1.0%', '12 mm/hr')",
           {});
    db.run("INSERT INTO " + lab("tbLabResultExecutiveUrine") +
               " (RequestNum, Quantity, Color, Appearance, Reaction, Gravity, Protein, Glucose, Ketones, Blood,"
               " Leucocytes, Nitrite, Urobilinogen, Bilirubin, RBC, WBC, Epith, Mucus, Crystals, Bacteria, MicroCast,"
               " Remarks) VALUES ('R2604312', '30 mL', 'Light Yellow', 'Clear', '6.5', '1.015', 'Negative', 'Negative',"
               " 'Negative', 'Negative', 'Negative', 'Negative', 'Normal', 'Negative', '0-1', '0-2', 'Rare', 'Few',"
               " 'None', 'None', 'None', 'Fit for work as far as the urine goes.')",
           {});
}

} // namespace labdb
