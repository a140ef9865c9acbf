// The serology screen end to end on both backends, opened through clsResultEntry by scripted
// sessions: each layout's first and later save, the function keys and Enter in the grid, the
// threshold lookup, the reports, and a save overtaken by another workstation.

#include "e2e/onshow.h"
#include "e2e/scriptedsession.h"

#include <QProcess>

namespace {

using e2e::OnShow;

class CutOffSessionTest : public e2e::ScriptedSessionTest {
protected:
    QStringList sent() const
    {
        QStringList out;
        for (const QString &l : log.split(QLatin1Char('\n'))) {
            if (l.startsWith(QLatin1String("SQL  ")))
                out << l.mid(5);
        }
        return out;
    }
    static QString pdfText(const QString &pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput()).simplified();
    }
    // The whole-page layouts print on A4, the others on a half sheet.
    static bool onA4(const QString &pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdfinfo"), {pdf});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput()).contains(QStringLiteral("(A4)"));
    }
    std::string cutOff(const char *request, const char *item, const char *column)
    {
        return value(std::string("select ") + column + " from laboratory..tbLabResultCutOff where RequestNum = '" +
                     request + "' and ItemID = '" + item + "'");
    }
};

TEST_P(CutOffSessionTest, PanelFirstSaveSendsEveryRowPostsTheReagentOnceAndPrintsTheWholePage)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2604007
frmWithCutOff: expect-enabled cmdPrint no
frmWithCutOff: expect grdEntry(0,4) "Cut-Off Value"
frmWithCutOff: expect grdEntry(2,1) ANTI-HBs
frmWithCutOff: expect grdEntry(2,4) "10.00 mIU/mL"
frmWithCutOff: expect-enabled grdEntry(1,1) no
frmWithCutOff: choose cboReagent "HEPATITIS B PANEL - CMIA"
frmWithCutOff: set txtAccNum SER-1001
frmWithCutOff: key grdEntry(1,2) F4
frmWithCutOff: key txtEntry Enter
frmWithCutOff: type txtEntry "O'Brien 3.1"
frmWithCutOff: key txtEntry Enter
frmWithCutOff: key txtEntry Enter
frmWithCutOff: key txtEntry F3
frmWithCutOff: key txtEntry Enter
frmWithCutOff: expect grdEntry(1,2) REACTIVE
frmWithCutOff: expect grdEntry(1,3) "O`Brien 3.1"
frmWithCutOff: expect grdEntry(2,2) NEGATIVE
frmWithCutOff: set TxtMethod CMIA
frmWithCutOff: set txtProfNum PF-11
frmWithCutOff: set txtRemarks "Confirm; repeat"
frmWithCutOff: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: check optPaperSize(1)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s").arg(pdfPath("cutoff-whole.pdf")))) << log.toStdString();

    const QStringList expected{
        QStringLiteral("LABORATORY..Lab_GetResultWithCutOff  'R2604007'"),
        QStringLiteral("Lab_FormMaker_FillExams 'R2604007','0'"),
        QStringLiteral("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2604007', '', '0101','3/7/2026 2:05:00 PM', "
                       "'3/7/2026 2:05:00 PM','SER-1001'"),
        QStringLiteral("Laboratory..Lab_SaveWithCutOff 'SER-1001','03/07/2026 02:05 PM', '03/07/2026 02:05 PM',"
                       "'R2604007','1', '523A', 'P', 'HBsAg', 'REACTIVE', 'O`Brien 3.1', '1.00 S/CO', "
                       "'Confirm; repeat', '03/07/2026 02:05 PM', 'PF-11', 'CMIA'"),
        QStringLiteral("Laboratory..Lab_SaveWithCutOff 'SER-1001','03/07/2026 02:05 PM', '03/07/2026 02:05 PM',"
                       "'R2604007','2', '523B', 'P', 'ANTI-HBs', 'NEGATIVE', '', '10.00 mIU/mL', "
                       "'Confirm; repeat', '03/07/2026 02:05 PM', 'PF-11', 'CMIA'"),
    };
    const QStringList commands = sent();
    int last = -1;
    for (const QString &line : expected) {
        const int at = static_cast<int>(commands.indexOf(line));
        EXPECT_GT(at, last) << line.toStdString() << "\n" << log.toStdString();
        last = std::max(last, at);
    }
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Lab_FormMaker_ThresholdValue")), 0) << "a cut-off has no threshold";
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);
    EXPECT_EQ(cutOff("R2604007", "523A", "CutOffValue"), "O`Brien 3.1");
    EXPECT_EQ(cutOff("R2604007", "523B", "PatientValue"), "NEGATIVE");

    const QString text = pdfText(pdfPath("cutoff-whole.pdf"));
    EXPECT_TRUE(text.contains(QStringLiteral("HEPATITIS B SCREENING PANEL"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("CUT-OFF VALUE"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("HBsAg REACTIVE O`Brien 3.1 1.00 S/CO"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ANTI-HBs NEGATIVE 10.00 mIU/mL"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Method: CMIA"))) << text.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SHOW frmReportViewer \"Laboratory Result\""))) << log.toStdString();
    EXPECT_TRUE(onA4(pdfPath("cutoff-whole.pdf")));
    const long long cards = count("select count(*) from inventory..tbInvStockCard where ReferenceNum like 'R2604007%'");
    EXPECT_EQ(cards, 3) << "one line per item of the panel's reagent";

    // Saved again: the rows are replaced, no second logbook row, no second posting.
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 EmployeeName="Supervisor" CanVerify=true VerifyMode=false Clerk=false
open R2604007
frmWithCutOff: expect grdEntry(2,2) NEGATIVE
frmWithCutOff: expect-enabled cboReagent no
frmWithCutOff: type grdEntry(2,3) "12.4 mIU/mL"
frmWithCutOff: click cmdSave
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_SaveWithCutOff")), 2);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultCutOff where RequestNum = 'R2604007'"), 2);
    EXPECT_EQ(cutOff("R2604007", "523B", "CutOffValue"), "12.4 mIU/mL");
    EXPECT_EQ(count("select count(*) from inventory..tbInvStockCard where ReferenceNum like 'R2604007%'"), cards);
}

TEST_P(CutOffSessionTest, IndexResultReopensAndSavesOverItWithoutASecondLogbookRow)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 16:30:00
session EmployeeCode=1 EmployeeName="Supervisor" CanVerify=true VerifyMode=false Clerk=false
open R2604001
frmWithCutOff: expect grdEntry(0,4) "Index Value"
frmWithCutOff: expect grdEntry(1,2) POSITIVE
frmWithCutOff: expect grdEntry(1,3) "Index > 1.10"
frmWithCutOff: expect grdEntry(1,4) 3.42
frmWithCutOff: expect txtAccNum SER-0401
frmWithCutOff: expect TxtMethod "ELISA (Platelia Dengue NS1 Ag)"
frmWithCutOff: expect txtRemarks "Day 2 of fever."
frmWithCutOff: expect-enabled cmdPrint yes
frmWithCutOff: type grdEntry(1,4) 3.45
frmWithCutOff: click cmdSave
frmMedTech: click FlatBttn1
open R2604001
frmWithCutOff: expect grdEntry(1,4) 3.45
frmWithCutOff: click cmdExam
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Lab_FormMaker_FillExams")), 0) << "a stored result is not refilled";
    EXPECT_TRUE(logged(QStringLiteral("SQL  Laboratory..Lab_SaveWithCutOff 'SER-0401','03/07/2026 08:15 AM', "
                                      "'03/07/2026 08:20 AM','R2604001','1', '521', '5', 'DENGUE NS1 ANTIGEN', "
                                      "'POSITIVE', 'Index > 1.10', '3.45', 'Day 2 of fever.', '03/07/2026 09:40 AM', "
                                      "'', 'ELISA (Platelia Dengue NS1 Ag)'")))
        << log.toStdString();
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2604001'"), 1);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultCutOff where RequestNum = 'R2604001'"), 1);
}

TEST_P(CutOffSessionTest, ThresholdExamTakesInterpretationKeysAndLooksTheThresholdUp)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603049
frmWithCutOff: expect grdEntry(0,2) "Patient's Value"
frmWithCutOff: expect grdEntry(0,4) "Threshold Value"
frmWithCutOff: expect grdEntry(1,4) "1.00 S/CO"
frmWithCutOff: set txtAccNum SER-2001
frmWithCutOff: type grdEntry(1,2) 0.12
frmWithCutOff: key txtEntry Enter
frmWithCutOff: key txtEntry F5
frmWithCutOff: key txtEntry Enter
frmWithCutOff: key txtEntry Enter
frmWithCutOff: type txtEntry 0.08
frmWithCutOff: key txtEntry Enter
frmWithCutOff: key txtEntry F7
frmWithCutOff: key txtEntry Enter
frmWithCutOff: expect grdEntry(1,3) NON-REACTIVE
frmWithCutOff: expect grdEntry(1,6) NR
frmWithCutOff: expect grdEntry(2,2) 0.08
frmWithCutOff: expect grdEntry(2,3) EQUIVOCAL
frmWithCutOff: expect grdEntry(2,6) E
frmWithCutOff: key grdEntry(2,3) F6
frmWithCutOff: expect grdEntry(2,6) I
frmWithCutOff: key txtEntry F2
frmWithCutOff: expect grdEntry(2,6) I
frmWithCutOff: key txtEntry F3
frmWithCutOff: key txtEntry Enter
frmWithCutOff: click cmdSave
frmMedTech: click FlatBttn1
open R2603049
frmWithCutOff: expect grdEntry(1,2) 0.12
frmWithCutOff: expect grdEntry(1,3) NON-REACTIVE
frmWithCutOff: expect grdEntry(2,3) NEGATIVE
frmWithCutOff: expect grdEntry(2,4) "1.00 S/CO"
frmWithCutOff: click cmdExam
)s"))) << log.toStdString();
    EXPECT_GT(countLogged(QStringLiteral("SQL  Lab_FormMaker_ThresholdValue 'R2603049','0','154A','154A'")), 1)
        << log.toStdString();
    EXPECT_GT(countLogged(QStringLiteral("SQL  Lab_FormMaker_ThresholdValue 'R2603049','0','154B','154B'")), 1);
    EXPECT_EQ(cutOff("R2603049", "154A", "FormType"), "I");
    EXPECT_EQ(cutOff("R2603049", "154B", "CutOffValue"), "NEGATIVE");
}

TEST_P(CutOffSessionTest, WidalGridKeysSaveAndReadBackEveryCell)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603048
frmWithCutOff: expect-enabled cmdVerify no
frmWithCutOff: expect grdEntry(0,0) "WIDAL TEST"
frmWithCutOff: expect grdEntry(0,5) 1:320
frmWithCutOff: expect-contains grdEntry(6,0) Flagellar
frmWithCutOff: expect-enabled grdEntry(3,0) no
frmWithCutOff: set txtAccNum W-2001
frmWithCutOff: type grdEntry(1,5) +
frmWithCutOff: key txtEntry Enter
frmWithCutOff: key txtEntry F2
frmWithCutOff: key txtEntry Enter
frmWithCutOff: type txtEntry 2+
frmWithCutOff: key txtEntry Enter
frmWithCutOff: type grdEntry(6,5) -
frmWithCutOff: key txtEntry Enter
frmWithCutOff: key txtEntry F7
frmWithCutOff: key txtEntry Enter
frmWithCutOff: expect grdEntry(1,5) +
frmWithCutOff: expect grdEntry(2,1) POSITIVE
frmWithCutOff: expect grdEntry(2,2) 2+
frmWithCutOff: expect grdEntry(6,5) EQUIVOCAL
frmWithCutOff: set TxtMethod "Slide agglutination"
frmWithCutOff: type txtRemarks "O'Brien"
frmWithCutOff: click cmdSave
frmMedTech: click FlatBttn1
open R2603048
frmWithCutOff: expect grdEntry(1,5) +
frmWithCutOff: expect grdEntry(2,1) POSITIVE
frmWithCutOff: expect grdEntry(2,2) 2+
frmWithCutOff: expect grdEntry(4,1) ""
frmWithCutOff: expect grdEntry(6,5) EQUIVOCAL
frmWithCutOff: expect txtRemarks O`Brien
frmWithCutOff: expect TxtMethod "Slide agglutination"
frmWithCutOff: expect txtAccNum W-2001
frmWithCutOff: click cmdPrint
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s").arg(pdfPath("widal.pdf")))) << log.toStdString();

    QString cells;
    for (int i = 1; i <= 30; ++i) {
        const QString c = i == 5 ? QStringLiteral("+") : i == 6 ? QStringLiteral("POSITIVE")
                        : i == 7 ? QStringLiteral("2+") : i == 30 ? QStringLiteral("EQUIVOCAL") : QString();
        cells += c + QStringLiteral("', '");
    }
    const QString first = QStringLiteral("Lab_Save_Widal 'R2603048','03/07/2026 02:05 PM','03/07/2026 02:05 PM', "
                                         "'W-2001', '") +
                          cells + QStringLiteral("Slide agglutination', 'O`Brien', 'W-2001', '03/07/2026 02:05 PM'");
    // Print on the reopened screen sends back exactly what it read.
    EXPECT_EQ(sent().count(first), 2) << first.toStdString() << "\n" << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  LABORATORY..lab_getresulthcodes 'R2603048'")), 2);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 1);
    // Print verifies: the serology screen records the verifier itself.
    EXPECT_TRUE(logged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults 'R2603048','0101'"))) << log.toStdString();
    EXPECT_EQ(value("select result31 from laboratory..tbLabResult where RequestNum = 'R2603048'"), "EQUIVOCAL");
    EXPECT_EQ(value("select result20 from laboratory..tbLabResult where RequestNum = 'R2603048'"), "O`Brien");

    const QString text = pdfText(pdfPath("widal.pdf"));
    EXPECT_TRUE(text.contains(QStringLiteral("WIDAL TEST"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Typhoid \"H\" Flagellar POSITIVE 2+"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("PARA \"B\" Flagellar EQUIVOCAL"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Typhoid \"O\" Somatic: 1:20=; 1:40=; 1:80=; 1:160=; 1:320=+;")))
        << text.toStdString();
}

TEST_P(CutOffSessionTest, ShortFormKeepsEachExamsRemarkAndPrintsHalfOrWhole)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603036
frmWithCutOff: expect grdEntry(0,3) Unit
frmWithCutOff: expect grdEntry(0,4) Remarks
frmWithCutOff: expect grdEntry(2,1) "DENGUE IgM"
frmWithCutOff: set txtAccNum SER-3001
frmWithCutOff: key grdEntry(1,2) F3
frmWithCutOff: key txtEntry Enter
frmWithCutOff: key txtEntry Enter
frmWithCutOff: key txtEntry Enter
frmWithCutOff: key txtEntry F2
frmWithCutOff: key txtEntry Enter
frmWithCutOff: key txtEntry Enter
frmWithCutOff: type txtEntry "Faint line"
frmWithCutOff: key txtEntry Enter
frmWithCutOff: set txtRemarks "Day 5"
frmWithCutOff: set TxtMethod "Rapid immunochromatography"
frmWithCutOff: click cmdSave
frmMedTech: click FlatBttn1
open R2603036
frmWithCutOff: expect grdEntry(2,2) POSITIVE
frmWithCutOff: expect grdEntry(2,4) "Faint line"
frmWithCutOff: expect txtRemarks "Day 5"
frmWithCutOff: expect TxtMethod "Rapid immunochromatography"
frmWithCutOff: click cmdPrint
frmMedTech: check optPaperSize(1)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
open R2603036
frmWithCutOff: click cmdPrint
frmMedTech: check optPaperSize(0)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%2"
frmReportViewer: close
)s").arg(pdfPath("short-whole.pdf"), pdfPath("short-half.pdf")))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  Lab_ResultEntryDLL_SaveIndividualResultEntries 'R2603036','','','141B','',"
                                      "'POSITIVE', '', '', '', '', '', '', '', 'Day 5', 'SER-3001','03/07/2026 02:05 PM', "
                                      "'03/07/2026 02:05 PM','', '03/07/2026 02:05 PM', 'POSITIVE; Remarks: Faint line', "
                                      "'', 'Faint line', '2', 'Rapid immunochromatography'")))
        << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 1);
    EXPECT_EQ(value("select Remarks from laboratory..tbLabResultShortForm where RequestNum = 'R2603036' and "
                    "ExamCode = '141B'"),
              "Faint line");
    const QString whole = pdfText(pdfPath("short-whole.pdf"));
    EXPECT_TRUE(whole.contains(QStringLiteral("DENGUE IgM POSITIVE Faint line"))) << whole.toStdString();
    EXPECT_TRUE(whole.contains(QStringLiteral("DENGUE IgG NEGATIVE"))) << whole.toStdString();
    EXPECT_TRUE(onA4(pdfPath("short-whole.pdf")));
    EXPECT_FALSE(onA4(pdfPath("short-half.pdf")));
    EXPECT_TRUE(pdfText(pdfPath("short-half.pdf")).contains(QStringLiteral("DENGUE IgM POSITIVE Faint line")));
}

TEST_P(CutOffSessionTest, OvertakenSaveRollsBackAndClosesTheScreen)
{
    OnShow other(QStringLiteral("frmWithCutOff"), [this] {
        check->execute("Laboratory..Lab_SaveWithCutOff 'SER-0401','03/07/2026 08:15 AM', '03/07/2026 08:20 AM',"
                       "'R2604001','1', '521', '5', 'DENGUE NS1 ANTIGEN', 'NEGATIVE', 'theirs', '0.20', '', "
                       "'03/07/2026 09:40 AM', '', ''");
    });
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true VerifyMode=false Clerk=false
open R2604001
frmWithCutOff: type grdEntry(1,3) mine
frmWithCutOff: click cmdSave
answer OK
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                         "Request R2604001 was saved by")),
              1)
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmWithCutOff")));
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(cutOff("R2604001", "521", "CutOffValue"), "theirs");
}

INSTANTIATE_TEST_SUITE_P(Backends, CutOffSessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
