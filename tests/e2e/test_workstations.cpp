// Several workstations on one laboratory database: every change carries the employee who made it,
// and a save overtaken by another workstation's save is refused whole instead of overwriting it.

#include "scriptedsession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <thread>

namespace {

using e2e::ScriptedSessionTest;

const QString kRefused = QStringLiteral(
    "MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: [Request R2603001 was saved by 0101 "
    "(Castillo, Liza Marie) at 03/07/2026 02:05 PM on another workstation while this screen was open. Your "
    "entries were not saved; close and open the request again.] (critical)");

// A workstation of its own: labhost playing a script in a separate process, as at a site.
class Workstation {
public:
    Workstation(const QString &name, const QString &settingsDir, const QString &script) : m_name(name)
    {
        QFile f(QDir(settingsDir).filePath(name + QStringLiteral(".script")));
        if (!f.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the script");
        f.write(script.toUtf8());
        f.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), settingsDir); // the same per-user settings
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral(LABHOST_BINARY), {QStringLiteral("run"), f.fileName()});
    }
    // The log, once the workstation has finished.
    QString finish()
    {
        if (!m_process.waitForFinished(120000))
            m_process.kill();
        return QString::fromUtf8(m_process.readAll());
    }
    const QString &name() const { return m_name; }

private:
    QString m_name;
    QProcess m_process;
};

class WorkstationTest : public ScriptedSessionTest {
protected:
    QString file(const char *name) const { return settings.filePath(QLatin1String(name)); }
    int rowVersion() { return static_cast<int>(count("select RowVersion from laboratory..tbLabLogbook "
                                                     "where RequestNum = 'R2603001'")); }
    long long postings() { return count("select count(*) from inventory..tbInvStockCard where ReferenceNum = 'R2603001L'"); }
};

TEST_P(WorkstationTest, EveryChangeCarriesTheSignedInEmployee)
{
    ASSERT_TRUE(play(firstApttSave())) << log.toStdString();
    // A second employee at the same workstation: the component must not keep the first one's code.
    ASSERT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=1 EmployeeName="Supervisor"
open R2603001
frmAPTT: set txtResult(1) 13.1
frmAPTT: click cmdSave
frmMedTech: click FlatBttn1
)"))) << log.toStdString();

    const labdb::ResultSet audit =
        check->execute("select EmployeeCode, CommandText from laboratory..tbAuditTrail order by AuditID");
    std::map<std::string, std::vector<std::string>> byEmployee;
    for (const labdb::Row &row : audit.rows)
        byEmployee[row[0].value_or("<null>")].push_back(row[1].value_or(""));
    ASSERT_EQ(byEmployee.size(), 2u) << "only 0101 and 1 changed anything";
    const auto has = [&](const char *employee, const char *prefix) {
        for (const std::string &text : byEmployee[employee]) {
            if (text.rfind(prefix, 0) == 0)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(has("0101", "Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603001'"));
    EXPECT_TRUE(has("0101", "Laboratory..Lab_Save_APTT 0, 'R2603001'"));
    EXPECT_TRUE(has("0101", "Inventory.dbo.Drug_AddStockCard"));
    EXPECT_TRUE(has("1", "Laboratory..Lab_Save_APTT 1, 'R2603001'"));
    EXPECT_FALSE(has("0101", "Laboratory..Lab_Save_APTT 1"));

    EXPECT_EQ(value("select EmployeeCode from laboratory..tbLabResult where RequestNum = 'R2603001'"), "1");
    // Each save advanced the logbook row once and says who made it.
    EXPECT_EQ(rowVersion(), 2);
    EXPECT_EQ(value("select SavedBy from laboratory..tbLabLogbook where RequestNum = 'R2603001'"), "1");
}

// Two workstations have the request open; the first saves, then the second tries. The second must
// be refused with the first one's name, whether the request was new or already had a result.
TEST_P(WorkstationTest, ASaveOvertakenByAnotherWorkstationIsRefusedWhole)
{
    for (const bool stored : {false, true}) {
        SCOPED_TRACE(stored ? "both opened a stored result" : "both opened a new request");
        if (stored) {
            TearDown();
            SetUp();
            ASSERT_TRUE(play(QStringLiteral(R"(
clock 2026-03-07 13:00:00
session EmployeeCode=0101 CanVerify=true Clerk=false
open R2603001
frmAPTT: set txtAccNum A-1000
frmAPTT: set txtResult(1) 11.0
frmAPTT: click cmdSave
frmMedTech: close
)"))) << log.toStdString();
        }
        // Unsigned, the stored result is open to any med tech; B is a supervisor besides.
        const QString employeeB = stored ? QStringLiteral("1") : QStringLiteral("0102");
        const int versionBefore = stored ? rowVersion() : 0;
        const long long postingsBefore = postings();
        const long long auditsBefore = count("select count(*) from laboratory..tbAuditTrail");
        for (const char *f : {"b-open", "a-saved"})
            QFile::remove(file(f));

        Workstation b(QStringLiteral("B"), settings.filePath(QString()), QStringLiteral(R"(
clock 2026-03-07 14:07:00
session EmployeeCode=%3 CanVerify=true Clerk=false VerifyMode=false
open R2603001
frmAPTT: set txtAccNum B-2002
frmAPTT: set txtResult(1) 99.9
touch "%1"
pause until "%2"
frmAPTT: click cmdSave
answer OK
)").arg(file("b-open"), file("a-saved"), employeeB));
        Workstation a(QStringLiteral("A"), settings.filePath(QString()), QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true Clerk=false VerifyMode=false
pause until "%1"
open R2603001
frmAPTT: choose cboReagent "APTT REAGENT KIT"
frmAPTT: set txtAccNum A-1001
frmAPTT: set txtResult(1) 12.5
frmAPTT: click cmdSave
frmMedTech: click FlatBttn1
touch "%2"
)").arg(file("b-open"), file("a-saved")));
        const QString logA = a.finish();
        const QString logB = b.finish();
        const QString both = QStringLiteral("--- A ---\n") + logA + QStringLiteral("--- B ---\n") + logB;

        EXPECT_FALSE(logA.contains(QStringLiteral("FAIL"))) << both.toStdString();
        EXPECT_TRUE(logB.split(QLatin1Char('\n')).contains(kRefused)) << both.toStdString();
        EXPECT_TRUE(logB.contains(QStringLiteral("CLOSED frmAPTT"))) << both.toStdString();
        EXPECT_FALSE(logB.contains(QStringLiteral("SHOW frmMedTech"))) << both.toStdString();
        // A's values stand, its one save advanced the row once; nothing of B reached the database.
        EXPECT_EQ(value("select result2 from laboratory..tbLabResult where RequestNum = 'R2603001'"), "12.5");
        EXPECT_EQ(value("select AccessionNum from laboratory..tbLabResult where RequestNum = 'R2603001'"), "A-1001");
        EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603001'"), 1);
        EXPECT_EQ(rowVersion(), versionBefore + 1);
        EXPECT_EQ(postings() - postingsBefore,
                  logA.count(QStringLiteral("SQL  Inventory.dbo.Drug_AddStockCard 'CS','MR0101','R2603001L'")));
        if (!stored) {
            EXPECT_GT(postings(), postingsBefore);
        }
        EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail where EmployeeCode = '" +
                        employeeB.toStdString() + "'"),
                  0);
        EXPECT_GT(count("select count(*) from laboratory..tbAuditTrail"), auditsBefore);
    }
}

// The check against another workstation's save reads the logbook row's version, so every save of
// every screen, first or later, must advance it once; a save that leaves it alone could be
// overwritten unseen. Screens found as the fault loop finds them.
TEST_P(WorkstationTest, EveryScreensSaveAdvancesTheRequestsVersionOnce)
{
    if (!db)
        return;
    testsupport::TempDatabase scratch(GetParam());
    labdb::loadDemoData(*scratch.connect());
    settings.storeConnection(scratch);
    const std::vector<e2e::SaveCase> cases = discoverSaves(scratch);
    settings.storeConnection(*db);
    ASSERT_FALSE(cases.empty());
    const auto version = [&](const QString &request) {
        return value("select RowVersion from laboratory..tbLabLogbook where RequestNum = '" + request.toStdString() + "'");
    };
    for (const e2e::SaveCase &c : cases) {
        SCOPED_TRACE((c.screen + QLatin1Char(' ') + c.request).toStdString());
        const std::string before = version(c.request);
        EXPECT_EQ(before == "<none>", !c.worked);
        play(saveScript(c, {}));
        ASSERT_TRUE(log.contains(QLatin1String("SHOW frmMedTech"))) << log.toStdString();
        EXPECT_EQ(version(c.request), std::to_string(c.worked ? std::stoi(before) + 1 : 1));
    }
}

TEST_P(WorkstationTest, EightWorkstationsSavingOneNewRequestAtOnce)
{
    constexpr int kStations = 8;
    std::vector<std::unique_ptr<Workstation>> stations;
    for (int i = 0; i < kStations; ++i) {
        const QString name = QStringLiteral("W%1").arg(i);
        stations.push_back(std::make_unique<Workstation>(name, settings.filePath(QString()), QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603001
frmAPTT: choose cboReagent "APTT REAGENT KIT"
frmAPTT: set txtAccNum %1
frmAPTT: set txtResult(1) 1%2.0
touch "%3"
pause until "%4"
frmAPTT: click cmdSave
frmMedTech: click FlatBttn1
)").arg(name).arg(i).arg(file("open-") + name, file("go"))));
    }
    // All eight are open before any of them saves.
    QElapsedTimer waited;
    waited.start();
    const auto allOpen = [&] {
        for (int i = 0; i < kStations; ++i) {
            if (!QFile::exists(file("open-") + QStringLiteral("W%1").arg(i)))
                return false;
        }
        return true;
    };
    while (!allOpen() && waited.elapsed() < 90000)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QFile go(file("go"));
    ASSERT_TRUE(go.open(QIODevice::WriteOnly));
    go.close();

    int winners = 0, refused = 0;
    QString winner, logs;
    for (auto &s : stations) {
        const QString log = s->finish();
        logs += QStringLiteral("--- ") + s->name() + QStringLiteral(" ---\n") + log;
        if (log.contains(QStringLiteral("SHOW frmMedTech"))) {
            ++winners;
            winner = s->name();
        }
        if (log.contains(QStringLiteral("on another workstation while this screen was open. Your entries were not saved")))
            ++refused;
    }
    ASSERT_EQ(winners, 1) << logs.toStdString();
    EXPECT_EQ(refused, kStations - 1) << logs.toStdString();
    EXPECT_EQ(value("select AccessionNum from laboratory..tbLabResult where RequestNum = 'R2603001'"),
              winner.toStdString());
    EXPECT_EQ(rowVersion(), 1);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603001'"), 1);
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail where CommandText like "
                    "'Laboratory..Lab_Save_APTT%'"),
              1);
}

INSTANTIATE_TEST_SUITE_P(Backends, WorkstationTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
