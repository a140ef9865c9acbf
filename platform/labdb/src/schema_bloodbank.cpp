// Blood bank and immunology. Crossmatches live in the shared result row and their pick lists in
// the microscopy list table; the immunohistochemistry receptor studies and the ANA panel have
// rows of their own.

#include "bloodbank_parts.h"
#include "columns.h"

#include <string>

namespace labdb {

std::vector<TableDef> bloodBankTables()
{
    using namespace columns;
    std::vector<TableDef> t;
    // Estrogen/progesterone receptor and c-erbB-2 studies: nine result slots whose meaning depends
    // on the screen that saved them.
    TableDef receptors{Database::Laboratory,
                       "tbLabReceptorResult",
                       {key("RequestNum"), textNN("SampleNum"), dateTime("DateReported"), dateTime("Submitted"),
                        dateTime("LRALogbook"), dateTime("DateFinished"), textNN("Specimen")},
                       {"RequestNum"}};
    for (int i = 1; i <= 9; ++i)
        receptors.columns.push_back(textNN("Result" + std::to_string(i)));
    receptors.columns.push_back(textNN("Pathologist"));
    receptors.columns.push_back(textNN("EmployeeCode"));
    t.push_back(std::move(receptors));

    TableDef ana{Database::Laboratory, "tbLabANAPanel", {key("RequestNum")}, {"RequestNum"}};
    for (const char *c : {"NSubstrate", "NResult", "NPattern", "NTiter", "DSubstrate", "DResult", "DTiter",
                          "Sci70Result", "JO1Result", "SSAResult", "SSBResult", "SmResult", "RNPResult", "Others",
                          "LEPrep"})
        ana.columns.push_back(textNN(c));
    ana.columns.push_back(textNN("EmployeeCode"));
    t.push_back(std::move(ana));
    return t;
}

} // namespace labdb
