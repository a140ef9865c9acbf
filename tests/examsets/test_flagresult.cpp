// The HIGH/LOW judgement of an exam line at and around its limits: both limits are within the
// range, and anything that is not a plain number is never flagged.

#include "forms/examsets/flagresult.h"

#include <gtest/gtest.h>

namespace {

struct FlagCase {
    const char *value, *minimum, *maximum, *flag;
};

class FlagResultTest : public ::testing::TestWithParam<FlagCase> {};

TEST_P(FlagResultTest, JudgesTheValueAgainstItsLimits)
{
    const FlagCase &c = GetParam();
    EXPECT_EQ(corvane::FlagResult(QString::fromUtf8(c.value), QString::fromUtf8(c.minimum), QString::fromUtf8(c.maximum)),
              QString::fromUtf8(c.flag))
        << "value '" << c.value << "' limits '" << c.minimum << "'..'" << c.maximum << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Limits, FlagResultTest,
    ::testing::Values(
        // at and just beside the limits
        FlagCase{"10", "10", "20", ""}, FlagCase{"20", "10", "20", ""}, FlagCase{"9.99", "10", "20", "LOW"},
        FlagCase{"20.01", "10", "20", "HIGH"}, FlagCase{"10.0", "10", "20", ""}, FlagCase{"0", "0", "5.2", ""},
        FlagCase{"-0.1", "0", "5.2", "LOW"}, FlagCase{" 21 ", "10", "20", "HIGH"}, FlagCase{"+5", "10", "20", "LOW"},
        // numbers compared as numbers, not as text
        FlagCase{"9", "10", "100", "LOW"}, FlagCase{"100", "9", "20", "HIGH"},
        // blank and non-numeric results
        FlagCase{"", "10", "20", ""}, FlagCase{"   ", "10", "20", ""}, FlagCase{">500", "10", "20", ""},
        FlagCase{"<5", "10", "20", ""}, FlagCase{"TRACE", "10", "20", ""}, FlagCase{"1.2.3", "0", "1", ""},
        FlagCase{"5 mg", "10", "20", ""},
        // limits missing or unreadable
        FlagCase{"50", "", "20", ""}, FlagCase{"50", "10", "", ""}, FlagCase{"50", "10", "n/a", ""}));

} // namespace
