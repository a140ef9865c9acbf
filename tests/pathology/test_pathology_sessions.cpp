// The pathology screens end to end: scripted sessions open the demo requests as the host does,
// type, save, sign off and print, on both backends.

#include "e2e/scriptedsession.h"

#include <QFileInfo>
#include <QProcess>

namespace {

class PathologySessionTest : public e2e::ScriptedSessionTest {
protected:
    // The text of a PDF, as a reader of the report would see it.
    static QString pdfText(const QString &pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished();
        // The report's typeface sets "fl", "fi" and "ff" as ligatures.
        return QString::fromUtf8(p.readAllStandardOutput())
            .replace(QChar(0xFB02), QStringLiteral("fl"))
            .replace(QChar(0xFB01), QStringLiteral("fi"))
            .replace(QChar(0xFB00), QStringLiteral("ff"));
    }
    static int pdfPages(const QString &pdf) { return static_cast<int>(pdfText(pdf).count(QLatin1Char('\f'))); }

    // A first histopathology report by med tech 0101, with a concurring pathologist, printed.
    QString firstHistopathSave(const QString &microscopic) const
    {
        return QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false EditMode=false
open R2603004
frmHistopath: expect txtDoctorID 1002
frmHistopath: expect txtDoctorName "Antonio C. Villanueva, M.D."
frmHistopath: expect txtPhysician "Ricardo B. Mendoza, M.D."
frmHistopath: expect txtResidentName "Mark Anthony P. Bautista, M.D."
frmHistopath: expect dtSubmittedTime 02:05 PM
frmHistopath: expect dtLRATime 02:05 PM
frmHistopath: expect dtReportTime 02:05 PM
frmHistopath: expect txtRequestDate "03/04/2026 03:30 PM"
frmHistopath: type txtHistopathNum "s26-0901"
frmHistopath: expect txtHistopathNum S26-0901
frmHistopath: set rtfSpecimen "Skin, left arm; ellipse"
frmHistopath: type rtfHistory "O'Brien's nodule"
frmHistopath: set rtfGross "Ellipse of skin, 1.2 x 0.6 cm"
frmHistopath: set rtfMicroscopic "%1"
frmHistopath: set rtfDiagnosis "Seborrheic keratosis"
frmHistopath: set txtDiagnosis1 "Skin nodule"
frmHistopath: check chkConforme
frmSearchPatho: click cmdSelect
frmHistopath: expect txtPathologist "Grace U. Lim, M.D."
frmHistopath: click cmdSave
frmMedTech: expect txtPathologist "Antonio C. Villanueva, M.D."
frmMedTech: click cmdFinish
frmReportViewer: pdf "%2"
frmReportViewer: close
)")
            .arg(microscopic, pdfPath("histopath.pdf"));
    }
};

TEST_P(PathologySessionTest, HistopathologyFirstSaveSendsItsCommandsAndPrints)
{
    ASSERT_TRUE(play(firstHistopathSave(QStringLiteral("Acanthotic epidermis; horn cysts.")))) << log.toStdString();

    // Opening and filling, then the save in one transaction.
    EXPECT_TRUE(logged(QStringLiteral("SQL  SELECT getdate() as serverdate"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  LABORATORY..Lab_GetResultFromTable  'H','R2603004'")));
    EXPECT_TRUE(logged(QStringLiteral("SQL  Select getdate() as DateToday")));
    EXPECT_TRUE(logged(QStringLiteral("SQL  Lab_SearchDoctor '2', ''")));
    EXPECT_TRUE(logged(QStringLiteral("SQL  SELECT * FROM BUILD_FILE..tbCoDoctor WHERE DoctorID = '1003'")));
    EXPECT_TRUE(logged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603004', '', "
                                      "'0101','3/7/2026 2:05:00 PM', '3/7/2026 2:05:00 PM','S26-0901', '1002'")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral(
        "SQL  Laboratory..Lab_Save_Histopath 0, 'R2603004','S26-0901','Skin, left arm; ellipse','O`Brien`s nodule', "
        "'Ellipse of skin, 1.2 x 0.6 cm', 'Seborrheic keratosis', '', '03/07/2026 02:05 PM', '1002', '1012', "
        "'Ricardo B. Mendoza, M.D.','03/04/2026 03:30 PM','03/07/2026 02:05 PM','03/07/2026 02:05 PM', '1020',"
        "'Skin nodule','','Acanthotic epidermis; horn cysts.','1','0','Grace U. Lim, M.D.'")))
        << log.toStdString();
    // A plain save records no verification and prints with the verify flag "False".
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);
    EXPECT_EQ(value("select ReaderID from laboratory..tbLabLogbook where RequestNum = 'R2603004'"), "1002");
    EXPECT_EQ(value("select AccessionNum from laboratory..tbLabLogbook where RequestNum = 'R2603004'"), "S26-0901");
    EXPECT_EQ(value("select clinicaldiagnosis from laboratory..tbLabHistopath where RequestNum = 'R2603004'"),
              "O`Brien`s nodule");
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmHistopath")));
    const QString report = pdfText(pdfPath("histopath.pdf"));
    EXPECT_TRUE(report.contains(QStringLiteral("SURGICAL PATHOLOGY REPORT"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Seborrheic keratosis")));
    EXPECT_TRUE(report.contains(QStringLiteral("Grace U. Lim, M.D.")));
    EXPECT_FALSE(report.contains(QStringLiteral("AMENDED")));
}

TEST_P(PathologySessionTest, ASignedReportSavedAgainPrintsAmendedAndTheEarlierVersionStaysPrintable)
{
    ASSERT_TRUE(play(firstHistopathSave(QStringLiteral("First reading.")))) << log.toStdString();
    // A second med tech reopens it: the stored conforme shows without a search; a later save, verified.
    ASSERT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=0102 EmployeeName="Paolo Navarro" CanVerify=true VerifyMode=false
open R2603004
frmHistopath: expect txtHistopathNum S26-0901
frmHistopath: expect rtfMicroscopic "First reading."
frmHistopath: expect chkConforme on
frmHistopath: expect txtPathologist "Grace U. Lim, M.D."
frmHistopath: set rtfDiagnosis "Seborrheic keratosis, irritated"
frmHistopath: click cmdVerify
frmMedTech: expect-enabled txtVerified yes
frmMedTech: click FlatBttn1
)"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmSearchPatho")), 0) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_Histopath 1, 'R2603004'")), 1);
    EXPECT_TRUE(logged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults 'R2603004','0102'")));
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603004'"), 1);
    EXPECT_EQ(value("select AmendedBy from laboratory..tbLabHistopath where RequestNum = 'R2603004'"), "0102");

    // The current report is marked; the first version prints as it was, from the audit trail.
    const QString now = pdfPath("now.pdf");
    const QString before = pdfPath("before.pdf");
    for (const auto &[pdf, version] : {std::pair{now, QStringLiteral("0")}, std::pair{before, QStringLiteral("1")}}) {
        QProcess labhost;
        labhost.start(QStringLiteral(LABHOST_BINARY),
                      {QStringLiteral("print"), QStringLiteral("--source"), QString::fromStdString(db->dataSource()),
                       QStringLiteral("--request"), QStringLiteral("R2603004"), QStringLiteral("--layout"),
                       QStringLiteral("LabPrint_Histopath.RPT"), QStringLiteral("--pdf"), pdf,
                       QStringLiteral("--param"), QStringLiteral("Version=") + version});
        ASSERT_TRUE(labhost.waitForFinished(60000));
        ASSERT_EQ(labhost.exitCode(), 0) << labhost.readAllStandardError().toStdString();
    }
    const QString current = pdfText(now);
    EXPECT_TRUE(current.contains(QStringLiteral("AMENDED REPORT"))) << current.toStdString();
    EXPECT_TRUE(current.contains(QStringLiteral("Seborrheic keratosis, irritated")));
    const QString earlier = pdfText(before);
    EXPECT_TRUE(earlier.contains(QStringLiteral("EARLIER VERSION 1 OF 2"))) << earlier.toStdString();
    EXPECT_FALSE(earlier.contains(QStringLiteral("irritated")));
    EXPECT_FALSE(earlier.contains(QStringLiteral("AMENDED REPORT")));
}

TEST_P(PathologySessionTest, ALongMicroscopicDescriptionRoundTripsAndPrintsAcrossPages)
{
    QString microscopic;
    while (microscopic.size() < 20000)
        microscopic += QStringLiteral("Sections show lobules of squamous epithelium with keratin-filled pseudocysts; ");
    ASSERT_TRUE(play(firstHistopathSave(microscopic))) << log.left(2000).toStdString();
    EXPECT_EQ(value("select microscopic from laboratory..tbLabHistopath where RequestNum = 'R2603004'"),
              microscopic.toStdString());
    EXPECT_GE(pdfPages(pdfPath("histopath.pdf")), 3);
    ASSERT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=1
open R2603004
frmHistopath: expect rtfMicroscopic "%1"
frmHistopath: click cmdExam
)").arg(microscopic))) << log.left(2000).toStdString();
}

TEST_P(PathologySessionTest, AFailingSaveRollsBackAndClosesTheScreen)
{
    // Another workstation's report without a logbook row: this first save fails midway.
    check->execute("INSERT INTO laboratory..tbLabHistopath (RequestNum, PathologyNum, ResultDate, samplesubmitted, "
                   "lratime) VALUES ('R2603004', 'X', '2026-03-06 16:45:00', '2026-03-05 10:10:00', "
                   "'2026-03-06 16:30:00')");
    const long long audits = count("select count(*) from laboratory..tbAuditTrail");
    ASSERT_TRUE(play(QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603004
frmHistopath: set txtHistopathNum S26-0902
frmHistopath: click cmdSave
answer OK
)"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                      "Request R2603004 already has a stored result.] (critical)")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmHistopath")));
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603004'"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail"), audits);
}

TEST_P(PathologySessionTest, TheScreensOwnRules)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=0101 CanVerify=false Clerk=false VerifyMode=false
open R2603004
frmHistopath: key txtHistopathNum Enter
answer OK "You have to fill-in the HISTOPATH NUMBER first."
frmHistopath: expect-focus txtHistopathNum
frmHistopath: set txtHistopathNum S26-1
frmHistopath: key txtHistopathNum Enter
frmHistopath: expect-focus dtSubmittedTime
frmHistopath: set txtPhysicianID 0
frmHistopath: key txtPhysicianID Enter
frmHistopath: expect-focus txtPhysician
frmHistopath: set txtPhysician "Dr. Visiting Surgeon"
frmHistopath: focus rtfHistory
frmHistopath: key rtfHistory F8
frmHistopath: expect-focus rtfGross
frmHistopath: click chkConforme
frmSearchPatho: close
frmHistopath: expect chkConforme off
frmHistopath: check chkConforme
frmSearchPatho: click cmdSelect
frmHistopath: expect txtPathologist "Grace U. Lim, M.D."
frmHistopath: check chkConforme no
frmHistopath: expect txtPathologist ""
frmHistopath: expect-enabled cmdVerify no
frmHistopath: click cmdExam
)"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Incomplete Data] You have to fill-in the HISTOPATH NUMBER first. (information)")));
}

TEST_P(PathologySessionTest, TheChooserOpensThePapSmearOrTheHistopathologyScreen)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true Clerk=false VerifyMode=false
open R2603007
frmBethesda: check optChoice(2)
frmBethesda: click cmdUse
frmHistopath: expect txtDoctorID 1001
frmHistopath: click cmdExam
open R2603007
frmBethesda: click cmdUse
frmPapsmear: expect chkSAdequacy(0) on
frmPapsmear: expect chkGC(0) on
frmPapsmear: expect chkGC(1) off
frmPapsmear: expect chkSpecimen(0) off
frmPapsmear: expect optSpecimenType(0) off
frmPapsmear: expect optSpecimenType(1) off
frmPapsmear: set txtCytology P26-0400
frmPapsmear: set txtLMP 02/20/2026
frmPapsmear: check chkSpecimen(0)
frmPapsmear: type rtfInterpretation "NILM; O'Neil"
frmPapsmear: click cmdSave
frmMedTech: expect-enabled txtMedTech no
frmMedTech: check optPaperSize(1)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)").arg(pdfPath("pap.pdf")))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmBethesda")));
    EXPECT_TRUE(logged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603007', '', "
                                      "'0101','3/7/2026 2:05:00 PM', '3/7/2026 2:05:00 PM','P26-0400', NULL")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral(
        "SQL  Laboratory..Lab_Save_Papsmear 0, 'R2603007','P26-0400','02/20/2026','1|0|0|0','1|0','1|0|',"
        "'NILM; O`Neil','','03/07/2026 02:05 PM','1001','1013','Carmela S. Reyes, M.D.','','','',''")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  laboratory..Lab_Save_Conforme 'R2603007','0','0',''")));
    EXPECT_TRUE(logged(QStringLiteral("SHOW frmReportViewer \"Department of Laboratory Medicine\"")));
    EXPECT_TRUE(pdfText(pdfPath("pap.pdf")).contains(QStringLiteral("Negative for intraepithelial lesion")));
    EXPECT_EQ(value("select ReaderID from laboratory..tbLabLogbook where RequestNum = 'R2603007'"), "<none>");

    // Reopened: no specimen type was chosen, so neither option is.
    ASSERT_TRUE(play(QStringLiteral(R"(
session EmployeeCode=1
open R2603007
frmBethesda: click cmdUse
frmPapsmear: expect chkSpecimen(0) on
frmPapsmear: expect optSpecimenType(0) off
frmPapsmear: expect optSpecimenType(1) off
frmPapsmear: expect rtfInterpretation "NILM; O`Neil"
frmPapsmear: click cmdSave
frmMedTech: click cmdFinish
frmReportViewer: close
)"))) << log.toStdString();
    // A later save: flag 1, the conforme again, and no second logbook row.
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_Papsmear 1, 'R2603007','P26-0400'")), 1)
        << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..Lab_Save_Conforme 'R2603007'")), 1);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603007'"), 1);
}

TEST_P(PathologySessionTest, CytologySourcesSaveAndReadBack)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true Clerk=false VerifyMode=false
open R2603008
frmCytology: expect chkResult(0) off
frmCytology: set txtHistopathNum C26-0100
frmCytology: check chkResult(0)
frmCytology: set txtResult(0) "Pleural fluid"
frmCytology: check chkResult(2)
frmCytology: set rtfGross "Reactive mesothelial cells"
frmCytology: type rtfDiagnosis "Negative for malignant cells"
frmCytology: click cmdPrint
frmMedTech: expect-enabled txtVerified no
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
open R2603008
frmCytology: expect chkResult(0) on
frmCytology: expect txtResult(0) "Pleural fluid"
frmCytology: expect chkResult(1) off
frmCytology: expect chkResult(2) on
frmCytology: expect txtResult(2) ""
frmCytology: click cmdExam
)").arg(pdfPath("cytology.pdf")))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral(
        "SQL  Laboratory..Lab_Save_Cytology 0, 'R2603008','C26-0100','','', 'Reactive mesothelial cells', "
        "'Negative for malignant cells', '1|Pleural fluid', '0|', '1|', '03/07/2026 02:05 PM', '1002', '1010', ")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults 'R2603008','0101'")));
    const QString report = pdfText(pdfPath("cytology.pdf"));
    EXPECT_TRUE(report.contains(QStringLiteral("CYTOLOGY REPORT"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Pleural fluid")));
}

INSTANTIATE_TEST_SUITE_P(Backends, PathologySessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
