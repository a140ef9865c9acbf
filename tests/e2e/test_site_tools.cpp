// The tools IT staff run at a site, as they run them: labhost init, init-demo, export and import
// against the embedded database and a PostgreSQL server alike.

#include "support/dbfixture.h"
#include "support/usersettings.h"

#include <labdb/session.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

#include <sys/stat.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QString out, err;
};

class SiteToolsTest : public testsupport::BackendTest {
protected:
    Outcome labhost(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // init-demo points the user's settings at the database: never the real user's.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), settings.filePath(QString()));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(LABHOST_BINARY), args);
        if (!p.waitForFinished(180000))
            p.kill();
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    static QString source(const testsupport::TempDatabase &db) { return QString::fromStdString(db.dataSource()); }
    QString folder(const char *name) const { return settings.filePath(QLatin1String(name)); }

    static std::map<QString, QByteArray> files(const QString &dir)
    {
        std::map<QString, QByteArray> all;
        for (QDirIterator it(dir, {QStringLiteral("*.csv")}, QDir::Files); it.hasNext();) {
            QFile f(it.next());
            EXPECT_TRUE(f.open(QIODevice::ReadOnly));
            all[it.fileName()] = f.readAll();
        }
        return all;
    }
    static long long count(const testsupport::TempDatabase &db, const std::string &sql)
    {
        labdb::Session s(db.connect());
        const labdb::ResultSet rs = s.execute(sql);
        return std::stoll(*rs.rows.at(0).at(0));
    }

    testsupport::UserSettings settings;
};

// The connection settings may hold a password: init-demo writes them for their owner only, even
// under a permissive umask, and a tool reading a settings file others can read says so once.
TEST_P(SiteToolsTest, ConnectionSettingsStayPrivate)
{
    const mode_t previous = umask(0);
    Outcome r = labhost({QStringLiteral("init-demo"), QStringLiteral("--source"), source(*db)});
    umask(previous);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString file = settings.filePath(QStringLiteral("QUORIX Current User.conf"));
    ASSERT_TRUE(QFileInfo::exists(file)) << r.out.toStdString();
    EXPECT_EQ(QFileInfo(file).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
              QFile::ReadOwner | QFile::WriteOwner);

    r = labhost({QStringLiteral("sql"), QStringLiteral("select count(*) from laboratory..tbLabMaster")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("Warning"))) << r.err.toStdString();

    QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    r = labhost({QStringLiteral("sql"), QStringLiteral("select count(*) from laboratory..tbLabMaster")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err.count(QStringLiteral("Warning: ")), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("chmod 600"))) << r.err.toStdString();
}

// The console's table cuts long values to fit; --csv gives them whole, as the export writes them.
TEST_P(SiteToolsTest, SqlPrintsWholeValuesAsCsvAndTheOriginalDialectAsTyped)
{
    const QString src = source(*db);
    Outcome r = labhost({QStringLiteral("init"), QStringLiteral("--source"), src});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString longText = QString(70, QLatin1Char('x')) + QStringLiteral("END");
    const QString command = QStringLiteral("select top 1 'a, \"b\"' + 'c' as txt, NULL as nul, '%1' as body, "
                                           "len('%1  ') as size")
                                .arg(longText);

    r = labhost({QStringLiteral("sql"), QStringLiteral("--source"), src, QStringLiteral("--csv"), command});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(),
              QStringLiteral("txt,nul,body,size\r\n\"a, \"\"b\"\"c\",\\N,%1,73\r\n").arg(longText).toStdString());

    r = labhost({QStringLiteral("sql"), QStringLiteral("--source"), src, command});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains(QLatin1String("END"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("(1 row)"))) << r.out.toStdString();
}

TEST_P(SiteToolsTest, MasterDataRoundTripsIntoAFreshDatabaseUnchanged)
{
    const testsupport::TempDatabase &site = *db;
    testsupport::TempDatabase fresh(GetParam());

    Outcome r = labhost({QStringLiteral("init-demo"), QStringLiteral("--source"), source(site)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Demo database ready"))) << r.out.toStdString();
    // Run again, the demo is not loaded a second time over a hospital's data.
    r = labhost({QStringLiteral("init-demo"), QStringLiteral("--source"), source(site)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("the demo data was not loaded"))) << r.out.toStdString();

    r = labhost({QStringLiteral("init"), QStringLiteral("--source"), source(fresh)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Created the laboratory database"))) << r.out.toStdString();
    r = labhost({QStringLiteral("init"), QStringLiteral("--source"), source(fresh)});
    EXPECT_TRUE(r.out.contains(QStringLiteral("is up to date"))) << r.out.toStdString();
    // init makes the schema only.
    EXPECT_EQ(count(fresh, "select count(*) from build_file..tbCoLabExam"), 0);

    r = labhost({QStringLiteral("export"), folder("one"), QStringLiteral("--source"), source(site)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = labhost({QStringLiteral("import"), folder("one"), QStringLiteral("--source"), source(fresh)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = labhost({QStringLiteral("export"), folder("two"), QStringLiteral("--source"), source(fresh)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    const auto one = files(folder("one")), two = files(folder("two"));
    ASSERT_GT(one.size(), 8u);
    EXPECT_EQ(one, two);
    // The exams and the staff came across, not just headers.
    EXPECT_EQ(count(fresh, "select count(*) from build_file..tbCoLabExam"),
              count(site, "select count(*) from build_file..tbCoLabExam"));
    EXPECT_GT(count(fresh, "select count(*) from laboratory..tbLabEmployee"), 0);
    // The requests are a hospital's business, not master data.
    EXPECT_EQ(count(fresh, "select count(*) from laboratory..tbLabMaster"), 0);
}

TEST_P(SiteToolsTest, AFaultyImportNamesEveryProblemAndWritesNothing)
{
    const testsupport::TempDatabase &site = *db;
    ASSERT_EQ(labhost({QStringLiteral("init-demo"), QStringLiteral("--source"), source(site)}).exitCode, 0);
    ASSERT_EQ(labhost({QStringLiteral("export"), folder("csv"), QStringLiteral("--source"), source(site)}).exitCode, 0);
    const long long exams = count(site, "select count(*) from build_file..tbCoLabExam");

    // One good change in one file, faults in others: none of it may reach the database.
    QFile exam(QDir(folder("csv")).filePath(QStringLiteral("build_file.tbCoLabExam.csv")));
    ASSERT_TRUE(exam.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = exam.readAll().split('\n');
    exam.close();
    ASSERT_GT(lines.size(), 3);
    lines.insert(2, lines[1]); // the first exam twice
    ASSERT_TRUE(exam.open(QIODevice::WriteOnly | QIODevice::Truncate));
    exam.write(lines.join('\n'));
    exam.close();
    QFile staff(QDir(folder("csv")).filePath(QStringLiteral("laboratory.tbLabEmployee.csv")));
    {
        ASSERT_TRUE(staff.open(QIODevice::ReadOnly));
        QByteArray text = staff.readAll();
        staff.close();
        const qsizetype eol = text.indexOf("\r\n");
        text.insert(eol, ",Colour"); // a column the table does not have
        ASSERT_TRUE(staff.open(QIODevice::WriteOnly | QIODevice::Truncate));
        staff.write(text);
        staff.close();
    }

    const Outcome r = labhost({QStringLiteral("import"), folder("csv"), QStringLiteral("--source"), source(site)});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("build_file.tbCoLabExam.csv, line 3"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("laboratory.tbLabEmployee.csv")) && r.err.contains(QStringLiteral("Colour"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Nothing was imported."))) << r.err.toStdString();
    EXPECT_EQ(count(site, "select count(*) from build_file..tbCoLabExam"), exams);
}

INSTANTIATE_TEST_SUITE_P(Backends, SiteToolsTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
