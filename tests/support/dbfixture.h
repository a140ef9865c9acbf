#pragma once
// Fresh databases for tests: a temporary SQLite folder, or a uniquely named database on the
// PostgreSQL server named by CORVANE_TEST_PG (a libpq connection string).

#include <labdb/driver.h>
#include <labdb/session.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

namespace testsupport {

enum class Backend { Sqlite, Postgres };
std::string backendName(const ::testing::TestParamInfo<Backend> &info);
inline const auto kBothBackends = ::testing::Values(Backend::Sqlite, Backend::Postgres);

// True when the backend can be used; for PostgreSQL without a server it skips the test, or fails
// it when CORVANE_REQUIRE_PG is set (CI must never skip silently).
bool backendAvailable(Backend backend);

class TempDatabase {
public:
    explicit TempDatabase(Backend backend);
    ~TempDatabase();
    TempDatabase(const TempDatabase &) = delete;
    TempDatabase &operator=(const TempDatabase &) = delete;

    Backend backend() const { return m_backend; }
    labdb::Target target() const { return m_target; }
    // Another connection to the same database.
    std::unique_ptr<labdb::Driver> connect() const;
    // The "Data Source" value that names this database in a connection string.
    std::string dataSource() const;
    // A full connection string for this database, logging in as the test server's user.
    std::string connectionString() const;

private:
    Backend m_backend;
    labdb::Target m_target;
    std::string m_adminConninfo;
};

// Base for tests parameterised over both backends; skips PostgreSQL when no server is configured.
class BackendTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;
    void TearDown() override { db.reset(); }
    std::unique_ptr<TempDatabase> db;
};

// A laboratory server session on the fresh database (its schema brought up to date), for tests
// that drive the server through its command texts.
class SessionTest : public BackendTest {
protected:
    void SetUp() override;
    void TearDown() override;

    labdb::Driver &driver() { return session->driver(); }
    // A bare request, for tests whose own subject is not the request list (saves need one).
    void addRequest(const std::string &requestNum);
    labdb::ResultSet run(std::string_view commandText) { return session->execute(commandText); }
    labdb::ResultSet run(const labdb::CommandText &command) { return session->execute(command); }
    long long count(std::string_view commandText);
    // A cell as text, "<NULL>" for a Null, so comparisons say what they got.
    static std::string cell(const labdb::ResultSet &rs, std::size_t row, std::string_view column);

    std::unique_ptr<labdb::Session> session;
};

} // namespace testsupport
