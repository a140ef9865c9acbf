// The shared code search, the instrument lookup and the doctor search, driven by keys.

#include "support/demosession.h"
#include "support/dialogscript.h"

#include "services/lookups/frmsearchinstrument.h"
#include "services/lookups/frmsearchpatho.h"
#include "services/lookups/searchcode.h"

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
        ctx.SearchCodes = std::move(search);
    }
    void TearDown() override { ctx.SearchCodes.reset(); }

    // A search that flips SearchFound first, so that each one is seen to set it.
    std::optional<SearchRecord> search(qint32 kind, QString text = QStringLiteral("101"), QString filter = {})
    {
        ctx.SearchFound = !ctx.SearchFound;
        return corvane::SearchCode(kind, text, filter);
    }

    SessionContext &ctx = SessionContext::current();
    FakeCodeSearch *fake = nullptr;
};

TEST_F(SearchCodeTest, ARecordCountsAsFoundOnlyWithTheKeyFieldOfItsKind)
{
    const std::pair<qint32, const char *> keys[] = {{1, "LabExam"}, {2, "Specimen"},     {3, "Company"},
                                                    {5, "ExamSpecimen"}, {7, "Description"}, {8, "Reagent"},
                                                    {10, "Age"},      {27, "code"},         {28, "Interpretation"}};
    for (const auto &[kind, field] : keys) {
        SCOPED_TRACE(field);
        const QString key = QString::fromLatin1(field);
        const std::pair<QString, QString> other{QStringLiteral("Other"), QStringLiteral("x")};
        fake->answer = SearchRecord{{key, QStringLiteral("PROLONGED")}, other};
        const auto found = search(kind, QStringLiteral("101"), QStringLiteral("PRO"));
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->value(key), QStringLiteral("PROLONGED"));
        EXPECT_TRUE(ctx.SearchFound);
        EXPECT_EQ(QStringLiteral("%1 %2 %3").arg(fake->kind).arg(fake->text, fake->filter),
                  QStringLiteral("%1 101 PRO").arg(kind));

        fake->answer = SearchRecord{{key, QString()}, other};
        EXPECT_FALSE(search(kind).has_value());
        EXPECT_FALSE(ctx.SearchFound);
        fake->answer = SearchRecord{other};
        EXPECT_FALSE(search(kind).has_value());
        EXPECT_FALSE(ctx.SearchFound);
    }
}

TEST_F(SearchCodeTest, CancellingOrAKindWithoutKeyFindsNothing)
{
    fake->answer.reset();
    EXPECT_FALSE(search(28).has_value());
    EXPECT_FALSE(ctx.SearchFound);

    // The doctor list has no key the shared search tests: its screens call the library directly.
    fake->answer = SearchRecord{{QStringLiteral("DoctorID"), QStringLiteral("1002")}};
    EXPECT_FALSE(search(6).has_value());
    EXPECT_FALSE(ctx.SearchFound);
    EXPECT_EQ(fake->kind, 6); // the window was still shown

    fake->answer = SearchRecord{{QStringLiteral("interpretation"), QStringLiteral("NORMAL")}};
    EXPECT_TRUE(search(28).has_value()) << "field names are matched without regard to case";

    ctx.SearchCodes.reset();
    EXPECT_FALSE(search(28).has_value());
    EXPECT_FALSE(ctx.SearchFound);
}

// ---------------------------------------------------------------------------------------------

class LookupDialogTest : public testsupport::DemoSessionTest {
protected:
    testsupport::DialogScript script;
};

TEST_P(LookupDialogTest, InstrumentLookupReadsPositionsOneTwoAndSevenOfTheChosenRow)
{
    corvane::frmSearchInstrument dialog(conn());
    script.expect(QStringLiteral("frmSearchInstrument"), [](QDialog &d) {
        auto *grid = control<QTableWidget>(d, "grdInstrument");
        ASSERT_EQ(grid->rowCount(), 5);
        EXPECT_EQ(grid->horizontalHeaderItem(7)->text().toLower(), QStringLiteral("reagentcode"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.runModal(), QDialog::Accepted);
    EXPECT_EQ(sent, QStringList{QStringLiteral("select * from LABORATORY.dbo.tbLabInstrumentName")});
    EXPECT_EQ(dialog.InstrumentID(), QStringLiteral("CS1600"));
    EXPECT_EQ(dialog.InstrumentName(), QStringLiteral("SYSMEX CS-1600"));
    EXPECT_EQ(dialog.ReagentCode(), QStringLiteral("R0101"));

    corvane::frmSearchInstrument closed(conn());
    script.expect(QStringLiteral("frmSearchInstrument"),
                  [](QDialog &d) { QTest::mouseClick(control<QPushButton>(d, "cmdClose"), Qt::LeftButton); });
    EXPECT_EQ(closed.runModal(), QDialog::Rejected);
    EXPECT_TRUE(closed.InstrumentID().isEmpty());

    // An empty table selects an empty row.
    execute(QStringLiteral("DELETE FROM LABORATORY..tbLabInstrumentName"));
    corvane::frmSearchInstrument empty(conn());
    script.expect(QStringLiteral("frmSearchInstrument"),
                  [](QDialog &d) { QTest::mouseClick(control<QPushButton>(d, "cmdSelect"), Qt::LeftButton); });
    EXPECT_EQ(empty.runModal(), QDialog::Accepted);
    EXPECT_EQ(empty.InstrumentID() + empty.InstrumentName() + empty.ReagentCode(), QString());
}

TEST_P(LookupDialogTest, PathologistSearchPicksByKeyboard)
{
    corvane::frmSearchPatho dialog(conn());
    dialog.setIsPathologist(QStringLiteral("True"));
    script.expect(QStringLiteral("frmSearchPatho"), [](QDialog &d) {
        auto *grid = control<QTableWidget>(d, "grdResults");
        ASSERT_EQ(grid->rowCount(), 3); // pathologists only
        EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("Lim"));
        QTest::keyClick(control<QLineEdit>(d, "txtSearch"), Qt::Key_Down); // into the list
        QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Enter);
    });
    EXPECT_EQ(dialog.runModal(), QDialog::Accepted);
    EXPECT_EQ(sent, QStringList{QStringLiteral("Lab_SearchDoctor '2', ''")});
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
    EXPECT_EQ(sent, (QStringList{QStringLiteral("Lab_SearchDoctor '1', 'Ga'"),
                                     QStringLiteral("Lab_SearchDoctor '1', 'Zz'"),
                                     QStringLiteral("Lab_SearchDoctor '1', 'reyes'")}));
    EXPECT_EQ(dialog.ResultCode(), QStringLiteral("1013"));
    EXPECT_EQ(dialog.ResultText(), QStringLiteral("PF: Reyes, Carmela Santiago"));
}

INSTANTIATE_TEST_SUITE_P(Backends, LookupDialogTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
