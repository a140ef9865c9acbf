#pragma once
// A demonstration database on either backend, opened as the session's shared connection, with
// every command the component sends recorded in order.

#include "services/dialogscript.h"
#include "support/dbfixture.h"

#include "services/database/connection.h"
#include "session/sessioncontext.h"

#include <labdb/schema.h>

#include <QStringList>

namespace testsupport {

class SessionDatabaseTest : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (!db)
            return;
        {
            auto driver = db->connect();
            labdb::upgradeSchema(*driver);
            labdb::loadDemoData(*driver);
        }
        corvane::SessionContext &ctx = corvane::SessionContext::current();
        ctx.Connection = corvane::Connection::open(QString::fromStdString(db->connectionString()));
        ctx.Connection->setCommandObserver([this](const QString &text) { commands.append(text); });
        ctx.EmployeeCode = QStringLiteral("0102");
    }
    void TearDown() override
    {
        corvane::SessionContext &ctx = corvane::SessionContext::current();
        ctx.SearchCodes.reset();
        ctx.Connection.reset();
        BackendTest::TearDown();
    }

    corvane::Connection &conn() { return corvane::SessionContext::current().db(); }
    // Runs a command outside the recorded ones.
    corvane::Recordset query(const QString &text)
    {
        const QStringList before = commands;
        corvane::Recordset rs = conn().query(corvane::Command::fromText(text));
        commands = before;
        return rs;
    }

    QStringList commands;
};

} // namespace testsupport
