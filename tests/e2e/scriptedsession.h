#pragma once
// The fixture of the end-to-end tests: a demo database on each backend, the workstation's settings
// pointing at it, and scripts played through labhost's runner as a laboratory plays them.

#include "support/usersettings.h"

#include "scriptrunner.h"

#include <labdb/schema.h>
#include <labdb/session.h>

#include <QFileInfo>
#include <QRegularExpression>

#include <map>
#include <set>

namespace e2e {

// One screen's save: a request, the screen the dispatch opens for it, and how many message boxes
// come before the screen (answered OK, as a technologist would).
struct SaveCase {
    QString request;
    QString screen;
    int messagesBeforeScreen = 0;
    bool worked = false;
    QString prelude; // the choice made in a window that comes before the screen
    QStringList commands; // what the clean save sent, from the click on Save on
    QString opening;      // the script line that opens the screen: "open REQUEST" when empty

    QString openingLine() const { return opening.isEmpty() ? QStringLiteral("open ") + request : opening; }
};

// Windows that only choose the screen to open, and the button that takes their default choice.
inline const std::map<QString, QString> kChoosers = {{QStringLiteral("frmBethesda"), QStringLiteral("cmdUse")}};

class ScriptedSessionTest : public testsupport::BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (!db)
            return;
        labdb::loadDemoData(*db->connect());
        ASSERT_TRUE(settings.isValid());
        settings.storeConnection(*db);
        qputenv("CORVANE_SUPERVISOR_CODES", "1,1234567");
        check = std::make_unique<labdb::Session>(db->connect());
    }
    void TearDown() override
    {
        check.reset();
        BackendTest::TearDown();
    }

    // Runs a script; the log is kept for the assertions and shown when a test fails.
    bool play(const QString &script)
    {
        log.clear();
        QTextStream out(&log);
        labhost::ScriptRunner runner(out);
        const bool ok = runner.run(script);
        out.flush();
        return ok;
    }
    // The save of a case as a supervisor plays it, with an optional script line just before Save.
    QString saveScript(const SaveCase &c, const QString &beforeSave) const
    {
        QString s = QStringLiteral("clock 2026-03-09 10:00:00\n"
                                   "supervisors 0101\n"
                                   "session EmployeeCode=0101 EmployeeName=\"Liza Marie Castillo\" CanVerify=true\n"
                                   "%1\n")
                        .arg(c.openingLine());
        for (int i = 0; i < c.messagesBeforeScreen; ++i)
            s += QStringLiteral("answer OK\n");
        s += c.prelude;
        if (!beforeSave.isEmpty())
            s += beforeSave + QLatin1Char('\n');
        s += c.screen + QStringLiteral(": click cmdSave\nanswer OK\n");
        return s;
    }

    // Opens the case's request to see which screen shows; saves it once when that screen has no
    // case of its kind yet, and keeps it with the commands the save sent.
    void tryCase(SaveCase c, std::set<QString> &seen, std::vector<SaveCase> &cases)
    {
        const QRegularExpression shown(QStringLiteral("^SHOW (\\w+) "));
        play(c.openingLine() + QLatin1Char('\n'));
        for (const QString &line : log.split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("MSG ")))
                ++c.messagesBeforeScreen;
            const QRegularExpressionMatch m = shown.match(line);
            if (m.hasMatch()) {
                c.screen = m.captured(1);
                break;
            }
        }
        if (const auto chooser = kChoosers.find(c.screen); chooser != kChoosers.end()) {
            c.prelude = c.screen + QStringLiteral(": click ") + chooser->second + QLatin1Char('\n');
            c.screen.clear();
            QString opening = c.openingLine() + QLatin1Char('\n');
            for (int i = 0; i < c.messagesBeforeScreen; ++i)
                opening += QStringLiteral("answer OK\n");
            play(opening + c.prelude);
            const QStringList shows = log.split(QLatin1Char('\n')).filter(shown);
            if (shows.size() > 1)
                c.screen = shown.match(shows[1]).captured(1);
        }
        const QString key = c.screen + (c.worked ? QStringLiteral("/worked") : QStringLiteral("/open"));
        if (c.screen.isEmpty() || seen.count(key))
            return;
        // Saved once here, on the scratch database, to see that nothing but the sign-off follows.
        // The touched file only marks in the log where the save begins.
        play(saveScript(c, QStringLiteral("touch ") + settings.filePath(QStringLiteral("save-begins"))));
        if (!log.contains(QLatin1String("SHOW frmMedTech")) || log.contains(QLatin1String("\nMSG ")))
            return;
        c.commands = commandsAfterTouch();
        seen.insert(key);
        cases.push_back(c);
    }

    // Opens every request of the demo on the scratch database once, and the demo's requests of the
    // screens that only a selector or their name opens, and keeps, per screen, the first worked and
    // the first open request whose plain save goes through to the sign-off.
    std::vector<SaveCase> discoverSaves(testsupport::TempDatabase &scratch)
    {
        std::vector<SaveCase> cases;
        std::set<QString> seen;
        auto lab = scratch.connect();
        std::set<std::string> worked;
        for (const labdb::Row &r : lab->run("SELECT RequestNum FROM " + lab->qualify(labdb::Database::Laboratory, "tbLabLogbook"), {}).rows)
            worked.insert(*r[0]);
        const labdb::ResultSet requests =
            lab->run("SELECT RequestNum FROM " + lab->qualify(labdb::Database::Laboratory, "tbLabMaster") +
                         " ORDER BY RequestNum",
                     {});
        for (const labdb::Row &r : requests.rows)
            tryCase({QString::fromStdString(*r[0]), {}, 0, worked.count(*r[0]) > 0, {}, {}, {}}, seen, cases);
        for (const labdb::DemoOpening &o : labdb::demoOpenings()) {
            const QString request = QLatin1String(o.request);
            const QString opening = o.byName ? QStringLiteral("open-screen %1 %2").arg(QLatin1String(o.screen), request)
                                             : QStringLiteral("open %1 %2").arg(request).arg(o.selector);
            tryCase({request, {}, 0, worked.count(o.request) > 0, {}, {}, opening}, seen, cases);
        }
        return cases;
    }

    // The commands the last script sent after its `touch` line.
    QStringList commandsAfterTouch() const
    {
        QStringList commands;
        // A value with a line break spreads a command over several lines of the log; its quotes
        // are open until the command's last line.
        bool open = false;
        for (const QString &line : log.section(QStringLiteral("\nTOUCH "), 1).split(QLatin1Char('\n'))) {
            if (open)
                commands.last() += QLatin1Char('\n') + line;
            else if (line.startsWith(QLatin1String("SQL  ")))
                commands << line.mid(5);
            else
                continue;
            open = commands.last().count(QLatin1Char('\'')) % 2 == 1;
        }
        return commands;
    }

    bool logged(const QString &line) const { return log.split(QLatin1Char('\n')).contains(line); }
    int countLogged(const QString &prefix) const
    {
        int n = 0;
        for (const QString &l : log.split(QLatin1Char('\n')))
            n += l.startsWith(prefix) ? 1 : 0;
        return n;
    }
    std::string value(const std::string &sql)
    {
        const labdb::ResultSet rs = check->execute(sql);
        return rs.rows.empty() || !rs.rows[0][0] ? std::string("<none>") : *rs.rows[0][0];
    }
    long long count(const std::string &sql) { return std::stoll(value(sql)); }

    QString pdfPath(const char *name) const { return settings.filePath(QLatin1String(name)); }

    // A first save of the coagulation screen by med tech 0101, signed off and printed to PDF.
    QString firstApttSave() const
    {
        return QStringLiteral(R"(
clock 2026-03-07 14:05:00
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true VerifyMode=false Clerk=false
open R2603001
frmAPTT: expect-enabled cmdPrint no
frmAPTT: expect-enabled cmdVerify no
frmAPTT: expect-enabled cmdSave yes
frmAPTT: expect dtSubmitted 03/07/2026
frmAPTT: expect dtSubmittedTime 02:05 PM
frmAPTT: expect dtFinishedTime 02:05 PM
frmAPTT: expect-enabled cboReagent yes
frmAPTT: choose cboReagent "APTT REAGENT KIT"
frmAPTT: set txtAccNum A-1001
frmAPTT: set txtResult(0) Photo-optical clot detection
frmAPTT: set txtResult(1) 12.5
frmAPTT: set txtResult(2) 12.0
frmAPTT: set txtResult(5) 31.4
frmAPTT: type rtfComments "Seen by O'Brien"
frmAPTT: expect rtfComments "Seen by O`Brien"
frmAPTT: click cmdSave
frmMedTech: set txtMedTech Castillo
frmMedTech: key txtMedTech Enter
frmListMedTech: click cmdSelect
frmMedTech: click cmdFinish
frmReportViewer: pdf "%1"
frmReportViewer: close
)")
            .arg(pdfPath("aptt.pdf"));
    }

    testsupport::UserSettings settings;
    std::unique_ptr<labdb::Session> check;
    QString log;
};

} // namespace e2e
