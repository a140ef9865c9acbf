// The delta arithmetic, headless: either threshold fires, a change equal to a threshold does not,
// a previous 0 has no percent, and values a flag cannot read as plain numbers give no delta.

#include <labdb/deltacheck.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

constexpr std::optional<double> none = std::nullopt;

struct DeltaCase {
    const char *previous, *now;
    std::optional<double> absolute, percent;
    const char *change; // nullptr: no delta
};

const DeltaCase kCases[] = {
    // Either threshold alone, or both given and only one exceeded.
    {"4.1", "6.3", none, 25, "+54 %"},
    {"4.1", "6.3", 2.0, none, "+54 %"},
    {"4.1", "6.3", 5.0, 25, "+54 %"},
    {"4.1", "4.9", 0.5, 50, "+20 %"},
    {"4.1", "4.4", 0.5, 25, nullptr},
    {"140", "131", 8, none, "-6 %"},
    {"140", "133", 8, none, nullptr},
    // A change exactly at a threshold is within the rule, however the decimals subtract.
    {"4.1", "6.3", 2.2, none, nullptr},
    {"4.1", "1.9", 2.2, none, nullptr},
    {"0.1", "0.13", none, 30, nullptr},
    {"0.1", "0.07", none, 30, nullptr},
    {"4.0", "5.0", none, 25, nullptr},
    {"4.0", "5.01", none, 25, "+25 %"},
    {"7.41", "7.31", 0.10, none, nullptr},
    {"7.41", "7.30", 0.10, none, "-1 %"},
    // Percent of the previous value's size, rounded to a whole number, sign always shown.
    {"-2", "-5", none, 100, "-150 %"},
    {"2.5", "5.0", 2, none, "+100 %"},
    {"200", "201", 0.5, none, "+1 %"},
    {"1,250", "2,100", 500, none, "+68 %"},
    {"6", "7 min", none, 10, "+17 %"},
    // A previous 0 has no percent: only the absolute change can fire, shown in the values' decimals.
    {"0", "6.3", none, 10, nullptr},
    {"0", "6.3", 5, none, "+6.3"},
    {"0.00", "-1", 0.5, none, "-1.00"},
    // Comparators, words and signs are no plain number.
    {"<0.1", "6.3", 1, 1, nullptr},
    {"4.1", ">1000", 1, 1, nullptr},
    {"4.1", "TNTC", 1, 1, nullptr},
    {"+++", "4.1", 1, 1, nullptr},
    {"4.1", "", 1, 1, nullptr},
    {"4.1", "2-4", 1, 1, nullptr},
    // A rule without thresholds never fires.
    {"4.1", "60", none, none, nullptr},
};

class DeltaRuleTest : public testing::TestWithParam<DeltaCase> {};

TEST_P(DeltaRuleTest, FiresBeyondEitherThreshold)
{
    const DeltaCase &c = GetParam();
    const auto delta = labdb::deltaBeyond(c.previous, c.now, {c.absolute, c.percent});
    if (!c.change) {
        EXPECT_FALSE(delta) << c.previous << " -> " << c.now << " gave " << labdb::changeText(*delta, c.previous, c.now);
        return;
    }
    ASSERT_TRUE(delta) << c.previous << " -> " << c.now;
    EXPECT_EQ(labdb::changeText(*delta, c.previous, c.now), c.change);
}

INSTANTIATE_TEST_SUITE_P(Cases, DeltaRuleTest, testing::ValuesIn(kCases));

TEST(DeltaText, ReadsAsTheTechnologistSeesIt)
{
    const auto delta = labdb::deltaBeyond("4.1", " 6.3 ", {none, 25});
    ASSERT_TRUE(delta);
    EXPECT_EQ(labdb::deltaText("4.1", "03/02/2026", " 6.3 ", *delta), "previous 4.1 on 03/02/2026, now 6.3 (+54 %)");
    const auto fromZero = labdb::deltaBeyond("0", "12", {3, 50});
    ASSERT_TRUE(fromZero);
    EXPECT_EQ(labdb::deltaText("0", "01/10/2026", "12", *fromZero), "previous 0 on 01/10/2026, now 12 (+12)");
}

TEST(DeltaWindow, SecondsOfTheBackendsDateTexts)
{
    const auto a = labdb::secondsOf("2026-03-02 08:30:00");
    const auto b = labdb::secondsOf("2026-03-09 08:30:00.250");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(*b - *a, 7 * 86400);
    // Across a month and a leap day.
    EXPECT_EQ(*labdb::secondsOf("2028-03-01") - *labdb::secondsOf("2028-02-28"), 2 * 86400);
    EXPECT_EQ(*labdb::secondsOf("2026-03-07 14:05") - *labdb::secondsOf("2026-03-07"), 14 * 3600 + 5 * 60);
    EXPECT_FALSE(labdb::secondsOf("03/07/2026"));
    EXPECT_FALSE(labdb::secondsOf(""));
}

} // namespace
