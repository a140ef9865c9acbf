// The receptor, HER2 and ANA panel screens end to end on both backends: opened through
// clsResultEntry with the host's selector, scored as typed, saved, reloaded and printed; a failing
// save rolls back and closes the screen.

#include "e2e/scriptedsession.h"

namespace {

class ReceptorSessionTest : public e2e::ScriptedSessionTest {};

TEST_P(ReceptorSessionTest, ReceptorScoresAsTypedAndSavesTheExactCommand)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603005 12
frmERAPRA: expect-enabled cmdPrint no
frmERAPRA: expect dtSubmittedTime 02:05 PM
frmERAPRA: set txtAccNum " IHC-1 "
frmERAPRA: type rtfSpecimen "Breast, left: O'Hara"
frmERAPRA: choose cboPathologist "Grace U.  Lim, M.D."
frmERAPRA: type txtResult(0) "5a0"
frmERAPRA: expect txtResult(0) 50
frmERAPRA: expect txtEstro(0) 4
frmERAPRA: set txtEstro(1) 2
frmERAPRA: expect txtResult(2) MODERATE
frmERAPRA: expect lblEstrogen 6
frmERAPRA: set txtResult(0) 10.5
frmERAPRA: expect txtEstro(0) 4
frmERAPRA: set txtResult(0) 0
frmERAPRA: expect txtEstro(0) 1
frmERAPRA: expect lblEstrogen 3
frmERAPRA: set txtPro(0) 0
frmERAPRA: expect txtResult(1) "NO STAINING"
frmERAPRA: set txtPro(1) 1
frmERAPRA: expect txtResult(3) WEAK
frmERAPRA: expect lblProgesterone 1
frmERAPRA: choose cboEstrogen POSITIVE
frmERAPRA: choose cboProgesterone NEGATIVE
frmERAPRA: set txtResult(4) "S26-0412 A3"
frmERAPRA: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s").arg(pdfPath("erapra.pdf")))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("OPEN request R2603005 intResult 12")));
    for (const QString &line :
         {QStringLiteral("SQL  SELECT FirstName, MiddleName, LastName FROM build_file.dbo.tbCoDoctor where "
                         "specializationid = '84'"),
          QStringLiteral("SQL  LABORATORY..Lab_GetResultHistopath  'R2603005'"),
          QStringLiteral("SQL  LAB_Save_ResultHistopath 'R2603005','IHC-1','03/07/2026 02:05 PM','03/07/2026 02:05 PM',"
                         "'03/07/2026 02:05 PM','03/07/2026 02:05 PM','Breast, left: O`Hara','POSITIVE','NEGATIVE','0',"
                         "'NO STAINING','2','1','S26-0412 A3','','','Grace U.  Lim, M.D.'")})
        EXPECT_TRUE(logged(line)) << line.toStdString() << "\n" << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603005'"), 1);
    EXPECT_GT(QFileInfo(pdfPath("erapra.pdf")).size(), 0);
}

TEST_P(ReceptorSessionTest, StoredReceptorScoresAreDerivedAgainOnLoad)
{
    // Progesterone stored as "no staining": an extent score of 0, the total its intensity alone.
    check->execute("UPDATE laboratory..tbLabReceptorResult SET Result4 = ' NO STAINING' WHERE RequestNum = 'R2603503'");
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-08 10:00:00
session EmployeeCode=1 EmployeeName="Supervisor" CanVerify=true VerifyMode=false Clerk=false
open R2603503 12
frmERAPRA: expect txtAccNum IHC-26-041
frmERAPRA: expect txtResult(0) 80
frmERAPRA: expect txtEstro(0) 5
frmERAPRA: expect txtResult(2) STRONG
frmERAPRA: expect lblEstrogen 8
frmERAPRA: expect txtPro(0) 0
frmERAPRA: expect txtResult(1) "NO STAINING"
frmERAPRA: expect txtResult(3) MODERATE
frmERAPRA: expect lblProgesterone 2
frmERAPRA: expect cboEstrogen POSITIVE
frmERAPRA: expect cboPathologist "Maria Luisa R.  Santos, M.D."
frmERAPRA: expect dtSubmittedTime 08:15 AM
frmERAPRA: expect dtReportTime 09:45 AM
frmERAPRA: expect-contains rtfSpecimen "invasive ductal carcinoma"
frmERAPRA: choose cboProgesterone NEGATIVE
frmERAPRA: click cmdSave
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabReceptorResult where RequestNum = 'R2603503'"), 1);
    EXPECT_EQ(value("select Result2 from laboratory..tbLabReceptorResult where RequestNum = 'R2603503'"), "NEGATIVE");
    EXPECT_EQ(value("select Result4 from laboratory..tbLabReceptorResult where RequestNum = 'R2603503'"), "NO STAINING");
    EXPECT_EQ(value("select Result5 from laboratory..tbLabReceptorResult where RequestNum = 'R2603503'"), "3");
}

TEST_P(ReceptorSessionTest, HerTwoScoreFillsOnlyItsSlotsAndNeedsTheSelector)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603006 605
frmCerb: set txtAccNum IHC-2
frmCerb: choose cboCerb "2+ (Weak positive)"
frmCerb: choose cboCerbResult POSITIVE
frmCerb: set txtResult(1) A3
frmCerb: key txtResult(1) Enter
frmCerb: expect-focus txtResult(2)
frmCerb: set txtResult(2) "Known 3+ carcinoma"
frmCerb: click cmdSave
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  LAB_Save_ResultHistopath 'R2603006','IHC-2','03/07/2026 02:05 PM',"
                                      "'03/07/2026 02:05 PM','03/07/2026 02:05 PM','03/07/2026 02:05 PM','',"
                                      "'POSITIVE','2+ (Weak positive)','','','','','A3','Known 3+ carcinoma','',''")))
        << log.toStdString();

    // Opened without the selector, the same request is a histopathology.
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true VerifyMode=false Clerk=false
open R2603006
frmHistopath: click cmdExam
)s"))) << log.toStdString();
}

TEST_P(ReceptorSessionTest, AnaPanelOpensWithItsSubstratesAndReloadsItsBoxes)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603020
frmANAPanel: expect txtResult(0) "HEP-2 CELLS"
frmANAPanel: expect txtResult(4) "Crithidia luciliae"
frmANAPanel: set txtAccNum ANA-1
frmANAPanel: set txtResult(1) POSITIVE
frmANAPanel: key txtResult(1) Enter
frmANAPanel: expect-focus txtResult(2)
frmANAPanel: type txtResult(2) "Homogeneous, 'rim'"
frmANAPanel: set txtResult(3) 1:640
frmANAPanel: set txtResult(14) "LE cells seen"
frmANAPanel: click cmdSave
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  LABORATORY..Lab_GetResultANAPanel 'R2603020'")));
    EXPECT_TRUE(logged(QStringLiteral("SQL  LAB_Save_ANAPanel 'R2603020','HEP-2 CELLS','POSITIVE','"
                                      "Homogeneous, `rim`','1:640','Crithidia luciliae','','','','','','','','','','LE cells seen'")))
        << log.toStdString();

    // The stored panel comes back into its boxes; the sample number is not read back.
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true VerifyMode=false Clerk=false
open R2603505
frmANAPanel: expect txtResult(2) SPECKLED
frmANAPanel: expect txtResult(3) 1:320
frmANAPanel: expect txtResult(9) POSITIVE
frmANAPanel: expect txtResult(14) "No LE cells seen"
frmANAPanel: expect txtAccNum ""
frmANAPanel: click cmdExam
)s"))) << log.toStdString();
}

TEST_P(ReceptorSessionTest, FailingPanelSaveRollsBackAndClosesTheScreen)
{
    // A column the save writes (and the load does not read) is gone: the save procedure fails after
    // the logbook row was written.
    labdb::Driver &raw = check->driver();
    raw.runScript("ALTER TABLE " + raw.qualify(labdb::Database::Laboratory, "tbLabANAPanel") +
                  " RENAME COLUMN EmployeeCode TO SavedBy");
    const long long audits = count("select count(*) from laboratory..tbAuditTrail");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2603020
frmANAPanel: set txtAccNum ANA-2
frmANAPanel: click cmdSave
answer OK
)s"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: [")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmANAPanel")));
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603020'"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail"), audits);
}

INSTANTIATE_TEST_SUITE_P(Backends, ReceptorSessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
