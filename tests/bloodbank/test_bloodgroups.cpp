// Whether a donor unit fits the patient, from the groups as technologists write them: the
// transfusion rules for red cells, whole blood, plasma and platelets, and what is too little to judge.

#include "forms/bloodbank/bloodgroups.h"

#include <gtest/gtest.h>

namespace {

using corvane::BloodGroup;
using corvane::UnitKind;

struct FitCase {
    const char *patientGroup, *patientRh, *donorGroup, *donorRh, *component;
    const char *mismatch; // a part of the reason, or "" when the unit fits (or cannot be judged)
};

class UnitFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(UnitFitTest, JudgesTheUnit)
{
    const FitCase &c = GetParam();
    const QString why = corvane::unitMismatch(
        BloodGroup::read(QString::fromUtf8(c.patientGroup), QString::fromUtf8(c.patientRh)),
        BloodGroup::read(QString::fromUtf8(c.donorGroup), QString::fromUtf8(c.donorRh)),
        corvane::unitKindOf(QString::fromUtf8(c.component)));
    if (*c.mismatch == '\0')
        EXPECT_TRUE(why.isEmpty()) << why.toStdString();
    else
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.mismatch))) << why.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    RedCells, UnitFitTest,
    ::testing::Values(
        // O cells go to everyone; A and B cells only where the patient has no antibody against them.
        FitCase{"A", "POSITIVE", "O", "POSITIVE", "PACKED RED BLOOD CELLS", ""},
        FitCase{"AB", "+", "B", "+", "PACKED RED BLOOD CELLS", ""},
        FitCase{"AB", "+", "A", "+", "", ""},
        FitCase{"O", "+", "A", "+", "PACKED RED BLOOD CELLS", "Group A red cells do not fit a group O patient."},
        FitCase{"A", "+", "B", "+", "WASHED RED CELLS", "Group B red cells do not fit a group A patient."},
        FitCase{"B", "+", "AB", "+", "", "Group AB red cells"},
        // Rh(D): negative patients take negative cells; positive patients take either.
        FitCase{"O", "NEGATIVE", "O", "POSITIVE", "PACKED RED BLOOD CELLS",
                "Rh-positive red cells do not fit an Rh-negative patient."},
        FitCase{"O", "POSITIVE", "O", "NEGATIVE", "PACKED RED BLOOD CELLS", ""}));

INSTANTIATE_TEST_SUITE_P(
    OtherComponents, UnitFitTest,
    ::testing::Values(
        // Whole blood brings plasma along: only the patient's own group.
        FitCase{"A", "+", "O", "+", "WHOLE BLOOD", "whole blood must be of the patient's own group"},
        FitCase{"A", "+", "A", "+", "WHOLE BLOOD", ""},
        // Plasma reverses the rule: AB plasma goes to everyone, O plasma only to O.
        FitCase{"O", "-", "AB", "+", "FRESH FROZEN PLASMA", ""},
        FitCase{"A", "+", "O", "+", "FFP", "Group O plasma does not fit a group A patient."},
        FitCase{"B", "+", "A", "+", "CRYOPRECIPITATE", "Group A plasma"},
        // Platelets: ABO is not binding, Rh(D) is.
        FitCase{"O", "+", "A", "+", "PLATELET CONCENTRATE", ""},
        FitCase{"A", "NEG", "A", "POS", "PLATELET CONCENTRATE", "Rh-positive platelets"}));

INSTANTIATE_TEST_SUITE_P(
    HowGroupsAreWritten, UnitFitTest,
    ::testing::Values(
        // The request's own "O+" in the group box, the Rh box left empty.
        FitCase{"O-", "", "A+", "", "", "Group A red cells"},
        FitCase{"O-", "", "O+", "", "", "Rh-positive"},
        FitCase{"Type AB Rh negative", "", "AB", "Rh(+)", "", "Rh-positive"},
        FitCase{"0", "pos", "b", "pos", "", "Group B red cells do not fit a group O patient."},
        // The Rh box wins over what follows the group.
        FitCase{"O+", "NEGATIVE", "O", "POSITIVE", "", "Rh-positive"},
        // Too little to judge: nothing is claimed.
        FitCase{"", "", "A", "+", "", ""},
        FitCase{"O", "", "", "", "", ""},
        FitCase{"O", "", "A", "", "", "Group A"},
        FitCase{"ABO pending", "", "A", "+", "", ""},
        FitCase{"O", "weak D", "O", "POSITIVE", "", ""}));

TEST(BloodGroupTest, NamesWhatIsKnown)
{
    EXPECT_EQ(BloodGroup::read(QStringLiteral("ab"), QStringLiteral("Negative")).name(), QStringLiteral("AB Rh-"));
    EXPECT_EQ(BloodGroup::read(QStringLiteral("O+"), QString()).name(), QStringLiteral("O Rh+"));
    EXPECT_EQ(BloodGroup::read(QStringLiteral("B"), QString()).name(), QStringLiteral("B"));
    EXPECT_EQ(BloodGroup::read(QString(), QStringLiteral("-")).name(), QStringLiteral("Rh-"));
    // "BLOOD TYPE" and the like are words around the group, not the group.
    EXPECT_EQ(BloodGroup::read(QStringLiteral("Blood type: A"), QString()).abo, BloodGroup::Abo::A);
    EXPECT_EQ(BloodGroup::read(QStringLiteral("BOMBAY"), QString()).abo, BloodGroup::Abo::Unknown);
}

} // namespace
