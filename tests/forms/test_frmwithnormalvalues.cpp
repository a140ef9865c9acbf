// The normal-values screen opened as the host opens it (clsResultEntry on a demo request), with
// real keys in its grid: which normal value a row gets by sex, age band, method and analyser, the
// unit conversion both ways, the H/L flag, and the computation dialog.

#include "support/dialogscript.h"
#include "support/usersettings.h"

#include "forms/chemistry/convertresult.h"
#include "forms/chemistry/frmcompute.h"
#include "forms/chemistry/frmwithnormalvalues.h"
#include "forms/common/grdentry.h"
#include "host/clsresultentry.h"
#include "session/sessioncontext.h"

#include <labdb/schema.h>

#include <QCheckBox>
#include <QComboBox>
#include <QAbstractButton>
#include <QLabel>
#include <QRegularExpression>
#include <QTableWidget>

#include <algorithm>
#include <functional>

using corvane::frmWithNormalValues;
using corvane::GrdEntry;
using testsupport::control;

namespace {

using Col = frmWithNormalValues::Column;

class NormalValuesScreenTest : public testsupport::BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (!db)
            return;
        labdb::loadDemoData(*db->connect());
        ASSERT_TRUE(settings.isValid());
        settings.storeConnection(*db);
        check = std::make_unique<labdb::Session>(db->connect());
        entry = std::make_unique<corvane::clsResultEntry>();
        entry->setEmployeeCode(QStringLiteral("0101"));
        entry->setCanVerify(true);
        entry->setEntryMode(1);
        corvane::SessionContext::current().db().pinServerClock(
            QDateTime(QDate(2026, 3, 7), QTime(14, 5)));
        corvane::SessionContext::current().db().setCommandObserver([this](const QString &text) { sent << text; });
    }
    void TearDown() override
    {
        entry.reset();
        check.reset();
        BackendTest::TearDown();
    }

    // Opens the request; the body runs while the screen is up, then the screen is closed.
    void open(const char *request, const std::function<void(frmWithNormalValues &)> &body, qint16 intResult = 0)
    {
        bool ran = false;
        script.expect(QStringLiteral("frmWithNormalValues"), [&](QDialog &d) {
            ran = true;
            auto *screen = qobject_cast<frmWithNormalValues *>(&d);
            ASSERT_NE(screen, nullptr);
            body(*screen);
        });
        QString number = QString::fromLatin1(request);
        entry->Show_ResultEntry(number, intResult);
        EXPECT_TRUE(ran) << request << " did not open the normal-values screen";
    }

    // The row of an exam code, or -1.
    static int rowOf(const GrdEntry &g, const QString &code)
    {
        for (int r = 1; r < g.Rows(); ++r) {
            if (g.TextMatrix(r, Col::ColExamID) == code)
                return r;
        }
        return -1;
    }

    // Typing into a cell as a technologist does: the cell, the characters, then Enter.
    static void typeInto(frmWithNormalValues &screen, int row, int column, const QString &text)
    {
        GrdEntry &g = screen.grid();
        // Focus arriving from outside moves the grid to the result column, so it comes first.
        if (!g.isAncestorOf(QApplication::focusWidget())) {
            g.setFocus();
            QApplication::processEvents();
        }
        g.setRow(row);
        g.setCol(column);
        QApplication::processEvents();
        ASSERT_EQ(g.col(), column);
        ASSERT_EQ(g.Row(), row);
        QWidget *editor = QApplication::focusWidget();
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    static void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

    testsupport::UserSettings settings;
    testsupport::DialogScript script;
    std::unique_ptr<labdb::Session> check;
    std::unique_ptr<corvane::clsResultEntry> entry;
    QStringList sent;
};

// ---------------------------------------------------------------------------------------------
// Which normal value a row gets, from a table of the rules: the method list's sex rule (male only
// for "M" or "MALE" in any case), the analyser's (female only for exactly "F"), the age bands
// counted from 1, and the defaults the format type names.

enum class Choice { Default, Method, AgeBand, Analyser };

struct RangeCase {
    const char *name;
    const char *request;
    const char *sex;
    Choice choice;
    int index; // method list or age band position; analyser row in the lookup
    const char *code;
    const char *expected;
};

std::ostream &operator<<(std::ostream &os, const RangeCase &c)
{
    return os << c.name;
}

const RangeCase kRangeCases[] = {
    {"GlucoseStartsOnTheFormatsMethod", "R2603031", "F", Choice::Default, 0, "136", "3.89-5.83"},
    {"GlucoseOnTheManualMethod", "R2603031", "F", Choice::Method, 0, "136", "4.10-5.90"},
    {"UricAcidMale", "R2603045", "M", Choice::Default, 0, "150", "202-416"},
    {"UricAcidMaleWrittenOutInLowerCase", "R2603045", "male", Choice::Default, 0, "150", "202-416"},
    {"UricAcidFemale", "R2603045", "F", Choice::Default, 0, "150", "143-339"},
    {"UricAcidBlankSexIsFemaleOnTheMethodList", "R2603045", "", Choice::Default, 0, "150", "143-339"},
    {"UricAcidBlankSexIsMaleOnTheAnalyser", "R2603045", "", Choice::Analyser, 4, "150", "202-416"},
    {"UricAcidLowerCaseFIsMaleOnTheAnalyser", "R2603045", "f", Choice::Analyser, 4, "150", "202-416"},
    {"UricAcidFemaleOnTheAnalyser", "R2603045", "F", Choice::Analyser, 4, "150", "143-339"},
    {"CreatinineStartsOnTheFirstAgeBand", "R2603102", "M", Choice::Default, 0, "138", "27 - 88"},
    {"CreatinineOfAChild", "R2603102", "M", Choice::AgeBand, 2, "138", "27 - 62"},
    {"CreatinineAdultBand", "R2603033", "M", Choice::AgeBand, 3, "138", "53 - 115"},
    {"ClearanceHasNoBandsAndKeepsItsFormat", "R2603033", "M", Choice::AgeBand, 0, "1", "1.47-2.28"},
};

class NormalValueTable : public ::testing::TestWithParam<std::tuple<testsupport::Backend, RangeCase>> {
protected:
    void SetUp() override
    {
        const testsupport::Backend backend = std::get<0>(GetParam());
        if (!testsupport::backendAvailable(backend))
            GTEST_SKIP() << "no PostgreSQL server for tests";
        db = std::make_unique<testsupport::TempDatabase>(backend);
        labdb::loadDemoData(*db->connect());
        ASSERT_TRUE(settings.isValid());
        settings.storeConnection(*db);
        check = std::make_unique<labdb::Session>(db->connect());
        entry = std::make_unique<corvane::clsResultEntry>();
        entry->setEmployeeCode(QStringLiteral("0101"));
        entry->setEntryMode(1);
    }
    void TearDown() override
    {
        entry.reset();
        check.reset();
        db.reset();
    }

    std::unique_ptr<testsupport::TempDatabase> db;
    testsupport::UserSettings settings;
    testsupport::DialogScript script;
    std::unique_ptr<labdb::Session> check;
    std::unique_ptr<corvane::clsResultEntry> entry;
};

TEST_P(NormalValueTable, RowGetsTheNormalValueOfItsSexBandMethodOrAnalyser)
{
    const RangeCase &c = std::get<1>(GetParam());
    check->execute(labdb::CommandText("UPDATE Patient_Data..tbPatientMaster SET Sex = '")
                       .value(std::string(c.sex))
                       .fixed("' WHERE HospNum = (SELECT HospNum FROM Laboratory..tbLabMaster WHERE RequestNum = '")
                       .value(std::string(c.request))
                       .fixed("')"));
    if (c.choice == Choice::Analyser) {
        script.expect(QStringLiteral("frmSearchInstrument"), [&](QDialog &d) {
            auto *grid = control<QTableWidget>(d, "grdInstrument");
            ASSERT_NE(grid, nullptr);
            for (int i = 0; i < c.index; ++i)
                QTest::keyClick(grid, Qt::Key_Down);
            QTest::keyClick(grid, Qt::Key_Return);
        });
    }
    QString got = QStringLiteral("<not opened>");
    script.expect(QStringLiteral("frmWithNormalValues"), [&](QDialog &d) {
        auto *screen = qobject_cast<frmWithNormalValues *>(&d);
        ASSERT_NE(screen, nullptr);
        switch (c.choice) {
        case Choice::Default:
            break;
        case Choice::Method: {
            auto *methods = control<QComboBox>(d, "cboMethod");
            ASSERT_TRUE(methods && methods->isVisibleTo(&d));
            methods->setFocus();
            methods->setCurrentIndex(c.index);
            Q_EMIT methods->activated(c.index);
            break;
        }
        case Choice::AgeBand: {
            auto *bands = control<QComboBox>(d, "cboAge");
            ASSERT_TRUE(bands && control<QWidget>(d, "fraAge")->isVisibleTo(&d));
            bands->setCurrentIndex(c.index);
            Q_EMIT bands->activated(c.index);
            break;
        }
        case Choice::Analyser:
            QTest::mouseClick(control<QCheckBox>(d, "chkInstrument"), Qt::LeftButton);
            EXPECT_TRUE(control<QLabel>(d, "lblInstrumentName")->isVisibleTo(&d));
            break;
        }
        const GrdEntry &g = screen->grid();
        for (int r = 1; r < g.Rows(); ++r) {
            if (g.TextMatrix(r, Col::ColExamID) == QLatin1String(c.code))
                got = g.TextMatrix(r, Col::ColSNValue);
        }
    });
    QString number = QString::fromLatin1(c.request);
    qint16 selector = 0;
    entry->Show_ResultEntry(number, selector);
    EXPECT_EQ(got.toStdString(), c.expected);
    EXPECT_EQ(script.pending(), 0);
}

std::string rangeCaseName(const ::testing::TestParamInfo<std::tuple<testsupport::Backend, RangeCase>> &info)
{
    return std::string(std::get<1>(info.param).name) +
           (std::get<0>(info.param) == testsupport::Backend::Sqlite ? "_SQLite" : "_PostgreSQL");
}

INSTANTIATE_TEST_SUITE_P(Rules, NormalValueTable,
                         ::testing::Combine(testsupport::kBothBackends, ::testing::ValuesIn(kRangeCases)),
                         rangeCaseName);

// ---------------------------------------------------------------------------------------------

TEST_P(NormalValuesScreenTest, GridIsLaidOutForSiAndConventionalUnits)
{
    open("R2603033", [](frmWithNormalValues &screen) {
        const GrdEntry &g = screen.grid();
        EXPECT_EQ(g.Cols(), 15);
        EXPECT_EQ(g.FixedCols(), 2);
        EXPECT_EQ(g.FixedRows(), 1);
        ASSERT_EQ(g.Rows(), 3) << "creatinine and its clearance, no trailing empty row";
        EXPECT_EQ(g.TextMatrix(0, Col::ColExam), QStringLiteral("  Exam"));
        EXPECT_EQ(g.TextMatrix(0, Col::ColSNValue), QStringLiteral("Normal Value"));
        EXPECT_EQ(g.TextMatrix(0, Col::ColFType), QStringLiteral("FType"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColExam), QStringLiteral("  CREATININE"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColRequestNum), QStringLiteral("R2603033"));
        for (int c : {Col::ColRequestNum, Col::ColExamID, Col::ColSMin, Col::ColSMax, Col::ColCMin, Col::ColCMax})
            EXPECT_EQ(g.ColWidth(c), 0) << "column " << c << " is hidden";
        EXPECT_NEAR(g.ColWidth(Col::ColExam), 2600, 15) << "twips, through whole pixels";
        EXPECT_NEAR(g.ColWidth(Col::ColSResult), 2000, 15) << "twips, through whole pixels";
        EXPECT_NEAR(g.ColWidth(Col::ColCUnit), 1000, 15) << "twips, through whole pixels";
        EXPECT_TRUE(g.EnableColumn(Col::ColSResult));
        EXPECT_FALSE(g.EnableColumn(Col::ColCResult));
        EXPECT_FALSE(g.EnableColumn(Col::ColSNValue));
        EXPECT_EQ(g.columnformat(Col::ColSResult), GrdEntry::UpperCase);
    });
}

TEST_P(NormalValuesScreenTest, TypedResultsConvertBothWaysAndAreFlagged)
{
    open("R2603031", [](frmWithNormalValues &screen) {
        GrdEntry &g = screen.grid();
        // SI typed: conventional = SI / factor (0.0555).
        typeInto(screen, 1, Col::ColSResult, QStringLiteral("100"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColSResult), QStringLiteral("100"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColCResult), QStringLiteral("1801.80"));
        EXPECT_EQ(g.CellNote(1, Col::ColSResult), QStringLiteral("H"));
        EXPECT_EQ(g.CellNote(1, Col::ColCResult), QStringLiteral("H"));
        typeInto(screen, 1, Col::ColSResult, QStringLiteral("2.1"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColCResult), QStringLiteral("37.84"));
        EXPECT_EQ(g.CellNote(1, Col::ColSResult), QStringLiteral("L"));
        // A text that is no number converts to nothing and is not flagged.
        typeInto(screen, 1, Col::ColSResult, QStringLiteral("HEMOLYZED"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColSResult), QStringLiteral("HEMOLYZED"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColCResult), QStringLiteral("37.84"));
        EXPECT_EQ(g.CellNote(1, Col::ColSResult), QString());
        typeInto(screen, 1, Col::ColSResult, QStringLiteral("5"));
        EXPECT_EQ(g.CellNote(1, Col::ColSResult), QString());
        // A typed quote never reaches a command text.
        typeInto(screen, 1, Col::ColSResult, QStringLiteral("O'K"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColSResult), QStringLiteral("O`K"));
    });
    EXPECT_TRUE(sent.contains(QStringLiteral("sp_LabLoadExamEntry '136'")));
}

// Patient 10023471's renal panel: potassium 4.1 -> 6.3 and bicarbonate 25 -> 16 moved beyond their
// delta rules, sodium 139 -> 137 did not; the stored rows are judged as they are filled.
TEST_P(NormalValuesScreenTest, DeltaStandsAfterTheFlagWithThePreviousResultAsItsTip)
{
    open("R2607112", [](frmWithNormalValues &screen) {
        GrdEntry &g = screen.grid();
        const int sodium = rowOf(g, QStringLiteral("761"));
        const int potassium = rowOf(g, QStringLiteral("762"));
        const int bicarbonate = rowOf(g, QStringLiteral("764"));
        ASSERT_GT(sodium, 0);
        EXPECT_EQ(g.CellNote(potassium, Col::ColSResult), QStringLiteral("H \u0394"));
        EXPECT_EQ(g.CellToolTip(potassium, Col::ColSResult),
                  QStringLiteral("previous 4.1 on 03/03/2026, now 6.3 (+54 %)"));
        EXPECT_EQ(g.CellNote(bicarbonate, Col::ColSResult), QStringLiteral("L \u0394"));
        EXPECT_EQ(g.CellNote(sodium, Col::ColSResult), QString());
        EXPECT_EQ(g.CellToolTip(sodium, Col::ColSResult), QString());
        // The conventional result keeps its flag alone; the stored text is never changed.
        EXPECT_EQ(g.CellNote(potassium, Col::ColCResult), QStringLiteral("H"));
        EXPECT_EQ(g.TextMatrix(potassium, Col::ColSResult), QStringLiteral("6.3"));
        // Corrected within the rule, the row loses its Δ and tip; typed beyond it, a Δ without a flag.
        typeInto(screen, potassium, Col::ColSResult, QStringLiteral("4.5"));
        EXPECT_EQ(g.CellNote(potassium, Col::ColSResult), QString());
        EXPECT_EQ(g.CellToolTip(potassium, Col::ColSResult), QString());
        // Sodium's rule is a change of more than 8: exactly 8 is within it.
        typeInto(screen, sodium, Col::ColSResult, QStringLiteral("131"));
        EXPECT_EQ(g.CellNote(sodium, Col::ColSResult), QStringLiteral("L"));
        typeInto(screen, sodium, Col::ColSResult, QStringLiteral("130"));
        EXPECT_EQ(g.CellNote(sodium, Col::ColSResult), QStringLiteral("L \u0394"));
        EXPECT_EQ(control<QLabel>(screen, "lblDeltaStatus")->text(),
                  QStringLiteral("previous 139 on 03/03/2026, now 130 (-6 %)"));
    });
}

TEST_P(NormalValuesScreenTest, ConventionalEntryModeConvertsBackToSi)
{
    open(
        "R2603031",
        [](frmWithNormalValues &screen) {
            GrdEntry &g = screen.grid();
            EXPECT_EQ(control<QLabel>(screen, "Label1")->text(), QStringLiteral("CONVENTIONAL"));
            EXPECT_TRUE(g.EnableColumn(Col::ColCResult));
            typeInto(screen, 1, Col::ColCResult, QStringLiteral("5.5"));
            EXPECT_EQ(g.TextMatrix(1, Col::ColSResult), QStringLiteral("0.31"));
            // A row without a factor leaves the other column alone.
            g.setTextMatrix(1, Col::ColFactor, QStringLiteral("0"));
            typeInto(screen, 1, Col::ColCResult, QStringLiteral("90"));
            EXPECT_EQ(g.TextMatrix(1, Col::ColSResult), QStringLiteral("0.31"));
        },
        160);
}

// Enter in conventional entry: an ordinary exam goes on to the next open column of the row; an
// age- or method-dependent one (creatinine, "P"/"8") goes down its column and from the last row to
// Save, and no row's text lands in another.
TEST_P(NormalValuesScreenTest, EnterWalksDownTheColumnOnRowwiseExamsOnly)
{
    open(
        "R2603031",
        [](frmWithNormalValues &screen) {
            GrdEntry &g = screen.grid();
            typeInto(screen, 1, Col::ColSResult, QStringLiteral("5"));
            EXPECT_EQ(g.Row(), 1);
            EXPECT_EQ(g.col(), Col::ColCResult);
        },
        160);
    open(
        "R2603033",
        [](frmWithNormalValues &screen) {
            GrdEntry &g = screen.grid();
            ASSERT_EQ(g.Rows(), 3);
            typeInto(screen, 1, Col::ColCResult, QStringLiteral("1.0"));
            EXPECT_EQ(g.Row(), 2);
            EXPECT_EQ(g.col(), Col::ColCResult);
            EXPECT_EQ(g.TextMatrix(1, Col::ColSResult), QStringLiteral("88.40")) << "converted before moving on";
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("95"));
            press(Qt::Key_Return);
            EXPECT_EQ(QApplication::focusWidget(), control<QWidget>(screen, "cmdSave"));
            EXPECT_EQ(g.TextMatrix(1, Col::ColCResult), QStringLiteral("1.0"));
            EXPECT_EQ(g.TextMatrix(2, Col::ColCResult), QStringLiteral("95"));
        },
        160);
}

TEST_P(NormalValuesScreenTest, FunctionKeysFlagARowAndEditItsNormalValue)
{
    open("R2603031", [](frmWithNormalValues &screen) {
        GrdEntry &g = screen.grid();
        typeInto(screen, 1, Col::ColSResult, QStringLiteral("5.0"));
        g.setRow(1);
        g.setCol(Col::ColSResult);
        press(Qt::Key_F5);
        EXPECT_EQ(g.TextMatrix(1, Col::ColFType), QStringLiteral("Y"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColExam), QStringLiteral("  FASTING BLOOD SUGAR*"));
        press(Qt::Key_F5);
        EXPECT_EQ(g.TextMatrix(1, Col::ColFType), QString());
        EXPECT_EQ(g.TextMatrix(1, Col::ColExam), QStringLiteral("  FASTING BLOOD SUGAR"));

        press(Qt::Key_F3);
        EXPECT_TRUE(g.EnableColumn(Col::ColSNValue));
        EXPECT_TRUE(g.EnableColumn(Col::ColSUnit));
        EXPECT_EQ(testsupport::textOf(screen, "txtEditCell"), QStringLiteral("1"));
        typeInto(screen, 1, Col::ColSNValue, QStringLiteral("3.5-5.5"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColSNValue), QStringLiteral("3.5-5.5"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColSResult), QStringLiteral("5.0")) << "results stay as typed";
    });
}

TEST_P(NormalValuesScreenTest, F10ComputesTheClearanceIntoTheRow)
{
    script.expect(QStringLiteral("frmCompute"), [](QDialog &d) {
        EXPECT_EQ(control<QLabel>(d, "lblExam")->text(), QStringLiteral("CREATININE CLEARANCE"));
        EXPECT_TRUE(control<QWidget>(d, "txtResult2")->isVisibleTo(&d));
        control<QLineEdit>(d, "txtResult1")->setText(QStringLiteral("100"));
        control<QLineEdit>(d, "txtResult2")->setText(QStringLiteral("1"));
        control<QLineEdit>(d, "txtVolume")->setText(QStringLiteral("1440"));
        control<QAbstractButton>(d, "btnCompute")->click();
    });
    open("R2603033", [](frmWithNormalValues &screen) {
        GrdEntry &g = screen.grid();
        const int row = rowOf(g, QStringLiteral("1"));
        ASSERT_GT(row, 0);
        g.setFocus();
        g.setRow(row);
        g.setCol(Col::ColSResult);
        QApplication::processEvents();
        press(Qt::Key_F10);
        // Typed inputs: marked as computed by hand.
        EXPECT_EQ(g.TextMatrix(row, Col::ColSResult), QStringLiteral("1.67*"));
        EXPECT_EQ(QApplication::focusWidget(), control<QWidget>(screen, "cmdSave"));
    });
    const auto &shown = script.seam().messages();
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(),
                            [](const auto &m) { return m.request.text == QLatin1String("Computed!"); }));
}

// ---------------------------------------------------------------------------------------------
// Saving

namespace {

void choose(QWidget &window, const char *comboName, const QString &text)
{
    auto *combo = control<QComboBox>(window, comboName);
    ASSERT_NE(combo, nullptr);
    const int i = combo->findText(text);
    ASSERT_GE(i, 0) << comboName << " does not offer " << text.toStdString();
    combo->setCurrentIndex(i);
    Q_EMIT combo->activated(i);
    Q_EMIT combo->textActivated(combo->itemText(i));
}

} // namespace

class NormalValuesSaveTest : public NormalValuesScreenTest {
protected:
    // The performing med tech is signed in the sign-off, which closes without printing.
    void signOffWithoutPrinting()
    {
        script.expect(QStringLiteral("frmListMedTech"), [](QDialog &d) {
            control<QAbstractButton>(d, "cmdSelect")->click();
        });
        script.expect(QStringLiteral("frmMedTech"), [](QDialog &d) {
            auto *name = control<QLineEdit>(d, "txtMedTech");
            name->setText(QStringLiteral("Castillo"));
            name->setFocus();
            QTest::keyClick(name, Qt::Key_Return);
            control<QAbstractButton>(d, "FlatBttn1")->click();
        });
    }
    long long count(const std::string &sql)
    {
        return std::stoll(check->execute(sql).rows.at(0).at(0).value_or("0"));
    }
    std::string value(const std::string &sql)
    {
        const labdb::ResultSet rs = check->execute(sql);
        return rs.rows.empty() || !rs.rows[0][0] ? std::string("<none>") : *rs.rows[0][0];
    }
    QStringList sentLike(const QString &prefix) const { return sent.filter(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(prefix))); }

    // A first save of the creatinine with its clearance, 97.2 and 1.67.
    void firstCreatinineSave()
    {
        signOffWithoutPrinting();
        open("R2603033", [](frmWithNormalValues &screen) {
            control<QLineEdit>(screen, "txtAccNum")->setText(QStringLiteral("K-0112"));
            choose(screen, "cboReagent", QStringLiteral("CREATININE - VITROS 250"));
            control<QLineEdit>(screen, "txtRemarks")->setText(QStringLiteral("Seen by O`Brien; re-run -- \\ ok"));
            typeInto(screen, 1, Col::ColSResult, QStringLiteral("97.2"));
            typeInto(screen, 2, Col::ColSResult, QStringLiteral("1.67"));
            control<QAbstractButton>(screen, "cmdSave")->click();
        });
    }
};

TEST_P(NormalValuesSaveTest, FirstSaveWritesOneLogbookRowAndEveryGridRow)
{
    firstCreatinineSave();
    EXPECT_EQ(sentLike(QStringLiteral("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603033'")).size(), 1)
        << sent.join(QLatin1Char('\n')).toStdString();
    const QStringList rows = sentLike(QStringLiteral("Lab_FormMaker_SaveResultWithNormalValues "));
    ASSERT_EQ(rows.size(), 2) << sent.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rows[0],
              QStringLiteral("Lab_FormMaker_SaveResultWithNormalValues 'R2603033', '138', '97.2', '27 - 88' , "
                             "'umol/L', '27', '88', '1.10', '0.3 - 1.0', 'mg/dL', '0.3', '1.0', '88.4', '8', '1', "
                             "'K-0112','Seen by O`Brien; re-run -- \\ ok', '3/7/2026 2:05:00 PM', "
                             "'3/7/2026 2:05:00 PM', '', '0101', 'N', '', '3/7/2026 2:05:00 PM'"));
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("Lab_FormMaker_SaveResultWithNormalValues 'R2603033', '1', "
                                                  "'1.67', '1.47-2.28' , 'mL/s', '1.47', '2.28', '100.00',")))
        << rows[1].toStdString();
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603033'"), 1);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultNValues where RequestNum = 'R2603033'"), 2);
    EXPECT_EQ(value("select Flag from laboratory..tbLabResultNValues where RequestNum = 'R2603033' and ExamCode = "
                    "'138'"),
              "H");
    EXPECT_EQ(value("select Remarks from laboratory..tbLabLogbook where RequestNum = 'R2603033'"),
              "Seen by O`Brien; re-run -- \\ ok");
    EXPECT_GT(count("select count(*) from inventory..tbInvStockCard where ReferenceNum = 'R2603033L'"), 0);
    EXPECT_EQ(value("select MedTechID from laboratory..tbLabResultMedTech where RequestNum = 'R2603033'"), "0101");
}

TEST_P(NormalValuesSaveTest, LaterSaveReadsBackAndOverwritesWithoutASecondLogbookRowOrPosting)
{
    firstCreatinineSave();
    const long long cards = count("select count(*) from inventory..tbInvStockCard");
    sent.clear();
    // A supervisor reopens it.
    qputenv("CORVANE_SUPERVISOR_CODES", "1,1234567");
    entry->setEmployeeCode(QStringLiteral("1"));
    signOffWithoutPrinting();
    open("R2603033", [](frmWithNormalValues &screen) {
        const GrdEntry &g = screen.grid();
        ASSERT_EQ(g.Rows(), 3);
        EXPECT_EQ(g.TextMatrix(1, Col::ColSResult), QStringLiteral("97.2"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColCResult), QStringLiteral("1.10"));
        EXPECT_EQ(g.TextMatrix(1, Col::ColSNValue), QStringLiteral("27 - 88")) << "the range it was judged by";
        EXPECT_EQ(g.CellNote(1, Col::ColSResult), QStringLiteral("H"));
        EXPECT_EQ(g.TextMatrix(2, Col::ColExam), QStringLiteral("  CREATININE CLEARANCE"));
        EXPECT_EQ(testsupport::textOf(screen, "txtAccNum"), QStringLiteral("K-0112"));
        EXPECT_EQ(testsupport::textOf(screen, "txtRemarks"), QStringLiteral("Seen by O`Brien; re-run -- \\ ok"));
        typeInto(screen, 1, Col::ColSResult, QStringLiteral("80"));
        control<QAbstractButton>(screen, "cmdSave")->click();
    });
    EXPECT_TRUE(sent.contains(QStringLiteral("LABORATORY..Lab_FormMaker_GetResult_ReagentValues  'R2603033'")));
    EXPECT_EQ(sentLike(QStringLiteral("Laboratory..Lab_ResultEntryDLL_SaveToLogbook")).size(), 0);
    EXPECT_EQ(sentLike(QStringLiteral("Lab_FormMaker_SaveResultWithNormalValues 'R2603033', '138', '80', '27 - 88'"))
                  .size(),
              1)
        << sent.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603033'"), 1);
    EXPECT_EQ(value("select sResult from laboratory..tbLabResultNValues where RequestNum = 'R2603033' and ExamCode "
                    "= '138'"),
              "80");
    EXPECT_EQ(count("select count(*) from inventory..tbInvStockCard"), cards);
}

TEST_P(NormalValuesSaveTest, FailingSaveRollsBackTellsAndCloses)
{
    bool closed = false;
    open("R2603031", [this, &closed](frmWithNormalValues &screen) {
        QObject::connect(&screen, &QDialog::finished, &screen, [&closed] { closed = true; });
        // The database breaks while the screen is open: the first row fails after the logbook row.
        auto driver = db->connect();
        driver->run("DROP TABLE " + driver->qualify(labdb::Database::Laboratory, "tbLabResultNValues"), {});
        control<QLineEdit>(screen, "txtAccNum")->setText(QStringLiteral("F-0311"));
        typeInto(screen, 1, Col::ColSResult, QStringLiteral("5.2"));
        control<QAbstractButton>(screen, "cmdSave")->click();
    });
    EXPECT_TRUE(closed);
    const auto &shown = script.seam().messages();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.last().request.title, QStringLiteral("Save_Entries of Result Entry Class"));
    EXPECT_TRUE(shown.last().request.text.startsWith(QStringLiteral("Data was not saved! Error: [")))
        << shown.last().request.text.toStdString();
    EXPECT_FALSE(script.seam().dialogs().contains(QStringLiteral("frmMedTech")));
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603031'"), 0);
    EXPECT_EQ(count("select count(*) from inventory..tbInvStockCard where ReferenceNum = 'R2603031L'"), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, NormalValuesScreenTest, testsupport::kBothBackends, testsupport::backendName);
INSTANTIATE_TEST_SUITE_P(Backends, NormalValuesSaveTest, testsupport::kBothBackends, testsupport::backendName);

// ---------------------------------------------------------------------------------------------
// ConvertResult from a table: SI = conventional x factor, "0.00", empty when it cannot convert.

struct Conversion {
    const char *factor, *value;
    int column;
    const char *expected;
};

class ConvertResultTest : public ::testing::TestWithParam<Conversion> {
protected:
    static void SetUpTestSuite()
    {
        database = new testsupport::TempDatabase(testsupport::Backend::Sqlite);
        labdb::loadDemoData(*database->connect());
        connection = corvane::Connection::open(QString::fromStdString(database->connectionString())).release();
    }
    static void TearDownTestSuite()
    {
        delete connection;
        delete database;
    }
    static inline testsupport::TempDatabase *database = nullptr;
    static inline corvane::Connection *connection = nullptr;
};

TEST_P(ConvertResultTest, ConvertsWithTheFactor)
{
    const Conversion &c = GetParam();
    EXPECT_EQ(corvane::ConvertResult(*connection, QString::fromLatin1(c.factor), QString::fromLatin1(c.value),
                                     QStringLiteral("136"), c.column)
                  .toStdString(),
              c.expected)
        << c.factor << " " << c.value << " col " << c.column;
}

INSTANTIATE_TEST_SUITE_P(Table, ConvertResultTest,
                         ::testing::Values(Conversion{"0.0555", "100", 3, "1801.80"},
                                           Conversion{"0.0555", "5.5", 8, "0.31"},
                                           Conversion{"88.4", "97.2", 3, "1.10"},
                                           Conversion{"88.4", "1.1", 8, "97.24"},
                                           Conversion{"1", "0.005", 3, "0.01"},     // halves round up
                                           Conversion{"1", "-0.005", 3, "-0.01"},   // and away from zero
                                           Conversion{"2", " 7 ", 3, "3.50"},       // blanks around a number
                                           Conversion{"0.0555", "100", 4, "1801.80"}, // any column but 8 divides
                                           Conversion{"", "100", 3, ""},
                                           Conversion{"0", "100", 3, ""},
                                           Conversion{"0.00", "100", 8, ""},
                                           Conversion{"x", "100", 3, ""},
                                           Conversion{"0.0555", "", 3, ""},
                                           Conversion{"0.0555", ">100", 3, ""},
                                           Conversion{"0.0555", "1,000", 3, ""},
                                           Conversion{"0.0555", "5.5*", 8, ""}));

TEST(ReagentRules, KeyIsTheLastFiveCharactersOfTheItemUnlessAnAnalyserWasChosen)
{
    const QString pad(100, QLatin1Char(' '));
    EXPECT_EQ(corvane::reagentKey(QStringLiteral("GLUCOSE - VITROS 250") + pad + QStringLiteral("R0201")),
              QStringLiteral("R0201"));
    EXPECT_EQ(corvane::reagentKey(QStringLiteral("UREASE") + pad + QStringLiteral("R12")), QStringLiteral("R12"));
    EXPECT_EQ(corvane::reagentKey(QString()), QString());
    EXPECT_EQ(corvane::reagentKey(QStringLiteral("GLUCOSE") + pad + QStringLiteral("R0201"), QStringLiteral(" R0601 ")),
              QStringLiteral("R0601"));
}

TEST(ComputeFormulas, ClearanceAndUrineProtein)
{
    EXPECT_NEAR(*corvane::frmCompute::creatinineClearance(100, 1, 1440), 1.67, 1e-12);
    EXPECT_NEAR(*corvane::frmCompute::creatinineClearance(8840, 88.4, 1200), 100 * (1200.0 / 1440) * 0.0167, 1e-12);
    EXPECT_FALSE(corvane::frmCompute::creatinineClearance(100, 0, 1440).has_value());
    EXPECT_DOUBLE_EQ(corvane::frmCompute::urineProtein(0.25, 1500), 375);
}

} // namespace
