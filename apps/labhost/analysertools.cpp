#include "analysertools.h"

#include "console.h"
#include "resultsink.h"

#include "services/database/connection.h"

#include "resultstore.h"

#include <QCoreApplication>
#include <QTextStream>

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

} // namespace

bool isAnalyserTool(const QString &command)
{
    for (const char *tool : {"analyser-unmatched", "analyser-rematch"}) {
        if (command == QLatin1String(tool))
            return true;
    }
    return false;
}

int analyserTool(int argc, char *argv[], const QString &command, const QStringList &args)
{
    QCoreApplication app(argc, argv);
    if (command == QLatin1String("analyser-unmatched"))
        return unmatched(args);
    return rematch(args);
}

} // namespace labhost
