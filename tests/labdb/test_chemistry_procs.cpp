// The server side of the exams with normal values: result formats, normal values by reagent, age
// band and sex, the analyser results, the scalar functions called inside a Select, and the save and
// load of result rows, driven through the command texts the screen sends.

#include "support/dbfixture.h"

#include <labdb/schema.h>

using labdb::CommandText;
using labdb::DbError;
using labdb::ResultSet;

namespace {

class ChemistryProcsTest : public testsupport::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        if (session)
            labdb::loadDemoData(driver());
    }

    void saveToLogbook(const std::string &requestNum)
    {
        run("Laboratory..Lab_ResultEntryDLL_SaveToLogbook '" + requestNum +
            "', '', '0102','03/07/2026 2:05:00 PM', '03/07/2026 2:45:00 PM','ACC-1'");
    }

    // One result row as the screen sends it, every value bound.
    struct Row {
        std::string request, code, sResult, sNValue = "3.9-6.1", sUnit = "mmol/L", sMin = "3.9", sMax = "6.1";
        std::string cResult = "", cNValue = "70-110", cUnit = "mg/dL", cMin = "70", cMax = "110", factor = "0.0555";
        std::string formType = "1", rowNo = "1", accession = "ACC-1", remarks = "", method = "", verified = "N";
    };
    void saveRow(const Row &r)
    {
        CommandText c("Lab_FormMaker_SaveResultWithNormalValues '");
        c.value(r.request).fixed("', '").value(r.code).fixed("', '").value(r.sResult).fixed("', '").value(r.sNValue);
        c.fixed("' , '").value(r.sUnit).fixed("', '").value(r.sMin).fixed("', '").value(r.sMax).fixed("', '");
        c.value(r.cResult).fixed("', '").value(r.cNValue).fixed("', '").value(r.cUnit).fixed("', '").value(r.cMin);
        c.fixed("', '").value(r.cMax).fixed("', '").value(r.factor).fixed("', '").value(r.formType).fixed("', '");
        c.value(r.rowNo).fixed("', '").value(r.accession).fixed("','").value(r.remarks);
        c.fixed("', '3/7/2026 2:05:00 PM', '3/7/2026 2:10:00 PM', '', '0102', '").value(r.verified).fixed("', '");
        c.value(r.method).fixed("', '3/7/2026 2:45:00 PM'");
        run(c);
    }
    ResultSet stored(const std::string &requestNum)
    {
        return run("LABORATORY..Lab_FormMaker_GetResult_ReagentValues  '" + requestNum + "'");
    }
    std::string scalar(const std::string &select)
    {
        const ResultSet rs = run(select);
        return rs.rows.size() == 1 && rs.rows[0].size() == 1 ? cell(rs, 0, rs.columns.at(0)) : "<shape>";
    }
};

TEST_P(ChemistryProcsTest, ScalarFunctionsAnswerInsideASelect)
{
    EXPECT_EQ(scalar("Select Laboratory.dbo.fn_LabIsAgeNValueFormat('138') as IsAge"), "1");
    EXPECT_EQ(scalar("Select Laboratory.dbo.fn_LabIsAgeNValueFormat('136') as IsAge"), "0");
    EXPECT_EQ(scalar("Select Laboratory.dbo.fn_LabIsReagentNValueFormat('136') as IsReagent"), "1");
    EXPECT_EQ(scalar("Select Laboratory.dbo.fn_LabIsReagentNValueFormat('150') as IsReagent"), "1");
    EXPECT_EQ(scalar("Select Laboratory.dbo.fn_LabIsReagentNValueFormat('139') as IsReagent"), "0");
    // The argument is a bound value like any other.
    CommandText hostile("Select Laboratory.dbo.fn_LabIsAgeNValueFormat('");
    hostile.value(std::string("138') OR 1=1; DELETE FROM laboratory.tbLabAgeBand; --")).fixed("') as IsAge");
    EXPECT_EQ(run(hostile).rows.at(0).at(0).value_or("<NULL>"), "0");
    EXPECT_GT(count("select count(*) from Laboratory..tbLabAgeBand"), 0);

    const auto kindOf = [&](const std::string &cmd) {
        try {
            run(cmd);
        } catch (const DbError &e) {
            return e.kind();
        }
        return DbError::Kind::General;
    };
    EXPECT_EQ(kindOf("Select Laboratory.dbo.fn_LabIsAgeNValueFormat('138', '2') as IsAge"),
              DbError::Kind::ArgumentCount);
    EXPECT_EQ(kindOf("Select Laboratory.dbo.fn_LabIsAgeNValueFormat() as IsAge"), DbError::Kind::ArgumentCount);
    EXPECT_EQ(kindOf("Select Laboratory.dbo.fn_NoSuchFunction('138') as X"), DbError::Kind::UnknownProcedure);
}

TEST_P(ChemistryProcsTest, ResultFormatGivesAPanelItsRowsInOrder)
{
    const ResultSet rs = run("Lab_FormMaker_FillReagentValues 'R2603033','1'");
    ASSERT_EQ(rs.rows.size(), 2u);
    EXPECT_EQ(cell(rs, 0, "code"), "138");
    EXPECT_EQ(cell(rs, 1, "code"), "1");
    EXPECT_EQ(cell(rs, 1, "Exam"), "CREATININE CLEARANCE");
    EXPECT_EQ(cell(rs, 0, "RequestNum"), "R2603033");
    EXPECT_EQ(cell(rs, 0, "CMin"), "0.6");
    EXPECT_EQ(cell(rs, 0, "Factor"), "88.4");
    // An exam the laboratory never formatted still gets a row to enter its result in.
    run("Update Laboratory..tbLabMaster Set ExamCode = '137' Where RequestNum = 'R2603033'");
    run("Delete From Laboratory..tbLabResultFormat Where ExamCode = '137'");
    const ResultSet bare = run("Lab_FormMaker_FillReagentValues 'R2603033','0'");
    ASSERT_EQ(bare.rows.size(), 1u);
    EXPECT_EQ(cell(bare, 0, "Exam"), "BLOOD UREA NITROGEN");
    EXPECT_EQ(cell(bare, 0, "sNValue"), "");
    EXPECT_THROW(run("Lab_FormMaker_FillReagentValues 'NO-SUCH','0'"), DbError);
}

TEST_P(ChemistryProcsTest, NormalValuesByAgeBandAndByReagent)
{
    const ResultSet bands = run("Lab_BF_GetAgeNValues '138', ''");
    ASSERT_EQ(bands.rows.size(), 4u);
    EXPECT_EQ(cell(bands, 0, "Age"), "NEWBORN (0 - 30 DAYS)");
    EXPECT_EQ(cell(bands, 3, "Age"), "ADULT");
    // Bands count from 1.
    const ResultSet child = run("Lab_BF_GetAgeNValues '138', '3'");
    ASSERT_EQ(child.rows.size(), 1u);
    EXPECT_EQ(cell(child, 0, "RangeValue"), "27 - 62");
    EXPECT_EQ(cell(child, 0, "CMaxValue"), "0.7");
    EXPECT_EQ(cell(child, 0, "ConversionFactor"), "88.4");
    EXPECT_TRUE(run("Lab_BF_GetAgeNValues '138', '9'").rows.empty());
    EXPECT_THROW(run("Lab_BF_GetAgeNValues '138', 'ADULT'"), DbError);

    const ResultSet methods = run("Lab_BF_SearchReagentNValues '136'");
    ASSERT_EQ(methods.rows.size(), 2u);
    EXPECT_EQ(cell(methods, 0, "Reagent"), "GLUCOSE - MANUAL (GOD-PAP)");
    EXPECT_EQ(cell(methods, 0, "ReagentCode"), "R0202");
    const ResultSet uric = run("Lab_BF_GetReagentNValues '150', 'R0601'");
    ASSERT_EQ(uric.rows.size(), 1u);
    EXPECT_EQ(cell(uric, 0, "Maleminvalue") + "-" + cell(uric, 0, "MaleMaxVAlue"), "202-416");
    EXPECT_EQ(cell(uric, 0, "feMaleminvalue") + "-" + cell(uric, 0, "feMaleMaxVAlue"), "143-339");
    EXPECT_TRUE(run("Lab_BF_GetReagentNValues '150', 'R0201'").rows.empty());
    // The method and band a format type starts with.
    EXPECT_EQ(cell(run("Lab_GetReagentCode '1'"), 0, "ReagentCode"), "R0201");
    EXPECT_TRUE(run("Lab_GetReagentCode 'Y'").rows.empty());
    EXPECT_TRUE(run("Lab_GetAgeCode '8'").rows.empty());
}

TEST_P(ChemistryProcsTest, AnalyserResultsWaitingForASample)
{
    EXPECT_EQ(cell(run("LABORATORY..Count_VitrosResult  'UP-0220','TP'"), 0, "Number"), "2");
    EXPECT_EQ(cell(run("LABORATORY..Count_VitrosResult  'F-0311',''"), 0, "Number"), "1");
    EXPECT_EQ(cell(run("LABORATORY..Count_VitrosResult  'NONE',''"), 0, "Number"), "0");
    // The latest of repeated runs.
    EXPECT_EQ(cell(run("LABORATORY..get_Vitros_result_per_exam  'UP-0220','TP'"), 0, "sResult"), "0.27");
    EXPECT_TRUE(run("LABORATORY..get_Vitros_result_per_exam  'UP-0220','Crea'").rows.empty());

    const ResultSet glucose = run("LABORATORY..Lab_getInstrumentResult  'F-0311' , 'R2603031','1'");
    ASSERT_EQ(glucose.rows.size(), 1u);
    EXPECT_EQ(cell(glucose, 0, "code"), "136");
    EXPECT_EQ(cell(glucose, 0, "sResult"), "6.8");
    EXPECT_EQ(cell(glucose, 0, "CResult"), "122.52"); // 6.8 / 0.0555
    EXPECT_EQ(cell(glucose, 0, "sMax"), "6.1");
    EXPECT_TRUE(run("LABORATORY..Lab_getInstrumentResult  'NONE' , 'R2603031','1'").rows.empty());

    // The analyser's reagent decides the range; only "F" is female to an analyser.
    const ResultSet values = run("Lab_FormMaker_FillInstrumentValues 'R2603031','VIT250','1'");
    ASSERT_EQ(values.rows.size(), 1u);
    EXPECT_EQ(cell(values, 0, "sNValue"), "3.89-5.83");
    EXPECT_THROW(run("Lab_FormMaker_FillInstrumentValues 'R2603031','NOPE','1'"), DbError);
}

TEST_P(ChemistryProcsTest, SavedRowsReadBackByteForByteWithTheHeader)
{
    saveToLogbook("R2603031");
    const std::string remarks = "Lipemic; re-run -- O`Brien \\ Señora Ñiño " + std::string(3950, 'r');
    Row r{"R2603031", "136", "7.2`"};
    r.cResult = "129.73";
    r.remarks = remarks;
    r.method = "GLUCOSE - MANUAL (GOD-PAP)";
    r.sNValue = "4.10-5.90; -- \\x";
    r.verified = "Y";
    saveRow(r);

    const ResultSet rs = stored("R2603031");
    ASSERT_EQ(rs.rows.size(), 1u);
    EXPECT_EQ(cell(rs, 0, "RequestNum"), "R2603031");
    EXPECT_EQ(cell(rs, 0, "ExamCode"), "136");
    EXPECT_EQ(cell(rs, 0, "ExamName"), "FASTING BLOOD SUGAR");
    EXPECT_EQ(cell(rs, 0, "sResult"), "7.2`");
    EXPECT_EQ(cell(rs, 0, "sNValues"), "4.10-5.90; -- \\x");
    EXPECT_EQ(cell(rs, 0, "sUnit"), "mmol/L");
    EXPECT_EQ(cell(rs, 0, "sMin"), "3.9");
    EXPECT_EQ(cell(rs, 0, "sMax"), "6.1");
    EXPECT_EQ(cell(rs, 0, "CResult"), "129.73");
    EXPECT_EQ(cell(rs, 0, "CNValues"), "70-110");
    EXPECT_EQ(cell(rs, 0, "CUnit"), "mg/dL");
    EXPECT_EQ(cell(rs, 0, "CMin"), "70");
    EXPECT_EQ(cell(rs, 0, "CMax"), "110");
    EXPECT_EQ(cell(rs, 0, "Factor"), "0.0555");
    EXPECT_EQ(cell(rs, 0, "FormType"), "1");
    EXPECT_EQ(cell(rs, 0, "AccessionNum"), "ACC-1");
    // The header fields went to the logbook, where the stored header reads them.
    const ResultSet header = run("Select * from Laboratory..tbLabLogbook where RequestNum = 'R2603031'");
    EXPECT_EQ(cell(header, 0, "Remarks"), remarks);
    EXPECT_EQ(cell(header, 0, "Method"), "GLUCOSE - MANUAL (GOD-PAP)");

    // A later save overwrites the row; the flag follows the new result.
    r.sResult = "3.1";
    saveRow(r);
    EXPECT_EQ(count("select count(*) from Laboratory..tbLabResultNValues where RequestNum = 'R2603031'"), 1);
    EXPECT_EQ(cell(stored("R2603031"), 0, "sResult"), "3.1");
    EXPECT_EQ(cell(stored("R2603031"), 0, "Flag"), "L");
}

TEST_P(ChemistryProcsTest, AStoredResultKeepsTheRangeItWasJudgedBy)
{
    saveToLogbook("R2603045");
    Row r{"R2603045", "150", "400"};
    r.sNValue = "143-339";
    r.sMin = "143";
    r.sMax = "339";
    r.factor = "59.48";
    saveRow(r);
    EXPECT_EQ(cell(stored("R2603045"), 0, "Flag"), "H");
    // The laboratory widens the range afterwards.
    run("Update Laboratory..tbLabReagentSexNValues Set feMaleMaxVAlue = '450' Where ExamCode = '150'");
    run("Update Laboratory..tbLabResultFormat Set sNValue = '143-450', sMax = '450' Where Code = '150'");
    const ResultSet rs = stored("R2603045");
    EXPECT_EQ(cell(rs, 0, "sNValues"), "143-339");
    EXPECT_EQ(cell(rs, 0, "sMax"), "339");
    EXPECT_EQ(cell(rs, 0, "Flag"), "H");
}

TEST_P(ChemistryProcsTest, SaveRefusesBadRowsWithoutWriting)
{
    // No logbook row yet: the save must not leave a result behind.
    EXPECT_THROW(saveRow(Row{"R2603031", "136", "5.0"}), DbError);
    saveToLogbook("R2603031");
    Row noCode{"R2603031", "", "5.0"};
    EXPECT_THROW(saveRow(noCode), DbError);
    Row badRow{"R2603031", "136", "5.0"};
    badRow.rowNo = "first";
    EXPECT_THROW(saveRow(badRow), DbError);
    Row badFlag{"R2603031", "136", "5.0"};
    badFlag.verified = "yes";
    EXPECT_THROW(saveRow(badFlag), DbError);
    EXPECT_EQ(count("select count(*) from Laboratory..tbLabResultNValues where RequestNum = 'R2603031'"), 0);
    try {
        run("Lab_FormMaker_SaveResultWithNormalValues 'R2603031', '136', '5.0'");
        FAIL() << "a save with three arguments ran";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbError::Kind::ArgumentCount);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ChemistryProcsTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
