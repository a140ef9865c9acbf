// The exam-set procedures on both backends, through command texts as the screens send them: the
// lines of a request come from its stored result or else from its format, a saved line reads back
// byte for byte in the slot it was sent in, and wrong calls are clear errors.

#include "support/dbfixture.h"

#include <labdb/command.h>
#include <labdb/schema.h>

#include <string>
#include <vector>

using labdb::CommandText;
using labdb::DbError;
using labdb::ResultSet;

namespace {

const std::vector<std::string> kAwkward{"it's", "a', 'b", "x; DROP TABLE tbLabLogbook --", "C:\\lab\\",
                                        "Pe\xc3\xb1" "a, Ni\xc3\xb1o", std::string(4000, 'k')};

class ExamSetDbTest : public testsupport::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        if (!session)
            return;
        labdb::loadDemoData(driver());
    }
    static CommandText call(const std::string &prefix, const std::vector<std::string> &args)
    {
        CommandText c(prefix + "'");
        for (std::size_t i = 0; i < args.size(); ++i) {
            c.value(args[i]);
            c.fixed(i + 1 == args.size() ? "'" : "','");
        }
        return c;
    }
    // A line of R2604101's lipid profile: request, numeric, choice, code, normal value, text, unit,
    // minimum, maximum, flag, format, line, batch, remarks, sample, submitted, LRA, method, finished.
    static std::vector<std::string> line(const std::string &code, const std::string &numeric,
                                         const std::string &text = {})
    {
        return {"R2604101", numeric, "", code, "0.00-5.20", text, "mmol/L", "0", "5.2", "", "1", "1", "B-7",
                "6.1 mmol/L; Remarks: fasting", "L-77", "03/07/2026 02:05 PM", "03/07/2026 02:10 PM",
                "ENZYMATIC", "03/07/2026 03:40 PM"};
    }
    void firstSave()
    {
        run("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2604101', '', '0101','3/7/2026 2:05:00 PM', "
            "'3/7/2026 2:05:00 PM','L-77'");
    }
    ResultSet lines(const std::string &request, int mode = 0)
    {
        return run("Lab_ResultEntryDLL_GetExamLines '" + request + "','" + std::to_string(mode) + "'");
    }
};

TEST_P(ExamSetDbTest, AnOpenRequestGetsItsFormatAndAWorkedOneItsStoredLines)
{
    const ResultSet open = lines("R2604101");
    ASSERT_EQ(open.rows.size(), 5u);
    EXPECT_EQ(cell(open, 0, "ExamCode"), "151");
    EXPECT_EQ(cell(open, 4, "Exam"), "VLDL CHOLESTEROL");
    EXPECT_EQ(cell(open, 2, "MinValue"), "1.04");
    EXPECT_EQ(cell(open, 0, "Result"), "");
    EXPECT_EQ(cell(open, 0, "RequestNum"), "R2604101");
    // A mode without a format of its own takes the common one.
    EXPECT_EQ(lines("R2604101", 3).rows.size(), 5u);

    const ResultSet worked = lines("R2604106");
    ASSERT_EQ(worked.rows.size(), 3u);
    EXPECT_EQ(cell(worked, 2, "Result"), "8.4");
    EXPECT_EQ(cell(worked, 2, "Flag"), "HIGH");
    EXPECT_EQ(cell(worked, 2, "FormType"), "4");

    EXPECT_THROW(lines("R-NONE"), DbError);
}

TEST_P(ExamSetDbTest, ASavedLineReadsBackByteForByteAndASecondSaveReplacesIt)
{
    firstSave();
    for (const std::string &awkward : kAwkward) {
        std::vector<std::string> args = line("151", "", awkward);
        args[13] = awkward + "; Remarks: " + awkward;
        run(call("Lab_ResultEntryDLL_SaveIndividualResultEntries ", args));
        const ResultSet rs = run("LABORATORY..Lab_ResultEntryDLL_GetIndividualResultEntries  'R2604101'");
        ASSERT_EQ(rs.rows.size(), 1u);
        EXPECT_EQ(cell(rs, 0, "Result"), awkward);
        EXPECT_EQ(cell(rs, 0, "LineText"), awkward);
        EXPECT_EQ(cell(rs, 0, "Remarks"), awkward);
    }
    run(call("Lab_ResultEntryDLL_SaveIndividualResultEntries ", line("151", "6.1")));
    run(call("Lab_ResultEntryDLL_SaveIndividualResultEntries ", line("163", "1.2")));
    const ResultSet rs = run("LABORATORY..Lab_ResultEntryDLL_GetIndividualResultEntries  'R2604101'");
    ASSERT_EQ(rs.rows.size(), 2u);
    EXPECT_EQ(cell(rs, 0, "Result"), "6.1");
    EXPECT_EQ(cell(rs, 0, "ExamName"), "TOTAL CHOLESTEROL");
    EXPECT_EQ(cell(rs, 1, "ExamName"), "TRIGLYCERIDES");
    EXPECT_EQ(cell(rs, 0, "Method"), "ENZYMATIC");
    EXPECT_EQ(cell(rs, 0, "AccessionNum"), "L-77");
    EXPECT_EQ(cell(rs, 0, "BatchNum"), "B-7");
    EXPECT_EQ(cell(rs, 0, "lratime").substr(0, 16), "2026-03-07 14:10");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabExamSetResult where ResultKind = 'N' and "
                    "RequestNum = 'R2604101'"),
              2);
    // The stored lines are now what the list reads.
    EXPECT_EQ(lines("R2604101").rows.size(), 2u);
}

TEST_P(ExamSetDbTest, WrongCallsAreClearErrorsAndStoreNothing)
{
    // Before the logbook row the line has nowhere to belong.
    EXPECT_THROW(run(call("Lab_ResultEntryDLL_SaveIndividualResultEntries ", line("151", "6.1"))), DbError);
    firstSave();
    std::vector<std::string> args = line("151", "6.1");
    args.pop_back();
    try {
        run(call("Lab_ResultEntryDLL_SaveIndividualResultEntries ", args));
        FAIL() << "18 arguments were taken";
    } catch (const DbError &e) {
        EXPECT_NE(std::string(e.what()).find("19"), std::string::npos) << e.what();
    }
    args = line("151", "6.1");
    args[9] = "H";
    EXPECT_THROW(run(call("Lab_ResultEntryDLL_SaveIndividualResultEntries ", args)), DbError) << "unknown flag";
    args = line("", "6.1");
    EXPECT_THROW(run(call("Lab_ResultEntryDLL_SaveIndividualResultEntries ", args)), DbError) << "no exam code";
    args = line("151", "6.1");
    args[15] = "yesterday";
    EXPECT_THROW(run(call("Lab_ResultEntryDLL_SaveIndividualResultEntries ", args)), DbError) << "bad date";
    EXPECT_EQ(count("select count(*) from laboratory..tbLabExamSetResult where RequestNum = 'R2604101'"), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, ExamSetDbTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
