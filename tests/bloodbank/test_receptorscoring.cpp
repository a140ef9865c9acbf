// Receptor scoring as the screen derives it while the technologist types, and the pathologist
// list's names.

#include "forms/bloodbank/receptorform.h"
#include "forms/bloodbank/receptorscoring.h"

#include <gtest/gtest.h>

namespace {

namespace receptor = corvane::receptor;

struct ExtentCase {
    const char *percent, *current, *score;
};

class ExtentScoreTest : public ::testing::TestWithParam<ExtentCase> {};

TEST_P(ExtentScoreTest, FromThePercentageStained)
{
    const ExtentCase &c = GetParam();
    EXPECT_EQ(receptor::extentScore(QString::fromUtf8(c.percent), QString::fromUtf8(c.current)),
              QString::fromUtf8(c.score));
}

INSTANTIATE_TEST_SUITE_P(
    Bands, ExtentScoreTest,
    ::testing::Values(ExtentCase{"0", "", "1"}, ExtentCase{"0.5", "", "1"}, ExtentCase{"1", "", "2"},
                      ExtentCase{"10", "", "2"}, ExtentCase{"11", "", "3"}, ExtentCase{"33", "", "3"},
                      ExtentCase{"34", "", "4"}, ExtentCase{"50", "2", "4"}, ExtentCase{"66", "", "4"},
                      ExtentCase{"67", "", "5"}, ExtentCase{"100", "", "5"},
                      // Between the bands, above them, or no number: the score stays.
                      ExtentCase{"10.5", "4", "4"}, ExtentCase{"33.5", "3", "3"}, ExtentCase{"150", "5", "5"},
                      ExtentCase{"NO STAINING", "0", "0"}, ExtentCase{".", "2", "2"},
                      // Emptied, the score goes too.
                      ExtentCase{"", "4", ""}));

TEST(ReceptorScoringTest, IntensityWordsAndTotals)
{
    EXPECT_EQ(receptor::intensityWord(QStringLiteral("0")), QStringLiteral("NO STAINING"));
    EXPECT_EQ(receptor::intensityWord(QStringLiteral("2")), QStringLiteral("MODERATE"));
    EXPECT_EQ(receptor::intensityWord(QStringLiteral("3")), QStringLiteral("STRONG"));
    EXPECT_EQ(receptor::intensityWord(QStringLiteral("4")), QString());
    EXPECT_EQ(receptor::intensityWord(QString()), QString());

    EXPECT_EQ(receptor::totalScore(QStringLiteral("4"), QStringLiteral("2")), QStringLiteral("6"));
    EXPECT_EQ(receptor::totalScore(QStringLiteral("0"), QStringLiteral("2")), QStringLiteral("2"));
    // A box not yet filled counts nothing; a stray letter after a digit does not hide the digit.
    EXPECT_EQ(receptor::totalScore(QString(), QStringLiteral("3")), QStringLiteral("3"));
    EXPECT_EQ(receptor::totalScore(QStringLiteral("5x"), QString()), QStringLiteral("5"));
    EXPECT_EQ(receptor::totalScore(QString(), QString()), QStringLiteral("0"));
}

TEST(ReceptorScoringTest, PathologistsAsTheListNamesThem)
{
    EXPECT_EQ(corvane::pathologistListName(QStringLiteral(" Grace "), QStringLiteral("Uy"), QStringLiteral("Lim ")),
              QStringLiteral("Grace U.  Lim, M.D."));
    EXPECT_EQ(corvane::pathologistListName(QStringLiteral("Grace"), QString(), QStringLiteral("Lim")),
              QStringLiteral("Grace  Lim, M.D."));
}

} // namespace
