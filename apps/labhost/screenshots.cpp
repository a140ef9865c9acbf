#include "screenshots.h"

#include "windowtour.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTextStream>

namespace labhost {

namespace {

// A tabbed window's later pages as NAME-page2.png ...; the first page is shown again after.
void grabOtherPages(QWidget &window, const QDir &folder, const QString &name)
{
    for (QTabWidget *tabs : window.findChildren<QTabWidget *>()) {
        if (!tabs->isVisible())
            continue; // a tab control on a page of another one: shown with its page
        for (int page = 1; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            QApplication::processEvents();
            window.grab().save(folder.filePath(name + QStringLiteral("-page%1.png").arg(page + 1)));
        }
        tabs->setCurrentIndex(0);
    }
}

} // namespace

int screenshots(int argc, char *argv[], const QString &folder)
{
    QApplication app(argc, argv);
    QDir dir(folder);
    dir.mkpath(QStringLiteral("."));
    try {
        tourWindows([&dir](QWidget &window, const QString &name) {
            const QString file = dir.filePath(name + QStringLiteral(".png"));
            if (window.grab().save(file))
                QTextStream(stdout) << file << '\n';
            else
                QTextStream(stderr) << "labhost: cannot write " << file << '\n';
            grabOtherPages(window, dir, name);
        });
    } catch (const std::exception &e) {
        QTextStream(stderr) << "labhost: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace labhost
