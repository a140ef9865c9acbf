// Flags and the critical-value call on the coagulation screen, played as a laboratory validates
// it: typed and stored values flagged, the call written with the save or not at all, and the
// interval a result was judged by kept when the master changes.

#include "e2e/scriptedsession.h"

#include <labdb/driver.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace {

constexpr auto kOpen = R"(clock 2026-03-07 14:05:00
session EmployeeCode=%2 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open %1
)";

// Signed off and printed to the PDF.
constexpr auto kSignAndPrint = R"(frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)";

constexpr auto kCall = R"(frmCriticalCall: expect-enabled cmdOK no
frmCriticalCall: set txtPerson Nurse Ana Reyes
frmCriticalCall: set txtWard MEDICAL WARD 3F
frmCriticalCall: expect-enabled cmdOK no
frmCriticalCall: check chkReadBack
frmCriticalCall: click cmdOK
)";

class ClinicalSessionTest : public e2e::ScriptedSessionTest {
protected:
    // A later save of a stored result is the supervisor's.
    static QString opening(const char *request, const char *user = "0101")
    {
        return QString::fromLatin1(kOpen).arg(QLatin1String(request), QLatin1String(user));
    }
    QString signAndPrint(const char *pdf) const { return QString::fromLatin1(kSignAndPrint).arg(pdfPath(pdf)); }
    static QString pdfText(const QString &pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished();
        // The fonts' ligatures come out as one character.
        return QString::fromUtf8(p.readAllStandardOutput())
            .replace(QChar(0xFB01), QLatin1String("fi"))
            .replace(QChar(0xFB02), QLatin1String("fl"))
            .simplified();
    }
    long long calls(const char *request)
    {
        return count(std::string("select count(*) from laboratory..tbLabCriticalCall where RequestNum = '") + request +
                     "'");
    }
    // The SQL sent after a window was shown.
    QStringList sentAfter(const QString &shown) const
    {
        QStringList out;
        bool after = false;
        for (const QString &l : log.split(QLatin1Char('\n'))) {
            after = after || l.startsWith(QStringLiteral("SHOW ") + shown);
            if (after && l.startsWith(QLatin1String("SQL  ")))
                out << l;
        }
        return out;
    }
};

TEST_P(ClinicalSessionTest, FlagsFollowTypedAndStoredValuesWithoutChangingThem)
{
    ASSERT_TRUE(play(opening("R2603001") + QStringLiteral(R"(
frmAPTT: expect lblFlag_1 ""
frmAPTT: set txtResult(1) 15.2
frmAPTT: expect lblFlag_1 H
frmAPTT: set txtResult(1) 10.9 sec
frmAPTT: expect lblFlag_1 L
frmAPTT: set txtResult(1) 13.5
frmAPTT: expect lblFlag_1 ""
frmAPTT: set txtResult(7) 1,250
frmAPTT: expect lblFlag_7 H
frmAPTT: set txtResult(7) <90
frmAPTT: expect lblFlag_7 LL
frmAPTT: set txtResult(7) clotted
frmAPTT: expect lblFlag_7 ""
frmAPTT: set txtResult(5) >120
frmAPTT: expect lblFlag_5 HH
frmAPTT: click cmdExam
open R2605101
frmAPTT: expect txtResult(1) 15.2
frmAPTT: expect lblFlag_1 H
frmAPTT: expect lblFlag_3 H
frmAPTT: expect lblFlag_4 L
frmAPTT: expect lblFlag_7 L
frmAPTT: expect lblFlag_5 H
frmAPTT: click cmdExam
)"))) << log.toStdString();
    // Opening and typing looked nothing up in the command log.
    EXPECT_FALSE(log.contains(QLatin1String("ClinicalLimits"))) << log.toStdString();
}

TEST_P(ClinicalSessionTest, BloodGasFlagsByThePatientsSex)
{
    // R2603010 is a woman's: 12.9 g/dL is within her interval and below a man's.
    ASSERT_TRUE(play(opening("R2603010") + QStringLiteral(R"(
frmABG: set txtResult(0) 7.15
frmABG: expect lblFlag_0 LL
frmABG: set txtResult(0) 7.31
frmABG: expect lblFlag_0 L
frmABG: set txtResult(9) 11.9
frmABG: expect lblFlag_9 L
frmABG: set txtResult(9) 12.9
frmABG: expect lblFlag_9 ""
frmABG: click cmdExam
)"))) << log.toStdString();
}

TEST_P(ClinicalSessionTest, OkWritesTheCallWithTheSaveAndTheReportNotesIt)
{
    const long long audit = count("select count(*) from laboratory..tbAuditTrail");
    ASSERT_TRUE(play(opening("R2603001") + QStringLiteral(R"(
frmAPTT: set txtAccNum A-1001
frmAPTT: set txtResult(1) 12.5
frmAPTT: set txtResult(5) >120
frmAPTT: set txtResult(7) 95
frmAPTT: click cmdSave
)") + QString::fromLatin1(kCall) + signAndPrint("critical.pdf")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("SHOW frmCriticalCall \"Critical result\""))) << log.toStdString();
    ASSERT_EQ(calls("R2603001"), 2);
    EXPECT_EQ(value("select NotifiedPerson from laboratory..tbLabCriticalCall where Field = 'result6'"),
              "Nurse Ana Reyes");
    EXPECT_EQ(value("select ResultValue from laboratory..tbLabCriticalCall where Field = 'result6'"), ">120");
    EXPECT_EQ(value("select LimitText from laboratory..tbLabCriticalCall where Field = 'result8'"), "< 100");
    EXPECT_EQ(value("select WardRole from laboratory..tbLabCriticalCall where Field = 'result8'"), "MEDICAL WARD 3F");
    EXPECT_EQ(value("select EmployeeCode from laboratory..tbLabCriticalCall where Field = 'result8'"), "0101");
    EXPECT_EQ(value("select ReadBack from laboratory..tbLabCriticalCall where Field = 'result8'"), "1");
    EXPECT_EQ(value("select CallTime from laboratory..tbLabCriticalCall where Field = 'result8'").substr(0, 16),
              "2026-03-07 14:05");
    // The stored text is what was typed; the judgement sits beside it.
    EXPECT_EQ(value("select result6 from laboratory..tbLabResult where RequestNum = 'R2603001'"), ">120");
    EXPECT_EQ(value("select Flag from laboratory..tbLabResultJudgement where RequestNum = 'R2603001' and Field = "
                    "'result6'"),
              "HH");
    EXPECT_EQ(value("select Flag from laboratory..tbLabResultJudgement where RequestNum = 'R2603001' and Field = "
                    "'result2'"),
              "");
    // Each call is in the audit trail with the save, between the logbook row and the commit.
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail where CommandText like '%Lab_Save_CriticalCall%'"),
              2);
    EXPECT_GT(count("select count(*) from laboratory..tbAuditTrail"), audit + 3);
    const QStringList sent = sentAfter(QStringLiteral("frmCriticalCall"));
    const auto firstWith = [&](const char *text) {
        for (int i = 0; i < sent.size(); ++i) {
            if (sent[i].contains(QLatin1String(text)))
                return i;
        }
        return -1;
    };
    EXPECT_LT(firstWith("SaveToLogbook"), firstWith("Lab_Save_CriticalCall")) << log.toStdString();
    EXPECT_LT(firstWith("Lab_Save_APTT"), firstWith("Lab_Save_CriticalCall")) << log.toStdString();

    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "no pdftotext to read the report";
    const QString printed = pdfText(pdfPath("critical.pdf"));
    EXPECT_TRUE(printed.contains(QStringLiteral("Critical value(s) notified to Nurse Ana Reyes (MEDICAL WARD 3F) at "
                                                "03/07/2026 02:05 PM by")))
        << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral(">120 HH"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("95 LL"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("25.0 \u2013 35.0"))) << printed.toStdString();
}

TEST_P(ClinicalSessionTest, CancelSendsNothingAndKeepsTheScreenAsTyped)
{
    const long long audit = count("select count(*) from laboratory..tbAuditTrail");
    ASSERT_TRUE(play(opening("R2603001") + QStringLiteral(R"(
frmAPTT: set txtAccNum A-1001
frmAPTT: set txtResult(5) >120
frmAPTT: type rtfComments "Heparin running"
frmAPTT: click cmdSave
frmCriticalCall: set txtPerson Nurse Ana Reyes
frmCriticalCall: click cmdCancel
frmAPTT: expect txtResult(5) >120
frmAPTT: expect lblFlag_5 HH
frmAPTT: expect rtfComments "Heparin running"
frmAPTT: expect-enabled cmdSave yes
frmAPTT: click cmdExam
)"))) << log.toStdString();
    EXPECT_EQ(sentAfter(QStringLiteral("frmCriticalCall")), QStringList()) << log.toStdString();
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail"), audit);
    EXPECT_EQ(calls("R2603001"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603001'"), 0);
}

// A failure at any statement of the save leaves neither the result nor a call row.
TEST_P(ClinicalSessionTest, AFailingSaveLeavesNoCallRow)
{
    const QString drafts = settings.filePath(QStringLiteral("Corvane drafts"));
    const QString typed = opening("R2603001") + QStringLiteral(R"(
frmAPTT: set txtAccNum A-1001
frmAPTT: set txtResult(5) >120
fault %1
frmAPTT: click cmdSave
)") + QString::fromLatin1(kCall) + QStringLiteral("answer OK\n");
    int struck = 0;
    for (int n = 1; n < 60; ++n) {
        play(typed.arg(n));
        const bool hit = labdb::faultStruck();
        labdb::disarmFault();
        QDir(drafts).removeRecursively();
        if (!hit)
            break;
        ++struck;
        EXPECT_EQ(calls("R2603001"), 0) << "fault at statement " << n << "\n" << log.toStdString();
        EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603001'"), 0)
            << "fault at statement " << n;
    }
    // The call statements were among those failed.
    EXPECT_GT(struck, 3);
}

TEST_P(ClinicalSessionTest, LaterSavesAskOnlyForChangedValuesAndKeepTheJudgement)
{
    ASSERT_TRUE(play(opening("R2603001") + QStringLiteral(R"(
frmAPTT: set txtAccNum A-1001
frmAPTT: set txtResult(1) 14.0
frmAPTT: set txtResult(5) >120
frmAPTT: click cmdSave
)") + QString::fromLatin1(kCall) + QStringLiteral("frmMedTech: click FlatBttn1\n")))
        << log.toStdString();
    ASSERT_EQ(calls("R2603001"), 1);

    // The laboratory widens its PT interval; the saved result keeps the one it was judged by.
    check->execute("update laboratory..tbLabReferenceInterval set HighValue = '15.0' where ExamCode = '101' and "
                   "Field = 'result2'");
    // Saved again unchanged: no call; the comment alone changes.
    ASSERT_TRUE(play(opening("R2603001", "1") + QStringLiteral(R"(
frmAPTT: expect lblFlag_5 HH
frmAPTT: type rtfComments "Checked"
frmAPTT: click cmdSave
)") + signAndPrint("again.pdf")))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QLatin1String("SHOW frmCriticalCall"))) << log.toStdString();
    EXPECT_EQ(calls("R2603001"), 1);
    EXPECT_EQ(value("select PrintedText from laboratory..tbLabResultJudgement where RequestNum = 'R2603001' and "
                    "Field = 'result2'"),
              "11.0 \u2013 13.5");
    EXPECT_EQ(value("select Flag from laboratory..tbLabResultJudgement where RequestNum = 'R2603001' and "
                    "Field = 'result2'"),
              "H");

    // A changed critical value is called again.
    ASSERT_TRUE(play(opening("R2603001", "1") + QStringLiteral(R"(
frmAPTT: set txtResult(5) 150
frmAPTT: click cmdSave
)") + QString::fromLatin1(kCall) + QStringLiteral("frmMedTech: click FlatBttn1\n")))
        << log.toStdString();
    EXPECT_EQ(calls("R2603001"), 2);

    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "no pdftotext to read the report";
    const QString printed = pdfText(pdfPath("again.pdf"));
    EXPECT_TRUE(printed.contains(QStringLiteral("14.0 H"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("11.0 \u2013 13.5"))) << printed.toStdString();
    EXPECT_FALSE(printed.contains(QStringLiteral("11.0 \u2013 15.0"))) << printed.toStdString();
}

// A screen whose exam has no intervals shows no flags; once the master has them, it does.
TEST_P(ClinicalSessionTest, BodyFluidFlagsOnceItsExamHasIntervals)
{
    check->execute("insert into laboratory..tbLabReferenceInterval (ExamCode, Field, Sex, AgeFrom, AgeUnit, LowValue, "
                   "HighValue, Unit, PrintedText) values ('112', 'result7', 'B', 0, 'Y', NULL, '1000', '/uL', "
                   "'Less than 1,000 /uL')");
    ASSERT_TRUE(play(opening("R2603012") + QStringLiteral(R"(
frmBodyFluid: set txtResult(6) 3,250 /uL
frmBodyFluid: expect lblFlag_6 H
frmBodyFluid: set txtResult(6) 1,000 /uL
frmBodyFluid: expect lblFlag_6 ""
frmBodyFluid: set txtResult(6) Less than 1,000
frmBodyFluid: expect lblFlag_6 ""
frmBodyFluid: expect txtResult(6) Less than 1,000
frmBodyFluid: set txtResult(6) 3,250 /uL
frmBodyFluid: click cmdSave
)") + signAndPrint("fluid.pdf"))) << log.toStdString();
    // The report prints the flag the value was saved with.
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "no pdftotext to read the report";
    const QString printed = pdfText(pdfPath("fluid.pdf"));
    EXPECT_TRUE(printed.contains(QStringLiteral("3,250 /uL H"))) << printed.toStdString();
}

TEST_P(ClinicalSessionTest, SemenListsFlagTheirWrittenAmounts)
{
    for (const char *row : {"('116', 'result4', 'B', 0, 'Y', '1.5', NULL, 'mL', '1.5 mL or more')",
                            "('116', 'result21', 'B', 0, 'Y', NULL, '10', '%', '')"})
        check->execute(std::string("insert into laboratory..tbLabReferenceInterval (ExamCode, Field, Sex, AgeFrom, "
                                   "AgeUnit, LowValue, HighValue, Unit, PrintedText) values ") +
                       row);
    ASSERT_TRUE(play(opening("R2604304") + QStringLiteral(R"(
frmSemenAnalysis: set xCbo(3) 2.5 mL
frmSemenAnalysis: expect lblFlag_3 ""
frmSemenAnalysis: set xCbo(3) 1.0 mL
frmSemenAnalysis: expect lblFlag_3 L
frmSemenAnalysis: set xCbo(19) 25%
frmSemenAnalysis: expect lblFlag_19 H
frmSemenAnalysis: click cmdSave
)") + signAndPrint("semen.pdf"))) << log.toStdString();
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "no pdftotext to read the report";
    const QString printed = pdfText(pdfPath("semen.pdf"));
    EXPECT_TRUE(printed.contains(QStringLiteral("1.0 mL L"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("25% H"))) << printed.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, ClinicalSessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
