#pragma once
// Scripted sessions against a demo database on each backend: the settings point at it, the
// supervisor codes are set, and `play` runs a labhost script and keeps its log for the checks.

#include "support/dbfixture.h"
#include "support/usersettings.h"

#include "scriptrunner.h"

#include <labdb/schema.h>
#include <labdb/session.h>

#include <QTextStream>

namespace testsupport {

class ScriptedSessionTest : public BackendTest {
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
    // The log lines that start with the prefix, in order.
    QStringList linesLogged(const QString &prefix) const
    {
        QStringList out;
        for (const QString &l : log.split(QLatin1Char('\n'))) {
            if (l.startsWith(prefix))
                out << l;
        }
        return out;
    }
    std::string value(const std::string &sql)
    {
        const labdb::ResultSet rs = check->execute(sql);
        return rs.rows.empty() || !rs.rows[0][0] ? std::string("<none>") : *rs.rows[0][0];
    }
    long long count(const std::string &sql) { return std::stoll(value(sql)); }

    QString pdfPath(const char *name) const { return settings.filePath(QLatin1String(name)); }

    UserSettings settings;
    std::unique_ptr<labdb::Session> check;
    QString log;
};

} // namespace testsupport
