#pragma once
// Anatomic pathology: the report tables, their demonstration rows, and the reading back of an
// earlier version of a report from the audit trail.

#include "labdb/driver.h"

#include <vector>

namespace labdb {

std::vector<TableDef> pathologyTables(); // histopathology and cytology, Pap smear, conforme
void loadPathologyDemo(Driver &db);

} // namespace labdb
