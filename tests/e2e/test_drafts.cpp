// A save that fails keeps what was typed on the workstation, and opening the request again offers
// it back. Played as a technologist plays it, with a fault in the save, on both backends.

#include "scriptedsession.h"

#include <labdb/driver.h>

#include <QDir>

#include <sys/stat.h>

namespace {

constexpr auto kHeader = R"s(clock 2026-03-07 14:05:00
session EmployeeCode=%1 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false EntryMode=1
open %2
)s";

class DraftSessionTest : public e2e::ScriptedSessionTest {
protected:
    static QString opening(const QString &request, const QString &user = QStringLiteral("0101"))
    {
        return QString::fromLatin1(kHeader).arg(user, request);
    }
    QString folder() const { return settings.filePath(QStringLiteral("Corvane drafts")); }
    QStringList drafts() const { return QDir(folder()).entryList(QDir::Files); }

    // A script that arms a fault: it must not reach a later script.
    bool playFailing(const QString &script)
    {
        const bool ok = play(script);
        const bool struck = labdb::faultStruck();
        labdb::disarmFault();
        EXPECT_TRUE(struck) << log.toStdString();
        return ok;
    }

    // Every command of the save, from its logbook row on. Lookups made while typing (a grid asks
    // for its exam lines at each keystroke) are not the save's and are not repeated by a draft.
    QStringList commands() const
    {
        QStringList out;
        for (const QString &l : log.split(QLatin1Char('\n'))) {
            if (l.startsWith(QLatin1String("SQL  ")) && (!out.isEmpty() || l.contains(QLatin1String("SaveToLogbook"))))
                out << l;
        }
        return out;
    }

    // The commands of a save of these entries that never failed, on a database of its own.
    QStringList cleanSave(const QString &script)
    {
        testsupport::TempDatabase reference(GetParam());
        labdb::loadDemoData(*reference.connect());
        settings.storeConnection(reference);
        const bool ok = play(script);
        settings.storeConnection(*db);
        EXPECT_TRUE(ok) << log.toStdString();
        return commands();
    }

    // Types the entries, fails the save at the statement, opens the request again and takes the
    // draft: the second save sends exactly what a save that never failed sends.
    void takeBack(const QString &request, const QString &screen, const QString &prompts, const QString &typed,
                  const QString &fault, const QString &shown)
    {
        const QString save = screen + QStringLiteral(": click cmdSave\nfrmMedTech: click FlatBttn1\n");
        const QStringList expected = cleanSave(opening(request) + prompts + typed + save);
        ASSERT_FALSE(expected.isEmpty());

        ASSERT_TRUE(playFailing(opening(request) + prompts + typed + fault + QLatin1Char('\n') + screen +
                         QStringLiteral(": click cmdSave\nanswer OK\n")))
            << log.toStdString();
        ASSERT_EQ(countLogged(QStringLiteral("MSG  [Save_Entries of Result Entry Class] Data was not saved!")), 1)
            << log.toStdString();
        ASSERT_EQ(drafts().size(), 1);
        EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = '" + request.toStdString() + "'"),
                  0);

        ASSERT_TRUE(play(opening(request) + prompts + QStringLiteral("answer Yes\n") + shown + save)) << log.toStdString();
        EXPECT_EQ(countLogged(QStringLiteral("MSG  [Unsaved Results] Results typed for request %1 on ").arg(request)), 1)
            << log.toStdString();
        EXPECT_EQ(commands().join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());
        EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = '" + request.toStdString() + "'"),
                  1);
        EXPECT_TRUE(drafts().isEmpty()) << drafts().join(QLatin1Char(' ')).toStdString();

        // Saved: the next opening offers nothing.
        play(opening(request) + prompts + screen + QStringLiteral(": close\n"));
        EXPECT_EQ(countLogged(QStringLiteral("MSG  [Unsaved Results]")), 0) << log.toStdString();
    }
};

TEST_P(DraftSessionTest, CoagulationResultsTypedBeforeALostConnectionComeBackAndSaveAsTyped)
{
    if (!db)
        return;
    takeBack(QStringLiteral("R2603001"), QStringLiteral("frmAPTT"), {}, QStringLiteral(R"s(
frmAPTT: choose cboReagent "APTT REAGENT KIT"
frmAPTT: set txtAccNum A-1001
frmAPTT: set txtResult(0) Photo-optical clot detection
frmAPTT: set txtResult(1) 12.5
frmAPTT: set txtResult(5) 31.4
frmAPTT: type rtfComments "Seen by O'Brien"
frmAPTT: set dtSubmittedTime 01:40 PM
)s"),
             QStringLiteral("fault 3 lost"), QStringLiteral(R"s(
frmAPTT: expect cboReagent "APTT REAGENT KIT"
frmAPTT: expect txtAccNum A-1001
frmAPTT: expect txtResult(1) 12.5
frmAPTT: expect rtfComments "Seen by O`Brien"
frmAPTT: expect dtSubmittedTime 01:40 PM
frmAPTT: expect dtFinishedTime 02:05 PM
)s"));
    EXPECT_EQ(value("select Result2 from laboratory..tbLabResult where RequestNum = 'R2603001'"), "12.5");
}

TEST_P(DraftSessionTest, UrinalysisListsAndTextBoxesComeBack)
{
    if (!db)
        return;
    takeBack(QStringLiteral("R2603003"), QStringLiteral("frmUrinalysis"), {}, QStringLiteral(R"s(
frmUrinalysis: choose cboReagent "URINE REAGENT STRIP 10P"
frmUrinalysis: set txtAccNum U-1001
frmUrinalysis: choose xCbo(0) "Yellow"
frmUrinalysis: set xCbo(5) "1+ (confirmed)"
frmUrinalysis: type rtfResult(1) "Calcium oxalate: few"
frmUrinalysis: choose cboChem(1) "Positive"
frmUrinalysis: set txtResult(4) 0.4
)s"),
             QStringLiteral("fault 2 error"), QStringLiteral(R"s(
frmUrinalysis: expect xCbo(0) Yellow
frmUrinalysis: expect xCbo(5) "1+ (confirmed)"
frmUrinalysis: expect rtfResult(1) "Calcium oxalate: few"
frmUrinalysis: expect cboChem(1) Positive
frmUrinalysis: expect txtResult(4) 0.4
)s"));
    EXPECT_EQ(value("select result1 from laboratory..tbLabResult where RequestNum = 'R2603003'"), "Yellow");
}

TEST_P(DraftSessionTest, GridCellsComeBackWithTheirConversionAndDecliningDropsThem)
{
    if (!db)
        return;
    const QString prompts = QStringLiteral("answer OK \"Exam has more than one Item/Reagent!\"\n");
    takeBack(QStringLiteral("R2603031"), QStringLiteral("frmWithNormalValues"), prompts, QStringLiteral(R"s(
frmWithNormalValues: set txtAccNum F-0311
frmWithNormalValues: choose cboReagent "GLUCOSE - VITROS 250"
frmWithNormalValues: type grdEntry(1,3) 6.8
frmWithNormalValues: key grdEntry(1,3) Enter
frmWithNormalValues: type txtRemarks "Patient's 10-hour fast"
)s"),
             QStringLiteral("fault 4 error"), QStringLiteral(R"s(
frmWithNormalValues: expect grdEntry(1,3) 6.8
frmWithNormalValues: expect grdEntry(1,8) 122.52
frmWithNormalValues: expect txtRemarks "Patient`s 10-hour fast"
)s"));
    EXPECT_EQ(value("select sResult from laboratory..tbLabResultNValues where RequestNum = 'R2603031'"), "6.8");
}

TEST_P(DraftSessionTest, DecliningDropsTheDraftAndClosingWithoutSavingKeepsIt)
{
    if (!db)
        return;
    const QString request = opening(QStringLiteral("R2603001"));
    ASSERT_TRUE(playFailing(request + QStringLiteral(R"s(
frmAPTT: set txtResult(1) 12.5
fault 1 error
frmAPTT: click cmdSave
answer OK
)s"))) << log.toStdString();
    // Taken but not saved: still kept for the next time.
    ASSERT_TRUE(play(request + QStringLiteral("answer Yes\nfrmAPTT: expect txtResult(1) 12.5\nfrmAPTT: close\n")))
        << log.toStdString();
    ASSERT_EQ(drafts().size(), 1);
    ASSERT_TRUE(play(request + QStringLiteral("answer No\nfrmAPTT: expect txtResult(1) \"\"\nfrmAPTT: close\n")))
        << log.toStdString();
    EXPECT_TRUE(drafts().isEmpty());
    EXPECT_TRUE(play(request + QStringLiteral("frmAPTT: close\n"))) << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("MSG  [Unsaved Results]")), 0);
}

TEST_P(DraftSessionTest, ADraftIsItsTypistsAloneAndPrivateWhateverTheUmask)
{
    if (!db)
        return;
    const auto failedSave = [](const QString &typed) {
        return typed + QStringLiteral("fault 2 error\nfrmAPTT: click cmdSave\nanswer OK\n");
    };
    // Nothing typed, nothing kept: the fill alone is no draft.
    ASSERT_TRUE(playFailing(opening(QStringLiteral("R2603001"), QStringLiteral("0102")) + failedSave({}))) << log.toStdString();
    EXPECT_TRUE(drafts().isEmpty());

    const mode_t umaskBefore = umask(0);
    const bool played = playFailing(opening(QStringLiteral("R2603001")) + failedSave(QStringLiteral("frmAPTT: set txtResult(1) 12.5\n")));
    umask(umaskBefore);
    ASSERT_TRUE(played) << log.toStdString();
    ASSERT_EQ(drafts().size(), 1);
    struct stat file {};
    struct stat dir {};
    ASSERT_EQ(stat(QDir(folder()).filePath(drafts().first()).toLocal8Bit().constData(), &file), 0);
    ASSERT_EQ(stat(folder().toLocal8Bit().constData(), &dir), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    EXPECT_EQ(dir.st_mode & 0777, 0700u);

    // Another technologist on the workstation is not offered it, and typing of its own is kept apart.
    ASSERT_TRUE(playFailing(opening(QStringLiteral("R2603001"), QStringLiteral("0102")) +
                     failedSave(QStringLiteral("frmAPTT: expect txtResult(1) \"\"\nfrmAPTT: set txtResult(1) 99\n"))))
        << log.toStdString();
    EXPECT_EQ(countLogged(QStringLiteral("MSG  [Unsaved Results]")), 0);
    EXPECT_EQ(drafts().size(), 2);
    ASSERT_TRUE(play(opening(QStringLiteral("R2603001")) +
                     QStringLiteral("answer Yes\nfrmAPTT: expect txtResult(1) 12.5\nfrmAPTT: close\n")))
        << log.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, DraftSessionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
