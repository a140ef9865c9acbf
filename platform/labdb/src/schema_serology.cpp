// Serology tables. An exam's items (a single exam has one) with the cut-off or index text the
// laboratory prints beside the result; thresholds by entry mode; the stored rows of both layouts.

#include "columns.h"
#include "serology_parts.h"

namespace labdb {

std::vector<TableDef> serologyTables()
{
    using namespace columns;
    std::vector<TableDef> t;

    // EntryMode 0 serves every mode. DefaultValue is what the last column starts with: the
    // cut-off ("< 1.00") or, for short-form exams, the usual result.
    t.push_back({Database::Laboratory,
                 "tbLabCutOffFormat",
                 {key("ExamCode"), integerNN("EntryMode"), key("ItemID"), integerNN("LineNo"), textNN("Exam"),
                  textNN("Unit"), textNN("DefaultValue")},
                 {"ExamCode", "EntryMode", "ItemID"}});

    // The threshold an interpreted exam is read against, per item and entry mode (analyser).
    t.push_back({Database::Laboratory,
                 "tbLabThresholdValue",
                 {key("ExamCode"), key("ItemID"), integerNN("EntryMode"), textNN("TValue")},
                 {"ExamCode", "ItemID", "EntryMode"}});

    // One row per request and item of a cut-off, index or threshold exam. The columns keep the
    // names the loader returns; what they hold follows the screen's headings (PatientValue the
    // result, CutOffValue the rate note or interpretation, Result the cut-off, index or threshold).
    t.push_back({Database::Laboratory,
                 "tbLabResultCutOff",
                 {key("RequestNum"), key("ItemID"), integerNN("RowNo"), textNN("ExamName"), textNN("PatientValue"),
                  textNN("CutOffValue"), textNN("Result"), textNN("FormType"), textNN("ProfNum"), textNN("EmployeeCode"),
                  dateTime("SavedAt")},
                 {"RequestNum", "ItemID"}});

    // One row per request and exam of a short-form exam: result, unit and the exam's own remark,
    // with the line the report prints.
    t.push_back({Database::Laboratory,
                 "tbLabResultShortForm",
                 {key("RequestNum"), key("ExamCode"), integerNN("RowNo"), textNN("ExamName"), textNN("Result"),
                  textNN("Unit"), textNN("Remarks"), textNN("PrintLine"), textNN("EmployeeCode"),
                  dateTime("SavedAt")},
                 {"RequestNum", "ExamCode"}});
    return t;
}

} // namespace labdb
