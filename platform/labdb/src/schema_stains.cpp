// The Gram stain keeps its findings in a table of its own, under the column names the laboratory
// has always used; several no longer match what the technologist writes in them (Pus1 holds the
// epithelial cells, KOH the remarks), and the screen maps them box by box.

#include "columns.h"
#include "stains_parts.h"

namespace labdb {

std::vector<TableDef> stainsTables()
{
    using namespace columns;
    std::vector<TableDef> t;
    t.push_back({Database::Laboratory,
                 "tbLabGramStain",
                 {key("RequestNum"),
                  text("Specimen"),
                  text("Result"), // the Gram stain (or KOH mount) result proper
                  text("Pus1"),
                  text("Pus2"),
                  text("Epithelial1"),
                  text("Epithelial2"),
                  text("Organism"),
                  text("Seen"),
                  text("AFB"),
                  text("Smear"),
                  text("KOH"),
                  text("Remarks"),
                  textNN("EmployeeCode"), // who saved last
                  dateTime("SavedAt")},
                 {"RequestNum"}});
    return t;
}

} // namespace labdb
