#pragma once
// Table groups that later schema steps create, each kept beside the procedures that use it.

#include "labdb/driver.h"

#include <vector>

namespace labdb {

std::vector<TableDef> reagentTables();  // step 2: reagent items, stock postings
std::vector<TableDef> signOffTables();  // step 2: med techs' sign-off and the code lists of lookups
std::vector<TableDef> resultTables();   // step 3: what the result-entry screens store and offer
std::vector<TableDef> chemistryTables(); // step 6: result formats, normal values, analyser results

// Demonstration rows of the same groups, run inside the demo loader's transaction.
void loadReagentDemo(Driver &db);
void loadSignOffDemo(Driver &db);
void loadResultDemo(Driver &db);
void loadChemistryDemo(Driver &db);

} // namespace labdb
