// The flag rule, headless: values as laboratories write them, limits on both sides, critical
// limits, and the interval chosen by sex and age band.

#include <labdb/clinicalflags.h>
#include <labdb/normalvalues.h>

#include <gtest/gtest.h>

#include <optional>

namespace {

using labdb::Flag;

constexpr std::optional<double> none = std::nullopt;

struct FlagCase {
    const char *result;
    std::optional<double> low, high, criticalLow, criticalHigh;
    Flag expected;
};

// A value equal to a limit is within it, on every side.
const FlagCase kFlagCases[] = {
    {"12.5", 11.0, 13.5, none, none, Flag::None},
    {"11.0", 11.0, 13.5, none, none, Flag::None},
    {"13.5", 11.0, 13.5, none, none, Flag::None},
    {"10.99", 11.0, 13.5, none, none, Flag::Low},
    {"13.51", 11.0, 13.5, none, none, Flag::High},
    {"  15.2 sec ", 11.0, 13.5, none, none, Flag::High},
    {"62%", 70, 120, none, none, Flag::Low},
    {"1,250", 150, 1000, none, none, Flag::High},
    {"1,250.5 /uL", 1300, 2000, none, none, Flag::Low},
    {"-3", -2, 2, none, none, Flag::Low},
    {"+2", -2, 2, none, none, Flag::None},
    {".4", 0.5, 1, none, none, Flag::Low},
    // Comparators: only a claim that settles the side gives a flag.
    {"<0.1", 0.5, 2, none, none, Flag::Low},
    {"<0.5", 0.5, 2, none, none, Flag::Low},
    {"<=0.5", 0.5, 2, none, none, Flag::None},
    {"<0.6", 0.5, 2, none, none, Flag::None},
    {"< 3", 0.5, 2, none, none, Flag::None},
    {">1000", 0, 200, none, none, Flag::High},
    {">200", 0, 200, none, none, Flag::High},
    {">=200", 0, 200, none, none, Flag::None},
    {"\u2265201", 0, 200, none, none, Flag::High},
    {">150", 0, 200, none, none, Flag::None},
    // Not numbers: no flag and no error.
    {"TNTC", 0, 5, none, none, Flag::None},
    {"trace", 0, 5, none, none, Flag::None},
    {"+++", 0, 5, none, none, Flag::None},
    {"", 0, 5, none, none, Flag::None},
    {"   ", 0, 5, none, none, Flag::None},
    {"2-4", 0, 1, none, none, Flag::None},
    {"1,5", 0, 1, none, none, Flag::None},
    {"12,50", 0, 1, none, none, Flag::None},
    {"1.2.3", 0, 1, none, none, Flag::None},
    {"Negative", 0, 1, none, none, Flag::None},
    // One-sided intervals.
    {"9", none, 10, none, none, Flag::None},
    {"11", none, 10, none, none, Flag::High},
    {"-50", none, 10, none, none, Flag::None},
    // Critical limits win over the plain flag; equal to a critical limit is not past it.
    {"100", 25, 35, none, 100, Flag::High},
    {"100.1", 25, 35, none, 100, Flag::CriticalHigh},
    {">120", 25, 35, none, 100, Flag::CriticalHigh},
    {">90", 25, 35, none, 100, Flag::High},
    {"99", 200, 400, 100, none, Flag::CriticalLow},
    {"<100", 200, 400, 100, none, Flag::CriticalLow},
    {"7.19", 7.35, 7.45, 7.2, 7.6, Flag::CriticalLow},
    {"7.61", 7.35, 7.45, 7.2, 7.6, Flag::CriticalHigh},
    {"7.20", 7.35, 7.45, 7.2, 7.6, Flag::Low},
    {"3", none, none, 5, none, Flag::CriticalLow},
    {"6", none, none, 5, none, Flag::None},
};

TEST(ClinicalFlags, JudgesWrittenValuesAgainstTheirLimits)
{
    for (const FlagCase &c : kFlagCases) {
        const labdb::Limits limits{c.low, c.high, c.criticalLow, c.criticalHigh};
        EXPECT_EQ(labdb::flagText(labdb::judge(c.result, limits)), labdb::flagText(c.expected))
            << "\"" << c.result << "\"";
    }
}

TEST(ClinicalFlags, ReadsNumbersAndClaimsAsWritten)
{
    using Side = labdb::WrittenValue::Side;
    const struct {
        const char *text;
        double number;
        Side side;
    } read[] = {{"1,250", 1250, Side::Exact},          {"12,345,678.25", 12345678.25, Side::Exact},
                {"<0.1", 0.1, Side::Below},            {"<= 5", 5, Side::AtMost},
                {"> 1000 mg/dL", 1000, Side::Above},  {"\u22643", 3, Side::AtMost},
                {"7.35pH", 7.35, Side::Exact}, {"3,250/uL", 3250, Side::Exact},        {"-0.5", -0.5, Side::Exact}};
    for (const auto &r : read) {
        const auto v = labdb::readWrittenValue(r.text);
        ASSERT_TRUE(v.has_value()) << r.text;
        EXPECT_DOUBLE_EQ(v->number, r.number) << r.text;
        EXPECT_EQ(v->side, r.side) << r.text;
    }
    for (const char *text : {"1,25", "1234,567", ",250", "1,2345", "<", "> mg", "x10", "5-10 /hpf", "120/80", "1/2"})
        EXPECT_FALSE(labdb::readWrittenValue(text).has_value()) << text;
}

// The chemistry grid's H/L reads results by the same rule, and keeps its own rule that a row
// without a range above its minimum flags nothing.
TEST(ClinicalFlags, TheChemistryGridUsesTheSameRule)
{
    EXPECT_EQ(labdb::resultFlag("<0.1", "0.5", "2.0"), "L");
    EXPECT_EQ(labdb::resultFlag("1,250", "70", "110"), "H");
    EXPECT_EQ(labdb::resultFlag("110", "70", "110"), "");
    EXPECT_EQ(labdb::resultFlag("TNTC", "70", "110"), "");
    EXPECT_EQ(labdb::resultFlag("500", "110", "70"), "");
    EXPECT_EQ(labdb::resultFlag("500", "", "110"), "");
}

TEST(ClinicalFlags, CompletedAgeCountsWholeUnits)
{
    const labdb::CivilDate birth{2020, 3, 15};
    EXPECT_EQ(labdb::completedAge(labdb::AgeUnit::Years, birth, {2026, 3, 14}), 5);
    EXPECT_EQ(labdb::completedAge(labdb::AgeUnit::Years, birth, {2026, 3, 15}), 6);
    EXPECT_EQ(labdb::completedAge(labdb::AgeUnit::Months, birth, {2020, 4, 14}), 0);
    EXPECT_EQ(labdb::completedAge(labdb::AgeUnit::Months, birth, {2020, 4, 15}), 1);
    EXPECT_EQ(labdb::completedAge(labdb::AgeUnit::Days, {2024, 2, 28}, {2024, 3, 1}), 2);
    EXPECT_FALSE(labdb::civilDateOf("2026-02-30 00:00:00").has_value());
    EXPECT_FALSE(labdb::civilDateOf("03/07/2026").has_value());
}

TEST(ClinicalFlags, ChoosesTheBandBySexAndAge)
{
    using labdb::AgeUnit;
    using labdb::Band;
    // 0: newborns under 28 days, 1: infants under 12 months, 2: women from 18 years,
    // 3: men from 18 years, 4: everyone from 1 year.
    const std::vector<Band> bands{{"B", 0, 28, AgeUnit::Days},
                                  {"B", 28, 365, AgeUnit::Days},
                                  {"F", 18, std::nullopt, AgeUnit::Years},
                                  {"M", 18, std::nullopt, AgeUnit::Years},
                                  {"", 1, std::nullopt, AgeUnit::Years}};
    const labdb::CivilDate on{2026, 3, 7};
    const struct {
        const char *sex;
        labdb::CivilDate birth;
        int expected;
    } cases[] = {
        {"M", {2026, 3, 1}, 0},   {"F", {2026, 2, 7}, 1},  {"F", {2026, 2, 8}, 0}, // 27 days
        {"F", {1990, 1, 1}, 2},   {"M", {1990, 1, 1}, 3},  {"f", {1990, 1, 1}, 2},
        {"", {1990, 1, 1}, 4},    {"M", {2010, 1, 1}, 4},  {"F", {2008, 3, 7}, 2}, // 18 today
        {"F", {2008, 3, 8}, 4},   {"M", {2025, 3, 8}, 1},  {"M", {2025, 3, 7}, 4},
    };
    for (const auto &c : cases)
        EXPECT_EQ(labdb::chooseBand(bands, c.sex, c.birth, on), c.expected)
            << c.sex << " born " << c.birth.year << "-" << c.birth.month << "-" << c.birth.day;
    // Without a birth date only a band open at both ends fits.
    EXPECT_EQ(labdb::chooseBand(bands, "F", std::nullopt, on), -1);
    EXPECT_EQ(labdb::chooseBand({{"M", 0, 18, AgeUnit::Years}, {"B", std::nullopt, std::nullopt, AgeUnit::Years}},
                                "M", std::nullopt, on),
              1);
}

} // namespace
