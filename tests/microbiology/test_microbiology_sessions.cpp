// The bacteriology report end to end on both backends: opened by name as no format code opens it,
// filled, its antibiotics chosen from the organism group's panels, saved, reloaded and printed.

#include "e2e/scriptedsession.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

class MicrobiologySessionTest : public e2e::ScriptedSessionTest {
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
        return QString::fromUtf8(p.readAllStandardOutput()).simplified();
    }
    static QString printed(const QString &button, const QString &pdf)
    {
        return QStringLiteral("frmMicrobiology: click %1\nfrmMedTech: set txtMedTech Castillo\n"
                              "frmMedTech: key txtMedTech Enter\nfrmListMedTech: click cmdSelect\n"
                              "frmMedTech: click cmdFinish\nfrmReportViewer: pdf \"%2\"\nfrmReportViewer: close\n")
            .arg(button, pdf);
    }
};

TEST_P(MicrobiologySessionTest, FirstSaveReloadAndTheReportWithSusceptibilities)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open-screen frmMicrobiology R2603807
frmMicrobiology: expect lblHeading1 Enterobacteriaceae
frmMicrobiology: expect Option1(0) on
frmMicrobiology: expect-enabled cmdPrint no
frmMicrobiology: set txtAccNum BC-0301
frmMicrobiology: check chkSpecimen(3)
frmMicrobiology: check chkTest(0)
frmMicrobiology: check chkTest(1)
frmMicrobiology: set txtSite "Right antecubital vein"
frmMicrobiology: type txtReport "Cocci in clusters, patient's first set"
frmMicrobiology: tab sstbMicro 2
frmMicrobiology: check Check1(3)
frmMicrobiology: set txtIsolate "Staphylococcus aureus"
frmMicrobiology: tab sstbMicro 3
frmMicrobiology: check Option1(1)
frmMicrobiology: expect lblHeading1 "Staphylococcus spp."
frmMicrobiology: expect lblHeading2 "Enterococcus spp."
frmMicrobiology: expect grdGroupA1(1,1) OXA
frmMicrobiology: click grdGroupA1(1,2)
frmMicrobiology: type grdGroupA1 s
frmMicrobiology: click grdGroupA1(2,2)
frmMicrobiology: type grdGroupA1 R
frmMicrobiology: click grdGroupA2(1,2)
frmMicrobiology: type grdGroupA2 I
frmMicrobiology: tab SSTab2 1
frmMicrobiology: click grdGroupB1(1,2)
frmMicrobiology: key grdGroupB1(1,2) Space
frmMicrobiology: click grdGroupB1(2,2)
frmMicrobiology: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: close
open-screen frmMicrobiology R2603807
frmMicrobiology: expect txtAccNum BC-0301
frmMicrobiology: expect chkSpecimen(3) on
frmMicrobiology: expect chkSpecimen(2) off
frmMicrobiology: expect chkTest(1) on
frmMicrobiology: expect txtReport "Cocci in clusters, patient`s first set"
frmMicrobiology: expect Check1(3) on
frmMicrobiology: expect Option1(1) on
frmMicrobiology: expect lblHeading1 "Staphylococcus spp."
frmMicrobiology: expect grdGroupA1(1,3) S
frmMicrobiology: expect grdGroupA1(2,3) R
frmMicrobiology: expect grdGroupA1(3,0) ""
frmMicrobiology: expect grdGroupA2(1,3) I
frmMicrobiology: expect grdGroupB1(1,0) ""
frmMicrobiology: expect grdGroupB1(2,3) ""
frmMicrobiology: click cmdExam
)s"))) << log.toStdString();

    const QStringList sent = linesLogged(QStringLiteral("SQL  "));
    const QStringList expected{
        QStringLiteral("SQL  DELETE FROM Laboratory..tbLABResultMicrobiology WHERE RequestNum = 'R2603807'"),
        QStringLiteral("SQL  LAB_Save_ResultMicrobiology 'R2603807', 'Staphylococcus aureus', '0|0|0|1|0|0|0|0|0|0', "
                       "'0|0|0|1|0|0|0', '1|1|0|0|0|0|0', 'Right antecubital vein', '', '', "
                       "'Cocci in clusters, patient`s first set', '0|0|0|0|0|0|0', '0|0|0|0|0|0|0', '', '', '', '', "
                       "'1', ''"),
        QStringLiteral("SQL  LABORATORY..LAB_Save_ResultMicrobiologyAdd 'R2603807', '3', 'A', 'OXA', 'S'"),
        QStringLiteral("SQL  LABORATORY..LAB_Save_ResultMicrobiologyAdd 'R2603807', '3', 'A', 'PEN', 'R'"),
        QStringLiteral("SQL  LABORATORY..LAB_Save_ResultMicrobiologyAdd 'R2603807', '4', 'A', 'AMP', 'I'"),
        QStringLiteral("SQL  LABORATORY..LAB_Save_ResultMicrobiologyAdd 'R2603807', '3', 'B', 'LNZ', ''"),
    };
    int last = static_cast<int>(sent.indexOf(QStringLiteral("SQL  Laboratory..Lab_ResultEntryDLL_SaveToLogbook "
                                                              "'R2603807', '', '0101','3/7/2026 2:05:00 PM', "
                                                              "'3/7/2026 2:05:00 PM','BC-0301'")));
    ASSERT_GE(last, 0) << log.toStdString();
    for (const QString &line : expected) {
        const int at = static_cast<int>(sent.indexOf(line));
        EXPECT_GT(at, last) << line.toStdString() << "\n" << log.toStdString();
        last = std::max(last, at);
    }
    EXPECT_EQ(countLogged(QStringLiteral("SQL  LABORATORY..LAB_Save_ResultMicrobiologyAdd")), 4);
    EXPECT_TRUE(logged(QStringLiteral("SQL  LABORATORY..Lab_GetResultMicrobiology 'R2603807','3','3','A',''")));
}

TEST_P(MicrobiologySessionTest, TheReportPrintedFollowsWhatWasSaved)
{
    // The demo blood culture has antibiotics: the report with susceptibilities.
    QString script = QStringLiteral("clock 2026-03-07 14:05:00\nsession EmployeeCode=0101 EmployeeName=Castillo "
                                    "CanVerify=true VerifyMode=false Clerk=false\n"
                                    "open-screen frmMicrobiology R2603806\n") +
                     printed(QStringLiteral("cmdPrint"), pdfPath("susceptibility.pdf"));
    // A new one with its preliminary findings only, then with the final report as well.
    script += QStringLiteral("open-screen frmMicrobiology R2603807\nfrmMicrobiology: set txtAccNum BC-0302\n"
                             "frmMicrobiology: set txtReport \"No growth after 24 hours\"\n") +
              printed(QStringLiteral("cmdSave"), pdfPath("preliminary.pdf"));
    script += QStringLiteral("open-screen frmMicrobiology R2603807\n"
                             "frmMicrobiology: set txtFinalReport \"No growth after 5 days of incubation.\"\n") +
              printed(QStringLiteral("cmdPrint"), pdfPath("final.pdf"));
    ASSERT_TRUE(play(script)) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("SHOW frmReportViewer \"Microbiology\"")), 3) << log.toStdString();

    const QString susceptibility = pdfText(pdfPath("susceptibility.pdf"));
    if (susceptibility.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(susceptibility.contains(QStringLiteral(
        "Sensitive Clindamycin, Erythromycin, Oxacillin, Trimethoprim-sulfamethoxazole, Vancomycin")))
        << susceptibility.toStdString();
    EXPECT_TRUE(susceptibility.contains(QStringLiteral("Intermediate Tetracycline")));
    EXPECT_TRUE(susceptibility.contains(QStringLiteral("Resistant Penicillin")));
    EXPECT_TRUE(susceptibility.contains(QStringLiteral("Culture Aerobic (Routine), Blood")));

    const QString preliminary = pdfText(pdfPath("preliminary.pdf"));
    EXPECT_TRUE(preliminary.contains(QStringLiteral("PRELIMINARY"))) << preliminary.toStdString();
    EXPECT_TRUE(preliminary.contains(QStringLiteral("No growth after 24 hours")));
    const QString final = pdfText(pdfPath("final.pdf"));
    EXPECT_TRUE(final.contains(QStringLiteral("FINAL"))) << final.toStdString();
    EXPECT_TRUE(final.contains(QStringLiteral("No growth after 5 days of incubation.")));
    EXPECT_FALSE(final.contains(QStringLiteral("Susceptibility")));
}

TEST_P(MicrobiologySessionTest, CultureDescriptionsAreAddedOnceAndPickedFromTheList)
{
    ASSERT_TRUE(play(QStringLiteral(R"s(
session EmployeeCode=0101 CanVerify=true VerifyMode=false Clerk=false
open-screen frmMicrobiology R2603807
frmMicrobiology: tab sstbMicro 2
frmMicrobiology: expect grdOthers(0,0) "Blood (aerobic bottle)"
frmMicrobiology: set txtSearch "Bone marrow aspirate"
frmMicrobiology: click cmdAdd
answer Yes "Do you really want to add this description"
frmMicrobiology: expect-focus txtSearch
frmMicrobiology: expect grdOthers(1,0) "Bone marrow aspirate"
frmMicrobiology: click cmdAdd
answer OK "Description already exist."
frmMicrobiology: set txtSearch "cath"
frmMicrobiology: click cmdOthers
frmMicrobiology: expect txtOthers "Catheter tip"
frmMicrobiology: click cmdExam
)s"))) << log.toStdString();
    EXPECT_EQ(count("select count(*) from laboratory..tbLab_BuildCulture where Description = 'Bone marrow aspirate'"),
              1);
    EXPECT_TRUE(logged(QStringLiteral("SQL  INSERT INTO LABORATORY..tbLab_BuildCulture ([Description]) VALUES "
                                      "('Bone marrow aspirate')")))
        << log.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, MicrobiologySessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
