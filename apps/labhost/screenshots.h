#pragma once
// "labhost screenshots DIR": the worklist, every result-entry screen of the build (filled with a
// stored demo result and new) and the component's dialogs, rendered to PNG files.

#include <QString>

namespace labhost {

// Returns the process exit code.
int screenshots(int argc, char *argv[], const QString &folder);

} // namespace labhost
