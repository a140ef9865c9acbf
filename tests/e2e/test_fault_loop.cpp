// Every statement of every screen's save fails in turn, once with a server error and once with a
// lost connection. After each failure nothing of the save is stored, the technologist was told once,
// and the screen closed; when the loop runs past the last statement the save stores exactly what a
// save that never failed stores. Screens and requests are found from the demo data through the
// dispatch and the demo's openings by selector or name, so a new screen with a demo request joins
// without new test code, and one without fails.

#include "scriptedsession.h"

#include "host/screenfactory.h"

#include <labdb/schema.h>

#include <QDir>
#include <QRegularExpression>

#include <map>
#include <set>

namespace {

using e2e::SaveCase;
using e2e::ScriptedSessionTest;

// The whole database as text: table -> sorted rows. For comparing two databases, serial columns
// are left out (a rolled-back insert still uses up a sequence number on PostgreSQL) and times are
// masked: the workstation's own clock goes into the logbook and the audit trail's command texts.
using Snapshot = std::map<std::string, std::vector<std::string>>;

Snapshot snapshot(labdb::Driver &driver, bool exact)
{
    static const QRegularExpression workstationTime(QStringLiteral(R"(\d{1,2}/\d{1,2}/\d{4} \d{1,2}:\d{2}(:\d{2})? [AP]M|\d{4}-\d{2}-\d{2} \d{2}:\d{2}(:\d{2})?)"));
    Snapshot out;
    for (const labdb::TableDef &table : labdb::tableDefinitions()) {
        std::string columns;
        for (const labdb::ColumnDef &c : table.columns) {
            if (c.type == labdb::ColType::Serial && !exact)
                continue;
            columns += (columns.empty() ? "" : ", ") + c.name;
        }
        const labdb::ResultSet rs = driver.run("SELECT " + columns + " FROM " + driver.qualify(table.db, table.name), {});
        std::vector<std::string> &rows = out[std::string(labdb::databaseName(table.db)) + "." + table.name];
        for (const labdb::Row &row : rs.rows) {
            std::string line;
            for (const labdb::Value &v : row)
                line += (v ? *v : std::string("<NULL>")) + '\x1f';
            if (!exact)
                line = QString::fromStdString(line).replace(workstationTime, QStringLiteral("<now>")).toStdString();
            rows.push_back(std::move(line));
        }
        std::sort(rows.begin(), rows.end());
    }
    return out;
}

// The first difference, for the failure message.
std::string difference(const Snapshot &expected, const Snapshot &actual)
{
    for (const auto &[table, rows] : expected) {
        const auto it = actual.find(table);
        if (it == actual.end() || it->second == rows)
            continue;
        std::vector<std::string> gone, added;
        std::set_difference(rows.begin(), rows.end(), it->second.begin(), it->second.end(), std::back_inserter(gone));
        std::set_difference(it->second.begin(), it->second.end(), rows.begin(), rows.end(), std::back_inserter(added));
        std::string text = table + ": " + std::to_string(gone.size()) + " row(s) missing, " +
                           std::to_string(added.size()) + " row(s) extra";
        if (!added.empty())
            text += "; e.g. " + added.front();
        else if (!gone.empty())
            text += "; e.g. missing " + gone.front();
        return text;
    }
    return {};
}

class FaultLoopTest : public ScriptedSessionTest {
protected:
    bool databaseIntact()
    {
        if (GetParam() != testsupport::Backend::Sqlite)
            return true; // the server checks its own pages; the snapshot read every table
        const labdb::ResultSet rs = check->driver().run("PRAGMA integrity_check", {});
        return rs.rows.size() == 1 && rs.rows[0][0] && *rs.rows[0][0] == "ok";
    }

    // Fails statement 1, 2, 3 ... of the save until it runs through; returns the statements seen.
    int breakEveryStatement(const SaveCase &c, const char *kind)
    {
        const Snapshot before = snapshot(check->driver(), true);
        for (int n = 1; n < 500; ++n) {
            SCOPED_TRACE(QStringLiteral("%1 on %2, statement %3 (%4)").arg(c.request, c.screen).arg(n).arg(QLatin1String(kind)).toStdString());
            play(saveScript(c, QStringLiteral("fault %1 %2").arg(n).arg(QLatin1String(kind))));
            labdb::disarmFault();
            if (!labdb::faultStruck())
                return n - 1;
            const QString afterFault = log.section(QStringLiteral("FAULT statement"), 1);
            const QStringList messages = afterFault.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^MSG ")));
            EXPECT_EQ(messages.size(), 1) << log.toStdString();
            if (messages.size() == 1) {
                EXPECT_TRUE(messages[0].contains(QLatin1String("Data was not saved! Error: ["))) << messages[0].toStdString();
                if (QLatin1String(kind) == QLatin1String("error"))
                    EXPECT_TRUE(messages[0].contains(QStringLiteral("Injected fault at statement %1 ").arg(n)))
                        << messages[0].toStdString();
                else
                    EXPECT_TRUE(messages[0].contains(QLatin1String("connection"), Qt::CaseInsensitive))
                        << messages[0].toStdString();
            }
            EXPECT_FALSE(log.contains(QLatin1String("\nERROR "))) << log.toStdString();
            EXPECT_FALSE(log.contains(QLatin1String("SHOW frmMedTech"))) << log.toStdString();
            EXPECT_FALSE(log.contains(QStringLiteral("script ended while %1").arg(c.screen))) << log.toStdString();
            const std::string diff = difference(before, snapshot(check->driver(), true));
            EXPECT_EQ(diff, "");
            EXPECT_TRUE(databaseIntact());
            if (::testing::Test::HasFailure())
                return -1;
        }
        ADD_FAILURE() << "the save never ran through";
        return -1;
    }
};

TEST_P(FaultLoopTest, AFaultAtAnyStatementOfAnySaveLosesNothingAndStoresNothingTwice)
{
    if (!db)
        return;
    // A second database takes the saves that never fail: the reference for what one save stores.
    testsupport::TempDatabase reference(GetParam());
    labdb::loadDemoData(*reference.connect());
    const auto useDatabase = [&](const testsupport::TempDatabase &target) { settings.storeConnection(target); };

    testsupport::TempDatabase scratch(GetParam());
    labdb::loadDemoData(*scratch.connect());
    useDatabase(scratch);
    const std::vector<SaveCase> cases = discoverSaves(scratch);

    std::set<QString> screens;
    for (const SaveCase &c : cases)
        screens.insert(c.screen);
    // The loop is only as good as what it found: every screen of this build must be in it, so a
    // screen that lands without a demo request the loop can save fails here.
    for (const QString &registered : corvane::ScreenFactory::registeredScreens()) {
        if (!e2e::kChoosers.count(registered)) {
            EXPECT_TRUE(screens.count(registered)) << registered.toStdString() << " has no save in the fault loop";
        }
    }

    int statements = 0;
    QStringList figures;
    for (const SaveCase &c : cases) {
        for (const char *kind : {"error", "lost"}) {
            useDatabase(reference);
            play(saveScript(c, {}));
            const Snapshot expected = snapshot(*reference.connect(), false);

            useDatabase(*db);
            const int seen = breakEveryStatement(c, kind);
            if (seen < 0)
                return;
            ASSERT_GT(seen, 0) << c.request.toStdString() << " saved without a transaction";
            statements += seen;
            figures << QStringLiteral("%1 %2 %3:%4").arg(c.screen, c.request, QLatin1String(kind)).arg(seen);
            // Opened again after all those failures, the save stores what one clean save stores.
            EXPECT_EQ(difference(expected, snapshot(check->driver(), false)), "")
                << c.request.toStdString() << " " << kind;
            EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = '" + c.request.toStdString() + "'"), 1);
        }
    }
    // Nothing was typed in any of those saves, so no draft may have been kept for a technologist.
    EXPECT_EQ(QDir(settings.filePath(QStringLiteral("Corvane drafts"))).entryList(QDir::Files).join(QLatin1Char(' ')).toStdString(), "");
    std::cout << "fault loop: " << cases.size() << " saves on " << screens.size() << " screens, " << statements
              << " statements failed in turn\n  " << figures.join(QStringLiteral("\n  ")).toStdString() << "\n";
}

// The connection drops during a save; the same component, asked for the request again, reconnects
// on its own and the second save goes through, as the technologist expects after an outage.
TEST_P(FaultLoopTest, AComponentReconnectsAfterItsConnectionWasLost)
{
    if (!db)
        return;
    const SaveCase aptt{QStringLiteral("R2603058"), QStringLiteral("frmAPTT"), 0, false, {}, {}, {}};
    const QString firstTry = saveScript(aptt, QStringLiteral("fault 3 lost"));
    const QString again = QStringLiteral("open R2603058\nfrmAPTT: click cmdSave\nanswer OK\n");
    play(firstTry + again);
    labdb::disarmFault();
    EXPECT_EQ(log.count(QLatin1String("Data was not saved! Error: [")), 1) << log.toStdString();
    const QString afterOutage = log.section(QStringLiteral("Data was not saved!"), 1);
    EXPECT_TRUE(afterOutage.contains(QLatin1String("SHOW frmMedTech"))) << log.toStdString();
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603058'"), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, FaultLoopTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
