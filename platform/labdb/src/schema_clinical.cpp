// Reference intervals and critical limits by exam, field, sex and age band; what a saved result
// was judged by; the documented calls of critical values.

#include "clinical_parts.h"
#include "columns.h"

namespace labdb {

std::vector<TableDef> clinicalTables()
{
    using namespace columns;
    std::vector<TableDef> t;
    // Field names the stored result column ("result6"). Sex "M", "F" or "B" (both); the band runs
    // from AgeFrom (inclusive) to AgeTo (exclusive, Null: no end) in AgeUnit "D", "M" or "Y".
    t.push_back({Database::Laboratory,
                 "tbLabReferenceInterval",
                 {key("ExamCode"), key("Field"), key("Sex"), integerNN("AgeFrom"), key("AgeUnit"), integer("AgeTo"),
                  text("LowValue"), text("HighValue"), textNN("Unit"), textNN("PrintedText")},
                 {"ExamCode", "Field", "Sex", "AgeFrom", "AgeUnit"}});
    // An empty Field holds for every field of the exam that has no row of its own.
    t.push_back({Database::Laboratory,
                 "tbLabCriticalLimit",
                 {key("ExamCode"), key("Field"), key("Sex"), integerNN("AgeFrom"), key("AgeUnit"), integer("AgeTo"),
                  text("CriticalLow"), text("CriticalHigh")},
                 {"ExamCode", "Field", "Sex", "AgeFrom", "AgeUnit"}});
    // Written with the save: a later change of the masters leaves a saved result as it was judged.
    t.push_back({Database::Laboratory,
                 "tbLabResultJudgement",
                 {key("RequestNum"), key("ExamCode"), key("Field"), textNN("ResultValue"), text("LowValue"),
                  text("HighValue"), textNN("Unit"), textNN("PrintedText"), text("CriticalLow"), text("CriticalHigh"),
                  textNN("Flag"), dateTime("JudgedAt")},
                 {"RequestNum", "ExamCode", "Field"}});
    t.push_back({Database::Laboratory,
                 "tbLabCriticalCall",
                 {serial("CallID"), key("RequestNum"), textNN("ExamCode"), textNN("Field"), textNN("FieldName"),
                  textNN("ResultValue"), textNN("LimitText"), textNN("NotifiedPerson"), textNN("WardRole"),
                  dateTime("CallTime"), integerNN("ReadBack"), textNN("EmployeeCode"), dateTime("RecordedAt")},
                 {}});
    return t;
}

} // namespace labdb
