// The crossmatching screen end to end on both backends: opened through clsResultEntry by scripted
// sessions, filled, saved, signed off and printed; the donor unit that does not fit the patient;
// the issue-only variant of the exam.

#include "e2e/scriptedsession.h"

namespace {

class CrossmatchingSessionTest : public e2e::ScriptedSessionTest {
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

    // A first crossmatch for the O-positive patient of R2603050 by med tech 0101.
    QString firstCrossmatch(const QString &donorGroup, const QString &answer) const
    {
        return QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603050
frmCrossmatching: expect-enabled cmdPrint no
frmCrossmatching: expect-enabled cmdVerify no
frmCrossmatching: expect txtResult(0) O+
frmCrossmatching: expect dtTimeBegun 02:05 PM
frmCrossmatching: expect dtIssuedDate 03/07/2026
frmCrossmatching: expect SSTab1 "Blood typing"
frmCrossmatching: set txtAccNum BB-1001
frmCrossmatching: set txtBBKNum BB-26-0400
frmCrossmatching: check chkPTransfusion(0)
frmCrossmatching: choose xCbo "PACKED RED BLOOD CELLS"
frmCrossmatching: set txtResult(1) POSITIVE
frmCrossmatching: set txtResult(2) %1
frmCrossmatching: set txtResult(3) POSITIVE
frmCrossmatching: key txtResult(3) Enter
frmCrossmatching: expect SSTab1 Crossmatching
frmCrossmatching: expect-focus chkPhase(0)
frmCrossmatching: check chkPhase(0)
frmCrossmatching: check chkPhase(2)
frmCrossmatching: choose cboCMResults COMPATIBLE
frmCrossmatching: set txtResult(4) 36.8
frmCrossmatching: set txtResult(9) 112/72
frmCrossmatching: type txtRemarks "Seen by O'Brien"
frmCrossmatching: click cmdSave
%2frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%3"
frmReportViewer: close
)s")
            .arg(donorGroup, answer, pdfPath("crossmatch.pdf"));
    }
};

TEST_P(CrossmatchingSessionTest, FirstSaveSendsTheExactCommandsAndPrints)
{
    ASSERT_TRUE(play(firstCrossmatch(QStringLiteral("O"), QString()))) << log.toStdString();

    const QStringList expected{
        QStringLiteral("SQL  LABORATORY..Lab_Load_CrossmatchingValues '0', ''"),
        QStringLiteral("SQL  LABORATORY..Lab_Load_CrossmatchingValues '1', ''"),
        QStringLiteral("SQL  LABORATORY..Lab_GetVerifiedMedtech 'R2603050'"),
        QStringLiteral("SQL  LABORATORY..Lab_GetSelectedMedtech 'R2603050'"),
        QStringLiteral("SQL  Lab_FormMaker_GetResult 'R2603050'"),
        QStringLiteral("SQL  LABORATORY..Lab_GetResultHcodes  'R2603050'"),
        QStringLiteral("SQL  Select getdate() as DateToday"),
        QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603050', '', '0101','3/7/2026 2:05:00 PM', "
                       "'3/7/2026 2:05:00 PM','BB-1001'"),
        QStringLiteral("SQL  Laboratory..Lab_Save_Crossmatching 0, 'R2603050','03/07/2026 02:05 PM', "
                       "'03/07/2026 02:05 PM', 'BB-1001', '1|0','0|0','BB-26-0400','02:05:00 PM','03/07/2026','',"
                       "'03/07/2026','02:05:00 PM','02:05:00 PM','02:05:00 PM','','','O+', 'POSITIVE', 'O', "
                       "'POSITIVE', '36.8', '', '', '', '', '112/72', '', '1|0|1','0|0','COMPATIBLE','','O+',"
                       "'03/07/2026 02:05 PM','PACKED RED BLOOD CELLS','Seen by O`Brien'"),
    };
    const QStringList sent = linesLogged(QStringLiteral("SQL  "));
    for (const QString &line : expected)
        EXPECT_TRUE(sent.contains(line)) << line.toStdString() << "\n" << log.toStdString();
    EXPECT_LT(sent.indexOf(expected[1]), sent.indexOf(expected[2])) << "the lists load before the rights";
    EXPECT_LT(sent.indexOf(expected[5]), sent.indexOf(expected[7]));
    EXPECT_LT(sent.indexOf(expected[7]), sent.indexOf(expected[8]));
    EXPECT_EQ(countLogged(QStringLiteral("SQL  LABORATORY..Lab_Load_CrossmatchingValues")), 2);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("MSG  ")), 0) << "a fitting unit asks nothing";

    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603050'"), 1);
    EXPECT_EQ(value("select result20 from laboratory..tbLabResult where RequestNum = 'R2603050'"), "COMPATIBLE");
    EXPECT_EQ(value("select result28 from laboratory..tbLabResult where RequestNum = 'R2603050'"), "Seen by O`Brien");
    EXPECT_GT(QFileInfo(pdfPath("crossmatch.pdf")).size(), 0);
}

TEST_P(CrossmatchingSessionTest, LaterSaveReadsEverythingBackAndSavesOverIt)
{
    // The worked compatible crossmatch, reopened by a supervisor over the med tech's sign-off.
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 16:30:00
session EmployeeCode=1 EmployeeName="Supervisor" CanVerify=true VerifyMode=false Clerk=false
open R2603501
frmCrossmatching: expect txtAccNum BB-0311
frmCrossmatching: expect txtBBKNum BB-26-0311
frmCrossmatching: expect chkPTransfusion(0) off
frmCrossmatching: expect chkPTransfusion(1) on
frmCrossmatching: expect dtTime 03:30 AM
frmCrossmatching: expect dtTimeBegun 04:25 AM
frmCrossmatching: expect dtTimeCompleted 06:40 AM
frmCrossmatching: expect dtIssuedDate 03/07/2026
frmCrossmatching: expect txtResult(0) O
frmCrossmatching: expect txtResult(3) POSITIVE
frmCrossmatching: expect txtResult(6) 88
frmCrossmatching: expect txtResult(7) 86
frmCrossmatching: expect txtResult(9) 112/72
frmCrossmatching: expect txtResult(10) "Kristine Ramos, RN"
frmCrossmatching: expect chkPhase(1) on
frmCrossmatching: expect chkReaction(1) on
frmCrossmatching: expect cboCMResults COMPATIBLE
frmCrossmatching: expect xCbo "PACKED RED BLOOD CELLS"
frmCrossmatching: expect dtFinishedTime 09:40 AM
frmCrossmatching: expect-contains txtRemarks "without reaction"
frmCrossmatching: expect lblUnitFit ""
frmCrossmatching: set txtResult(7) 90
frmCrossmatching: click cmdSave
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_Crossmatching 1,'R2603501','03/07/2026 08:15 AM',"
                                         "'03/07/2026 08:20 AM','BB-0311','0|1','0|1','BB-26-0311','03:30:00 AM',")),
              1)
        << log.toStdString();
    EXPECT_EQ(value("select result21 from laboratory..tbLabResult where RequestNum = 'R2603501'"), "90");
    EXPECT_EQ(value("select result22 from laboratory..tbLabResult where RequestNum = 'R2603501'"), "110/70");
    EXPECT_EQ(value("select result9 from laboratory..tbLabResult where RequestNum = 'R2603501'"), "04:25:00 AM");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603501'"), 1);
}

TEST_P(CrossmatchingSessionTest, AUnitOfTheWrongGroupIsShownAndConfirmedBeforeItIsSaved)
{
    // Declined: nothing is saved and the technologist is back at the donor's group.
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603050
frmCrossmatching: set txtAccNum BB-1002
frmCrossmatching: set txtResult(2) A
frmCrossmatching: expect-contains lblUnitFit "Group A red cells do not fit a group O patient."
frmCrossmatching: tab SSTab1 1
frmCrossmatching: click cmdSave
answer No
frmCrossmatching: expect SSTab1 "Blood typing"
frmCrossmatching: expect-focus txtResult(2)
frmCrossmatching: expect-enabled cmdSave yes
frmCrossmatching: set txtResult(2) O
frmCrossmatching: expect lblUnitFit ""
frmCrossmatching: set txtResult(3) POS
frmCrossmatching: set txtResult(0) "O NEG"
frmCrossmatching: expect-contains lblUnitFit "Rh-positive red cells do not fit an Rh-negative patient."
frmCrossmatching: click cmdExam
)s"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("MSG  [Blood Type Mismatch] The donor unit (A) does not fit the patient "
                                            "(O Rh+).\nGroup A red cells do not fit a group O patient.\n\nSave this "
                                            "crossmatch anyway? (exclamation)")))
        << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_Crossmatching")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603050'"), 0);

    // Confirmed: an incompatible crossmatch is a result like any other and is kept.
    ASSERT_TRUE(play(firstCrossmatch(QStringLiteral("B"), QStringLiteral("answer Yes\n")))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("MSG  [Blood Type Mismatch]")), 1);
    EXPECT_EQ(value("select result15 from laboratory..tbLabResult where RequestNum = 'R2603050'"), "B");
}

TEST_P(CrossmatchingSessionTest, IssueOnlyExamHidesTypingButSendsItsEmptyFields)
{
    // R2603051 (ValueType 2): the unit was typed and crossmatched elsewhere.
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603051
frmCrossmatching: set txtAccNum BB-2001
frmCrossmatching: choose xCbo "WHOLE BLOOD"
frmCrossmatching: check chkPReaction(1)
frmCrossmatching: key chkPReaction(1) Enter
frmCrossmatching: expect SSTab1 Crossmatching
frmCrossmatching: expect-focus txtResult(4)
frmCrossmatching: set txtResult(4) 37.1
frmCrossmatching: key txtResult(4) Enter
frmCrossmatching: expect-focus txtResult(5)
frmCrossmatching: click cmdSave
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_Crossmatching 0, 'R2603051','03/07/2026 02:05 PM', "
                                         "'03/07/2026 02:05 PM', 'BB-2001', '0|0','0|1','','02:05:00 PM','03/07/2026',"
                                         "'','03/07/2026','02:05:00 PM','02:05:00 PM','02:05:00 PM','','','A+', '', '', "
                                         "'', '37.1', '', '', '', '', '', '', '0|0|0','0|0','','','A+',")),
              1)
        << log.toStdString();
}

TEST_P(CrossmatchingSessionTest, FailingSaveRollsBackAndClosesTheScreen)
{
    check->execute("INSERT INTO laboratory..tbLabResult (RequestNum, AccessionNum, EmployeeCode, ResultDate, "
                   "samplesubmitted) VALUES ('R2603050', 'X', '0102', '2026-03-07 08:00:00', '2026-03-07 07:30:00')");
    const long long audits = count("select count(*) from laboratory..tbAuditTrail");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603050
frmCrossmatching: set txtAccNum BB-1003
frmCrossmatching: click cmdSave
answer OK
)s"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                      "Request R2603050 already has a stored result.] (critical)")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmCrossmatching")));
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603050'"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail"), audits);
}

INSTANTIATE_TEST_SUITE_P(Backends, CrossmatchingSessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
