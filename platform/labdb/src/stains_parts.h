#pragma once
// Stained smears: the Gram stain's own findings table and the stains' demonstration requests. The
// AFB and urine Wright results sit in the shared result row.

#include "labdb/driver.h"

#include <vector>

namespace labdb {

std::vector<TableDef> stainsTables(); // the Gram stain findings
void loadStainsDemo(Driver &db);

} // namespace labdb
