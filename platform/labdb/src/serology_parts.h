#pragma once
// Serology: exams read against a cut-off, an index or a threshold, short-form exams with a remark
// per exam, and the Widal titres (which keep to the shared result row). Their formats, stored
// results and demonstration rows.

#include "labdb/driver.h"
#include "labdb/procedures.h"

#include <vector>

namespace labdb {

std::vector<TableDef> serologyTables(); // cut-off formats and thresholds; cut-off and short-form results
void loadSerologyDemo(Driver &db);
// One short-form row, sent through the individual result entries procedure the exam sets share.
ResultSet saveShortFormEntry(ProcCall &call);

} // namespace labdb
