#pragma once
// Blood bank and immunology: the receptor and ANA panel tables, and their demonstration rows
// (crossmatches, a receptor and a HER2 study, an ANA panel).

#include "labdb/driver.h"

#include <vector>

namespace labdb {

std::vector<TableDef> bloodBankTables(); // receptor studies, ANA panels
void loadBloodBankDemo(Driver &db);

} // namespace labdb
