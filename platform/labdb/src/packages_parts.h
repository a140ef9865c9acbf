#pragma once
// Executive and panel packages: the tests of each package, the urinalysis pick lists, the stored
// test rows, blood counts, urinalyses and stool examinations, and their demonstration requests.

#include "labdb/driver.h"
#include "labdb/procedures.h"

#include <vector>

namespace labdb {

std::vector<TableDef> packagesTables();
void registerPackagesProcedures(ProcedureRegistry &r);
void loadPackagesDemo(Driver &db);

} // namespace labdb
