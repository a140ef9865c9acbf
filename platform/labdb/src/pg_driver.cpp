// PostgreSQL backend: one database, one schema per laboratory database. Values travel as real
// protocol parameters of named prepared statements.

#include "labdb/driver.h"

#include "columns.h"

#include <libpq-fe.h>

#include <memory>
#include <unordered_map>

namespace labdb {

namespace {

using columns::columnConstraintSql;

// The server clock, unless a test or a scripted run pinned it for this session.
constexpr const char *kNowExpr =
    "coalesce(nullif(current_setting('corvane.clock', true), '')::timestamp(0), localtimestamp(0))";

std::string columnTypeSql(ColType type)
{
    switch (type) {
    case ColType::Text:
        return "public.citext"; // case-insensitive like the original server's collation
    case ColType::Int:
        return "integer";
    case ColType::Real:
        return "double precision";
    case ColType::DateTime:
        return "timestamp(0)";
    case ColType::Serial:
        return "bigserial";
    }
    return "text";
}

// "?" placeholders become $1, $2 ... outside quoted text.
std::string numberedPlaceholders(const std::string &sql)
{
    std::string out;
    out.reserve(sql.size() + 8);
    int n = 0;
    char quote = 0;
    for (char c : sql) {
        if (quote) {
            if (c == quote)
                quote = 0;
            out.push_back(c);
        } else if (c == '\'' || c == '"') {
            quote = c;
            out.push_back(c);
        } else if (c == '?') {
            out += "$" + std::to_string(++n);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

struct ResultDeleter {
    void operator()(PGresult *r) const { PQclear(r); }
};
using ResultPtr = std::unique_ptr<PGresult, ResultDeleter>;

class PgDriver final : public Driver {
public:
    explicit PgDriver(const Target &t)
    {
        const char *keys[] = {"host", "port", "dbname", "user", "password", "application_name", "connect_timeout",
                              "client_encoding", nullptr};
        const std::string dbname = t.database.empty() ? std::string("corvane") : t.database;
        const char *values[] = {t.host.empty() ? nullptr : t.host.c_str(),
                                t.port.empty() ? nullptr : t.port.c_str(),
                                dbname.c_str(),
                                t.user.empty() ? nullptr : t.user.c_str(),
                                t.password.empty() ? nullptr : t.password.c_str(),
                                "corvane",
                                "10",
                                "UTF8",
                                nullptr};
        m_conn = PQconnectdbParams(keys, values, 0);
        if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
            // libpq's message never contains the password.
            const std::string msg = m_conn ? PQerrorMessage(m_conn) : "out of memory";
            PQfinish(m_conn);
            m_conn = nullptr;
            throw DbError("Cannot connect to the laboratory database server: " + trimmed(msg),
                          DbError::Kind::Connection);
        }
        PQsetNoticeProcessor(m_conn, [](void *, const char *) {}, nullptr);
        configureSession();
        ensureSchemas();
    }

    ~PgDriver() override
    {
        if (m_conn)
            PQfinish(m_conn); // the server rolls back whatever was left open
    }

    Backend backend() const override { return Backend::Postgres; }

    ResultSet run(const std::string &sql, const std::vector<Value> &params) override
    {
        reconnectIfLost();
        faultBeforeStatement();
        const std::string &name = prepared(sql, static_cast<int>(params.size()));
        std::vector<const char *> values(params.size());
        std::vector<int> lengths(params.size());
        for (std::size_t i = 0; i < params.size(); ++i) {
            values[i] = params[i] ? params[i]->c_str() : nullptr;
            lengths[i] = params[i] ? static_cast<int>(params[i]->size()) : 0;
        }
        ResultPtr res(PQexecPrepared(m_conn, name.c_str(), static_cast<int>(params.size()), values.data(),
                                     lengths.data(), nullptr, 0));
        check(res.get());

        ResultSet rs;
        const int ncol = PQnfields(res.get());
        const int nrow = PQntuples(res.get());
        rs.columns.reserve(static_cast<std::size_t>(ncol));
        for (int c = 0; c < ncol; ++c)
            rs.columns.emplace_back(PQfname(res.get(), c));
        rs.rows.reserve(static_cast<std::size_t>(nrow));
        for (int r = 0; r < nrow; ++r) {
            Row row;
            row.reserve(static_cast<std::size_t>(ncol));
            for (int c = 0; c < ncol; ++c) {
                if (PQgetisnull(res.get(), r, c))
                    row.emplace_back(std::nullopt);
                else
                    row.emplace_back(std::in_place, PQgetvalue(res.get(), r, c),
                                     static_cast<std::size_t>(PQgetlength(res.get(), r, c)));
            }
            rs.rows.push_back(std::move(row));
        }
        const char *affected = PQcmdTuples(res.get());
        rs.rowsAffected = (affected && *affected) ? std::stoll(affected) : -1;
        return rs;
    }

    void runScript(const std::string &sql) override
    {
        reconnectIfLost();
        faultBeforeStatement();
        ResultPtr res(PQexec(m_conn, sql.c_str()));
        check(res.get());
    }

    void begin() override
    {
        faultOnBegin();
        runScript("BEGIN");
        m_transaction = true;
    }
    void commit() override
    {
        runScript("COMMIT");
        m_transaction = false;
        faultOnEnd();
    }
    void rollback() override
    {
        faultOnEnd();
        const bool open = inTransaction();
        m_transaction = false;
        // A lost connection took its transaction with it; there is nothing to roll back.
        if (open && PQstatus(m_conn) == CONNECTION_OK)
            runScript("ROLLBACK");
    }
    // Still true after the connection died inside it, until the caller rolls back.
    bool inTransaction() const override
    {
        const PGTransactionStatusType s = PQtransactionStatus(m_conn);
        return m_transaction || s == PQTRANS_INTRANS || s == PQTRANS_INERROR || s == PQTRANS_ACTIVE;
    }

    std::string qualify(Database db, std::string_view object) const override
    {
        return std::string(databaseName(db)) + "." + std::string(object);
    }

    std::string qualifyFunction(Database db, std::string_view function) const override
    {
        return qualify(db, function);
    }

    std::string nowExpr() const override { return kNowExpr; }
    std::string formatDateExpr(const std::string &expr, std::string_view pattern) const override
    {
        std::string picture;
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            if (pattern[i] != '%' || i + 1 == pattern.size()) {
                picture += pattern[i];
                continue;
            }
            switch (pattern[++i]) {
            case 'Y': picture += "YYYY"; break;
            case 'y': picture += "YY"; break;
            case 'm': picture += "MM"; break;
            case 'd': picture += "DD"; break;
            case 'H': picture += "HH24"; break;
            case 'M': picture += "MI"; break;
            case 'S': picture += "SS"; break;
            default: picture += pattern[i]; break;
            }
        }
        return "to_char(CAST(" + expr + " AS timestamp), '" + picture + "')";
    }
    std::string toDateTimeExpr(const std::string &expr, bool dateOnly) const override
    {
        return "CAST(" + expr + (dateOnly ? " AS date)" : " AS timestamp(0))");
    }

    void pinClock(const std::optional<std::string> &isoTime) override
    {
        m_pinned = isoTime;
        run("SELECT set_config('corvane.clock', ?, false)", {isoTime.value_or(std::string())});
    }

    std::string lockClause() const override { return " FOR UPDATE"; }

    std::string addColumnSql(Database db, std::string_view table, const ColumnDef &col) const override
    {
        return "ALTER TABLE " + qualify(db, table) + " ADD COLUMN IF NOT EXISTS " + col.name + " " +
               columnTypeSql(col.type) + columnConstraintSql(col);
    }

    std::string createIndexSql(Database db, std::string_view table, std::string_view name,
                               std::string_view columns) const override
    {
        return "CREATE INDEX IF NOT EXISTS " + std::string(name) + " ON " + qualify(db, table) + " (" +
               std::string(columns) + ")";
    }

    void lockKey(const std::string &key) override
    {
        run("SELECT pg_advisory_xact_lock(hashtextextended(?, 0))", {key});
    }

    std::string createTableSql(const TableDef &table) const override
    {
        std::string sql = "CREATE TABLE IF NOT EXISTS " + qualify(table.db, table.name) + " (";
        bool first = true;
        for (const ColumnDef &col : table.columns) {
            if (!first)
                sql += ", ";
            first = false;
            sql += col.name + " " + columnTypeSql(col.type);
            if (col.type == ColType::Serial && table.primaryKey.empty())
                sql += " PRIMARY KEY";
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
        return !run("SELECT 1 FROM information_schema.tables WHERE table_schema = ? AND table_name = lower(?)",
                    {std::string(databaseName(db)), std::string(table)})
                    .rows.empty();
    }

    long long sessionId() override { return PQbackendPID(m_conn); }

protected:
    void loseConnection() override
    {
        // The server ends this session, as a restart or a broken network would; the statement
        // that was due then fails on its own.
        ResultPtr res(PQexec(m_conn, "SELECT pg_terminate_backend(pg_backend_pid())"));
    }

private:
    void configureSession()
    {
        ResultPtr res(PQexec(m_conn, "SET DateStyle = 'ISO, MDY'; SET search_path = laboratory, public"));
        check(res.get());
    }

    // A connection lost between transactions (server restarted, network back) is opened again, so
    // the workstation carries on; one lost inside a transaction stays failed until it is rolled back.
    void reconnectIfLost()
    {
        if (PQstatus(m_conn) == CONNECTION_OK || m_transaction)
            return;
        PQreset(m_conn);
        if (PQstatus(m_conn) != CONNECTION_OK)
            throw DbError("The connection to the laboratory database server was lost and could not be opened "
                          "again: " + trimmed(PQerrorMessage(m_conn)),
                          DbError::Kind::Connection);
        m_cache.clear();
        configureSession();
        if (m_pinned) {
            const char *values[] = {m_pinned->c_str()};
            ResultPtr res(PQexecParams(m_conn, "SELECT set_config('corvane.clock', $1, false)", 1, nullptr, values,
                                       nullptr, nullptr, 0));
            check(res.get());
        }
    }

    static std::string trimmed(std::string s)
    {
        while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
            s.pop_back();
        return s;
    }

    void ensureSchemas()
    {
        // Several workstations may start at once against a new database: serialise the set-up.
        runScript("BEGIN; SELECT pg_advisory_xact_lock(7355608);"
                  "CREATE EXTENSION IF NOT EXISTS citext WITH SCHEMA public;"
                  "CREATE SCHEMA IF NOT EXISTS laboratory; CREATE SCHEMA IF NOT EXISTS patient_data;"
                  "CREATE SCHEMA IF NOT EXISTS build_file; CREATE SCHEMA IF NOT EXISTS inventory; COMMIT");
    }

    void check(PGresult *res)
    {
        const ExecStatusType st = res ? PQresultStatus(res) : PGRES_FATAL_ERROR;
        if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK)
            return;
        if (PQstatus(m_conn) != CONNECTION_OK) {
            m_cache.clear();
            throw DbError("The connection to the laboratory database server was lost: " +
                              trimmed(PQerrorMessage(m_conn)),
                          DbError::Kind::Connection);
        }
        const char *state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
        const char *primary = res ? PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
        const std::string message = primary ? primary : trimmed(PQerrorMessage(m_conn));
        const std::string code = state ? state : "";
        DbError::Kind kind = DbError::Kind::General;
        if (code.rfind("23", 0) == 0)
            kind = DbError::Kind::Constraint;
        else if (code == "42601" || code == "42P01" || code == "42703" || code == "42883")
            kind = DbError::Kind::Syntax;
        else if (code == "40P01" || code == "55P03" || code == "40001")
            kind = DbError::Kind::Busy;
        else if (code.rfind("08", 0) == 0 || code == "57P01")
            kind = DbError::Kind::Connection;
        throw DbError(message, kind);
    }

    const std::string &prepared(const std::string &sql, int nParams)
    {
        if (auto it = m_cache.find(sql); it != m_cache.end())
            return it->second;
        std::string name = "corvane_" + std::to_string(++m_counter);
        ResultPtr res(PQprepare(m_conn, name.c_str(), numberedPlaceholders(sql).c_str(), nParams, nullptr));
        check(res.get());
        return m_cache.emplace(sql, std::move(name)).first->second;
    }

    PGconn *m_conn = nullptr;
    bool m_transaction = false;
    std::optional<std::string> m_pinned;
    std::unordered_map<std::string, std::string> m_cache;
    int m_counter = 0;
};

} // namespace

std::unique_ptr<Driver> openPostgres(const Target &target)
{
    return std::make_unique<PgDriver>(target);
}

} // namespace labdb
