// clsResultEntry from the host's side: creation and release of the shared connection, the
// session properties, and Show_ResultEntry from request number to the screen it opens, run
// against a demo database with stand-in screens.

#include "qstringprint.h"

#include "host/clsresultentry.h"
#include "host/dispatch.h"
#include "host/objectregistry.h"
#include "host/screenfactory.h"
#include "host/twips.h"
#include "services/ui/scriptedseam.h"
#include "session/errors.h"
#include "session/sessioncontext.h"
#include "support/dbfixture.h"

#include <labdb/schema.h>

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>

using corvane::clsResultEntry;
using corvane::ComponentError;
using corvane::ScreenFactory;
using corvane::SessionContext;

namespace {

// What the stand-in screens saw, in order.
struct ScreenLog {
    QStringList events;
    // The session as the screen found it when it was shown.
    QString requestNum, formType, hospitalTitle, dbUser, dbServer, reagentID;
    qint16 intResult = 0;
    bool failFill = false;
};

class FakeScreen : public corvane::ResultScreen {
public:
    FakeScreen(QString name, ScreenLog &log) : m_name(std::move(name)), m_log(log)
    {
        m_log.events << QStringLiteral("create ") + m_name;
    }
    ~FakeScreen() override { m_log.events << QStringLiteral("release"); }
    void setTop(int pixels) override { m_log.events << QStringLiteral("top %1").arg(pixels); }
    void setLeft(int pixels) override { m_log.events << QStringLiteral("left %1").arg(pixels); }
    void Fill_Results() override
    {
        m_log.events << QStringLiteral("Fill_Results");
        if (m_log.failFill)
            throw corvane::DatabaseError(QStringLiteral("Invalid use of Null"));
    }
    int showModal() override
    {
        m_log.events << QStringLiteral("showModal");
        const SessionContext &ctx = SessionContext::current();
        m_log.requestNum = ctx.RequestNum;
        m_log.intResult = ctx.intResult;
        m_log.formType = ctx.RequestRecord.FormType;
        m_log.hospitalTitle = ctx.HospitalTitle;
        m_log.dbUser = ctx.DbUser;
        m_log.dbServer = ctx.DbServer;
        m_log.reagentID = ctx.ReagentID;
        return 1;
    }

private:
    QString m_name;
    ScreenLog &m_log;
};

class FakeCodeSearch : public QObject, public corvane::ICodeSearch {
public:
    explicit FakeCodeSearch(int &alive) : m_alive(alive) { ++m_alive; }
    ~FakeCodeSearch() override { --m_alive; }
    std::optional<corvane::SearchRecord> showSearchForm(qint32 &, QString &, QString &) override { return {}; }

private:
    int &m_alive;
};

int pixelsY(double twips)
{
    return corvane::twipsToPixels(twips, QGuiApplication::primaryScreen()->logicalDotsPerInchY());
}
int pixelsX(double twips)
{
    return corvane::twipsToPixels(twips, QGuiApplication::primaryScreen()->logicalDotsPerInchX());
}

class ResultEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(settingsDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        database = std::make_unique<testsupport::TempDatabase>(testsupport::Backend::Sqlite);
        labdb::loadDemoData(*database->connect());
        storeSettings(QStringLiteral("labuser"), QStringLiteral("pw"), dataSource());

        SessionContext::current() = SessionContext();
        for (const QString &name : corvane::dispatchScreenNames())
            ScreenFactory::registerScreen(name, [this, name] { return std::make_unique<FakeScreen>(name, log); });
    }
    void TearDown() override
    {
        for (const QString &name : corvane::dispatchScreenNames())
            ScreenFactory::unregisterScreen(name);
        corvane::unregisterClass(clsResultEntry::kCodeSearchIdentity);
        SessionContext::current() = SessionContext();
        database.reset();
    }

    QString dataSource() const { return QString::fromStdString(database->dataSource()); }

    void storeSettings(const QString &user, const QString &password, const QString &server)
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("QUORIX Current User"));
        s.setValue(QStringLiteral("Connection/User"), user);
        s.setValue(QStringLiteral("Connection/Password"), password);
        s.setValue(QStringLiteral("Connection/Server"), server);
        s.sync();
    }

    std::unique_ptr<clsResultEntry> create()
    {
        std::unique_ptr<QObject> object = corvane::createObject(QStringLiteral("Corvane.clsResultEntry"));
        auto *entry = qobject_cast<clsResultEntry *>(object.get());
        if (!entry)
            throw std::logic_error("the registry did not create a clsResultEntry");
        object.release();
        return std::unique_ptr<clsResultEntry>(entry);
    }

    // Show_ResultEntry with the defaults for Top and Left.
    void show(clsResultEntry &entry, const char *requestNum, qint16 intResult = 0)
    {
        QString number = QString::fromLatin1(requestNum);
        entry.Show_ResultEntry(number, intResult);
    }

    QTemporaryDir settingsDir;
    std::unique_ptr<testsupport::TempDatabase> database;
    ScreenLog log;
    corvane::ScriptedUiSeam seam;
    corvane::ScopedUiSeam seamInstalled{seam};
};

TEST_F(ResultEntryTest, CreationOpensTheSharedConnectionAndReleaseClosesIt)
{
    SessionContext &ctx = SessionContext::current();
    {
        auto entry = create();
        ASSERT_NE(ctx.Connection, nullptr);
        ASSERT_NE(ctx.Settings, nullptr);
        EXPECT_EQ(ctx.Connection->query(corvane::Command("select * from Patient_Data..tbHospitalInfo")).recordCount(),
                  1);
        EXPECT_NE(ctx.SearchCodes, nullptr) << "the code-search library ships with the component";
    }
    EXPECT_EQ(ctx.Connection, nullptr);
    EXPECT_EQ(ctx.SearchCodes, nullptr);
    EXPECT_EQ(ctx.Settings, nullptr);
}

TEST_F(ResultEntryTest, CreationFailsWhenTheConnectionWillNotOpen)
{
    storeSettings(QString(), QString(), QString());
    EXPECT_THROW(create(), corvane::DatabaseError);
    EXPECT_EQ(SessionContext::current().Connection, nullptr);

    storeSettings(QString(), QString(), QStringLiteral("file:///nonexistent/corvane-lab"));
    EXPECT_THROW(create(), corvane::DatabaseError);

    // A failed creation leaves nothing behind that would keep a later connection open.
    storeSettings(QString(), QString(), dataSource());
    {
        auto entry = create();
        EXPECT_NE(SessionContext::current().Connection, nullptr);
    }
    EXPECT_EQ(SessionContext::current().Connection, nullptr);
}

TEST_F(ResultEntryTest, ASecondObjectSharesTheConnectionUntilTheLastIsReleased)
{
    SessionContext &ctx = SessionContext::current();
    auto first = create();
    const corvane::Connection *shared = ctx.Connection.get();
    auto second = create();
    EXPECT_EQ(ctx.Connection.get(), shared);
    first.reset();
    ASSERT_EQ(ctx.Connection.get(), shared);
    show(*second, "R2603001");
    EXPECT_TRUE(log.events.contains(QStringLiteral("showModal")));
    second.reset();
    EXPECT_EQ(ctx.Connection, nullptr);
}

TEST_F(ResultEntryTest, PropertiesAreKeptInTheSession)
{
    auto entry = create();
    entry->setCanVerify(-1); // the automation true
    entry->setVerifyMode(true);
    entry->setEditMode(0);
    entry->setClerk(1);
    entry->setEntryMode(2);
    entry->setEmployeeCode(QStringLiteral("0102"));
    entry->setEmployeeName(QStringLiteral("Navarro, Paolo Miguel C."));
    QString examId = QStringLiteral("121");
    entry->Get_ExamID(examId);

    show(*entry, "R2603001");
    show(*entry, "R2603002");
    const SessionContext &ctx = SessionContext::current();
    EXPECT_TRUE(ctx.CanVerify);
    EXPECT_TRUE(ctx.VerifyMode);
    EXPECT_FALSE(ctx.EditMode);
    EXPECT_TRUE(ctx.Clerk);
    EXPECT_EQ(ctx.EntryMode, 2);
    EXPECT_EQ(ctx.EmployeeCode, QStringLiteral("0102"));
    EXPECT_EQ(ctx.EmployeeName, QStringLiteral("Navarro, Paolo Miguel C."));
    EXPECT_EQ(ctx.ExamID, QStringLiteral("121"));
    EXPECT_EQ(examId, QStringLiteral("121"));

    entry->setCanVerify(false);
    EXPECT_FALSE(ctx.CanVerify);
}

TEST_F(ResultEntryTest, ShowsTheScreenOfTheExamInOrder)
{
    auto entry = create();
    QString number = QStringLiteral(" R2603001 ");
    qint16 intResult = 7;
    entry->Show_ResultEntry(number, intResult);

    EXPECT_EQ(log.events, (QStringList{QStringLiteral("create frmAPTT"),
                                       QStringLiteral("top %1").arg(pixelsY(2350)),
                                       QStringLiteral("left %1").arg(pixelsX(100)), QStringLiteral("Fill_Results"),
                                       QStringLiteral("showModal"), QStringLiteral("release")}));
    EXPECT_TRUE(seam.messages().isEmpty());
    // By the time the screen is shown the session holds everything about the request.
    EXPECT_EQ(log.requestNum, QStringLiteral(" R2603001 ")) << "stored as the host passed it";
    EXPECT_EQ(log.intResult, 7);
    EXPECT_EQ(log.formType, QStringLiteral("H"));
    EXPECT_EQ(log.hospitalTitle, QStringLiteral("SAN ISIDRO DOCTORS HOSPITAL"));
    EXPECT_EQ(log.dbUser, QStringLiteral("labuser"));
    EXPECT_EQ(log.dbServer, dataSource());
    EXPECT_EQ(log.reagentID, QStringLiteral("R0101"));
    EXPECT_EQ(number, QStringLiteral(" R2603001 "));
}

TEST_F(ResultEntryTest, PlacesTheScreenFromTwips)
{
    auto entry = create();
    QString number = QStringLiteral("R2603010");
    qint16 intResult = 0;
    entry->Show_ResultEntry(number, intResult, 1440, 2880.4);
    ASSERT_GE(log.events.size(), 3);
    EXPECT_EQ(log.events.at(0), QStringLiteral("create frmABG"));
    EXPECT_EQ(log.events.at(1), QStringLiteral("top %1").arg(pixelsY(1440)));
    EXPECT_EQ(log.events.at(2), QStringLiteral("left %1").arg(pixelsX(2880.4)));
}

TEST_F(ResultEntryTest, TheSelectorChoosesAmongTheHistopathologyScreens)
{
    auto entry = create();
    show(*entry, "R2603004", 12);
    show(*entry, "R2603005", 605);
    show(*entry, "R2603006", 0);
    EXPECT_EQ(log.events.filter(QStringLiteral("create ")),
              (QStringList{QStringLiteral("create frmERAPRA"), QStringLiteral("create frmCerb"),
                           QStringLiteral("create frmHistopath")}));
}

TEST_F(ResultEntryTest, UnformattedExamsGetTheMessageAndNoScreen)
{
    auto entry = create();
    show(*entry, "R2603056"); // FormType "h"
    show(*entry, "R2603057"); // FormType ""
    show(*entry, "R2603024"); // "H" with "Q"
    EXPECT_TRUE(log.events.isEmpty()) << log.events.join(QLatin1Char(',')).toStdString();
    ASSERT_EQ(seam.messages().size(), 3);
    for (const auto &shown : seam.messages()) {
        EXPECT_EQ(shown.request.text, QStringLiteral("Exam not yet formatted."));
        EXPECT_EQ(shown.request.title, QStringLiteral("Invalid Exam Format"));
        EXPECT_EQ(shown.request.icon, QMessageBox::Information);
        EXPECT_EQ(shown.request.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

TEST_F(ResultEntryTest, SomeFormatsReturnWithoutAWord)
{
    auto entry = create();
    show(*entry, "R2603052"); // "X" with "3"
    show(*entry, "R2603054"); // "Q"
    EXPECT_TRUE(log.events.isEmpty());
    EXPECT_TRUE(seam.messages().isEmpty());
}

TEST_F(ResultEntryTest, ARequestNotFoundDispatchesOnThePreviousRecord)
{
    auto entry = create();
    show(*entry, "NOSUCH");
    ASSERT_EQ(seam.messages().size(), 1) << "nothing loaded yet: an empty FormType";
    EXPECT_TRUE(log.events.isEmpty());

    show(*entry, "R2603002");
    show(*entry, "NOSUCH");
    EXPECT_EQ(log.events.filter(QStringLiteral("create ")),
              (QStringList{QStringLiteral("create frmStone"), QStringLiteral("create frmStone")}));
    EXPECT_EQ(log.requestNum, QStringLiteral("NOSUCH"));
    EXPECT_EQ(seam.messages().size(), 1);
}

TEST_F(ResultEntryTest, AScreenNotInTheBuildIsAnErrorToTheHost)
{
    ScreenFactory::unregisterScreen(QStringLiteral("frmStone"));
    auto entry = create();
    try {
        show(*entry, "R2603002");
        FAIL() << "Show_ResultEntry returned without the screen";
    } catch (const ComponentError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("The result entry screen frmStone is not available in this build."));
    }
    EXPECT_TRUE(seam.messages().isEmpty());
}

TEST_F(ResultEntryTest, AFailingFillReachesTheHostAndReleasesTheScreen)
{
    auto entry = create();
    log.failFill = true;
    EXPECT_THROW(show(*entry, "R2603001"), corvane::DatabaseError);
    EXPECT_EQ(log.events.last(), QStringLiteral("release"));
    EXPECT_FALSE(log.events.contains(QStringLiteral("showModal")));
}

TEST_F(ResultEntryTest, SettingsCopiesAreRefreshedOnEveryCall)
{
    auto entry = create();
    show(*entry, "R2603001");
    EXPECT_EQ(log.dbUser, QStringLiteral("labuser"));
    storeSettings(QStringLiteral("other"), QStringLiteral("pw2"), QStringLiteral("elsewhere"));
    show(*entry, "R2603001");
    EXPECT_EQ(log.dbUser, QStringLiteral("other"));
    EXPECT_EQ(log.dbServer, QStringLiteral("elsewhere"));
    EXPECT_EQ(SessionContext::current().DbPassword, QStringLiteral("pw2"));
}

TEST_F(ResultEntryTest, TheCodeSearchObjectLivesWithTheEntryObject)
{
    int alive = 0;
    corvane::registerClass(clsResultEntry::kCodeSearchIdentity,
                           [&alive] { return std::make_unique<FakeCodeSearch>(alive); });
    {
        auto entry = create();
        ASSERT_NE(SessionContext::current().SearchCodes, nullptr);
        EXPECT_NE(dynamic_cast<FakeCodeSearch *>(SessionContext::current().SearchCodes.get()), nullptr);
        auto second = create();
        EXPECT_EQ(alive, 1) << "created once per session";
    }
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(SessionContext::current().SearchCodes, nullptr);
}

TEST_F(ResultEntryTest, ACodeSearchOfTheWrongKindFailsTheCreation)
{
    corvane::registerClass(clsResultEntry::kCodeSearchIdentity, [] { return std::make_unique<QObject>(); });
    EXPECT_THROW(create(), ComponentError);
    EXPECT_EQ(SessionContext::current().Connection, nullptr) << "the connection it opened is closed again";
}

} // namespace
