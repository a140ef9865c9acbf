// Opening the urinalysis screen on a stored result (the demo's abnormal urinalysis): twenty
// pick-list combos, the stored row and the sign-off state, until the screen is ready to show.
// PostgreSQL runs when CORVANE_TEST_PG is set.

#include "support/usersettings.h"

#include "host/clsresultentry.h"
#include "services/ui/messagebox.h"

#include <labdb/schema.h>

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

// Closes the screen as soon as it would be shown.
class Seam : public corvane::IUiSeam {
public:
    QMessageBox::StandardButton message(const corvane::MessageRequest &) override { return QMessageBox::Ok; }
    int modal(QDialog &) override { return QDialog::Rejected; }
};

void BM_OpenUrinalysis(benchmark::State &state, testsupport::Backend backend)
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
    Seam seam;
    corvane::ScopedUiSeam scoped(seam);
    for (auto _ : state) {
        QString request = QStringLiteral("R2603612");
        qint16 selector = 0;
        entry.Show_ResultEntry(request, selector);
    }
}

BENCHMARK_CAPTURE(BM_OpenUrinalysis, SQLite, testsupport::Backend::Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenUrinalysis, PostgreSQL, testsupport::Backend::Postgres)->Unit(benchmark::kMillisecond);

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
