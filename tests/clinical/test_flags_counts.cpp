// Flags on the urinalysis counts and the crossmatch monitoring, played as a laboratory validates
// them: the urinalysis ranges typed in their dialog are the intervals the counts are judged by,
// a saved result keeps what it was judged by, a result saved before that prints today's range, and
// an upgraded database keeps the ranges it had.

#include "e2e/scriptedsession.h"
#include "print.h"

#include <labdb/driver.h>
#include <labdb/schema.h>

#include <QProcess>
#include <QStandardPaths>

#include <array>

namespace {

constexpr auto kSession = R"(clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
)";

// Signed off on a whole page (the layout with the ranges) and printed to the PDF.
constexpr auto kSignWholePage = R"(frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: check optPaperSize(1)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)";

// The dialog's twenty texts, male then female for each count, as awkward as laboratories write
// them: spaced, with an en dash, a quote, words only, empty, reversed.
const std::array<QString, 20> kRanges{
    QStringLiteral("0-2"),         QStringLiteral("0-5"),         // RBC /hpf
    QStringLiteral("0-5"),         QStringLiteral("0-8"),         // WBC /hpf
    QStringLiteral("None seen"),   QStringLiteral("Few"),         // bacteria /hpf
    QString(),                     QString(),                     // epithelial cells /hpf
    QStringLiteral("0-2 hyaline"), QStringLiteral("0-2 hyaline"), // casts /hpf
    QStringLiteral(" 0.0 - 17.0 "), QStringLiteral("0.0\u201325.0"), // RBC /uL
    QStringLiteral("<5 (O'Neil)"), QStringLiteral("0.0-39.0"),    // WBC /uL
    QStringLiteral("10-2"),        QStringLiteral("0.0-385.0"),   // bacteria /uL
    QString(),                     QStringLiteral("0.0-31.0"),    // epithelial cells /uL
    QStringLiteral("0.0-2.4"),     QStringLiteral("0.0-2.4"),     // casts /uL
};

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

class CountFlagsTest : public e2e::ScriptedSessionTest {
protected:
    // The twenty texts typed into the dialog from the urinalysis screen and updated.
    static QString typeRanges(const std::array<QString, 20> &texts)
    {
        QString s = QStringLiteral("frmUrinalysis: click cmdUpdateRefRange\n");
        for (std::size_t k = 0; k < texts.size(); ++k)
            s += QStringLiteral("frmUrinalysisRefRange: set txtRefRange(%1) %2\n").arg(k).arg(quoted(texts[k]));
        return s + QStringLiteral("frmUrinalysisRefRange: click cmdUpdate\nanswer OK\n");
    }
    static QString open(const char *request) { return QString::fromLatin1(kSession) + QStringLiteral("open %1\n").arg(QLatin1String(request)); }
    QString signWholePage(const char *pdf) const { return QString::fromLatin1(kSignWholePage).arg(pdfPath(pdf)); }

    // A request for the same urinalysis as R2603003, for the woman of admission O26-00201.
    void femaleUrinalysis(const char *requestNum)
    {
        const labdb::TableDef *master = labdb::tableDefinition(labdb::Database::Laboratory, "tbLabMaster");
        ASSERT_NE(master, nullptr);
        std::string columns, chosen;
        for (const labdb::ColumnDef &c : master->columns) {
            columns += (columns.empty() ? "" : ", ") + c.name;
            const std::string given = labdb::iequals(c.name, "RequestNum") ? std::string("'") + requestNum + "'"
                                      : labdb::iequals(c.name, "HospNum") ? std::string("'10023452'")
                                      : labdb::iequals(c.name, "IDNum")   ? std::string("'O26-00201'")
                                                                          : c.name;
            chosen += (chosen.empty() ? "" : ", ") + given;
        }
        auto d = db->connect();
        const std::string table = d->qualify(labdb::Database::Laboratory, "tbLabMaster");
        d->run("INSERT INTO " + table + " (" + columns + ") SELECT " + chosen + " FROM " + table +
                   " WHERE RequestNum = 'R2603003'",
               {});
    }
    // The report of a stored result as the laboratory reprints it, without saving it again.
    QString reprint(const char *request, const char *pdf) const
    {
        const QString target = pdfPath(pdf);
        const int rc = labhost::printCommand({QStringLiteral("--request"), QLatin1String(request), QStringLiteral("--layout"),
                                              QStringLiteral("LabPrint_Urinalysis_revised.RPT"), QStringLiteral("--pdf"),
                                              target, QStringLiteral("--source"), QString::fromStdString(db->dataSource())});
        EXPECT_EQ(rc, 0);
        return pdfText(target);
    }
    static QString pdfText(const QString &pdf)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            return {};
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput()).simplified();
    }
    std::string judged(const char *request, const char *field, const char *column = "Flag")
    {
        return value(std::string("select ") + column + " from laboratory..tbLabResultJudgement where RequestNum = '" +
                     request + "' and Field = '" + field + "'");
    }
};

TEST_P(CountFlagsTest, RangesTypedInTheDialogReadBackExactlyAndJudgeTheCountsByTheSex)
{
    QString readBack = QStringLiteral("frmUrinalysis: click cmdUpdateRefRange\n");
    for (std::size_t k = 0; k < kRanges.size(); ++k)
        readBack += QStringLiteral("frmUrinalysisRefRange: expect txtRefRange(%1) %2\n").arg(k).arg(quoted(kRanges[k]));
    // The count typed before the update (within the demo's range) is judged by the ranges just
    // typed: the boy of R2603003 by the men's.
    const QString typedBefore = QStringLiteral("frmUrinalysis: set txtResult(1) 6\nfrmUrinalysis: expect lblFlag_1 \"\"\n");
    ASSERT_TRUE(play(open("R2603003") + typedBefore + typeRanges(kRanges) + readBack + QStringLiteral(R"(
frmUrinalysisRefRange: click cmdExit
frmUrinalysis: expect lblFlag_1 H
frmUrinalysis: expect txtResult(1) 6
frmUrinalysis: click cmdExam
)"))) << log.toStdString();
    // The dialog's commands are the same; only where they keep the texts changed.
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..sp_SaveUrinalysisRefRange '0-2', '0-5', '0-5', '0-8', "
                                         "'None seen', 'Few', '', '', '0-2 hyaline'")),
              1)
        << log.toStdString();
    EXPECT_EQ(count("select count(*) from laboratory..tbLabUrinalysisRefRange"), 0);
    // An empty text leaves the count without an interval; a text with no limits is kept as printed.
    EXPECT_EQ(count("select count(*) from laboratory..tbLabReferenceInterval where ExamCode = '103' and "
                    "Field = 'result11'"),
              0);

    // A count at a limit is within it.
    ASSERT_TRUE(play(open("R2603003") + QStringLiteral(R"(
frmUrinalysis: set xCbo(7) 3
frmUrinalysis: expect lblFlag_7 H
frmUrinalysis: set xCbo(7) 2
frmUrinalysis: expect lblFlag_7 ""
frmUrinalysis: choose xCbo(7) TNTC
frmUrinalysis: expect lblFlag_7 ""
frmUrinalysis: set txtResult(0) 17.5
frmUrinalysis: expect lblFlag_0 H
frmUrinalysis: set txtResult(0) 17.0
frmUrinalysis: expect lblFlag_0 ""
frmUrinalysis: set txtResult(1) 6
frmUrinalysis: expect lblFlag_1 H
frmUrinalysis: set txtResult(1) 1,250 /uL
frmUrinalysis: expect lblFlag_1 H
frmUrinalysis: expect txtResult(1) "1,250 /uL"
frmUrinalysis: set txtResult(2) 500
frmUrinalysis: expect lblFlag_2 ""
frmUrinalysis: click cmdExam
)"))) << log.toStdString();

    femaleUrinalysis("R2699903");
    ASSERT_TRUE(play(open("R2699903") + QStringLiteral(R"(
frmUrinalysis: set xCbo(7) 3
frmUrinalysis: expect lblFlag_7 ""
frmUrinalysis: set xCbo(6) 9
frmUrinalysis: expect lblFlag_6 H
frmUrinalysis: set txtResult(0) 17.5
frmUrinalysis: expect lblFlag_0 ""
frmUrinalysis: set txtResult(0) 25.5
frmUrinalysis: expect lblFlag_0 H
frmUrinalysis: click cmdExam
)"))) << log.toStdString();
}

TEST_P(CountFlagsTest, SavedCountsKeepTheirJudgementAndPrintTheirFlags)
{
    ASSERT_TRUE(play(open("R2603003") + QStringLiteral(R"(
frmUrinalysis: set txtAccNum U-2001
frmUrinalysis: set xCbo(7) 4
frmUrinalysis: set txtResult(0) 45.6
frmUrinalysis: set txtResult(1) 12.5
frmUrinalysis: set txtResult(3) trace
frmUrinalysis: click cmdSave
)") + signWholePage("judged.pdf"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_ResultJudgement 'R2603003'")), 1) << log.toStdString();
    EXPECT_EQ(judged("R2603003", "result27"), "H");
    EXPECT_EQ(judged("R2603003", "result28"), "");
    EXPECT_EQ(judged("R2603003", "result8"), "H");
    EXPECT_EQ(judged("R2603003", "result30"), "");
    EXPECT_EQ(value("select result27 from laboratory..tbLabResult where RequestNum = 'R2603003'"), "45.6");

    // Reopened, the stored values show their flags; the laboratory then widens the RBC range.
    ASSERT_TRUE(play(open("R2603003") + QStringLiteral(R"(
frmUrinalysis: expect txtResult(0) 45.6
frmUrinalysis: expect lblFlag_0 H
frmUrinalysis: expect lblFlag_1 ""
frmUrinalysis: expect lblFlag_7 H
frmUrinalysis: click cmdExam
)"))) << log.toStdString();
    std::array<QString, 20> wider{QStringLiteral("0-2"), QStringLiteral("0-3"), QStringLiteral("0-5"), QStringLiteral("0-8"),
                                  QStringLiteral("None to few"), QStringLiteral("None to few"), QStringLiteral("Few"),
                                  QStringLiteral("Few to moderate"), QStringLiteral("0-2 hyaline"),
                                  QStringLiteral("0-2 hyaline"), QStringLiteral("0.0-50.0"), QStringLiteral("0.0-50.0")};
    ASSERT_TRUE(play(open("R2603003") + typeRanges(wider) + QStringLiteral("frmUrinalysis: click cmdExam\n")))
        << log.toStdString();
    EXPECT_EQ(judged("R2603003", "result27", "PrintedText"), "0.0-17.0");

    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "no pdftotext to read the reports";
    const QString printed = pdfText(pdfPath("judged.pdf"));
    EXPECT_TRUE(printed.contains(QStringLiteral("45.6 H /\u00b5L 0.0-17.0"))) << printed.toStdString();
    // The short value and its flag may come out of the PDF as one word.
    EXPECT_TRUE(printed.contains(QRegularExpression(QStringLiteral("RBC 4 ?H /hpf 0-2")))) << printed.toStdString();
    // The reprint after the change still shows what the result was judged by.
    const QString again = reprint("R2603003", "judged-again.pdf");
    EXPECT_TRUE(again.contains(QStringLiteral("45.6 H /\u00b5L 0.0-17.0"))) << again.toStdString();
    EXPECT_FALSE(again.contains(QStringLiteral("0.0-50.0"))) << again.toStdString();
}

// A laboratory that kept no ranges saves without judgements; once it types them, the old result
// prints today's range without a flag until it is saved again.
TEST_P(CountFlagsTest, AResultSavedWithoutRangesPrintsTodaysRangeWithoutAFlag)
{
    ASSERT_TRUE(play(open("R2603003") + typeRanges({}) + QStringLiteral(R"(
frmUrinalysis: click cmdExam
)"))) << log.toStdString();
    EXPECT_TRUE(check->execute("LABORATORY..sp_GetUrinalysisRefRange").rows.empty());

    ASSERT_TRUE(play(open("R2603003") + QStringLiteral(R"(
frmUrinalysis: set txtAccNum U-2002
frmUrinalysis: set txtResult(0) 45.6
frmUrinalysis: click cmdSave
frmMedTech: click FlatBttn1
)"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_Urinalysis 0, 'R2603003'")), 1) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_ResultJudgement")), 0) << log.toStdString();
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultJudgement where RequestNum = 'R2603003'"), 0);

    std::array<QString, 20> ranges{};
    ranges[10] = QStringLiteral("0.0-17.0");
    ASSERT_TRUE(play(open("R2603003") + typeRanges(ranges) + QStringLiteral(R"(
frmUrinalysis: click cmdExam
)"))) << log.toStdString();
    const QString printed = reprint("R2603003", "fallback.pdf");
    if (printed.isEmpty())
        GTEST_SKIP() << "no pdftotext to read the report";
    EXPECT_TRUE(printed.contains(QStringLiteral("45.6 /\u00b5L 0.0-17.0"))) << printed.toStdString();
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultJudgement where RequestNum = 'R2603003'"), 0);
}

TEST_P(CountFlagsTest, CrossmatchMonitoringIsFlaggedBeforeAndAfter)
{
    // A laboratory that judges the systolic pressure alone: a pressure written as a pair is no number.
    check->execute("insert into laboratory..tbLabReferenceInterval (ExamCode, Field, Sex, AgeFrom, AgeUnit, LowValue, "
                   "HighValue, Unit, PrintedText) values ('155', 'result22', 'B', 0, 'Y', '90', '140', 'mmHg', '')");
    ASSERT_TRUE(play(open("R2603050") + QStringLiteral(R"(
frmCrossmatching: set txtAccNum BB-2001
frmCrossmatching: set txtResult(2) O
frmCrossmatching: set txtResult(3) POSITIVE
frmCrossmatching: set txtResult(1) POSITIVE
frmCrossmatching: set txtResult(4) 38.4 C
frmCrossmatching: expect lblFlag_4 H
frmCrossmatching: set txtResult(5) 37.5
frmCrossmatching: expect lblFlag_5 ""
frmCrossmatching: set txtResult(6) 88
frmCrossmatching: expect lblFlag_6 ""
frmCrossmatching: set txtResult(7) 124
frmCrossmatching: expect lblFlag_7 H
frmCrossmatching: set txtResult(8) 160
frmCrossmatching: expect lblFlag_8 H
frmCrossmatching: set txtResult(8) 160/95
frmCrossmatching: expect lblFlag_8 ""
frmCrossmatching: set txtResult(9) 112/72
frmCrossmatching: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)").arg(pdfPath("crossmatch.pdf")))) << log.toStdString();
    EXPECT_EQ(judged("R2603050", "result17"), "H");
    EXPECT_EQ(judged("R2603050", "result18"), "");
    EXPECT_EQ(judged("R2603050", "result21"), "H");
    EXPECT_EQ(judged("R2603050", "result22"), "");
    EXPECT_EQ(value("select result22 from laboratory..tbLabResult where RequestNum = 'R2603050'"), "160/95");
    const QString printed = pdfText(pdfPath("crossmatch.pdf"));
    if (printed.isEmpty())
        GTEST_SKIP() << "no pdftotext to read the report";
    EXPECT_TRUE(printed.contains(QStringLiteral("Temperature 38.4 C H 37.5"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Pulse 88 124 H"))) << printed.toStdString();
}

// A database kept by an older program, its ranges in their own record, upgraded by this one.
TEST_P(CountFlagsTest, AnUpgradedDatabaseKeepsItsRanges)
{
    for (const bool withExam : {true, false}) {
        testsupport::TempDatabase old(GetParam());
        auto d = old.connect();
        bool filled = false;
        for (int v = 1; v <= labdb::schemaVersion(); ++v) {
            labdb::upgradeSchema(*d, v);
            if (filled || !d->tableExists(labdb::Database::Laboratory, "tbLabUrinalysisRefRange"))
                continue;
            if (withExam)
                d->run("INSERT INTO " + d->qualify(labdb::Database::BuildFile, "tbCoLabExam") +
                           " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, SupExamID, Status) VALUES "
                           "('U7', 'URINALYSIS', 'C', 'S04', 'H', 'U', '', 'A')",
                       {});
            std::string columns = "ID";
            std::string marks = "1";
            std::vector<labdb::Value> texts;
            for (int i = 1; i <= 20; ++i) {
                columns += ", RefRange" + std::to_string(i);
                marks += ", ?";
                texts.emplace_back(i == 12 ? std::string("0.0-25.0") : i == 5 ? std::string("None seen") : std::string());
            }
            d->run("INSERT INTO " + d->qualify(labdb::Database::Laboratory, "tbLabUrinalysisRefRange") + " (" + columns +
                       ") VALUES (" + marks + ")",
                   texts);
            filled = true;
        }
        ASSERT_TRUE(filled);
        ASSERT_EQ(labdb::storedSchemaVersion(*d), labdb::schemaVersion());
        const auto left = d->run("SELECT RefRange12 FROM " + d->qualify(labdb::Database::Laboratory, "tbLabUrinalysisRefRange"), {});
        const auto master = d->run("SELECT Sex, LowValue, HighValue, PrintedText FROM " +
                                       d->qualify(labdb::Database::Laboratory, "tbLabReferenceInterval") +
                                       " WHERE ExamCode = 'U7' ORDER BY Field",
                                   {});
        if (withExam) {
            EXPECT_TRUE(left.rows.empty());
            ASSERT_EQ(master.rows.size(), 2u);
            // result27 (RBC /uL) for women, then result9 (bacteria /hpf) for men.
            EXPECT_EQ(master.rows[0], (labdb::Row{std::string("F"), std::string("0.0"), std::string("25.0"),
                                                  std::string("0.0-25.0")}));
            EXPECT_EQ(master.rows[1], (labdb::Row{std::string("M"), std::nullopt, std::nullopt, std::string("None seen")}));
        } else {
            // With no exam to keep them under, they stay where they were rather than be lost.
            ASSERT_EQ(left.rows.size(), 1u);
            EXPECT_EQ(left.rows[0][0], labdb::Value(std::string("0.0-25.0")));
            EXPECT_TRUE(master.rows.empty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, CountFlagsTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
