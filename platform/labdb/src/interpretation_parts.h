#pragma once
// Interpretation, normal-range and custom results: their tables, their masters (legends, reference
// intervals of the normal-range fields, custom formats) and their demonstration requests.

#include "labdb/driver.h"

#include <vector>

namespace labdb {

std::vector<TableDef> interpretationTables();
void loadInterpretationDemo(Driver &db);

// The stored fields of a normal-range result, in the order the save sends them.
const std::vector<const char *> &normalRangeFields();

} // namespace labdb
