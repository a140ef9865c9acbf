// Body fluid and semen reference values, and the one-line result summaries of sperm counts.

#include "columns.h"
#include "fluids_parts.h"

namespace labdb {

std::vector<TableDef> fluidsTables()
{
    using namespace columns;
    std::vector<TableDef> t;
    // Position counts from 0 for a body fluid (its result rows) and from 1 for semen.
    t.push_back({Database::Laboratory,
                 "tbLabFluidReference",
                 {key("ListName"), key("Mode"), key("Position"), textNN("ResultValue")},
                 {"ListName", "Mode", "Position"}});
    // Read by the hospital's other modules, which list results on one line.
    t.push_back({Database::Laboratory,
                 "tbLabResultSummary",
                 {key("RequestNum"), textNN("Summary"), dateTime("SavedAt")},
                 {"RequestNum"}});
    return t;
}

} // namespace labdb
