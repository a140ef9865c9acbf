// labhost: stands in for the hospital's laboratory module, which hosts the result-entry component.

#include "console.h"
#include "mainwindow.h"

#include "services/database/connection.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcessEnvironment>
#include <QTextStream>

namespace {

constexpr auto kUsage = "usage:\n"
                        "  labhost                                  the worklist (needs a display)\n"
                        "  labhost init-demo DIR                    create the demo database in DIR\n"
                        "  labhost sql [--source DATASOURCE] CMD    run one database command\n"
                        "  labhost screenshots DIR                  render the windows to PNG files\n";

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

// Renders the worklist (and every screen that exists) to PNG files, without a display.
int screenshots(int argc, char *argv[], const QString &folder)
{
    if (folder.isEmpty()) {
        QTextStream(stderr) << "usage: labhost screenshots DIR\n";
        return 2;
    }
    if (!haveDisplay())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QDir().mkpath(folder);
    try {
        labhost::MainWindow window(corvane::Connection::open(labhost::connectionStringFor(QString())));
        window.resize(1100, 640);
        window.show();
        QApplication::processEvents();
        const QString file = QDir(folder).filePath(QStringLiteral("labhost-worklist.png"));
        if (!window.grab().save(file))
            throw std::runtime_error("cannot write " + file.toStdString());
        QTextStream(stdout) << file << '\n';
    } catch (const std::exception &e) {
        QTextStream(stderr) << "labhost: " << e.what() << '\n';
        return 1;
    }
    return 0;
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
    if (command == QLatin1String("screenshots"))
        return screenshots(argc, argv, args.value(1));
    if (command == QLatin1String("init-demo") || command == QLatin1String("sql")) {
        QCoreApplication app(argc, argv);
        return command == QLatin1String("sql") ? labhost::sqlConsole(args.mid(1)) : labhost::initDemo(args.mid(1));
    }
    QTextStream(stderr) << kUsage;
    return command == QLatin1String("--help") ? 0 : 2;
}
