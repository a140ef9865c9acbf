#include "support/dbfixture.h"

#include <libpq-fe.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace testsupport {

namespace {

const char *pgConninfo()
{
    const char *v = std::getenv("CORVANE_TEST_PG");
    return v && *v ? v : nullptr;
}

void adminExec(const std::string &conninfo, const std::string &sql)
{
    PGconn *c = PQconnectdb(conninfo.c_str());
    if (PQstatus(c) != CONNECTION_OK) {
        const std::string msg = PQerrorMessage(c);
        PQfinish(c);
        throw std::runtime_error("cannot reach the test PostgreSQL server: " + msg);
    }
    PGresult *r = PQexec(c, sql.c_str());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    const std::string msg = PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
    if (!ok)
        throw std::runtime_error(sql + ": " + msg);
}

std::string uniqueSuffix()
{
    static std::atomic<int> counter{0};
    return std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

} // namespace

std::string backendName(const ::testing::TestParamInfo<Backend> &info)
{
    return info.param == Backend::Sqlite ? "SQLite" : "PostgreSQL";
}

bool backendAvailable(Backend backend)
{
    return backend == Backend::Sqlite || pgConninfo() != nullptr;
}

TempDatabase::TempDatabase(Backend backend) : m_backend(backend)
{
    if (backend == Backend::Sqlite) {
        const auto dir = std::filesystem::temp_directory_path() / ("corvane_test_" + uniqueSuffix());
        std::filesystem::remove_all(dir);
        m_target.backend = labdb::Backend::Sqlite;
        m_target.folder = dir.string();
        return;
    }
    m_adminConninfo = pgConninfo();
    PQconninfoOption *opts = PQconninfoParse(m_adminConninfo.c_str(), nullptr);
    if (!opts)
        throw std::runtime_error("CORVANE_TEST_PG is not a valid connection string");
    m_target.backend = labdb::Backend::Postgres;
    for (PQconninfoOption *o = opts; o->keyword; ++o) {
        if (!o->val)
            continue;
        const std::string key = o->keyword;
        if (key == "host")
            m_target.host = o->val;
        else if (key == "port")
            m_target.port = o->val;
        else if (key == "user")
            m_target.user = o->val;
        else if (key == "password")
            m_target.password = o->val;
    }
    PQconninfoFree(opts);
    m_target.database = "corvane_t_" + uniqueSuffix();
    adminExec(m_adminConninfo, "CREATE DATABASE " + m_target.database);
}

TempDatabase::~TempDatabase()
{
    try {
        if (m_backend == Backend::Sqlite)
            std::filesystem::remove_all(m_target.folder);
        else
            adminExec(m_adminConninfo, "DROP DATABASE IF EXISTS " + m_target.database + " WITH (FORCE)");
    } catch (...) {
    }
}

std::unique_ptr<labdb::Driver> TempDatabase::connect() const
{
    return labdb::openDriver(m_target, true);
}

std::string TempDatabase::dataSource() const
{
    if (m_backend == Backend::Sqlite)
        return "file://" + m_target.folder;
    return m_target.host + ":" + m_target.port + "/" + m_target.database;
}

std::string TempDatabase::connectionString() const
{
    std::string login = m_target.user.empty() ? ";Integrated Security=SSPI"
                                              : ";User ID=" + m_target.user + ";Password =" + m_target.password;
    return "Provider=SQLOLEDB.8" + login + ";Persist Security Info=False;Initial Catalog=LABORATORY;Data Source=" +
           dataSource();
}

void BackendTest::SetUp()
{
    if (!backendAvailable(GetParam())) {
        if (std::getenv("CORVANE_REQUIRE_PG"))
            FAIL() << "CORVANE_REQUIRE_PG is set but CORVANE_TEST_PG names no server";
        GTEST_SKIP() << "no PostgreSQL server configured (CORVANE_TEST_PG)";
    }
    db = std::make_unique<TempDatabase>(GetParam());
}

void SessionTest::SetUp()
{
    BackendTest::SetUp();
    if (db)
        session = std::make_unique<labdb::Session>(db->connect());
}

void SessionTest::addRequest(const std::string &requestNum)
{
    const std::string master = driver().qualify(labdb::Database::Laboratory, "tbLabMaster");
    if (driver().run("SELECT 1 FROM " + master + " WHERE RequestNum = ?", {requestNum}).rows.empty())
        driver().run("INSERT INTO " + master + " (RequestNum) VALUES (?)", {requestNum});
}

void SessionTest::TearDown()
{
    session.reset();
    BackendTest::TearDown();
}

long long SessionTest::count(std::string_view commandText)
{
    return std::stoll(run(commandText).rows.at(0).at(0).value());
}

std::string SessionTest::cell(const labdb::ResultSet &rs, std::size_t row, std::string_view column)
{
    const labdb::Value &v = rs.at(row, column);
    return v ? *v : std::string("<NULL>");
}

} // namespace testsupport
