// The executive and panel package screens end to end on both backends: opened through
// clsResultEntry by scripted sessions, the test grid typed through its floating box, the pages
// filled, saved in one transaction, reloaded and printed.

#include "e2e/scriptedsession.h"

#include "forms/packages/frmexecutive.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

class PackagesSessionTest : public e2e::ScriptedSessionTest {
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
    static int firstStarting(const QStringList &lines, const QString &prefix)
    {
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i].startsWith(prefix))
                return i;
        }
        return -1;
    }
    static QString pdfText(const QString &pdf)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            return {};
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    long long rows(const char *table, const char *request)
    {
        return count(std::string("select count(*) from laboratory..") + table + " where RequestNum = '" + request + "'");
    }
    // The first executive save of the open request: a result typed into the grid's first two
    // rows, one field on each page.
    QString firstExecutive() const
    {
        return QStringLiteral(R"s(
clock 2026-03-07 10:15:00
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2604311 0
frmExecutive: expect-visible txtAccNum no
frmExecutive: expect-visible dtSubmitted no
frmExecutive: expect-visible dtLRADate yes
frmExecutive: expect grdTest(1,2) "Fasting Blood Sugar"
frmExecutive: expect grdTest(9,2) "SGPT (ALT)"
frmExecutive: expect-visible txtEntry no
frmExecutive: click grdTest(1,9)
frmExecutive: expect-visible txtEntry yes
frmExecutive: expect-focus txtEntry
frmExecutive: type txtEntry "105"
frmExecutive: key txtEntry Enter
frmExecutive: expect grdTest(1,9) "105"
frmExecutive: type txtEntry "14"
frmExecutive: key txtEntry Tab
frmExecutive: key txtEntry Tab
frmExecutive: expect grdTest(2,9) "14"
frmExecutive: type txtEntry "patient's own"
frmExecutive: click grdTest(3,6)
frmExecutive: expect-visible txtEntry no
frmExecutive: expect grdTest(2,11) "patient`s own"
frmExecutive: tab SSTab2 CBC
frmExecutive: set txtResult(0) "14.1 g/dL"
frmExecutive: set txtResult(15) "Slight anisocytosis"
frmExecutive: tab SSTab2 Urinalysis
frmExecutive: choose cboColor Amber
frmExecutive: choose cboProtein Trace
frmExecutive: choose cboGlucose 2+
frmExecutive: set txtUrine(15) "Midstream"
frmExecutive: tab SSTab2 Stool
frmExecutive: set txtStool(0) Brown
frmExecutive: set txtStool(14) "No parasites"
frmExecutive: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
)s");
    }
};

TEST_P(PackagesSessionTest, ExecutiveFirstSaveWritesEverySectionInOrder)
{
    ASSERT_TRUE(play(firstExecutive())) << log.toStdString();
    const QStringList lines = sent();
    const QString rowHead = QStringLiteral("LAB_Save_ResultExecutivePanel 'R2604311'");
    const QStringList expected{
        QStringLiteral("select * from tbLab_BuildUrinalysis where ResultCode = '0'"),
        QStringLiteral("select * from tbLab_BuildUrinalysis where ResultCode = '4'"),
        QStringLiteral("LABORATORY..sp_Search_ExecutivePanel '275'"),
        QStringLiteral("LABORATORY..Lab_GetResultExecutivePanel 'R2604311','275'"),
        QStringLiteral("DELETE FROM Laboratory..tbLABResultExecutivePanel WHERE RequestNum = 'R2604311'"),
        QStringLiteral("LAB_Save_ResultExecutivePanel 'R2604311','136','275','105','',''"),
        QStringLiteral("LAB_Save_ResultExecutivePanel 'R2604311','137','275','14','','patient`s own'"),
        QStringLiteral("Lab_Save_ResultExecutiveCBC 'R2604311','14.1 g/dL','','','','','','','','','','','','','',"
                       "'','Slight anisocytosis'"),
        QStringLiteral("LAB_Save_ResultExecutiveUrine 'R2604311','','Amber','','','','Trace','2+','','','','','','',"
                       "'','','','','','','','Midstream'"),
        QStringLiteral("LAB_Save_ResultExecutiveStool 'R2604311','Brown','','','','','','','','','','','','','',"
                       "'No parasites'"),
    };
    int previous = -1;
    for (const QString &line : expected) {
        const int at = lines.indexOf(line);
        ASSERT_GE(at, 0) << line.toStdString() << "\n" << log.toStdString();
        EXPECT_GT(at, previous) << line.toStdString();
        previous = at;
    }
    // The logbook row comes first, with no sample number; its times are the workstation's.
    const int logbook = firstStarting(lines, QStringLiteral("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2604311', '', '0101','"));
    ASSERT_GE(logbook, 0) << log.toStdString();
    EXPECT_TRUE(lines[logbook].endsWith(QLatin1String("M',''"))) << lines[logbook].toStdString();
    EXPECT_LT(logbook, lines.indexOf(QStringLiteral("DELETE FROM Laboratory..tbLABResultExecutivePanel WHERE RequestNum = 'R2604311'")));
    // Every row of the package is saved, also those left empty.
    EXPECT_EQ(countLogged(QStringLiteral("SQL  ") + rowHead), 9);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  select * from tbLab_BuildUrinalysis")), 4);

    EXPECT_EQ(rows("tbLABResultExecutivePanel", "R2604311"), 9);
    EXPECT_EQ(value("select Result from laboratory..tbLABResultExecutivePanel where RequestNum = 'R2604311' and "
                    "ItemCode = '136'"),
              "105");
    EXPECT_EQ(value("select HGB from laboratory..tbLabResultExecutiveCBC where RequestNum = 'R2604311'"), "14.1 g/dL");
    EXPECT_EQ(value("select Protein from laboratory..tbLabResultExecutiveUrine where RequestNum = 'R2604311'"), "Trace");
    EXPECT_EQ(value("select Remarks from laboratory..tbLabResultExecutiveStool where RequestNum = 'R2604311'"),
              "No parasites");
    EXPECT_EQ(rows("tbLabLogbook", "R2604311"), 1);
}

// A second save clears the stored rows before writing them again and reloads every page.
TEST_P(PackagesSessionTest, ExecutiveLaterSaveReloadsAndReplacesTheRows)
{
    ASSERT_TRUE(play(firstExecutive())) << log.toStdString();
    // A long remark with the characters a command text must carry untouched.
    const QString longRemark = QStringLiteral("Ova; -- none seen, ñ é. ").repeated(200).left(4000);
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=1 CanVerify=true VerifyMode=false Clerk=false
open R2604311 0
frmExecutive: expect grdTest(1,9) "105"
frmExecutive: expect grdTest(2,11) "patient`s own"
frmExecutive: expect grdTest(1,2) "Fasting Blood Sugar"
frmExecutive: expect txtResult(0) "14.1 g/dL"
frmExecutive: expect txtResult(15) "Slight anisocytosis"
frmExecutive: expect cboColor Amber
frmExecutive: expect cboProtein Trace
frmExecutive: expect cboGlucose 2+
frmExecutive: expect cboGravity ""
frmExecutive: expect txtStool(14) "No parasites"
frmExecutive: set txtStool(14) "%1"
frmExecutive: click grdTest(1,10)
frmExecutive: type txtEntry H
frmExecutive: tab SSTab2 CBC
frmExecutive: set txtResult(0) "13.9 g/dL"
frmExecutive: click cmdVerify
frmMedTech: set txtVerified Navarro
frmMedTech: key txtVerified Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
)s").arg(longRemark))) << log.toStdString();
    const QStringList lines = sent();
    EXPECT_EQ(firstStarting(lines, QStringLiteral("Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), -1);
    EXPECT_EQ(value("select Remarks from laboratory..tbLabResultExecutiveStool where RequestNum = 'R2604311'"),
              longRemark.toStdString());
    const int cleared = lines.indexOf(
        QStringLiteral("DELETE FROM Laboratory..tbLABResultExecutivePanel WHERE RequestNum = 'R2604311'"));
    ASSERT_GE(cleared, 0) << log.toStdString();
    EXPECT_LT(cleared, firstStarting(lines, QStringLiteral("LAB_Save_ResultExecutivePanel")));
    // Verifying marks the result after every section is written.
    EXPECT_LT(firstStarting(lines, QStringLiteral("LAB_Save_ResultExecutiveStool")),
              lines.indexOf(QStringLiteral("laboratory..LAB_Save_VerifyResults 'R2604311','1'")));
    EXPECT_EQ(rows("tbLABResultExecutivePanel", "R2604311"), 9);
    EXPECT_EQ(value("select Flag from laboratory..tbLABResultExecutivePanel where RequestNum = 'R2604311' and "
                    "ItemCode = '136'"),
              "H");
    EXPECT_EQ(value("select HGB from laboratory..tbLabResultExecutiveCBC where RequestNum = 'R2604311'"), "13.9 g/dL");
    EXPECT_EQ(rows("tbLabResultExecutiveCBC", "R2604311"), 1);
}

// The stool page is written last; when it fails, nothing of the package stays.
TEST_P(PackagesSessionTest, AFailureInTheLastSectionLeavesNoSectionSaved)
{
    {
        // The server refuses the stool page, the last one the save writes.
        auto driver = db->connect();
        const std::string table = driver->qualify(labdb::Database::Laboratory, "tbLabResultExecutiveStool");
        const std::string refuse = driver->qualify(labdb::Database::Laboratory, "refuse_stool");
        if (driver->backend() == labdb::Backend::Sqlite)
            driver->runScript("CREATE TRIGGER " + refuse +
                              " BEFORE INSERT ON tbLabResultExecutiveStool BEGIN SELECT RAISE(ABORT, "
                              "'The stool page was refused.'); END;");
        else
            driver->runScript("CREATE FUNCTION " + refuse +
                              "() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION 'The stool page was refused.'; END $$ "
                              "LANGUAGE plpgsql; CREATE TRIGGER refuse_stool BEFORE INSERT ON " + table +
                              " FOR EACH ROW EXECUTE FUNCTION " + refuse + "();");
    }
    QString script = firstExecutive();
    script.replace(QStringLiteral("frmMedTech: set txtMedTech Castillo\nfrmMedTech: key txtMedTech Enter\n"
                                  "frmListMedTech: click cmdSelect\nfrmMedTech: click FlatBttn1\n"),
                   QStringLiteral("answer OK\n"));
    ASSERT_TRUE(play(script)) << log.toStdString();
    EXPECT_GE(firstStarting(sent(), QStringLiteral("LAB_Save_ResultExecutiveStool")), 0) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: [")) &&
                log.contains(QStringLiteral("The stool page was refused.")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmExecutive")));
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(rows("tbLabLogbook", "R2604311"), 0);
    EXPECT_EQ(rows("tbLABResultExecutivePanel", "R2604311"), 0);
    EXPECT_EQ(rows("tbLabResultExecutiveCBC", "R2604311"), 0);
    EXPECT_EQ(rows("tbLabResultExecutiveUrine", "R2604311"), 0);
}

// A selector beyond the four packages runs no package query: the grid is empty, and the pages
// are still saved and shown again.
TEST_P(PackagesSessionTest, ExecutiveWithoutAPackageStillKeepsItsPages)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2604311 4
frmExecutive: expect-visible txtEntry no
frmExecutive: tab SSTab2 Urinalysis
frmExecutive: set txtUrine(0) "30 mL"
frmExecutive: click cmdSave
frmMedTech: click FlatBttn1
open R2604311 4
frmExecutive: expect txtUrine(0) "30 mL"
frmExecutive: click cmdExam
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SQL  LABORATORY..sp_Search_ExecutivePanel")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  LAB_Save_ResultExecutivePanel")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  DELETE FROM Laboratory..tbLABResultExecutivePanel")), 1);
}

TEST_P(PackagesSessionTest, ExecutiveReportPrintsEverySection)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2604310 0
frmExecutive: expect grdTest(5,9) "232"
frmExecutive: click cmdPrint
frmMedTech: set txtVerified Navarro
frmMedTech: key txtVerified Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s").arg(pdfPath("executive.pdf")))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  BUILD_FILE..global_SearchLABExam '275', '2'"))) << log.toStdString();
    ASSERT_GT(QFileInfo(pdfPath("executive.pdf")).size(), 0);
    const QString text = pdfText(pdfPath("executive.pdf"));
    if (!text.isEmpty()) {
        for (const char *printed : {"EXECUTIVE CHECK-UP (BASIC)", "Total Cholesterol", "232", "Borderline high",
                                    "COMPLETE BLOOD COUNT", "15.2 g/dL", "URINALYSIS", "FECALYSIS",
                                    "No ova or parasites seen"})
            EXPECT_TRUE(text.contains(QLatin1String(printed))) << printed << "\n" << text.toStdString();
    }
}

// Panel keys: Enter and Down walk the result column, Up walks back, the last row keeps the box.
TEST_P(PackagesSessionTest, PanelGridWalksTheResultColumn)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 11:30:00
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2604313
frmPanel: expect-visible lblHint yes
frmPanel: expect-visible tabCBC yes
frmPanel: expect-visible tabUrinalysis yes
frmPanel: expect grdTest(1,2) "HBsAg Screening"
frmPanel: expect-focus txtEntry
frmPanel: type txtEntry Non-reactive
frmPanel: key txtEntry Down
frmPanel: type txtEntry "B Rh positive"
frmPanel: key txtEntry Up
frmPanel: key txtEntry Up
frmPanel: expect grdTest(2,6) "B Rh positive"
frmPanel: click grdTest(5,6)
frmPanel: type txtEntry Negative
frmPanel: key txtEntry Enter
frmPanel: expect-focus txtEntry
frmPanel: click grdTest(5,9)
frmPanel: expect grdTest(5,6) Negative
frmPanel: expect-visible txtEntry no
frmPanel: tab SSTab2 CBC
frmPanel: set txtResult(20) "8 mm/hr"
frmPanel: click cmdSave
frmMedTech: click FlatBttn1
)s"))) << log.toStdString();
    const QStringList lines = sent();
    for (const QString &line :
         {QStringLiteral("LABORATORY..sp_Search_OtherPanel '122'"),
          QStringLiteral("DELETE FROM Laboratory..tbLABResultOtherPanel WHERE RequestNum = 'R2604313'"),
          QStringLiteral("LAB_Save_ResultOtherPanel 'R2604313','P09','122','Non-reactive'"),
          QStringLiteral("LAB_Save_ResultOtherPanel 'R2604313','157','122','B Rh positive'"),
          QStringLiteral("LAB_Save_ResultOtherPanel 'R2604313','P12','122','Negative'"),
          QStringLiteral("Lab_Save_ResultPanelCBC 'R2604313','','','','','','','','','','','','','','','','','','','','','8 mm/hr'")})
        EXPECT_GE(lines.indexOf(line), 0) << line.toStdString() << "\n" << log.toStdString();
    EXPECT_EQ(value("select ESR from laboratory..tbLabResultExecutiveCBC where RequestNum = 'R2604313'"), "8 mm/hr");
    EXPECT_EQ(rows("tbLABResultOtherPanel", "R2604313"), 5);
}

// A package of chemistry tests shows only its tests, and still sends the count and urinalysis.
TEST_P(PackagesSessionTest, PanelPackageWithoutCountOrUrinalysisHidesThosePages)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false ExamID=284
open R2604313
frmPanel: expect-visible tabCBC no
frmPanel: expect-visible tabUrinalysis no
frmPanel: expect grdTest(1,2) "Total Cholesterol"
frmPanel: type txtEntry 180
frmPanel: click cmdSave
frmMedTech: click FlatBttn1
session ExamID=589
open R2604312
frmPanel: expect-visible tabCBC yes
frmPanel: expect-visible tabUrinalysis no
frmPanel: click cmdExam
)s"))) << log.toStdString();
    const QStringList lines = sent();
    EXPECT_GE(lines.indexOf(QStringLiteral("LAB_Save_ResultOtherPanel 'R2604313','151','284','180'")), 0)
        << log.toStdString();
    EXPECT_GE(firstStarting(lines, QStringLiteral("Lab_Save_ResultPanelCBC 'R2604313'")), 0);
    EXPECT_GE(firstStarting(lines, QStringLiteral("LAB_Save_ResultExecutiveUrine 'R2604313'")), 0);
    EXPECT_EQ(firstStarting(lines, QStringLiteral("LAB_Save_ResultExecutiveStool")), -1);
}

INSTANTIATE_TEST_SUITE_P(Backends, PackagesSessionTest, testsupport::kBothBackends, testsupport::backendName);

TEST(ExecutivePackage, TheSelectorChoosesThePackage)
{
    using corvane::frmExecutive;
    EXPECT_EQ(frmExecutive::packageFor(0), QStringLiteral("275"));
    EXPECT_EQ(frmExecutive::packageFor(1), QStringLiteral("276"));
    EXPECT_EQ(frmExecutive::packageFor(2), QStringLiteral("271"));
    EXPECT_EQ(frmExecutive::packageFor(3), QStringLiteral("274"));
    EXPECT_TRUE(frmExecutive::packageFor(4).isEmpty());
    EXPECT_TRUE(frmExecutive::packageFor(-1).isEmpty());
}

} // namespace
