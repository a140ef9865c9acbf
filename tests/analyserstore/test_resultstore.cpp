// Analyser messages stored on both backends: whole or not at all, once however often they arrive,
// reruns keeping what they replace, and nothing dropped — what cannot be placed waits with its
// reason until the sample or the mapping exists. The screen reads the results through its own
// unchanged commands.

#include "support/dbfixture.h"

#include "resultstore.h"

#include <labdb/schema.h>

using analyser::Message;
using analyser::Result;

namespace {

Result result(std::string sample, std::string test, std::string value, std::string unit = "")
{
    Result r;
    r.sampleId = std::move(sample);
    r.testCode = std::move(test);
    r.value = std::move(value);
    r.unit = std::move(unit);
    r.flags = "N";
    r.status = "F";
    r.resultTime = "20260307081000";
    r.raw = "R|1|^^^" + r.testCode + "|" + r.value;
    return r;
}

class ResultStoreTest : public testsupport::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        if (session)
            labdb::loadDemoData(driver());
    }

    // A whole table as text, row by row, to compare before and after.
    std::vector<std::string> table(const char *name, const char *order)
    {
        std::vector<std::string> out;
        const labdb::ResultSet rs = driver().run(
            "SELECT * FROM " + driver().qualify(labdb::Database::Laboratory, name) + " ORDER BY " + order, {});
        for (const labdb::Row &row : rs.rows) {
            std::string line;
            for (const labdb::Value &v : row)
                line += v.value_or("<NULL>") + "|";
            out.push_back(line);
        }
        return out;
    }
    std::vector<std::string> instrumentResults() { return table("tbLabInstrumentResult", "ResultID"); }

    std::string latest(const std::string &sample, const std::string &test)
    {
        const labdb::ResultSet rs =
            run("LABORATORY..get_Vitros_result_per_exam '" + sample + "', '" + test + "'");
        return rs.rows.empty() ? "<none>" : rs.rows[0][0].value_or("<NULL>");
    }
};

TEST_P(ResultStoreTest, MessageIsStoredAsSentAndTheScreensCommandsFindIt)
{
    Message m{"key-1", "", {result("F-0311", "GLU", "7.4", "mmol/L"), result("K-0112", "Crea", "101", "umol/L")}};
    m.results[0].flags = "H";
    const auto out = analyser::storeMessage(driver(), "VIT250", m);
    EXPECT_FALSE(out.duplicate);
    EXPECT_EQ(out.stored, 2);
    EXPECT_EQ(out.quarantined, 0);

    const labdb::ResultSet row = driver().run(
        "SELECT ExamCode, sResult, Unit, Flags, Status, ResultTime, SentValue, Superseded FROM " +
            driver().qualify(labdb::Database::Laboratory, "tbLabInstrumentResult") +
            " WHERE MessageKey = 'key-1' AND TestCode = 'GLU'",
        {});
    ASSERT_EQ(row.rows.size(), 1u);
    EXPECT_EQ(cell(row, 0, "ExamCode"), "136");
    EXPECT_EQ(cell(row, 0, "sResult"), "7.4");
    EXPECT_EQ(cell(row, 0, "Unit"), "mmol/L");
    EXPECT_EQ(cell(row, 0, "Flags"), "H");
    EXPECT_EQ(cell(row, 0, "ResultTime"), "20260307081000");
    EXPECT_EQ(cell(row, 0, "Superseded"), "0");

    // The normal-values screen's own commands, texts unchanged.
    const labdb::ResultSet grid = run("LABORATORY..Lab_getInstrumentResult  'F-0311' , 'R2603031','1'");
    ASSERT_FALSE(grid.rows.empty());
    EXPECT_EQ(cell(grid, 0, "sResult"), "7.4");
    EXPECT_EQ(cell(run("LABORATORY..Count_VitrosResult  'F-0311',''"), 0, "Number"), "2")
        << "the demo's earlier glucose and the new one";
}

TEST_P(ResultStoreTest, RetransmittedMessageIsStoredOnceAndARerunKeepsWhatItReplaces)
{
    const Message first{"key-a", "", {result("K-0112", "Crea", "101")}};
    const auto stored = analyser::storeMessage(driver(), "VIT250", first);
    ASSERT_EQ(stored.stored, 1);
    EXPECT_EQ(stored.superseded, 1) << "the demo's earlier K-0112 creatinine";
    const auto before = instrumentResults();
    const auto again = analyser::storeMessage(driver(), "VIT250", first);
    EXPECT_TRUE(again.duplicate);
    EXPECT_EQ(instrumentResults(), before);

    // The same key from another analyser is another message.
    EXPECT_FALSE(analyser::storeMessage(driver(), "AU480", Message{"key-a", "", {}}).duplicate);

    const auto rerun = analyser::storeMessage(driver(), "VIT250", Message{"key-b", "", {result("K-0112", "Crea", "99")}});
    EXPECT_EQ(rerun.superseded, 1);
    EXPECT_EQ(latest("K-0112", "Crea"), "99");
    const labdb::ResultSet kept = driver().run(
        "SELECT sResult, Superseded FROM " + driver().qualify(labdb::Database::Laboratory, "tbLabInstrumentResult") +
            " WHERE SampleNum = 'K-0112' AND TestCode = 'Crea' ORDER BY ResultID",
        {});
    ASSERT_EQ(kept.rows.size(), 3u);
    EXPECT_EQ(cell(kept, 0, "Superseded"), "1");
    EXPECT_EQ(cell(kept, 1, "sResult"), "101");
    EXPECT_EQ(cell(kept, 1, "Superseded"), "1");
    EXPECT_EQ(cell(kept, 2, "Superseded"), "0");
}

TEST_P(ResultStoreTest, UnplaceableResultsWaitWithTheirReasonUntilRematched)
{
    const Message m{"key-q",
                    "",
                    {result("X-9999", "GLU", "5.1"), result("F-0311", "ALB", "40"), result("", "GLU", "5.0"),
                     result("F-0311", "GLU", ""), result("UK-0112", "Crea", "8840")}};
    const auto out = analyser::storeMessage(driver(), "VIT250", m);
    EXPECT_EQ(out.stored, 1) << "a timed-urine sample is known by its base sample";
    EXPECT_EQ(out.quarantined, 4);

    auto waiting = analyser::unmatchedResults(driver());
    ASSERT_EQ(waiting.size(), 4u);
    EXPECT_EQ(waiting[0].reason, "unknown sample X-9999");
    EXPECT_EQ(waiting[1].reason, "test code ALB is not mapped for analyser VIT250");
    EXPECT_EQ(waiting[2].reason, "no sample ID");
    EXPECT_EQ(waiting[3].reason, "no value");

    // Nothing changes until the label or the mapping exists; then exactly those are stored, once.
    EXPECT_EQ(analyser::rematchResults(driver()).stored, 0);
    driver().run("INSERT INTO " + driver().qualify(labdb::Database::Laboratory, "tbLabSampleLabel") +
                     " (SampleNum, RequestNum) VALUES ('X-9999', 'R2603031')",
                 {});
    driver().run("INSERT INTO " + driver().qualify(labdb::Database::Laboratory, "tbLabAnalyserTestMap") +
                     " (InstrumentID, TestCode, ExamCode, ResultField) VALUES ('VIT250', 'ALB', '136', 'SI')",
                 {});
    const auto rematched = analyser::rematchResults(driver());
    EXPECT_EQ(rematched.stored, 2);
    EXPECT_EQ(rematched.waiting, 2);
    EXPECT_EQ(latest("X-9999", "GLU"), "5.1");
    EXPECT_EQ(analyser::unmatchedResults(driver()).size(), 2u);
    const auto after = instrumentResults();
    EXPECT_EQ(analyser::rematchResults(driver()).stored, 0);
    EXPECT_EQ(instrumentResults(), after);
}

TEST_P(ResultStoreTest, ConventionalValuesAreConvertedAndTextsKeptAsSent)
{
    const Message m{"key-c", "", {result("U-0150", "UA", "8.09", "mg/dL"), result("F-0311", "GLU", ">33.3")}};
    ASSERT_EQ(analyser::storeMessage(driver(), "AU480", m).quarantined, 1) << "GLU is not mapped on the AU480";
    EXPECT_EQ(latest("U-0150", "UA"), "481.1932") << "SI = mg/dL x the exam's factor 59.48";
    ASSERT_EQ(analyser::storeMessage(driver(), "VIT250", Message{"key-d", "", {result("F-0311", "GLU", ">33.3")}}).stored,
              1);
    EXPECT_EQ(latest("F-0311", "GLU"), ">33.3");
}

TEST_P(ResultStoreTest, AFailureStoresNothingOfTheMessage)
{
    // The quarantine is needed for the second result only; without it the first must not stay.
    driver().run("DROP TABLE " + driver().qualify(labdb::Database::Laboratory, "tbLabAnalyserQuarantine"), {});
    const auto before = instrumentResults();
    const Message m{"key-f", "", {result("F-0311", "GLU", "6.0"), result("X-1", "GLU", "6.1")}};
    EXPECT_THROW(analyser::storeMessage(driver(), "VIT250", m), labdb::DbError);
    EXPECT_EQ(instrumentResults(), before);
    EXPECT_TRUE(table("tbLabAnalyserMessage", "MessageKey").empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, ResultStoreTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
