// Delta checks played as a laboratory validates them: the previous result of the same patient
// inside the window gives a Δ and its status text, one outside it or none at all gives nothing, a
// request is never its own previous, and the delta seen is written with the save or not at all.

#include "e2e/scriptedsession.h"

#include <labdb/driver.h>

#include <QDir>

namespace {

constexpr auto kOpen = R"(clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open %1
)";

constexpr auto kSignOff = R"(frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click FlatBttn1
)";

class DeltaSessionTest : public e2e::ScriptedSessionTest {
protected:
    static QString opening(const char *request)
    {
        return QString::fromLatin1(kOpen).arg(QLatin1String(request));
    }
    long long deltas(const char *request)
    {
        return count(std::string("select count(*) from laboratory..tbLabDeltaCheck where RequestNum = '") + request +
                     "'");
    }
    QStringList sent(const char *procedure) const
    {
        return log.split(QLatin1Char('\n')).filter(QLatin1String(procedure));
    }
};

// Patient 10023471's bleeding time was 2.5 on 03/02 (R2607101) and 5.0 on 03/07 (R2607102); its
// rule is a change of more than 2 minutes.
TEST_P(DeltaSessionTest, TypedValuesAreComparedWithThePreviousResultAndTheDeltaIsSaved)
{
    ASSERT_TRUE(play(opening("R2607103") + QStringLiteral(R"S(
frmAPTT: expect lblDelta_8 ""
frmAPTT: expect-visible lblDeltaStatus no
frmAPTT: set txtResult(8) 7.5
frmAPTT: expect lblDelta_8 Δ
frmAPTT: expect lblDeltaStatus "previous 5.0 on 03/07/2026, now 7.5 (+50 %)"
frmAPTT: set txtResult(8) 7.0
frmAPTT: expect lblDelta_8 ""
frmAPTT: expect-visible lblDeltaStatus no
frmAPTT: set txtResult(8) 2.9
frmAPTT: expect lblDelta_8 Δ
frmAPTT: expect lblDeltaStatus "previous 5.0 on 03/07/2026, now 2.9 (-42 %)"
frmAPTT: set txtResult(8) <3
frmAPTT: expect lblDelta_8 ""
frmAPTT: set txtResult(9) 11
frmAPTT: expect lblDelta_9 Δ
frmAPTT: expect lblDeltaStatus "previous 7 on 03/07/2026, now 11 (+57 %)"
frmAPTT: set txtResult(8) 7.5
frmAPTT: set txtAccNum A-7103
frmAPTT: click cmdSave
)S") + QString::fromLatin1(kSignOff)))
        << log.toStdString();
    // Opening and typing looked nothing up in the command log; the save wrote one row per delta.
    EXPECT_TRUE(sent("DeltaPrevious").isEmpty()) << log.toStdString();
    EXPECT_EQ(sent("Lab_Save_DeltaCheck").size(), 2) << log.toStdString();
    ASSERT_EQ(deltas("R2607103"), 2);
    EXPECT_EQ(value("select PreviousRequestNum from laboratory..tbLabDeltaCheck where Field = 'result9'"), "R2607102");
    EXPECT_EQ(value("select PreviousValue from laboratory..tbLabDeltaCheck where Field = 'result9'"), "5.0");
    EXPECT_EQ(value("select ResultValue from laboratory..tbLabDeltaCheck where Field = 'result9'"), "7.5");
    EXPECT_EQ(value("select ChangeText from laboratory..tbLabDeltaCheck where Field = 'result9'"), "+50 %");
    EXPECT_EQ(value("select ExamCode from laboratory..tbLabDeltaCheck where Field = 'result10'"), "101");
    EXPECT_EQ(value("select EmployeeCode from laboratory..tbLabDeltaCheck where Field = 'result10'"), "0101");
    EXPECT_EQ(value("select PreviousDate from laboratory..tbLabDeltaCheck where Field = 'result10'").substr(0, 16),
              "2026-03-07 09:50");

    // Opened again, the request compares with the one before it, not with its own stored result;
    // saved again (by a supervisor) with the same values, it records nothing new, with a changed
    // one, that delta.
    ASSERT_TRUE(play(QStringLiteral("supervisors 0101\n") + opening("R2607103") + QStringLiteral(R"S(
frmAPTT: expect txtResult(8) 7.5
frmAPTT: expect lblDelta_8 Δ
frmAPTT: expect lblDeltaStatus "previous 5.0 on 03/07/2026, now 7.5 (+50 %)"
frmAPTT: click cmdSave
)S") + QString::fromLatin1(kSignOff)))
        << log.toStdString();
    EXPECT_EQ(deltas("R2607103"), 2);
    ASSERT_TRUE(play(QStringLiteral("supervisors 0101\n") + opening("R2607103") + QStringLiteral(R"S(
frmAPTT: set txtResult(8) 8
frmAPTT: click cmdSave
)S") + QString::fromLatin1(kSignOff)))
        << log.toStdString();
    EXPECT_EQ(deltas("R2607103"), 3);
}

TEST_P(DeltaSessionTest, ARequestIsNeverComparedWithItselfOrALaterOne)
{
    // R2607101 is the patient's first coagulation result: the later R2607102 is no previous.
    ASSERT_TRUE(play(opening("R2607101") + QStringLiteral(R"S(
frmAPTT: expect txtResult(8) 2.5
frmAPTT: expect-visible lblDeltaStatus no
frmAPTT: set txtResult(8) 9
frmAPTT: expect-visible lblDeltaStatus no
frmAPTT: click cmdExam
open R2607102
frmAPTT: expect lblDelta_8 Δ
frmAPTT: expect lblDelta_9 ""
frmAPTT: expect lblDeltaStatus "previous 2.5 on 03/02/2026, now 5.0 (+100 %)"
frmAPTT: click cmdExam
)S"))) << log.toStdString();
}

TEST_P(DeltaSessionTest, NoPreviousResultOrOneOutsideTheWindowGivesNoDelta)
{
    // The patient of R2603001 has coagulation results, none with a bleeding time; R2607122's
    // previous potassium (01/10) is older than its 7-day window.
    ASSERT_TRUE(play(opening("R2603001") + QStringLiteral(R"S(
frmAPTT: set txtResult(8) 15
frmAPTT: expect-visible lblDeltaStatus no
frmAPTT: click cmdExam
open R2607122
frmWithNormalValues: expect grdEntry(2,3) 5.9
frmWithNormalValues: expect-visible lblDeltaStatus no
frmWithNormalValues: set grdEntry(2,3) 9.9
frmWithNormalValues: key grdEntry(2,3) Enter
frmWithNormalValues: expect-visible lblDeltaStatus no
frmWithNormalValues: click cmdExam
)S"))) << log.toStdString();

    // The window reaches back far enough once the laboratory widens it.
    check->execute("update laboratory..tbLabDeltaRule set WindowDays = 60 where ExamCode = '762'");
    ASSERT_TRUE(play(opening("R2607122") + QStringLiteral(R"S(
frmWithNormalValues: expect lblDeltaStatus "previous 3.2 on 01/10/2026, now 5.9 (+84 %)"
frmWithNormalValues: click cmdExam
)S"))) << log.toStdString();
}

TEST_P(DeltaSessionTest, TheChemistryGridShowsADeltaOnARowAndSavesIt)
{
    ASSERT_TRUE(play(opening("R2607112") + QStringLiteral(R"S(
frmWithNormalValues: expect lblDeltaStatus "previous 4.1 on 03/03/2026, now 6.3 (+54 %)"
frmWithNormalValues: click cmdExam
open R2607113
frmWithNormalValues: expect-visible lblDeltaStatus no
frmWithNormalValues: set txtAccNum C-7113
frmWithNormalValues: set grdEntry(1,3) 138
frmWithNormalValues: key grdEntry(1,3) Enter
frmWithNormalValues: expect-visible lblDeltaStatus no
frmWithNormalValues: set grdEntry(4,3) 23
frmWithNormalValues: key grdEntry(4,3) Enter
frmWithNormalValues: expect lblDeltaStatus "previous 16 on 03/07/2026, now 23 (+44 %)"
frmWithNormalValues: set grdEntry(2,3) 4.4
frmWithNormalValues: key grdEntry(2,3) Enter
frmWithNormalValues: expect lblDeltaStatus "previous 6.3 on 03/07/2026, now 4.4 (-30 %)"
frmWithNormalValues: click cmdSave
)S") + QString::fromLatin1(kSignOff)))
        << log.toStdString();
    ASSERT_EQ(deltas("R2607113"), 2) << log.toStdString();
    EXPECT_EQ(value("select ChangeText from laboratory..tbLabDeltaCheck where ExamCode = '762'"), "-30 %");
    EXPECT_EQ(value("select PreviousRequestNum from laboratory..tbLabDeltaCheck where ExamCode = '764'"), "R2607112");
    EXPECT_EQ(value("select Field from laboratory..tbLabDeltaCheck where ExamCode = '764'"), "");
}

TEST_P(DeltaSessionTest, BloodGasesCompareWithinTheirShortWindow)
{
    ASSERT_TRUE(play(opening("R2607106") + QStringLiteral(R"S(
frmABG: expect lblDelta_0 Δ
frmABG: expect lblDelta_1 Δ
frmABG: expect lblDeltaStatus "previous 7.41 on 03/05/2026, now 7.28 (-2 %)"
frmABG: set txtResult(0) 7.33
frmABG: expect lblDelta_0 ""
frmABG: expect lblDeltaStatus ""
frmABG: click cmdExam
)S"))) << log.toStdString();
}

// A failure at any statement of the save leaves no delta row; without delta rules the save sends
// nothing of them.
TEST_P(DeltaSessionTest, AFailingSaveLeavesNoDeltaRowAndNoRulesSendNothing)
{
    const QString drafts = settings.filePath(QStringLiteral("Corvane drafts"));
    const QString typed = opening("R2607103") + QStringLiteral(R"S(
frmAPTT: set txtAccNum A-7103
frmAPTT: set txtResult(8) 7.5
fault %1
frmAPTT: click cmdSave
answer OK
)S");
    int struck = 0;
    bool deltaStruck = false;
    for (int n = 1; n < 60; ++n) {
        play(typed.arg(n));
        const bool hit = labdb::faultStruck();
        labdb::disarmFault();
        QDir(drafts).removeRecursively();
        if (!hit)
            break;
        ++struck;
        deltaStruck = deltaStruck || !sent("Lab_Save_DeltaCheck").isEmpty();
        EXPECT_EQ(deltas("R2607103"), 0) << "fault at statement " << n << "\n" << log.toStdString();
        EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2607103'"), 0);
    }
    EXPECT_GT(struck, 3);
    EXPECT_TRUE(deltaStruck);

    // The run that no fault reached saved; saved again without rules, it adds nothing.
    const long long saved = deltas("R2607103");
    EXPECT_EQ(saved, 1);
    check->execute("delete from laboratory..tbLabDeltaRule");
    ASSERT_TRUE(play(opening("R2607103") + QStringLiteral(R"S(
frmAPTT: set txtAccNum A-7103
frmAPTT: set txtResult(8) 7.5
frmAPTT: expect-visible lblDeltaStatus no
frmAPTT: click cmdSave
)S") + QString::fromLatin1(kSignOff)))
        << log.toStdString();
    EXPECT_TRUE(sent("DeltaCheck").isEmpty()) << log.toStdString();
    EXPECT_EQ(deltas("R2607103"), saved);
}

INSTANTIATE_TEST_SUITE_P(Backends, DeltaSessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
