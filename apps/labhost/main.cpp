// labhost: stands in for the hospital's laboratory module, which hosts the result-entry component.

#include "console.h"
#include "print.h"
#include "scriptrunner.h"
#include "mainwindow.h"

#include "host/clsresultentry.h"
#include "host/dispatch.h"
#include "host/screenfactory.h"
#include "services/database/connection.h"
#include "services/ui/messagebox.h"
#include "session/sessioncontext.h"

#include <QApplication>

#include <algorithm>
#include <functional>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMap>
#include <QMessageBox>
#include <QProcessEnvironment>
#include <QTextStream>

namespace {

constexpr auto kUsage = "usage:\n"
                        "  labhost                                  the worklist (needs a display)\n"
                        "  labhost init-demo DIR                    create the demo database in DIR\n"
                        "  labhost sql [--source DATASOURCE] CMD    run one database command\n"
                        "  labhost screenshots DIR                  render the windows to PNG files\n"
                        "  labhost run SCRIPT                       play a scripted session headless\n"
                        "  labhost print --request R --layout NAME --pdf FILE [--source DATASOURCE]\n";

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

// Grabs each modal window to DIR/<name><suffix>.png and closes it; message boxes are answered OK.
// The suffix names the screen's state ("-new" for an open request); windows the screen opens keep
// their plain name.
class ScreenshotSeam : public corvane::IUiSeam {
public:
    explicit ScreenshotSeam(QDir folder) : m_folder(std::move(folder)) {}
    void setSuffix(QString suffix) { m_suffix = std::move(suffix); }
    // Run once on the next window of that name after it is pictured, before it closes.
    void onWindow(const QString &name, std::function<void(QDialog &)> action) { m_actions.insert(name, std::move(action)); }

    QMessageBox::StandardButton message(const corvane::MessageRequest &) override { return QMessageBox::Ok; }
    int modal(QDialog &dialog) override
    {
        const bool outer = m_depth++ == 0;
        dialog.show();
        dialog.activateWindow();
        QApplication::processEvents();
        const QString file = m_folder.filePath(dialog.objectName() + (outer ? m_suffix : QString()) + QStringLiteral(".png"));
        if (dialog.grab().save(file))
            QTextStream(stdout) << file << '\n';
        if (const auto action = m_actions.take(dialog.objectName()))
            action(dialog);
        dialog.reject();
        --m_depth;
        return dialog.result();
    }

private:
    QDir m_folder;
    QString m_suffix;
    QMap<QString, std::function<void(QDialog &)>> m_actions;
    int m_depth = 0;
};

// F10 on the worked creatinine's clearance row (its second row) opens the computation dialog.
void pressComputeOnClearance(QDialog &screen)
{
    auto *grid = screen.findChild<QWidget *>(QStringLiteral("grdEntry"));
    if (!grid)
        return;
    grid->setFocus();
    grid->setProperty("Row", 2);
    grid->setProperty("col", 3);
    QApplication::processEvents();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F10, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : grid, &press);
}

// Renders the worklist and every result-entry screen that exists, each opened on a demo
// request whose exam leads to it, filled from a stored result and new, to PNG files without a
// display.
int screenshots(int argc, char *argv[], const QString &folder)
{
    if (folder.isEmpty()) {
        QTextStream(stderr) << "usage: labhost screenshots DIR\n";
        return 2;
    }
    if (!haveDisplay())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QDir dir(folder);
    dir.mkpath(QStringLiteral("."));
    try {
        labhost::MainWindow window(corvane::Connection::open(labhost::connectionStringFor(QString())));
        window.resize(1100, 640);
        window.show();
        QApplication::processEvents();
        window.grab().save(dir.filePath(QStringLiteral("labhost-worklist.png")));

        corvane::clsResultEntry component;
        component.setEmployeeCode(QStringLiteral("0101"));
        component.setCanVerify(true);
        ScreenshotSeam seam(dir);
        corvane::ScopedUiSeam scoped(seam);
        struct Row {
            QString request, formType, valueType;
            bool stored;
        };
        QList<Row> rows;
        corvane::Recordset rs = corvane::SessionContext::current().db().query(
            corvane::Command("Lab_Host_GetWorklist '") << QString() << "'");
        for (; !rs.eof(); rs.moveNext())
            rows.append({rs.field(QStringLiteral("RequestNum")).toString(),
                         rs.field(QStringLiteral("FormType")).toStringOr(),
                         rs.field(QStringLiteral("ValueType")).toStringOr(),
                         rs.field(QStringLiteral("HasResult")).toStringOr() == QLatin1String("Y")});
        // Each screen once filled (a stored result) and once new.
        QStringList done;
        const auto show = [&](const Row &row, const QString &suffix) {
            const corvane::Dispatch d = corvane::chooseScreen(row.formType, row.valueType, 0);
            const QString key = d.screen + suffix;
            if (d.kind != corvane::Dispatch::Kind::Screen || done.contains(key) ||
                !corvane::ScreenFactory::isRegistered(d.screen))
                return;
            done << key;
            seam.setSuffix(suffix);
            QString request = row.request;
            qint16 selector = 0;
            component.Show_ResultEntry(request, selector);
        };
        for (const Row &row : rows) {
            if (row.stored)
                show(row, QString());
        }
        for (const Row &row : rows) {
            if (!row.stored)
                show(row, QStringLiteral("-new"));
        }
        // The computation dialog, which only F10 on a clearance or urine protein row opens.
        if (corvane::ScreenFactory::isRegistered(QStringLiteral("frmWithNormalValues"))) {
            seam.setSuffix(QStringLiteral("-clearance"));
            seam.onWindow(QStringLiteral("frmWithNormalValues"), &pressComputeOnClearance);
            QString request = QStringLiteral("R2603162");
            qint16 selector = 0;
            component.Show_ResultEntry(request, selector);
        }
    } catch (const std::exception &e) {
        QTextStream(stderr) << "labhost: " << e.what() << '\n';
        return 1;
    }
    return 0;
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
    if (command == QLatin1String("screenshots"))
        return screenshots(argc, argv, args.value(1));
    if (command == QLatin1String("init-demo") || command == QLatin1String("sql")) {
        QCoreApplication app(argc, argv);
        return command == QLatin1String("sql") ? labhost::sqlConsole(args.mid(1)) : labhost::initDemo(args.mid(1));
    }
    QTextStream(stderr) << kUsage;
    return command == QLatin1String("--help") ? 0 : 2;
}
