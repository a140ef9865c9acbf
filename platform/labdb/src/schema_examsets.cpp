// Exam sets: every exam line of a request keeps its own result, with the range and flag it was
// judged by; the batch slip numbers the day's runs.

#include "columns.h"
#include "examsets_parts.h"

namespace labdb {

using namespace columns;

std::vector<TableDef> examSetTables()
{
    std::vector<TableDef> t;

    // One row per request and exam line. ResultKind says which value slot the result came in:
    // N numeric, C a choice (positive/negative), T text.
    t.push_back({Database::Laboratory,
                 "tbLabExamSetResult",
                 {key("RequestNum"),
                  key("ExamCode"),
                  integerNN("LineNo"),
                  textNN("ExamName"),
                  textNN("FormType"),
                  textNN("Result"),
                  textNN("ResultKind"),
                  textNN("NormalValue"),
                  textNN("Unit"),
                  textNN("MinValue"),
                  textNN("MaxValue"),
                  textNN("Flag"), // "HIGH", "LOW" or empty, as the screen judged it
                  textNN("LineText"),
                  textNN("EmployeeCode"),
                  dateTime("SavedAt")},
                 {"RequestNum", "ExamCode"}});

    // The batch the laboratory is running; its first row is the current one.
    t.push_back({Database::Laboratory, "tbLabSlip", {key("BatchNum"), dateTime("OpenedAt")}, {"BatchNum"}});
    return t;
}

} // namespace labdb
