#pragma once
// A session context on a fresh demo database of each backend, recording the text of every
// command it sends.

#include "host/qstringprint.h"
#include "support/dbfixture.h"

#include "services/logbook.h"
#include "session/sessioncontext.h"

#include <labdb/schema.h>
#include <labdb/session.h>

#include <QStringList>

class DemoSessionTest : public testsupport::BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (!db)
            return;
        auto driver = db->connect();
        labdb::loadDemoData(*driver);
        ctx.Connection = std::make_unique<corvane::Connection>(std::move(driver));
        ctx.Connection->setCommandObserver([this](const QString &text) { sent << text; });
        ctx.EmployeeCode = QStringLiteral("0102");
    }
    void TearDown() override
    {
        ctx.Connection.reset();
        BackendTest::TearDown();
    }

    labdb::Driver &driver() { return ctx.Connection->session().driver(); }
    std::string table(labdb::Database where, const char *name) { return driver().qualify(where, name); }
    labdb::ResultSet sql(const std::string &statement, const std::vector<labdb::Value> &params = {})
    {
        return driver().run(statement, params);
    }
    long long count(labdb::Database where, const char *name, const std::string &condition = "1 = 1")
    {
        return std::stoll(*sql("SELECT COUNT(*) FROM " + table(where, name) + " WHERE " + condition).rows.at(0).at(0));
    }
    // The logbook decision of a save with fixed dates, in a transaction of its own.
    int saveLogbook(const QString &requestNum, const QDateTime &submitted, const QDateTime &finished,
                    const corvane::LogbookExtra &extra = {})
    {
        ctx.Connection->beginTrans();
        const int flag = corvane::SaveToLogbookIfFirst(*ctx.Connection, requestNum, ctx.EmployeeCode, submitted,
                                                       finished, QStringLiteral("A-0311"), extra);
        ctx.Connection->commitTrans();
        return flag;
    }

    corvane::SessionContext ctx;
    QStringList sent;
};
