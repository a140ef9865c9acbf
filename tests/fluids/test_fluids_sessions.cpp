// The body-fluid, semen, sperm-count and stone screens end to end on both backends: opened through
// clsResultEntry by scripted sessions, filled, saved, signed off and printed.

#include "e2e/scriptedsession.h"

#include "forms/fluids/frmsemenanalysis.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

class FluidsSessionTest : public e2e::ScriptedSessionTest {
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
    // The text of a printed PDF; empty when pdftotext is not at hand.
    static QString pdfText(const QString &pdf)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            return {};
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    std::string slot(const char *request, int n)
    {
        return value("select result" + std::to_string(n) + " from laboratory..tbLabResult where RequestNum = '" +
                     request + "'");
    }
    long long logbookRows(const char *request)
    {
        return count(std::string("select count(*) from laboratory..tbLabLogbook where RequestNum = '") + request + "'");
    }
    // A stored result that a first save cannot go over: the save procedure fails inside the transaction.
    void storeForeignResult(const char *request)
    {
        check->execute(std::string("INSERT INTO laboratory..tbLabResult (RequestNum, AccessionNum, EmployeeCode, "
                                   "ResultDate, samplesubmitted) VALUES ('") +
                       request + "', 'X', '0102', '2026-03-07 08:00:00', '2026-03-07 07:30:00')");
    }
    void expectFailedSave(const char *request, const char *screen)
    {
        EXPECT_TRUE(logged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                          "Request %1 already has a stored result.] (critical)")
                               .arg(QLatin1String(request))))
            << log.toStdString();
        EXPECT_TRUE(logged(QStringLiteral("CLOSED %1").arg(QLatin1String(screen)))) << log.toStdString();
        EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
        EXPECT_EQ(logbookRows(request), 0);
        EXPECT_EQ(slot(request, 1), "<none>");
    }
};

// ---- body fluid ---------------------------------------------------------------------------------

TEST_P(FluidsSessionTest, BodyFluidFirstSaveSendsTheExactCommandsAndPrints)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2604302
frmBodyFluid: expect-enabled cmdPrint no
frmBodyFluid: expect-enabled cmdVerify no
frmBodyFluid: expect dtLRATime 02:05 PM
frmBodyFluid: expect txtNValue(2) "Clear, pale yellow"
frmBodyFluid: expect txtNValue(13) "Less than 200 U/L"
frmBodyFluid: expect txtNValue(0) ""
frmBodyFluid: expect-visible txtResult(13) yes
frmBodyFluid: set txtAccNum BF-9
frmBodyFluid: set txtResult(0) "09:40 AM"
frmBodyFluid: set txtResult(2) "Cloudy, straw"
frmBodyFluid: set txtResult(8) "2,400 /uL"
frmBodyFluid: key txtResult(8) Enter
frmBodyFluid: expect-focus txtNValue(8)
frmBodyFluid: set txtNValue(5) "Less than 1.016; check"
frmBodyFluid: set txtResult(13) "812 U/L"
frmBodyFluid: type txtRemarks "Exudate; O'Neil's criteria"
frmBodyFluid: set TxtMethod "Manual count"
frmBodyFluid: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s")
                         .arg(pdfPath("bodyfluid.pdf"))))
        << log.toStdString();

    const QStringList sent = linesLogged(QStringLiteral("SQL  "));
    const QString firstReference = QStringLiteral("SQL  LABORATORY..Lab_Load_BodyFluidValues '1', '0',''");
    const QString lastReference = QStringLiteral("SQL  LABORATORY..Lab_Load_BodyFluidValues '1', '13',''");
    const QString load = QStringLiteral("SQL  LABORATORY..lab_getresulthcodes 'R2604302'");
    const QString save = QStringLiteral(
        "SQL  Laboratory..Lab_Save_BodyFluids 0, 'R2604302','03/07/2026 02:05 PM','03/07/2026 02:05 PM','BF-9',"
        "'09:40 AM','','Cloudy, straw','','','','','','2,400 /uL','','','','','812 U/L',"
        "'','','Clear, pale yellow','Clear','7.60 - 7.64','Less than 1.016; check','Less than 1,000 /uL',"
        "'Less than 10,000 /uL','Less than 1,000 /uL','Less than 50%','Less than 25%','Less than 3.0 g/dL',"
        "'60 - 100 mg/dL (as serum)','Less than 200 U/L','Exudate; O`Neil`s criteria','Manual count',"
        "'03/07/2026 02:05 PM'");
    for (const QString &line : {firstReference, lastReference, load, save})
        EXPECT_TRUE(sent.contains(line)) << line.toStdString() << "\n" << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  LABORATORY..Lab_Load_BodyFluidValues")), 14);
    EXPECT_LT(sent.indexOf(lastReference), sent.indexOf(load));
    EXPECT_LT(sent.indexOf(load), sent.indexOf(save));
    EXPECT_TRUE(logged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2604302', '', '0101',"
                                      "'3/7/2026 2:05:00 PM', '3/7/2026 2:05:00 PM','BF-9'")))
        << log.toStdString();
    // The body-fluid screen only looks the logbook up; the sign-off records the verifier.
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);

    EXPECT_EQ(logbookRows("R2604302"), 1);
    EXPECT_EQ(slot("R2604302", 14), "812 U/L");
    EXPECT_EQ(slot("R2604302", 20), "Exudate; O`Neil`s criteria");
    EXPECT_EQ(value("select Method from laboratory..tbLabMaster where RequestNum = 'R2604302'"), "Manual count");

    ASSERT_GT(QFileInfo(pdfPath("bodyfluid.pdf")).size(), 0);
    const QString text = pdfText(pdfPath("bodyfluid.pdf"));
    if (!text.isEmpty()) {
        for (const char *printed : {"BODY FLUID ANALYSIS", "REFERENCE VALUE", "812 U/L", "Less than 200 U/L",
                                    "Less than 1.016; check", "Cloudy, straw", "Exudate; O`Neil`s criteria"})
            EXPECT_TRUE(text.contains(QLatin1String(printed))) << printed << "\n" << text.toStdString();
    }
}

// The sixth reference value and the remarks share no place: each reads back into its own box.
TEST_P(FluidsSessionTest, BodyFluidLaterSaveReadsEveryBoxBackAndSavesOverIt)
{
    QString first = QStringLiteral(R"s(
clock 2026-03-07 10:00:00
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2604302
frmBodyFluid: set txtAccNum BF-10
)s");
    for (int i = 0; i < 14; ++i) {
        first += QStringLiteral("frmBodyFluid: set txtResult(%1) \"r%1\"\n").arg(i);
        first += QStringLiteral("frmBodyFluid: set txtNValue(%1) \"n%1\"\n").arg(i);
    }
    first += QStringLiteral(R"s(frmBodyFluid: set txtRemarks "remarks; -- \\ ñ"
frmBodyFluid: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
)s");
    ASSERT_TRUE(play(first)) << log.toStdString();

    QString second = QStringLiteral(R"s(
clock 2026-03-07 16:30:00
session EmployeeCode=1 EmployeeName="Supervisor"
open R2604302
frmBodyFluid: expect txtAccNum BF-10
frmBodyFluid: expect-enabled cmdPrint yes
frmBodyFluid: expect dtSubmittedTime 10:00 AM
)s");
    for (int i = 0; i < 14; ++i) {
        second += QStringLiteral("frmBodyFluid: expect txtResult(%1) \"r%1\"\n").arg(i);
        second += QStringLiteral("frmBodyFluid: expect txtNValue(%1) \"n%1\"\n").arg(i);
    }
    second += QStringLiteral(R"s(frmBodyFluid: expect txtRemarks "remarks; -- \\ ñ"
frmBodyFluid: set txtResult(13) "LDH again"
frmBodyFluid: click cmdVerify
frmMedTech: set txtVerified Navarro
frmMedTech: key txtVerified Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
)s");
    ASSERT_TRUE(play(second)) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_BodyFluids 1, 'R2604302'")), 1) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);
    EXPECT_EQ(logbookRows("R2604302"), 1);
    EXPECT_EQ(slot("R2604302", 14), "LDH again");
    EXPECT_EQ(slot("R2604302", 1), "r0");
}

TEST_P(FluidsSessionTest, BodyFluidFailingSaveRollsBackAndClosesTheScreen)
{
    storeForeignResult("R2604302");
    const long long audits = count("select count(*) from laboratory..tbAuditTrail");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2604302
frmBodyFluid: set txtAccNum BF-11
frmBodyFluid: set txtResult(0) "will not stay"
frmBodyFluid: click cmdSave
answer OK
)s"))) << log.toStdString();
    expectFailedSave("R2604302", "frmBodyFluid");
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail"), audits);
}

// A hematology bench reports appearance and cells only, and still sends all 28 values.
TEST_P(FluidsSessionTest, BodyFluidOnAHematologyBenchHidesTheChemistryRows)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 11:00:00
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2604309
frmBodyFluid: expect-visible txtResult(2) yes
frmBodyFluid: expect-visible txtResult(3) yes
frmBodyFluid: expect-visible txtResult(6) yes
frmBodyFluid: expect-visible txtResult(10) yes
frmBodyFluid: expect-visible txtResult(4) no
frmBodyFluid: expect-visible txtResult(5) no
frmBodyFluid: expect-visible txtResult(11) no
frmBodyFluid: expect-visible txtResult(13) no
frmBodyFluid: expect-visible lblRow(0) no
frmBodyFluid: expect-visible lblRow(12) no
frmBodyFluid: set txtAccNum H-1
frmBodyFluid: set txtResult(2) "Bloody"
frmBodyFluid: set txtResult(9) "64%"
frmBodyFluid: click cmdSave
frmMedTech: click FlatBttn1
open R2604302
frmBodyFluid: expect-visible txtResult(13) yes
frmBodyFluid: expect-visible lblRow(0) yes
frmBodyFluid: click cmdExam
)s"))) << log.toStdString();
    const QStringList saves = linesLogged(QStringLiteral("SQL  Laboratory..Lab_Save_BodyFluids 0, 'R2604309'"));
    ASSERT_EQ(saves.size(), 1) << log.toStdString();
    // 36 arguments: the flag, then 35 quoted values.
    EXPECT_EQ(saves[0].count(QLatin1Char('\'')), 70);
    EXPECT_EQ(slot("R2604309", 3), "Bloody");
    EXPECT_EQ(slot("R2604309", 10), "64%");
    EXPECT_EQ(slot("R2604309", 28), "Less than 200 U/L");
}

// ---- semen analysis ------------------------------------------------------------------------------

TEST_P(FluidsSessionTest, SemenReferencesFillOnlyTheBoxesThatExist)
{
    for (int n = 11; n <= 19; ++n)
        check->execute("INSERT INTO laboratory..tbLabFluidReference (ListName, Mode, Position, ResultValue) VALUES "
                       "('Semen', '1', '" + std::to_string(n) + "', 'stray " + std::to_string(n) + "')");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2604304
frmSemenAnalysis: expect txtNValue(3) "1.5 mL or more"
frmSemenAnalysis: expect txtNValue(9) "15 million/mL or more"
frmSemenAnalysis: expect txtNValue(19) "None"
frmSemenAnalysis: expect txtNValue(0) ""
frmSemenAnalysis: expect xCbo(20) ""
frmSemenAnalysis: click cmdExam
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Lab_Load_SemenValues '1','")), 20);
    EXPECT_TRUE(logged(QStringLiteral("SQL  Lab_Load_SemenValues '1','20',''")));
    EXPECT_FALSE(log.contains(QStringLiteral("stray"))) << log.toStdString();
}

// The third-hour motile share and the agglutination travel through each other's places and come
// back where they were typed.
TEST_P(FluidsSessionTest, SemenSaveAndReloadKeepEveryListInItsPlace)
{
    QString first = QStringLiteral(R"s(
clock 2026-03-07 09:05:00
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2604304
frmSemenAnalysis: expect-enabled cmdPrint no
frmSemenAnalysis: choose cboReagent "SEMEN ANALYSIS KIT"
frmSemenAnalysis: set txtAccNum SA-9
frmSemenAnalysis: choose xCbo(2) Alkaline
frmSemenAnalysis: key xCbo(9) Enter
frmSemenAnalysis: expect sstbMain "MOTILITY AND MORPHOLOGY 2"
frmSemenAnalysis: expect-focus xCbo(13)
frmSemenAnalysis: set xCbo(19) "third motile"
frmSemenAnalysis: set xCbo(20) "agglutination"
frmSemenAnalysis: set xCbo(21) "third still"
frmSemenAnalysis: set xCbo(10) "hidden box"
frmSemenAnalysis: type rtfComments "Patient's abstinence 3 days"
frmSemenAnalysis: set TxtMethod "Makler chamber"
frmSemenAnalysis: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s").arg(pdfPath("semen.pdf"));
    const long long cardsBefore = count("select count(*) from inventory..tbInvStockCard");
    ASSERT_TRUE(play(first)) << log.toStdString();
    // The kit's two items are taken from stock once, by the first save.
    const long long cards = count("select count(*) from inventory..tbInvStockCard");
    EXPECT_EQ(cards - cardsBefore, 2);
    EXPECT_TRUE(logged(QStringLiteral(
        "SQL  Laboratory..Lab_Save_SemenAnalysis 0,'R2604304','03/07/2026 09:05 AM','03/07/2026 09:05 AM','SA-9',"
        "'','','Alkaline','','','','','','','','hidden box','','','','','','','','','third motile','agglutination',"
        "'third still','','','Patient`s abstinence 3 days','Makler chamber','03/07/2026 09:05 AM'")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  LABORATORY..lab_getresulthcodes 'R2604304'")));
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);
    EXPECT_EQ(slot("R2604304", 21), "third motile");
    EXPECT_EQ(slot("R2604304", 20), "agglutination");

    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true Clerk=false VerifyMode=false
open R2604304
frmSemenAnalysis: expect xCbo(19) "third motile"
frmSemenAnalysis: expect xCbo(20) "agglutination"
frmSemenAnalysis: expect xCbo(21) "third still"
frmSemenAnalysis: expect xCbo(10) "hidden box"
frmSemenAnalysis: expect xCbo(2) Alkaline
frmSemenAnalysis: expect rtfComments "Patient`s abstinence 3 days"
frmSemenAnalysis: expect TxtMethod "Makler chamber"
frmSemenAnalysis: expect cboReagent "SEMEN ANALYSIS KIT"
frmSemenAnalysis: expect-enabled cboReagent no
frmSemenAnalysis: set xCbo(22) "40%"
frmSemenAnalysis: click cmdSave
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_SemenAnalysis 1,'R2604304'")), 1) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);
    EXPECT_EQ(logbookRows("R2604304"), 1);
    EXPECT_EQ(slot("R2604304", 23), "40%");
    EXPECT_EQ(count("select count(*) from inventory..tbInvStockCard"), cards);

    const QString text = pdfText(pdfPath("semen.pdf"));
    if (!text.isEmpty()) {
        for (const char *printed : {"SEMEN ANALYSIS", "third motile", "agglutination", "1.5 mL or more", "Alkaline"})
            EXPECT_TRUE(text.contains(QLatin1String(printed))) << printed << "\n" << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("REVISED")));
    }
}

TEST_P(FluidsSessionTest, SemenFailingSaveRollsBack)
{
    storeForeignResult("R2604304");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2604304
frmSemenAnalysis: set txtAccNum SA-10
frmSemenAnalysis: click cmdSave
answer OK
)s"))) << log.toStdString();
    expectFailedSave("R2604304", "frmSemenAnalysis");
}

// ---- sperm count --------------------------------------------------------------------------------

TEST_P(FluidsSessionTest, SpermCountWritesItsSummaryInTheSaveTransaction)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 13:20:00
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open-screen frmSpermCount R2604306
frmSpermCount: expect-enabled cmdPrint no
frmSpermCount: set txtAccNum SC-1
frmSpermCount: type txtResult(0) "O'Hara white"
frmSpermCount: key txtResult(0) Enter
frmSpermCount: expect-focus txtResult(1)
frmSpermCount: set txtResult(3) "   "
frmSpermCount: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    QStringList sent = linesLogged(QStringLiteral("SQL  "));
    const QString remove = QStringLiteral("SQL  Lab_DeleteDump_ResultSummary 'R2604306'");
    const QString logbook = QStringLiteral("SQL  Select * from Laboratory..tbLabLogbook where RequestNum = 'R2604306'");
    const QString save = QStringLiteral(
        "SQL  Laboratory..Lab_Save_SpermCount 0, 'R2604306','03/07/2026 01:20 PM','03/07/2026 01:20 PM','SC-1',"
        "'O`Hara white','','','   ','','','','','','','','','','','03/07/2026 01:20 PM'");
    const QString summary =
        QStringLiteral("SQL  Lab_SaveDump_ResultSummary 'R2604306', 'Color=O`Hara white; Remarks: ; '");
    for (const QString &line : {remove, logbook, save, summary})
        ASSERT_TRUE(sent.contains(line)) << line.toStdString() << "\n" << log.toStdString();
    // The old summary goes first, the new one after the result.
    EXPECT_LT(sent.indexOf(remove), sent.indexOf(logbook));
    EXPECT_LT(sent.indexOf(save), sent.indexOf(summary));
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);
    EXPECT_EQ(value("select Summary from laboratory..tbLabResultSummary where RequestNum = 'R2604306'"),
              "Color=O`Hara white; Remarks: ; ");

    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true Clerk=false VerifyMode=false
open-screen frmSpermCount R2604306
frmSpermCount: expect txtResult(0) "O`Hara white"
frmSpermCount: set txtResult(0) ""
frmSpermCount: set rtfComments "no sample left"
frmSpermCount: click cmdVerify
frmMedTech: set txtVerified Navarro
frmMedTech: key txtVerified Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    sent = linesLogged(QStringLiteral("SQL  "));
    const QString later = QStringLiteral("SQL  Laboratory..Lab_Save_SpermCount 1, 'R2604306'");
    const QString verify = QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults 'R2604306','1'");
    const auto at = [&](const QString &prefix) {
        for (int i = 0; i < sent.size(); ++i) {
            if (sent[i].startsWith(prefix))
                return i;
        }
        return -1;
    };
    ASSERT_GE(at(later), 0) << log.toStdString();
    // The verifying command marks the result after the summary is written.
    EXPECT_LT(at(later), at(QStringLiteral("SQL  Lab_SaveDump_ResultSummary 'R2604306'")));
    EXPECT_LT(at(QStringLiteral("SQL  Lab_SaveDump_ResultSummary 'R2604306'")), at(verify));
    EXPECT_EQ(countLogged(verify), 1);
    EXPECT_EQ(value("select Summary from laboratory..tbLabResultSummary where RequestNum = 'R2604306'"),
              "Remarks: no sample left; ");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultSummary where RequestNum = 'R2604306'"), 1);
}

TEST_P(FluidsSessionTest, SpermCountFailingSaveKeepsTheOldSummary)
{
    check->execute("INSERT INTO laboratory..tbLabResultSummary (RequestNum, Summary) VALUES ('R2604306', 'kept')");
    storeForeignResult("R2604306");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open-screen frmSpermCount R2604306
frmSpermCount: set txtAccNum SC-2
frmSpermCount: set txtResult(0) white
frmSpermCount: click cmdSave
answer OK
)s"))) << log.toStdString();
    expectFailedSave("R2604306", "frmSpermCount");
    EXPECT_EQ(value("select Summary from laboratory..tbLabResultSummary where RequestNum = 'R2604306'"), "kept");
}

// ---- stone --------------------------------------------------------------------------------------

TEST_P(FluidsSessionTest, StoneFirstAndLaterSaveWithVerification)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 15:45:00
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2604308
frmStone: set txtAccNum ST-1
frmStone: set txtValues(0) "5 x 4 mm"
frmStone: key txtValues(0) Enter
frmStone: expect-focus txtValues(1)
frmStone: choose xCbo(1) "Positive (+++)"
frmStone: choose xCbo(6) Negative
frmStone: type rtfComments "Calcium oxalate; patient's second stone"
frmStone: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s").arg(pdfPath("stone.pdf")))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral(
        "SQL  Laboratory..Lab_Save_StoneAnalysis 0, 'R2604308','03/07/2026 03:45 PM','03/07/2026 03:45 PM','ST-1',"
        "'5 x 4 mm','','','','Positive (+++)','','','','','Negative','',"
        "'Calcium oxalate; patient`s second stone','','03/07/2026 03:45 PM'")))
        << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  LABORATORY..Lab_Load_StoneValues")), 2);
    // A plain save records no verification.
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);
    EXPECT_EQ(slot("R2604308", 5), "Positive (+++)");
    EXPECT_EQ(slot("R2604308", 20), "Calcium oxalate; patient`s second stone");
    const QString text = pdfText(pdfPath("stone.pdf"));
    if (!text.isEmpty()) {
        for (const char *printed : {"URINARY STONE ANALYSIS", "5 x 4 mm", "Positive (+++)", "second stone"})
            EXPECT_TRUE(text.contains(QLatin1String(printed))) << printed << "\n" << text.toStdString();
    }

    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true Clerk=false VerifyMode=false
open R2604308
frmStone: expect txtValues(0) "5 x 4 mm"
frmStone: expect xCbo(1) "Positive (+++)"
frmStone: expect xCbo(6) Negative
frmStone: expect rtfComments "Calcium oxalate; patient`s second stone"
frmStone: choose xCbo(7) Trace
frmStone: click cmdVerify
frmMedTech: set txtVerified Navarro
frmMedTech: key txtVerified Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_StoneAnalysis 1, 'R2604308'")), 1);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults 'R2604308','1'")), 1)
        << log.toStdString();
    EXPECT_EQ(logbookRows("R2604308"), 1);
    EXPECT_EQ(slot("R2604308", 11), "Trace");
}

// Exam 106 starts from the texts the screen was laid out with; any other stone exam from blanks.
TEST_P(FluidsSessionTest, StoneListsKeepTheirLaidOutTextsOnlyForExam106)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open-screen frmStone R2603006
frmStone: expect xCbo(0) Negative
frmStone: expect xCbo(7) Negative
frmStone: click cmdExam
open R2604308
frmStone: expect xCbo(0) ""
frmStone: click cmdExam
)s"))) << log.toStdString();
}

TEST_P(FluidsSessionTest, StoneFailingSaveRollsBack)
{
    storeForeignResult("R2604308");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=true
open R2604308
frmStone: set txtAccNum ST-2
frmStone: click cmdSave
answer OK
)s"))) << log.toStdString();
    expectFailedSave("R2604308", "frmStone");
}

// ---- demo ---------------------------------------------------------------------------------------

TEST_P(FluidsSessionTest, DemoResultsOpenFilled)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true Clerk=false VerifyMode=false
open R2604301
frmBodyFluid: expect txtResult(13) "640 U/L"
frmBodyFluid: expect txtNValue(5) "Less than 1.016"
frmBodyFluid: expect-contains txtRemarks "Exudate"
frmBodyFluid: expect TxtMethod "Manual chamber count; Wright-stained cytospin"
frmBodyFluid: click cmdExam
open R2604303
frmSemenAnalysis: expect xCbo(19) "50%"
frmSemenAnalysis: expect xCbo(20) None
frmSemenAnalysis: expect xCbo(9) "68 million/mL"
frmSemenAnalysis: click cmdExam
open-screen frmSpermCount R2604305
frmSpermCount: expect txtResult(11) "5%"
frmSpermCount: click cmdExam
open R2604307
frmStone: expect xCbo(1) "Positive (+++)"
frmStone: expect txtValues(0) "8 x 6 x 5 mm, 0.21 g"
frmStone: click cmdExam
)s"))) << log.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, FluidsSessionTest, testsupport::kBothBackends, testsupport::backendName);

TEST(SemenReport, TheExamChoosesTheLayout)
{
    EXPECT_EQ(corvane::frmSemenAnalysis::reportFileFor(QStringLiteral("756")),
              QStringLiteral("LabPrint_SemenAnalysis_revised.RPT"));
    EXPECT_EQ(corvane::frmSemenAnalysis::reportFileFor(QStringLiteral("116")), QStringLiteral("LabPrint_SemenAnalysis.RPT"));
}

} // namespace
