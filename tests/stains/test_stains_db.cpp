// The stain procedures on both backends, through command texts as the screens send them: what a
// save writes reads back into the same fields, byte for byte; argument counts and flags.

#include "support/dbfixture.h"

#include <labdb/command.h>
#include <labdb/schema.h>

#include <string>
#include <vector>

using labdb::CommandText;
using labdb::DbError;
using labdb::ResultSet;

namespace {

// Values no command text may bend: quotes, separators, comment marks, backslashes, accents and
// a comment of 4,000 characters.
const std::vector<std::string> kAwkward{"it's", "a','b", "x; DROP TABLE tbLabGramStain --", "C:\\smear\\",
                                        "Pe\xc3\xb1" "a, Ni\xc3\xb1o", std::string(4000, 'g')};

const std::vector<std::string> kGramStainColumns{"Specimen",    "Result",   "Pus1", "Pus2", "Epithelial1",
                                                 "Epithelial2", "Organism", "Seen", "AFB",  "Smear",
                                                 "KOH",         "Remarks"};

class StainsDbTest : public testsupport::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        // Results are only ever stored under a request that exists.
        if (session) {
            for (const char *request : {"RG-1", "RG-2", "RG-3", "RW-1", "RW-2"})
                addRequest(request);
        }
    }

    // "LAB_Save_GramStain '<request>','<v0>', ... ,'<v11>'": every separator "','".
    static CommandText gramStain(const std::string &requestNum, const std::vector<std::string> &values)
    {
        CommandText c("LAB_Save_GramStain '");
        c.value(requestNum);
        for (const std::string &v : values) {
            c.fixed("','");
            c.value(v);
        }
        c.fixed("'");
        return c;
    }
    // "<name> <flag>, '<request>','<b>', '<c>' ...": "','" after the request, "', '" after the others.
    static CommandText flagged(const char *name, int flag, const std::vector<std::string> &args)
    {
        CommandText c(std::string(name) + " " + std::to_string(flag) + ", '");
        for (std::size_t i = 0; i < args.size(); ++i) {
            c.value(args[i]);
            c.fixed(i + 1 == args.size() ? "'" : (i == 0 ? "','" : "', '"));
        }
        return c;
    }
    ResultSet stored(const std::string &requestNum) { return run("LABORATORY..Lab_GetResultHcodes  '" + requestNum + "'"); }
    static std::string at(const ResultSet &rs, std::size_t position)
    {
        const labdb::Value &v = rs.rows.at(0).at(position);
        return v ? *v : std::string("<NULL>");
    }
};

TEST_P(StainsDbTest, GramStainWritesOneRowWhateverIsThereAndReadsBackByName)
{
    std::vector<std::string> values;
    for (std::size_t i = 0; i < kGramStainColumns.size(); ++i)
        values.push_back(i < kAwkward.size() ? kAwkward[i] : "g" + std::to_string(i));
    values[1] = "GRAM POSITIVE COCCI IN PAIRS\nPUS CELLS";
    run(gramStain("RG-1", values));
    ResultSet rs = run("LABORATORY..Lab_GetResultGramStain 'RG-1'");
    ASSERT_EQ(rs.rows.size(), 1u);
    for (std::size_t i = 0; i < kGramStainColumns.size(); ++i)
        EXPECT_EQ(cell(rs, 0, kGramStainColumns[i]), values[i]) << kGramStainColumns[i];

    // The same command over a stored row replaces every box, emptied ones included.
    values[0] = "Sputum";
    values[11] = "";
    run(gramStain("RG-1 ", values));
    rs = run("LABORATORY..Lab_GetResultGramStain 'RG-1'");
    ASSERT_EQ(rs.rows.size(), 1u) << "trailing blanks name the same request";
    EXPECT_EQ(cell(rs, 0, "Specimen"), "Sputum");
    EXPECT_EQ(cell(rs, 0, "Remarks"), "");
    EXPECT_EQ(cell(rs, 0, "Result"), values[1]);
    EXPECT_TRUE(run("LABORATORY..Lab_GetResultGramStain 'RG-2'").rows.empty());
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResult"), 0) << "the shared result row stays untouched";
}

TEST_P(StainsDbTest, AfbReadsBackByPositionAndComments)
{
    // The logbook takes only requests that exist: the open AFB request of the demo.
    labdb::loadDemoData(driver());
    run("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603023', '', '0101','3/5/2026 7:30:00 AM', "
        "'3/5/2026 2:00:00 PM','AFB-1'");
    std::vector<std::string> args{"R2603023", "03/05/2026 07:30 AM", "03/05/2026 07:45 AM", "AFB-1",
                                  kAwkward[0], kAwkward[1], kAwkward[4], "+n (5 AFB)", kAwkward[5],
                                  "Ziehl-Neelsen", "03/05/2026 02:00 PM"};
    run(flagged("Laboratory..Lab_Save_AFB", 0, args));
    ResultSet rs = stored("R2603023");
    ASSERT_EQ(rs.rows.size(), 1u);
    for (std::size_t p = 1; p <= 4; ++p)
        EXPECT_EQ(at(rs, p), args[p + 3]) << p;
    EXPECT_EQ(cell(rs, 0, "result20"), kAwkward[5]);
    EXPECT_EQ(cell(rs, 0, "AccessionNum"), "AFB-1");
    EXPECT_EQ(cell(rs, 0, "samplesubmitted").substr(0, 16), "2026-03-05 07:30");
    EXPECT_EQ(cell(rs, 0, "lratime").substr(0, 16), "2026-03-05 07:45");

    // A later save replaces the results; the finished time it sends is the stored header's.
    args[7] = "1+";
    args[10] = "03/05/2026 03:15 PM";
    run(flagged("Laboratory..Lab_Save_AFB", 1, args));
    EXPECT_EQ(at(stored("R2603023"), 4), "1+");
    const ResultSet header = run("Lab_FormMaker_GetResult 'R2603023'");
    EXPECT_EQ(cell(header, 0, "DateFinished").substr(0, 16), "2026-03-05 15:15");
    EXPECT_EQ(cell(header, 0, "Method"), "Ziehl-Neelsen");
    EXPECT_THROW(run(flagged("Laboratory..Lab_Save_AFB", 0, args)), DbError) << "a second first save";
}

TEST_P(StainsDbTest, UrineWrightKeepsItsReportDateAndComments)
{
    std::vector<std::string> args{"RW-1", "03/07/2026 08:00 AM", "03/07/2026 08:10 AM", "UW-1", "Yellow",
                                  kAwkward[3], "12", "6", "82", "03/07/2026", "11:02:09 AM", kAwkward[5]};
    run(flagged("Laboratory..Lab_Save_UrineWright", 0, args));
    const ResultSet rs = stored("RW-1");
    ASSERT_EQ(rs.rows.size(), 1u);
    for (std::size_t p = 1; p <= 5; ++p)
        EXPECT_EQ(at(rs, p), args[p + 3]) << p;
    EXPECT_EQ(cell(rs, 0, "result20"), kAwkward[5]);
    EXPECT_EQ(cell(rs, 0, "ResultDate").substr(0, 19), "2026-03-07 11:02:09");
    EXPECT_EQ(cell(rs, 0, "lratime").substr(0, 16), "2026-03-07 08:10");
}

TEST_P(StainsDbTest, WrongArgumentCountsAndFlagsAreClearErrors)
{
    try {
        run(gramStain("RG-3", std::vector<std::string>(11, "x")));
        FAIL() << "eleven findings were taken";
    } catch (const DbError &e) {
        EXPECT_NE(std::string(e.what()).find("13"), std::string::npos) << e.what();
    }
    EXPECT_THROW(run(gramStain("", std::vector<std::string>(12, "x"))), DbError) << "no request";
    EXPECT_THROW(run(flagged("Laboratory..Lab_Save_AFB", 0, std::vector<std::string>(12, "x"))), DbError);
    EXPECT_THROW(run(flagged("Laboratory..Lab_Save_UrineWright", 0, std::vector<std::string>(11, "x"))), DbError);
    std::vector<std::string> uw(12, "");
    uw[0] = "RW-2";
    EXPECT_THROW(run(flagged("Laboratory..Lab_Save_UrineWright", 2, uw)), DbError);
    uw[9] = "not a date";
    EXPECT_THROW(run(flagged("Laboratory..Lab_Save_UrineWright", 0, uw)), DbError);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResult"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabGramStain"), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, StainsDbTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
