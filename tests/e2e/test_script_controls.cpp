// The script verbs against every kind of control the screens use, on a window that holds one of
// each and reacts as a screen does: grdEntry copies what was typed into the cell on Enter and on
// leaving the cell, lists and check boxes react to clicks, a button asks an input box and a
// Yes/No question.

#include "support/qstringprint.h"

#include "forms/common/grdentry.h"
#include "services/ui/messagebox.h"

#include "scriptrunner.h"

#include <gtest/gtest.h>

#include <utility>

#include <QCheckBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace {

using corvane::GrdEntry;

class ControlWindow : public QDialog {
public:
    ControlWindow()
    {
        setObjectName(QStringLiteral("frmGallery"));
        auto *layout = new QVBoxLayout(this);
        const auto add = [&](QWidget *w, const char *name) {
            w->setObjectName(QLatin1String(name));
            layout->addWidget(w);
            return w;
        };

        grid = new GrdEntry(this);
        add(grid, "grdEntry");
        grid->setMinimumHeight(150); // every row in view: scrolling would close the editor
        grid->setFormatString(QStringLiteral("<Exam|>Result|>Remark"));
        grid->setRows(4);
        for (int r = 1; r < 4; ++r)
            grid->setTextMatrix(r, 0, QStringLiteral("Exam %1").arg(r));
        grid->setEnableColumn(1, true);
        grid->setColumnControl(1, GrdEntry::PlainEditor);
        grid->setColumnformat(1, GrdEntry::Decimal);
        // As a screen does: what was typed goes into the cell on Enter and on leaving it; F5 marks
        // the row it was pressed on.
        QObject::connect(grid, &GrdEntry::KeyDown, grid, [this](int &key, Qt::KeyboardModifiers &) {
            if (key == Qt::Key_Return) {
                grid->setTextMatrix(grid->Row(), grid->col(), grid->Text());
                entered = true; // the LeaveCell that follows already names the next cell
            }
            if (key == Qt::Key_F5)
                grid->setTextMatrix(grid->Row(), 2, QStringLiteral("F5 on row %1").arg(grid->Row()));
        });
        QObject::connect(grid, &GrdEntry::LeaveCell, grid, [this] {
            if (!std::exchange(entered, false))
                grid->setTextMatrix(grid->Row(), grid->col(), grid->Text());
        });

        flex = new QTableWidget(2, 2, this);
        add(flex, "MSFlexGrid1");
        flex->setHorizontalHeaderLabels({QStringLiteral("Exam"), QStringLiteral("Qty")});
        flex->verticalHeader()->hide();
        flex->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked);
        for (int r = 0; r < 2; ++r) {
            auto *exam = new QTableWidgetItem(r == 0 ? QStringLiteral("Glucose") : QStringLiteral("Creatinine"));
            exam->setFlags(exam->flags() & ~Qt::ItemIsEditable);
            flex->setItem(r, 0, exam);
            flex->setItem(r, 1, new QTableWidgetItem());
        }

        chkRush = new QCheckBox(QStringLiteral("Rush"), this);
        add(chkRush, "chkRush");
        QObject::connect(chkRush, &QCheckBox::clicked, chkRush, [this] { ++rushClicks; });
        add(new QRadioButton(QStringLiteral("Male"), this), "optMale");
        add(new QRadioButton(QStringLiteral("Female"), this), "optFemale");

        auto *specimens = new QListWidget(this);
        add(specimens, "lstSpecimen");
        specimens->addItems({QStringLiteral("Blood"), QStringLiteral("Urine"), QStringLiteral("Stool")});
        picked = new QLabel(this);
        add(picked, "lblPicked");
        QObject::connect(specimens, &QListWidget::itemClicked, picked,
                         [this](QListWidgetItem *item) { picked->setText(item->text()); });

        auto *tabs = new QTabWidget(this);
        add(tabs, "SSTab1");
        tabs->addTab(new QWidget(tabs), QStringLiteral("&General"));
        tabs->addTab(new QWidget(tabs), QStringLiteral("Results"));
        tabs->addTab(new QWidget(tabs), QStringLiteral("Archive"));
        tabs->setTabEnabled(2, false);

        auto *dilution = new QDoubleSpinBox(this);
        add(dilution, "spnDilution");
        dilution->setDecimals(2);
        add(new QSlider(Qt::Horizontal, this), "sldLevel");

        auto *ask = new QPushButton(QStringLiteral("Ask"), this);
        add(ask, "cmdAsk");
        answer = new QLabel(this);
        add(answer, "lblAnswer");
        QObject::connect(ask, &QPushButton::clicked, this, [this] {
            const QString dilutionText = corvane::InputBox::show(QStringLiteral("Dilution factor:"),
                                                                 QStringLiteral("Dilution"), QStringLiteral("1:1"));
            const auto yes = corvane::MessageBox::show(QStringLiteral("Save the dilution?"), QStringLiteral("Confirm"),
                                                       QMessageBox::Question, QMessageBox::Yes | QMessageBox::No);
            answer->setText(dilutionText + QStringLiteral(" / ") +
                            (yes == QMessageBox::Yes ? QStringLiteral("yes") : QStringLiteral("no")));
        });
        resize(520, 760);
    }

    GrdEntry *grid;
    QTableWidget *flex;
    QCheckBox *chkRush;
    QLabel *picked;
    QLabel *answer;
    int rushClicks = 0;
    bool entered = false;
};

class ScriptControlsTest : public ::testing::Test {
protected:
    bool play(const QString &script)
    {
        log.clear();
        QTextStream out(&log);
        labhost::ScriptRunner runner(out);
        const bool ok = runner.run(script, window);
        out.flush();
        return ok;
    }
    bool logged(const QString &line) const { return log.split(QLatin1Char('\n')).contains(line); }

    ControlWindow window;
    QTemporaryDir dir;
    QString log;
};

TEST_F(ScriptControlsTest, GrdEntryCellsAreTypedKeyedAndReadAsTheScreenSeesThem)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
frmGallery: expect grdEntry(0,1) Result
frmGallery: expect grdEntry(2,0) "Exam 2"
frmGallery: expect-enabled grdEntry(1,1) yes
frmGallery: expect-enabled grdEntry(1,2) no
frmGallery: expect-enabled grdEntry(0,1) no
frmGallery: type grdEntry(1,1) 4x.5
frmGallery: expect grdEntry(1,1) 4.5
frmGallery: key grdEntry(1,1) Enter
frmGallery: expect grdEntry(2,1) ""
frmGallery: set grdEntry(2,1) 7.25
frmGallery: key grdEntry(2,1) F5
frmGallery: type grdEntry(3,1) 9
frmGallery: expect grdEntry(2,2) "F5 on row 2"
frmGallery: close
)"))) << log.toStdString();
    // Enter and the move to the next cell handed the typed values to the screen.
    EXPECT_EQ(window.grid->TextMatrix(1, 1), QStringLiteral("4.5"));
    EXPECT_EQ(window.grid->TextMatrix(2, 1), QStringLiteral("7.25"));
    EXPECT_EQ(window.grid->TextMatrix(3, 1), QString()) << "the editor still holds it";
    EXPECT_EQ(window.grid->Text(), QStringLiteral("9"));
    EXPECT_EQ(window.grid->Row(), 3);
}

TEST_F(ScriptControlsTest, TableCellsCountTheHeaderAsRowZero)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
frmGallery: expect MSFlexGrid1(0,1) Qty
frmGallery: expect MSFlexGrid1(2,0) Creatinine
frmGallery: expect-enabled MSFlexGrid1(1,0) no
frmGallery: expect-enabled MSFlexGrid1(1,1) yes
frmGallery: type MSFlexGrid1(1,1) 12
frmGallery: key MSFlexGrid1(1,1) Enter
frmGallery: set MSFlexGrid1(2,1) 3
frmGallery: expect MSFlexGrid1(1,1) 12
frmGallery: close
)"))) << log.toStdString();
    EXPECT_EQ(window.flex->item(0, 1)->text(), QStringLiteral("12"));
    EXPECT_EQ(window.flex->item(1, 1)->text(), QStringLiteral("3"));
}

TEST_F(ScriptControlsTest, ChecksListsPagesSpinsAndAnswers)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
frmGallery: check chkRush
frmGallery: expect chkRush on
frmGallery: check chkRush no
frmGallery: check optMale
frmGallery: check optFemale
frmGallery: expect optMale off
frmGallery: choose lstSpecimen Urine
frmGallery: expect lstSpecimen Urine
frmGallery: expect lblPicked Urine
frmGallery: tab SSTab1 Results
frmGallery: expect SSTab1 Results
frmGallery: tab SSTab1 0
frmGallery: expect SSTab1 General
frmGallery: set spnDilution 2.5
frmGallery: expect spnDilution 2.50
frmGallery: set sldLevel 7
frmGallery: expect sldLevel 7
frmGallery: click cmdAsk
answer "1:40" "Dilution factor:"
answer No
frmGallery: expect lblAnswer "1:40 / no"
frmGallery: click cmdAsk
answer Cancel
answer Yes "Save the dilution?"
frmGallery: expect lblAnswer " / yes"
frmGallery: click cmdAsk
answer OK
answer Yes
frmGallery: expect lblAnswer "1:1 / yes"
frmGallery: close
)"))) << log.toStdString();
    EXPECT_EQ(window.rushClicks, 2) << "check clicks, as the user does";
    EXPECT_TRUE(logged(QStringLiteral("INPUT [Dilution] Dilution factor:"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("ANSWER \"1:40\""))) << log.toStdString();
}

TEST_F(ScriptControlsTest, MistakesFailWithTheirLineNumbers)
{
    EXPECT_FALSE(play(QStringLiteral(R"(frmGallery: expect grdEntry(4,1) x
frmGallery: set grdEntry(1,2) x
frmGallery: expect MSFlexGrid1(3,0) x
frmGallery: check optMale
frmGallery: check optMale no
frmGallery: tab SSTab1 Archive
frmGallery: tab SSTab1 Missing
frmGallery: choose lstSpecimen Sputum
frmGallery: frobnicate chkRush
frmGallery: expect grdNothing(1,1) x
frmGallery: click cmdAsk
answer "1:2"
frmGallery: close
pause until nonexistent-file 1
touch "%1"
)")
                          .arg(dir.filePath(QStringLiteral("after-pause")))));
    const QStringList expected{
        QStringLiteral("FAIL line 1: grdEntry has no cell (4,1): it has 4 rows and 3 columns"),
        QStringLiteral("FAIL line 2: grdEntry(1,2) cannot be edited"),
        QStringLiteral("FAIL line 3: MSFlexGrid1 has no cell (3,0): it has 3 rows and 2 columns"),
        QStringLiteral("FAIL line 5: optMale is an option: check another option of its group"),
        QStringLiteral("FAIL line 6: the page \"Archive\" of SSTab1 is disabled"),
        QStringLiteral("FAIL line 7: SSTab1 has no page \"Missing\""),
        QStringLiteral("FAIL line 8: lstSpecimen does not offer \"Sputum\""),
        QStringLiteral("FAIL line 9: unknown action 'frobnicate'"),
        QStringLiteral("FAIL line 10: frmGallery has no control grdNothing"),
        QStringLiteral("FAIL an unexpected message box; answered default"),
        QStringLiteral("FAIL line 14: gave up after 1 s waiting for \"nonexistent-file\"; the rest of the script is "
                       "skipped"),
    };
    for (const QString &line : expected)
        EXPECT_TRUE(log.contains(line)) << line.toStdString() << "\n" << log.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("after-pause"))));
}

} // namespace
