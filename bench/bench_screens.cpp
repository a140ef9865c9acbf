// Opening the coagulation screen on a stored result (Show_ResultEntry until the screen is ready)
// and one later save, against the same save's database commands run on their own.
// PostgreSQL runs when CORVANE_TEST_PG is set.

#include "support/usersettings.h"

#include "forms/common/resultform.h"
#include "host/clsresultentry.h"
#include "services/ui/messagebox.h"
#include "session/sessioncontext.h"

#include <labdb/schema.h>

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

using corvane::Command;
using corvane::SessionContext;

// A demo database with a stored coagulation result, and the settings pointing at it.
struct Site {
    explicit Site(testsupport::Backend backend) : db(backend)
    {
        {
            auto driver = db.connect();
            labdb::loadDemoData(*driver);
        }
        settings.storeConnection(db);
        entry = std::make_unique<corvane::clsResultEntry>();
        entry->setEmployeeCode(QStringLiteral("0101"));
        entry->setCanVerify(true);
        corvane::Connection &c = SessionContext::current().db();
        c.beginTrans();
        c.execute(Command("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603001', '', '0101','3/7/2026 2:05:00 "
                          "PM', '3/7/2026 2:05:00 PM','A-1001'"));
        c.execute(Command("Laboratory..Lab_Save_APTT 0, 'R2603001','03/07/2026 02:05 PM', '03/07/2026 02:05 PM', "
                          "'A-1001', 'Clot detection', '12.5', '12.0', '1.04', '98', '31.4', '30.0', '290', '3', "
                          "'7', 'Normal', 'Clot detection', '03/07/2026 02:05 PM'"));
        c.commitTrans();
    }
    testsupport::TempDatabase db;
    testsupport::UserSettings settings;
    std::unique_ptr<corvane::clsResultEntry> entry;
};

// Hands the modal screen to a function instead of showing it.
class Seam : public corvane::IUiSeam {
public:
    std::function<void(QDialog &)> onScreen;
    QMessageBox::StandardButton message(const corvane::MessageRequest &) override { return QMessageBox::Ok; }
    int modal(QDialog &dialog) override
    {
        if (onScreen)
            onScreen(dialog);
        return QDialog::Rejected;
    }
};

void open(Site &site)
{
    QString request = QStringLiteral("R2603001");
    qint16 selector = 0;
    site.entry->Show_ResultEntry(request, selector);
}

bool available(benchmark::State &state, testsupport::Backend backend)
{
    if (testsupport::backendAvailable(backend))
        return true;
    state.SkipWithError("CORVANE_TEST_PG not set");
    return false;
}

void BM_OpenScreen(benchmark::State &state, testsupport::Backend backend)
{
    if (!available(state, backend))
        return;
    Site site(backend);
    Seam seam;
    corvane::ScopedUiSeam scoped(seam);
    for (auto _ : state)
        open(site);
}

void BM_Save(benchmark::State &state, testsupport::Backend backend)
{
    if (!available(state, backend))
        return;
    Site site(backend);
    Seam seam;
    seam.onScreen = [&state](QDialog &dialog) {
        auto &form = dynamic_cast<corvane::ResultForm &>(dialog);
        for (auto _ : state) {
            if (!form.Save_Entries())
                state.SkipWithError("the save failed");
        }
    };
    corvane::ScopedUiSeam scoped(seam);
    open(site);
}

// The commands one later save sends, run on their own in one transaction.
void BM_SaveCommandsAlone(benchmark::State &state, testsupport::Backend backend)
{
    if (!available(state, backend))
        return;
    Site site(backend);
    QStringList sent;
    Seam seam;
    seam.onScreen = [&sent](QDialog &dialog) {
        corvane::Connection &c = SessionContext::current().db();
        c.setCommandObserver([&sent](const QString &text) { sent << text; });
        dynamic_cast<corvane::ResultForm &>(dialog).Save_Entries();
        c.setCommandObserver({});
    };
    {
        corvane::ScopedUiSeam scoped(seam);
        open(site);
    }
    std::vector<Command> commands;
    for (const QString &text : sent)
        commands.push_back(Command::fromText(text));
    corvane::Connection &c = SessionContext::current().db();
    for (auto _ : state) {
        c.beginTrans();
        for (const Command &command : commands)
            c.query(command);
        c.commitTrans();
    }
}

BENCHMARK_CAPTURE(BM_OpenScreen, SQLite, testsupport::Backend::Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, SQLite, testsupport::Backend::Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveCommandsAlone, SQLite, testsupport::Backend::Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenScreen, PostgreSQL, testsupport::Backend::Postgres)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, PostgreSQL, testsupport::Backend::Postgres)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveCommandsAlone, PostgreSQL, testsupport::Backend::Postgres)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
