// ExamEntry on its own: the lines it reads, and the keys typed on a line as a screen sees them
// (swallowed, discarded, replaced, Enter, the arrows), with real key presses.

#include <controls/examentry.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using corvane::ExamEntry;
using corvane::ExamLine;

class Lines : public corvane::ExamLineSource {
public:
    QList<ExamLine> examLines(const QString &requestNum, int entryMode) override
    {
        asked << requestNum + QLatin1Char('/') + QString::number(entryMode);
        return {{requestNum, QStringLiteral("167"), QStringLiteral("SODIUM"), QStringLiteral("1"), {},
                 QStringLiteral("135-145"), QStringLiteral("mmol/L"), QStringLiteral("135"), QStringLiteral("145"), {}},
                {requestNum, QStringLiteral("168"), QStringLiteral("POTASSIUM"), QStringLiteral("1"),
                 QStringLiteral("5.4"), QStringLiteral("3.5-5.1"), QStringLiteral("mmol/L"), QStringLiteral("3.5"),
                 QStringLiteral("5.1"), QStringLiteral("HIGH")},
                {requestNum, QStringLiteral("169"), QStringLiteral("CHLORIDE"), QStringLiteral("1"), {},
                 QStringLiteral("98-107"), QStringLiteral("mmol/L"), QStringLiteral("98"), QStringLiteral("107"), {}}};
    }
    QStringList asked;
};

class ExamEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.connectTo(source);
        list.Load(2, QStringLiteral("R-77"));
        list.show();
        list.activateWindow();
        list.setCurrentLine(0);
        QApplication::processEvents();
    }
    QLineEdit *box(int i) { return list.findChild<QLineEdit *>(QStringLiteral("txtEntry_%1").arg(i)); }

    std::shared_ptr<Lines> source = std::make_shared<Lines>();
    ExamEntry list;
};

TEST_F(ExamEntryTest, ReadsTheRequestsLinesThroughItsSourceAndShowsWhatWasStored)
{
    EXPECT_EQ(source->asked, QStringList{QStringLiteral("R-77/2")});
    ASSERT_EQ(list.count(), 3);
    ASSERT_NE(box(2), nullptr);
    EXPECT_EQ(box(1)->text(), QStringLiteral("5.4"));
    EXPECT_EQ(list.line(1).flag, QStringLiteral("HIGH"));
    EXPECT_EQ(list.normalValue(2), QStringLiteral("98-107"));
    EXPECT_THROW(list.line(3), std::out_of_range);
    EXPECT_THROW(list.setEntry(-1, QString()), std::out_of_range);

    ExamEntry unconnected;
    EXPECT_THROW(unconnected.Load(0, QStringLiteral("R-77")), std::logic_error);
    // Loading again replaces the lines rather than adding to them.
    list.Load(0, QStringLiteral("R-78"));
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.line(0).requestNum, QStringLiteral("R-78"));
}

TEST_F(ExamEntryTest, TheScreenDecidesWhatATypedCharacterBecomes)
{
    QList<int> downs, presses;
    QObject::connect(
        &list, &ExamEntry::KeyDown, &list,
        [&](int line, int &keyCode, Qt::KeyboardModifiers &) {
            downs << line;
            if (keyCode == Qt::Key_F2)
                keyCode = 0;
        },
        Qt::DirectConnection);
    QObject::connect(
        &list, &ExamEntry::KeyPress, &list,
        [&](int, int &keyAscii) {
            presses << keyAscii;
            if (keyAscii == 'x')
                keyAscii = 0; // discarded
            else if (keyAscii >= 'a' && keyAscii <= 'z')
                keyAscii -= 'a' - 'A';
        },
        Qt::DirectConnection);
    QTest::keyClicks(box(0), QStringLiteral("1x.5ab"));
    EXPECT_EQ(box(0)->text(), QStringLiteral("1.5AB"));
    EXPECT_EQ(list.entry(0), QStringLiteral("1.5AB"));
    QTest::keyClick(box(0), Qt::Key_Backspace);
    EXPECT_EQ(box(0)->text(), QStringLiteral("1.5A"));
    EXPECT_EQ(presses.last(), 8);

    // A swallowed key never becomes a character.
    const qsizetype before = presses.size();
    QTest::keyClick(box(0), Qt::Key_F2);
    EXPECT_EQ(presses.size(), before);
    EXPECT_EQ(downs.size(), 8);
    EXPECT_EQ(downs.last(), 0);
}

TEST_F(ExamEntryTest, EnterIsReportedButTypesNothingAndTheArrowsMoveBetweenLines)
{
    QList<int> presses, moves;
    QObject::connect(&list, &ExamEntry::KeyPress, &list, [&](int, int &keyAscii) { presses << keyAscii; },
                     Qt::DirectConnection);
    QObject::connect(&list, &ExamEntry::LineChanged, &list, [&](int line) { moves << line; });
    QTest::keyClicks(box(0), QStringLiteral("140"));
    QTest::keyClick(box(0), Qt::Key_Return);
    QTest::keyClick(box(0), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(presses.mid(3), (QList<int>{13, 13}));
    EXPECT_EQ(box(0)->text(), QStringLiteral("140"));
    EXPECT_EQ(list.currentLine(), 0); // moving on is the screen's business

    QTest::keyClick(box(0), Qt::Key_Down);
    QTest::keyClick(box(1), Qt::Key_Down);
    EXPECT_EQ(list.currentLine(), 2);
    EXPECT_TRUE(box(2)->hasFocus());
    QTest::keyClick(box(2), Qt::Key_Down); // the last line stays
    EXPECT_EQ(list.currentLine(), 2);
    QTest::keyClick(box(2), Qt::Key_Up);
    EXPECT_EQ(list.currentLine(), 1);
    EXPECT_EQ(moves, (QList<int>{1, 2, 1}));
}

TEST_F(ExamEntryTest, EntriesColoursAndColumnsAreTheLinesOwn)
{
    QList<int> changed;
    QObject::connect(&list, &ExamEntry::EntryChanged, &list, [&](int line) { changed << line; });
    list.setEntry(2, QStringLiteral("101"));
    QTest::keyClicks(box(0), QStringLiteral("7"));
    EXPECT_EQ(changed, (QList<int>{2, 0}));
    EXPECT_EQ(list.line(2).entry, QStringLiteral("101"));

    list.setLineColors(1, Qt::black, QColor(0xff, 0xff, 0xc0));
    EXPECT_EQ(list.lineBackColor(1), QColor(0xff, 0xff, 0xc0));
    EXPECT_EQ(list.lineBackColor(0), QColor(Qt::white));
    EXPECT_EQ(box(1)->palette().color(QPalette::Base), QColor(0xff, 0xff, 0xc0));

    EXPECT_EQ(list.ColWidth(ExamEntry::ColNumber), 0);
    list.setFixedColumns({800, 4000, 5000});
    EXPECT_TRUE(list.hasFixedColumns());
    EXPECT_EQ(list.ColWidth(ExamEntry::ColNumber), 800);
    EXPECT_EQ(list.ColWidth(ExamEntry::ColEntry), 5000);
    EXPECT_EQ(box(0)->width(), 5000 * box(0)->logicalDpiX() / 1440);
    list.setColWidth(ExamEntry::ColUnit, 0);
    EXPECT_FALSE(list.findChild<QWidget *>(QStringLiteral("lblUnit_0"))->isVisibleTo(&list));
    EXPECT_THROW(list.setColWidth(ExamEntry::ColumnCount, 100), std::out_of_range);
}

} // namespace
