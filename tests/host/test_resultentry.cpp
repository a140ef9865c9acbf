// clsResultEntry from the host's side: creation and release of the shared connection, the
// session properties, and Show_ResultEntry from request number to the screen it opens, run
// against a demo database with stand-in screens.

#include "support/qstringprint.h"
#include "support/usersettings.h"

#include "host/clsresultentry.h"
#include "host/dispatch.h"
#include "host/objectregistry.h"
#include "host/screenfactory.h"
#include "host/twips.h"
#include "services/ui/scriptedseam.h"
#include "session/errors.h"
#include "session/sessioncontext.h"

#include <labdb/schema.h>

#include <QGuiApplication>
#include <QScreen>

using corvane::clsResultEntry;
using corvane::ComponentError;
using corvane::ScreenFactory;
using corvane::SessionContext;

namespace {

// What the stand-in screens saw, in order, and the session as the last one found it when shown.
struct ScreenLog {
    QStringList events;
    QString requestNum, formType, hospitalTitle, dbUser, dbServer, reagentID;
    qint16 intResult = 0;
    bool failFill = false;
};

class FakeScreen : public corvane::ResultScreen {
public:
    FakeScreen(QString name, ScreenLog &log) : m_log(log) { m_log.events << QStringLiteral("create ") + name; }
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
        const SessionContext &c = SessionContext::current();
        m_log = {m_log.events, c.RequestNum, c.RequestRecord.FormType, c.HospitalTitle, c.DbUser, c.DbServer,
                 c.ReagentID, c.intResult, m_log.failFill};
        return 1;
    }

private:
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

QString top(double twips)
{
    return QStringLiteral("top %1").arg(
        corvane::twipsToPixels(twips, QGuiApplication::primaryScreen()->logicalDotsPerInchY()));
}
QString left(double twips)
{
    return QStringLiteral("left %1").arg(
        corvane::twipsToPixels(twips, QGuiApplication::primaryScreen()->logicalDotsPerInchX()));
}

class ResultEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(settings.isValid());
        labdb::loadDemoData(*database.connect());
        settings.storeConnection(dataSource(), QStringLiteral("labuser"), QStringLiteral("pw"));
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
    }

    QString dataSource() const { return QString::fromStdString(database.dataSource()); }

    static std::unique_ptr<clsResultEntry> create()
    {
        std::unique_ptr<QObject> object = corvane::createObject(QStringLiteral("Corvane.clsResultEntry"));
        auto *entry = qobject_cast<clsResultEntry *>(object.get());
        if (!entry)
            throw std::logic_error("the registry did not create a clsResultEntry");
        object.release();
        return std::unique_ptr<clsResultEntry>(entry);
    }

    // Show_ResultEntry with the defaults for Top and Left.
    static void show(clsResultEntry &entry, const char *requestNum, qint16 intResult = 0)
    {
        QString number = QString::fromLatin1(requestNum);
        entry.Show_ResultEntry(number, intResult);
    }
    QStringList created() const { return log.events.filter(QStringLiteral("create ")); }

    testsupport::UserSettings settings;
    testsupport::TempDatabase database{testsupport::Backend::Sqlite};
    ScreenLog log;
    corvane::ScriptedUiSeam seam;
    corvane::ScopedUiSeam seamInstalled{seam};
};

TEST_F(ResultEntryTest, EntryObjectsShareOneConnectionThatTheLastReleaseCloses)
{
    SessionContext &ctx = SessionContext::current();
    auto first = create();
    ASSERT_NE(ctx.Connection, nullptr);
    ASSERT_NE(ctx.Settings, nullptr);
    EXPECT_EQ(ctx.Connection->query(corvane::Command("select * from Patient_Data..tbHospitalInfo")).recordCount(), 1);
    EXPECT_NE(ctx.SearchCodes, nullptr) << "the code-search library ships with the component";
    const corvane::Connection *shared = ctx.Connection.get();

    auto second = create();
    EXPECT_EQ(ctx.Connection.get(), shared);
    first.reset();
    ASSERT_EQ(ctx.Connection.get(), shared);
    show(*second, "R2603001");
    EXPECT_TRUE(log.events.contains(QStringLiteral("showModal")));
    second.reset();
    EXPECT_EQ(ctx.Connection, nullptr);
    EXPECT_EQ(ctx.SearchCodes, nullptr);
    EXPECT_EQ(ctx.Settings, nullptr);
}

TEST_F(ResultEntryTest, CreationFailsWhenTheConnectionWillNotOpen)
{
    settings.storeConnection(QString(), QString(), QString());
    EXPECT_THROW(create(), corvane::DatabaseError);
    EXPECT_EQ(SessionContext::current().Connection, nullptr);

    settings.storeConnection(QStringLiteral("file:///nonexistent/corvane-lab"), QString(), QString());
    EXPECT_THROW(create(), corvane::DatabaseError);

    // A failed creation leaves nothing behind that would keep a later connection open.
    settings.storeConnection(dataSource(), QString(), QString());
    create().reset();
    EXPECT_EQ(SessionContext::current().Connection, nullptr);
}

TEST_F(ResultEntryTest, ShowsTheScreenOfTheExamInOrder)
{
    auto entry = create();
    QString number = QStringLiteral(" R2603001 ");
    qint16 intResult = 7;
    entry->Show_ResultEntry(number, intResult);

    EXPECT_EQ(log.events, (QStringList{QStringLiteral("create frmAPTT"), top(2350), left(100),
                                       QStringLiteral("Fill_Results"), QStringLiteral("showModal"),
                                       QStringLiteral("release")}));
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

    // Top and Left come in twips.
    log.events.clear();
    number = QStringLiteral("R2603010");
    entry->Show_ResultEntry(number, intResult, 1440, 2880.4);
    EXPECT_EQ(log.events.mid(0, 3), (QStringList{QStringLiteral("create frmABG"), top(1440), left(2880.4)}));

    // intResult chooses among the histopathology screens.
    log.events.clear();
    show(*entry, "R2603004", 12);
    show(*entry, "R2603005", 605);
    show(*entry, "R2603006", 0);
    EXPECT_EQ(created(), (QStringList{QStringLiteral("create frmERAPRA"), QStringLiteral("create frmCerb"),
                                      QStringLiteral("create frmHistopath")}));
}

TEST_F(ResultEntryTest, UnformattedExamsGetTheMessageAndSomeFormatsNotEvenThat)
{
    auto entry = create();
    show(*entry, "R2603056"); // FormType "h"
    show(*entry, "R2603057"); // FormType ""
    show(*entry, "R2603024"); // "H" with "Q"
    show(*entry, "R2603052"); // "X" with "3": silent
    show(*entry, "R2603054"); // "Q": silent
    EXPECT_TRUE(log.events.isEmpty()) << log.events.join(QLatin1Char(',')).toStdString();
    ASSERT_EQ(seam.messages().size(), 3);
    for (const auto &shown : seam.messages()) {
        EXPECT_EQ(shown.request.text, QStringLiteral("Exam not yet formatted."));
        EXPECT_EQ(shown.request.title, QStringLiteral("Invalid Exam Format"));
        EXPECT_EQ(shown.request.icon, QMessageBox::Information);
        EXPECT_EQ(shown.request.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

TEST_F(ResultEntryTest, ARequestNotFoundDispatchesOnThePreviousRecord)
{
    auto entry = create();
    show(*entry, "NOSUCH");
    ASSERT_EQ(seam.messages().size(), 1) << "nothing loaded yet: an empty FormType";
    EXPECT_TRUE(log.events.isEmpty());

    show(*entry, "R2603002");
    show(*entry, "NOSUCH");
    EXPECT_EQ(created(), (QStringList{QStringLiteral("create frmStone"), QStringLiteral("create frmStone")}));
    EXPECT_EQ(log.requestNum, QStringLiteral("NOSUCH"));
    EXPECT_EQ(seam.messages().size(), 1);
}

TEST_F(ResultEntryTest, AMissingScreenOrAFailingFillReachesTheHost)
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
    settings.storeConnection(QStringLiteral("elsewhere"), QStringLiteral("other"), QStringLiteral("pw2"));
    show(*entry, "R2603001");
    EXPECT_EQ(log.dbUser, QStringLiteral("other"));
    EXPECT_EQ(log.dbServer, QStringLiteral("elsewhere"));
    EXPECT_EQ(SessionContext::current().DbPassword, QStringLiteral("pw2"));
}

TEST_F(ResultEntryTest, TheCodeSearchObjectLivesWithTheEntryObjectAndMustBeOne)
{
    int alive = 0;
    corvane::registerClass(clsResultEntry::kCodeSearchIdentity,
                           [&alive] { return std::make_unique<FakeCodeSearch>(alive); });
    {
        auto entry = create();
        EXPECT_NE(dynamic_cast<FakeCodeSearch *>(SessionContext::current().SearchCodes.get()), nullptr);
        auto second = create();
        EXPECT_EQ(alive, 1) << "created once per session";
    }
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(SessionContext::current().SearchCodes, nullptr);

    corvane::registerClass(clsResultEntry::kCodeSearchIdentity, [] { return std::make_unique<QObject>(); });
    EXPECT_THROW(create(), ComponentError);
    EXPECT_EQ(SessionContext::current().Connection, nullptr) << "the connection it opened is closed again";
}

} // namespace
