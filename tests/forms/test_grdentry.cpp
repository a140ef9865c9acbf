// The grid entry control driven as a technologist drives it: real key and mouse events on a shown
// window (offscreen platform).

#include "support/qstringprint.h"

#include "forms/common/grdentry.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using corvane::GrdEntry;

namespace {

// A screen with a text box before and after the grid, and a log of the grid's events.
class GrdEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(window.get());
        before = new QLineEdit(window.get());
        grid = new GrdEntry(window.get());
        after = new QLineEdit(window.get());
        layout->addWidget(before);
        layout->addWidget(grid);
        layout->addWidget(after);
        window->resize(640, 360);

        table = grid->findChild<QTableView *>(QStringLiteral("grdEntry"));
        editor = grid->findChild<QLineEdit *>(QStringLiteral("txtEntry"));
        button = grid->findChild<QPushButton *>(QStringLiteral("cmdEntry"));
        spin = grid->findChild<QSpinBox *>(QStringLiteral("UpDown"));

        const auto log = [this](const char *name) { return [this, name] { events << QString::fromLatin1(name); }; };
        QObject::connect(grid, &GrdEntry::KeyDown, grid,
                         [this](int &, Qt::KeyboardModifiers &) { events << QStringLiteral("KeyDown"); });
        QObject::connect(grid, &GrdEntry::EnterCell, grid, log("EnterCell"));
        QObject::connect(grid, &GrdEntry::LeaveCell, grid, log("LeaveCell"));
        QObject::connect(grid, &GrdEntry::RowColChange, grid, log("RowColChange"));
        QObject::connect(grid, &GrdEntry::Show, grid, log("Show"));
        QObject::connect(grid, &GrdEntry::GotFocus, grid, log("GotFocus"));
        QObject::connect(grid, &GrdEntry::focusEntered, grid, log("focusEntered"));
        QObject::connect(grid, &GrdEntry::ButtonClick, grid, log("ButtonClick"));
        QObject::connect(grid, &GrdEntry::Click, grid, log("Click"));
        QObject::connect(grid, &GrdEntry::UpClick, grid, [this] { events << QStringLiteral("UpClick:") + grid->Text(); });
        QObject::connect(grid, &GrdEntry::DownClick, grid,
                         [this] { events << QStringLiteral("DownClick:") + grid->Text(); });
    }

    // rows x cols with heading row 0 and column 0; the other cells start empty.
    void showGrid(int rows, int cols)
    {
        grid->setRows(rows);
        grid->setCols(cols);
        for (int c = 0; c < cols; ++c)
            grid->setTextMatrix(0, c, QStringLiteral("Head %1").arg(c));
        for (int r = 1; r < rows; ++r)
            grid->setTextMatrix(r, 0, QStringLiteral("Exam %1").arg(r));
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void enable(std::initializer_list<int> columns, int control = GrdEntry::PlainEditor, int format = 99)
    {
        for (int c : columns) {
            grid->setEnableColumn(c, true);
            grid->setColumnControl(c, control);
            grid->setColumnformat(c, format);
        }
    }

    void goTo(int row, int column)
    {
        grid->setRow(row);
        grid->setCol(column);
        events.clear();
    }

    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    static void type(const QString &text) { QTest::keyClicks(QApplication::focusWidget(), text); }

    QPoint cellCenter(int row, int column) const
    {
        return table->visualRect(table->model()->index(row, column)).center();
    }
    QRect cellOnGrid(int row, int column) const
    {
        const QRect r = table->visualRect(table->model()->index(row, column));
        return r.translated(table->viewport()->mapTo(grid, QPoint(0, 0)));
    }
    std::pair<int, int> cell() const { return {grid->Row(), grid->col()}; }

    // "a b c" as a list of its words, for the expected events.
    static QStringList words(const char *text) { return QString::fromLatin1(text).split(QLatin1Char(' ')); }

    std::unique_ptr<QWidget> window;
    QLineEdit *before = nullptr;
    QLineEdit *after = nullptr;
    GrdEntry *grid = nullptr;
    QTableView *table = nullptr;
    QLineEdit *editor = nullptr;
    QPushButton *button = nullptr;
    QSpinBox *spin = nullptr;
    QStringList events;
};

TEST_F(GrdEntryTest, ColumnSettingsRejectIndexesOutsideZeroToOneHundred)
{
    grid->setEnableColumn(100, true);
    EXPECT_TRUE(grid->EnableColumn(100));
    for (int bad : {-1, 101}) {
        EXPECT_THROW(grid->setEnableColumn(bad, false), std::out_of_range);
        EXPECT_THROW(grid->setColumnformat(bad, 0), std::out_of_range);
        EXPECT_THROW(grid->setColumnControl(bad, 0), std::out_of_range);
        EXPECT_THROW(grid->EnableColumn(bad), std::out_of_range);
    }
}

TEST_F(GrdEntryTest, EditorCoversTheCellWithButtonSpinOrAlone)
{
    showGrid(6, 5);
    grid->setTextMatrix(2, 2, QStringLiteral("4.2"));
    for (int control : {GrdEntry::ButtonEditor, GrdEntry::SpinEditor, GrdEntry::PlainEditor}) {
        SCOPED_TRACE(control);
        enable({2}, control);
        goTo(2, 2);
        ASSERT_TRUE(editor->isVisible());
        EXPECT_EQ(button->isVisible(), control == GrdEntry::ButtonEditor);
        EXPECT_EQ(spin->isVisible(), control == GrdEntry::SpinEditor);
        QRect covered = editor->geometry();
        if (control != GrdEntry::PlainEditor)
            covered = covered.united(control == GrdEntry::ButtonEditor ? button->geometry() : spin->geometry());
        EXPECT_EQ(covered, cellOnGrid(2, 2));
        EXPECT_EQ(editor->selectedText(), QStringLiteral("4.2"));
        EXPECT_TRUE(editor->hasFocus());
    }
    // A wider column takes the open editor with it.
    grid->setColWidth(2, 3000);
    EXPECT_EQ(editor->geometry(), cellOnGrid(2, 2));

    // The normal-values screen: two hidden key columns fixed at the left take no room.
    grid->setFixedCols(2);
    grid->setColWidth(0, 0);
    grid->setColWidth(1, 0);
    enable({3});
    goTo(1, 3);
    EXPECT_EQ(editor->x(), table->viewport()->mapTo(grid, QPoint(0, 0)).x() + table->columnWidth(2));
}

TEST_F(GrdEntryTest, ButtonAndTypingRaiseTheirEventsAndKeepTheFocusInTheEditor)
{
    showGrid(4, 4);
    enable({1}, GrdEntry::ButtonEditor, GrdEntry::DigitsOnly);
    goTo(1, 1);
    int changes = 0;
    QObject::connect(grid, &GrdEntry::Change, grid, [&] { ++changes; });
    type(QStringLiteral("12"));
    EXPECT_EQ(changes, 2);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(events, words("KeyDown KeyDown ButtonClick"));
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_THROW(grid->setRow(4), std::out_of_range);
    EXPECT_THROW(grid->setCol(-1), std::out_of_range);
    EXPECT_EQ(cell(), std::make_pair(1, 1));
}

TEST_F(GrdEntryTest, EditorAndHeadingsFollowTheCellsThroughScrolling)
{
    showGrid(60, 12);
    for (int c = 1; c < 12; ++c)
        grid->setColWidth(c, 2000);
    enable({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    goTo(1, 1);
    for (int i = 0; i < 40; ++i)
        press(Qt::Key_Down);
    for (int i = 0; i < 9; ++i)
        press(Qt::Key_Right);
    ASSERT_EQ(cell(), std::make_pair(41, 10));
    ASSERT_GT(table->verticalScrollBar()->value(), 0);
    ASSERT_GT(table->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(editor->geometry(), cellOnGrid(41, 10));

    // Row 0 and column 0 are drawn by panes laid over the table; they scroll with it.
    table->horizontalScrollBar()->setValue(3);
    table->verticalScrollBar()->setValue(7);
    int aligned = 0;
    for (const QTableView *pane : table->findChildren<QTableView *>()) {
        if (!pane->isRowHidden(0) && !pane->isColumnHidden(6) && ++aligned) {
            EXPECT_EQ(pane->columnViewportPosition(6), table->columnViewportPosition(6));
        }
        if (!pane->isColumnHidden(0) && !pane->isRowHidden(20) && ++aligned) {
            EXPECT_EQ(pane->rowViewportPosition(20), table->rowViewportPosition(20));
        }
    }
    EXPECT_EQ(aligned, 2) << "one heading pane for the row, one for the column";
}

struct Move {
    int row, col, key, toRow, toCol;
};

class NavigationTest : public GrdEntryTest, public ::testing::WithParamInterface<Move> {};

TEST_P(NavigationTest, ArrowsMoveOneCellAndStopAtRowAndColumnOne)
{
    const Move m = GetParam();
    showGrid(5, 5);
    enable({1, 2, 3, 4});
    goTo(m.row, m.col);
    press(m.key);
    EXPECT_EQ(cell(), std::make_pair(m.toRow, m.toCol));
    const bool hasMoved = m.row != m.toRow || m.col != m.toCol;
    EXPECT_EQ(events, words(hasMoved ? "KeyDown LeaveCell RowColChange EnterCell" : "KeyDown"));
    EXPECT_TRUE(editor->hasFocus());
}

INSTANTIATE_TEST_SUITE_P(Edges, NavigationTest,
                         ::testing::Values(Move{1, 2, Qt::Key_Up, 1, 2}, Move{3, 2, Qt::Key_Up, 2, 2},
                                           Move{4, 2, Qt::Key_Down, 4, 2}, Move{2, 2, Qt::Key_Down, 3, 2},
                                           Move{2, 1, Qt::Key_Left, 2, 1}, Move{2, 3, Qt::Key_Left, 2, 2},
                                           Move{2, 4, Qt::Key_Right, 2, 4}, Move{2, 2, Qt::Key_Right, 2, 3}));

TEST_F(GrdEntryTest, DisabledColumnsGetNoEditorAndTheTableTakesTheKeys)
{
    showGrid(5, 5);
    enable({2});
    goTo(2, 2);
    press(Qt::Key_Right);
    EXPECT_EQ(cell(), std::make_pair(2, 3));
    EXPECT_FALSE(editor->isVisible() || button->isVisible());
    EXPECT_TRUE(table->hasFocus());
    // Letters typed now go nowhere; the table's own arrows bring the editor back.
    type(QStringLiteral("h"));
    EXPECT_EQ(cell(), std::make_pair(2, 3));
    press(Qt::Key_Left);
    EXPECT_EQ(cell(), std::make_pair(2, 2));
    EXPECT_TRUE(editor->hasFocus());

    // Enter with no enabled column left goes to column 0 of the next row, without an editor.
    grid->setEnableColumn(2, false); // the screen locks the column while its editor is open
    press(Qt::Key_Return);
    EXPECT_EQ(cell(), std::make_pair(3, 0));
    EXPECT_FALSE(editor->isVisible() || button->isVisible());
}

TEST_F(GrdEntryTest, EnterSkipsDisabledColumnsAndWrapsToTheFirstEnabledColumnOfTheNextRow)
{
    showGrid(4, 6);
    enable({2, 4});
    goTo(1, 2);
    press(Qt::Key_Return);
    EXPECT_EQ(cell(), std::make_pair(1, 4));
    EXPECT_EQ(events, words("KeyDown RowColChange LeaveCell EnterCell")); // the column changes first
    press(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(cell(), std::make_pair(2, 2));
    // From the last column the row changes first.
    enable({5});
    goTo(2, 5);
    press(Qt::Key_Return);
    EXPECT_EQ(cell(), std::make_pair(3, 2));
    EXPECT_EQ(events, words("KeyDown LeaveCell RowColChange EnterCell"));
    EXPECT_TRUE(editor->hasFocus());

    // On the last row Enter wraps within it, and on its last cell does nothing.
    goTo(3, 4);
    grid->setEnableColumn(5, false);
    press(Qt::Key_Return);
    EXPECT_EQ(cell(), std::make_pair(3, 2));
    grid->setEnableColumn(5, true);
    goTo(3, 5);
    type(QStringLiteral("9"));
    press(Qt::Key_Return);
    EXPECT_EQ(cell(), std::make_pair(3, 5));
    EXPECT_FALSE(events.contains(QStringLiteral("LeaveCell")));
    EXPECT_EQ(editor->text(), QStringLiteral("9"));
}

TEST_F(GrdEntryTest, ScreenCopyingOnEnterGetsEveryTypedResultIntoItsOwnCell)
{
    showGrid(5, 5);
    enable({3}, GrdEntry::PlainEditor, GrdEntry::Decimal);
    grid->setTextMatrix(2, 3, QStringLiteral("old"));
    QObject::connect(grid, &GrdEntry::KeyDown, grid, [this](int &key, Qt::KeyboardModifiers &) {
        if (key == Qt::Key_Return)
            grid->setTextMatrix(grid->Row(), grid->col(), grid->Text());
    });
    goTo(1, 3);
    type(QStringLiteral("12.5"));
    press(Qt::Key_Return);
    type(QStringLiteral("7")); // replaces "old": the editor opens with the cell text selected
    press(Qt::Key_Return);
    type(QStringLiteral("0.9"));
    press(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(QStringList({grid->TextMatrix(1, 3), grid->TextMatrix(2, 3), grid->TextMatrix(3, 3)}), words("12.5 7 0.9"));
    EXPECT_EQ(cell(), std::make_pair(4, 3));
}

struct Typing {
    int format;
    const char *typed;
    const char *shown;
};

class KeyFilterTest : public GrdEntryTest, public ::testing::WithParamInterface<Typing> {};

TEST_P(KeyFilterTest, ColumnFormatFiltersTypedCharacters)
{
    showGrid(3, 3);
    enable({1}, GrdEntry::PlainEditor, GetParam().format);
    goTo(1, 1);
    type(QString::fromLatin1(GetParam().typed));
    EXPECT_EQ(editor->text(), QString::fromLatin1(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Formats, KeyFilterTest,
                         ::testing::Values(Typing{0, "a1-2.3 b", "123"}, Typing{1, "pos 1+", "POS 1+"},
                                           Typing{2, "-12.5x", "12.5"}, Typing{2, "0.25", "0.25"},
                                           Typing{7, "x-1.e", "x-1.e"}));

TEST_F(GrdEntryTest, KeyDownAndKeyPressMayCancelOrReplaceTheKeyBeforeTheFilter)
{
    showGrid(3, 4);
    QObject::connect(grid, &GrdEntry::KeyDown, grid, [](int &key, Qt::KeyboardModifiers &) {
        if (key == Qt::Key_Down)
            key = 0;
        else if (key == Qt::Key_F2)
            key = Qt::Key_Return;
    });
    enable({1}, GrdEntry::PlainEditor, GrdEntry::DigitsOnly);
    enable({2}, GrdEntry::PlainEditor, 5);
    QObject::connect(grid, &GrdEntry::KeyPress, grid, [](int &keyAscii) {
        if (keyAscii == '\'')
            keyAscii = '`';
        else if (keyAscii == 'o')
            keyAscii = '0';
        else if (keyAscii == '#')
            keyAscii = 0;
    });
    goTo(1, 1);
    type(QStringLiteral("1o#5"));
    EXPECT_EQ(editor->text(), QStringLiteral("105"));
    press(Qt::Key_Backspace);
    EXPECT_EQ(editor->text(), QStringLiteral("10"));
    press(Qt::Key_Down);
    EXPECT_EQ(cell(), std::make_pair(1, 1));
    press(Qt::Key_F2);
    EXPECT_EQ(cell(), std::make_pair(1, 2));
    type(QStringLiteral("it's"));
    EXPECT_EQ(editor->text(), QStringLiteral("it`s"));
}

TEST_F(GrdEntryTest, SpinStartsAtOneOnAnEmptyCellStopsAtZeroAndHasNoUpperBound)
{
    showGrid(3, 3);
    enable({1}, GrdEntry::SpinEditor, GrdEntry::DigitsOnly);
    goTo(1, 1);
    EXPECT_EQ(editor->text(), QStringLiteral("1"));
    EXPECT_EQ(spin->value(), 1);
    type(QStringLiteral("x"));
    EXPECT_EQ(editor->text(), QStringLiteral("1"));
    events.clear();

    const QPoint upArrow(spin->width() / 2, spin->height() / 4);
    const QPoint downArrow(spin->width() / 2, spin->height() * 3 / 4);
    for (int i = 0; i < 14; ++i)
        QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, upArrow);
    EXPECT_EQ(editor->text(), QStringLiteral("15"));
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_EQ(events.first(), QStringLiteral("UpClick:1")); // raised before the step

    grid->setIncrement(10);
    QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, downArrow);
    EXPECT_EQ(editor->text(), QStringLiteral("5"));
    EXPECT_EQ(events.last(), QStringLiteral("DownClick:15"));
    grid->setIncrement(5);
    spin->stepDown();
    spin->stepDown(); // down stops at zero
    EXPECT_EQ(editor->text(), QStringLiteral("0"));
    spin->stepUp();
    EXPECT_EQ(editor->text(), QStringLiteral("5"));
}

TEST_F(GrdEntryTest, ScrollingHidesTheEditorAndButtonButLeavesTheSpin)
{
    showGrid(60, 4);
    enable({1}, GrdEntry::ButtonEditor);
    enable({2}, GrdEntry::SpinEditor);
    goTo(1, 1);
    table->verticalScrollBar()->setValue(10);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_FALSE(button->isVisible());

    table->verticalScrollBar()->setValue(0);
    goTo(1, 2);
    const QRect spinAt = spin->geometry();
    table->verticalScrollBar()->setValue(10);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(spin->isVisible());
    EXPECT_EQ(spin->geometry(), spinAt);
}

TEST_F(GrdEntryTest, FocusFromOutsideGoesToRowOneOfTheCurrentColumn)
{
    showGrid(6, 4);
    enable({2});
    goTo(4, 2);
    before->setFocus();
    events.clear();
    press(Qt::Key_Tab);
    EXPECT_EQ(cell(), std::make_pair(1, 2));
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_TRUE(events.contains(QStringLiteral("focusEntered")));
    EXPECT_FALSE(events.contains(QStringLiteral("GotFocus")));

    press(Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    grid->setFocus();
    press(Qt::Key_Backtab);
    EXPECT_TRUE(before->hasFocus());
}

TEST_F(GrdEntryTest, ClickingAnotherCellLeavesTheTypedCellFirst)
{
    showGrid(6, 4);
    enable({1, 2});
    QString copiedTo;
    QObject::connect(grid, &GrdEntry::LeaveCell, grid, [&] {
        copiedTo = QStringLiteral("%1,%2=%3").arg(grid->Row()).arg(grid->col()).arg(grid->Text());
        grid->setTextMatrix(grid->Row(), grid->col(), grid->Text());
    });
    QPointF pressedAt;
    QObject::connect(grid, &GrdEntry::MouseDown, grid,
                     [&](Qt::MouseButton &, Qt::KeyboardModifiers &, float &x, float &y) { pressedAt = QPointF(x, y); });
    goTo(1, 1);
    type(QStringLiteral("42"));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cellCenter(4, 2));
    EXPECT_EQ(pressedAt, QPointF(table->viewport()->mapTo(table, cellCenter(4, 2))));
    EXPECT_EQ(copiedTo, QStringLiteral("1,1=42"));
    EXPECT_EQ(grid->TextMatrix(1, 1), QStringLiteral("42"));
    EXPECT_EQ(cell(), std::make_pair(4, 2));
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_TRUE(events.contains(QStringLiteral("Click")));
}

TEST_F(GrdEntryTest, ShowRaisesShowThenOpensRowOneColumnOne)
{
    enable({1}, GrdEntry::ButtonEditor);
    grid->setRows(4);
    grid->setRow(3);
    events.clear();
    window->show();
    EXPECT_EQ(events.first(), QStringLiteral("Show"));
    EXPECT_EQ(events.last(), QStringLiteral("EnterCell"));
    EXPECT_EQ(cell(), std::make_pair(1, 1));
    EXPECT_TRUE(button->isVisible());
}

TEST_F(GrdEntryTest, RowsAddClearAndHeadingsFromTheFormatString)
{
    grid->setFormatString(QStringLiteral("<Code|^Exam|>Result"));
    EXPECT_EQ(grid->Cols(), 3);
    EXPECT_EQ(grid->TextMatrix(0, 1), QStringLiteral("Exam"));
    EXPECT_TRUE(table->model()->index(1, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHCenter);

    const int rows = grid->Rows();
    grid->AddItem(QStringLiteral("B12\tVitamin B12\t350\textra"));
    grid->AddItem(QStringLiteral("GLU\tGlucose"), 1);
    EXPECT_EQ(grid->Rows(), rows + 2);
    EXPECT_EQ(grid->TextMatrix(1, 1), QStringLiteral("Glucose"));
    EXPECT_EQ(grid->TextMatrix(rows + 1, 2), QStringLiteral("350"));
    EXPECT_THROW(grid->AddItem(QString(), rows + 5), std::out_of_range);
    EXPECT_THROW(grid->TextMatrix(0, 3), std::out_of_range);

    enable({2});
    grid->setCol(2);
    grid->Clear();
    EXPECT_EQ(grid->TextMatrix(1, 1) + grid->TextMatrix(0, 1), QString());
    EXPECT_TRUE(editor->isHidden() && button->isHidden());
}

TEST_F(GrdEntryTest, SavedStateRestoresOnlyTheCurrentCellTextAndColumnZeroWidth)
{
    grid->setRows(5);
    grid->setCols(4);
    grid->setTextMatrix(3, 2, QStringLiteral("7.5"));
    grid->setTextMatrix(1, 1, QStringLiteral("Na"));
    grid->setTextMatrix(3, 1, QStringLiteral("K"));
    grid->setRow(3);
    grid->setCol(2);
    grid->setColWidth(0, 900);
    grid->setIncrement(5);
    grid->setBackColor_TextEntry(corvane::colorFromBgr(4194304));

    corvane::VariantMapPropertyBag bag;
    grid->writeProperties(bag);
    const QVariantMap &saved = bag.values();
    EXPECT_EQ(saved.value(QStringLiteral("0TextMatrix")).toString(), QStringLiteral("7.5"));
    EXPECT_NEAR(saved.value(QStringLiteral("0ColWidth")).toInt(), 900, 15);
    EXPECT_EQ(saved.value(QStringLiteral("BkgColor_txtEntry")).toInt(), 4194304);
    for (const char *absent : {"TextMatrix", "BackColor_TextEntry", "ForeColor"}) // the last still the default
        EXPECT_FALSE(saved.contains(QLatin1String(absent))) << absent;

    GrdEntry restored;
    restored.readProperties(bag);
    EXPECT_EQ(std::make_pair(restored.Rows(), restored.Cols()), std::make_pair(5, 4));
    EXPECT_EQ(std::make_pair(restored.Row(), restored.col()), std::make_pair(3, 2));
    // The text lands in the cell that was current while reading, before Col and Row were read.
    EXPECT_EQ(restored.TextMatrix(1, 1), QStringLiteral("7.5"));
    EXPECT_EQ(restored.TextMatrix(3, 2) + restored.TextMatrix(3, 1), QString());
    EXPECT_NEAR(restored.ColWidth(0), 900, 15);
    EXPECT_EQ(restored.ColWidth(1), grid->ColWidth(1));
    EXPECT_EQ(restored.Increment(), 5);
    EXPECT_EQ(restored.BackColor_TextEntry(), QColor(0, 0, 0x40));
}

TEST_F(GrdEntryTest, DefaultsAreNotWrittenAndSettingsFilesRoundTrip)
{
    GrdEntry fresh;
    corvane::VariantMapPropertyBag untouched;
    fresh.writeProperties(untouched);
    EXPECT_TRUE(untouched.values().isEmpty());

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        QSettings file(dir.filePath(QStringLiteral("screen.ini")), QSettings::IniFormat);
        corvane::SettingsPropertyBag bag(file, QStringLiteral("frmWithNormalValues/grdEntry"));
        grid->setFixedCols(2);
        grid->setRows(12);
        grid->setCol(4);
        grid->writeProperties(bag);
    }
    QSettings file(dir.filePath(QStringLiteral("screen.ini")), QSettings::IniFormat);
    corvane::SettingsPropertyBag bag(file, QStringLiteral("frmWithNormalValues/grdEntry"));
    fresh.readProperties(bag);
    EXPECT_EQ(fresh.FixedCols(), 2);
    EXPECT_EQ(fresh.Rows(), 12);
    EXPECT_EQ(fresh.col(), 4);
    EXPECT_EQ(fresh.FixedRows(), 1) << "an absent key reads as the default";
}

} // namespace
