// The dispatch table: which screen an exam's FormType / ValueType (and intResult) opens.

#include "support/qstringprint.h"

#include "host/dispatch.h"

#include <gtest/gtest.h>

using corvane::Dispatch;

namespace {

struct Case {
    const char *formType;
    const char *valueType;
    qint16 intResult;
    Dispatch::Kind kind;
    const char *screen;
};

constexpr auto Screen = Dispatch::Kind::Screen;
constexpr auto Message = Dispatch::Kind::Message;
constexpr auto Silent = Dispatch::Kind::Silent;

std::ostream &operator<<(std::ostream &os, const Case &c)
{
    return os << "FormType \"" << c.formType << "\" ValueType \"" << c.valueType << "\" intResult " << c.intResult;
}

class DispatchTest : public ::testing::TestWithParam<Case> {};

TEST_P(DispatchTest, ChoosesTheScreen)
{
    const Case &c = GetParam();
    const Dispatch d = corvane::chooseScreen(QString::fromLatin1(c.formType), QString::fromLatin1(c.valueType),
                                             c.intResult);
    EXPECT_EQ(d.kind, c.kind);
    EXPECT_EQ(d.screen, c.screen ? QString::fromLatin1(c.screen) : QString());
}

const Case kCases[] = {
    // FormType "H": the value type picks the screen.
    {"H", "A", 0, Screen, "frmAPTT"}, {"H", "B", 0, Screen, "frmStone"}, {"H", "U", 0, Screen, "frmUrinalysis"},
    {"H", "H", 12, Screen, "frmERAPRA"}, {"H", "H", 605, Screen, "frmCerb"}, {"H", "H", 0, Screen, "frmHistopath"},
    {"H", "H", -12, Screen, "frmHistopath"}, {"H", "P", 0, Screen, "frmBethesda"},
    {"H", "C", 0, Screen, "frmCytology"}, {"H", "W", 0, Screen, "frmUrineWright"}, {"H", "R", 0, Screen, "frmABG"},
    {"H", "S", 0, Screen, "frmStool"}, {"H", "L", 0, Screen, "frmBodyFluid"}, {"H", "T", 0, Screen, "frmFecalysis"},
    {"H", "E", 0, Screen, "frmFecalysis"}, {"H", "O", 0, Screen, "frmFecalysis"},
    {"H", "F", 0, Screen, "frmSemenAnalysis"}, {"H", "2", 0, Screen, "frmWithInterpretation"},
    {"H", "K", 0, Screen, "frmGramStain"}, {"H", "X", 0, Screen, "frmNormalRange"},
    {"H", "Y", 0, Screen, "frmANAPanel"}, {"H", "Z", 0, Screen, "frmExecutive"}, {"H", "3", 0, Screen, "frmPanel"},
    {"H", "4", 0, Screen, "frmAfb"},
    // intResult only matters for H/H.
    {"H", "A", 605, Screen, "frmAPTT"}, {"H", "Q", 0, Message, nullptr}, {"H", "", 0, Message, nullptr},
    {"H", "a", 0, Message, nullptr}, {"H", "TEO", 0, Message, nullptr},
    // FormType "P".
    {"P", "5", 0, Screen, "frmWithCutOff"}, {"P", "D", 0, Screen, "frmWithCutOff"},
    {"P", "I", 0, Screen, "frmWithCutOff"}, {"P", "2", 0, Screen, "frmNVExams"},
    {"P", "3", 0, Screen, "frmNVExams"}, {"P", "6", 0, Screen, "frmNVExams"},
    {"P", "1", 0, Screen, "frmWithNormalValues"}, {"P", "7", 0, Screen, "frmWithNormalValues"},
    {"P", "8", 0, Screen, "frmWithNormalValues"}, {"P", "B", 0, Screen, "frmWithNormalValues"},
    {"P", "9", 0, Message, nullptr}, {"P", "d", 0, Message, nullptr}, {"P", "", 0, Message, nullptr},
    // Form types whose value type is not looked at.
    {"D", "", 0, Screen, "frmWithCutOff"}, {"D", "A", 605, Screen, "frmWithCutOff"}, {"J", "", 0, Screen, "frmCS"},
    {"2", "", 0, Screen, "frmNVExams"}, {"3", "x", 0, Screen, "frmNVExams"}, {"6", "", 0, Screen, "frmNVExams"},
    {"9", "", 0, Screen, "frmNVExams"}, {"4", "", 0, Screen, "frmSpecificFormat"},
    {"1", "", 0, Screen, "frmWithNormalValues"}, {"7", "", 0, Screen, "frmWithNormalValues"},
    {"8", "", 0, Screen, "frmWithNormalValues"}, {"B", "Z", 0, Screen, "frmWithNormalValues"},
    {"5", "", 0, Screen, "frmWithCutOff"}, {"W", "", 0, Screen, "frmWithCutOff"},
    {"I", "", 0, Screen, "frmWithCutOff"}, {"K", "", 0, Screen, "frmMyCustom"},
    // FormType "X": crossmatching, or nothing at all.
    {"X", "1", 0, Screen, "frmCrossmatching"}, {"X", "2", 0, Screen, "frmCrossmatching"},
    {"X", "3", 0, Silent, nullptr}, {"X", "", 0, Silent, nullptr}, {"Q", "", 0, Silent, nullptr},
    {"Z", "A", 0, Silent, nullptr},
    // Everything else, the empty code of a request never found included.
    {"", "", 0, Message, nullptr}, {"h", "A", 0, Message, nullptr}, {"p", "5", 0, Message, nullptr},
    {"x", "1", 0, Message, nullptr}, {"HH", "A", 0, Message, nullptr}, {"H ", "A", 0, Message, nullptr},
    {"C", "", 0, Message, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Table, DispatchTest, ::testing::ValuesIn(kCases));

TEST(DispatchScreens, EveryScreenTheTableOpensIsNamedOnce)
{
    QStringList names = corvane::dispatchScreenNames();
    EXPECT_EQ(names.size(), 28);
    EXPECT_EQ(names.removeDuplicates(), 0);
    EXPECT_EQ(names.first(), QStringLiteral("frmAPTT"));
    EXPECT_TRUE(names.contains(QStringLiteral("frmCrossmatching")));
    EXPECT_FALSE(names.contains(QStringLiteral("frmPapsmear"))) << "opened from other screens only";
}

} // namespace
