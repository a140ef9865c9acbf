// The interpretation, normal-range and custom procedures on both backends: texts read back byte for
// byte, the save rules, the reference flags of the reports and the interpretation search list.

#include "support/dbfixture.h"

#include <labdb/schema.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using labdb::CommandText;
using labdb::DbError;

constexpr const char *kDate = "03/07/2026 02:05 PM";

// Every character a technologist may write, far longer than a line.
std::string awkwardText()
{
    std::string s = "O`Brien; \"quoted\" -- not a comment\\path\\n 50% _under_ caf\xc3\xa9 \xc3\xb1 \xce\xbc" "m\r\n"
                    "\tindented\n\nafter a blank line   ";
    while (s.size() < 4500)
        s += "Occasional target cells and schistocytes (1-2/hpf); ";
    return s;
}

class InterpretationDbTest : public testsupport::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        if (!db)
            return;
        labdb::loadDemoData(session->driver());
        session->setAuditUser("0101");
    }

    void logbook(const std::string &request)
    {
        run("Laboratory..Lab_ResultEntryDLL_SaveToLogbook '" + request +
            "', '', '0101','3/7/2026 2:05:00 PM', '3/7/2026 2:05:00 PM','S-1'");
    }
    void saveSmear(const std::string &result, const std::string &interpretation)
    {
        CommandText c("Laboratory..Lab_Save_WithInterpretation '");
        c.value("R2603017");
        for (const std::string &v : {std::string("S-1"), result, interpretation, std::string("legend"),
                                     std::string("Finger"), std::string("WHOLE BLOOD")})
            c.fixed("','").value(v);
        for (int i = 0; i < 4; ++i)
            c.fixed("','").value(kDate);
        run(c.fixed("'"));
    }
    // The 21 fields empty but those given, on the sub-screen given.
    void saveNormalRange(const std::vector<std::pair<int, std::string>> &values, const std::string &subScreen)
    {
        std::vector<std::string> slots(21);
        for (const auto &[slot, v] : values)
            slots[static_cast<std::size_t>(slot)] = v;
        CommandText c("LAB_Save_ResultNormalRange '");
        c.value("R2603019");
        for (const std::string &v : slots)
            c.fixed("','").value(v);
        c.fixed("','").value(subScreen).fixed("','").value("S-1");
        for (int i = 0; i < 4; ++i)
            c.fixed("','").value(kDate);
        run(c.fixed("'"));
    }
    void saveCustom(const std::string &request, const std::vector<std::string> &results)
    {
        CommandText c("Lab_SaveResultCustom '");
        c.value(request);
        for (const std::string &v : results)
            c.fixed("','").value(v);
        c.fixed("','").value("remarks").fixed("','").value("S-1");
        for (int i = 0; i < 4; ++i)
            c.fixed("','").value(kDate);
        run(c.fixed("','").value("0101").fixed("'"));
    }
    static std::string error(const std::function<void()> &f)
    {
        try {
            f();
        } catch (const DbError &e) {
            return e.what();
        }
        return "<accepted>";
    }
};

TEST_P(InterpretationDbTest, AnInterpretationReadsBackExactlyAndNeedsItsLogbookRow)
{
    const std::string text = awkwardText();
    EXPECT_EQ(error([&] { saveSmear("r", "i"); }), "Request R2603017 is not in the result logbook; its result must be "
                                                   "saved first.");
    logbook("R2603017");
    saveSmear(text, "impression\nsecond line");
    saveSmear(text, "impression\nsecond line"); // a later save stores over the first
    const labdb::ResultSet rs = run("LABORATORY..Lab_GetResultWithInterpretation  'R2603017'");
    ASSERT_EQ(rs.rows.size(), 1u);
    EXPECT_EQ(cell(rs, 0, "Result"), text);
    EXPECT_EQ(cell(rs, 0, "ResultInterpretation"), "impression\nsecond line");
    EXPECT_EQ(cell(rs, 0, "ResultDate").substr(0, 16), "2026-03-07 14:05");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultInterpretation where RequestNum = 'R2603017'"), 1);
    EXPECT_EQ(error([&] { saveSmear("  ", ""); }), "Request R2603017 has neither a result nor an interpretation to save.");
    try {
        run("Laboratory..Lab_Save_WithInterpretation 'R2603017','S-1','only a result'");
        FAIL() << "a short argument list was accepted";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbError::Kind::ArgumentCount) << e.what();
    }
}

TEST_P(InterpretationDbTest, NormalRangeResultsAreCheckedAndFlaggedAgainstTheirIntervals)
{
    logbook("R2603019");
    EXPECT_EQ(error([&] { saveNormalRange({{14, "2.0"}}, "12"); }),
              "The normal-range sub-screen must be a number from 0 to 11, not '12'.");
    EXPECT_EQ(error([&] { saveNormalRange({{14, "2.0"}}, "3.5"); }),
              "The normal-range sub-screen must be a number from 0 to 11, not '3.5'.");
    EXPECT_EQ(error([&] { saveNormalRange({}, "3"); }), "Request R2603019 has no result to save.");
    // Free-text fields take words; the measured ones a number, possibly past the analyser's limit.
    EXPECT_EQ(error([&] { saveNormalRange({{0, "12,5"}}, "0"); }), "The Patient result '12,5' is not a number.");
    saveNormalRange({{5, "POSITIVE (2+)"}, {6, "NEGATIVE"}}, "1");
    saveNormalRange({{9, "30"}, {10, "2.9"}, {11, "59.5"}, {14, "<0.01"}, {15, ">77.2"}}, "3");

    const labdb::ResultSet stored = run("LABORATORY..Lab_GetResultNormalRange 'R2603019'");
    EXPECT_EQ(cell(stored, 0, "FormType"), "3");
    EXPECT_EQ(cell(stored, 0, "Direct"), ""); // the later save on another sub-screen replaced it
    const labdb::ResultSet report = run("Lab_GetNormalRangeReport 'R2603019'");
    std::vector<std::string> lines;
    for (std::size_t r = 0; r < report.rows.size(); ++r)
        lines.push_back(cell(report, r, "Field") + " " + cell(report, r, "Result") + " " + cell(report, r, "Flag"));
    EXPECT_EQ(lines, (std::vector<std::string>{"TUptake 30 ", "T3 2.9 H", "T4 59.5 L", "TSH <0.01 L", "FT4 >77.2 H"}));
    EXPECT_EQ(cell(report, 3, "RangeText"), "0.40 - 4.00");
}

TEST_P(InterpretationDbTest, CustomLinesFollowTheFormatAndASaveReplacesThem)
{
    logbook("R2604206");
    EXPECT_EQ(error([&] { saveCustom("R2604206", {"only one"}); }),
              "Request R2604206 has 2 result lines in its format, but 1 results were sent.");
    EXPECT_EQ(error([&] { saveCustom("R2604206", {"", " "}); }), "Request R2604206 has no result to save.");
    saveCustom("R2604206", {"NON-REACTIVE", "0.3"});
    saveCustom("R2604206", {awkwardText(), ""});
    const labdb::ResultSet rs = run("Lab_GetResultCustom 'R2604206'");
    ASSERT_EQ(rs.rows.size(), 2u);
    EXPECT_EQ(cell(rs, 0, "Result"), awkwardText());
    EXPECT_EQ(cell(rs, 1, "Result"), "");
    EXPECT_EQ(cell(rs, 1, "NormalValue"), "< 1.00"); // the format's, not sent by the screen
    EXPECT_EQ(cell(rs, 0, "AccessionNum"), "S-1");

    // The batch's lines in the order of its request list; requests without lines add none.
    const labdb::ResultSet batch = run("Lab_GetResultCustomBatch '401|402','R2604207|R2604206'");
    ASSERT_EQ(batch.rows.size(), 2u);
    EXPECT_EQ(cell(batch, 0, "RequestNum"), "R2604206");
    const labdb::ResultSet format = run("Lab_Get_HCValuesBatch '402','401 '");
    ASSERT_EQ(format.rows.size(), 4u);
    EXPECT_EQ(cell(format, 0, "code"), "402");
    EXPECT_EQ(cell(format, 3, "Fields"), "HBsAg cut-off index");
    EXPECT_EQ(cell(run("Lab_GetCustomBatchReport 'R2604206','','R2604203'"), 2, "FirstLine"), "Y");
}

TEST_P(InterpretationDbTest, TheInterpretationSearchListsTheExamsOwnTextsInOrder)
{
    const labdb::ResultSet rs = run("LABORATORY..Lab_SearchCodeList '28', '117'");
    ASSERT_EQ(rs.rows.size(), 4u);
    EXPECT_EQ(cell(rs, 0, "InterpretationID"), "PBS1");
    EXPECT_EQ(cell(rs, 3, "Interpretation"), "Nucleated red cells and polychromasia; consistent with the neonatal period.");
    EXPECT_EQ(run("LABORATORY..Lab_SearchCodeList '28', '119'").rows.size(), 0u);
    EXPECT_EQ(cell(run("Lab_BF_GetInterpretation '117'"), 0, "Interpretation").substr(0, 10), "RBC: size ");
}

INSTANTIATE_TEST_SUITE_P(Backends, InterpretationDbTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
