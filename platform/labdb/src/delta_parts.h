#pragma once
// Delta rules, the previous results a request's values are compared with, and the deltas seen.

#include "labdb/driver.h"
#include "labdb/procedures.h"

#include <vector>

namespace labdb {

std::vector<TableDef> deltaTables();
void registerDeltaProcedures(ProcedureRegistry &r);
void loadDeltaDemo(Driver &db);

} // namespace labdb
