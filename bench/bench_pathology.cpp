// Opening the histopathology screen on the stored demo report (a long microscopic description,
// signed), from Show_ResultEntry until the screen is ready. PostgreSQL runs when CORVANE_TEST_PG
// is set.

#include "support/usersettings.h"

#include "host/clsresultentry.h"
#include "services/ui/messagebox.h"

#include <labdb/schema.h>

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

// Takes the modal screen back at once, as if it were closed.
class ClosingSeam : public corvane::IUiSeam {
public:
    QMessageBox::StandardButton message(const corvane::MessageRequest &) override { return QMessageBox::Ok; }
    int modal(QDialog &) override { return QDialog::Rejected; }
};

void BM_OpenHistopath(benchmark::State &state, testsupport::Backend backend)
{
    if (!testsupport::backendAvailable(backend)) {
        state.SkipWithError("CORVANE_TEST_PG not set");
        return;
    }
    testsupport::TempDatabase db(backend);
    labdb::loadDemoData(*db.connect());
    testsupport::UserSettings settings;
    settings.storeConnection(db);
    corvane::clsResultEntry entry;
    entry.setEmployeeCode(QStringLiteral("0101"));
    entry.setCanVerify(true);
    ClosingSeam seam;
    corvane::ScopedUiSeam scoped(seam);
    for (auto _ : state) {
        QString request = QStringLiteral("R2603701");
        qint16 selector = 0;
        entry.Show_ResultEntry(request, selector);
    }
}

BENCHMARK_CAPTURE(BM_OpenHistopath, SQLite, testsupport::Backend::Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenHistopath, PostgreSQL, testsupport::Backend::Postgres)->Unit(benchmark::kMillisecond);

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
