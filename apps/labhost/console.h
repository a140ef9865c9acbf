#pragma once
// The host stand-in's command-line tools for IT staff: the SQL console.

#include <QStringList>

namespace labhost {

// "labhost sql [--source DATASOURCE] COMMAND": runs one command and prints its rows as a table.
int sqlConsole(const QStringList &args);

// The connection string of the per-user settings (or of an explicit data source).
QString connectionStringFor(const QString &dataSource);

} // namespace labhost
