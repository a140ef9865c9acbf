// The stain screens end to end on both backends: opened through clsResultEntry by scripted
// sessions, filled, saved, signed off and printed.

#include "e2e/onshow.h"
#include "e2e/scriptedsession.h"

#include <QApplication>
#include <QDate>
#include <QFileInfo>
#include <QLocale>

namespace {

using SaveElsewhereOnShow = e2e::OnShow;

class StainsSessionTest : public e2e::ScriptedSessionTest {
protected:
    QStringList linesLogged(const QString &prefix) const
    {
        QStringList out;
        for (const QString &l : log.split(QLatin1Char('\n'))) {
            if (l.startsWith(prefix))
                out << l;
        }
        return out;
    }
    static QString today() { return QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy")); }
};

// ---- Gram stain ---------------------------------------------------------------------------

TEST_P(StainsSessionTest, GramStainFirstSaveSendsTheExactCommandsAndPrints)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603018
frmGramStain: expect-enabled cmdPrint no
frmGramStain: expect Label16_21 "GRAM STAIN RESULT"
frmGramStain: expect dtSubmitted %1
frmGramStain: expect chkSendOuts off
frmGramStain: choose cboReagent "GRAM STAIN KIT"
frmGramStain: set txtAccNum GS-1001
frmGramStain: set dtSubmitted 03/07/2026
frmGramStain: set dtSubmittedTime 01:40 PM
frmGramStain: set dtFinishedDate 03/07/2026
frmGramStain: set dtFinishedTime 02:05 PM
frmGramStain: type txtResult(0) "Sputum"
frmGramStain: key txtResult(0) F4
frmGramStain: key txtResult(1) Shift+F1
frmGramStain: key txtResult(3) F1
frmGramStain: key txtResult(1) Enter
frmGramStain: type txtResult(2) "<10"
frmGramStain: type txtResult(3) ">25"
frmGramStain: type txtResult(10) "Seen by O'Brien; a','b"
frmGramStain: check chkSendOuts
frmGramStain: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%2"
frmReportViewer: close
)s")
                         .arg(today(), pdfPath("gramstain.pdf"))))
        << log.toStdString();

    const QString result = QStringLiteral("\nPUS CELLS\nNO GRAM NEGATIVE DIPLOCOCCI SEEN.\nGRAM NEGATIVE INTRACELLULAR DIPLOCOCCI");
    const QStringList expected{
        QStringLiteral("SQL  Lab_FormMaker_GetResult 'R2603018'"),
        QStringLiteral("SQL  LABORATORY..Lab_GetResultGramStain 'R2603018'"),
        QStringLiteral("SQL  select isnull(SendOuts,'N') as SendOuts from laboratory..tblabmaster where requestnum = 'R2603018'"),
        QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603018', '', '0101','3/7/2026 1:40:00 PM', "
                       "'3/7/2026 2:05:00 PM','GS-1001'"),
        QStringLiteral("SQL  LAB_Save_GramStain 'R2603018','Sputum','") + result +
            QStringLiteral("','<10','>25','','','','','','','Seen by O`Brien; a`,`b',''"),
        QStringLiteral("SQL  UPDATE LABORATORY..tbLabMaster SET SendOuts = 'Y' WHERE RequestNum = 'R2603018'"),
    };
    qsizetype last = -1;
    for (const QString &command : expected) {
        const qsizetype at = log.indexOf(command + QLatin1Char('\n'));
        EXPECT_GT(at, last) << command.toStdString() << "\n" << log.toStdString();
        last = at;
    }
    // The pickers keep the workstation's time: the server clock is never asked.
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Select getdate()")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);

    EXPECT_EQ(value("select Result from laboratory..tbLabGramStain where RequestNum = 'R2603018'"), result.toStdString());
    EXPECT_EQ(value("select KOH from laboratory..tbLabGramStain where RequestNum = 'R2603018'"), "Seen by O`Brien; a`,`b");
    EXPECT_EQ(value("select SendOuts from laboratory..tbLabMaster where RequestNum = 'R2603018'"), "Y");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603018'"), 1);
    EXPECT_GT(count("select count(*) from inventory..tbInvStockCard where ReferenceNum = 'R2603018L'"), 0);
    EXPECT_GT(QFileInfo(pdfPath("gramstain.pdf")).size(), 0);
}

TEST_P(StainsSessionTest, GramStainReopenedShowsTheFindingsButTodaysHeaderAndSavesOverThem)
{
    const long long cards = count("select count(*) from inventory..tbInvStockCard");
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-09 16:30:00
session EmployeeCode=1 EmployeeName="Supervisor" CanVerify=true VerifyMode=true Clerk=false
open R2603901
frmGramStain: expect txtResult(0) "Sputum, expectorated (early morning)"
frmGramStain: expect txtResult(2) <10
frmGramStain: expect txtResult(7) "Many (lancet-shaped diplococci)"
frmGramStain: expect-contains txtResult(1) "PUS CELLS = MORE THAN 25/lpf"
frmGramStain: expect txtAccNum ""
frmGramStain: expect dtReportDate %1
frmGramStain: expect chkSendOuts off
frmGramStain: expect-enabled cmdPrint yes
frmGramStain: set txtResult(11) "Repeat in 48 hours"
frmGramStain: check chkSendOuts
frmGramStain: check chkSendOuts no
frmGramStain: set txtAccNum GS-0301
frmGramStain: click cmdVerify
frmMedTech: set txtVerified Navarro
frmMedTech: key txtVerified Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
)s")
                         .arg(today())))
        << log.toStdString();
    const QStringList sent = linesLogged(QStringLiteral("SQL  "));
    EXPECT_EQ(sent.indexOf(QStringLiteral("SQL  LABORATORY..Lab_GetResultGramStain 'R2603901'")) + 2,
              sent.indexOf(QStringLiteral("SQL  Lab_CheckReagents 'CS-264901','R2603901L'"), 5))
        << "the findings, the send-out flag, then the reagent posting\n" << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults 'R2603901','1'")), 1) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  UPDATE LABORATORY..tbLabMaster SET SendOuts = 'N' WHERE RequestNum = 'R2603901'")));
    EXPECT_EQ(value("select Remarks from laboratory..tbLabGramStain where RequestNum = 'R2603901'"), "Repeat in 48 hours");
    EXPECT_EQ(value("select Pus1 from laboratory..tbLabGramStain where RequestNum = 'R2603901'"), "<10");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabGramStain where RequestNum = 'R2603901'"), 1);
    EXPECT_EQ(count("select count(*) from inventory..tbInvStockCard"), cards);
}

TEST_P(StainsSessionTest, GramStainOvertakenSaveRollsBackAndClosesTheScreen)
{
    // Another workstation saves the findings the moment this screen shows them.
    SaveElsewhereOnShow other(QStringLiteral("frmGramStain"), [this] {
        check->execute("LAB_Save_GramStain 'R2603901','Theirs','','','','','','','','','','',''");
    });
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true VerifyMode=false Clerk=false
open R2603901
frmGramStain: set txtResult(0) "Mine"
frmGramStain: check chkSendOuts
frmGramStain: set txtAccNum GS-9
frmGramStain: click cmdSave
answer OK
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                         "Request R2603901 was saved by")),
              1)
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmGramStain")));
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(value("select Specimen from laboratory..tbLabGramStain where RequestNum = 'R2603901'"), "Theirs");
    EXPECT_EQ(value("select SendOuts from laboratory..tbLabMaster where RequestNum = 'R2603901'"), "N");
}

TEST_P(StainsSessionTest, GramStainKeysAndTheKohCaption)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2603906
frmGramStain: expect Label16_21 "KOH RESULT"
frmGramStain: click cmdExam
open R2603018
frmGramStain: key txtResult(8) Enter
frmGramStain: expect-focus txtResult(8)
frmGramStain: key txtResult(11) F9
frmCodeSearch: click cmdSelect
frmGramStain: expect txtResult(11) "NO ORGANISM SEEN"
frmGramStain: set txtResult(0) "GRAM NEG"
frmGramStain: key txtResult(0) F9
frmCodeSearch: click cmdSelect
frmGramStain: expect txtResult(0) "GRAM NEGATIVE BACILLI"
frmGramStain: key txtResult(0) F9
frmCodeSearch: click cmdSelect
frmGramStain: expect txtResult(0) "GRAM NEGATIVE BACILLI"
frmGramStain: key txtResult(5) F12
frmGramStain: expect txtResult(5) ""
frmGramStain: expect-contains txtResult(1) "PUS CELLS = LESS THAN 25/lpf"
frmGramStain: click cmdExam
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmCodeSearch")), 3) << log.toStdString();
}

// ---- AFB smear -----------------------------------------------------------------------------

TEST_P(StainsSessionTest, AfbFirstSaveSendsTheHiddenBoxesEmptyAndPrints)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603023
frmAfb: expect-enabled cmdPrint no
frmAfb: expect txtResult(0) SPUTUM
frmAfb: expect dtFinishedTime 02:05 PM
frmAfb: choose cboReagent "ZIEHL-NEELSEN STAIN KIT"
frmAfb: set txtAccNum AFB-1
frmAfb: key txtResult(0) Enter
frmAfb: expect-focus txtResult(3)
frmAfb: type txtResult(3) "+n (4 AFB)"
frmAfb: set TxtMethod Ziehl-Neelsen
frmAfb: type rtfComments "Collected by O'Neil"
frmAfb: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s")
                         .arg(pdfPath("afb.pdf"))))
        << log.toStdString();
    const QStringList expected{
        QStringLiteral("SQL  Lab_FormMaker_GetResult 'R2603023'"),
        QStringLiteral("SQL  LABORATORY..Lab_GetResultHcodes  'R2603023'"),
        QStringLiteral("SQL  Select getdate() as DateToday"),
        QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603023', '', '0101','3/7/2026 2:05:00 PM', "
                       "'3/7/2026 2:05:00 PM','AFB-1'"),
        QStringLiteral("SQL  Laboratory..Lab_Save_AFB 0, 'R2603023','03/07/2026 02:05 PM', '03/07/2026 02:05 PM', "
                       "'AFB-1', 'SPUTUM', '', '', '+n (4 AFB)', 'Collected by O`Neil', 'Ziehl-Neelsen', "
                       "'03/07/2026 02:05 PM'"),
    };
    const QStringList sent = linesLogged(QStringLiteral("SQL  "));
    qsizetype last = -1;
    for (const QString &command : expected) {
        const qsizetype at = sent.indexOf(command);
        EXPECT_GT(at, last) << command.toStdString() << "\n" << log.toStdString();
        last = at;
    }
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultSaveLastEdit")), 0) << "a first save";
    EXPECT_EQ(value("select result4 from laboratory..tbLabResult where RequestNum = 'R2603023'"), "+n (4 AFB)");
    EXPECT_GT(count("select count(*) from inventory..tbInvStockCard where ReferenceNum = 'R2603023L'"), 0);
    EXPECT_GT(QFileInfo(pdfPath("afb.pdf")).size(), 0);
}

TEST_P(StainsSessionTest, AfbSeriesDayIsReopenedAndEditedWithTheLastEditRecorded)
{
    const long long cards = count("select count(*) from inventory..tbInvStockCard");
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-08 09:00:00
session EmployeeCode=1 EmployeeName="Supervisor" CanVerify=true VerifyMode=false Clerk=false
open R2603902
frmAfb: expect txtAccNum AFB-0402
frmAfb: expect txtResult(1) 1
frmAfb: expect txtResult(2) Mucopurulent
frmAfb: expect txtResult(3) 2
frmAfb: expect TxtMethod Ziehl-Neelsen
frmAfb: expect dtSubmittedTime 07:30 AM
frmAfb: expect dtFinishedTime 02:00 PM
frmAfb: expect-contains rtfComments "Specimen 1 of 3"
frmAfb: key txtResult(0) Enter
frmAfb: expect-focus txtResult(1)
frmAfb: set txtResult(3) 3
frmAfb: set dtFinishedTime 03:10 PM
frmAfb: click cmdSave
frmMedTech: click FlatBttn1
open R2603902
frmAfb: expect txtResult(3) 3
frmAfb: expect dtFinishedTime 03:10 PM
frmAfb: click cmdExam
)s"))) << log.toStdString();
    const QStringList sent = linesLogged(QStringLiteral("SQL  "));
    const qsizetype lastEdit = sent.indexOf(QStringLiteral("SQL  Laboratory..Lab_ResultSaveLastEdit 'R2603902', '1'"));
    ASSERT_GE(lastEdit, 0) << log.toStdString();
    ASSERT_LT(lastEdit + 1, sent.size());
    EXPECT_TRUE(sent[lastEdit + 1].startsWith(QStringLiteral("SQL  Laboratory..Lab_Save_AFB 1, 'R2603902','03/05/2026 07:30 AM', "
                                                            "'03/05/2026 07:45 AM', 'AFB-0402', 'SPUTUM', '1', 'Mucopurulent', '3', ")))
        << sent[lastEdit + 1].toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(value("select LastEditBy from laboratory..tbLabLogbook where RequestNum = 'R2603902'"), "1");
    EXPECT_EQ(count("select count(*) from inventory..tbInvStockCard"), cards);
}

TEST_P(StainsSessionTest, AfbFailingSaveRollsBackAndClosesTheScreen)
{
    check->execute("INSERT INTO laboratory..tbLabResult (RequestNum, AccessionNum, EmployeeCode, ResultDate, "
                   "samplesubmitted) VALUES ('R2603023', 'X', '0102', '2026-03-07 08:00:00', '2026-03-07 07:30:00')");
    const long long audits = count("select count(*) from laboratory..tbAuditTrail");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603023
frmAfb: set txtAccNum AFB-2
frmAfb: set txtResult(3) 1+
frmAfb: click cmdVerify
answer OK
)s"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                      "Request R2603023 already has a stored result.] (critical)")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmAfb")));
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603023'"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail"), audits);
}

// ---- Urine Wright ------------------------------------------------------------------------

TEST_P(StainsSessionTest, UrineWrightFirstSaveSendsItsOwnDateFormatsAndPrints)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 11:02:09
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603009
frmUrineWright: expect-enabled cmdPrint no
frmUrineWright: expect dtReportDate 03/07/2026
frmUrineWright: expect dtLRATime 11:02 AM
frmUrineWright: key txtAccNum Enter
answer OK "You have to fill-in the ACCESSION NUMBER first."
frmUrineWright: set txtAccNum UW-1
frmUrineWright: choose xCbo(0) Yellow
frmUrineWright: key xCbo(0) Enter
frmUrineWright: expect-focus xCbo(1)
frmUrineWright: choose xCbo(1) "Slightly Hazy"
frmUrineWright: type txtResults(0) 60
frmUrineWright: key txtResults(0) Enter
frmUrineWright: expect-focus txtResults(1)
frmUrineWright: set txtResults(1) 30
frmUrineWright: set txtResults(2) 15
frmUrineWright: type rtfComments "Reviewed by O'Hara"
frmUrineWright: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s")
                         .arg(pdfPath("urinewright.pdf"))))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Incomplete Data] You have to fill-in the ACCESSION NUMBER first. (information)")))
        << log.toStdString();
    const QStringList expected{
        QStringLiteral("SQL  LABORATORY..Lab_Load_UrinalysisValues '0', ''"),
        QStringLiteral("SQL  LABORATORY..Lab_Load_UrinalysisValues '1', ''"),
        QStringLiteral("SQL  LABORATORY..Lab_GetResultHcodes  'R2603009'"),
        QStringLiteral("SQL  Select getdate() as DateToday"),
        QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603009', '', '0101','3/7/2026 11:02:09 AM', "
                       "'','UW-1'"),
        QStringLiteral("SQL  Laboratory..Lab_Save_UrineWright 0, 'R2603009','03/07/2026 11:02 AM', '03/07/2026 11:02 AM', "
                       "'UW-1', 'Yellow', 'Slightly Hazy', '60', '30', '15', '03/07/2026','11:02:09 AM', "
                       "'Reviewed by O`Hara'"),
    };
    const QStringList sent = linesLogged(QStringLiteral("SQL  "));
    qsizetype last = -1;
    for (const QString &command : expected) {
        const qsizetype at = sent.indexOf(command);
        EXPECT_GT(at, last) << command.toStdString() << "\n" << log.toStdString();
        last = at;
    }
    // This screen never reads the stored result header.
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Lab_FormMaker_GetResult")), 0);
    EXPECT_EQ(value("select result5 from laboratory..tbLabResult where RequestNum = 'R2603009'"), "15")
        << "a differential over 100 % is kept as typed";
    EXPECT_EQ(count("select count(*) from inventory..tbInvStockCard where ReferenceNum = 'R2603009L'"), 0);
    EXPECT_GT(QFileInfo(pdfPath("urinewright.pdf")).size(), 0);
}

TEST_P(StainsSessionTest, UrineWrightReopensFilledAndSavesOverIt)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-08 08:00:00
session EmployeeCode=1 EmployeeName="Supervisor" CanVerify=true VerifyMode=true Clerk=false
open R2603905
frmUrineWright: expect txtAccNum UW-0117
frmUrineWright: expect xCbo(0) Yellow
frmUrineWright: expect xCbo(1) "Slightly Hazy"
frmUrineWright: expect txtResults(2) 82
frmUrineWright: expect-contains rtfComments "Eosinophiluria"
frmUrineWright: expect dtReportTime 09:45 AM
frmUrineWright: set txtResults(0) 10
frmUrineWright: click cmdVerify
frmMedTech: set txtVerified Navarro
frmMedTech: key txtVerified Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_TRUE(log.contains(QStringLiteral("SQL  Laboratory..Lab_Save_UrineWright 1, 'R2603905','03/07/2026 08:15 AM', "
                                            "'03/07/2026 08:20 AM', 'UW-0117', 'Yellow', 'Slightly Hazy', '10', '6', '82', "
                                            "'03/07/2026','09:45:00 AM', 'Eosinophiluria")))
        << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults 'R2603905','1'")), 1) << log.toStdString();
    EXPECT_EQ(value("select result3 from laboratory..tbLabResult where RequestNum = 'R2603905'"), "10");
}


TEST_P(StainsSessionTest, UrineWrightOvertakenSaveIsRefusedThoughTheHeaderIsNeverRead)
{
    // Another workstation saves the stain the moment this screen shows it.
    SaveElsewhereOnShow other(QStringLiteral("frmUrineWright"), [this] {
        check->execute("Laboratory..Lab_Save_UrineWright 1, 'R2603905','03/07/2026 08:15 AM', '03/07/2026 08:20 AM', "
                       "'UW-0117', 'Amber', 'Turbid', '1', '2', '97', '03/07/2026','10:00:00 AM', 'theirs'");
    });
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true VerifyMode=false Clerk=false
open R2603905
frmUrineWright: set txtResults(2) 50
frmUrineWright: click cmdSave
answer OK
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                         "Request R2603905 was saved by")),
              1)
        << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Lab_FormMaker_GetResult")), 0);
    EXPECT_EQ(value("select result5 from laboratory..tbLabResult where RequestNum = 'R2603905'"), "97");
}

INSTANTIATE_TEST_SUITE_P(Backends, StainsSessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
