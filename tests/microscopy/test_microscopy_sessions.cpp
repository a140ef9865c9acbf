// The urinalysis, fecalysis and stool screens end to end on both backends: opened through
// clsResultEntry by scripted sessions, filled, saved, signed off and printed.

#include "e2e/scriptedsession.h"

#include "forms/microscopy/frmurinalysis.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

class MicroscopySessionTest : public e2e::ScriptedSessionTest {
protected:
    // The log lines that start with the prefix, in order.
    QStringList linesLogged(const QString &prefix) const
    {
        QStringList out;
        for (const QString &l : log.split(QLatin1Char('\n'))) {
            if (l.startsWith(prefix))
                out << l;
        }
        return out;
    }
    // The text of a printed PDF, when pdftotext is at hand.
    static QString pdfText(const QString &pdf)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            return {};
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // A first urinalysis by med tech 0101, signed off on a whole page and printed to PDF.
    QString firstUrinalysis() const
    {
        return QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603003
frmUrinalysis: expect-enabled cmdPrint no
frmUrinalysis: expect-enabled cmdVerify no
frmUrinalysis: expect dtLRATime 02:05 PM
frmUrinalysis: expect xCbo(0) ""
frmUrinalysis: choose cboReagent "URINE REAGENT STRIP 10P"
frmUrinalysis: set txtAccNum U-1001
frmUrinalysis: set TxtMethod "Reagent strip"
frmUrinalysis: choose xCbo(0) "Yellow"
frmUrinalysis: type xCbo(1) "sl"
frmUrinalysis: key xCbo(1) Enter
frmUrinalysis: expect-focus xCbo(2)
frmUrinalysis: expect xCbo(1) "Slightly Hazy"
frmUrinalysis: set xCbo(5) "1+ (confirmed)"
frmUrinalysis: choose xCbo(7) "TNTC"
frmUrinalysis: type rtfResult(1) "Calcium oxalate: few"
frmUrinalysis: type rtfComments "Seen by O'Brien"
frmUrinalysis: expect rtfComments "Seen by O`Brien"
frmUrinalysis: choose cboChem(1) "Positive"
frmUrinalysis: set txtResult(4) 0.4
frmUrinalysis: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: check optPaperSize(1)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s")
            .arg(pdfPath("urinalysis.pdf"));
    }
};

TEST_P(MicroscopySessionTest, UrinalysisFirstSaveSendsTheExactCommandsAndPrintsTheChosenLayout)
{
    ASSERT_TRUE(play(firstUrinalysis())) << log.toStdString();

    // Every command of the opening and the save, in order.
    const QStringList expected{
        QStringLiteral("SQL  LABORATORY..Lab_Load_UrinalysisValues '0', ''"),
        QStringLiteral("SQL  LABORATORY..Lab_Load_UrinalysisValues '1', ''"),
        QStringLiteral("SQL  LABORATORY..Lab_GetVerifiedMedtech 'R2603003'"),
        QStringLiteral("SQL  LABORATORY..Lab_GetSelectedMedtech 'R2603003'"),
        QStringLiteral("SQL  Lab_FormMaker_GetResult 'R2603003'"),
        QStringLiteral("SQL  LABORATORY..lab_getresulthcodes 'R2603003'"),
        QStringLiteral("SQL  Select getdate() as DateToday"),
        QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603003', '', '0101','3/7/2026 2:05:00 PM', "
                       "'3/7/2026 2:05:00 PM','U-1001'"),
        QStringLiteral("SQL  Laboratory..Lab_Save_Urinalysis 0, 'R2603003','03/07/2026 02:05 PM', '03/07/2026 02:05 PM', "
                       "'U-1001', 'Yellow', 'Slightly Hazy', '', '', '', '1+ (confirmed)', '', 'TNTC', '', '', '', '', '', "
                       "'', '', 'Calcium oxalate: few', '', 'Seen by O`Brien', 'Reagent strip', '03/07/2026 02:05 PM', '', "
                       "'Positive', '', '', '', '', '', '', '', '', '0.4'"),
    };
    const QStringList sent = linesLogged(QStringLiteral("SQL  "));
    for (const QString &line : expected)
        EXPECT_TRUE(sent.contains(line)) << line.toStdString() << "\n" << log.toStdString();
    // The lists are read while the screen loads, before the rights; the loader after them, the save last.
    EXPECT_GE(sent.indexOf(expected[0]), 0);
    EXPECT_LT(sent.indexOf(expected[1]), sent.indexOf(expected[2])) << log.toStdString();
    EXPECT_LT(sent.indexOf(expected[5]), sent.indexOf(expected[7]));
    EXPECT_LT(sent.indexOf(expected[7]), sent.indexOf(expected[8]));
    EXPECT_EQ(countLogged(QStringLiteral("SQL  LABORATORY..Lab_Load_UrinalysisValues")), 2)
        << "every combo is served from two list calls";
    // The urinalysis screen records the verification itself only when verifying.
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);

    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603003'"), 1);
    EXPECT_EQ(value("select result8 from laboratory..tbLabResult where RequestNum = 'R2603003'"), "TNTC");
    EXPECT_EQ(value("select result18 from laboratory..tbLabResult where RequestNum = 'R2603003'"), "Seen by O`Brien");
    EXPECT_EQ(value("select result22 from laboratory..tbLabResult where RequestNum = 'R2603003'"), "Positive");
    EXPECT_GT(count("select count(*) from inventory..tbInvStockCard where ReferenceNum = 'R2603003L'"), 0);

    // "Whole Page" prints the revised layout, the one with the reference ranges.
    ASSERT_GT(QFileInfo(pdfPath("urinalysis.pdf")).size(), 0);
    const QString text = pdfText(pdfPath("urinalysis.pdf"));
    if (!text.isEmpty()) {
        EXPECT_TRUE(text.contains(QStringLiteral("REFERENCE RANGE"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("TNTC"))) << text.toStdString();
    }
}

TEST_P(MicroscopySessionTest, UrinalysisLaterSaveReadsEverythingBackAndSavesOverIt)
{
    ASSERT_TRUE(play(firstUrinalysis())) << log.toStdString();
    const long long cards = count("select count(*) from inventory..tbInvStockCard");
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 16:30:00
session EmployeeCode=1 EmployeeName="Supervisor"
open R2603003
frmUrinalysis: expect txtAccNum U-1001
frmUrinalysis: expect xCbo(0) Yellow
frmUrinalysis: expect xCbo(1) "Slightly Hazy"
frmUrinalysis: expect xCbo(5) "1+ (confirmed)"
frmUrinalysis: expect xCbo(7) TNTC
frmUrinalysis: expect rtfResult(1) "Calcium oxalate: few"
frmUrinalysis: expect rtfComments "Seen by O`Brien"
frmUrinalysis: expect cboChem(1) Positive
frmUrinalysis: expect cboChem(0) ""
frmUrinalysis: expect txtResult(4) 0.4
frmUrinalysis: expect txtResult(0) ""
frmUrinalysis: expect TxtMethod "Reagent strip"
frmUrinalysis: expect dtLRATime 04:30 PM
frmUrinalysis: expect dtSubmittedTime 02:05 PM
frmUrinalysis: expect-enabled cboReagent no
frmUrinalysis: choose xCbo(0) Amber
frmUrinalysis: click cmdSave
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_Urinalysis 1, 'R2603003'")), 1) << log.toStdString();
    EXPECT_EQ(value("select result1 from laboratory..tbLabResult where RequestNum = 'R2603003'"), "Amber");
    EXPECT_EQ(value("select result8 from laboratory..tbLabResult where RequestNum = 'R2603003'"), "TNTC");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603003'"), 1);
    EXPECT_EQ(count("select count(*) from inventory..tbInvStockCard"), cards);
}

TEST_P(MicroscopySessionTest, UrinalysisFailingSaveRollsBackAndClosesTheScreen)
{
    check->execute("INSERT INTO laboratory..tbLabResult (RequestNum, AccessionNum, EmployeeCode, ResultDate, "
                   "samplesubmitted) VALUES ('R2603003', 'X', '0102', '2026-03-07 08:00:00', '2026-03-07 07:30:00')");
    const long long audits = count("select count(*) from laboratory..tbAuditTrail");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603003
frmUrinalysis: set txtAccNum U-1002
frmUrinalysis: choose xCbo(0) Yellow
frmUrinalysis: click cmdSave
answer OK
)s"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                      "Request R2603003 already has a stored result.] (critical)")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmUrinalysis")));
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603003'"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail"), audits);
}

TEST_P(MicroscopySessionTest, UrinalysisListsKeysAndVerification)
{
    // Lists 7 and 14 exist in this laboratory but no field asks for them; a value taken off a list
    // still shows on the result that holds it.
    check->execute("INSERT INTO laboratory..tbLabMicroscopyList (ListName, ListNo, Mode, SortOrder, ResultValue) "
                   "VALUES ('Urinalysis', '7', '0', 1, 'SEVEN')");
    check->execute("INSERT INTO laboratory..tbLabMicroscopyList (ListName, ListNo, Mode, SortOrder, ResultValue) "
                   "VALUES ('Urinalysis', '14', '0', 1, 'FOURTEEN')");
    check->execute("DELETE FROM laboratory..tbLabMicroscopyList WHERE ResultValue = 'Dark Yellow'");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 EmployeeName="Supervisor" CanVerify=true VerifyMode=true Clerk=false
open R2603612
frmUrinalysis: expect xCbo(0) "Dark Yellow"
frmUrinalysis: expect cboChem(0) 3+
frmUrinalysis: expect txtResult(1) 812.3
frmUrinalysis: expect-contains rtfResult(2) "Granular casts: rare"
frmUrinalysis: choose xCbo(6) TNTC
frmUrinalysis: choose cboChem(0) Trace
frmUrinalysis: key xCbo(12) Enter
frmUrinalysis: expect-focus xCbo(13)
frmUrinalysis: key xCbo(13) Enter
frmUrinalysis: expect-focus rtfResult(1)
frmUrinalysis: key cboChem(5) Enter
frmUrinalysis: expect-focus txtResult(0)
frmUrinalysis: click cmdVerify
frmMedTech: set txtVerified Navarro
frmMedTech: key txtVerified Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    // Once: in verify mode the save marks it, so the verifying sign-off does not mark it again.
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults 'R2603612','1'")), 1)
        << log.toStdString();

    EXPECT_FALSE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true VerifyMode=false
open R2603003
frmUrinalysis: choose xCbo(7) SEVEN
frmUrinalysis: choose xCbo(13) FOURTEEN
frmUrinalysis: choose cboChem(0) FOURTEEN
frmUrinalysis: click cmdExam
)s")));
    EXPECT_EQ(countLogged(QStringLiteral("FAIL")), 3) << log.toStdString();
}

TEST_P(MicroscopySessionTest, ReferenceRangesAreEditedFromTheScreen)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603003
frmUrinalysis: set txtAccNum U-5
frmUrinalysis: click cmdUpdateRefRange
frmUrinalysisRefRange: expect txtRefRange(0) 0-2
frmUrinalysisRefRange: expect txtRefRange(19) 0.0-2.4
frmUrinalysisRefRange: click cmdExit
frmUrinalysis: click cmdUpdateRefRange
frmUrinalysisRefRange: set txtRefRange(1) "0-3 (O'Neil method)"
frmUrinalysisRefRange: click cmdUpdate
answer OK "Referance Range Successfully Updated"
frmUrinalysis: expect txtAccNum U-5
frmUrinalysis: click cmdExam
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  LABORATORY..sp_GetUrinalysisRefRange")), 2);
    EXPECT_TRUE(logged(QStringLiteral(
        "SQL  Laboratory..sp_SaveUrinalysisRefRange '0-2', '0-3 (O'Neil method)', '0-5', '0-8', 'None to few', "
        "'None to few', 'Few', 'Few to moderate', '0-2 hyaline', '0-2 hyaline', '0.0-17.0', '0.0-25.0', '0.0-25.0', "
        "'0.0-39.0', '0.0-385.0', '0.0-385.0', '0.0-5.7', '0.0-31.0', '0.0-2.4', '0.0-2.4'")))
        << log.toStdString();
    // Kept as the urinalysis exam's interval for women's RBC per field, in the one master.
    EXPECT_EQ(value("select PrintedText from laboratory..tbLabReferenceInterval where ExamCode = '103' "
                    "and Field = 'result8' and Sex = 'F'"),
              "0-3 (O'Neil method)");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabUrinalysisRefRange"), 0);
}

TEST_P(MicroscopySessionTest, FecalysisSavesTheHiddenChemistryAndReloads)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 10:15:00
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=true
open R2603013
frmFecalysis: expect-enabled cmdPrint no
frmFecalysis: expect dtLRATime 10:15 AM
frmFecalysis: choose xCbo(0) Brown
frmFecalysis: choose xCbo(1) Mushy
frmFecalysis: choose xCbo(6) "5-10 /hpf"
frmFecalysis: set txtOther(0) "Ascaris ova: 2-4 /lpf"
frmFecalysis: type txtOther(3) "Charcot-Leyden's crystals"
frmFecalysis: set rtfComments "Positive for parasites"
frmFecalysis: set txtAccNum F-9
frmFecalysis: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
open R2603013
frmFecalysis: expect xCbo(6) "5-10 /hpf"
frmFecalysis: expect txtOther(0) "Ascaris ova: 2-4 /lpf"
frmFecalysis: expect txtOther(3) "Charcot-Leyden`s crystals"
frmFecalysis: expect rtfComments "Positive for parasites"
frmFecalysis: click cmdExam
)s")
                         .arg(pdfPath("fecalysis.pdf"))))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral(
        "SQL  Laboratory..Lab_Save_Fecalysis 0, 'R2603013','03/07/2026 10:15 AM', '03/07/2026 10:15 AM', 'F-9', "
        "'Brown', 'Mushy', '', '', '', '', '5-10 /hpf', '', '', '', 'Ascaris ova: 2-4 /lpf', '', '', "
        "'Charcot-Leyden`s crystals', 'Positive for parasites','', '03/07/2026 10:15 AM'")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("LABORATORY..Lab_Load_FecalysisValues '0', ''")));
    // In verify mode the fecalysis screen only looks the logbook up.
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);
    EXPECT_TRUE(logged(QStringLiteral("SQL  select * from laboratory..tblablogbook where requestnum = 'R2603013'")));
    EXPECT_GT(QFileInfo(pdfPath("fecalysis.pdf")).size(), 0);
}

TEST_P(MicroscopySessionTest, StoolKeepsAllTwentyOneBoxesAndItsOwnDateFormats)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 11:02:09
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603011
frmStool: expect-enabled cmdPrint no
frmStool: expect dtFinishedTime 11:02 AM
frmStool: expect dtReportDate 03/07/2026
frmStool: expect txtResult(3) Ascaris
frmStool: expect txtResult(12) Pinworm
frmStool: key xCbo(6) Enter
frmStool: expect-focus txtResult(0)
frmStool: key txtResult(2) Enter
frmStool: expect-focus txtResult(3)
frmStool: choose xCbo(0) Brown
frmStool: set txtResult(4) "2 ova /smear"
frmStool: set txtResult(15) "Taenia sp."
frmStool: set txtResult(18) "Strongyloides"
frmStool: set txtResult(20) "last box"
frmStool: type rtfComments "Kato's thick smear"
frmStool: set txtAccNum S-7
frmStool: set dtFinishedTime 10:45 AM
frmStool: click cmdSave
frmMedTech: click FlatBttn1
clock 2026-03-07 13:00:00
open R2603011
frmStool: expect txtResult(15) "Taenia sp."
frmStool: expect txtResult(18) Strongyloides
frmStool: expect txtResult(20) "last box"
frmStool: expect txtResult(3) Ascaris
frmStool: expect rtfComments "Kato`s thick smear"
frmStool: expect dtFinishedTime 10:45 AM
frmStool: expect dtReportTime 11:02 AM
frmStool: click cmdExam
)s"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral(
        "SQL  Laboratory..Lab_Save_StoolExam 0, 'R2603011','03/07/2026 11:02 AM', '03/07/2026 10:45 AM', 'S-7', "
        "'Brown', '', '', '', '', '', '', '', '', '', 'Ascaris', '2 ova /smear', '', 'T.Trichiura', '', '', "
        "'Hookworm', '', '', 'Pinworm', '', '', 'Taenia sp.', '', '', 'Strongyloides', '', 'last box', "
        "'03/07/2026','11:02:09 AM', 'Kato`s thick smear'")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("SQL  LABORATORY..Lab_GetResultHcodes  'R2603011'")));
}

TEST_P(MicroscopySessionTest, StoolFailingSaveGetsTheSameRollbackAndMessage)
{
    check->execute("INSERT INTO laboratory..tbLabResult (RequestNum, AccessionNum, EmployeeCode, ResultDate, "
                   "samplesubmitted) VALUES ('R2603011', 'X', '0102', '2026-03-07 08:00:00', '2026-03-07 07:30:00')");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603011
frmStool: set txtAccNum S-8
frmStool: click cmdSave
answer OK
)s"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                      "Request R2603011 already has a stored result.] (critical)")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmStool")));
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603011'"), 0);
}

TEST_P(MicroscopySessionTest, DemoResultsOpenFilled)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true Clerk=false VerifyMode=false
open R2603611
frmUrinalysis: expect xCbo(0) Yellow
frmUrinalysis: expect TxtMethod "Reagent strip; manual microscopy"
frmUrinalysis: expect-enabled cmdPrint yes
frmUrinalysis: click cmdExam
open R2603621
frmFecalysis: expect txtOther(1) "Entamoeba histolytica cysts: 1-2 /hpf"
frmFecalysis: click cmdExam
open R2603622
frmStool: expect txtResult(8) "96 EPG (light)"
frmStool: click cmdExam
)s"))) << log.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, MicroscopySessionTest, testsupport::kBothBackends, testsupport::backendName);

TEST(UrinalysisReport, PaperSizeChoosesTheLayout)
{
    EXPECT_EQ(corvane::frmUrinalysis::reportFileFor(QStringLiteral("W")), QStringLiteral("LabPrint_Urinalysis_revised.RPT"));
    EXPECT_EQ(corvane::frmUrinalysis::reportFileFor(QStringLiteral("H")), QStringLiteral("LabPrint_Urinalysis.RPT"));
    EXPECT_EQ(corvane::frmUrinalysis::reportFileFor(QStringLiteral("N")),
              QStringLiteral("LabPrint_Urinalysis_NewFormat.RPT"));
    EXPECT_EQ(corvane::frmUrinalysis::reportFileFor(QString()), QStringLiteral("LabPrint_Urinalysis_NewFormat.RPT"));
}

} // namespace
