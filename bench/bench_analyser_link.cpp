// The link's share of a backlog: 1,000 messages of 10 results each, back to back over one local
// connection, received and handed to an owner that keeps nothing. The store's share is measured
// with the store.

#include "analyser/listener.h"
#include "analyser/sender.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <sys/resource.h>

namespace {

constexpr int kMessages = 1000;
constexpr int kResults = 10;

QByteArray astmBacklog()
{
    QByteArray out;
    for (int m = 0; m < kMessages; ++m) {
        out += "H|\\^&|||VIT250\r\nP|1\r\nO|1|S-" + QByteArray::number(m) + "||^^^GLU\r\n";
        for (int r = 0; r < kResults; ++r)
            out += "R|" + QByteArray::number(r + 1) + "|^^^T" + QByteArray::number(r) + "|" + QByteArray::number(m * 0.1 + r) +
                   "|mmol/L||N||F||||20260307080500\r\n";
        out += "L|1|N\r\n";
    }
    return out;
}

QByteArray hl7Backlog()
{
    QByteArray out;
    for (int m = 0; m < kMessages; ++m) {
        out += "MSH|^~\\&|VIT250|LAB|||20260307081500||ORU^R01|" + QByteArray::number(m) + "|P|2.5.1\r";
        out += "OBR|1||S-" + QByteArray::number(m) + "\r";
        for (int r = 0; r < kResults; ++r)
            out += "OBX|" + QByteArray::number(r + 1) + "|NM|T" + QByteArray::number(r) + "||" +
                   QByteArray::number(m * 0.1 + r) + "|mmol/L|||||F\r";
    }
    return out;
}

long maxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_Backlog(benchmark::State &state, analyser::Protocol protocol)
{
    const QByteArray backlog = protocol == analyser::Protocol::Astm ? astmBacklog() : hl7Backlog();
    analyser::ListenerConfig config;
    config.instrumentId = QStringLiteral("VIT250");
    config.protocol = protocol;
    config.address = QHostAddress::LocalHost;
    long results = 0;
    analyser::AnalyserListener listener(config, [&](const analyser::Message &m) {
        results += static_cast<long>(m.results.size());
        return analyser::Disposition::Stored;
    });
    listener.start();
    const long rssBefore = maxRssKb();
    for (auto _ : state) {
        const analyser::SendReport report =
            analyser::sendText(protocol, QStringLiteral("127.0.0.1"), listener.port(), backlog, analyser::SendOptions{});
        if (!report.ok || report.acknowledged != kMessages)
            state.SkipWithError(report.error.toStdString().c_str());
    }
    state.counters["results"] = static_cast<double>(results) / static_cast<double>(state.iterations());
    state.counters["rss_growth_kb"] = static_cast<double>(maxRssKb() - rssBefore);
}

} // namespace

BENCHMARK_CAPTURE(BM_Backlog, ASTM, analyser::Protocol::Astm)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Backlog, HL7, analyser::Protocol::Hl7)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
