#pragma once
// The shared connection to the laboratory database server, opened from the connection string
// the component builds ("Provider=SQLOLEDB.8;...;Initial Catalog=LABORATORY;Data Source=...").

#include "services/database/command.h"
#include "services/database/recordset.h"

#include <labdb/driver.h>

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

namespace labdb {
class Session;
}

namespace corvane {

// What a connection string says, read the way a provider reads it: keys without regard to case
// or blanks around them, the last of a repeated key winning.
struct ConnectionOptions {
    QString provider;
    QString dataSource;
    QString initialCatalog;
    QString user;
    QString password;
    bool integratedSecurity = false;

    static ConnectionOptions parse(const QString &connectionString);
    // "Data Source" as a backend target: a "file:" URL names a folder of SQLite files,
    // anything else a PostgreSQL server "host[:port][/database]" (host may be a socket folder).
    labdb::Target target() const;
};

// The error every failing command raises; description is the database's own.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString &description) : std::runtime_error(description.toStdString()) {}
    QString description() const { return QString::fromStdString(what()); }
};

class Connection {
public:
    // Opens and brings the schema up to date; throws DatabaseError (never with the password).
    static std::unique_ptr<Connection> open(const QString &connectionString);
    // For tools and tests that already hold a driver.
    explicit Connection(std::unique_ptr<labdb::Driver> driver);
    ~Connection();

    Recordset query(const Command &command);
    // A read the screens make for their own display (the limits that flag a value), not one of the
    // laboratory's commands: the command observer does not see it.
    Recordset lookup(const Command &command);
    void execute(const Command &command);

    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const;

    // Inside a transaction: waits until no other workstation is saving this request, and keeps
    // others waiting until this transaction ends.
    void serializeSavesOf(const QString &requestNum);

    // The employee recorded in the audit trail with each change.
    void setAuditUser(const QString &employeeCode);
    // Called with the exact text of every command before it runs (scripted sessions log it).
    void setCommandObserver(std::function<void(const QString &)> observer);

    // "SELECT getdate() as serverdate"
    QDateTime getServerDate();
    // Pins the server clock for this session (tests, scripted runs); an invalid value releases it.
    void pinServerClock(const QDateTime &at);

    labdb::Session &session() { return *m_session; }

private:
    labdb::ResultSet run(const Command &command);

    std::unique_ptr<labdb::Session> m_session;
    std::function<void(const QString &)> m_observer;
};

// Server date-time text ("yyyy-MM-dd HH:mm:ss", fractions allowed) to QDateTime.
QDateTime parseServerDateTime(const QString &text);

} // namespace corvane
