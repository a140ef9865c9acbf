// Delta rules by exam and field, and the deltas a save saw.

#include "columns.h"
#include "delta_parts.h"

namespace labdb {

std::vector<TableDef> deltaTables()
{
    using namespace columns;
    std::vector<TableDef> t;
    // Field names the stored result column ("result9"); empty for a grid row, which is its exam
    // code alone. Either change may be empty; a result fires when it exceeds either.
    t.push_back({Database::Laboratory,
                 "tbLabDeltaRule",
                 {key("ExamCode"), key("Field"), text("AbsoluteChange"), text("PercentChange"), integerNN("WindowDays")},
                 {"ExamCode", "Field"}});
    // One row per delta a save saw, so a reviewer can find the delta-flagged results.
    t.push_back({Database::Laboratory,
                 "tbLabDeltaCheck",
                 {serial("DeltaID"), key("RequestNum"), textNN("ExamCode"), textNN("Field"),
                  textNN("PreviousRequestNum"), textNN("PreviousValue"), dateTime("PreviousDate"), textNN("ResultValue"),
                  textNN("ChangeText"), textNN("EmployeeCode"), dateTime("RecordedAt")},
                 {}});
    return t;
}

} // namespace labdb
