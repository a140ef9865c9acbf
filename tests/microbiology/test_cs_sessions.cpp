// Culture and sensitivity end to end on both backends: opened through clsResultEntry by scripted
// sessions, the antibiotic table typed as a technologist types it, saved, signed off and printed.

#include "e2e/scriptedsession.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// Rows of the antibiotic table of a new culture: the active antibiotics by description.
constexpr int kAmikacin = 1;
constexpr int kAmpicillin = 3;
constexpr int kCeftriaxone = 8;
constexpr int kCiprofloxacin = 10;
constexpr int kGentamicin = 13;
constexpr int kVancomycin = 24; // the last row

class CSSessionTest : public e2e::ScriptedSessionTest {
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
    static QString pdfText(const QString &pdf)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            return {};
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    static QString cell(int row, int column) { return QStringLiteral("grdTable(%1,%2)").arg(row).arg(column); }
    std::string code(const char *request, const char *antibiotic, int organism)
    {
        return value(std::string("select Result || '/' || Zone from laboratory..tbLabResultCSCodes where RequestNum = '") +
                     request + "' and Code = '" + antibiotic + "' and OrganismNo = '" + std::to_string(organism) + "'");
    }

    // A first sputum culture by med tech 0101: one organism, two antibiotics, signed off and printed.
    QString firstCulture() const
    {
        return QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603803
frmCS: expect-enabled cmdPrint no
frmCS: expect optFinal(1) on
frmCS: expect-enabled fraFinalResult yes
frmCS: expect dtInoculation 03/07/2026
frmCS: expect grdTable(0,3) 1
frmCS: expect grdTable(0,4) "   ZI"
frmCS: expect grdTable(1,2) Amikacin
frmCS: expect grdTable(24,2) Vancomycin
frmCS: set dtReportDate 03/07/2026
frmCS: set dtReportTime "02:30 PM"
frmCS: set txtAccNum MB-1001
frmCS: type rtfSpecimen "Sputum, patient's own"
frmCS: set TxtMethod Kirby-Bauer
frmCS: set txtColonyCount Moderate
frmCS: set txtOrg(0) "Klebsiella pneumoniae"
frmCS: type rtfOrganism "Moderate growth"
frmCS: tab sstbCS 1
frmCS: type grdTable(10,3) s
frmCS: key txtInput Right
frmCS: type txtInput 25
frmCS: type grdTable(3,3) r
frmCS: key txtInput Esc
frmCS: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: check optPaperSize(1)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)s")
            .arg(pdfPath("cs-first.pdf"));
    }
};

TEST_P(CSSessionTest, FirstSaveSendsTheExactCommandsInOrder)
{
    ASSERT_TRUE(play(firstCulture())) << log.toStdString();
    const QStringList expected{
        QStringLiteral("SQL  Lab_FormMaker_GetResult 'R2603803'"),
        QStringLiteral("SQL  Select * from Laboratory..tbLabResultCS Where RequestNum = 'R2603803'"),
        QStringLiteral("SQL  Select getdate() as DateToday"),
        QStringLiteral("SQL  Select Code,Description from Build_File..tbCoAntibiotic Where Status = 'A' order by description"),
        QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603803', '', '0101','3/7/2026 2:05:00 PM', "
                       "'3/7/2026 2:05:00 PM','MB-1001'"),
        QStringLiteral("SQL  Laboratory..Lab_Save_CSCodes 'R2603803', 'AMP', 'R','1', ''"),
        QStringLiteral("SQL  Laboratory..Lab_Save_CSCodes 'R2603803', 'CIP', 'S','1', '25'"),
        QStringLiteral("SQL  Laboratory..Lab_Save_CSResult '0', 'R2603803','03/07/2026 02:30 PM', 'Sputum, patient`s own', "
                       "'Moderate growth', '03/07/2026','', '', '','MB-1001', '3/7/2026 2:05:00 PM', '3/7/2026 2:05:00 PM', "
                       "'Moderate', 'Klebsiella pneumoniae', '', '', '', 'Kirby-Bauer', '03/07/2026 02:05 PM'"),
    };
    const QStringList sent = linesLogged(QStringLiteral("SQL  "));
    int last = -1;
    for (const QString &line : expected) {
        const int at = static_cast<int>(sent.indexOf(line));
        EXPECT_GT(at, last) << line.toStdString() << "\n" << log.toStdString();
        last = std::max(last, at);
    }
    // No delete on a first save; the verification only when verifying.
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Delete_CSCodes")), 0);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  laboratory..LAB_Save_VerifyResults")), 0);

    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603803'"), 1);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultCSCodes where RequestNum = 'R2603803'"), 2);
    EXPECT_EQ(code("R2603803", "CIP", 1), "S/25");
    EXPECT_EQ(value("select Method from laboratory..tbLabMaster where RequestNum = 'R2603803'"), "Kirby-Bauer");
    ASSERT_GT(QFileInfo(pdfPath("cs-first.pdf")).size(), 0);
}

TEST_P(CSSessionTest, LaterSaveDeletesTheCodesFirstAndKeepsOnlyFilledCells)
{
    ASSERT_TRUE(play(firstCulture())) << log.toStdString();
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 16:30:00
session EmployeeCode=1 EmployeeName="Supervisor" CanVerify=true VerifyMode=false Clerk=false
open R2603803
frmCS: expect txtAccNum MB-1001
frmCS: expect rtfSpecimen "Sputum, patient`s own"
frmCS: expect txtOrg(0) "Klebsiella pneumoniae"
frmCS: expect TxtMethod Kirby-Bauer
frmCS: expect optFinal(1) on
frmCS: expect grdTable(3,3) R
frmCS: expect grdTable(10,3) S
frmCS: expect grdTable(10,4) 25
frmCS: tab sstbCS 1
frmCS: key grdTable(3,3) Backspace
frmCS: key txtInput Enter
frmCS: type grdTable(13,5) i
frmCS: type grdTable(13,8) 18
frmCS: key txtInput Esc
frmCS: click cmdSave
frmMedTech: click cmdFinish
frmReportViewer: close
)s"))) << log.toStdString();
    const QStringList sent = linesLogged(QStringLiteral("SQL  "));
    const int del = static_cast<int>(sent.indexOf(QStringLiteral("SQL  Laboratory..Lab_Delete_CSCodes 'R2603803'")));
    ASSERT_GE(del, 0) << log.toStdString();
    EXPECT_LT(del, sent.indexOf(QStringLiteral("SQL  Laboratory..Lab_Save_CSCodes 'R2603803', 'CIP', 'S','1', '25'")));
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_Save_CSResult '1', 'R2603803'")), 1);
    EXPECT_EQ(countLogged(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook")), 0);

    // The cleared ampicillin is gone; a zone typed for an organism without a code is not kept.
    EXPECT_EQ(code("R2603803", "AMP", 1), "<none>");
    EXPECT_EQ(code("R2603803", "GEN", 2), "I/");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultCSCodes where RequestNum = 'R2603803'"), 2);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603803'"), 1);
}

TEST_P(CSSessionTest, FailingSaveRollsBackTellsAndCloses)
{
    // A culture result stored without its logbook row: the screen's first save is refused.
    check->execute("INSERT INTO laboratory..tbLabResultCS (RequestNum, FinalResult, Specimen, ResultDate, "
                   "InoculationDate, samplesubmitted, lratime) VALUES ('R2603803', 'N', 'Sputum', '2026-03-07 08:00:00', "
                   "'2026-03-06 00:00:00', '2026-03-06 07:30:00', '2026-03-06 07:35:00')");
    const long long audits = count("select count(*) from laboratory..tbAuditTrail");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true Clerk=false VerifyMode=false
open R2603803
frmCS: set txtAccNum MB-1002
frmCS: tab sstbCS 1
frmCS: type grdTable(1,3) s
frmCS: key txtInput Esc
frmCS: click cmdSave
answer OK
)s"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved! Error: ["
                                      "Request R2603803 already has a stored culture result.] (critical)")))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("CLOSED frmCS")));
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmMedTech")), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603803'"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultCSCodes where RequestNum = 'R2603803'"), 0);
    EXPECT_EQ(value("select Specimen from laboratory..tbLabResultCS where RequestNum = 'R2603803'"), "Sputum");
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail"), audits);
}

TEST_P(CSSessionTest, FourOrganismsSaveAndReloadIntoTheirOwnColumns)
{
    // Each organism its own antibiotics and zones, typed through the editor.
    QString script = QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603803
frmCS: set txtAccNum MB-2001
frmCS: set txtOrg(0) "Pseudomonas aeruginosa"
frmCS: set txtOrg(1) "Staphylococcus aureus"
frmCS: set txtOrg(2) "Enterococcus faecalis"
frmCS: set txtOrg(3) "Proteus mirabilis"
frmCS: tab sstbCS 1
)s");
    struct Entry {
        int row, organism;
        const char *typed, *zone;
    };
    const Entry entries[] = {{kAmikacin, 1, "s", "21"},     {kCiprofloxacin, 1, "r", "14"},
                             {kVancomycin, 2, "s", "16"},   {kCiprofloxacin, 2, "i*", "17"},
                             {kAmpicillin, 3, "S", "19"},   {kGentamicin, 3, "r*", "6"},
                             {kCeftriaxone, 4, "s*", "27"}, {kCiprofloxacin, 4, "I", "19 mm"}};
    for (const Entry &e : entries) {
        const int column = 1 + 2 * e.organism;
        script += QStringLiteral("frmCS: type %1 \"%2\"\nfrmCS: key txtInput Right\nfrmCS: type txtInput \"%3\"\n"
                                 "frmCS: key txtInput Esc\n")
                      .arg(cell(e.row, column), QLatin1String(e.typed), QLatin1String(e.zone));
    }
    script += QStringLiteral("frmCS: click cmdSave\nfrmMedTech: click cmdFinish\nfrmReportViewer: close\n"
                             "open R2603803\n");
    for (const Entry &e : entries) {
        const int column = 1 + 2 * e.organism;
        script += QStringLiteral("frmCS: expect %1 \"%2\"\nfrmCS: expect %3 \"%4\"\n")
                      .arg(cell(e.row, column), QString::fromLatin1(e.typed).toUpper(), cell(e.row, column + 1),
                           QString::fromLatin1(e.zone).toUpper());
    }
    script += QStringLiteral("frmCS: expect txtOrg(3) \"Proteus mirabilis\"\n"
                             "frmCS: expect grdTable(1,5) \"\"\nfrmCS: expect grdTable(10,9) I\nfrmCS: click cmdExam\n");
    ASSERT_TRUE(play(script)) << log.toStdString();
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultCSCodes where RequestNum = 'R2603803'"), 8);
    EXPECT_EQ(code("R2603803", "CIP", 2), "I*/17");
    EXPECT_EQ(code("R2603803", "CIP", 4), "I/19 MM");
}

TEST_P(CSSessionTest, TheTableTakesOnlyCodesAndMovesAsTheKeysSay)
{
    // Keys go to the editor itself, so each lands wherever the previous key left it.
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2603803
frmCS: tab sstbCS 1
frmCS: type grdTable(5,3) "xs*q"
frmCS: expect grdTable(5,3) S*
frmCS: key txtInput Left
frmCS: type txtInput r
frmCS: expect grdTable(5,3) R
frmCS: key txtInput Up
frmCS: key txtInput Up
frmCS: key txtInput Up
frmCS: key txtInput Up
frmCS: key txtInput Up
frmCS: type txtInput "ris"
frmCS: key txtInput Enter
answer OK "Invalid entry!"
frmCS: expect-focus txtInput
frmCS: expect grdTable(1,3) RIS
frmCS: key txtInput Backspace
frmCS: key txtInput Backspace
frmCS: key txtInput Backspace
frmCS: key txtInput Enter
frmCS: type txtInput x
frmCS: expect grdTable(2,3) ""
frmCS: type txtInput s
frmCS: key txtInput Right
frmCS: key txtInput Right
frmCS: key txtInput Right
frmCS: key txtInput Right
frmCS: key txtInput Right
frmCS: key txtInput Right
frmCS: key txtInput Right
frmCS: type txtInput "o'k"
frmCS: expect grdTable(2,10) O`K
frmCS: key txtInput Right
frmCS: type txtInput i
frmCS: expect grdTable(3,3) I
frmCS: type grdTable(24,10) 5
frmCS: key txtInput Right
frmCS: type txtInput r
frmCS: key txtInput Down
frmCS: type txtInput "*"
frmCS: expect grdTable(24,3) *
frmCS: key txtInput Backspace
frmCS: type txtInput r
frmCS: key txtInput Esc
frmCS: set txtAntibiotic cEF
frmCS: key txtAntibiotic Enter
frmCS: type txtInput s
frmCS: key txtInput F3
frmCS: expect-focus txtAntibiotic
frmCS: tab sstbCS 0
frmCS: type rtfOrganism "Heavy growth"
frmCS: key rtfOrganism F6
frmCS: key rtfOrganism F4
frmCS: set txtAccNum MB-3001
frmCS: click cmdSave
frmMedTech: click cmdFinish
frmReportViewer: close
)s"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("MSG  [Message] Invalid entry! (information)")), 1) << log.toStdString();
    EXPECT_EQ(value("select Organism from laboratory..tbLabResultCS where RequestNum = 'R2603803'"),
              "Heavy growth\nNo growth after 5 days of incubation.\nNo growth after 48 hours of incubation.");
    // Cefazolin found by its first letters; zones typed beside no code are not kept.
    EXPECT_EQ(code("R2603803", "CZO", 1), "S/");
    EXPECT_EQ(code("R2603803", "AMC", 1), "S/");
    EXPECT_EQ(code("R2603803", "AMP", 1), "I/");
    EXPECT_EQ(code("R2603803", "VAN", 1), "R/");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultCSCodes where RequestNum = 'R2603803'"), 4);
}

TEST_P(CSSessionTest, AFinalResultStaysFinalAndAnEmptyMasterFileStillGivesARow)
{
    // The demo urine culture was released as final: only its antibiotics, "Yes" chosen for good.
    check->execute("UPDATE build_file..tbCoAntibiotic SET Status = 'I' WHERE Code = 'AMK'");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2603801
frmCS: expect optFinal(0) on
frmCS: expect-enabled fraFinalResult no
frmCS: expect grdTable(1,2) Amikacin
frmCS: expect grdTable(1,3) S
frmCS: expect grdTable(14,2) Trimethoprim-sulfamethoxazole
frmCS: expect txtColonyCount ">100,000 CFU/mL"
frmCS: expect rtfMicroscopy "Gram-negative bacilli seen. Pus cells 15-20 /hpf."
frmCS: click cmdExam
open R2603802
frmCS: expect optFinal(1) on
frmCS: expect-enabled fraFinalResult yes
frmCS: expect grdTable(1,2) Amoxicillin-clavulanate
frmCS: click cmdExam
)s"))) << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SQL  Laboratory..Lab_Get_CSCodes 'R2603801','Y'")));
    EXPECT_TRUE(logged(QStringLiteral("SQL  Laboratory..Lab_Get_CSCodes 'R2603802','N'")));

    check->execute("DELETE FROM build_file..tbCoAntibiotic");
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open R2603803
frmCS: expect grdTable(0,3) 1
frmCS: expect grdTable(1,2) ""
frmCS: expect-enabled grdTable(1,3) yes
frmCS: click cmdExam
)s"))) << log.toStdString();
}

TEST_P(CSSessionTest, EachOrganismsAntibioticsPrintUnderIt)
{
    // The demo wound culture: four organisms; oxacillin resistant in S. aureus only, clindamycin
    // tested but not to be released.
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603804
frmCS: expect txtOrg(2) "Enterococcus faecalis"
frmCS: expect grdTable(0,9) 4
frmCS: click cmdPrint
frmMedTech: check optPaperSize(1)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
open R2603804
frmCS: click cmdPrint
frmMedTech: check optPaperSize(0)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%2"
frmReportViewer: close
open R2603805
frmCS: click cmdPrint
frmMedTech: check optPaperSize(1)
frmMedTech: click cmdFinish
frmReportViewer: pdf "%3"
frmReportViewer: close
)s")
                         .arg(pdfPath("cs-whole.pdf"), pdfPath("cs-half.pdf"), pdfPath("cs-nogrowth.pdf"))))
        << log.toStdString();
    EXPECT_TRUE(logged(QStringLiteral("SHOW frmReportViewer \"Kirby - Bauer Method\""))) << log.toStdString();
    const QString whole = pdfText(pdfPath("cs-whole.pdf"));
    if (whole.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";

    // The section of each organism runs from its heading to the next one.
    const QStringList organisms{QStringLiteral("Pseudomonas aeruginosa"), QStringLiteral("Staphylococcus aureus"),
                                QStringLiteral("Enterococcus faecalis"), QStringLiteral("Proteus mirabilis")};
    QList<qsizetype> starts;
    for (int i = 0; i < organisms.size(); ++i)
        starts << whole.indexOf(QStringLiteral("Organism %1: %2").arg(i + 1).arg(organisms[i]));
    for (qsizetype at : starts)
        ASSERT_GE(at, 0) << whole.toStdString();
    const auto section = [&](int i) {
        return whole.mid(starts[i], (i + 1 < starts.size() ? starts[i + 1] : whole.size()) - starts[i]);
    };
    const QRegularExpression oxacillin(QStringLiteral("Oxacillin\\s+R\\s+9"));
    EXPECT_TRUE(section(1).contains(oxacillin)) << section(1).toStdString();
    EXPECT_FALSE(section(0).contains(QStringLiteral("Oxacillin")));
    EXPECT_TRUE(section(0).contains(QRegularExpression(QStringLiteral("Ceftazidime\\s+S\\s+21"))));
    EXPECT_TRUE(section(2).contains(QRegularExpression(QStringLiteral("Penicillin\\s+S\\s+17"))));
    EXPECT_TRUE(section(3).contains(QRegularExpression(QStringLiteral("Trimethoprim-sulfamethoxazole\\s+R\\s+9"))));
    EXPECT_FALSE(whole.contains(QStringLiteral("Clindamycin"))) << "a code marked not to be released printed";

    // The half sheet: one table, a column per organism.
    const QString half = pdfText(pdfPath("cs-half.pdf"));
    EXPECT_TRUE(half.contains(QStringLiteral("Proteus mirabilis"))) << half.toStdString();
    EXPECT_TRUE(half.contains(QRegularExpression(QStringLiteral("Oxacillin\\s+R\\s+9")))) << half.toStdString();

    const QString none = pdfText(pdfPath("cs-nogrowth.pdf"));
    EXPECT_TRUE(none.contains(QStringLiteral("No growth after 48 hours of incubation."))) << none.toStdString();
    EXPECT_FALSE(none.contains(QStringLiteral("ANTIBIOTIC"))) << none.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, CSSessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
