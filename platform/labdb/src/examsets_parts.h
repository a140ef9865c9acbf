#pragma once
// Exam sets and specific formats: one stored result per exam line of a request, the batch slip,
// and their demonstration rows (a lipid profile, electrolytes, an oral glucose tolerance test).

#include "labdb/driver.h"

#include <vector>

namespace labdb {

std::vector<TableDef> examSetTables(); // exam-set results, the batch slip
void loadExamSetDemo(Driver &db);

} // namespace labdb
