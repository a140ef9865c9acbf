// Free-text results with an interpretation, fixed sets of numeric results judged against reference
// intervals, and custom result tables. Long texts are TEXT on both backends.

#include "columns.h"
#include "interpretation_parts.h"

namespace labdb {

using namespace columns;

const std::vector<const char *> &normalRangeFields()
{
    static const std::vector<const char *> fields{
        "Patient", "Control", "Activity", "INR",   "Report", "Direct", "Indirect", "Bleeding", "Clotting", "TUptake", "T3",
        "T4",      "FTI",     "PBI",      "TSH",   "FT4",    "LH",     "FSH",      "Prolactin", "TotalPSA", "FreePSA"};
    return fields;
}

std::vector<TableDef> interpretationTables()
{
    std::vector<TableDef> t;
    // The criteria printed beside an exam's interpretation, offered when a result is new.
    t.push_back({Database::Laboratory, "tbLabInterpretationLegend", {key("ExamCode"), textNN("Interpretation")},
                 {"ExamCode"}});
    t.push_back({Database::Laboratory,
                 "tbLabResultInterpretation",
                 {key("RequestNum"),
                  textNN("AccessionNum"),
                  textNN("Result"),
                  textNN("ResultInterpretation"),
                  textNN("Interpretation"), // the legend as it was when saved
                  textNN("site"),
                  textNN("Specimen"),
                  dateTime("ResultDate"),
                  dateTime("samplesubmitted"),
                  dateTime("lratime"),
                  dateTime("DateFinished"),
                  textNN("EmployeeCode"),
                  dateTime("SavedAt")},
                 {"RequestNum"}});

    // Reference intervals of the normal-range fields; Min and Max judge a numeric result.
    t.push_back({Database::Laboratory,
                 "tbLabNormalRangeRef",
                 {key("Field"), textNN("Label"), textNN("Unit"), textNN("MinValue"), textNN("MaxValue"),
                  textNN("RangeText"), integerNN("SortOrder")},
                 {"Field"}});
    {
        TableDef r{Database::Laboratory,
                   "tbLabResultNormalRange",
                   {key("RequestNum"), textNN("FormType")}, // FormType: the sub-screen the result was entered on
                   {"RequestNum"}};
        for (const char *f : normalRangeFields())
            r.columns.push_back(textNN(f));
        for (ColumnDef c : {textNN("AccessionNum"), dateTime("ResultDate"), dateTime("samplesubmitted"),
                            dateTime("lratime"), dateTime("DateFinished"), textNN("EmployeeCode"), dateTime("SavedAt")})
            r.columns.push_back(std::move(c));
        t.push_back(std::move(r));
    }

    // The lines of a custom result table; Mode "A" prints no normal values.
    t.push_back({Database::Laboratory,
                 "tbLabCustomFormat",
                 {key("ExamCode"), integerNN("LineNo"), textNN("Fields"), textNN("NormalValues"), textNN("Mode")},
                 {"ExamCode", "LineNo"}});
    t.push_back({Database::Laboratory,
                 "tbLabResultCustom",
                 {key("RequestNum"),
                  integerNN("LineNo"),
                  textNN("ExamCode"),
                  textNN("Fields"),
                  textNN("Result"),
                  textNN("NormalValue"), // the format's normal value on the day it was saved
                  textNN("Remarks"),
                  textNN("EmployeeCode"),
                  dateTime("SavedAt")},
                 {"RequestNum", "LineNo"}});
    return t;
}

} // namespace labdb
