// Chemistry with normal values: the result formats of the exams, their normal values by reagent
// and sex (the age bands are tbLabAgeBand, beside the code lists), the results analysers sent, and the stored results with the range each was
// judged by.

#include "columns.h"
#include "schema_parts.h"

#include <vector>

namespace labdb {

using namespace columns;

std::vector<TableDef> chemistryTables()
{
    std::vector<TableDef> t;

    // The rows an exam's result grid shows: one per component of a panel (a single exam has one).
    // Factor converts conventional to SI (SI = conventional x Factor). EntryMode 0 serves every mode.
    t.push_back({Database::Laboratory,
                 "tbLabResultFormat",
                 {key("ExamCode"),
                  integerNN("EntryMode"),
                  key("Code"),
                  integerNN("LineNo"),
                  textNN("Exam"),
                  textNN("FormType"),
                  textNN("sNValue"),
                  textNN("sUnit"),
                  textNN("sMin"),
                  textNN("sMax"),
                  textNN("CNValue"),
                  textNN("CUnit"),
                  textNN("CMinValue"), // "CMin" and "CMax" are system columns on PostgreSQL
                  textNN("CMaxValue"),
                  textNN("Factor"),
                  textNN("Operator")}, // how the conventional value is reached from SI: "/" (by the factor)
                 {"ExamCode", "EntryMode", "Code"}});

    // Normal values by reagent (method) and sex, in SI units. (tbLabReagentNValue, without sexes, is
    // the F4 list of whole normal values.)
    t.push_back({Database::Laboratory,
                 "tbLabReagentSexNValues",
                 {key("ExamCode"),
                  key("ReagentCode"), // at most five characters: the screen keys on the last five
                  textNN("Maleminvalue"),
                  textNN("MaleMaxVAlue"),
                  textNN("feMaleminvalue"),
                  textNN("feMaleMaxVAlue"),
                  textNN("SIUnit")},
                 {"ExamCode", "ReagentCode"}});

    // The reagent and age band a result format type starts with, when the laboratory set one.
    t.push_back({Database::Laboratory,
                 "tbLabNValueDefault",
                 {key("FormType"), textNN("ReagentCode"), textNN("Age")},
                 {"FormType"}});

    // What the analysers sent, per specimen and test, waiting to be taken into a result.
    t.push_back({Database::Laboratory,
                 "tbLabInstrumentResult",
                 {serial("ResultID"),
                  textNN("InstrumentID"),
                  textNN("SampleNum"), // sample number; "U"/"S" + sample number for timed urine work
                  textNN("TestCode"),  // the analyser's own test code ("Crea", "TP", "GLU" ...)
                  textNN("ExamCode"),  // the laboratory exam the test reports
                  textNN("sResult"),
                  dateTime("ReceivedAt")},
                 {}});

    // One stored result row per request and exam, with the normal value it was judged by.
    t.push_back({Database::Laboratory,
                 "tbLabResultNValues",
                 {key("RequestNum"),
                  key("ExamCode"),
                  integerNN("RowNo"),
                  textNN("ExamName"),
                  textNN("sResult"),
                  textNN("sNValues"),
                  textNN("sUnit"),
                  textNN("sMin"),
                  textNN("sMax"),
                  textNN("CResult"),
                  textNN("CNValues"),
                  textNN("CUnit"),
                  textNN("CMinValue"), // "CMin" and "CMax" are system columns on PostgreSQL
                  textNN("CMaxValue"),
                  textNN("Factor"),
                  textNN("FormType"),
                  textNN("Flag"), // "H" or "L" against sMin/sMax at the save; the result text stays as typed
                  textNN("EmployeeCode"),
                  textNN("Verified"),
                  dateTime("SavedAt")},
                 {"RequestNum", "ExamCode"}});
    return t;
}

} // namespace labdb
