#pragma once
// A laboratory server session on a fresh database of each backend, for tests that drive the
// server through its command texts. PostgreSQL instances skip without CORVANE_TEST_PG.

#include "support/dbfixture.h"

#include <labdb/schema.h>
#include <labdb/session.h>

#include <memory>
#include <string>
#include <string_view>

namespace labtest {

using testsupport::Backend;
using testsupport::backendName;
using testsupport::kBothBackends;

// A new connection to the database; the session it is given brings the schema up to date.
inline std::unique_ptr<labdb::Driver> freshDriver(const testsupport::TempDatabase &db)
{
    return db.connect();
}

class SessionTest : public testsupport::BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (!db)
            return;
        session = std::make_unique<labdb::Session>(freshDriver(*db));
    }
    void TearDown() override
    {
        session.reset();
        BackendTest::TearDown();
    }

    labdb::Driver &driver() { return session->driver(); }
    void loadDemo() { labdb::loadDemoData(driver()); }
    labdb::ResultSet run(std::string_view commandText) { return session->execute(commandText); }

    // A cell as text, "<NULL>" for a Null, so comparisons say what they got.
    static std::string cell(const labdb::ResultSet &rs, std::size_t row, std::string_view column)
    {
        const labdb::Value &v = rs.at(row, column);
        return v ? *v : std::string("<NULL>");
    }
    long long count(std::string_view commandText)
    {
        return std::stoll(run(commandText).rows.at(0).at(0).value());
    }

    std::unique_ptr<labdb::Session> session;
};

} // namespace labtest
