#pragma once
// Reference intervals and critical limits of the result fields, the interval each saved result
// was judged by, and the calls that reported critical values.

#include "labdb/driver.h"
#include "labdb/procedures.h"

#include <string>
#include <vector>

namespace labdb {

std::vector<TableDef> clinicalTables();
void registerClinicalProcedures(ProcedureRegistry &r);
void loadClinicalDemo(Driver &db);
// Judges the stored result row of the request against the limits that fit it today and keeps that.
void judgeStoredResult(Driver &db, const std::string &requestNum);

} // namespace labdb
