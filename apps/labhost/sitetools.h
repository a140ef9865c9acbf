#pragma once
// The tools that set up a laboratory's database, embedded (a folder of SQLite files) or on a
// PostgreSQL server, and move its master data in and out as CSV files:
//   labhost init DIR | init --source DATASOURCE          create or upgrade the schema, nothing else
//   labhost init-demo DIR | init-demo --source DATASOURCE  the schema, the demo data, and the
//                                                          per-user settings pointing at it
//   labhost export DIR [--source DATASOURCE]             one CSV file per master table
//   labhost import DIR [--source DATASOURCE]             checks every file, then replaces all at once
// Without --source, export and import use the workstation's own connection settings.

#include <QStringList>

namespace labhost {

bool isSiteTool(const QString &command);
// Runs the tool; args follow the command name. Returns the process exit code.
int siteTool(const QString &command, const QStringList &args);

} // namespace labhost
