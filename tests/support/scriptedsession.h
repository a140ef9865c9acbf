#pragma once
// Scripted sessions on the demonstration database of each backend, as a laboratory validates its
// result entry: a script runs through labhost's runner (as the host opens requests), its log is
// kept, and the database is checked through a connection of its own.

#include "support/usersettings.h"

#include "scriptrunner.h"

#include <labdb/schema.h>
#include <labdb/session.h>

#include <QTextStream>

#include <memory>

namespace testsupport {

class ScriptedSession : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (!db)
            return;
        labdb::loadDemoData(*db->connect());
        ASSERT_TRUE(settings.isValid());
        settings.storeConnection(*db);
        qputenv("CORVANE_SUPERVISOR_CODES", "1,1234567");
        check = std::make_unique<labdb::Session>(db->connect());
    }
    void TearDown() override
    {
        check.reset();
        BackendTest::TearDown();
    }

    // Runs a script; the log is kept for the assertions and shown when a test fails.
    bool play(const QString &script)
    {
        log.clear();
        QTextStream out(&log);
        labhost::ScriptRunner runner(out);
        const bool ok = runner.run(script);
        out.flush();
        return ok;
    }
    bool logged(const QString &line) const { return log.split(QLatin1Char('\n')).contains(line); }
    int countLogged(const QString &prefix) const
    {
        int n = 0;
        for (const QString &l : log.split(QLatin1Char('\n')))
            n += l.startsWith(prefix) ? 1 : 0;
        return n;
    }
    // The first cell of a query's first row, "<none>" for no row or a Null.
    std::string value(const std::string &sql)
    {
        const labdb::ResultSet rs = check->execute(sql);
        return rs.rows.empty() || !rs.rows[0][0] ? std::string("<none>") : *rs.rows[0][0];
    }
    long long count(const std::string &sql) { return std::stoll(value(sql)); }

    QString pdfPath(const char *name) const { return settings.filePath(QLatin1String(name)); }

    testsupport::UserSettings settings;
    std::unique_ptr<labdb::Session> check;
    QString log;
};

} // namespace testsupport
