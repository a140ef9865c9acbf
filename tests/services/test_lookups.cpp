// The shared code search, the instrument lookup and the doctor search, driven by keys.

#include "services/signofffixture.h"

#include "host/qstringprint.h"
#include "services/lookups/dialogsupport.h"
#include "services/lookups/frmsearchinstrument.h"
#include "services/lookups/frmsearchpatho.h"
#include "services/lookups/searchcode.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using corvane::SearchRecord;
using corvane::SessionContext;
using testsupport::control;

namespace {

// Answers every search with a prepared record and remembers what it was asked.
class FakeCodeSearch : public corvane::ICodeSearch {
public:
    std::optional<SearchRecord> answer;
    qint32 kind = -1;
    QString text;
    QString filter;

    std::optional<SearchRecord> showSearchForm(qint32 &k, QString &t, QString &f) override
    {
        kind = k;
        text = t;
        filter = f;
        return answer;
    }
};

class SearchCodeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto search = std::make_unique<FakeCodeSearch>();
        fake = search.get();
        SessionContext::current().SearchCodes = std::move(search);
    }
    void TearDown() override { SessionContext::current().SearchCodes.reset(); }

    std::optional<SearchRecord> search(qint32 kind, QString text = QStringLiteral("101"), QString filter = {})
    {
        SessionContext::current().SearchFound = !SessionContext::current().SearchFound;
        return corvane::SearchCode(kind, text, filter);
    }

    FakeCodeSearch *fake = nullptr;
};

struct KeyKind {
    qint32 kind;
    const char *field;
};

class SearchCodeKeyTest : public SearchCodeTest, public ::testing::WithParamInterface<KeyKind> {};

TEST_P(SearchCodeKeyTest, ARecordCountsAsFoundOnlyWithItsKeyField)
{
    const QString key = QString::fromLatin1(GetParam().field);
    fake->answer = SearchRecord{{key, QStringLiteral("PROLONGED")}, {QStringLiteral("Other"), QStringLiteral("x")}};
    const auto found = search(GetParam().kind, QStringLiteral("101"), QStringLiteral("PRO"));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->value(key), QStringLiteral("PROLONGED"));
    EXPECT_TRUE(SessionContext::current().SearchFound);
    EXPECT_EQ(fake->kind, GetParam().kind);
    EXPECT_EQ(fake->text, QStringLiteral("101"));
    EXPECT_EQ(fake->filter, QStringLiteral("PRO"));

    fake->answer = SearchRecord{{key, QString()}, {QStringLiteral("Other"), QStringLiteral("x")}};
    EXPECT_FALSE(search(GetParam().kind).has_value());
    EXPECT_FALSE(SessionContext::current().SearchFound);

    fake->answer = SearchRecord{{QStringLiteral("Other"), QStringLiteral("x")}};
    EXPECT_FALSE(search(GetParam().kind).has_value());
    EXPECT_FALSE(SessionContext::current().SearchFound);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SearchCodeKeyTest,
                         ::testing::Values(KeyKind{1, "LabExam"}, KeyKind{2, "Specimen"}, KeyKind{3, "Company"},
                                           KeyKind{5, "ExamSpecimen"}, KeyKind{7, "Description"},
                                           KeyKind{8, "Reagent"}, KeyKind{10, "Age"}, KeyKind{27, "code"},
                                           KeyKind{28, "Interpretation"}),
                         [](const auto &info) { return std::to_string(info.param.kind); });

TEST_F(SearchCodeTest, CancellingOrAKindWithoutKeyFindsNothing)
{
    fake->answer.reset();
    EXPECT_FALSE(search(28).has_value());
    EXPECT_FALSE(SessionContext::current().SearchFound);

    // The doctor list has no key the shared search tests: its screens call the library directly.
    fake->answer = SearchRecord{{QStringLiteral("DoctorID"), QStringLiteral("1002")}};
    EXPECT_FALSE(search(6).has_value());
    EXPECT_FALSE(SessionContext::current().SearchFound);
    EXPECT_EQ(fake->kind, 6); // the window was still shown

    fake->answer = SearchRecord{{QStringLiteral("interpretation"), QStringLiteral("NORMAL")}};
    EXPECT_TRUE(search(28).has_value()) << "field names are matched without regard to case";

    SessionContext::current().SearchCodes.reset();
    EXPECT_FALSE(search(28).has_value());
    EXPECT_FALSE(SessionContext::current().SearchFound);
}

// ---------------------------------------------------------------------------------------------

class LookupDialogTest : public testsupport::SessionDatabaseTest {
protected:
    testsupport::DialogScript script;
};

TEST_P(LookupDialogTest, InstrumentLookupReadsPositionsOneTwoAndSeven)
{
    corvane::frmSearchInstrument dialog(conn());
    script.expect(QStringLiteral("frmSearchInstrument"), [](QDialog &d) {
        auto *grid = control<QTableWidget>(d, "grdInstrument");
        ASSERT_EQ(grid->rowCount(), 4);
        EXPECT_EQ(grid->horizontalHeaderItem(7)->text().toLower(), QStringLiteral("reagentcode"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.runModal(), QDialog::Accepted);
    EXPECT_EQ(commands, QStringList{QStringLiteral("select * from LABORATORY.dbo.tbLabInstrumentName")});
    EXPECT_EQ(dialog.InstrumentID(), QStringLiteral("CS1600"));
    EXPECT_EQ(dialog.InstrumentName(), QStringLiteral("SYSMEX CS-1600"));
    EXPECT_EQ(dialog.ReagentCode(), QStringLiteral("R0101"));

    corvane::frmSearchInstrument closed(conn());
    script.expect(QStringLiteral("frmSearchInstrument"),
                  [](QDialog &d) { QTest::mouseClick(control<QPushButton>(d, "cmdClose"), Qt::LeftButton); });
    EXPECT_EQ(closed.runModal(), QDialog::Rejected);
    EXPECT_TRUE(closed.InstrumentID().isEmpty());
}

TEST_P(LookupDialogTest, AnEmptyInstrumentTableSelectsAnEmptyRow)
{
    conn().execute(corvane::Command::fromText(QStringLiteral("DELETE FROM LABORATORY..tbLabInstrumentName")));
    corvane::frmSearchInstrument dialog(conn());
    script.expect(QStringLiteral("frmSearchInstrument"),
                  [](QDialog &d) { QTest::mouseClick(control<QPushButton>(d, "cmdSelect"), Qt::LeftButton); });
    EXPECT_EQ(dialog.runModal(), QDialog::Accepted);
    EXPECT_TRUE(dialog.InstrumentID().isEmpty());
    EXPECT_TRUE(dialog.InstrumentName().isEmpty());
    EXPECT_TRUE(dialog.ReagentCode().isEmpty());
}

TEST_P(LookupDialogTest, PathologistSearchPicksByKeyboard)
{
    corvane::frmSearchPatho dialog(conn());
    dialog.setIsPathologist(QStringLiteral("True"));
    script.expect(QStringLiteral("frmSearchPatho"), [](QDialog &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Search Doctor"));
        auto *grid = control<QTableWidget>(d, "grdResults");
        ASSERT_EQ(grid->rowCount(), 3); // pathologists only
        EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("Lim"));
        // Widths in twips: 1000 for the code, 2000 for the name columns.
        EXPECT_EQ(grid->columnWidth(0), corvane::twipsToPixelsX(*grid, 1000));
        for (int c = 1; c <= 4; ++c)
            EXPECT_EQ(grid->columnWidth(c), corvane::twipsToPixelsX(*grid, 2000)) << c;
        QTest::keyClick(control<QLineEdit>(d, "txtSearch"), Qt::Key_Down); // into the list
        QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Enter);
    });
    EXPECT_EQ(dialog.runModal(), QDialog::Accepted);
    EXPECT_EQ(commands, QStringList{QStringLiteral("Lab_SearchDoctor '2', ''")});
    EXPECT_EQ(dialog.ResultCode(), QStringLiteral("1001"));
    EXPECT_EQ(dialog.ResultText(), QStringLiteral("PF: Santos, Maria Luisa Reyes"));

    corvane::frmSearchPatho escaped(conn());
    script.expect(QStringLiteral("frmSearchPatho"),
                  [](QDialog &d) { QTest::keyClick(control<QTableWidget>(d, "grdResults"), Qt::Key_Escape); });
    EXPECT_EQ(escaped.runModal(), QDialog::Rejected);
    EXPECT_TRUE(escaped.ResultCode().isEmpty());
    EXPECT_TRUE(escaped.ResultText().isEmpty());
}

TEST_P(LookupDialogTest, DoctorSearchRunsOnEnterAndKeepsTheGridWhenNothingMatches)
{
    corvane::frmSearchPatho dialog(conn());
    dialog.setIsPathologist(QStringLiteral("0"));
    dialog.setSearchText(QStringLiteral("Ga"));
    script.expect(QStringLiteral("frmSearchPatho"), [](QDialog &d) {
        auto *grid = control<QTableWidget>(d, "grdResults");
        auto *search = control<QLineEdit>(d, "txtSearch");
        EXPECT_EQ(search->text(), QStringLiteral("Ga"));
        ASSERT_EQ(grid->rowCount(), 1);
        search->clear();
        QTest::keyClicks(search, QStringLiteral("Zz"));
        QTest::keyClick(search, Qt::Key_Return);
        ASSERT_EQ(grid->rowCount(), 1) << "a search without rows leaves the list as it was";
        EXPECT_TRUE(d.isVisible()) << "Enter in the search box searches, it does not choose";
        search->clear();
        QTest::keyClicks(search, QStringLiteral("reyes"));
        QTest::keyClick(search, Qt::Key_Return);
        ASSERT_EQ(grid->rowCount(), 1);
        const QPoint cell = grid->visualItemRect(grid->item(0, 2)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
    });
    EXPECT_EQ(dialog.runModal(), QDialog::Accepted);
    EXPECT_EQ(commands, (QStringList{QStringLiteral("Lab_SearchDoctor '1', 'Ga'"),
                                     QStringLiteral("Lab_SearchDoctor '1', 'Zz'"),
                                     QStringLiteral("Lab_SearchDoctor '1', 'reyes'")}));
    EXPECT_EQ(dialog.ResultCode(), QStringLiteral("1013"));
    EXPECT_EQ(dialog.ResultText(), QStringLiteral("PF: Reyes, Carmela Santiago"));
}

// Pictures of the lookups with demonstration data, for a person to look at.
TEST_P(LookupDialogTest, Screenshots)
{
    const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty() || GetParam() != testsupport::Backend::Sqlite)
        GTEST_SKIP() << "set CORVANE_SCREENSHOT_DIR to write screenshots";
    QDir().mkpath(dir);
    const auto save = [&](QDialog &d, const char *name) {
        QApplication::processEvents();
        EXPECT_TRUE(d.grab().save(dir + QLatin1Char('/') + QString::fromLatin1(name)));
    };
    corvane::frmSearchInstrument instruments(conn());
    script.expect(QStringLiteral("frmSearchInstrument"), [&](QDialog &d) { save(d, "frmSearchInstrument.png"); });
    instruments.runModal();
    corvane::frmSearchPatho doctors(conn());
    doctors.setIsPathologist(QStringLiteral("False"));
    script.expect(QStringLiteral("frmSearchPatho"), [&](QDialog &d) { save(d, "frmSearchPatho-all.png"); });
    doctors.runModal();
}

INSTANTIATE_TEST_SUITE_P(Backends, LookupDialogTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
