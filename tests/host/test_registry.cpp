// Creating objects by class identity and screens by name, and twips to pixels.

#include "support/qstringprint.h"

#include "host/objectregistry.h"
#include "host/screenfactory.h"
#include "host/twips.h"
#include "session/errors.h"

#include <gtest/gtest.h>

using corvane::ComponentError;
using corvane::ScreenFactory;

namespace {

QString errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const ComponentError &e) {
        return e.description();
    }
    return QStringLiteral("<no error>");
}

class Plain : public QObject {
public:
    explicit Plain(int *alive) : m_alive(alive) { ++*m_alive; }
    ~Plain() override { --*m_alive; }

private:
    int *m_alive;
};

TEST(ObjectRegistry, CreatesRegisteredClassesByIdentityInAnyCaseAndNamesUnknownOnes)
{
    EXPECT_EQ(errorOf([] { corvane::createObject(QStringLiteral("Kestrix.nosuchclass")); }),
              QStringLiteral("Cannot create object: the class \"Kestrix.nosuchclass\" is not registered."));
    EXPECT_TRUE(corvane::isClassRegistered(QStringLiteral("CORVANE.CLSRESULTENTRY")));

    int alive = 0;
    corvane::registerClass(QStringLiteral("Test.Plain"), [&alive] { return std::make_unique<Plain>(&alive); });
    {
        const std::unique_ptr<QObject> a = corvane::createObject(QStringLiteral("test.plain"));
        const std::unique_ptr<QObject> b = corvane::createObject(QStringLiteral("Test.Plain"));
        EXPECT_NE(a.get(), b.get()) << "every creation is a new object";
        EXPECT_EQ(alive, 2);
    }
    EXPECT_EQ(alive, 0);
    corvane::unregisterClass(QStringLiteral("TEST.PLAIN"));
    EXPECT_THROW(corvane::createObject(QStringLiteral("Test.Plain")), ComponentError);
}

class NamedScreen : public corvane::ResultScreen {
public:
    explicit NamedScreen(QString name) : name(std::move(name)) {}
    void setTop(int) override {}
    void setLeft(int) override {}
    void Fill_Results() override {}
    int showModal() override { return 0; }
    QString name;
};

TEST(ScreenFactory, CreatesRegisteredScreensByExactNameAndReportsMissingOnes)
{
    // No screen is part of this test program.
    EXPECT_EQ(errorOf([] { ScreenFactory::create(QStringLiteral("frmAPTT")); }),
              QStringLiteral("The result entry screen frmAPTT is not available in this build."));
    const auto named = [](const char *name) {
        return [name] { return std::make_unique<NamedScreen>(QString::fromLatin1(name)); };
    };
    ScreenFactory::registerScreen(QStringLiteral("frmTest"), named("first"));
    EXPECT_FALSE(ScreenFactory::isRegistered(QStringLiteral("FRMTEST")));
    EXPECT_EQ(dynamic_cast<NamedScreen &>(*ScreenFactory::create(QStringLiteral("frmTest"))).name,
              QStringLiteral("first"));
    ScreenFactory::registerScreen(QStringLiteral("frmTest"), named("second"));
    EXPECT_EQ(dynamic_cast<NamedScreen &>(*ScreenFactory::create(QStringLiteral("frmTest"))).name,
              QStringLiteral("second"));
    ScreenFactory::registerScreen(QStringLiteral("frmTest"), [] { return std::unique_ptr<corvane::ResultScreen>(); });
    EXPECT_THROW(ScreenFactory::create(QStringLiteral("frmTest")), ComponentError);
    ScreenFactory::unregisterScreen(QStringLiteral("frmTest"));
    EXPECT_FALSE(ScreenFactory::isRegistered(QStringLiteral("frmTest")));
}

TEST(Twips, ToPixelsRoundsToTheNearest)
{
    EXPECT_EQ(corvane::twipsToPixels(1440, 96), 96);
    EXPECT_EQ(corvane::twipsToPixels(2350, 96), 157); // 156.7
    EXPECT_EQ(corvane::twipsToPixels(100, 96), 7);    // 6.7
    EXPECT_EQ(corvane::twipsToPixels(2350, 120), 196);
    EXPECT_EQ(corvane::twipsToPixels(-1440, 96), -96);
}

} // namespace
