#pragma once
// "labhost print": renders a report layout for one request to PDF, without a display.

#include <QStringList>

namespace labhost {

// labhost print --request R --layout NAME --pdf OUT [--source DATASOURCE] [--param NAME=VALUE]...
// The parameter fields RequestNum, HospitalTitle, HospitalCompany and HospitalAddress are filled
// as the component fills them; --param gives any other field by name. Creates the GUI
// application (offscreen without a display) when the program has none yet. Returns the exit code.
int printCommand(const QStringList &args);

} // namespace labhost
