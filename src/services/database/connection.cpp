#include "services/database/connection.h"

#include <labdb/session.h>

#include <QProcessEnvironment>
#include <QUrl>

namespace corvane {

namespace {

// Scripted runs and tests pin the server clock through the environment.
constexpr auto kPinnedClockVariable = "CORVANE_SERVER_CLOCK";

QString normalisedKey(const QString &key)
{
    QString k = key.simplified().toLower();
    k.remove(QLatin1Char(' '));
    return k;
}

DatabaseError translated(const labdb::DbError &e)
{
    return DatabaseError(QString::fromStdString(e.what()));
}

} // namespace

ConnectionOptions ConnectionOptions::parse(const QString &connectionString)
{
    ConnectionOptions o;
    const QStringList parts = connectionString.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = normalisedKey(part.left(eq));
        const QString value = part.mid(eq + 1).trimmed();
        if (key == QLatin1String("provider"))
            o.provider = value;
        else if (key == QLatin1String("datasource") || key == QLatin1String("server"))
            o.dataSource = value;
        else if (key == QLatin1String("initialcatalog") || key == QLatin1String("database"))
            o.initialCatalog = value;
        else if (key == QLatin1String("userid") || key == QLatin1String("uid"))
            o.user = value;
        else if (key == QLatin1String("password") || key == QLatin1String("pwd"))
            o.password = part.mid(eq + 1); // a password keeps its blanks
        else if (key == QLatin1String("integratedsecurity"))
            o.integratedSecurity = value.compare(QLatin1String("SSPI"), Qt::CaseInsensitive) == 0
                                   || value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    }
    return o;
}

labdb::Target ConnectionOptions::target() const
{
    labdb::Target t;
    if (dataSource.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        t.backend = labdb::Backend::Sqlite;
        const QUrl url(dataSource);
        t.folder = (url.isLocalFile() ? url.toLocalFile() : dataSource.mid(5)).toStdString();
        return t;
    }
    t.backend = labdb::Backend::Postgres;
    QString rest = dataSource;
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/'), rest.startsWith(QLatin1Char('/')) ? 1 : 0);
        slash > 0 && !rest.startsWith(QLatin1Char('/'))) {
        t.database = rest.mid(slash + 1).toStdString();
        rest = rest.left(slash);
    } else if (rest.startsWith(QLatin1Char('/'))) {
        // A socket folder: "/run/postgresql:5432/corvane"
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon > 0) {
            QString portAndDb = rest.mid(colon + 1);
            rest = rest.left(colon);
            const qsizetype s = portAndDb.indexOf(QLatin1Char('/'));
            if (s >= 0) {
                t.database = portAndDb.mid(s + 1).toStdString();
                portAndDb = portAndDb.left(s);
            }
            t.port = portAndDb.toStdString();
        }
        t.host = rest.toStdString();
        if (!integratedSecurity) {
            t.user = user.toStdString();
            t.password = password.toStdString();
        }
        return t;
    }
    const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
    if (colon > 0) {
        t.port = rest.mid(colon + 1).toStdString();
        rest = rest.left(colon);
    }
    t.host = rest.toStdString();
    if (!integratedSecurity) {
        t.user = user.toStdString();
        t.password = password.toStdString();
    }
    return t;
}

std::unique_ptr<Connection> Connection::open(const QString &connectionString)
{
    const ConnectionOptions options = ConnectionOptions::parse(connectionString);
    if (options.dataSource.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("[DBNETLIB][ConnectionOpen (Connect()).]SQL Server does not exist or access "
                                           "denied: no Data Source is set."));
    try {
        const labdb::Target target = options.target();
        // The embedded database is created by "labhost init-demo", never by a workstation opening it.
        auto conn = std::make_unique<Connection>(labdb::openDriver(target, false));
        const QString pinned = QProcessEnvironment::systemEnvironment().value(QLatin1String(kPinnedClockVariable));
        if (!pinned.isEmpty())
            conn->pinServerClock(parseServerDateTime(pinned));
        return conn;
    } catch (const labdb::DbError &e) {
        throw translated(e);
    }
}

Connection::Connection(std::unique_ptr<labdb::Driver> driver)
{
    try {
        m_session = std::make_unique<labdb::Session>(std::move(driver));
    } catch (const labdb::DbError &e) {
        throw translated(e);
    }
}

Connection::~Connection() = default;

labdb::ResultSet Connection::run(const Command &command)
{
    if (m_observer)
        m_observer(command.text());
    try {
        return m_session->execute(command.commandText());
    } catch (const labdb::DbError &e) {
        throw translated(e);
    }
}

Recordset Connection::query(const Command &command)
{
    return Recordset(run(command));
}

void Connection::execute(const Command &command)
{
    run(command);
}

void Connection::beginTrans()
{
    try {
        m_session->begin();
    } catch (const labdb::DbError &e) {
        throw translated(e);
    }
}

void Connection::commitTrans()
{
    try {
        m_session->commit();
    } catch (const labdb::DbError &e) {
        throw translated(e);
    }
}

void Connection::rollbackTrans()
{
    try {
        m_session->rollback();
    } catch (const labdb::DbError &e) {
        throw translated(e);
    }
}

bool Connection::inTransaction() const
{
    return m_session->inTransaction();
}

void Connection::setAuditUser(const QString &employeeCode)
{
    m_session->setAuditUser(employeeCode.toStdString());
}

void Connection::setCommandObserver(std::function<void(const QString &)> observer)
{
    m_observer = std::move(observer);
}

QDateTime Connection::getServerDate()
{
    Recordset rs = query(Command("SELECT getdate() as serverdate"));
    const QDateTime at = rs.field(QStringLiteral("serverdate")).toDateTime();
    rs.close();
    return at;
}

void Connection::pinServerClock(const QDateTime &at)
{
    try {
        m_session->driver().pinClock(at.isValid() ? std::optional<std::string>(
                                                        at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString())
                                                  : std::nullopt);
    } catch (const labdb::DbError &e) {
        throw translated(e);
    }
}

QDateTime parseServerDateTime(const QString &text)
{
    const QString t = text.trimmed();
    for (const QString &format : {QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-dd HH:mm:ss.z"),
                                  QStringLiteral("yyyy-MM-ddTHH:mm:ss"), QStringLiteral("yyyy-MM-dd HH:mm"),
                                  QStringLiteral("yyyy-MM-dd")}) {
        const QDateTime dt = QDateTime::fromString(t, format);
        if (dt.isValid())
            return dt;
    }
    // Fractions of any length, as PostgreSQL may send them.
    if (const qsizetype dot = t.indexOf(QLatin1Char('.')); dot > 0)
        return QDateTime::fromString(t.left(dot), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return {};
}

} // namespace corvane
