// PickListCombo on its own: filled from its source, found by typing, free text, and a stored
// value the list no longer offers.

#include <controls/picklistcombo.h>

#include <QApplication>
#include <QLineEdit>
#include <QMetaProperty>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

namespace {

using corvane::PickListCombo;

// Two lists of the laboratory's kind; every call is recorded.
class ListSource : public corvane::PickListSource {
public:
    QStringList values(const QString &database, const QString &procedure, const QString &mode,
                       const QString &listNumber) override
    {
        calls << QStringList{database, procedure, mode, listNumber}.join(QLatin1Char('|'));
        if (fail)
            throw std::runtime_error("the list server is down");
        return lists[(mode + QLatin1Char('/') + listNumber).toStdString()];
    }
    std::map<std::string, QStringList> lists{
        {"0/1", {QStringLiteral("Clear")}},
        {"1/1", {QStringLiteral("Slightly Hazy"), QStringLiteral("Hazy"), QStringLiteral("Turbid"),
                 QStringLiteral("Clear")}},
        {"0/4", {QStringLiteral("Negative")}},
        {"1/4", {QStringLiteral("Trace"), QStringLiteral("+"), QStringLiteral("++")}},
    };
    QStringList calls;
    bool fail = false;
};

QStringList entries(const QComboBox &combo)
{
    QStringList out;
    for (int i = 0; i < combo.count(); ++i)
        out << combo.itemText(i);
    return out;
}

class PickListComboTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        combo.setObjectName(QStringLiteral("xCbo_1"));
        combo.connectTo(source, QStringLiteral("LABORATORY"));
    }
    // As the screens load a list: mode "0", then mode "1".
    void loadList(const QString &number)
    {
        combo.load(QStringLiteral("Lab_Load_UrinalysisValues"), QStringLiteral("0"), number);
        combo.load(QStringLiteral("Lab_Load_UrinalysisValues"), QStringLiteral("1"), number);
    }
    // Shown and focused, so that typed keys reach it as they would on a screen.
    void showFocused()
    {
        combo.show();
        combo.activateWindow();
        combo.setFocus();
        QApplication::processEvents();
    }

    std::shared_ptr<ListSource> source = std::make_shared<ListSource>();
    PickListCombo combo;
};

TEST_F(PickListComboTest, BothModesFillOneListInOrderWithoutRepeatsAndKeepTheText)
{
    combo.setText(QStringLiteral("Hazy"));
    loadList(QStringLiteral("1"));
    EXPECT_EQ(entries(combo), (QStringList{QStringLiteral("Clear"), QStringLiteral("Slightly Hazy"),
                                           QStringLiteral("Hazy"), QStringLiteral("Turbid")}));
    EXPECT_EQ(combo.text(), QStringLiteral("Hazy"));
    EXPECT_EQ(source->calls, (QStringList{QStringLiteral("LABORATORY|Lab_Load_UrinalysisValues|0|1"),
                                          QStringLiteral("LABORATORY|Lab_Load_UrinalysisValues|1|1")}));

    // An empty text stays empty: loading never picks an entry on its own.
    PickListCombo blank;
    blank.connectTo(source, QStringLiteral("LABORATORY"));
    blank.load(QStringLiteral("Lab_Load_UrinalysisValues"), QStringLiteral("0"), QStringLiteral("4"));
    EXPECT_EQ(blank.text(), QString());
    EXPECT_EQ(blank.count(), 1);
}

TEST_F(PickListComboTest, LoadingWithoutASourceOrFromAFailingSourceRaises)
{
    PickListCombo unconnected;
    EXPECT_THROW(unconnected.load(QStringLiteral("Lab_Load_UrinalysisValues"), QStringLiteral("0"),
                                  QStringLiteral("1")),
                 std::logic_error);
    source->fail = true;
    combo.setText(QStringLiteral("Clear"));
    EXPECT_THROW(loadList(QStringLiteral("1")), std::runtime_error);
    EXPECT_EQ(combo.text(), QStringLiteral("Clear"));
}

TEST_F(PickListComboTest, TypingFindsAnEntryInAnyCaseAndEnterTakesIt)
{
    loadList(QStringLiteral("1"));
    showFocused();
    QTest::keyClicks(&combo, QStringLiteral("tu"));
    EXPECT_EQ(combo.text(), QStringLiteral("Turbid"));
    QTest::keyClick(&combo, Qt::Key_Return);
    EXPECT_EQ(combo.text(), QStringLiteral("Turbid"));
    EXPECT_EQ(combo.count(), 4) << "taking an entry adds nothing to the list";
}

TEST_F(PickListComboTest, FreeTextIsKeptAndNeverBecomesAnEntry)
{
    loadList(QStringLiteral("1"));
    showFocused();
    // The completion offered for "Hazy" is dropped with Delete, and typing goes on.
    QTest::keyClicks(&combo, QStringLiteral("Ha"));
    EXPECT_EQ(combo.text(), QStringLiteral("Hazy"));
    QTest::keyClick(&combo, Qt::Key_Delete);
    QTest::keyClicks(&combo, QStringLiteral("rdly any"));
    QTest::keyClick(&combo, Qt::Key_Return);
    EXPECT_EQ(combo.text(), QStringLiteral("Hardly any"));
    EXPECT_EQ(combo.count(), 4);

    // Without free text only entries can be chosen, by typing their first letters.
    combo.setFreeText(false);
    EXPECT_FALSE(combo.freeText());
    combo.setText(QStringLiteral("Clear"));
    showFocused();
    QTest::keyClicks(&combo, QStringLiteral("T"));
    EXPECT_EQ(combo.text(), QStringLiteral("Turbid"));
}

TEST_F(PickListComboTest, AStoredValueNoLongerOfferedIsStillShown)
{
    loadList(QStringLiteral("4"));
    combo.setText(QStringLiteral("4+ (old scale)"));
    EXPECT_EQ(combo.text(), QStringLiteral("4+ (old scale)"));
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(entries(combo), (QStringList{QStringLiteral("Negative"), QStringLiteral("Trace"), QStringLiteral("+"),
                                           QStringLiteral("++")}));

    // A pick-only combo shows it too, and keeps it across a later load.
    PickListCombo pickOnly;
    pickOnly.setFreeText(false);
    pickOnly.connectTo(source, QStringLiteral("LABORATORY"));
    pickOnly.load(QStringLiteral("Lab_Load_UrinalysisValues"), QStringLiteral("0"), QStringLiteral("4"));
    pickOnly.setText(QStringLiteral("4+ (old scale)"));
    pickOnly.load(QStringLiteral("Lab_Load_UrinalysisValues"), QStringLiteral("1"), QStringLiteral("4"));
    EXPECT_EQ(pickOnly.text(), QStringLiteral("4+ (old scale)"));
    pickOnly.setText(QStringLiteral("Trace"));
    EXPECT_EQ(pickOnly.text(), QStringLiteral("Trace"));
}

TEST_F(PickListComboTest, TheTextIsTheUserPropertyForGenericTools)
{
    loadList(QStringLiteral("4"));
    const QMetaProperty user = combo.metaObject()->userProperty();
    ASSERT_TRUE(user.isValid());
    EXPECT_STREQ(user.name(), "text");
    ASSERT_TRUE(user.write(&combo, QStringLiteral("++")));
    EXPECT_EQ(combo.currentIndex(), 3);
    EXPECT_EQ(user.read(&combo).toString(), QStringLiteral("++"));
}

} // namespace
