// The serology procedures on both backends, through command texts as the screen sends them: each
// layout's save reads back into the fields its loader fills, values byte for byte; the Widal cells
// skip the remarks slot; formats and thresholds fall back to entry mode 0; wrong calls are errors.

#include "support/dbfixture.h"

#include <labdb/command.h>
#include <labdb/schema.h>

#include <string>
#include <vector>

using labdb::CommandText;
using labdb::DbError;
using labdb::ResultSet;

namespace {

const std::vector<std::string> kAwkward{"it's", "a', 'b", "x; DROP TABLE tbLabResult --", "C:\\lab\\",
                                        "Pe\xc3\xb1" "a, Ni\xc3\xb1o", std::string(4000, 'k')};

class SerologyDbTest : public testsupport::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        if (!db)
            return;
        labdb::loadDemoData(driver());
    }
    // "<prefix>'<a>','<b>' ... '<z>'"
    static CommandText call(const std::string &prefix, const std::vector<std::string> &args)
    {
        CommandText c(prefix + "'");
        for (std::size_t i = 0; i < args.size(); ++i) {
            c.value(args[i]);
            c.fixed(i + 1 == args.size() ? "'" : "','");
        }
        return c;
    }
    void logbook(const std::string &request)
    {
        run("Laboratory..Lab_ResultEntryDLL_SaveToLogbook '" + request +
            "', '', '0101','3/7/2026 2:05:00 PM', '3/7/2026 2:05:00 PM','S-1'");
    }
    static std::vector<std::string> cutOffRow(const std::string &request, const std::string &row,
                                              const std::string &item, const std::vector<std::string> &values)
    {
        std::vector<std::string> a{"SER-9", "03/07/2026 02:05 PM", "03/07/2026 02:10 PM", request, row, item, "5"};
        a.insert(a.end(), values.begin(), values.end()); // name, three columns, remarks
        a.insert(a.end(), {"03/07/2026 03:40 PM", "PF-7", "ELISA"});
        return a;
    }
};

TEST_P(SerologyDbTest, CutOffRowsReadBackInRowOrderAndReplaceOnResave)
{
    logbook("R2604006");
    run(call("Laboratory..Lab_SaveWithCutOff ",
             cutOffRow("R2604006", "2", "B", {kAwkward[0], kAwkward[1], kAwkward[2], kAwkward[3], kAwkward[5]})));
    run(call("Laboratory..Lab_SaveWithCutOff ", cutOffRow("R2604006", "1", "A", {"HBsAg", "REACTIVE", kAwkward[4],
                                                                                  "1.00", kAwkward[5]})));
    ResultSet rs = run("LABORATORY..Lab_GetResultWithCutOff  'R2604006'");
    ASSERT_EQ(rs.rows.size(), 2u);
    EXPECT_EQ(cell(rs, 0, "ItemID"), "A") << "row 1 first, whatever the save order";
    EXPECT_EQ(cell(rs, 0, "CutOffValue"), kAwkward[4]);
    EXPECT_EQ(cell(rs, 1, "ExamName"), kAwkward[0]);
    EXPECT_EQ(cell(rs, 1, "PatientValue"), kAwkward[1]);
    EXPECT_EQ(cell(rs, 1, "CutOffValue"), kAwkward[2]);
    EXPECT_EQ(cell(rs, 1, "Result"), kAwkward[3]);
    EXPECT_EQ(cell(rs, 1, "RequestNum"), "R2604006");
    EXPECT_EQ(cell(rs, 1, "ProfNum"), "PF-7");
    EXPECT_EQ(cell(rs, 1, "Method"), "ELISA");
    const ResultSet header = run("Lab_FormMaker_GetResult 'R2604006'");
    EXPECT_EQ(cell(header, 0, "Remarks"), kAwkward[5]);
    EXPECT_EQ(cell(header, 0, "AccessionNum"), "SER-9");
    EXPECT_EQ(cell(header, 0, "DateFinished").substr(0, 16), "2026-03-07 15:40");

    run(call("Laboratory..Lab_SaveWithCutOff ", cutOffRow("R2604006", "1", "A", {"HBsAg", "NON-REACTIVE", "", "", ""})));
    rs = run("LABORATORY..Lab_GetResultWithCutOff  'R2604006'");
    ASSERT_EQ(rs.rows.size(), 2u);
    EXPECT_EQ(cell(rs, 0, "PatientValue"), "NON-REACTIVE");
    EXPECT_EQ(cell(rs, 0, "CutOffValue"), "");
}

TEST_P(SerologyDbTest, ShortFormLinesKeepResultUnitAndTheirOwnRemark)
{
    logbook("R2603036");
    const auto line = [](const std::string &code, const std::string &result, const std::string &unit,
                         const std::string &remark, const std::string &row) {
        std::vector<std::string> a{"R2603036", "", "", code, "", result};
        a.insert(a.end(), 7, "");
        a.insert(a.end(), {"screen remarks", "SER-3", "03/07/2026 02:05 PM", "03/07/2026 02:10 PM", "",
                           "03/07/2026 03:40 PM", result + " " + unit, unit, remark, row});
        return a;
    };
    run(call("Lab_ResultEntryDLL_SaveIndividualResultEntries ", line("141B", kAwkward[1], "", kAwkward[5], "2")));
    run(call("Lab_ResultEntryDLL_SaveIndividualResultEntries ", line("141A", "NEGATIVE", kAwkward[3], kAwkward[4], "1")));
    const ResultSet rs = run("LABORATORY..Lab_FormMaker_GetResult_ShortForm  'R2603036'");
    ASSERT_EQ(rs.rows.size(), 2u);
    EXPECT_EQ(cell(rs, 0, "ExamId"), "141A");
    EXPECT_EQ(cell(rs, 0, "Exam"), "DENGUE IgG") << "the name comes from the exam's format";
    EXPECT_EQ(cell(rs, 0, "Unit"), kAwkward[3]);
    EXPECT_EQ(cell(rs, 0, "Remarks"), kAwkward[4]);
    EXPECT_EQ(cell(rs, 1, "Result"), kAwkward[1]);
    EXPECT_EQ(cell(rs, 1, "Remarks"), kAwkward[5]);
    EXPECT_EQ(cell(run("Lab_FormMaker_GetResult 'R2603036'"), 0, "Remarks"), "screen remarks");
}

TEST_P(SerologyDbTest, WidalCellsGoAroundTheRemarksSlot)
{
    logbook("R2603048");
    std::vector<std::string> args{"R2603048", "03/07/2026 02:05 PM", "03/07/2026 02:10 PM", "W-1"};
    for (int i = 1; i <= 30; ++i)
        args.push_back(i <= static_cast<int>(kAwkward.size()) ? kAwkward[static_cast<std::size_t>(i - 1)]
                                                               : "c" + std::to_string(i));
    args.insert(args.end(), {"Tube agglutination", "the remarks", "W-1", "03/07/2026 03:40 PM"});
    run(call("Lab_Save_Widal ", args));
    // No flag: a second save finds the row and replaces it.
    args[4 + 19] = "c20 again";
    run(call("Lab_Save_Widal ", args));

    const ResultSet rs = run("LABORATORY..lab_getresulthcodes 'R2603048'");
    ASSERT_EQ(rs.rows.size(), 1u);
    for (int i = 1; i <= 30; ++i) {
        const std::size_t position = static_cast<std::size_t>(i < 20 ? i : i + 1);
        const labdb::Value &v = rs.rows[0].at(position);
        EXPECT_EQ(v.value_or("<NULL>"), args[static_cast<std::size_t>(i) + 3]) << "cell " << i;
    }
    EXPECT_EQ(cell(rs, 0, "result20"), "the remarks");
    EXPECT_EQ(cell(rs, 0, "AccessionNum"), "W-1");
    EXPECT_EQ(cell(rs, 0, "lratime").substr(0, 16), "2026-03-07 14:10");
    EXPECT_EQ(cell(run("Lab_FormMaker_GetResult 'R2603048'"), 0, "Method"), "Tube agglutination");
}

TEST_P(SerologyDbTest, FormatsAndThresholdsFallBackToEveryMode)
{
    ResultSet rs = run("Lab_FormMaker_FillExams 'R2603049','2'");
    ASSERT_EQ(rs.rows.size(), 2u);
    EXPECT_EQ(cell(rs, 0, "ExamId"), "154A");
    EXPECT_EQ(cell(rs, 1, "Lab#"), "154B");
    EXPECT_EQ(cell(rs, 0, "Unit"), "S/CO");
    // An exam the laboratory never itemised is one row of its own.
    rs = run("Lab_FormMaker_FillExams 'R2603047','0'");
    ASSERT_EQ(rs.rows.size(), 1u);
    EXPECT_EQ(cell(rs, 0, "ExamId"), "152");
    run("DELETE FROM laboratory..tbLabCutOffFormat WHERE ExamCode = '152'");
    rs = run("Lab_FormMaker_FillExams 'R2603047','0'");
    ASSERT_EQ(rs.rows.size(), 1u);
    EXPECT_EQ(cell(rs, 0, "Exam"), "RPR (SYPHILIS SCREENING)");

    EXPECT_EQ(cell(run("Lab_FormMaker_ThresholdValue 'R2603049','2','154A','154A'"), 0, "TValue"), "0.90 S/CO");
    EXPECT_EQ(cell(run("Lab_FormMaker_ThresholdValue 'R2603049','2','154B','154B'"), 0, "TValue"), "1.00 S/CO")
        << "an item without a threshold of mode 2 uses mode 0";
    EXPECT_EQ(cell(run("Lab_FormMaker_ThresholdValue 'R2603049','0','154A','154A'"), 0, "TValue"), "1.00 S/CO");
    EXPECT_TRUE(run("Lab_FormMaker_ThresholdValue 'R2603049','0','','999'").rows.empty());
}

TEST_P(SerologyDbTest, WrongCallsAreClearErrorsAndChangeNothing)
{
    // Before the logbook row the result has nowhere to belong.
    EXPECT_THROW(run(call("Laboratory..Lab_SaveWithCutOff ", cutOffRow("R2604006", "1", "A", {"a", "b", "c", "d", "e"}))),
                 DbError);
    logbook("R2604006");
    EXPECT_THROW(run(call("Laboratory..Lab_SaveWithCutOff ", cutOffRow("R2604006", "x", "A", {"a", "b", "c", "d", "e"}))),
                 DbError);
    EXPECT_THROW(run(call("Laboratory..Lab_SaveWithCutOff ", cutOffRow("R2604006", "1", "", {"a", "b", "c", "d", "e"}))),
                 DbError);
    EXPECT_THROW(run(call("Lab_Save_Widal ", std::vector<std::string>(37, ""))), DbError);
    EXPECT_THROW(run("Lab_FormMaker_FillExams 'R9999999','0'"), DbError);
    EXPECT_THROW(run("Lab_FormMaker_ThresholdValue 'R2603049','x','154A','154A'"), DbError);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultCutOff where RequestNum = 'R2604006'"), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, SerologyDbTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
