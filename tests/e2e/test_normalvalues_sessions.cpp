// End to end on the normal-values screen: a glucose by method, typed, saved, signed off and printed
// as a laboratory validates it, with every command it sends.

#include "scriptedsession.h"

namespace {

class NormalValuesSessionTest : public e2e::ScriptedSessionTest {};

TEST_P(NormalValuesSessionTest, FirstSaveSendsTheseCommandsAndPrintsTheFlaggedResult)
{
    ASSERT_TRUE(play(QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false EntryMode=1
open R2603031
answer OK "Exam has more than one Item/Reagent!"
frmWithNormalValues: expect TxtMethod "GLUCOSE - VITROS 250"
frmWithNormalValues: set txtAccNum F-0311
frmWithNormalValues: choose cboReagent "GLUCOSE - VITROS 250"
frmWithNormalValues: type grdEntry(1,3) 6.8
frmWithNormalValues: key grdEntry(1,3) Enter
frmWithNormalValues: type txtRemarks "Patient's 10-hour fast"
frmWithNormalValues: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)")
                         .arg(pdfPath("fbs.pdf"))))
        << log.toStdString();
    QStringList sql;
    for (const QString &line : log.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("SQL  ")))
            sql << line.mid(5);
    }
    const QStringList saved = sql.filter(QStringLiteral("Lab_FormMaker_SaveResultWithNormalValues"));
    ASSERT_EQ(saved.size(), 1) << log.toStdString();
    EXPECT_EQ(saved[0], QStringLiteral(
                            "Lab_FormMaker_SaveResultWithNormalValues 'R2603031', '136', '6.8', '3.89-5.83' , "
                            "'mmol/L', '3.89', '5.83', '122.52', '70-110', 'mg/dL', '70', '110', '0.0555', '1', '1', "
                            "'F-0311','Patient`s 10-hour fast', '3/7/2026 2:05:00 PM', '3/7/2026 2:05:00 PM', '', "
                            "'0101', 'N', 'GLUCOSE - VITROS 250', '3/7/2026 2:05:00 PM'"));
    for (const char *command : {"LABORATORY..Lab_FormMaker_GetResult_ReagentValues  'R2603031'",
                                "Lab_FormMaker_FillReagentValues 'R2603031','1'",
                                "Select Laboratory.dbo.fn_LabIsAgeNValueFormat('136') as IsAge",
                                "Select Laboratory.dbo.fn_LabIsReagentNValueFormat('136') as IsReagent",
                                "Lab_BF_SearchReagentNValues '136'", "Lab_GetReagentCode '1'",
                                "Lab_BF_GetReagentNValues '136', 'R0201'", "sp_LabLoadExamEntry '136'"})
        EXPECT_TRUE(sql.contains(QLatin1String(command))) << command << "\n" << log.toStdString();
    EXPECT_EQ(value("select Flag from laboratory..tbLabResultNValues where RequestNum = 'R2603031'"), "H");
    EXPECT_EQ(value("select sResult from laboratory..tbLabResultNValues where RequestNum = 'R2603031'"), "6.8");
    EXPECT_GT(QFileInfo(pdfPath("fbs.pdf")).size(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, NormalValuesSessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
