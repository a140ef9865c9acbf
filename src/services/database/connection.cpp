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

// Runs work on the server side; its errors reach the component as DatabaseError.
template<typename Work>
auto translatingErrors(Work &&work)
{
    try {
        return work();
    } catch (const labdb::DbError &e) {
        throw translated(e);
    }
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
    // "host[:port][/database]", or a socket folder "/run/postgresql[:port][/database]".
    t.backend = labdb::Backend::Postgres;
    QString hostPort = dataSource;
    const qsizetype slash = dataSource.indexOf(QLatin1Char('/'), dataSource.lastIndexOf(QLatin1Char(':')) + 1);
    if (slash > 0) {
        t.database = dataSource.mid(slash + 1).toStdString();
        hostPort = dataSource.left(slash);
    }
    if (const qsizetype colon = hostPort.lastIndexOf(QLatin1Char(':')); colon > 0) {
        t.port = hostPort.mid(colon + 1).toStdString();
        hostPort = hostPort.left(colon);
    }
    t.host = hostPort.toStdString();
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
    : m_session(translatingErrors([&] { return std::make_unique<labdb::Session>(std::move(driver)); }))
{
}

Connection::~Connection() = default;

labdb::ResultSet Connection::run(const Command &command)
{
    if (m_observer)
        m_observer(command.text());
    return translatingErrors([&] { return m_session->execute(command.commandText()); });
}

Recordset Connection::query(const Command &command)
{
    return Recordset(run(command));
}

Recordset Connection::lookup(const Command &command)
{
    return Recordset(translatingErrors([&] { return m_session->execute(command.commandText()); }));
}

void Connection::execute(const Command &command)
{
    run(command);
}

void Connection::beginTrans()
{
    translatingErrors([this] { m_session->begin(); });
}

void Connection::commitTrans()
{
    translatingErrors([this] { m_session->commit(); });
}

void Connection::rollbackTrans()
{
    translatingErrors([this] { m_session->rollback(); });
}

bool Connection::inTransaction() const
{
    return m_session->inTransaction();
}

void Connection::serializeSavesOf(const QString &requestNum)
{
    translatingErrors([&] { m_session->driver().lockKey("save:" + requestNum.trimmed().toUpper().toStdString()); });
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
    const std::optional<std::string> pinned =
        at.isValid() ? std::optional(at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString()) : std::nullopt;
    translatingErrors([&] { m_session->driver().pinClock(pinned); });
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
