// The command layer against the bare client libraries: the same logbook lookup, prepared once and
// run many times, through the interpreter and directly. PostgreSQL runs when CORVANE_TEST_PG is set.

#include "support/dbfixture.h"

#include <labdb/session.h>

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <filesystem>

namespace {

constexpr const char *kRequest = "R-BENCH-0042";

struct Fixture {
    explicit Fixture(testsupport::Backend b) : db(b)
    {
        session = std::make_unique<labdb::Session>(db.connect());
        session->execute("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R-BENCH-0042', '', 'E1','03/07/2026 "
                         "2:05:00 PM', '03/07/2026 2:05:00 PM','ACC-1'");
    }
    testsupport::TempDatabase db;
    std::unique_ptr<labdb::Session> session;
};

labdb::CommandText logbookLookup()
{
    labdb::CommandText c("Select * from Laboratory..tbLabLogbook where RequestNum = '");
    c.value(std::string(kRequest)).fixed("'");
    return c;
}

std::size_t consume(const labdb::ResultSet &rs)
{
    std::size_t n = 0;
    for (const auto &row : rs.rows)
        for (const auto &v : row)
            n += v ? v->size() : 0;
    return n;
}

void BM_Sqlite_CommandLayer(benchmark::State &state)
{
    Fixture f(testsupport::Backend::Sqlite);
    for (auto _ : state)
        benchmark::DoNotOptimize(consume(f.session->execute(logbookLookup())));
}

void BM_Sqlite_Direct(benchmark::State &state)
{
    Fixture f(testsupport::Backend::Sqlite);
    sqlite3 *db = nullptr;
    sqlite3_open_v2((f.db.target().folder + "/laboratory.db").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v3(db, "SELECT * FROM main.tbLabLogbook WHERE RequestNum = ?", -1, SQLITE_PREPARE_PERSISTENT,
                       &stmt, nullptr);
    const std::string key = kRequest;
    for (auto _ : state) {
        // The same work a caller needs: bind, step, copy every value out.
        sqlite3_bind_text(stmt, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
        std::vector<std::vector<std::optional<std::string>>> rows;
        const int n = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::vector<std::optional<std::string>> row;
            for (int c = 0; c < n; ++c) {
                if (sqlite3_column_type(stmt, c) == SQLITE_NULL)
                    row.emplace_back();
                else
                    row.emplace_back(std::in_place, reinterpret_cast<const char *>(sqlite3_column_text(stmt, c)),
                                     static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)));
            }
            rows.push_back(std::move(row));
        }
        sqlite3_reset(stmt);
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

bool havePg(benchmark::State &state)
{
    if (testsupport::backendAvailable(testsupport::Backend::Postgres))
        return true;
    state.SkipWithError("CORVANE_TEST_PG not set");
    return false;
}

void BM_Postgres_CommandLayer(benchmark::State &state)
{
    if (!havePg(state))
        return;
    Fixture f(testsupport::Backend::Postgres);
    for (auto _ : state)
        benchmark::DoNotOptimize(consume(f.session->execute(logbookLookup())));
}

void BM_Postgres_Direct(benchmark::State &state)
{
    if (!havePg(state))
        return;
    Fixture f(testsupport::Backend::Postgres);
    const labdb::Target t = f.db.target();
    const std::string conninfo = "host=" + t.host + " port=" + t.port + " dbname=" + t.database +
                                 (t.user.empty() ? "" : " user=" + t.user);
    PGconn *c = PQconnectdb(conninfo.c_str());
    PQclear(PQexec(c, "SET search_path = laboratory, public"));
    PQclear(PQprepare(c, "lookup", "SELECT * FROM laboratory.tbLabLogbook WHERE RequestNum = $1", 1, nullptr));
    const char *values[] = {kRequest};
    for (auto _ : state) {
        PGresult *r = PQexecPrepared(c, "lookup", 1, values, nullptr, nullptr, 0);
        std::vector<std::vector<std::optional<std::string>>> rows;
        for (int i = 0; i < PQntuples(r); ++i) {
            std::vector<std::optional<std::string>> row;
            for (int j = 0; j < PQnfields(r); ++j) {
                if (PQgetisnull(r, i, j))
                    row.emplace_back();
                else
                    row.emplace_back(std::in_place, PQgetvalue(r, i, j), static_cast<std::size_t>(PQgetlength(r, i, j)));
            }
            rows.push_back(std::move(row));
        }
        PQclear(r);
        benchmark::DoNotOptimize(rows);
    }
    PQfinish(c);
}

BENCHMARK(BM_Sqlite_Direct);
BENCHMARK(BM_Sqlite_CommandLayer);
BENCHMARK(BM_Postgres_Direct);
BENCHMARK(BM_Postgres_CommandLayer);

} // namespace

BENCHMARK_MAIN();
