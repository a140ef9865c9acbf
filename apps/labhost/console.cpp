#include "console.h"

#include "services/database/connection.h"
#include "session/connsettings.h"

#include <labdb/csv.h>
#include <labdb/driver.h>

#include <QSettings>
#include <QTextStream>

#include <algorithm>

namespace labhost {

namespace {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}
QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

// The same store the component reads its connection from.
QSettings userSettings()
{
    const QString application(corvane::ConnSettings::kApplication);
    corvane::warnIfSettingsShared(QSettings(QSettings::NativeFormat, QSettings::UserScope, application).fileName());
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, application);
}

void printTable(const corvane::Recordset &rs)
{
    const labdb::ResultSet &r = rs.rows();
    if (r.columns.empty()) {
        out() << "(" << std::max<long long>(r.rowsAffected, 0) << " rows affected)\n";
        return;
    }
    std::vector<qsizetype> width(r.columns.size());
    const auto cell = [](const labdb::Value &v) {
        return v ? QString::fromStdString(*v).replace(QLatin1Char('\n'), QLatin1Char(' ')) : QStringLiteral("NULL");
    };
    for (std::size_t c = 0; c < r.columns.size(); ++c) {
        width[c] = QString::fromStdString(r.columns[c]).size();
        for (const labdb::Row &row : r.rows)
            width[c] = std::max(width[c], std::min<qsizetype>(cell(row[c]).size(), 60));
    }
    const auto line = [&](const auto &text) {
        QStringList cells;
        for (std::size_t c = 0; c < r.columns.size(); ++c)
            cells << text(c).left(60).leftJustified(width[c]);
        out() << cells.join(QStringLiteral(" | ")).trimmed() << '\n';
    };
    line([&](std::size_t c) { return QString::fromStdString(r.columns[c]); });
    QStringList rule;
    for (qsizetype w : width)
        rule << QString(w, QLatin1Char('-'));
    out() << rule.join(QStringLiteral("-+-")) << '\n';
    for (const labdb::Row &row : r.rows)
        line([&](std::size_t c) { return cell(row[c]); });
    out() << "(" << r.rows.size() << (r.rows.size() == 1 ? " row)\n" : " rows)\n");
}

// Whole values, for reading long command texts or taking rows into a spreadsheet; the same
// format the master-data export writes.
void printCsv(const corvane::Recordset &rs)
{
    const labdb::ResultSet &r = rs.rows();
    if (r.columns.empty()) {
        out() << "(" << std::max<long long>(r.rowsAffected, 0) << " rows affected)\n";
        return;
    }
    std::string text = labdb::csv::formatRecord(std::vector<labdb::Value>(r.columns.begin(), r.columns.end()));
    for (const labdb::Row &row : r.rows)
        text += labdb::csv::formatRecord(row);
    out() << QString::fromStdString(text);
}

} // namespace

QString connectionStringFor(const QString &dataSource)
{
    QString user, password, server = dataSource;
    if (server.isEmpty()) {
        QSettings s = userSettings();
        s.beginGroup(QStringLiteral("Connection"));
        user = s.value(QStringLiteral("User")).toString();
        password = s.value(QStringLiteral("Password")).toString();
        server = s.value(QStringLiteral("Server")).toString();
    }
    QString cs = QStringLiteral("Provider=SQLOLEDB.8");
    cs += user.isEmpty() ? QStringLiteral(";Integrated Security=SSPI")
                         : QStringLiteral(";User ID=") + user + QStringLiteral(";Password =") + password;
    return cs + QStringLiteral(";Persist Security Info=False;Initial Catalog=LABORATORY;Data Source=") + server;
}

int sqlConsole(const QStringList &args)
{
    QString source;
    bool csv = false;
    QStringList rest = args;
    while (!rest.isEmpty()) {
        if (rest.size() >= 2 && rest[0] == QLatin1String("--source")) {
            source = rest[1];
            rest = rest.mid(2);
        } else if (rest[0] == QLatin1String("--csv")) {
            csv = true;
            rest = rest.mid(1);
        } else {
            break;
        }
    }
    if (rest.isEmpty()) {
        err() << "usage: labhost sql [--source DATASOURCE] [--csv] COMMAND\n"
                 "  --csv prints whole values as CSV (NULL as \\N) instead of a table cut to fit\n"
                 "  DATASOURCE is file:///folder for the embedded database or host[:port][/database]\n";
        return 2;
    }
    try {
        auto conn = corvane::Connection::open(connectionStringFor(source));
        const corvane::Recordset rs = conn->query(corvane::Command::fromText(rest.join(QLatin1Char(' '))));
        csv ? printCsv(rs) : printTable(rs);
    } catch (const std::exception &e) {
        err() << "Error: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace labhost
