#pragma once
// The host stand-in's command-line tools for IT staff: the demo database and the SQL console.

#include <QStringList>

namespace labhost {

// "labhost init-demo DIR": creates the embedded demo database in DIR and points the per-user
// connection settings at it. Returns the process exit code.
int initDemo(const QStringList &args);
// "labhost sql [--source DATASOURCE] COMMAND": runs one command and prints its rows as a table.
int sqlConsole(const QStringList &args);

// The connection string of the per-user settings (or of an explicit data source).
QString connectionStringFor(const QString &dataSource);

} // namespace labhost
