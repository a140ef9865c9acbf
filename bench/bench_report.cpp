// One result report, from layout file to PDF, on the embedded demo database: the whole print step
// as a screen runs it (open, retarget, read, lay out, write), and its parts.

#include "support/dbfixture.h"

#include "services/database/connection.h"

#include <labdb/schema.h>
#include <reports/renderedreport.h>
#include <reports/reportdocument.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

struct Lab {
    Lab() : db(testsupport::Backend::Sqlite)
    {
        auto driver = db.connect();
        labdb::loadDemoData(*driver);
        const std::string result = driver->qualify(labdb::Database::Laboratory, "tbLabResult");
        driver->run("INSERT INTO " + result +
                        " (RequestNum, result1, result2, result3, result4, result5, result6, result7, result8, "
                        "result9, result10, result20) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                    {"R2603001", "Clotting", "14.2", "12.5", "1.16", "82", "38.4", "30.1", "310", "2.5", "6",
                     "Sample slightly lipemic."});
        const std::string signoff = driver->qualify(labdb::Database::Laboratory, "tbLabResultMedTech");
        driver->run("INSERT INTO " + signoff + " (RequestNum, MedTechID, VerifiedBy, Pathologist) VALUES (?, ?, ?, ?)",
                    {"R2603001", "0102", "0101", "Antonio C. Villanueva, M.D."});
        logOn = {QString::fromStdString(db.dataSource()), QStringLiteral("LABORATORY"), QString(), QString()};
    }

    std::shared_ptr<corvane::ReportDocument> open() const
    {
        auto report = corvane::ReportDocument::open(QStringLiteral("\\LabPrint_APTT.RPT"));
        report->setTitle(QStringLiteral("SAN ISIDRO DOCTORS HOSPITAL, INC."));
        report->retarget(QStringLiteral("LABORATORY"), logOn);
        report->setParameterValues({QStringLiteral("123 MacArthur Highway"), QStringLiteral("R2603001")});
        return report;
    }

    testsupport::TempDatabase db;
    corvane::LogOnInfo logOn;
    QTemporaryDir out;
};

// The print step of a screen: the report logs on with its own connection each time.
void BM_AptTReportToPdf(benchmark::State &state)
{
    Lab lab;
    const QString pdf = lab.out.filePath(QStringLiteral("aptt.pdf"));
    for (auto _ : state)
        lab.open()->render().writePdf(pdf);
}

// The same with the connection already open: what the report itself costs.
void BM_AptTReportToPdf_OpenConnection(benchmark::State &state)
{
    Lab lab;
    corvane::ConnectionCache connections;
    connections.connectionFor(lab.logOn);
    const QString pdf = lab.out.filePath(QStringLiteral("aptt.pdf"));
    const auto report = lab.open();
    for (auto _ : state)
        report->render(connections).writePdf(pdf);
}

// Reading the data and laying out the page, without the PDF.
void BM_AptTReportLayoutOnly(benchmark::State &state)
{
    Lab lab;
    corvane::ConnectionCache connections;
    const auto report = lab.open();
    for (auto _ : state)
        benchmark::DoNotOptimize(report->render(connections).pageCount());
}

BENCHMARK(BM_AptTReportToPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AptTReportToPdf_OpenConnection)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AptTReportLayoutOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
