// The blood bank and immunology procedures on both backends, through command texts as the
// screens send them: a crossmatch reads back into the positions and names its screen reads,
// receptor studies and ANA panels replace their one row, values come back byte for byte, and
// wrong calls are clear errors.

#include "support/dbfixture.h"

#include <labdb/command.h>
#include <labdb/schema.h>

#include <string>
#include <vector>

using labdb::CommandText;
using labdb::DbError;
using labdb::ResultSet;

namespace {

const std::vector<std::string> kAwkward{"it's", "a', 'b", "x; DROP TABLE tbLabResult --", "C:\\bank\\",
                                        "Pe\xc3\xb1" "a, Ni\xc3\xb1o", std::string(4000, 'k')};

class BloodBankDbTest : public testsupport::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        // Results are only ever stored under a request that exists.
        if (session) {
            for (const char *request : {"RX-1", "RX-2", "RA-1"})
                addRequest(request);
        }
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
    // Arguments 2 to 36 of a crossmatch save: request, submitted, LRA, sample number, then
    // "x6" .. "x36" with the awkward values among the typed fields and the dates where they go.
    static std::vector<std::string> crossmatch(const std::string &request)
    {
        std::vector<std::string> a{request, "03/07/2026 02:05 PM", "03/07/2026 02:10 PM", "BB-77"};
        for (int arg = 6; arg <= 36; ++arg)
            a.push_back("x" + std::to_string(arg));
        a[34 - 2] = "03/07/2026 03:40 PM";
        for (std::size_t i = 0; i < kAwkward.size(); ++i)
            a[(18 - 2) + i] = kAwkward[i]; // the typing and vital-sign boxes
        return a;
    }
    ResultSet stored(const std::string &request) { return run("LABORATORY..Lab_GetResultHcodes  '" + request + "'"); }
    static std::string at(const ResultSet &rs, std::size_t position)
    {
        const labdb::Value &v = rs.rows.at(0).at(position);
        return v ? *v : std::string("<NULL>");
    }
};

TEST_P(BloodBankDbTest, CrossmatchReadsBackWhereTheScreenLooks)
{
    std::vector<std::string> args = crossmatch("RX-1");
    run(call("Laboratory..Lab_Save_Crossmatching 0, ", args));

    ResultSet rs = stored("RX-1");
    ASSERT_EQ(rs.rows.size(), 1u);
    const auto arg = [&](int n) { return args[static_cast<std::size_t>(n - 2)]; };
    // Arguments 6 to 24 by position 1 to 19, 25 to 27 by position 21 to 23.
    for (int n = 6; n <= 24; ++n)
        EXPECT_EQ(at(rs, static_cast<std::size_t>(n - 5)), arg(n)) << "argument " << n;
    for (int n = 25; n <= 27; ++n)
        EXPECT_EQ(at(rs, static_cast<std::size_t>(n - 4)), arg(n)) << "argument " << n;
    // The rest by name.
    EXPECT_EQ(cell(rs, 0, "result24"), "x28");
    EXPECT_EQ(cell(rs, 0, "result25"), "x29");
    EXPECT_EQ(cell(rs, 0, "Result26"), "x30");
    EXPECT_EQ(cell(rs, 0, "result20"), "x31") << "the crossmatch result";
    EXPECT_EQ(cell(rs, 0, "result27"), "x35");
    EXPECT_EQ(cell(rs, 0, "result28"), "x36");
    EXPECT_EQ(cell(rs, 0, "AccessionNum"), "BB-77");
    EXPECT_EQ(cell(rs, 0, "samplesubmitted").substr(0, 16), "2026-03-07 14:05");
    EXPECT_EQ(cell(rs, 0, "lratime").substr(0, 16), "2026-03-07 14:10");
    EXPECT_EQ(cell(rs, 0, "DateFinished").substr(0, 16), "2026-03-07 15:40");
    // Neither the method nor the repeated blood type lands in a slot the screen reads.
    for (const char *slot : {"result29", "result30", "result31"})
        EXPECT_EQ(cell(rs, 0, slot), "<NULL>") << slot;

    // A later save replaces what it carries; a second first save is refused and changes nothing.
    args[6 - 2] = "0|1";
    args[31 - 2] = "INCOMPATIBLE";
    run(call("Laboratory..Lab_Save_Crossmatching 1,", args));
    rs = stored("RX-1");
    EXPECT_EQ(at(rs, 1), "0|1");
    EXPECT_EQ(cell(rs, 0, "result20"), "INCOMPATIBLE");
    args[31 - 2] = "COMPATIBLE";
    EXPECT_THROW(run(call("Laboratory..Lab_Save_Crossmatching 0, ", args)), DbError);
    EXPECT_EQ(cell(stored("RX-1"), 0, "result20"), "INCOMPATIBLE");
}

TEST_P(BloodBankDbTest, ReceptorStudiesKeepOneRowAndMoveTheFinishedTime)
{
    labdb::loadDemoData(driver());
    // A request in the logbook, as the screen's first save leaves it.
    run("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603005', '', '0101','3/7/2026 2:05:00 PM', "
        "'3/7/2026 2:05:00 PM','IHC-1'");
    std::vector<std::string> args{"R2603005", "IHC-1", "03/07/2026 08:00 AM", "03/07/2026 03:00 PM",
                                  "03/07/2026 03:30 PM", "03/07/2026 08:10 AM", kAwkward[1] + "\nline two"};
    for (int i = 1; i <= 9; ++i)
        args.push_back(i <= 6 ? kAwkward[static_cast<std::size_t>(i - 1)] : "r" + std::to_string(i));
    args.push_back("Grace U.  Lim, M.D.");
    const std::string save = "LAB_Save_ResultHistopath ";
    run(call(save, args));

    ResultSet rs = run("LABORATORY..Lab_GetResultHistopath  'R2603005'");
    ASSERT_EQ(rs.rows.size(), 1u);
    const std::vector<std::string> names{"SampleNum", "DateReported", "Submitted", "LRALogbook", "Specimen"};
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(rs.columns.at(i), names[i]);
    EXPECT_EQ(at(rs, 0), "IHC-1");
    EXPECT_EQ(at(rs, 1).substr(0, 16), "2026-03-07 15:30");
    EXPECT_EQ(at(rs, 2).substr(0, 16), "2026-03-07 08:00");
    EXPECT_EQ(at(rs, 3).substr(0, 16), "2026-03-07 08:10");
    EXPECT_EQ(at(rs, 4), kAwkward[1] + "\nline two");
    for (std::size_t i = 1; i <= 9; ++i)
        EXPECT_EQ(cell(rs, 0, "Result" + std::to_string(i)), args[6 + i]) << i;
    EXPECT_EQ(cell(rs, 0, "Pathologist"), "Grace U.  Lim, M.D.");

    // No flag: the second save finds the row and replaces it; the finished time follows.
    args[7] = "NEGATIVE";
    args[3] = "03/08/2026 09:00 AM";
    run(call(save, args));
    EXPECT_EQ(count("select count(*) from laboratory..tbLabReceptorResult where RequestNum = 'R2603005'"), 1);
    EXPECT_EQ(cell(run("LABORATORY..Lab_GetResultHistopath  'R2603005'"), 0, "Result1"), "NEGATIVE");
    EXPECT_EQ(cell(run("Lab_FormMaker_GetResult 'R2603005'"), 0, "DateFinished").substr(0, 16), "2026-03-08 09:00");
}

TEST_P(BloodBankDbTest, AnaPanelFifteenBoxesInTableOrder)
{
    std::vector<std::string> args{"RA-1"};
    for (int i = 0; i < 15; ++i)
        args.push_back(i < static_cast<int>(kAwkward.size()) ? kAwkward[static_cast<std::size_t>(i)]
                                                            : "ana" + std::to_string(i));
    run(call("LAB_Save_ANAPanel ", args));
    args[2] = "POSITIVE";
    run(call("LAB_Save_ANAPanel ", args));

    const ResultSet rs = run("LABORATORY..Lab_GetResultANAPanel 'RA-1'");
    ASSERT_EQ(rs.rows.size(), 1u);
    ASSERT_EQ(rs.columns.size(), 15u);
    EXPECT_EQ(rs.columns.front(), "NSubstrate");
    EXPECT_EQ(rs.columns.back(), "LEPrep");
    for (std::size_t i = 0; i < 15; ++i)
        EXPECT_EQ(at(rs, i), args[i + 1]) << rs.columns[i];
}

TEST_P(BloodBankDbTest, ListsAndWrongCallsAreClearErrors)
{
    labdb::loadDemoData(driver());
    const ResultSet lists = run("LABORATORY..Lab_Load_CrossmatchingValues '0', ''");
    ASSERT_FALSE(lists.rows.empty());
    EXPECT_EQ(cell(lists, 0, "ListNo"), "1");
    const ResultSet results = run("LABORATORY..Lab_Load_CrossmatchingValues '1', '2'");
    ASSERT_FALSE(results.rows.empty());
    EXPECT_EQ(cell(results, 0, "ResultValue"), "INCOMPATIBLE");
    EXPECT_THROW(run("LABORATORY..Lab_Load_CrossmatchingValues '3', '1'"), DbError);

    std::vector<std::string> args = crossmatch("RX-2");
    args.pop_back();
    try {
        run(call("Laboratory..Lab_Save_Crossmatching 0, ", args));
        FAIL() << "35 arguments were taken";
    } catch (const DbError &e) {
        EXPECT_NE(std::string(e.what()).find("expects 36 arguments"), std::string::npos) << e.what();
    }
    EXPECT_THROW(run(call("Laboratory..Lab_Save_Crossmatching 2, ", crossmatch("RX-2"))), DbError);
    EXPECT_THROW(run(call("LAB_Save_ANAPanel ", std::vector<std::string>(15, "a"))), DbError);
    EXPECT_THROW(run(call("LAB_Save_ResultHistopath ", std::vector<std::string>(18, "a"))), DbError);
    EXPECT_THROW(run("LABORATORY..Lab_GetResultReceptors 'R2603005'"), DbError) << "an unknown name";
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResult where RequestNum = 'RX-2'"), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, BloodBankDbTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
