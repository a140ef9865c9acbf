#pragma once
// One connection to a backend. Everything that differs between SQLite and PostgreSQL
// (placeholders, names of databases, column types, the clock, locking) lives behind this class.

#include "labdb/value.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace labdb {

enum class Backend { Sqlite, Postgres };

// The four databases of the laboratory server. Every table and procedure lives in one of them.
enum class Database { Laboratory, PatientData, BuildFile, Inventory };
std::optional<Database> databaseByName(std::string_view name); // case-insensitive
std::string_view databaseName(Database db);                      // canonical lower-case name

enum class ColType { Text, Int, Real, DateTime, Serial };
struct ColumnDef {
    std::string name;
    ColType type = ColType::Text;
    bool notNull = false;
    std::string defaultSql; // portable SQL literal, e.g. "''" or "0"
};
struct TableDef {
    Database db;
    std::string name;
    std::vector<ColumnDef> columns;
    std::vector<std::string> primaryKey;
};

struct Target {
    Backend backend = Backend::Sqlite;
    std::string folder;   // SQLite: the folder holding one file per database
    std::string host;     // PostgreSQL: host name or socket directory; empty = libpq default
    std::string port;     // PostgreSQL
    std::string database; // PostgreSQL database holding the four schemas
    std::string user;     // empty = the operating-system user
    std::string password;
};

class Driver {
public:
    virtual ~Driver() = default;
    Driver(const Driver &) = delete;
    Driver &operator=(const Driver &) = delete;

    virtual Backend backend() const = 0;

    // Portable SQL with "?" placeholders; values are bound, never pasted. Prepared statements are
    // cached per SQL text for the life of the connection.
    virtual ResultSet run(const std::string &sql, const std::vector<Value> &params) = 0;
    // Several statements without parameters (schema work).
    virtual void runScript(const std::string &sql) = 0;

    virtual void begin() = 0; // a write transaction, taken at once so writers queue, never deadlock
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // "laboratory", "tbLabLogbook" -> the name to use in SQL on this backend.
    virtual std::string qualify(Database db, std::string_view object) const = 0;
    // The same for a scalar function called in SQL.
    virtual std::string qualifyFunction(Database db, std::string_view function) const = 0;
    // Expression for the server clock (local time, seconds precision), honouring a pinned time.
    virtual std::string nowExpr() const = 0;
    // A date/time value as text in a strftime pattern ("%m/%d/%Y"; %Y %y %m %d %H %M %S only).
    virtual std::string formatDateExpr(const std::string &expr, std::string_view pattern) const = 0;
    // A value read as a date and time, or as a date only.
    virtual std::string toDateTimeExpr(const std::string &expr, bool dateOnly) const = 0;
    // Pins the server clock ("yyyy-MM-dd HH:mm:ss") or releases it (nullopt).
    virtual void pinClock(const std::optional<std::string> &isoTime) = 0;
    // Row lock for SELECT ... inside a transaction ("" where the whole database is locked anyway).
    virtual std::string lockClause() const = 0;
    virtual std::string createTableSql(const TableDef &table) const = 0;
    // A column added to an existing table by a later schema step.
    virtual std::string addColumnSql(Database db, std::string_view table, const ColumnDef &column) const = 0;
    // An index (created when missing) on columns of a table, named name in the table's database.
    virtual std::string createIndexSql(Database db, std::string_view table, std::string_view name,
                                       std::string_view columns) const = 0;
    // Inside a transaction: waits for, then holds until commit or rollback, the named lock, so
    // two workstations saving the same request take turns. No-op where writers queue anyway.
    virtual void lockKey(const std::string &key) = 0;
    virtual bool tableExists(Database db, std::string_view table) = 0;
    // The database session's own id (for tests that kill a connection).
    virtual long long sessionId() = 0;

protected:
    Driver() = default;

    // The drivers call these around every transaction and statement, so that an armed fault
    // (armFault) strikes wherever a test asks. Unarmed, the cost is one relaxed atomic load per BEGIN.
    void faultOnBegin();
    void faultBeforeStatement()
    {
        if (m_faultAt != 0)
            strikeIfDue();
    }
    void faultOnEnd() { m_faultAt = 0; }
    // The lost-connection fault: the backend really loses its connection, so the statement then
    // fails as it would on a broken network. The default throws the error such a loss gives.
    virtual void loseConnection();

private:
    void strikeIfDue();
    int m_faultAt = 0;
    int m_faultSeen = 0;
    bool m_faultLoses = false;
};

// Fault injection, for tests that fail every statement of a save in turn.
enum class Fault { ServerError, LostConnection };
// Statement n of the next transaction begun on any connection of this process fails with the fault
// (BEGIN is statement 1, COMMIT the last; ROLLBACK is never failed).
void armFault(int statement, Fault fault);
void disarmFault();
// Whether the fault armed last struck (false: its transaction ended before statement n, or none began).
bool faultStruck();

std::unique_ptr<Driver> openSqlite(const std::string &folder, bool create);
std::unique_ptr<Driver> openPostgres(const Target &target);
std::unique_ptr<Driver> openDriver(const Target &target, bool create = true);

// Begins on construction and rolls back unless commit() was called.
class Transaction {
public:
    explicit Transaction(Driver &driver) : m_driver(driver) { m_driver.begin(); }
    ~Transaction()
    {
        if (!m_done) {
            try {
                m_driver.rollback();
            } catch (...) {
            }
        }
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit()
    {
        m_driver.commit();
        m_done = true;
    }

private:
    Driver &m_driver;
    bool m_done = false;
};

} // namespace labdb
