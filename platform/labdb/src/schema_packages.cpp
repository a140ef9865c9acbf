// The tests of a package and the four parts of its stored result.

#include "columns.h"
#include "packages_parts.h"

namespace labdb {

namespace {

TableDef resultPage(const char *name, std::initializer_list<const char *> fields)
{
    using namespace columns;
    TableDef t{Database::Laboratory, name, {key("RequestNum")}, {"RequestNum"}};
    for (const char *f : fields)
        t.columns.push_back(text(f));
    return t;
}

} // namespace

std::vector<TableDef> packagesTables()
{
    using namespace columns;
    std::vector<TableDef> t;
    // One line per test of a package, in the order the grid lists them.
    t.push_back({Database::BuildFile,
                 "tbCoLabPackageTest",
                 {key("PackageCode"), key("ItemCode"), integerNN("LineNo"), textNN("TestName"), textNN("SectionName"),
                  textNN("Specimen"), textNN("Unit"), textNN("NormalValues"), textNN("Method")},
                 {"PackageCode", "ItemCode"}});
    // The urinalysis page's pick lists by result code: 0 colour, 1 appearance, 3 gravity, 4 protein
    // and glucose.
    t.push_back({Database::Laboratory,
                 "tbLab_BuildUrinalysis",
                 {key("ResultCode"), key("ResultValue"), integerNN("SortOrder")},
                 {"ResultCode", "ResultValue"}});
    t.push_back({Database::Laboratory,
                 "tbLABResultExecutivePanel",
                 {key("RequestNum"), key("ItemCode"), textNN("PackageCode"), text("Result"), text("Flag"),
                  text("Remarks")},
                 {"RequestNum", "ItemCode"}});
    t.push_back({Database::Laboratory,
                 "tbLABResultOtherPanel",
                 {key("RequestNum"), key("ItemCode"), textNN("PackageCode"), text("Result")},
                 {"RequestNum", "ItemCode"}});
    // The executive's count fills the first sixteen; the panel's all of them.
    t.push_back(resultPage("tbLabResultExecutiveCBC",
                           {"HGB", "HCT", "WBC", "Diff", "Band", "Segmenter", "Basophil", "Eosinophil", "Lymphocyte",
                            "Monocyte", "Total", "Platelets", "MCV", "MCH", "MCHC", "Remarks", "RBC", "MPV", "RDW",
                            "Reticulocyte", "ESR"}));
    t.push_back(resultPage("tbLabResultExecutiveUrine",
                           {"Quantity", "Color", "Appearance", "Reaction", "Gravity", "Protein", "Glucose", "Ketones",
                            "Blood", "Leucocytes", "Nitrite", "Urobilinogen", "Bilirubin", "RBC", "WBC", "Epith",
                            "Mucus", "Crystals", "Bacteria", "MicroCast", "Remarks"}));
    t.push_back(resultPage("tbLabResultExecutiveStool",
                           {"Color", "Consistency", "Mucus", "Pus", "Undigested", "Blood", "Parasites", "RBC", "WBC",
                            "Ova", "Occult", "Fat", "Urobilinogen", "Bilirubin", "Remarks"}));
    return t;
}

} // namespace labdb
