#pragma once
// Body fluid, semen, sperm count and stone analysis: their reference values and result summaries,
// the layout of the shared result row for a body fluid, and their demonstration rows.

#include "labdb/driver.h"
#include "labdb/procedures.h"

#include <vector>

namespace labdb {

std::vector<TableDef> fluidsTables(); // reference values by position, one-line result summaries
void registerFluidsProcedures(ProcedureRegistry &r);
void loadFluidsDemo(Driver &db);

// A body fluid keeps its remarks in result20, where the screen reads them by name, and the reference
// value read back from position 20 in another slot; this turns the row into what the screen reads.
void layOutBodyFluidRow(ResultSet &rs);

} // namespace labdb
