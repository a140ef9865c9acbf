#pragma once
// The demonstration database of each backend, opened from its connection string as the session's
// shared connection, with every command the component sends recorded in order.

#include "support/dbfixture.h"
#include "support/qstringprint.h"

#include "session/sessioncontext.h"

#include <labdb/schema.h>

#include <QStringList>

namespace testsupport {

class DemoSessionTest : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (!db)
            return;
        labdb::loadDemoData(*db->connect());
        ctx = corvane::SessionContext();
        ctx.Connection = corvane::Connection::open(QString::fromStdString(db->connectionString()));
        ctx.Connection->setCommandObserver([this](const QString &text) { sent << text; });
        ctx.EmployeeCode = QStringLiteral("0102");
    }
    void TearDown() override
    {
        ctx = corvane::SessionContext();
        BackendTest::TearDown();
    }

    corvane::Connection &conn() { return *ctx.Connection; }
    labdb::Driver &driver() { return conn().session().driver(); }
    std::string table(labdb::Database where, const char *name) { return driver().qualify(where, name); }
    // Direct SQL, past the component and its record of commands.
    labdb::ResultSet sql(const std::string &statement, const std::vector<labdb::Value> &params = {})
    {
        return driver().run(statement, params);
    }
    long long count(labdb::Database where, const char *name, const std::string &condition = "1 = 1")
    {
        return std::stoll(*sql("SELECT COUNT(*) FROM " + table(where, name) + " WHERE " + condition).rows.at(0).at(0));
    }
    // A command of the component's own dialect, left out of the record.
    corvane::Recordset query(const QString &text)
    {
        const QStringList before = sent;
        corvane::Recordset rs = conn().query(corvane::Command::fromText(text));
        sent = before;
        return rs;
    }
    void execute(const QString &text) { conn().execute(corvane::Command::fromText(text)); }

    corvane::SessionContext &ctx = corvane::SessionContext::current();
    QStringList sent;
};

} // namespace testsupport
