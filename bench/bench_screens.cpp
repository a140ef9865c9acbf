// Opening the coagulation screen on a stored result (Show_ResultEntry until the screen is ready)
// and one later save, against the same save's database commands run on their own; opening the
// stored demo results of other screens (urinalysis with its twenty pick lists, a long signed
// histopathology report); the 30-row chemistry panel, also with a delta rule and a previous result
// on every row (goal: median under 100 ms on both backends).
// PostgreSQL runs when CORVANE_TEST_PG is set.

#include "support/usersettings.h"

#include "forms/common/grdentry.h"
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

// A 30-row chemistry panel with a stored result of every row, on the normal-values screen. With
// deltas, every row has a delta rule and the patient's earlier panel a previous result for it.
struct PanelSite {
    static constexpr int kRows = 30;
    explicit PanelSite(testsupport::Backend backend, bool deltas = false) : db(backend)
    {
        {
            auto driver = db.connect();
            labdb::loadDemoData(*driver);
            const auto t = [&](labdb::Database where, const char *table) { return driver->qualify(where, table); };
            labdb::Transaction tx(*driver);
            driver->run("INSERT INTO " + t(labdb::Database::BuildFile, "tbCoLabExam") +
                            " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, WithReagent, SupExamID, "
                            "Status) VALUES ('900', 'COMPREHENSIVE CHEMISTRY PANEL', 'A', 'S02', 'P', '1', 0, '', 'A')",
                        {});
            for (int i = 1; i <= kRows; ++i)
                driver->run("INSERT INTO " + t(labdb::Database::Laboratory, "tbLabResultFormat") +
                                " (ExamCode, EntryMode, Code, LineNo, Exam, FormType, sNValue, sUnit, sMin, sMax, "
                                "CNValue, CUnit, CMinValue, CMaxValue, Factor, Operator) VALUES ('900', 0, ?, ?, ?, "
                                "'1', '3.9-6.1', 'mmol/L', '3.9', '6.1', '70-110', 'mg/dL', '70', '110', '0.0555', '/')",
                            {"9" + std::to_string(100 + i), std::to_string(i), "ANALYTE " + std::to_string(i)});
            driver->run("INSERT INTO " + t(labdb::Database::Laboratory, "tbLabMaster") +
                            " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, "
                            "Transplant, Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, "
                            "PatientType, Method, BloodType, Status, RequestDate, DateFinished, SendOuts) SELECT "
                            "'R2609900', HospNum, IDNum, '900', SpecimenID, DoctorID, Rush, 'CS-9900', ORNum, "
                            "Transplant, Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, "
                            "PatientType, Method, BloodType, Status, RequestDate, DateFinished, SendOuts FROM " +
                            t(labdb::Database::Laboratory, "tbLabMaster") + " WHERE RequestNum = 'R2603031'",
                        {});
            if (deltas)
                addPrevious(*driver);
            tx.commit();
        }
        settings.storeConnection(db);
        entry = std::make_unique<corvane::clsResultEntry>();
        entry->setEmployeeCode(QStringLiteral("0101"));
        entry->setCanVerify(true);
        corvane::Connection &c = SessionContext::current().db();
        c.beginTrans();
        c.execute(Command("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2609900', '', '0101','3/7/2026 2:05:00 "
                          "PM', '3/7/2026 2:05:00 PM','P-9900'"));
        for (int i = 1; i <= kRows; ++i)
            c.execute(Command("Lab_FormMaker_SaveResultWithNormalValues 'R2609900', '")
                      << QString::number(9100 + i) << "', '5." << QString::number(i % 10)
                      << "', '3.9-6.1' , 'mmol/L', '3.9', '6.1', '92.00', '70-110', 'mg/dL', '70', '110', '0.0555', "
                         "'1', '"
                      << QString::number(i)
                      << "', 'P-9900','', '3/7/2026 2:05:00 PM', '3/7/2026 2:05:00 PM', '', '0101', 'N', '', "
                         "'3/7/2026 2:05:00 PM'");
        c.commitTrans();
    }
    // The rules, and an earlier stored panel of the same patient with every row 4.0.
    static void addPrevious(labdb::Driver &driver)
    {
        const auto lab = [&](const char *table) { return driver.qualify(labdb::Database::Laboratory, table); };
        driver.run("INSERT INTO " + lab("tbLabMaster") +
                       " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, "
                       "Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, "
                       "BloodType, Status, RequestDate, DateFinished, SendOuts) SELECT 'R2609899', HospNum, IDNum, "
                       "'900', SpecimenID, DoctorID, Rush, 'CS-9899', ORNum, Transplant, Dialysis, ReaderID, "
                       "PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, BloodType, 'F', "
                       "RequestDate, DateFinished, SendOuts FROM " + lab("tbLabMaster") +
                       " WHERE RequestNum = 'R2603031'",
                   {});
        driver.run("INSERT INTO " + lab("tbLabLogbook") +
                       " (RequestNum, ExamID, EmployeeCode, AccessionNum, ResultDate, EntryMode, Remarks, Method, "
                       "LoggedAt) VALUES ('R2609899', '', '0101', 'P-9899', '2026-03-05 08:00:00', 0, '', '', "
                       "'2026-03-05 08:00:00')",
                   {});
        for (int i = 1; i <= kRows; ++i) {
            const std::string code = std::to_string(9100 + i);
            driver.run("INSERT INTO " + lab("tbLabDeltaRule") +
                           " (ExamCode, Field, AbsoluteChange, PercentChange, WindowDays) VALUES (?, '', '0.5', '10', "
                           "3650)",
                       {code});
            driver.run("INSERT INTO " + lab("tbLabResultNValues") +
                           " (RequestNum, ExamCode, RowNo, ExamName, sResult, sNValues, sUnit, sMin, sMax, CResult, "
                           "CNValues, CUnit, CMinValue, CMaxValue, Factor, FormType, Flag, EmployeeCode, Verified, "
                           "SavedAt) VALUES ('R2609899', ?, ?, ?, '4.0', '3.9-6.1', 'mmol/L', '3.9', '6.1', '72.07', "
                           "'70-110', 'mg/dL', '70', '110', '0.0555', '1', '', '0101', 'N', '2026-03-05 08:00:00')",
                       {code, std::to_string(i), "ANALYTE " + std::to_string(i)});
        }
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

void open(Site &site, const char *requestNum = "R2603001")
{
    QString request = QString::fromLatin1(requestNum);
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

void BM_OpenDemoResult(benchmark::State &state, testsupport::Backend backend, const char *request)
{
    if (!available(state, backend))
        return;
    Site site(backend);
    Seam seam;
    corvane::ScopedUiSeam scoped(seam);
    for (auto _ : state)
        open(site, request);
}

// Show_ResultEntry of the 30-row panel until its screen is filled and shown.
void BM_OpenNormalValuesPanel(benchmark::State &state, testsupport::Backend backend)
{
    if (!available(state, backend))
        return;
    PanelSite site(backend);
    Seam seam;
    int rows = 0;
    seam.onScreen = [&rows](QDialog &dialog) {
        if (auto *grid = dialog.findChild<QWidget *>(QStringLiteral("grdEntry")))
            rows = grid->property("Rows").toInt() - 1;
    };
    corvane::ScopedUiSeam scoped(seam);
    for (auto _ : state) {
        QString request = QStringLiteral("R2609900");
        qint16 selector = 0;
        site.entry->Show_ResultEntry(request, selector);
    }
    if (rows != PanelSite::kRows)
        state.SkipWithError("the panel did not open with its 30 stored rows");
}

// The same panel with a delta rule on every row and a previous result for each: the one lookup of
// the previous results, and a Δ on every row.
void BM_OpenDeltaPanel(benchmark::State &state, testsupport::Backend backend)
{
    if (!available(state, backend))
        return;
    PanelSite site(backend, true);
    Seam seam;
    int deltas = 0;
    seam.onScreen = [&deltas](QDialog &dialog) {
        deltas = 0;
        auto *grid = dialog.findChild<corvane::GrdEntry *>(QStringLiteral("grdEntry"));
        for (int r = 1; grid && r < grid->Rows(); ++r)
            deltas += grid->CellNote(r, 3).contains(QChar(0x394)) ? 1 : 0;
    };
    corvane::ScopedUiSeam scoped(seam);
    for (auto _ : state) {
        QString request = QStringLiteral("R2609900");
        qint16 selector = 0;
        site.entry->Show_ResultEntry(request, selector);
    }
    if (deltas != PanelSite::kRows)
        state.SkipWithError("the panel did not show a delta on each of its 30 rows");
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
BENCHMARK_CAPTURE(BM_OpenNormalValuesPanel, SQLite, testsupport::Backend::Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenNormalValuesPanel, PostgreSQL, testsupport::Backend::Postgres)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDeltaPanel, SQLite, testsupport::Backend::Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDeltaPanel, PostgreSQL, testsupport::Backend::Postgres)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenScreen, PostgreSQL, testsupport::Backend::Postgres)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, PostgreSQL, testsupport::Backend::Postgres)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveCommandsAlone, PostgreSQL, testsupport::Backend::Postgres)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, UrinalysisSQLite, testsupport::Backend::Sqlite, "R2603612")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, UrinalysisPostgreSQL, testsupport::Backend::Postgres, "R2603612")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, HistopathSQLite, testsupport::Backend::Sqlite, "R2603701")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, HistopathPostgreSQL, testsupport::Backend::Postgres, "R2603701")
    ->Unit(benchmark::kMillisecond);
// The four-organism wound culture.
BENCHMARK_CAPTURE(BM_OpenDemoResult, CultureSQLite, testsupport::Backend::Sqlite, "R2603804")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, CulturePostgreSQL, testsupport::Backend::Postgres, "R2603804")
    ->Unit(benchmark::kMillisecond);
// The stains: a Gram stain with its send-out flag, an AFB series day, a urine Wright stain.
BENCHMARK_CAPTURE(BM_OpenDemoResult, GramStainSQLite, testsupport::Backend::Sqlite, "R2603901")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, GramStainPostgreSQL, testsupport::Backend::Postgres, "R2603901")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, AfbSQLite, testsupport::Backend::Sqlite, "R2603902")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, AfbPostgreSQL, testsupport::Backend::Postgres, "R2603902")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, UrineWrightSQLite, testsupport::Backend::Sqlite, "R2603905")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, UrineWrightPostgreSQL, testsupport::Backend::Postgres, "R2603905")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, CrossmatchingSQLite, testsupport::Backend::Sqlite, "R2603501")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, CrossmatchingPostgreSQL, testsupport::Backend::Postgres, "R2603501")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, AnaPanelSQLite, testsupport::Backend::Sqlite, "R2603505")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, AnaPanelPostgreSQL, testsupport::Backend::Postgres, "R2603505")
    ->Unit(benchmark::kMillisecond);
// A five-line lipid profile in the exam-entry list.
BENCHMARK_CAPTURE(BM_OpenDemoResult, ExamSetSQLite, testsupport::Backend::Sqlite, "R2604102")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, ExamSetPostgreSQL, testsupport::Backend::Postgres, "R2604102")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, InterpretationSQLite, testsupport::Backend::Sqlite, "R2604201")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, InterpretationPostgreSQL, testsupport::Backend::Postgres, "R2604201")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, NormalRangeSQLite, testsupport::Backend::Sqlite, "R2604202")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, NormalRangePostgreSQL, testsupport::Backend::Postgres, "R2604202")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, CustomBatchSQLite, testsupport::Backend::Sqlite, "R2604203")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, CustomBatchPostgreSQL, testsupport::Backend::Postgres, "R2604203")
    ->Unit(benchmark::kMillisecond);
// Body fluid, semen, stone; an executive check-up package and a pre-employment panel.
BENCHMARK_CAPTURE(BM_OpenDemoResult, BodyFluidSQLite, testsupport::Backend::Sqlite, "R2604301")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, BodyFluidPostgreSQL, testsupport::Backend::Postgres, "R2604301")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, SemenSQLite, testsupport::Backend::Sqlite, "R2604303")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, SemenPostgreSQL, testsupport::Backend::Postgres, "R2604303")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, StoneSQLite, testsupport::Backend::Sqlite, "R2604307")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, StonePostgreSQL, testsupport::Backend::Postgres, "R2604307")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, ExecutiveSQLite, testsupport::Backend::Sqlite, "R2604310")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, ExecutivePostgreSQL, testsupport::Backend::Postgres, "R2604310")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, PanelSQLite, testsupport::Backend::Sqlite, "R2604312")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, PanelPostgreSQL, testsupport::Backend::Postgres, "R2604312")
    ->Unit(benchmark::kMillisecond);
// Serology: a stored two-item threshold exam (rows and header from two loaders) and the Widal grid.
BENCHMARK_CAPTURE(BM_OpenDemoResult, ThresholdSQLite, testsupport::Backend::Sqlite, "R2604003")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, ThresholdPostgreSQL, testsupport::Backend::Postgres, "R2604003")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, WidalSQLite, testsupport::Backend::Sqlite, "R2604005")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenDemoResult, WidalPostgreSQL, testsupport::Backend::Postgres, "R2604005")
    ->Unit(benchmark::kMillisecond);

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
