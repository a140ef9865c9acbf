#include "labdb/procedures.h"

namespace labdb {

void registerSignOffProcedures(ProcedureRegistry &)
{
}

} // namespace labdb
