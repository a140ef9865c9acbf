// The code-search library: its window driven by keys, and its lists on both backends.

#include "support/demosession.h"
#include "support/dialogscript.h"

#include "codesearch/clslabexams.h"
#include "codesearch/codelists.h"
#include "codesearch/frmcodesearch.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

using kestrix::clsLabExams;
using kestrix::frmCodeSearch;
using testsupport::control;

namespace {

const QStringList kFields{QStringLiteral("ExamCode"), QStringLiteral("InterpretationID"),
                          QStringLiteral("Interpretation")};
const QList<QStringList> kRows{
    {QStringLiteral("118"), QStringLiteral("01"), QStringLiteral("NO ORGANISM SEEN")},
    {QStringLiteral("118"), QStringLiteral("02"), QStringLiteral("GRAM POSITIVE COCCI IN CLUSTERS")},
    {QStringLiteral("118"), QStringLiteral("03"), QStringLiteral("GRAM POSITIVE COCCI IN CHAINS")},
    {QStringLiteral("118"), QStringLiteral("04"), QStringLiteral("GRAM NEGATIVE BACILLI")},
};

class CodeSearchWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<frmCodeSearch>(*kestrix::codeList(28), kFields, kRows, QString());
        window->show();
        window->activateWindow();
        QApplication::processEvents();
        search = control<QLineEdit>(*window, "txtSearch");
        grid = control<QTableView>(*window, "grdCodes");
    }
    QString current() const { return grid->currentIndex().siblingAtColumn(1).data().toString(); }

    std::unique_ptr<frmCodeSearch> window;
    QLineEdit *search = nullptr;
    QTableView *grid = nullptr;
};

TEST_F(CodeSearchWindowTest, TypingNarrowsAndEnterChoosesTheCurrentLine)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Search Interpretations"));
    EXPECT_EQ(window->visibleCount(), 4);
    QTest::keyClicks(search, QStringLiteral("positive c"));
    EXPECT_EQ(window->visibleCount(), 2);
    EXPECT_EQ(control<QLabel>(*window, "lblCount")->text(), QStringLiteral("2 of 4"));
    EXPECT_EQ(current(), QStringLiteral("GRAM POSITIVE COCCI IN CLUSTERS"));
    QTest::keyClick(search, Qt::Key_Down); // the list moves, the typing stays
    EXPECT_TRUE(search->hasFocus());
    EXPECT_EQ(current(), QStringLiteral("GRAM POSITIVE COCCI IN CHAINS"));
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(window->result(), QDialog::Accepted);
    ASSERT_TRUE(window->chosen().has_value());
    EXPECT_EQ(*window->chosen(), (corvane::SearchRecord{{QStringLiteral("ExamCode"), QStringLiteral("118")},
                                                         {QStringLiteral("InterpretationID"), QStringLiteral("03")},
                                                         {QStringLiteral("Interpretation"),
                                                          QStringLiteral("GRAM POSITIVE COCCI IN CHAINS")}}));
}

TEST_F(CodeSearchWindowTest, WordsMatchInAnyOrderAndTypingInTheListGoesToTheSearchBox)
{
    QTest::keyClicks(search, QStringLiteral("bacilli negative"));
    EXPECT_EQ(window->visibleCount(), 1);
    search->clear();
    grid->setFocus();
    QTest::keyClicks(grid, QStringLiteral("04"));
    EXPECT_EQ(search->text(), QStringLiteral("04"));
    EXPECT_TRUE(search->hasFocus());
    EXPECT_EQ(window->visibleCount(), 1);
    QTest::keyClick(search, Qt::Key_Backspace);
    QTest::keyClick(search, Qt::Key_Backspace);
    EXPECT_EQ(window->visibleCount(), 4);

    // Nothing to choose keeps the window; Escape closes it.
    QTest::keyClicks(search, QStringLiteral("zzz"));
    EXPECT_EQ(window->visibleCount(), 0);
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    QTest::keyClick(search, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_FALSE(window->chosen().has_value());
}

// ---------------------------------------------------------------------------------------------

class CodeSearchTest : public testsupport::DemoSessionTest {
protected:
    std::optional<corvane::SearchRecord> search(qint32 kind, QString text, QString filter)
    {
        return searcher.showSearchForm(kind, text, filter);
    }
    clsLabExams searcher;
    testsupport::DialogScript script;
};

TEST_P(CodeSearchTest, SearchesTheListOfTheKindNarrowedByTheFilterOrTheCode)
{
    script.expect(QStringLiteral("frmCodeSearch"), [](QDialog &d) {
        auto *box = control<QLineEdit>(d, "txtSearch");
        EXPECT_EQ(box->text(), QStringLiteral("prolonged")) << "the filter starts the search";
        QTest::keyClicks(box, QStringLiteral(" heparin"));
        QTest::keyClick(box, Qt::Key_Enter);
    });
    auto record = search(28, QStringLiteral("101"), QStringLiteral("prolonged"));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->value(QStringLiteral("Interpretation")),
              QStringLiteral("PROLONGED, CONSISTENT WITH HEPARIN THERAPY."));

    // Doctors are narrowed by the filter, not by the code.
    script.expect(QStringLiteral("frmCodeSearch"), [](QDialog &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Search Doctors"));
        QTest::keyClick(control<QTableView>(d, "grdCodes"), Qt::Key_Return);
    });
    record = search(6, QStringLiteral("1002"), QStringLiteral("A"));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->value(QStringLiteral("Doctor")), QStringLiteral("Antonio C. Villanueva, M.D."));
    EXPECT_EQ(sent, (QStringList{QStringLiteral("LABORATORY..Lab_SearchCodeList '28', '101'"),
                                 QStringLiteral("LABORATORY..Lab_SearchCodeList '6', 'A'")}));

    // Cancelled, or a kind without a list: nothing, and no window for the latter.
    script.expect(QStringLiteral("frmCodeSearch"),
                  [](QDialog &d) { QTest::keyClick(control<QLineEdit>(d, "txtSearch"), Qt::Key_Escape); });
    EXPECT_FALSE(search(2, QString(), QString()).has_value());
    EXPECT_FALSE(search(4, QString(), QString()).has_value());
    EXPECT_EQ(script.seam().dialogs().size(), 3);
}

// Every list the window offers comes back with the fields it shows and a filled key field.
TEST_P(CodeSearchTest, EveryListHasItsShownFieldsAndKeys)
{
    const struct {
        qint32 kind;
        const char *narrowTo;
        const char *key;
        int expectedRows; // -1: at least one; -2: every specimen of the master table
    } lists[] = {
        {1, "E", "LabExam", -1},        {2, "", "Specimen", -2},       {3, "", "Company", 5},
        {5, "118", "ExamSpecimen", 3},  {6, "A", "DoctorID", 11},      {6, "84", "DoctorID", 3},
        {7, "D", "Description", 9},     {8, "136", "Reagent", 2},      {9, "136", "sNValue", 2},
        {10, "138", "Age", 4},          {27, "157", "code", 8},        {28, "110", "Interpretation", 9},
    };
    EXPECT_EQ(kestrix::codeListKinds(), (QList<qint32>{1, 2, 3, 5, 6, 7, 8, 9, 10, 27, 28}));
    for (const auto &list : lists) {
        SCOPED_TRACE(list.kind);
        corvane::Recordset rs = query(QStringLiteral("LABORATORY..Lab_SearchCodeList '%1', '%2'")
                                          .arg(list.kind)
                                          .arg(QString::fromLatin1(list.narrowTo)));
        QStringList fields;
        for (int f = 0; f < rs.fieldCount(); ++f)
            fields.append(rs.fieldName(f));
        for (const kestrix::CodeColumn &column : kestrix::codeList(list.kind)->columns)
            EXPECT_TRUE(fields.contains(column.field)) << column.field.toStdString();
        if (list.expectedRows == -2)
            EXPECT_EQ(rs.recordCount(), query(QStringLiteral("select * from build_file..tbCoLabSpecimen")).recordCount());
        else if (list.expectedRows >= 0)
            EXPECT_EQ(rs.recordCount(), list.expectedRows);
        else
            EXPECT_GT(rs.recordCount(), 0);
        for (; !rs.eof(); rs.moveNext())
            EXPECT_FALSE(rs[QString::fromLatin1(list.key)].toStringOr().isEmpty());
    }
    EXPECT_TRUE(query(QStringLiteral("LABORATORY..Lab_SearchCodeList '28', '999'")).eof());
    EXPECT_THROW(query(QStringLiteral("LABORATORY..Lab_SearchCodeList '4', ''")), corvane::DatabaseError);
    // The master files' own exam search, by exact code.
    corvane::Recordset exam = query(QStringLiteral("BUILD_FILE..global_SearchLABExam '121', '2'"));
    ASSERT_FALSE(exam.eof());
    EXPECT_EQ(exam[QStringLiteral("LabExam")].toStringOr(), QStringLiteral("EXECUTIVE CHECK-UP PACKAGE A"));
    EXPECT_EQ(exam.recordCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, CodeSearchTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
