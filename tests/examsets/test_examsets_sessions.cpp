// The exam-set screens end to end on both backends, through clsResultEntry and scripted sessions:
// a lipid profile typed line by line with its flags, saved, signed off and printed; a worked set
// reopened and saved over; the keys of a numeric line; a save that fails half way.

#include "e2e/scriptedsession.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

class ExamSetSessionTest : public e2e::ScriptedSessionTest {
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
    // The output of a poppler tool on a printed PDF, when the tool is at hand.
    static QString poppler(const char *tool, const QStringList &args)
    {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return {};
        QProcess p;
        p.start(QLatin1String(tool), args);
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    std::string stored(const char *request, const char *code, const char *column)
    {
        return value(std::string("select ") + column + " from laboratory..tbLabExamSetResult where RequestNum = '" +
                     request + "' and ExamCode = '" + code + "'");
    }
};

TEST_P(ExamSetSessionTest, FirstSaveFlagsEachLineSendsOneCommandPerLineAndPrints)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false EditMode=false
open R2604101
frmNVExams: expect-enabled cmdPrint no
frmNVExams: expect ExamEntry(1,1) "TOTAL CHOLESTEROL"
frmNVExams: expect ExamEntry(5,4) "0.10-1.00"
frmNVExams: expect ExamEntry(1,5) mmol/L
frmNVExams: set txtAccNum L-1001
frmNVExams: type ExamEntry(1,2) 5.2
frmNVExams: expect ExamEntry(1,3) ""
frmNVExams: key ExamEntry(1,2) Enter
frmNVExams: type ExamEntry(2,2) 1.71
frmNVExams: expect ExamEntry(2,3) HIGH
frmNVExams: type ExamEntry(3,2) 1.04
frmNVExams: expect ExamEntry(3,3) ""
frmNVExams: type ExamEntry(4,2) ">9.9"
frmNVExams: expect ExamEntry(4,3) ""
frmNVExams: type ExamEntry(5,2) 0.09
frmNVExams: expect ExamEntry(5,3) LOW
frmNVExams: key ExamEntry(5,2) Enter
frmNVExams: expect-focus cmdSave
frmNVExams: type txtRemarks "Patient's 12-hour fast"
frmNVExams: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: check optPaperSize(1)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s")
                             .arg(pdfPath("lipid.pdf"))))
        << log.toStdString();

    const QStringList sql = sent();
    const QString logbook = QStringLiteral(
        "Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2604101', '', '0101','3/7/2026 2:05:00 PM', "
        "'3/7/2026 2:05:00 PM','L-1001'");
    const QString batch = QStringLiteral("select BatchNum from LABORATORY..tbLabSlip");
    const QString firstLine = QStringLiteral(
        "Lab_ResultEntryDLL_SaveIndividualResultEntries 'R2604101','5.2','','151','0.00-5.20','', 'mmol/L', '0', "
        "'5.2', '', '1', '1', 'B-260307-02', '5.2 mmol/L; Remarks: Patient`s 12-hour fast', 'L-1001','03/07/2026 "
        "02:05 PM', '03/07/2026 02:05 PM','', '03/07/2026 02:05 PM'");
    // Every command from the opening to the first line saved, in order.
    QStringList expected{QStringLiteral("select * from Patient_Data..tbHospitalInfo"),
                         QStringLiteral("Lab_Get_PatientInformation 'R2604101'"),
                         QStringLiteral("Select * from BUILD_FILE..tbcoLabExamReagent Where LabExamID = '133'"),
                         QStringLiteral("Lab_ResultEntryDLL_GetExamLines 'R2604101','0'"),
                         QStringLiteral("LABORATORY..Lab_GetVerifiedMedtech 'R2604101'"),
                         QStringLiteral("LABORATORY..Lab_GetSelectedMedtech 'R2604101'"),
                         QStringLiteral("Lab_FormMaker_GetResult 'R2604101'"),
                         QStringLiteral("LABORATORY..Lab_ResultEntryDLL_GetIndividualResultEntries  'R2604101'"),
                         QStringLiteral("Select getdate() as DateToday")};
    for (const char *code : {"151", "163", "164", "165", "166"})
        expected << QStringLiteral("Select Laboratory.dbo.fn_LabIsReagentNValueFormat('%1') as IsReagent")
                        .arg(QLatin1String(code));
    expected << QStringLiteral("Select * from Laboratory..tbLabLogbook where RequestNum = 'R2604101'") << logbook
             << batch << firstLine;
    EXPECT_EQ(sql.mid(0, expected.size()), expected) << log.toStdString();
    EXPECT_EQ(sql.filter(QStringLiteral("Lab_ResultEntryDLL_SaveIndividualResultEntries")).size(), 5);

    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2604101'"), 1);
    EXPECT_EQ(value("select BatchNum from laboratory..tbLabLogbook where RequestNum = 'R2604101'"), "B-260307-02");
    EXPECT_EQ(value("select Remarks from laboratory..tbLabLogbook where RequestNum = 'R2604101'"),
              "Patient`s 12-hour fast");
    EXPECT_EQ(stored("R2604101", "163", "Flag"), "HIGH");
    EXPECT_EQ(stored("R2604101", "166", "Flag"), "LOW");
    EXPECT_EQ(stored("R2604101", "151", "Flag"), "");
    EXPECT_EQ(stored("R2604101", "165", "Result"), ">9.9");
    EXPECT_EQ(stored("R2604101", "166", "LineNo"), "5");

    const QString pdf = pdfPath("lipid.pdf");
    ASSERT_GT(QFileInfo(pdf).size(), 0);
    const QString info = poppler("pdfinfo", {pdf});
    if (!info.isEmpty()) {
        EXPECT_TRUE(info.contains(QStringLiteral("A4"))) << "whole page chosen\n" << info.toStdString();
    }
    const QString text = poppler("pdftotext", {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!text.isEmpty()) {
        for (const char *expected : {"LIPID PROFILE", "REFERENCE INTERVAL", "TRIGLYCERIDES", "1.71 HIGH", "0.09 LOW",
                                     "0.00-5.20", "L-1001", "Patient`s 12-hour fast"})
            EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n" << text.toStdString();
    }
}

TEST_P(ExamSetSessionTest, LaterSaveReadsTheStoredLinesBackAndSavesOverThem)
{
    // The worked lipid profile, reopened by a supervisor over the med tech's sign-off.
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 16:30:00
session EmployeeCode=1 EmployeeName="Supervisor" CanVerify=true VerifyMode=false Clerk=false EditMode=true
open R2604102
frmNVExams: expect txtAccNum C-0731
frmNVExams: expect ExamEntry(1,2) 6.10
frmNVExams: expect ExamEntry(1,3) HIGH
frmNVExams: expect ExamEntry(3,3) LOW
frmNVExams: expect ExamEntry(2,3) ""
frmNVExams: expect-contains txtRemarks "Fasting"
frmNVExams: set ExamEntry(1,2) 4.9
frmNVExams: expect ExamEntry(1,3) ""
frmNVExams: click cmdSave
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    const QStringList sql = sent();
    EXPECT_EQ(sql.filter(QStringLiteral("Lab_ResultEntryDLL_SaveToLogbook")).size(), 0) << log.toStdString();
    EXPECT_EQ(sql.filter(QStringLiteral("tbLabSlip")).size(), 0) << "editing keeps the batch it was run in";
    EXPECT_EQ(sql.filter(QStringLiteral("Lab_ResultEntryDLL_SaveIndividualResultEntries 'R2604102','4.9','','151'"))
                  .size(),
              1)
        << log.toStdString();
    EXPECT_EQ(count("select count(*) from laboratory..tbLabExamSetResult where RequestNum = 'R2604102'"), 5);
    EXPECT_EQ(stored("R2604102", "151", "Result"), "4.9");
    EXPECT_EQ(stored("R2604102", "151", "Flag"), "");
    EXPECT_EQ(stored("R2604102", "164", "Flag"), "LOW");
    EXPECT_EQ(value("select BatchNum from laboratory..tbLabLogbook where RequestNum = 'R2604102'"), "B-260307-01");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2604102'"), 1);
}

TEST_P(ExamSetSessionTest, NumericLinesTakeDigitsAndComparisonsTextLinesTakeCapitalsAndTheFunctionKeysTypeWords)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2604101
frmNVExams: type ExamEntry(1,2) "4a.b2.5"
frmNVExams: expect ExamEntry(1,2) 4.25
frmNVExams: type ExamEntry(2,2) "<0.1 mmol"
frmNVExams: expect ExamEntry(2,2) <0.1
frmNVExams: expect ExamEntry(2,3) ""
frmNVExams: key ExamEntry(3,2) F2
frmNVExams: expect ExamEntry(3,2) POSITIVE
frmNVExams: key ExamEntry(4,2) F1
frmNVExams: expect ExamEntry(4,2) NEGATIVE
frmNVExams: expect-focus txtEntry(4)
frmNVExams: click cmdExam
open R2604105
frmSpecificFormat: type ExamEntry(2,2) "vomited, can't"
frmSpecificFormat: expect ExamEntry(2,2) "VOMITED, CAN`T"
frmSpecificFormat: click cmdExam
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
}

TEST_P(ExamSetSessionTest, FailingSaveRollsBackEveryLineAndClosesTheScreen)
{
    // The batch slip is gone: the save fails after the logbook row was written.
    auto driver = db->connect();
    driver->run("DROP TABLE " + driver->qualify(labdb::Database::Laboratory, "tbLabSlip"), {});
    const long long audits = count("select count(*) from laboratory..tbAuditTrail");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false EditMode=false
open R2604103
frmNVExams: set txtAccNum E-2001
frmNVExams: type ExamEntry(1,2) 151
frmNVExams: click cmdSave
answer OK
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: [")), 1)
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmNVExams"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2604103'"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabExamSetResult where RequestNum = 'R2604103'"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail"), audits);
}

TEST_P(ExamSetSessionTest, SpecificFormatSavesEachTimedSampleAndPrintsThemInColumns)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false EditMode=false
open R2604105
frmSpecificFormat: expect ExamEntry(3,1) "2ND HOUR (AFTER 75 G GLUCOSE)"
frmSpecificFormat: set txtAccNum G-3001
frmSpecificFormat: type ExamEntry(1,2) 4.8
frmSpecificFormat: key ExamEntry(1,2) Enter
frmSpecificFormat: type ExamEntry(2,2) 10.4
frmSpecificFormat: expect ExamEntry(2,3) HIGH
frmSpecificFormat: type ExamEntry(3,2) 7.8
frmSpecificFormat: expect ExamEntry(3,3) ""
frmSpecificFormat: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s")
                             .arg(pdfPath("ogtt.pdf"))))
        << log.toStdString();
    // The timed samples are not numeric lines: their values go in the text slot.
    EXPECT_EQ(sent().filter(QStringLiteral("Lab_ResultEntryDLL_SaveIndividualResultEntries 'R2604105','','','171',"
                                           "'< 10.0','10.4', 'mmol/L', '0', '10.0', 'HIGH', '4', '2', 'B-260307-02',"))
                  .size(),
              1)
        << log.toStdString();
    EXPECT_EQ(stored("R2604105", "171", "Flag"), "HIGH");
    EXPECT_EQ(stored("R2604105", "172", "Result"), "7.8");

    const QString pdf = pdfPath("ogtt.pdf");
    ASSERT_GT(QFileInfo(pdf).size(), 0);
    const QString text = poppler("pdftotext", {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!text.isEmpty()) {
        for (const char *expected : {"ORAL GLUCOSE TOLERANCE TEST", "DESIRABLE", "FASTING (0 HOUR)", "10.4 HIGH",
                                     "< 7.8", "Outside the desirable value: 1ST HOUR"})
            EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n" << text.toStdString();
    }
}

TEST_P(ExamSetSessionTest, FlowCytometryAndCellCountBenchesPrintTheirOwnLayouts)
{
    // A supervisor saves the worked panel again and prints it.
    const auto reprint = [this](const char *request, const char *pdf) {
        return play(QStringLiteral(R"s(
clock 2026-03-07 16:30:00
session EmployeeCode=1 EmployeeName="Supervisor" CanVerify=true VerifyMode=false Clerk=false EditMode=true
open %1
frmNVExams: click cmdSave
frmMedTech: click cmdFinish
frmReportViewer: pdf "%2"
frmReportViewer: close
)s")
                        .arg(QLatin1String(request), pdfPath(pdf)));
    };
    ASSERT_TRUE(reprint("R2604108", "campath.pdf")) << log.toStdString();
    ASSERT_TRUE(reprint("R2604110", "csf.pdf")) << log.toStdString();
    const QString campath = poppler("pdftotext", {QStringLiteral("-layout"), pdfPath("campath.pdf"), QStringLiteral("-")});
    const QString csf = poppler("pdftotext", {QStringLiteral("-layout"), pdfPath("csf.pdf"), QStringLiteral("-")});
    ASSERT_GT(QFileInfo(pdfPath("campath.pdf")).size(), 0);
    ASSERT_GT(QFileInfo(pdfPath("csf.pdf")).size(), 0);
    if (campath.isEmpty())
        return;
    for (const char *expected : {"CD52 (CAMPATH) LYMPHOCYTE MONITORING", "Percentage of lymphocytes", "Absolute counts",
                                 "610 LOW", "cells/mm3", "B cells depleted"})
        EXPECT_TRUE(campath.contains(QLatin1String(expected))) << expected << "\n" << campath.toStdString();
    for (const char *expected :
         {"CSF CELL COUNT AND DIFFERENTIAL", "LOWER LIMIT", "42 HIGH", "Interpretation", "viral meningitis"})
        EXPECT_TRUE(csf.contains(QLatin1String(expected))) << expected << "\n" << csf.toStdString();
}

TEST_P(ExamSetSessionTest, SmearLinesAreReadInWordsFromTheFunctionKeysAndSavedAsChoices)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false EditMode=false
open R2604111
frmNVExams: expect-contains lblResult "NONE SEEN"
frmNVExams: set txtAccNum M-4001
frmNVExams: key ExamEntry(1,2) F2
frmNVExams: expect ExamEntry(1,2) "NONE SEEN"
frmNVExams: expect lblResult "NONE SEEN"
frmNVExams: expect-focus txtEntry(1)
frmNVExams: key ExamEntry(2,2) F3
frmNVExams: expect ExamEntry(2,2) POSITIVE
frmNVExams: expect-focus txtEntry(2)
frmNVExams: type ExamEntry(3,2) "1200/uL"
frmNVExams: expect ExamEntry(3,2) 1200
frmNVExams: key ExamEntry(3,2) Enter
frmNVExams: expect-focus cmdSave
frmNVExams: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s")
                             .arg(pdfPath("smear.pdf"))))
        << log.toStdString();
    const QStringList sql = sent();
    EXPECT_EQ(sql.filter(QStringLiteral("Lab_ResultEntryDLL_SaveIndividualResultEntries 'R2604111','','NONE SEEN','39',"
                                        "'NONE SEEN','', '', '', '', '', '2', '1', 'B-260307-02', 'NONE SEEN; Remarks: ', "
                                        "'M-4001',"))
                  .size(),
              1)
        << log.toStdString();
    EXPECT_EQ(sql.filter(QStringLiteral("Lab_ResultEntryDLL_SaveIndividualResultEntries 'R2604111','1200','','204',"))
                  .size(),
              1)
        << log.toStdString();
    EXPECT_EQ(stored("R2604111", "40", "Result"), "POSITIVE");
    EXPECT_EQ(stored("R2604111", "40", "ResultKind"), "C");
    EXPECT_EQ(stored("R2604111", "204", "ResultKind"), "N");

    const QString text = poppler("pdftotext", {QStringLiteral("-layout"), pdfPath("smear.pdf"), QStringLiteral("-")});
    ASSERT_GT(QFileInfo(pdfPath("smear.pdf")).size(), 0);
    if (!text.isEmpty()) {
        for (const char *expected : {"MALARIAL PARASITE, THIN FILM", "POSITIVE", "NONE SEEN", "1200"})
            EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n" << text.toStdString();
    }
}

TEST_P(ExamSetSessionTest, TheMethodChosenSetsTheRangesTheLinesAreJudgedByAndIsSavedWithThem)
{
    // Sodium's interval differs by electrode method; the first method is taken until another is chosen.
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false EditMode=false
open R2604103
frmNVExams: expect ExamEntry(1,4) "136-146"
frmNVExams: type ExamEntry(1,2) 146
frmNVExams: expect ExamEntry(1,3) ""
frmNVExams: key cboMethod Down
frmNVExams: expect ExamEntry(1,4) "135-145"
frmNVExams: expect ExamEntry(1,3) HIGH
frmNVExams: expect TxtMethod "ELECTROLYTES - INDIRECT ISE"
frmNVExams: set txtAccNum E-2002
frmNVExams: click cmdSave
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    EXPECT_EQ(sent().filter(QStringLiteral("Lab_ResultEntryDLL_SaveIndividualResultEntries 'R2604103','146','','167',"
                                           "'135-145','', 'mmol/L', '135', '145', 'HIGH',"))
                  .size(),
              1)
        << log.toStdString();
    EXPECT_EQ(sent().filter(QStringLiteral("'ELECTROLYTES - INDIRECT ISE', '03/07/2026 02:05 PM'")).size(), 3);
    EXPECT_EQ(value("select Method from laboratory..tbLabLogbook where RequestNum = 'R2604103'"),
              "ELECTROLYTES - INDIRECT ISE");
    EXPECT_EQ(stored("R2604103", "167", "MaxValue"), "145");
}

INSTANTIATE_TEST_SUITE_P(Backends, ExamSetSessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
