// End to end, as a laboratory validates its result entry: scripted sessions open demo requests
// through clsResultEntry, type, save, sign off and print, and the database shows what happened.

#include "scriptedsession.h"

namespace {

using e2e::ScriptedSessionTest;

TEST_P(ScriptedSessionTest, FirstSaveWritesLogbookResultSignOffAndReport)
{
    ASSERT_TRUE(play(firstApttSave())) << log.toStdString();

    EXPECT_TRUE(logged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603001', '', "
                                      "'0101','3/7/2026 2:05:00 PM', '3/7/2026 2:05:00 PM','A-1001'")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral(
        "SQL  Laboratory..Lab_Save_APTT 0, 'R2603001','03/07/2026 02:05 PM', '03/07/2026 02:05 PM', 'A-1001', "
        "'Photo-optical clot detection', '12.5', '12.0', '', '', '31.4', '', '', '', '', 'Seen by O`Brien', "
        "'Photo-optical clot detection', '03/07/2026 02:05 PM'")))
        << log.toStdString();
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603001'"), 1);
    EXPECT_EQ(value("select result2 from laboratory..tbLabResult where RequestNum = 'R2603001'"), "12.5");
    EXPECT_EQ(value("select result20 from laboratory..tbLabResult where RequestNum = 'R2603001'"), "Seen by O`Brien");
    EXPECT_EQ(value("select MedTechID from laboratory..tbLabResultMedTech where RequestNum = 'R2603001'"), "0101");
    EXPECT_TRUE(QFileInfo(pdfPath("aptt.pdf")).size() > 0);
    // The chosen reagent's items went to the inventory, once.
    EXPECT_GT(count("select count(*) from inventory..tbInvStockCard where ReferenceNum = 'R2603001L'"), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Inventory.dbo.Drug_AddStockCard 'CS','MR0101','R2603001L'")),
              count("select count(*) from inventory..tbInvStockCard where ReferenceNum = 'R2603001L'"));
    // The screen closed and control went back to the host.
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmAPTT")));
    EXPECT_TRUE(logged(QStringLiteral("RETURNED to host")));
}

TEST_P(ScriptedSessionTest, SecondSaveOverwritesWithoutASecondLogbookRowOrPosting)
{
    ASSERT_TRUE(play(firstApttSave())) << log.toStdString();
    const long long cards = count("select count(*) from inventory..tbInvStockCard");

    // A supervisor reopens it: stored values come back, the flag is 1.
    ASSERT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=1 EmployeeName="Supervisor"
open R2603001
frmAPTT: expect txtAccNum A-1001
frmAPTT: expect txtResult(1) 12.5
frmAPTT: expect rtfComments "Seen by O`Brien"
frmAPTT: expect-enabled cmdSave yes
frmAPTT: set txtResult(1) 13.1
frmAPTT: click cmdSave
frmMedTech: click FlatBttn1
)"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_APTT 1, 'R2603001'")), 1) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmReportViewer")), 0) << "FlatBttn1 prints nothing";
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603001'"), 1);
    EXPECT_EQ(value("select result2 from laboratory..tbLabResult where RequestNum = 'R2603001'"), "13.1");
    EXPECT_GT(cards, 0);
    EXPECT_EQ(count("select count(*) from inventory..tbInvStockCard"), cards);
}

// The host hands over a request number with a leading blank: the screen opens, but its save is
// refused inside the transaction, so no rows land under a key nobody can find.
TEST_P(ScriptedSessionTest, ARequestNumberWithALeadingBlankStoresNothing)
{
    QString script = firstApttSave();
    script.replace(QStringLiteral("open R2603001"), QStringLiteral("open \" R2603001\""));
    script = script.left(script.indexOf(QStringLiteral("frmMedTech:"))) + QStringLiteral("answer OK\n");
    ASSERT_TRUE(play(script)) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: [There "
                                      "is no request \" R2603001\"; nothing was saved.] (critical)")))
        << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("MSG  ")), 1) << log.toStdString();
    for (const char *table : {"tbLabLogbook", "tbLabResult", "tbLabResultMedTech"})
        EXPECT_EQ(count(std::string("select count(*) from laboratory..") + table + " where RequestNum like '%R2603001%'"),
                  0)
            << table;
    EXPECT_EQ(count("select count(*) from inventory..tbInvStockCard where ReferenceNum like '%R2603001%'"), 0);
}

TEST_P(ScriptedSessionTest, RightsFollowTheRecordedMedTech)
{
    ASSERT_TRUE(play(firstApttSave())) << log.toStdString();
    // Another med tech may look and verify, not overwrite; a clerk never signs off.
    EXPECT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=0102 EmployeeName="Paolo Navarro" CanVerify=true Clerk=false
open R2603001
frmAPTT: expect-enabled cmdSave no
frmAPTT: expect-enabled cmdVerify yes
frmAPTT: expect-enabled fraMedTech yes
frmAPTT: click cmdExam
session EmployeeCode=1234567 Clerk=true
open R2603001
frmAPTT: expect-enabled cmdSave yes
frmAPTT: expect-enabled fraMedTech no
frmAPTT: click cmdExam
)"))) << log.toStdString();
}

TEST_P(ScriptedSessionTest, APrintFailureReachesTheHostAfterTheResultIsSavedAndSigned)
{
    // A workstation whose report folder lost its layouts.
    const QTemporaryDir emptyReports;
    qputenv("CORVANE_REPORTS_DIR", emptyReports.path().toUtf8());
    const bool ok = play(QStringLiteral(R"(
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2603001
frmAPTT: set txtAccNum A-9
frmAPTT: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
)"));
    qunsetenv("CORVANE_REPORTS_DIR");
    EXPECT_FALSE(ok) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("ERROR")) && log.contains(QStringLiteral("LabPrint_APTT")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmAPTT")));
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603001'"), 1);
    EXPECT_EQ(value("select MedTechID from laboratory..tbLabResultMedTech where RequestNum = 'R2603001'"), "0101");
}

TEST_P(ScriptedSessionTest, FailingSaveRollsBackEverythingAndClosesTheScreen)
{
    // Another workstation's result row without a logbook row makes this first save fail midway.
    check->execute("INSERT INTO laboratory..tbLabResult (RequestNum, AccessionNum, EmployeeCode, ResultDate, "
                   "samplesubmitted, lratime, DateFinished) VALUES ('R2603001', 'X', '0102', '2026-03-07 10:00:00', "
                   "'2026-03-07 10:00:00', '2026-03-07 10:00:00', '2026-03-07 10:00:00')");
    const long long audits = count("select count(*) from laboratory..tbAuditTrail");
    ASSERT_TRUE(play(QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true Clerk=false
open R2603001
frmAPTT: set txtAccNum A-1002
frmAPTT: click cmdSave
answer OK
)"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                            "Request R2603001 already has a stored result.] (critical)")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmAPTT")));
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603001'"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail"), audits);
}

TEST_P(ScriptedSessionTest, VerifyModeRecordsTheVerifierOnALaterSave)
{
    ASSERT_TRUE(play(firstApttSave())) << log.toStdString();
    ASSERT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=0101 VerifyMode=true CanVerify=true Clerk=false
open R2603001
frmAPTT: click cmdVerify
frmMedTech: set txtVerified Navarro
frmMedTech: key txtVerified Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
)"))) << log.toStdString();
    // The coagulation screen looks the logbook up but leaves the verification to the sign-off.
    EXPECT_TRUE(logged(QStringLiteral("SQL  select * from laboratory..tblablogbook where requestnum = 'R2603001'")));
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);
    EXPECT_EQ(value("select VerifiedBy from laboratory..tbLabResultMedTech where RequestNum = 'R2603001'"), "0102");
}

TEST_P(ScriptedSessionTest, BloodGasRoundTrip)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
clock 2026-03-07 09:30:15
session EmployeeCode=0103 EmployeeName="Jessa Mae Fernandez" CanVerify=false Clerk=false VerifyMode=false
open R2603010
frmABG: expect-enabled cmdPrint no
frmABG: expect-enabled cmdVerify no
frmABG: set txtAccNum BG-77
frmABG: set txtResult(0) 7.38
frmABG: set txtResult(1) 41
frmABG: choose txtResult(10) Arterial
frmABG: click cmdSave
frmMedTech: set txtMedTech Fernandez
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
open R2603010
frmABG: expect txtResult(0) 7.38
frmABG: expect txtResult(10) Arterial
frmABG: expect txtAccNum BG-77
frmABG: click cmdExam
)"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  Lab_Load_ABGValues '1','110'")) ||
                log.contains(QStringLiteral("SQL  Lab_Load_ABGValues '1','")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("SQL  Laboratory..Lab_Save_ABG 0, 'R2603010','03/07/2026 09:30:15 AM', "
                                            "'BG-77', '7.38', '41'")))
        << log.toStdString();
}

TEST_P(ScriptedSessionTest, AnEmptySampleNumberIsCaughtOnEnter)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603001
frmAPTT: key txtAccNum Enter
answer OK "You have to fill-in the SAMPLE NUMBER first."
frmAPTT: click cmdExam
)"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Incomplete Data] You have to fill-in the SAMPLE NUMBER first. (information)")));
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603001'"), 0);
}

TEST_P(ScriptedSessionTest, KeyboardFlowAndInterpretationSearch)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603001
frmAPTT: set txtAccNum A-7
frmAPTT: key txtAccNum Enter
frmAPTT: expect-focus dtSubmitted
frmAPTT: key dtSubmitted Enter
frmAPTT: expect-focus dtSubmittedTime
frmAPTT: key txtResult(1) Enter
frmAPTT: expect-focus txtResult(2)
frmAPTT: set txtResult(9) PROL
frmAPTT: key txtResult(9) F9
frmCodeSearch: click cmdSelect
frmAPTT: expect txtResult(9) "PROLONGED. SUGGEST FACTOR ASSAY / MIXING STUDY."
frmAPTT: set txtResult(8) "shortened?"
frmAPTT: key txtResult(8) F9
frmCodeSearch: click cmdSelect
frmAPTT: expect txtResult(8) "PROLONGED. SUGGEST FACTOR ASSAY / MIXING STUDY."
frmAPTT: click cmdExam
open R2603001
frmAPTT: key txtResult(7) F9
frmCodeSearch: click cmdSelect
frmAPTT: expect txtResult(7) "WITHIN NORMAL LIMITS"
frmAPTT: set txtResult(6) "31 sec"
frmAPTT: key txtResult(6) F9
frmCodeSearch: click cmdSelect
frmAPTT: expect-contains txtResult(6) "31 sec"
frmAPTT: expect-contains txtResult(6) "WITHIN NORMAL LIMITS"
frmAPTT: click cmdExam
)"))) << log.toStdString();
    // The first search of a screen sets the filter for every later one on it.
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmCodeSearch")), 4) << log.toStdString();
}

TEST_P(ScriptedSessionTest, TheReagentGridIsReadByCell)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603001
frmAPTT: expect grdReagent(0,1) Code
frmAPTT: expect grdReagent(0,4) Qty
frmAPTT: choose cboReagent "APTT REAGENT KIT"
frmAPTT: expect grdReagent(0,2) Description
frmAPTT: expect grdReagent(1,1) INV-1001
frmAPTT: expect grdReagent(1,4) 0.1
frmAPTT: expect-enabled grdReagent(1,4) no
frmAPTT: click cmdExam
)")))
        << log.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, ScriptedSessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
