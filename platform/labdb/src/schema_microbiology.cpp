// Microbiology: the antibiotic, organism and panel master files, culture and sensitivity results
// (one header row per request, one row per antibiotic and organism), and the bacteriology report
// with its lists of culture and test descriptions.

#include "columns.h"
#include "microbiology_parts.h"

namespace labdb {

std::vector<TableDef> microbiologyTables()
{
    using namespace columns;
    std::vector<TableDef> t;
    // Status "A" puts an antibiotic on the sensitivity grid of every new culture.
    t.push_back({Database::BuildFile,
                 "tbCoAntibiotic",
                 {key("Code"), textNN("Description"), textNN("Status"), textNN("DrugClass")},
                 {"Code"}});
    // The group decides which antibiotic panels are reported for an isolate.
    t.push_back({Database::BuildFile,
                 "tbCoOrganism",
                 {key("Code"), textNN("Organism"), textNN("OrganismGroup"), textNN("Status")},
                 {"Code"}});
    // List 1..6 is one organism heading of a group; the letter is the reporting tier (A primary,
    // B secondary, C supplemental, U urinary only).
    t.push_back({Database::BuildFile,
                 "tbCoAntibioticPanel",
                 {key("ListNo"), key("GroupLetter"), key("AntibioticCode"), integerNN("SortOrder")},
                 {"ListNo", "GroupLetter", "AntibioticCode"}});

    // Text columns are TEXT on both backends: specimen and remarks may be long.
    t.push_back({Database::Laboratory,
                 "tbLabResultCS",
                 {key("RequestNum"),
                  textNN("FinalResult"), // "Y" once the laboratory released the result as final
                  dateTime("ResultDate"),
                  textNN("Specimen"),
                  textNN("Organism"), // the culture result text
                  dateTime("InoculationDate"),
                  textNN("microscopy"),
                  textNN("Remarks"),
                  textNN("Additional"),
                  textNN("AccessionNum"),
                  dateTime("samplesubmitted"),
                  dateTime("lratime"),
                  textNN("ColonyCount"),
                  textNN("Org1"),
                  textNN("Org2"),
                  textNN("Org3"),
                  textNN("Org4"),
                  textNN("Method"),
                  dateTime("DateFinished"),
                  textNN("EmployeeCode"), // who saved last
                  dateTime("SavedAt")},
                 {"RequestNum"}});
    t.push_back({Database::Laboratory,
                 "tbLabResultCSCodes",
                 {key("RequestNum"), key("Code"), key("OrganismNo"), textNN("Result"), textNN("Zone")},
                 {"RequestNum", "Code", "OrganismNo"}});

    t.push_back({Database::Laboratory,
                 "tbLABResultMicrobiology",
                 {key("RequestNum"),
                  textNN("Isolate"),
                  textNN("Culture"), // check boxes of the culture frame, "0|1|..."
                  textNN("PreSpecimen"),
                  textNN("PreTest"),
                  textNN("PreSite"),
                  textNN("PreOther1"),
                  textNN("PreOther2"),
                  textNN("PreReport"),
                  textNN("FinalSpecimen"),
                  textNN("FinalTest"),
                  textNN("FinalSite"),
                  textNN("FinalOther1"),
                  textNN("FinalOther2"),
                  textNN("FinalReport"),
                  textNN("FormType"), // the organism group chosen: 0, 1 or 2
                  textNN("Others"),
                  textNN("EmployeeCode"),
                  dateTime("SavedAt")},
                 {"RequestNum"}});
    // One row per antibiotic chosen for the report, with what was found (S, I or R).
    t.push_back({Database::Laboratory,
                 "tbLABResultMicrobiologyAdd",
                 {key("RequestNum"), key("ListNo"), key("GroupLetter"), key("AntibioticCode"), textNN("Result")},
                 {"RequestNum", "ListNo", "GroupLetter", "AntibioticCode"}});
    t.push_back({Database::Laboratory, "tbLab_BuildCulture", {key("Description")}, {"Description"}});
    t.push_back({Database::Laboratory, "tbLab_BuildMicroTesting", {key("Description")}, {"Description"}});
    return t;
}

} // namespace labdb
