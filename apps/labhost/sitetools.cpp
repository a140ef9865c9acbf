#include "sitetools.h"

#include "console.h"

#include "services/database/connection.h"
#include "session/connsettings.h"

#include <labdb/masterdata.h>
#include <labdb/schema.h>
#include <labdb/session.h>

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QTextStream>
#include <QUrl>

namespace labhost {

namespace {

namespace md = labdb::masterdata;

QString usage(const QString &command)
{
    const QString what = command.startsWith(QLatin1String("init")) ? QStringLiteral(" {DIR | --source DATASOURCE}")
                                                                     : QStringLiteral(" DIR [--source DATASOURCE]");
    return QStringLiteral("usage: labhost ") + command + what +
           QStringLiteral("\nDATASOURCE is file:///folder for the embedded database or host[:port][/database] for\n"
                          "a PostgreSQL server. Without --source, export and import use this workstation's\n"
                          "connection settings; with it, the server is logged on to as the operating-system\n"
                          "user, or as PGUSER with PGPASSWORD or ~/.pgpass.\n");
}

// Problems listed before the rest are only counted.
constexpr int kProblemsShown = 50;

struct Invocation {
    QString source;  // as given, or the folder as a file: URL
    QString folder;  // export/import: the CSV folder
    bool ok = false;
};

// init and init-demo take a folder of the embedded database or --source; export and import a
// CSV folder and optionally --source.
Invocation parse(const QString &command, const QStringList &args)
{
    Invocation inv;
    QStringList positional;
    bool haveSource = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--source") && i + 1 < args.size()) {
            inv.source = args[++i];
            haveSource = true;
        } else if (args[i].startsWith(QLatin1String("--source="))) {
            inv.source = args[i].mid(9);
            haveSource = true;
        } else if (args[i].startsWith(QLatin1String("--"))) {
            return inv;
        } else {
            positional << args[i];
        }
    }
    if (haveSource && inv.source.trimmed().isEmpty())
        return inv;
    const bool setup = command.startsWith(QLatin1String("init"));
    if (setup) {
        if (positional.size() + (haveSource ? 1 : 0) != 1)
            return inv;
        if (!haveSource)
            inv.source = QUrl::fromLocalFile(QDir(positional[0]).absolutePath()).toString();
    } else {
        if (positional.size() != 1)
            return inv;
        inv.folder = QDir(positional[0]).absolutePath();
    }
    inv.ok = true;
    return inv;
}

QString connectionString(const Invocation &inv)
{
    return connectionStringFor(inv.source);
}

// What the tool names the database by in its messages: never with the login.
QString shownSource(const Invocation &inv)
{
    return corvane::ConnectionOptions::parse(connectionString(inv)).dataSource;
}

QString describe(const std::exception &e)
{
    QString text = QString::fromStdString(e.what());
    static const QRegularExpression missingServerDatabase(QStringLiteral("database \"[^\"]*\" does not exist"));
    if (text.contains(missingServerDatabase))
        text += QStringLiteral("\nCreate the database on the server first (createdb), or name an existing one.");
    else if (text.startsWith(QLatin1String("No laboratory database in")))
        text += QStringLiteral("\nCreate it with \"labhost init DIR\".");
    return text;
}

// init and init-demo create what is missing: the folder of the embedded database, the schemas
// of a PostgreSQL database (the database itself must exist).
std::unique_ptr<labdb::Driver> openForSetup(const Invocation &inv)
{
    const labdb::Target target = corvane::ConnectionOptions::parse(connectionString(inv)).target();
    return labdb::openDriver(target, true);
}

bool holdsLaboratoryData(labdb::Driver &db)
{
    for (const auto &[where, table] : {std::pair{labdb::Database::PatientData, "tbHospitalInfo"},
                                       std::pair{labdb::Database::BuildFile, "tbCoLabExam"}}) {
        if (!db.run("SELECT 1 FROM " + db.qualify(where, table) + " LIMIT 1", {}).rows.empty())
            return true;
    }
    return false;
}

int init(const Invocation &inv)
{
    QTextStream out(stdout);
    const QString source = shownSource(inv);
    try {
        auto db = openForSetup(inv);
        const int before = labdb::storedSchemaVersion(*db);
        labdb::upgradeSchema(*db);
        const int now = labdb::schemaVersion();
        if (before == 0)
            out << "Created the laboratory database at " << source << " (schema version " << now << ").\n";
        else if (before < now)
            out << "Upgraded the laboratory database at " << source << " from schema version " << before << " to "
                << now << ".\n";
        else
            out << "The laboratory database at " << source << " is up to date (schema version " << now << ").\n";
    } catch (const std::exception &e) {
        QTextStream(stderr) << "Cannot set up the laboratory database at " << source << ": " << describe(e) << '\n';
        return 1;
    }
    return 0;
}

int initDemo(const Invocation &inv)
{
    QTextStream out(stdout);
    const QString source = shownSource(inv);
    try {
        auto db = openForSetup(inv);
        labdb::upgradeSchema(*db);
        // A configured hospital, demo or real, is never mixed with demonstration data.
        if (holdsLaboratoryData(*db)) {
            out << "The laboratory database at " << source
                << " already holds a hospital's data; the demo data was not loaded.\n";
        } else {
            labdb::loadDemoData(*db);
            out << "Demo database ready at " << source << '\n';
        }
    } catch (const std::exception &e) {
        QTextStream(stderr) << "Cannot create the demo database at " << source << ": " << describe(e) << '\n';
        return 1;
    }
    // The workstation logs on as this tool just did: the embedded database needs no login, and a
    // server is logged on to as the operating-system user (or the PG* environment).
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QString(corvane::ConnSettings::kApplication));
    corvane::keepSettingsPrivate(s.fileName());
    s.beginGroup(QString(corvane::ConnSettings::kSection));
    s.setValue(QStringLiteral("User"), QString());
    s.setValue(QStringLiteral("Password"), QString());
    s.setValue(QStringLiteral("Server"), source);
    s.setValue(QStringLiteral("Database"), QStringLiteral("LABORATORY"));
    s.endGroup();
    s.sync();
    corvane::keepSettingsPrivate(s.fileName());
    out << "Connection settings written to " << s.fileName() << '\n';
    return 0;
}

void printCounts(QTextStream &out, const std::vector<md::TableCount> &counts, bool withPrevious)
{
    for (const md::TableCount &c : counts) {
        out << "  " << QString::fromStdString(c.file).leftJustified(42) << QString::number(c.rows).rightJustified(6)
            << (c.rows == 1 ? " row" : " rows");
        if (withPrevious)
            out << " (had " << c.previousRows << ')';
        out << '\n';
    }
}

std::size_t totalRows(const std::vector<md::TableCount> &counts)
{
    std::size_t n = 0;
    for (const md::TableCount &c : counts)
        n += c.rows;
    return n;
}

int exportData(const Invocation &inv)
{
    QTextStream out(stdout);
    const QString source = shownSource(inv);
    try {
        auto conn = corvane::Connection::open(connectionString(inv));
        const auto counts = md::exportTo(conn->session().driver(), inv.folder.toStdString());
        printCounts(out, counts, false);
        out << "Exported " << counts.size() << " master tables (" << totalRows(counts) << " rows) from " << source
            << " to " << inv.folder << ".\n";
    } catch (const std::exception &e) {
        QTextStream(stderr) << "Cannot export the master data of " << source << ": " << describe(e) << '\n';
        return 1;
    }
    return 0;
}

void printProblems(const md::ImportError &e)
{
    QTextStream err(stderr);
    const auto &problems = e.problems();
    for (std::size_t i = 0; i < problems.size() && i < kProblemsShown; ++i)
        err << QString::fromStdString(problems[i].text()) << '\n';
    if (problems.size() > kProblemsShown)
        err << "... and " << problems.size() - kProblemsShown << " more.\n";
    err << "Nothing was imported.\n";
}

int importData(const Invocation &inv)
{
    QTextStream out(stdout);
    const QString source = shownSource(inv);
    try {
        // Every file is checked before the database is even opened.
        const auto tables = md::checkFolder(inv.folder.toStdString());
        auto conn = corvane::Connection::open(connectionString(inv));
        // The audit trail names the operating-system account that ran the import.
        const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
        conn->setAuditUser(QStringLiteral("labhost:") + user);
        const auto counts = md::replaceTables(conn->session(), tables);
        printCounts(out, counts, true);
        out << "Imported " << counts.size() << " master tables (" << totalRows(counts) << " rows) into " << source
            << " in one transaction.\n";
    } catch (const md::ImportError &e) {
        printProblems(e);
        return 1;
    } catch (const std::exception &e) {
        QTextStream(stderr) << "Cannot import the master data into " << source << ": " << describe(e)
                            << "\nNothing was imported.\n";
        return 1;
    }
    return 0;
}

} // namespace

bool isSiteTool(const QString &command)
{
    for (const char *tool : {"init", "init-demo", "export", "import"}) {
        if (command == QLatin1String(tool))
            return true;
    }
    return false;
}

int siteTool(const QString &command, const QStringList &args)
{
    const Invocation inv = parse(command, args);
    if (!inv.ok) {
        QTextStream(stderr) << usage(command);
        return 2;
    }
    if (command == QLatin1String("init"))
        return init(inv);
    if (command == QLatin1String("init-demo"))
        return initDemo(inv);
    if (command == QLatin1String("export"))
        return exportData(inv);
    return importData(inv);
}

} // namespace labhost
