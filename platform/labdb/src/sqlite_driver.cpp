// SQLite backend: one folder, one file per database, attached under the database's name.
// Rollback-journal mode keeps commits atomic across the attached files; writers take the lock
// at BEGIN and wait for each other through the busy timeout.

#include "labdb/driver.h"

#include "columns.h"

#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <unistd.h>
#include <unordered_map>

namespace labdb {

namespace {

using columns::columnConstraintSql;

constexpr int kBusyTimeoutMs = 15000;

std::string localNow()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

std::string columnTypeSql(ColType type)
{
    switch (type) {
    case ColType::Text:
        return "TEXT COLLATE NOCASE";
    case ColType::Int:
        return "INTEGER";
    case ColType::Real:
        return "REAL";
    case ColType::DateTime:
        return "TEXT";
    case ColType::Serial:
        return "INTEGER PRIMARY KEY AUTOINCREMENT";
    }
    return "TEXT";
}

class SqliteDriver final : public Driver {
public:
    SqliteDriver(const std::string &folder, bool create)
    {
        namespace fs = std::filesystem;
        if (!fs::is_directory(folder)) {
            if (!create)
                throw DbError("The database folder '" + folder + "' does not exist.", DbError::Kind::Connection);
            std::error_code ec;
            fs::create_directories(folder, ec);
            if (ec)
                throw DbError("Cannot create the database folder '" + folder + "': " + ec.message(),
                              DbError::Kind::Connection);
        }
        const auto file = [&](Database db) { return (fs::path(folder) / (std::string(databaseName(db)) + ".db")).string(); };
        if (!create && !fs::exists(file(Database::Laboratory)))
            throw DbError("No laboratory database in '" + folder + "'.", DbError::Kind::Connection);

        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(file(Database::Laboratory).c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
            const std::string msg = m_db ? sqlite3_errmsg(m_db) : "out of memory";
            sqlite3_close(m_db);
            m_db = nullptr;
            throw DbError("Cannot open the laboratory database: " + msg, DbError::Kind::Connection);
        }
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
        try {
            for (Database db : {Database::PatientData, Database::BuildFile, Database::Inventory})
                run("ATTACH DATABASE ? AS " + std::string(databaseName(db)), {file(db)});
            std::string pragmas = "PRAGMA foreign_keys=ON;";
            for (const char *schema : {"main", "patient_data", "build_file", "inventory"}) {
                pragmas += std::string("PRAGMA ") + schema + ".journal_mode=DELETE;";
                pragmas += std::string("PRAGMA ") + schema + ".synchronous=FULL;";
            }
            runScript(pragmas);
        } catch (...) {
            closeAll();
            throw;
        }
        sqlite3_create_function_v2(m_db, "corvane_now", 0, SQLITE_UTF8, this, &SqliteDriver::nowFunction, nullptr,
                                   nullptr, nullptr);
    }

    ~SqliteDriver() override { closeAll(); }

    Backend backend() const override { return Backend::Sqlite; }

    ResultSet run(const std::string &sql, const std::vector<Value> &params) override
    {
        faultBeforeStatement();
        sqlite3_stmt *stmt = prepared(sql);
        struct Reset {
            sqlite3_stmt *s;
            ~Reset()
            {
                sqlite3_reset(s);
                sqlite3_clear_bindings(s);
            }
        } reset{stmt};

        const int expected = sqlite3_bind_parameter_count(stmt);
        if (expected != static_cast<int>(params.size()))
            throw DbError("The statement expects " + std::to_string(expected) + " values but " +
                              std::to_string(params.size()) + " were given.",
                          DbError::Kind::ArgumentCount);
        for (std::size_t i = 0; i < params.size(); ++i) {
            const int idx = static_cast<int>(i) + 1;
            const int rc = params[i] ? sqlite3_bind_text(stmt, idx, params[i]->data(), static_cast<int>(params[i]->size()),
                                                         SQLITE_STATIC)
                                     : sqlite3_bind_null(stmt, idx);
            if (rc != SQLITE_OK)
                fail(rc);
        }

        ResultSet rs;
        const int ncol = sqlite3_column_count(stmt);
        rs.columns.reserve(static_cast<std::size_t>(ncol));
        for (int c = 0; c < ncol; ++c)
            rs.columns.emplace_back(sqlite3_column_name(stmt, c));
        for (;;) {
            const int rc = sqlite3_step(stmt);
            if (rc == SQLITE_DONE)
                break;
            if (rc != SQLITE_ROW)
                fail(rc);
            Row row;
            row.reserve(static_cast<std::size_t>(ncol));
            for (int c = 0; c < ncol; ++c) {
                if (sqlite3_column_type(stmt, c) == SQLITE_NULL) {
                    row.emplace_back(std::nullopt);
                } else {
                    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, c));
                    row.emplace_back(std::in_place, text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)));
                }
            }
            rs.rows.push_back(std::move(row));
        }
        rs.rowsAffected = sqlite3_stmt_readonly(stmt) ? -1 : sqlite3_changes(m_db);
        return rs;
    }

    void runScript(const std::string &sql) override
    {
        faultBeforeStatement();
        char *err = nullptr;
        const int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &err);
        if (rc != SQLITE_OK) {
            std::string msg = err ? err : sqlite3_errstr(rc);
            sqlite3_free(err);
            fail(rc, msg, kindOf(rc));
        }
    }

    void begin() override
    {
        faultOnBegin();
        runScript("BEGIN IMMEDIATE");
    }
    void commit() override
    {
        runScript("COMMIT");
        faultOnEnd();
    }
    void rollback() override
    {
        faultOnEnd();
        if (inTransaction())
            runScript("ROLLBACK");
    }
    bool inTransaction() const override { return m_db && sqlite3_get_autocommit(m_db) == 0; }

    std::string qualify(Database db, std::string_view object) const override
    {
        // The laboratory file is the main database, so unprefixed names resolve there.
        const std::string_view schema = db == Database::Laboratory ? std::string_view("main") : databaseName(db);
        return std::string(schema) + "." + std::string(object);
    }

    // SQLite functions are global to the connection, never schema-qualified.
    std::string qualifyFunction(Database, std::string_view function) const override { return std::string(function); }

    std::string nowExpr() const override { return "corvane_now()"; }
    std::string formatDateExpr(const std::string &expr, std::string_view pattern) const override
    {
        return "strftime('" + std::string(pattern) + "', " + expr + ")";
    }
    std::string toDateTimeExpr(const std::string &expr, bool dateOnly) const override
    {
        return (dateOnly ? "date(" : "datetime(") + expr + ")";
    }
    void pinClock(const std::optional<std::string> &isoTime) override { m_pinned = isoTime; }
    std::string lockClause() const override { return {}; }

    std::string addColumnSql(Database db, std::string_view table, const ColumnDef &col) const override
    {
        return "ALTER TABLE " + qualify(db, table) + " ADD COLUMN " + col.name + " " + columnTypeSql(col.type) +
               columnConstraintSql(col);
    }

    // SQLite names the index's database on the index; the table is then looked up there.
    std::string createIndexSql(Database db, std::string_view table, std::string_view name,
                               std::string_view columns) const override
    {
        return "CREATE INDEX IF NOT EXISTS " + qualify(db, name) + " ON " + std::string(table) + " (" +
               std::string(columns) + ")";
    }

    // BEGIN IMMEDIATE already makes every writer wait for the one before.
    void lockKey(const std::string &) override {}

    std::string createTableSql(const TableDef &table) const override
    {
        std::string sql = "CREATE TABLE IF NOT EXISTS " + qualify(table.db, table.name) + " (";
        bool first = true;
        for (const ColumnDef &col : table.columns) {
            if (!first)
                sql += ", ";
            first = false;
            sql += col.name + " " + columnTypeSql(col.type);
            sql += columnConstraintSql(col);
        }
        if (!table.primaryKey.empty()) {
            sql += ", PRIMARY KEY (";
            for (std::size_t i = 0; i < table.primaryKey.size(); ++i)
                sql += (i ? ", " : "") + table.primaryKey[i];
            sql += ")";
        }
        return sql + ")";
    }

    bool tableExists(Database db, std::string_view table) override
    {
        const std::string schema = db == Database::Laboratory ? "main" : std::string(databaseName(db));
        return !run("SELECT 1 FROM " + schema + ".sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE",
                    {std::string(table)})
                    .rows.empty();
    }

    long long sessionId() override { return static_cast<long long>(::getpid()); }

private:
    static void nowFunction(sqlite3_context *ctx, int, sqlite3_value **)
    {
        const auto *self = static_cast<const SqliteDriver *>(sqlite3_user_data(ctx));
        const std::string now = self->m_pinned ? *self->m_pinned : localNow();
        sqlite3_result_text(ctx, now.c_str(), static_cast<int>(now.size()), SQLITE_TRANSIENT);
    }

    static DbError::Kind kindOf(int rc)
    {
        switch (rc & 0xff) {
        case SQLITE_CONSTRAINT:
            return DbError::Kind::Constraint;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return DbError::Kind::Busy;
        case SQLITE_CANTOPEN:
        case SQLITE_NOTADB:
        case SQLITE_IOERR:
            return DbError::Kind::Connection;
        default:
            return DbError::Kind::General;
        }
    }

    [[noreturn]] void fail(int rc) const { fail(rc, sqlite3_errmsg(m_db), kindOf(rc)); }
    [[noreturn]] static void fail(int rc, const std::string &text, DbError::Kind kind)
    {
        if (kindOf(rc) == DbError::Kind::Busy)
            // The driver's own words ("database is locked") do not tell a technologist what to do.
            throw DbError("Another workstation or program kept the laboratory database locked for more than " +
                              std::to_string(kBusyTimeoutMs / 1000) +
                              " seconds, so nothing was changed; try again in a moment (" + text + ").",
                          DbError::Kind::Busy);
        throw DbError(text, kind);
    }

    sqlite3_stmt *prepared(const std::string &sql)
    {
        if (auto it = m_cache.find(sql); it != m_cache.end())
            return it->second;
        sqlite3_stmt *stmt = nullptr;
        const int rc = sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                          &stmt, nullptr);
        if (rc != SQLITE_OK) {
            fail(rc, sqlite3_errmsg(m_db), (rc & 0xff) == SQLITE_ERROR ? DbError::Kind::Syntax : kindOf(rc));
        }
        if (!stmt)
            throw DbError("Empty statement.", DbError::Kind::Syntax);
        m_cache.emplace(sql, stmt);
        return stmt;
    }

    void closeAll()
    {
        for (auto &entry : m_cache)
            sqlite3_finalize(entry.second);
        m_cache.clear();
        if (m_db) {
            // An open transaction dies with the handle; the journal undoes it.
            sqlite3_close_v2(m_db);
            m_db = nullptr;
        }
    }

    sqlite3 *m_db = nullptr;
    std::unordered_map<std::string, sqlite3_stmt *> m_cache;
    std::optional<std::string> m_pinned;
};

} // namespace

std::unique_ptr<Driver> openSqlite(const std::string &folder, bool create)
{
    return std::make_unique<SqliteDriver>(folder, create);
}

std::unique_ptr<Driver> openDriver(const Target &target, bool create)
{
    if (target.backend == Backend::Sqlite)
        return openSqlite(target.folder, create);
    return openPostgres(target);
}

} // namespace labdb
