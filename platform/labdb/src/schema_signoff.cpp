// The code lists behind the laboratory's search windows (exams, specimens, companies, doctors,
// remarks, reagents, normal values, age groups, result codes and interpretations) and their
// demonstration rows. The med techs' sign-off itself is kept in tbLabResultMedTech.

#include "columns.h"
#include "schema_parts.h"

#include <initializer_list>
#include <string>
#include <utility>

namespace labdb {

using namespace columns;

std::vector<TableDef> signOffTables()
{
    std::vector<TableDef> t;

    t.push_back({Database::BuildFile,
                 "tbCoSpecialization",
                 {key("SpecializationID"), textNN("Specialization")},
                 {"SpecializationID"}});
    // Corporate accounts: companies whose employees' packages the laboratory bills.
    t.push_back({Database::BuildFile,
                 "tbCoCompany",
                 {key("CompanyID"), textNN("Company"), textNN("Address"), textNN("Status")},
                 {"CompanyID"}});
    // Specimens an exam may be run on besides its usual one.
    t.push_back({Database::BuildFile,
                 "tbCoLabExamSpecimen",
                 {key("LabExamID"), key("SpecimenID")},
                 {"LabExamID", "SpecimenID"}});

    // Standard remarks; an empty SectionID offers the remark to every section.
    t.push_back({Database::Laboratory,
                 "tbLabRemarks",
                 {key("RemarkID"), textNN("Description"), textNN("SectionID")},
                 {"RemarkID"}});
    // Interpretation texts of an exam, picked into a result field.
    t.push_back({Database::Laboratory,
                 "tbLabInterpretation",
                 {key("ExamCode"), key("InterpretationID"), textNN("Interpretation"), integerNN("SortOrder")},
                 {"ExamCode", "InterpretationID"}});
    // Coded results of an exam (blood groups, reactive / non-reactive ...).
    t.push_back({Database::Laboratory,
                 "tbLabResultCode",
                 {key("ExamCode"), key("code"), textNN("Description"), integerNN("SortOrder")},
                 {"ExamCode", "code"}});
    // Printed normal values of an exam per reagent, SI (s) and conventional (C). ("CMin" and
    // "CMax" are system columns on PostgreSQL, hence the longer names.)
    t.push_back({Database::Laboratory,
                 "tbLabReagentNValue",
                 {key("ExamCode"), key("ReagentCode"), textNN("sNValue"), textNN("sMinValue"), textNN("sMaxValue"),
                  textNN("sUnit"), textNN("CNValue"), textNN("CMinValue"), textNN("CMaxValue"), textNN("CUnit")},
                 {"ExamCode", "ReagentCode"}});
    // Age groups of an exam with their normal values; BandNo counts from 1 in list order.
    t.push_back({Database::Laboratory,
                 "tbLabAgeBand",
                 {key("ExamCode"), integerNN("BandNo"), textNN("Age"), textNN("RangeValue"), textNN("MinValue"),
                  textNN("MaxValue"), textNN("Unit"), textNN("CRangeValue"), textNN("CMinValue"), textNN("CMaxValue"),
                  textNN("ConversionUnit"), textNN("ConversionFactor")},
                 {"ExamCode", "BandNo"}});
    return t;
}

namespace {

void insertRow(Driver &db, Database where, const char *table, std::initializer_list<const char *> columns,
               std::initializer_list<const char *> values)
{
    std::string sql = "INSERT INTO " + db.qualify(where, table) + " (";
    std::string marks;
    std::vector<Value> params;
    for (const char *c : columns) {
        sql += (marks.empty() ? "" : ", ") + std::string(c);
        marks += marks.empty() ? "?" : ", ?";
    }
    for (const char *v : values)
        params.emplace_back(v);
    db.run(sql + ") VALUES (" + marks + ")", params);
}

struct Coded {
    const char *exam, *code, *text;
};

// APTT (101), blood gas (110), Gram stain (118) and AFB smear (123) take interpretations by F9.
constexpr Coded kInterpretations[] = {
    {"101", "01", "WITHIN NORMAL LIMITS"},
    {"101", "02", "PROLONGED. SUGGEST FACTOR ASSAY / MIXING STUDY."},
    {"101", "03", "PROLONGED, CONSISTENT WITH HEPARIN THERAPY."},
    {"101", "04", "SHORTENED. PLEASE CORRELATE CLINICALLY."},
    {"101", "05", "SPECIMEN CLOTTED. PLEASE SEND A NEW SAMPLE."},
    {"110", "01", "NORMAL ACID-BASE STATUS"},
    {"110", "02", "RESPIRATORY ACIDOSIS, UNCOMPENSATED"},
    {"110", "03", "RESPIRATORY ACIDOSIS, PARTIALLY COMPENSATED"},
    {"110", "04", "METABOLIC ACIDOSIS, UNCOMPENSATED"},
    {"110", "05", "METABOLIC ACIDOSIS, FULLY COMPENSATED"},
    {"110", "06", "RESPIRATORY ALKALOSIS, UNCOMPENSATED"},
    {"110", "07", "METABOLIC ALKALOSIS, PARTIALLY COMPENSATED"},
    {"110", "08", "MIXED RESPIRATORY AND METABOLIC ACIDOSIS"},
    {"110", "09", "HYPOXEMIA, MODERATE"},
    {"118", "01", "NO ORGANISM SEEN"},
    {"118", "02", "GRAM POSITIVE COCCI IN CLUSTERS"},
    {"118", "03", "GRAM POSITIVE COCCI IN CHAINS"},
    {"118", "04", "GRAM NEGATIVE BACILLI"},
    {"118", "05", "GRAM NEGATIVE DIPLOCOCCI, INTRACELLULAR"},
    {"118", "06", "YEAST CELLS SEEN"},
    {"123", "01", "NO ACID-FAST BACILLI SEEN"},
    {"123", "02", "+N (1-9 AFB / 100 OIF)"},
    {"123", "03", "1+ (10-99 AFB / 100 OIF)"},
    {"123", "04", "2+ (1-10 AFB / OIF)"},
    {"123", "05", "3+ (MORE THAN 10 AFB / OIF)"},
};

constexpr Coded kResultCodes[] = {
    {"157", "A+", "GROUP A, RH POSITIVE"},  {"157", "A-", "GROUP A, RH NEGATIVE"},
    {"157", "B+", "GROUP B, RH POSITIVE"},  {"157", "B-", "GROUP B, RH NEGATIVE"},
    {"157", "AB+", "GROUP AB, RH POSITIVE"}, {"157", "AB-", "GROUP AB, RH NEGATIVE"},
    {"157", "O+", "GROUP O, RH POSITIVE"},  {"157", "O-", "GROUP O, RH NEGATIVE"},
    {"130", "NR", "NONREACTIVE"},          {"130", "R", "REACTIVE"},
    {"152", "NR", "NONREACTIVE"},          {"152", "R", "REACTIVE"},
    {"154", "NR", "NONREACTIVE"},          {"154", "R", "REACTIVE, FOR CONFIRMATION"},
};

} // namespace

void loadSignOffDemo(Driver &db)
{
    const std::pair<const char *, const char *> specializations[] = {
        {"12", "INTERNAL MEDICINE"}, {"15", "NEPHROLOGY"},      {"18", "CRITICAL CARE MEDICINE"},
        {"21", "PEDIATRICS"},        {"33", "GENERAL SURGERY"}, {"40", "OBSTETRICS AND GYNECOLOGY"},
        {"84", "PATHOLOGY"},         {"90", "RESIDENT PHYSICIAN"},
    };
    for (const auto &[id, name] : specializations)
        insertRow(db, Database::BuildFile, "tbCoSpecialization", {"SpecializationID", "Specialization"}, {id, name});

    const char *const companies[][3] = {
        {"C001", "TARLAC SUGAR MILLING CORP.", "San Miguel, Tarlac City"},
        {"C002", "CENTRAL LUZON POWER COOPERATIVE", "Capas, Tarlac"},
        {"C003", "MABUHAY RURAL BANK, INC.", "F. Tanedo St., Tarlac City"},
        {"C004", "PROVINCIAL GOVERNMENT OF TARLAC", "Capitol Compound, San Vicente, Tarlac City"},
        {"C005", "NORTHSTAR BPO SOLUTIONS", "Luisita Business Park, Tarlac City"},
    };
    for (const auto &c : companies)
        insertRow(db, Database::BuildFile, "tbCoCompany", {"CompanyID", "Company", "Address", "Status"},
                  {c[0], c[1], c[2], "A"});

    const std::pair<const char *, const char *> examSpecimens[] = {
        {"101", "S03"}, {"103", "S04"}, {"112", "S10"}, {"118", "S06"}, {"118", "S04"}, {"118", "S10"},
        {"123", "S06"}, {"136", "S02"}, {"136", "S01"}, {"138", "S02"}, {"138", "S04"}, {"142", "S04"},
    };
    for (const auto &[exam, specimen] : examSpecimens)
        insertRow(db, Database::BuildFile, "tbCoLabExamSpecimen", {"LabExamID", "SpecimenID"}, {exam, specimen});

    const char *const remarks[][3] = {
        {"01", "HEMOLYZED SAMPLE", ""},
        {"02", "LIPEMIC SAMPLE", ""},
        {"03", "ICTERIC SAMPLE", ""},
        {"04", "REPEAT TEST ADVISED", ""},
        {"05", "RESULT VERIFIED BY REPEAT TESTING", ""},
        {"06", "CRITICAL VALUE RELAYED TO THE WARD", ""},
        {"07", "INSUFFICIENT SAMPLE", ""},
        {"08", "MIXED GROWTH, PLEASE SEND A NEW SPECIMEN", "D"},
        {"09", "CONTAMINATED SPECIMEN", "D"},
        {"10", "SAMPLE CLOTTED", "B"},
    };
    for (const auto &r : remarks)
        insertRow(db, Database::Laboratory, "tbLabRemarks", {"RemarkID", "Description", "SectionID"},
                  {r[0], r[1], r[2]});

    int order = 0;
    for (const Coded &c : kInterpretations) {
        const std::string sort = std::to_string(++order);
        insertRow(db, Database::Laboratory, "tbLabInterpretation",
                  {"ExamCode", "InterpretationID", "Interpretation", "SortOrder"},
                  {c.exam, c.code, c.text, sort.c_str()});
    }
    order = 0;
    for (const Coded &c : kResultCodes) {
        const std::string sort = std::to_string(++order);
        insertRow(db, Database::Laboratory, "tbLabResultCode", {"ExamCode", "code", "Description", "SortOrder"},
                  {c.exam, c.code, c.text, sort.c_str()});
    }

    const char *const reagentValues[][10] = {
        {"136", "R0201", "3.89 - 5.83", "3.89", "5.83", "mmol/L", "70 - 105", "70", "105", "mg/dL"},
        {"136", "R0202", "4.10 - 5.90", "4.10", "5.90", "mmol/L", "74 - 106", "74", "106", "mg/dL"},
        {"138", "R0501", "53 - 115", "53", "115", "umol/L", "0.6 - 1.3", "0.6", "1.3", "mg/dL"},
    };
    for (const auto &v : reagentValues)
        insertRow(db, Database::Laboratory, "tbLabReagentNValue",
                  {"ExamCode", "ReagentCode", "sNValue", "sMinValue", "sMaxValue", "sUnit", "CNValue", "CMinValue",
                   "CMaxValue", "CUnit"},
                  {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]});

    const char *const ageBands[][12] = {
        {"138", "1", "NEWBORN (0 - 30 DAYS)", "27 - 88", "27", "88", "umol/L", "0.3 - 1.0", "0.3", "1.0", "mg/dL",
         "88.4"},
        {"138", "2", "INFANT (1 - 12 MONTHS)", "18 - 35", "18", "35", "umol/L", "0.2 - 0.4", "0.2", "0.4", "mg/dL",
         "88.4"},
        {"138", "3", "CHILD (1 - 12 YEARS)", "27 - 62", "27", "62", "umol/L", "0.3 - 0.7", "0.3", "0.7", "mg/dL",
         "88.4"},
        {"138", "4", "ADULT", "53 - 115", "53", "115", "umol/L", "0.6 - 1.3", "0.6", "1.3", "mg/dL", "88.4"},
    };
    for (const auto &a : ageBands)
        insertRow(db, Database::Laboratory, "tbLabAgeBand",
                  {"ExamCode", "BandNo", "Age", "RangeValue", "MinValue", "MaxValue", "Unit", "CRangeValue",
                   "CMinValue", "CMaxValue", "ConversionUnit", "ConversionFactor"},
                  {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11]});
}

} // namespace labdb
