#include "analysertools.h"

#include "console.h"
#include "resultsink.h"

#include "services/database/connection.h"

#include "resultstore.h"

#include "analyser/listener.h"
#include "analyser/sender.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QSettings>
#include <QTextStream>

#include <memory>
#include <optional>
#include <vector>

namespace labhost {

namespace {

// --source DS or the workstation's own settings.
bool takeSource(QStringList &args, QString &source)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--source") && i + 1 < args.size()) {
            source = args[i + 1];
            args.remove(i, 2);
            return !source.trimmed().isEmpty();
        }
    }
    return true;
}

std::unique_ptr<labdb::Driver> openSource(const QString &source)
{
    return labdb::openDriver(corvane::ConnectionOptions::parse(connectionStringFor(source)).target(), false);
}

int unmatched(QStringList args)
{
    QString source;
    if (!takeSource(args, source) || !args.isEmpty()) {
        QTextStream(stderr) << "usage: labhost analyser-unmatched [--source DATASOURCE]\n";
        return 2;
    }
    try {
        auto db = openSource(source);
        const auto rows = analyser::unmatchedResults(*db);
        QTextStream out(stdout);
        for (const analyser::Unmatched &u : rows) {
            out << QString::number(u.id).rightJustified(6) << "  " << QString::fromStdString(u.receivedAt).left(19)
                << "  " << QString::fromStdString(u.instrumentId).leftJustified(8) << ' '
                << QString::fromStdString(u.sampleNum).leftJustified(12) << ' '
                << QString::fromStdString(u.testCode).leftJustified(8) << ' ' << QString::fromStdString(u.reason)
                << '\n';
        }
        out << rows.size() << (rows.size() == 1 ? " result waits" : " results wait")
            << " for a sample label or a test mapping.\n";
    } catch (const std::exception &e) {
        QTextStream(stderr) << "Cannot read the analyser results: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

int rematch(QStringList args)
{
    QString source;
    if (!takeSource(args, source) || !args.isEmpty()) {
        QTextStream(stderr) << "usage: labhost analyser-rematch [--source DATASOURCE]\n";
        return 2;
    }
    try {
        auto db = openSource(source);
        const analyser::RematchOutcome out = analyser::rematchResults(*db);
        QTextStream(stdout) << out.stored << " stored, " << out.waiting << " still waiting.\n";
    } catch (const std::exception &e) {
        QTextStream(stderr) << "Cannot rematch the analyser results: " << e.what() << "\nNothing was stored.\n";
        return 1;
    }
    return 0;
}

// The receiver's configuration: [General] Source and RawLogDir, then one section per analyser
// named by its instrument ID, with Protocol (astm or hl7) and Port, or Device for a serial line.
struct ReceiverConfig {
    QString source;
    QString rawLogDir;
    std::vector<analyser::ListenerConfig> analysers;
};

bool readConfig(const QString &file, ReceiverConfig &config, QString &error)
{
    if (!QFileInfo(file).isReadable()) {
        error = QStringLiteral("cannot read ") + file;
        return false;
    }
    QSettings ini(file, QSettings::IniFormat);
    config.source = ini.value(QStringLiteral("Source")).toString();
    config.rawLogDir = ini.value(QStringLiteral("RawLogDir"), QStringLiteral("analyser-raw")).toString();
    if (QFileInfo(config.rawLogDir).isRelative())
        config.rawLogDir = QFileInfo(file).absoluteDir().filePath(config.rawLogDir);
    for (const QString &id : ini.childGroups()) {
        ini.beginGroup(id);
        analyser::ListenerConfig c;
        c.instrumentId = id;
        const QString protocol = ini.value(QStringLiteral("Protocol")).toString().toLower();
        if (protocol == QLatin1String("astm"))
            c.protocol = analyser::Protocol::Astm;
        else if (protocol == QLatin1String("hl7"))
            c.protocol = analyser::Protocol::Hl7;
        else
            error = QStringLiteral("[%1] Protocol must be astm or hl7, not \"%2\"").arg(id, protocol);
        bool portOk = true;
        c.port = static_cast<quint16>(ini.value(QStringLiteral("Port"), 0).toUInt(&portOk));
        c.serialDevice = ini.value(QStringLiteral("Device")).toString();
        c.baudRate = ini.value(QStringLiteral("Baud"), 9600).toInt();
        c.receiveTimeoutMs = ini.value(QStringLiteral("ReceiveTimeoutMs"), c.receiveTimeoutMs).toInt();
        if (ini.contains(QStringLiteral("Address")))
            c.address = QHostAddress(ini.value(QStringLiteral("Address")).toString());
        if (error.isEmpty() && (!portOk || (c.port == 0 && c.serialDevice.isEmpty())))
            error = QStringLiteral("[%1] needs a Port (1-65535) or a serial Device").arg(id);
        ini.endGroup();
        if (!error.isEmpty())
            return false;
        config.analysers.push_back(c);
    }
    if (config.analysers.empty()) {
        error = file + QStringLiteral(" names no analyser (a section per instrument ID with Protocol and Port)");
        return false;
    }
    return true;
}

int receive(const QStringList &args)
{
    QTextStream err(stderr);
    if (args.size() != 1) {
        err << "usage: labhost analyser CONFIG\n";
        return 2;
    }
    ReceiverConfig config;
    QString error;
    if (!readConfig(args[0], config, error)) {
        err << "labhost analyser: " << error << '\n';
        return 2;
    }
    const QString connection = connectionStringFor(config.source);
    // Every configured analyser must be one the laboratory knows.
    try {
        auto db = openSource(config.source);
        for (const analyser::ListenerConfig &c : config.analysers) {
            if (db->run("SELECT 1 FROM " + db->qualify(labdb::Database::Laboratory, "tbLabInstrumentName") +
                            " WHERE InstrumentID = ?",
                        {c.instrumentId.toStdString()})
                    .rows.empty()) {
                err << "labhost analyser: no analyser " << c.instrumentId
                    << " in the instrument list (tbLabInstrumentName)\n";
                return 2;
            }
        }
    } catch (const std::exception &e) {
        err << "labhost analyser: cannot open the laboratory database: " << e.what() << '\n';
        return 1;
    }

    QTextStream out(stdout);
    const auto log = [&out](const QString &line) {
        out << QDateTime::currentDateTime().toString(Qt::ISODate) << ' ' << line << Qt::endl;
    };
    std::vector<std::unique_ptr<ResultSink>> sinks;
    std::vector<std::unique_ptr<analyser::AnalyserListener>> listeners;
    for (const analyser::ListenerConfig &c : config.analysers) {
        sinks.push_back(std::make_unique<ResultSink>(c.instrumentId, connection, config.rawLogDir, log));
        ResultSink *sink = sinks.back().get();
        auto listener = std::make_unique<analyser::AnalyserListener>(
            c, [sink](const analyser::Message &m) { return sink->deliver(m); });
        QObject::connect(listener.get(), &analyser::AnalyserListener::rawReceived, listener.get(),
                         [sink](const QByteArray &bytes) { sink->appendRaw(bytes); });
        QObject::connect(listener.get(), &analyser::AnalyserListener::logLine, listener.get(), log);
        QString why;
        if (!listener->start(&why)) {
            err << "labhost analyser: " << c.instrumentId << ": " << why << '\n';
            return 1;
        }
        listeners.push_back(std::move(listener));
    }
    return QCoreApplication::exec();
}

int send(const QStringList &args)
{
    QTextStream err(stderr);
    const auto usage = [&err] {
        err << "usage: labhost analyser-send {--astm|--hl7} HOST:PORT FILE [--corrupt-frame N] [--corrupt-always]\n"
               "                             [--drop-after N] [--delay MS] [--timeout MS]\n";
        return 2;
    };
    std::optional<analyser::Protocol> protocol;
    analyser::SendOptions options;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const auto number = [&](int &target) {
            bool ok = false;
            target = args.value(++i).toInt(&ok);
            return ok && target >= 0;
        };
        if (a == QLatin1String("--astm"))
            protocol = analyser::Protocol::Astm;
        else if (a == QLatin1String("--hl7"))
            protocol = analyser::Protocol::Hl7;
        else if (a == QLatin1String("--corrupt-always"))
            options.corruptAlways = true;
        else if (a == QLatin1String("--corrupt-frame")) {
            if (!number(options.corruptFrame))
                return usage();
        } else if (a == QLatin1String("--drop-after")) {
            if (!number(options.dropAfterFrame))
                return usage();
        } else if (a == QLatin1String("--delay")) {
            if (!number(options.delayMs))
                return usage();
        } else if (a == QLatin1String("--timeout")) {
            if (!number(options.replyTimeoutMs))
                return usage();
        } else if (a.startsWith(QLatin1String("--")))
            return usage();
        else
            positional << a;
    }
    const qsizetype colon = positional.value(0).lastIndexOf(QLatin1Char(':'));
    bool portOk = false;
    const uint port = colon > 0 ? positional[0].mid(colon + 1).toUInt(&portOk) : 0;
    if (!protocol || positional.size() != 2 || !portOk || port == 0 || port > 65535)
        return usage();
    const analyser::SendReport r = analyser::sendFile(*protocol, positional[0].left(colon), static_cast<quint16>(port),
                                                      positional[1], options);
    QTextStream out(stdout);
    out << r.acknowledged << " of " << r.messages << " messages acknowledged, " << r.framesSent
        << (*protocol == analyser::Protocol::Astm ? " frames sent, " : " messages sent, ") << r.naks << " NAKs";
    if (!r.acks.isEmpty())
        out << ", replies " << r.acks.join(QLatin1Char(' '));
    out << ".\n";
    if (!r.ok) {
        err << "Not all acknowledged: " << r.error << '\n';
        return 1;
    }
    return 0;
}

} // namespace

bool isAnalyserTool(const QString &command)
{
    for (const char *tool : {"analyser", "analyser-send", "analyser-unmatched", "analyser-rematch"}) {
        if (command == QLatin1String(tool))
            return true;
    }
    return false;
}

int analyserTool(int argc, char *argv[], const QString &command, const QStringList &args)
{
    QCoreApplication app(argc, argv);
    if (command == QLatin1String("analyser"))
        return receive(args);
    if (command == QLatin1String("analyser-send"))
        return send(args);
    if (command == QLatin1String("analyser-unmatched"))
        return unmatched(args);
    return rematch(args);
}

} // namespace labhost
