// Analyser results arriving as a site runs them: `labhost analyser` with its configuration file,
// `labhost analyser-send` playing the demo analyser, and the IT tools for what waits; then the
// database failing while a message arrives. Both backends.

#include "support/dbfixture.h"

#include "resultsink.h"

#include "analyser/listener.h"
#include "analyser/sender.h"

#include <labdb/schema.h>
#include <labdb/session.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The in-process receiver and sender need an event loop.
class CoreApplication : public ::testing::Environment {
public:
    void SetUp() override { m_app = std::make_unique<QCoreApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[8] = "tests";
    char *m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QCoreApplication> m_app;
};
[[maybe_unused]] const auto *const g_app = ::testing::AddGlobalTestEnvironment(new CoreApplication);

struct Outcome {
    int exitCode = -1;
    QString out, err;
};

class AnalyserReceiverTest : public testsupport::BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (!db)
            return;
        labdb::loadDemoData(*db->connect());
        check = std::make_unique<labdb::Session>(db->connect());
    }
    void TearDown() override
    {
        if (receiver.state() != QProcess::NotRunning) {
            receiver.terminate();
            receiver.waitForFinished(5000);
        }
        check.reset();
        BackendTest::TearDown();
    }

    static quint16 freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }
    QString source() const { return QString::fromStdString(db->dataSource()); }

    Outcome labhost(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(LABHOST_BINARY), args);
        if (!p.waitForFinished(120000))
            p.kill();
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    // Starts the receiver for the VIT250 on a free port and waits until it listens.
    void startReceiver()
    {
        port = freePort();
        QFile ini(dir.filePath(QStringLiteral("analysers.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("Source=%1\nRawLogDir=raw\n[VIT250]\nProtocol=astm\nPort=%2\nReceiveTimeoutMs=3000\n")
                      .arg(source())
                      .arg(port)
                      .toUtf8());
        ini.close();
        receiver.setProcessChannelMode(QProcess::MergedChannels);
        receiver.start(QStringLiteral(LABHOST_BINARY), {QStringLiteral("analyser"), ini.fileName()});
        ASSERT_TRUE(QTest::qWaitFor([&] {
            receiver.waitForReadyRead(100);
            receiverLog += QString::fromUtf8(receiver.readAll());
            return receiverLog.contains(QStringLiteral("listening")) || receiver.state() == QProcess::NotRunning;
        }, 20000));
        ASSERT_TRUE(receiverLog.contains(QStringLiteral("listening"))) << receiverLog.toStdString();
    }
    Outcome send(const QString &file, const QStringList &options = {})
    {
        return labhost(QStringList{QStringLiteral("analyser-send"), QStringLiteral("--astm"),
                                   QStringLiteral("127.0.0.1:%1").arg(port), file} +
                       options);
    }
    QString writeFile(const char *name, const QByteArray &content)
    {
        QFile f(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    }

    std::vector<std::string> instrumentResults()
    {
        std::vector<std::string> out;
        for (const labdb::Row &row :
             check->execute("select SampleNum, TestCode, sResult, Superseded from laboratory..tbLabInstrumentResult "
                            "order by ResultID")
                 .rows) {
            std::string line;
            for (const labdb::Value &v : row)
                line += v.value_or("<NULL>") + "|";
            out.push_back(line);
        }
        return out;
    }
    std::string latest(const char *sample, const char *test)
    {
        const labdb::ResultSet rs = check->execute(std::string("LABORATORY..get_Vitros_result_per_exam '") + sample +
                                                   "', '" + test + "'");
        return rs.rows.empty() ? "<none>" : rs.rows[0][0].value_or("<NULL>");
    }

    QTemporaryDir dir;
    QProcess receiver;
    QString receiverLog;
    quint16 port = 0;
    std::unique_ptr<labdb::Session> check;
};

const QByteArray kGlucose = "H|\\^&|||VIT250\rP|1\rO|1|F-0311||^^^GLU|R\rR|1|^^^GLU|11.2|mmol/L||H||F||||20260307090000\r"
                            "O|2|Z-0001||^^^GLU|R\rR|1|^^^GLU|4.4|mmol/L||N||F||||20260307090100\rL|1|N\r";

TEST_P(AnalyserReceiverTest, DemoAnalyserResultsArriveOnceAndWaitingOnesAreRematched)
{
    startReceiver();
    Outcome r = send(QStringLiteral(CORVANE_ANALYSER_DEMO "/vit250.astm"));
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString() << receiverLog.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("2 of 2 messages acknowledged"))) << r.out.toStdString();
    EXPECT_EQ(latest("F-0311", "GLU"), "6.8");
    EXPECT_EQ(latest("UP-0220", "TP"), "0.27") << "the later message is the rerun";
    // The normal-values screen reads them with its own command.
    const labdb::ResultSet grid = check->execute("LABORATORY..Lab_getInstrumentResult  'F-0311' , 'R2603031','1'");
    ASSERT_FALSE(grid.rows.empty());
    EXPECT_EQ(*grid.at(0, "sResult"), "6.8");

    // A retransmission (a spoiled checksum on the way, retried) stores nothing more.
    const auto stored = instrumentResults();
    r = send(QStringLiteral(CORVANE_ANALYSER_DEMO "/vit250.astm"), {QStringLiteral("--corrupt-frame"), QStringLiteral("2")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("1 NAKs"))) << r.out.toStdString();
    EXPECT_EQ(instrumentResults(), stored);

    // Dropped before the message ends: nothing of it.
    const QString glucose = writeFile("glucose.astm", kGlucose);
    r = send(glucose, {QStringLiteral("--drop-after"), QStringLiteral("2")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_EQ(instrumentResults(), stored);

    // Sent whole: the known sample is stored, the unknown one waits until it is labelled.
    r = send(glucose);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(latest("F-0311", "GLU"), "11.2");
    r = labhost({QStringLiteral("analyser-unmatched"), QStringLiteral("--source"), source()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Z-0001"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("unknown sample Z-0001"))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("4.4"))) << "values stay out of the listing";

    check->execute("insert into laboratory..tbLabSampleLabel (SampleNum, RequestNum) values ('Z-0001', 'R2603031')");
    r = labhost({QStringLiteral("analyser-rematch"), QStringLiteral("--source"), source()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("1 stored, 0 still waiting.\n"));
    EXPECT_EQ(latest("Z-0001", "GLU"), "4.4");

    // The laboratory's raw record of what the analyser said, readable by its owner and group only.
    QDir raw(dir.filePath(QStringLiteral("raw")));
    const QStringList logs = raw.entryList({QStringLiteral("VIT250-*.raw")});
    ASSERT_EQ(logs.size(), 1) << receiverLog.toStdString();
    QFile rawLog(raw.filePath(logs[0]));
    EXPECT_FALSE(rawLog.permissions() & QFile::ReadOther);
    ASSERT_TRUE(rawLog.open(QIODevice::ReadOnly));
    EXPECT_TRUE(rawLog.readAll().contains("R|1|^^^GLU|11.2"));

    receiver.waitForReadyRead(200);
    receiverLog += QString::fromUtf8(receiver.readAll());
    EXPECT_FALSE(receiverLog.contains(QStringLiteral("11.2"))) << "values stay out of the service log";
}

TEST_P(AnalyserReceiverTest, ConfigurationMistakesAreNamedBeforeAnythingListens)
{
    QFile ini(dir.filePath(QStringLiteral("bad.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("Source=%1\n[NOSUCH]\nProtocol=astm\nPort=%2\n").arg(source()).arg(freePort()).toUtf8());
    ini.close();
    Outcome r = labhost({QStringLiteral("analyser"), ini.fileName()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("no analyser NOSUCH in the instrument list"))) << r.err.toStdString();

    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(QStringLiteral("Source=%1\n[VIT250]\nProtocol=lis\nPort=5000\n").arg(source()).toUtf8());
    ini.close();
    r = labhost({QStringLiteral("analyser"), ini.fileName()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Protocol must be astm or hl7"))) << r.err.toStdString();
}

// The database fails while a message arrives: the analyser gets no acknowledgement and resends;
// once the database is back the message is stored, exactly once.
TEST_P(AnalyserReceiverTest, AMessageTheDatabaseRefusedIsStoredOnceWhenResent)
{
    analyser::ListenerConfig config;
    config.instrumentId = QStringLiteral("VIT250");
    config.address = QHostAddress::LocalHost;
    config.receiveTimeoutMs = 3000;
    QStringList log;
    labhost::ResultSink sink(QStringLiteral("VIT250"), QString::fromStdString(db->connectionString()),
                             dir.filePath(QStringLiteral("raw")), [&](const QString &l) { log << l; });
    analyser::AnalyserListener listener(config, [&](const analyser::Message &m) { return sink.deliver(m); });
    QString error;
    ASSERT_TRUE(listener.start(&error)) << error.toStdString();

    const auto before = instrumentResults();
    labdb::Driver &d = check->driver();
    const std::string messages = d.qualify(labdb::Database::Laboratory, "tbLabAnalyserMessage");
    d.run("ALTER TABLE " + messages + " RENAME TO tbLabAnalyserMessageAway", {});
    analyser::SendOptions quick;
    quick.replyTimeoutMs = 3000;
    analyser::SendReport report =
        analyser::sendText(analyser::Protocol::Astm, QStringLiteral("127.0.0.1"), listener.port(), kGlucose, quick);
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.acknowledged, 0);
    EXPECT_GT(report.naks, 0);
    EXPECT_EQ(instrumentResults(), before);
    EXPECT_TRUE(log.join(QLatin1Char('\n')).contains(QStringLiteral("not stored, the analyser will resend it")))
        << log.join(QLatin1Char('\n')).toStdString();

    d.run("ALTER TABLE " + d.qualify(labdb::Database::Laboratory, "tbLabAnalyserMessageAway") +
              " RENAME TO tbLabAnalyserMessage",
          {});
    for (int i = 0; i < 2; ++i) {
        report = analyser::sendText(analyser::Protocol::Astm, QStringLiteral("127.0.0.1"), listener.port(), kGlucose,
                                    quick);
        EXPECT_TRUE(report.ok) << report.error.toStdString();
    }
    EXPECT_EQ(instrumentResults().size(), before.size() + 1) << "F-0311 stored once; Z-0001 waits";
    EXPECT_EQ(latest("F-0311", "GLU"), "11.2");
}

INSTANTIATE_TEST_SUITE_P(Backends, AnalyserReceiverTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
