// A backlog stored end to end: 1,000 messages of 10 results each, sent back to back over one local
// connection to a listener whose messages go through the receiver's sink into the database (each
// message one transaction). Goal: under 10 s on SQLite and on PostgreSQL, memory flat.

#include "support/dbfixture.h"

#include "resultsink.h"

#include "analyser/listener.h"
#include "analyser/sender.h"

#include <labdb/schema.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

constexpr int kMessages = 1000;
constexpr int kResults = 10;

QByteArray backlog(int round)
{
    QByteArray out;
    for (int m = 0; m < kMessages; ++m) {
        out += "H|\\^&|||VIT250\rP|1\rO|1|S-" + QByteArray::number(m) + "||^^^GLU\r";
        for (int r = 0; r < kResults; ++r)
            out += "R|" + QByteArray::number(r + 1) + "|^^^T" + QByteArray::number(r) + "|" +
                   QByteArray::number(round * 1000 + m * 0.1 + r) + "|mmol/L||N||F||||20260307080500\r";
        out += "L|1|N\r";
    }
    return out;
}

long maxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_StoredBacklog(benchmark::State &state, testsupport::Backend backend)
{
    if (!testsupport::backendAvailable(backend)) {
        state.SkipWithError("CORVANE_TEST_PG not set");
        return;
    }
    testsupport::TempDatabase db(backend);
    {
        auto d = db.connect();
        labdb::loadDemoData(*d);
        labdb::Transaction tx(*d);
        for (int m = 0; m < kMessages; ++m)
            d->run("INSERT INTO " + d->qualify(labdb::Database::Laboratory, "tbLabSampleLabel") +
                       " (SampleNum, RequestNum) VALUES (?, 'R2603031')",
                   {"S-" + std::to_string(m)});
        for (int r = 0; r < kResults; ++r)
            d->run("INSERT INTO " + d->qualify(labdb::Database::Laboratory, "tbLabAnalyserTestMap") +
                       " (InstrumentID, TestCode, ExamCode, ResultField) VALUES ('VIT250', ?, '136', 'SI')",
                   {"T" + std::to_string(r)});
        tx.commit();
    }
    QTemporaryDir raw;
    labhost::ResultSink sink(QStringLiteral("VIT250"), QString::fromStdString(db.connectionString()), raw.path(),
                             [](const QString &line) {
                                 if (!line.contains(QLatin1String(" stored")))
                                     fprintf(stderr, "%s\n", qPrintable(line));
                             });
    analyser::ListenerConfig config;
    config.instrumentId = QStringLiteral("VIT250");
    config.address = QHostAddress::LocalHost;
    analyser::AnalyserListener listener(config, [&](const analyser::Message &m) { return sink.deliver(m); });
    QObject::connect(&listener, &analyser::AnalyserListener::logLine, &listener, [](const QString &line) {
        if (!line.contains(QLatin1String(" stored")))
            fprintf(stderr, "%s\n", qPrintable(line));
    });
    listener.start();
    int round = 0;
    const long rssBefore = maxRssKb();
    for (auto _ : state) {
        state.PauseTiming();
        const QByteArray messages = backlog(++round);
        state.ResumeTiming();
        const analyser::SendReport report = analyser::sendText(analyser::Protocol::Astm, QStringLiteral("127.0.0.1"),
                                                               listener.port(), messages, analyser::SendOptions{});
        if (!report.ok || report.acknowledged != kMessages) {
            const std::string why = report.error.toStdString() + " (" + std::to_string(report.acknowledged) + " acknowledged)";
            state.SkipWithError(why.c_str());
            break;
        }
    }
    state.counters["rss_growth_kb"] = static_cast<double>(maxRssKb() - rssBefore);
}

} // namespace

BENCHMARK_CAPTURE(BM_StoredBacklog, SQLite, testsupport::Backend::Sqlite)->Unit(benchmark::kSecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_StoredBacklog, PostgreSQL, testsupport::Backend::Postgres)->Unit(benchmark::kSecond)->Iterations(2);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
