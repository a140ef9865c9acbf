#pragma once
// The fixture of the end-to-end tests: a demo database on each backend, the workstation's settings
// pointing at it, and scripts played through labhost's runner as a laboratory plays them.

#include "support/usersettings.h"

#include "scriptrunner.h"

#include <labdb/schema.h>
#include <labdb/session.h>

#include <QFileInfo>

namespace e2e {

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
