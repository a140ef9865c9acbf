// The interpretation, normal-range and custom screens end to end: scripted sessions open the demo
// requests as the host does, type, save, sign off and print, on both backends.

#include "e2e/scriptedsession.h"
#include "support/qstringprint.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

class InterpretationSessionTest : public e2e::ScriptedSessionTest {
protected:
    static QString pdfText(const QString &pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput())
            .replace(QChar(0xFB02), QStringLiteral("fl"))
            .replace(QChar(0xFB01), QStringLiteral("fi"));
    }
    // The paper of the PDF's first page in points, "595 x 842" for A4 portrait.
    static QString pdfPaper(const QString &pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdfinfo"), {pdf});
        p.waitForFinished();
        for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("Page size:")))
                return line.section(QLatin1Char(':'), 1).section(QLatin1String(" pts"), 0, 0).trimmed();
        }
        return {};
    }

    // A first peripheral blood smear by med tech 0101: an interpretation picked from the exam's
    // list, a concurring pathologist with the scanned signature, printed on the sign-off's default
    // half page.
    QString firstSmearSave() const
    {
        return QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603017
frmWithInterpretation: expect-enabled cmdPrint no
frmWithInterpretation: expect-enabled cmdVerify no
frmWithInterpretation: expect-enabled cmdSave yes
frmWithInterpretation: expect dtReportDate 03/07/2026
frmWithInterpretation: expect dtSubmittedTime 02:05 PM
frmWithInterpretation: expect-contains rtfLegend "Platelets: estimate"
frmWithInterpretation: expect chkConforme off
frmWithInterpretation: set txtAccNum H-0400
frmWithInterpretation: set txtSite "Finger prick"
frmWithInterpretation: type rtfResult "Target cells; seen by O'Brien"
frmWithInterpretation: expect rtfResult "Target cells; seen by O`Brien"
frmWithInterpretation: set rtfInterpretation "iron"
frmWithInterpretation: key rtfInterpretation F9
frmCodeSearch: click cmdSelect
frmWithInterpretation: expect rtfInterpretation "Microcytic hypochromic red cells with anisopoikilocytosis; suggestive of iron deficiency."
frmWithInterpretation: set rtfLegend "RBC, WBC and platelet morphology"
frmWithInterpretation: check chkConforme
frmSearchPatho: click cmdSelect
frmWithInterpretation: expect txtPathologist "Grace U. Lim, M.D."
frmWithInterpretation: check chkScannedSignature
frmWithInterpretation: click cmdSave
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)")
            .arg(pdfPath("smear.pdf"));
    }
};

TEST_P(InterpretationSessionTest, AFirstSmearSaveSendsItsCommandsAndPrintsTheHalfPage)
{
    ASSERT_TRUE(play(firstSmearSave())) << log.toStdString();

    EXPECT_TRUE(logged(QStringLiteral("SQL  LABORATORY..Lab_GetResultWithInterpretation  'R2603017'"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  Select getdate() as DateToday")));
    EXPECT_TRUE(logged(QStringLiteral("SQL  Lab_BF_GetInterpretation '117'")));
    EXPECT_TRUE(logged(QStringLiteral("SQL  Lab_Get_Conforme 'R2603017'")));
    EXPECT_TRUE(logged(QStringLiteral("SQL  LABORATORY..Lab_SearchCodeList '28', '117'"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  SELECT * FROM BUILD_FILE..tbCoDoctor WHERE DoctorID = '1003'")));
    EXPECT_TRUE(logged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603017', '', "
                                      "'0101','3/7/2026 2:05:00 PM', '3/7/2026 2:05:00 PM','H-0400'")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral(
        "SQL  Laboratory..Lab_Save_WithInterpretation 'R2603017','H-0400','Target cells; seen by O`Brien',"
        "'Microcytic hypochromic red cells with anisopoikilocytosis; suggestive of iron deficiency.',"
        "'RBC, WBC and platelet morphology','Finger prick','WHOLE BLOOD (EDTA)','03/07/2026 02:05 PM',"
        "'03/07/2026 02:05 PM','03/07/2026 02:05 PM','03/07/2026 02:05 PM'")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  laboratory..Lab_Save_Conforme 'R2603017','1','1','Grace U. Lim, M.D.'")));
    // This screen records its verifier through the sign-off only.
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);
    EXPECT_TRUE(logged(QStringLiteral("SHOW frmReportViewer \"CYTOLOGY Result\""))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmWithInterpretation")));

    EXPECT_EQ(value("select AccessionNum from laboratory..tbLabLogbook where RequestNum = 'R2603017'"), "H-0400");
    EXPECT_EQ(value("select Result from laboratory..tbLabResultInterpretation where RequestNum = 'R2603017'"),
              "Target cells; seen by O`Brien");

    const QString pdf = pdfPath("smear.pdf");
    EXPECT_EQ(pdfPaper(pdf), QStringLiteral("595 x 420"));
    const QString report = pdfText(pdf);
    EXPECT_TRUE(report.contains(QStringLiteral("PERIPHERAL BLOOD SMEAR"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("suggestive of iron deficiency")));
    EXPECT_TRUE(report.contains(QStringLiteral("RBC, WBC and platelet morphology")));
    EXPECT_TRUE(report.contains(QStringLiteral("Grace U. Lim, M.D.")));
    EXPECT_TRUE(report.contains(QStringLiteral("electronically signed")));
}

TEST_P(InterpretationSessionTest, ALaterSaveReloadsEverythingAndWritesNoSecondLogbookRow)
{
    ASSERT_TRUE(play(firstSmearSave())) << log.toStdString();
    // Another med tech reopens it: the stored texts and conforme show without a search; the criteria
    // are the saved ones, not the master's.
    ASSERT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=1 EmployeeName="Supervisor" CanVerify=true VerifyMode=false
open R2603017
frmWithInterpretation: expect-enabled cmdPrint yes
frmWithInterpretation: expect txtAccNum H-0400
frmWithInterpretation: expect txtSite "Finger prick"
frmWithInterpretation: expect rtfResult "Target cells; seen by O`Brien"
frmWithInterpretation: expect rtfLegend "RBC, WBC and platelet morphology"
frmWithInterpretation: expect chkConforme on
frmWithInterpretation: expect chkScannedSignature on
frmWithInterpretation: expect txtPathologist "Grace U. Lim, M.D."
frmWithInterpretation: check chkScannedSignature no
frmWithInterpretation: set rtfInterpretation "Iron deficiency picture; correlate with ferritin."
frmWithInterpretation: click cmdVerify
frmMedTech: set txtVerified Navarro
frmMedTech: key txtVerified Enter
frmListMedTech: click cmdSelect
frmMedTech: check optPaperSize(1)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)").arg(pdfPath("whole.pdf")))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmSearchPatho")), 0) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmCodeSearch")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Lab_BF_GetInterpretation")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_WithInterpretation 'R2603017','H-0400'")), 1);
    EXPECT_TRUE(logged(QStringLiteral("SQL  laboratory..Lab_Save_Conforme 'R2603017','1','0','Grace U. Lim, M.D.'")));
    EXPECT_EQ(value("select VerifiedBy from laboratory..tbLabResultMedTech where RequestNum = 'R2603017'"), "0102");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603017'"), 1);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultInterpretation where RequestNum = 'R2603017'"), 1);
    EXPECT_EQ(value("select ResultInterpretation from laboratory..tbLabResultInterpretation where RequestNum = "
                    "'R2603017'"),
              "Iron deficiency picture; correlate with ferritin.");

    const QString pdf = pdfPath("whole.pdf");
    EXPECT_EQ(pdfPaper(pdf), QStringLiteral("595 x 842"));
    const QString report = pdfText(pdf);
    EXPECT_TRUE(report.contains(QStringLiteral("correlate with ferritin"))) << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("electronically signed")));
}

TEST_P(InterpretationSessionTest, AFailingSaveRollsBackAndClosesTheScreen)
{
    // Neither a result nor an interpretation: the server refuses it after the logbook row went in.
    ASSERT_TRUE(play(QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603017
frmWithInterpretation: set txtAccNum H-0401
frmWithInterpretation: check chkConforme
frmSearchPatho: click cmdSelect
frmWithInterpretation: click cmdSave
answer OK
)"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                      "Request R2603017 has neither a result nor an interpretation to save.] "
                                      "(critical)")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmWithInterpretation")));
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603017'"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabConforme where RequestNum = 'R2603017'"), 0);
}

TEST_P(InterpretationSessionTest, TheWorkedDemoSmearOpensFilledAndTheSampleNumberIsRequired)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true Clerk=false VerifyMode=false
open R2604201
frmWithInterpretation: expect txtAccNum H-0331
frmWithInterpretation: expect txtSpecimen "WHOLE BLOOD (EDTA)"
frmWithInterpretation: expect-contains rtfResult "6 nucleated RBCs/100 WBC"
frmWithInterpretation: expect-contains rtfInterpretation "consistent with the neonatal period"
frmWithInterpretation: expect txtPathologist "Antonio C. Villanueva, M.D."
frmWithInterpretation: expect dtReportTime 09:45 AM
frmWithInterpretation: set txtAccNum ""
frmWithInterpretation: key txtAccNum Enter
answer OK "You have to fill-in the ACCESSION NUMBER first."
frmWithInterpretation: expect-focus txtAccNum
frmWithInterpretation: click cmdExam
)s"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Incomplete Data] You have to fill-in the ACCESSION NUMBER first. "
                                      "(information)")));
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_WithInterpretation")), 0);
}

// ---- normal range ----

// A first thyroid function test on the host's sub-screen 3, with a prothrombin time typed into a
// box of another sub-screen that must not be saved.
QString firstThyroidSave(const QString &pdf)
{
    return QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603019 3
frmNormalRange: expect-focus txtResult(7)
frmNormalRange: expect-enabled cmdPrint no
frmNormalRange: set txtResult(0) 12.0
frmNormalRange: set txtAccNum S-2001
frmNormalRange: set txtResult(8) 2.1
frmNormalRange: key txtResult(8) Enter
frmNormalRange: expect-focus txtResult(9)
frmNormalRange: set txtResult(12) <0.01
frmNormalRange: set txtResult(13) 30.2
frmNormalRange: click cmdSave
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)").arg(pdf);
}

TEST_P(InterpretationSessionTest, AFirstThyroidSaveSendsOnlyItsSubScreenAndPrintsFlaggedResults)
{
    ASSERT_TRUE(play(firstThyroidSave(pdfPath("thyroid.pdf")))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  LABORATORY..Lab_GetResultNormalRange 'R2603019'"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603019', '', "
                                      "'0101','3/7/2026 2:05:00 PM', '3/7/2026 2:05:00 PM','S-2001'")));
    EXPECT_TRUE(logged(QStringLiteral(
        "SQL  LAB_Save_ResultNormalRange 'R2603019','','','','','','','','','','','2.1','','','','<0.01','30.2',"
        "'','','','','','3','S-2001','03/07/2026 02:05 PM','03/07/2026 02:05 PM','03/07/2026 02:05 PM',"
        "'03/07/2026 02:05 PM'")))
        << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);
    EXPECT_TRUE(logged(QStringLiteral("SHOW frmReportViewer \"Normal Range\"")));
    EXPECT_EQ(value("select Patient from laboratory..tbLabResultNormalRange where RequestNum = 'R2603019'"), "");

    const QString report = pdfText(pdfPath("thyroid.pdf"));
    EXPECT_TRUE(report.contains(QStringLiteral("THYROID FUNCTION TEST"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QRegularExpression(QStringLiteral("TSH\\s+<0.01\\s+L\\s+mIU/L\\s+0.40 - 4.00"))));
    EXPECT_TRUE(report.contains(QRegularExpression(QStringLiteral("Free T4\\s+30.2\\s+H\\s+pmol/L"))));
    EXPECT_TRUE(report.contains(QRegularExpression(QStringLiteral("T3 \\(triiodothyronine\\)\\s+2.1\\s+nmol/L"))));
    EXPECT_FALSE(report.contains(QStringLiteral("Prothrombin")));
}

TEST_P(InterpretationSessionTest, TheStoredSubScreenWinsOverTheHostsAndALaterSaveVerifies)
{
    ASSERT_TRUE(play(firstThyroidSave(pdfPath("thyroid.pdf")))) << log.toStdString();
    ASSERT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=0102 CanVerify=true VerifyMode=true Clerk=false
open R2603019 0
frmNormalRange: expect-focus txtResult(7)
frmNormalRange: expect txtAccNum S-2001
frmNormalRange: expect txtResult(12) <0.01
frmNormalRange: expect txtResult(19) <0.01
frmNormalRange: set txtResult(12) 0.02
frmNormalRange: click cmdVerify
frmMedTech: set txtVerified Navarro
frmMedTech: key txtVerified Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: close
)"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  LAB_Save_ResultNormalRange 'R2603019',")), 1);
    EXPECT_TRUE(log.contains(QStringLiteral("'0.02','30.2','','','','','','3','S-2001'"))) << log.toStdString();
    // Verify mode records the verification inside the save.
    EXPECT_TRUE(logged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults 'R2603019','0102'")));
    EXPECT_TRUE(logged(QStringLiteral("SHOW frmReportViewer \"Normal Range\"")));
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603019'"), 1);
    EXPECT_EQ(value("select TSH from laboratory..tbLabResultNormalRange where RequestNum = 'R2603019'"), "0.02");
}

TEST_P(InterpretationSessionTest, ANormalRangeSaveTheServerRefusesRollsBackAndClosesTheScreen)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2603019 3
frmNormalRange: set txtAccNum S-2002
frmNormalRange: set txtResult(9) "high"
frmNormalRange: click cmdSave
answer OK
)"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                      "The T4 result 'high' is not a number.] (critical)")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmNormalRange")));
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603019'"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultNormalRange where RequestNum = 'R2603019'"), 0);
}

TEST_P(InterpretationSessionTest, TheThyroidScreenFillsTheSameSlotsAndAPanelNumberShowsNoFrame)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2603019 9
frmNormalRange: expect-focus txtAccNum
frmNormalRange: click cmdExam
open R2603019 6
frmNormalRange: expect-focus txtResult(19)
frmNormalRange: set txtAccNum S-2003
frmNormalRange: set txtResult(12) 9.9
frmNormalRange: set txtResult(19) 2.5
frmNormalRange: set txtResult(20) 15.1
frmNormalRange: key txtAccNum Enter
frmNormalRange: set txtAccNum ""
frmNormalRange: key txtAccNum Enter
answer OK "You have to fill-in the SAMPLE NUMBER first."
frmNormalRange: set txtAccNum S-2003
frmNormalRange: click cmdSave
frmMedTech: click FlatBttn1
)"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("SQL  LAB_Save_ResultNormalRange 'R2603019','','','','','','','','','',"
                                            "'','','','','','2.5','15.1','','','','','','6','S-2003'")))
        << log.toStdString();
    EXPECT_EQ(value("select FormType from laboratory..tbLabResultNormalRange where RequestNum = 'R2603019'"), "6");
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Incomplete Data] You have to fill-in the SAMPLE NUMBER first. (information)")));
    EXPECT_EQ(countLogged(QStringLiteral("MSG  ")), 1);
}

// ---- custom results ----

// The hepatitis profile ordered as three exams under one charge reference, entered as one batch.
QString firstBatchSave(const QString &pdf)
{
    return QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2604206
frmMyCustom: expect grdEntry(0,3) "NORMAL VALUES"
frmMyCustom: expect grdEntry(3,1) "Anti-HBs (antibody to surface antigen)"
frmMyCustom: expect grdEntry(4,3) "< 10 mIU/mL"
frmMyCustom: expect-enabled grdEntry(1,1) no
frmMyCustom: set txtAccNum S-3001
frmMyCustom: set grdEntry(1,2) NON-REACTIVE
frmMyCustom: set grdEntry(2,2) 0.12
frmMyCustom: set grdEntry(3,2) REACTIVE
frmMyCustom: set grdEntry(4,2) "86.0 mIU/mL"
frmMyCustom: set grdEntry(5,2) NON-REACTIVE
frmMyCustom: type grdEntry(6,2) "0.05, O'Neil"
frmMyCustom: key grdEntry(6,2) Enter
frmMyCustom: set txtRemarks "Immune by vaccination"
frmMyCustom: click cmdSave
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s").arg(pdf);
}

TEST_P(InterpretationSessionTest, ABatchSavesEveryRequestWithItsOwnLogbookRowAndPrintsTogether)
{
    ASSERT_TRUE(play(firstBatchSave(pdfPath("batch.pdf")))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  Lab_GetResultExamFormats 'CS-264206','K'"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  Lab_Get_HCValuesBatch '401','402','403 '")));
    EXPECT_TRUE(logged(QStringLiteral("SQL  Lab_GetResultCustomBatch '401|402|403','R2604206|R2604207|R2604208'")));
    EXPECT_TRUE(logged(QStringLiteral(
        "SQL  Lab_SaveResultCustom 'R2604206','NON-REACTIVE','0.12','Immune by vaccination','S-3001',"
        "'03/07/2026 02:05 PM','03/07/2026 02:05 PM','03/07/2026 02:05 PM','03/07/2026 02:05 PM','0101'")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral(
        "SQL  Lab_SaveResultCustom 'R2604208','NON-REACTIVE','0.05, O`Neil','Immune by vaccination','S-3001',"
        "'03/07/2026 02:05 PM','03/07/2026 02:05 PM','03/07/2026 02:05 PM','03/07/2026 02:05 PM','0101'")));
    for (const char *request : {"R2604206", "R2604207", "R2604208"})
        EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook '%1'")
                                  .arg(QLatin1String(request))),
                  1)
            << request;
    EXPECT_TRUE(logged(QStringLiteral("SHOW frmReportViewer \"Laboratory Result\"")));
    EXPECT_EQ(value("select Result from laboratory..tbLabResultCustom where RequestNum = 'R2604207' and LineNo = 2"),
              "86.0 mIU/mL");
    EXPECT_EQ(value("select AccessionNum from laboratory..tbLabLogbook where RequestNum = 'R2604208'"), "S-3001");

    const QString report = pdfText(pdfPath("batch.pdf"));
    for (const char *text : {"HBsAg (HEPATITIS PROFILE) · R2604206", "ANTI-HCV (HEPATITIS PROFILE) · R2604208",
                             "86.0 mIU/mL", "0.05, O`Neil", "Immune by vaccination"})
        EXPECT_TRUE(report.contains(QString::fromUtf8(text))) << text << "\n" << report.toStdString();
}

TEST_P(InterpretationSessionTest, ABatchReopenedFromAnotherMemberSavesOverItAndVerifiesEveryRequest)
{
    ASSERT_TRUE(play(firstBatchSave(pdfPath("batch.pdf")))) << log.toStdString();
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0102 CanVerify=true VerifyMode=true Clerk=false
open R2604207
frmMyCustom: expect txtAccNum S-3001
frmMyCustom: expect grdEntry(4,2) "86.0 mIU/mL"
frmMyCustom: expect grdEntry(6,2) "0.05, O`Neil"
frmMyCustom: expect txtRemarks "Immune by vaccination"
frmMyCustom: set grdEntry(4,2) "91.5 mIU/mL"
frmMyCustom: key grdEntry(4,2) Enter
frmMyCustom: click cmdSave
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Lab_SaveResultCustom ")), 3);
    for (const char *request : {"R2604206", "R2604207", "R2604208"})
        EXPECT_TRUE(logged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults '%1','0102'").arg(QLatin1String(request))))
            << request;
    EXPECT_EQ(value("select Result from laboratory..tbLabResultCustom where RequestNum = 'R2604207' and LineNo = 2"),
              "91.5 mIU/mL");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultCustom where RequestNum in ('R2604206', 'R2604207', "
                    "'R2604208')"),
              6);
}

TEST_P(InterpretationSessionTest, AFreeTextCustomFormatHidesNormalValuesAndAnEmptySaveIsRefused)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2604209
frmMyCustom: expect grdEntry(0,2) "RESULT"
frmMyCustom: expect grdEntry(3,1) "Result"
frmMyCustom: key txtAccNum Enter
answer OK "You have to fill-in the SAMPLE NUMBER first."
frmMyCustom: set txtAccNum S-3100
frmMyCustom: click cmdSave
answer OK
open R2604209
answer No
frmMyCustom: set txtAccNum S-3100
frmMyCustom: set grdEntry(3,2) "Calcium oxalate crystals"
frmMyCustom: key grdEntry(3,2) Enter
frmMyCustom: click cmdSave
frmMedTech: check optPaperSize(1)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s").arg(pdfPath("custom.pdf")))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                      "Request R2604209 has no result to save.] (critical)")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  Lab_Get_HCValues '404'")));
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Lab_GetResultExamFormats")), 2);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2604209'"), 1);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultCustom where RequestNum = 'R2604209'"), 3);
    EXPECT_EQ(pdfPaper(pdfPath("custom.pdf")), QStringLiteral("595 x 842"));
    const QString report = pdfText(pdfPath("custom.pdf"));
    EXPECT_TRUE(report.contains(QStringLiteral("Calcium oxalate crystals"))) << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("NORMAL VALUES")));
}

INSTANTIATE_TEST_SUITE_P(Backends, InterpretationSessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
