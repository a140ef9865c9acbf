// Clinical microscopy: the pick lists of the urinalysis and fecalysis screens, and the one set of
// urinalysis reference ranges.

#include "columns.h"
#include "schema_parts.h"

#include <string>
#include <vector>

namespace labdb {

std::vector<TableDef> microscopyTables()
{
    using namespace columns;
    std::vector<TableDef> t;
    // Mode 0 holds a list's usual (normal) entries, mode 1 the others; both are offered.
    t.push_back({Database::Laboratory,
                 "tbLabMicroscopyList",
                 {key("ListName"), key("ListNo"), key("Mode"), integerNN("SortOrder"), key("ResultValue")},
                 {"ListName", "ListNo", "ResultValue"}});
    // One row: male and female ranges of ten counts, free text as the laboratory writes them.
    TableDef ranges{Database::Laboratory, "tbLabUrinalysisRefRange", {integerNN("ID")}, {"ID"}};
    for (int i = 1; i <= 20; ++i)
        ranges.columns.push_back(textNN("RefRange" + std::to_string(i)));
    t.push_back(std::move(ranges));
    return t;
}

} // namespace labdb
