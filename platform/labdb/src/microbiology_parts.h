#pragma once
// Microbiology: the master files and result tables, and their demonstration rows.

#include "labdb/driver.h"

#include <vector>

namespace labdb {

std::vector<TableDef> microbiologyTables(); // antibiotics, organisms, panels, C&S and bacteriology results
void loadMicrobiologyDemo(Driver &db);

} // namespace labdb
