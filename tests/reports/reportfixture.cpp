#include "reportfixture.h"

#include <labdb/schema.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace reporttest {

namespace {

void insert(labdb::Driver &db, const char *table, std::vector<std::string> columns, std::vector<labdb::Value> values)
{
    std::string sql = "INSERT INTO " + db.qualify(labdb::Database::Laboratory, table) + " (";
    std::string marks;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? ", " : "") + columns[i];
        marks += i ? ", ?" : "?";
    }
    db.run(sql + ") VALUES (" + marks + ")", values);
}

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed (poppler-utils installed?): "
                      << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

void seedResults(const testsupport::TempDatabase &db)
{
    auto driver = db.connect();
    labdb::loadDemoData(*driver);
    labdb::Transaction tx(*driver);
    const std::vector<std::string> logbook{"RequestNum",   "EmployeeCode", "samplesubmitted", "DateFinished",
                                           "AccessionNum", "ResultDate",   "LoggedAt"};
    insert(*driver, "tbLabLogbook", logbook,
           {"R2603001", "0102", "2026-03-06 07:45:00", "2026-03-06 09:10:00", "H-26-0412", "2026-03-06 09:15:00",
            "2026-03-06 09:15:00"});
    insert(*driver, "tbLabResult",
           {"RequestNum", "result1", "result2", "result3", "result4", "result5", "result6", "result7", "result8",
            "result9", "result10", "result20"},
           {"R2603001", "Clotting (photo-optical)", "14.2", "12.5", "1.16", "82", "38.4", "30.1", "<150", "2.5", "6",
            "Sample slightly lipemic.\nRepeat APTT after 24 hours & correlate with the patient's heparin dosing."});
    insert(*driver, "tbLabResultMedTech",
           {"RequestNum", "MedTechID", "MedTechAt", "VerifiedBy", "VerifiedAt", "PathologistID", "Pathologist"},
           {"R2603001", "0102", "2026-03-06 09:15:00", "0101", "2026-03-06 09:30:00", "1002",
            "Antonio C. Villanueva, M.D."});

    insert(*driver, "tbLabLogbook", logbook,
           {"R2603010", "0103", "2026-03-07 04:52:00", "2026-03-07 05:05:00", "BG-26-0093", "2026-03-07 05:08:00",
            "2026-03-07 05:08:00"});
    insert(*driver, "tbLabResult",
           {"RequestNum", "result1", "result2", "result3", "result4", "result5", "result6", "result7", "result8",
            "result9", "result10", "result11", "result20"},
           {"R2603010", "7.31", "52.4", "68", "25.8", "27.4", "-1.6", "91.2", "40", "37.0", "11.8", "Arterial",
            "Patient on nasal cannula 4 L/min."});
    insert(*driver, "tbLabResultMedTech", {"RequestNum", "MedTechID", "MedTechAt"},
           {"R2603010", "0103", "2026-03-07 05:08:00"});
    tx.commit();
}

corvane::LogOnInfo logOnFor(const testsupport::TempDatabase &db)
{
    return {QString::fromStdString(db.dataSource()), QStringLiteral("LABORATORY"),
            QString::fromStdString(db.target().user), QString::fromStdString(db.target().password)};
}

QString pdfText(const QString &pdf, int page)
{
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    const QString text = run(QStringLiteral("pdftotext"), args << pdf << QStringLiteral("-"));
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    QStringList lines;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString simple = QString(line).replace(blanks, QStringLiteral(" ")).trimmed();
        if (!simple.isEmpty())
            lines << simple;
    }
    return lines.join(QLatin1Char('\n'));
}

QString pdfInfo(const QString &pdf, const QString &key)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    return QRegularExpression(key + QStringLiteral(":\\s*(.*)")).match(info).captured(1).trimmed();
}

QString writeLayout(const QTemporaryDir &dir, const QString &name, const QString &text)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ADD_FAILURE() << "cannot write " << path.toStdString();
    f.write(text.toUtf8());
    return path;
}

} // namespace reporttest
