// ConnSettings: the per-user settings it reads and the connection string it builds from them.

#include "session/connsettings.h"
#include "session/errors.h"

#include "support/qstringprint.h"
#include "support/usersettings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <optional>

using corvane::ConnSettings;
using corvane::regSQLval;

namespace {

struct Stored {
    std::optional<QString> user, password, server, database; // nullopt: key absent
};

// Points the per-user store at a fresh folder for each test.
class SettingsTest : public ::testing::Test {
protected:
    QString file() const { return userSettings.filePath(QStringLiteral("QUORIX Current User.conf")); }

    void store(const Stored &s)
    {
        QSettings stored(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("QUORIX Current User"));
        stored.clear();
        const std::pair<const char *, std::optional<QString>> keys[] = {
            {"User", s.user}, {"Password", s.password}, {"Server", s.server}, {"Database", s.database}};
        for (const auto &[key, value] : keys) {
            if (value)
                stored.setValue(QStringLiteral("Connection/") + QLatin1String(key), *value);
        }
        stored.sync();
        ASSERT_EQ(stored.status(), QSettings::NoError);
    }

    void writeRaw(const QByteArray &content)
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

    testsupport::UserSettings userSettings;
};

struct ConnStrCase {
    const char *name;
    Stored stored;
    regSQLval regType;
    QString regSQLdb;
    QString expected;
};

class ConnStrTest : public SettingsTest, public ::testing::WithParamInterface<ConnStrCase> {};

TEST_P(ConnStrTest, BuildsExactly)
{
    const ConnStrCase &c = GetParam();
    store(c.stored);
    EXPECT_EQ(ConnSettings().connStr(c.regType, c.regSQLdb), c.expected);
}

const Stored kLogin{QStringLiteral("labuser"), QStringLiteral("s3cret"), QStringLiteral("DBSRV01"),
                    QStringLiteral("LabLive")};

const ConnStrCase kConnStrCases[] = {
    {"Login", kLogin, corvane::regString, QStringLiteral("LABORATORY"),
     QStringLiteral("Provider=SQLOLEDB.8;User ID=labuser;Password =s3cret;Persist Security Info=False;"
                    "Initial Catalog=LABORATORY;Data Source=DBSRV01")},
    {"UserWithEmptyPassword",
     {QStringLiteral("labuser"), QString(), QStringLiteral("DBSRV01"), {}},
     corvane::regString, QStringLiteral("LABORATORY"),
     QStringLiteral("Provider=SQLOLEDB.8;User ID=labuser;Password =;Persist Security Info=False;"
                    "Initial Catalog=LABORATORY;Data Source=DBSRV01")},
    {"UserWithoutPasswordKey",
     {QStringLiteral("labuser"), std::nullopt, QStringLiteral("DBSRV01"), {}},
     corvane::regString, QStringLiteral("LABORATORY"),
     QStringLiteral("Provider=SQLOLEDB.8;User ID=labuser;Password =;Persist Security Info=False;"
                    "Initial Catalog=LABORATORY;Data Source=DBSRV01")},
    {"EmptyUserIgnoresPassword",
     {QString(), QStringLiteral("s3cret"), QStringLiteral("DBSRV01"), {}},
     corvane::regString, QStringLiteral("LABORATORY"),
     QStringLiteral("Provider=SQLOLEDB.8;Integrated Security=SSPI;Persist Security Info=False;"
                    "Initial Catalog=LABORATORY;Data Source=DBSRV01")},
    {"BlankUserIsAUser",
     {QStringLiteral(" "), QStringLiteral("pw"), QStringLiteral("DBSRV01"), {}},
     corvane::regString, QStringLiteral("LABORATORY"),
     QStringLiteral("Provider=SQLOLEDB.8;User ID= ;Password =pw;Persist Security Info=False;"
                    "Initial Catalog=LABORATORY;Data Source=DBSRV01")},
    {"NothingStored", {}, corvane::regString, QStringLiteral("LABORATORY"),
     QStringLiteral("Provider=SQLOLEDB.8;Integrated Security=SSPI;Persist Security Info=False;"
                    "Initial Catalog=LABORATORY;Data Source=")},
    {"NoCatalogGiven", kLogin, corvane::regString, QString(),
     QStringLiteral("Provider=SQLOLEDB.8;User ID=labuser;Password =s3cret;Persist Security Info=False;"
                    "Initial Catalog=;Data Source=DBSRV01")},
    // The stored Database setting is not the catalog of the string; only the argument is.
    {"CatalogIsTheArgument", kLogin, corvane::regString, QStringLiteral("Patient_Data"),
     QStringLiteral("Provider=SQLOLEDB.8;User ID=labuser;Password =s3cret;Persist Security Info=False;"
                    "Initial Catalog=Patient_Data;Data Source=DBSRV01")},
    {"ValuesNeitherTrimmedNorEscaped",
     {QStringLiteral(" sa "), QStringLiteral("p;w'd"), QStringLiteral(" file:///srv/lab db "), {}},
     corvane::regString, QStringLiteral("LABORATORY"),
     QStringLiteral("Provider=SQLOLEDB.8;User ID= sa ;Password =p;w'd;Persist Security Info=False;"
                    "Initial Catalog=LABORATORY;Data Source= file:///srv/lab db ")},
    {"User", kLogin, corvane::regUser, QString(), QStringLiteral("labuser")},
    {"Password", kLogin, corvane::regPassword, QString(), QStringLiteral("s3cret")},
    {"ServerUntrimmed",
     {{}, {}, QStringLiteral("  DBSRV01\\LAB  "), {}},
     corvane::regServer, QString(), QStringLiteral("  DBSRV01\\LAB  ")},
    {"LabDBIgnoresArgument", kLogin, corvane::regLabDB, QStringLiteral("LABORATORY"), QStringLiteral("LabLive")},
    {"MissingKeyReadsEmpty", {QStringLiteral("labuser"), {}, {}, {}}, corvane::regServer, QString(), QString()},
};

INSTANTIATE_TEST_SUITE_P(Table, ConnStrTest, ::testing::ValuesIn(kConnStrCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SettingsTest, OutOfRangeSettingIsAnError)
{
    store(kLogin);
    for (const int bad : {0, 6, -1, 100}) {
        try {
            ConnSettings().connStr(static_cast<regSQLval>(bad), QStringLiteral("LABORATORY"));
            ADD_FAILURE() << "connStr accepted " << bad;
        } catch (const corvane::ComponentError &e) {
            EXPECT_TRUE(e.description().contains(QString::number(bad))) << e.what();
        }
    }
}

// The host's setup may write the file by hand; the keys live in section [Connection] of
// "QUORIX Current User.conf" in the user's configuration folder.
TEST_F(SettingsTest, ReadsAHandWrittenFileAfreshOnEveryCall)
{
    writeRaw("[Other]\nUser=wrong\n\n[Connection]\nUser=lab\nPassword=a,b\nServer=dbhost:5432/hospital\n");
    const ConnSettings settings;
    EXPECT_EQ(settings.connStr(corvane::regUser), QStringLiteral("lab"));
    // Unquoted commas would otherwise come back as a list and read as empty.
    EXPECT_EQ(settings.connStr(corvane::regPassword), QStringLiteral("a,b"));
    EXPECT_EQ(settings.connStr(corvane::regLabDB), QString());
    EXPECT_EQ(settings.connStr(corvane::regString, QStringLiteral("LABORATORY")),
              QStringLiteral("Provider=SQLOLEDB.8;User ID=lab;Password =a,b;Persist Security Info=False;"
                             "Initial Catalog=LABORATORY;Data Source=dbhost:5432/hospital"));

    // Read afresh on every call.
    store({QStringLiteral("u2"), {}, QStringLiteral("SECOND"), {}});
    EXPECT_EQ(settings.connStr(corvane::regServer), QStringLiteral("SECOND"));
    EXPECT_EQ(settings.connStr(corvane::regUser), QStringLiteral("u2"));
}

TEST_F(SettingsTest, NeverWritesTheStore)
{
    {
        const ConnSettings settings;
        EXPECT_EQ(settings.connStr(corvane::regUser), QString());
        settings.connStr(corvane::regString, QStringLiteral("LABORATORY"));
    }
    EXPECT_FALSE(QFileInfo::exists(file())) << "reading created the settings file";

    const QByteArray content = "; written by the host's setup\n[Connection]\nServer=DBSRV01\n";
    writeRaw(content);
    {
        const ConnSettings settings;
        for (const regSQLval r : {corvane::regUser, corvane::regPassword, corvane::regServer, corvane::regString,
                                  corvane::regLabDB})
            settings.connStr(r, QStringLiteral("LABORATORY"));
    }
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), content);
}

} // namespace
