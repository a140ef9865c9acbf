// labhost: stands in for the hospital's laboratory module, which hosts the result-entry component.

#include "analysertools.h"
#include "console.h"
#include "print.h"
#include "screenshots.h"
#include "scriptrunner.h"
#include "sitetools.h"
#include "mainwindow.h"

#include "services/database/connection.h"

#include <QApplication>

#include <QFile>
#include <QMessageBox>
#include <QProcessEnvironment>
#include <QTextStream>

namespace {

constexpr auto kUsage = "usage:\n"
                        "  labhost                                        the worklist (needs a display)\n"
                        "  labhost init {DIR | --source DATASOURCE}       create or upgrade the schema\n"
                        "  labhost init-demo {DIR | --source DATASOURCE}  the schema and the demo data\n"
                        "  labhost export DIR [--source DATASOURCE]       the master tables as CSV files\n"
                        "  labhost import DIR [--source DATASOURCE]       check the CSV files, then replace\n"
                        "  labhost sql [--source DATASOURCE] [--csv] CMD  run one database command\n"
                        "  labhost screenshots DIR                        render the windows to PNG files\n"
                        "  labhost run SCRIPT                             play a scripted session headless\n"
                        "  labhost print --request R --layout NAME --pdf FILE [--source DATASOURCE]\n"
                        "  labhost analyser CONFIG                        receive analyser results (see README)\n"
                        "  labhost analyser-send {--astm|--hl7} HOST:PORT FILE [options]  play a message file\n"
                        "  labhost analyser-unmatched [--source DATASOURCE]  analyser results not yet placed\n"
                        "  labhost analyser-rematch [--source DATASOURCE]    place them now\n";

// Without a display Qt would abort; say what to do instead.
bool haveDisplay()
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    return !env.value(QStringLiteral("DISPLAY")).isEmpty() || !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty()
           || !env.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty();
}

int runWorklist(int argc, char *argv[])
{
    if (!haveDisplay()) {
        QTextStream(stderr) << "labhost: no display. Run it on a desktop, under a virtual display "
                               "(xvfb-run labhost), or offscreen (QT_QPA_PLATFORM=offscreen labhost).\n";
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("labhost"));
    std::unique_ptr<corvane::Connection> db;
    try {
        db = corvane::Connection::open(labhost::connectionStringFor(QString()));
    } catch (const corvane::DatabaseError &e) {
        QMessageBox::critical(nullptr, QStringLiteral("labhost"),
                              QStringLiteral("Cannot open the laboratory database:\n%1\n\nCreate the demo database "
                                             "with \"labhost init-demo DIR\".")
                                  .arg(e.description()));
        return 1;
    }
    labhost::MainWindow window(std::move(db));
    window.show();
    return QApplication::exec();
}

// Plays a script of user actions headless; the log goes to standard output.
int runScript(int argc, char *argv[], const QString &file)
{
    QFile in(file);
    if (file.isEmpty() || !in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream(stderr) << "usage: labhost run SCRIPT   (cannot read \"" << file << "\")\n";
        return 2;
    }
    if (!haveDisplay())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    labhost::ScriptRunner runner(out);
    return runner.run(QString::fromUtf8(in.readAll())) ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString command = args.value(0);

    if (command.isEmpty())
        return runWorklist(argc, argv);
    if (command == QLatin1String("print"))
        return labhost::printCommand(args.mid(1));
    if (command == QLatin1String("run"))
        return runScript(argc, argv, args.value(1));
    if (command == QLatin1String("screenshots")) {
        if (args.value(1).isEmpty()) {
            QTextStream(stderr) << "usage: labhost screenshots DIR\n";
            return 2;
        }
        if (!haveDisplay())
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return labhost::screenshots(argc, argv, args.value(1));
    }
    if (labhost::isAnalyserTool(command))
        return labhost::analyserTool(argc, argv, command, args.mid(1));
    if (command == QLatin1String("sql") || labhost::isSiteTool(command)) {
        QCoreApplication app(argc, argv);
        return command == QLatin1String("sql") ? labhost::sqlConsole(args.mid(1))
                                               : labhost::siteTool(command, args.mid(1));
    }
    QTextStream(stderr) << kUsage;
    return command == QLatin1String("--help") ? 0 : 2;
}
