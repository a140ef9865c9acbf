#include "reports/reportsfolder.h"

#include "reports/layout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace corvane {

namespace {

bool holdsLayouts(const QString &folder)
{
    // Name filters ignore case, so this finds ".RPT" and ".rpt" alike.
    return !folder.isEmpty() && !QDir(folder).entryList({QStringLiteral("*.rpt")}, QDir::Files).isEmpty();
}

// The folder of the shared library (or program) this code was linked into.
QString moduleFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&moduleFolder), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
}

} // namespace

QString reportsFolder()
{
    const QString fromEnv = qEnvironmentVariable("CORVANE_REPORTS_DIR");
    if (!fromEnv.isEmpty())
        return QDir(fromEnv).absolutePath();

    QStringList candidates;
    if (const QString module = moduleFolder(); !module.isEmpty())
        candidates << module + QStringLiteral("/reports") << module + QStringLiteral("/../reports");
    if (QCoreApplication::instance())
        candidates << QCoreApplication::applicationDirPath() + QStringLiteral("/../reports");
    for (const QString &c : std::as_const(candidates)) {
        if (holdsLayouts(c))
            return QDir(c).absolutePath();
    }
    return QStringLiteral(CORVANE_BUILD_REPORTS_DIR);
}

QString resolveLayoutPath(const QString &fileName)
{
    QString path = fileName.trimmed();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo given(path);
    QString folder = given.path();
    const QString name = given.fileName();
    // "\Name.RPT" is the application folder plus a name: the screens build it that way.
    if (folder.isEmpty() || folder == QLatin1String(".") || folder == QLatin1String("/"))
        folder = reportsFolder();

    if (!name.isEmpty()) {
        const QDir dir(folder);
        if (dir.exists(name))
            return dir.absoluteFilePath(name);
        const QStringList files = dir.entryList(QDir::Files);
        // A name without its extension means the layout file of that name.
        const bool bare = QFileInfo(name).suffix().isEmpty();
        for (const QString &f : files) {
            if (f.compare(name, Qt::CaseInsensitive) == 0 ||
                (bare && f.compare(name + QStringLiteral(".rpt"), Qt::CaseInsensitive) == 0))
                return dir.absoluteFilePath(f);
        }
    }
    throw ReportError(QStringLiteral("The report layout file \"%1\" was not found in %2.")
                          .arg(name.isEmpty() ? fileName : name, QDir(folder).absolutePath()));
}

} // namespace corvane
