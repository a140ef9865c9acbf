#include "services/reports/reports.h"

#include "services/reports/frmreportviewer.h"
#include "services/ui/messagebox.h"

#include <reports/renderedreport.h>

#include <QPrinter>
#include <QPrinterInfo>

namespace corvane {

namespace {

void prepare(ReportDocument &report, const ReportLogin &login, const QString &databaseName,
             const QStringList &parameters)
{
    report.retarget(databaseName, LogOnInfo{login.server, databaseName, login.user, login.password});
    report.setParameterValues(parameters);
}

void printDirect(const RenderedReport &pages, const QString &title)
{
    const QString pdf = qEnvironmentVariable("CORVANE_PRINTER_PDF");
    if (!pdf.isEmpty()) {
        QPrinter printer(QPrinter::HighResolution);
        frmReportViewer::preparePrinter(printer, pages, title);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        pages.paint(printer);
        return;
    }
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw ReportError(QStringLiteral("The report \"%1\" cannot be printed: no default printer is set up on "
                                         "this computer.")
                              .arg(title));
    QPrinter printer(info, QPrinter::HighResolution);
    frmReportViewer::preparePrinter(printer, pages, title);
    pages.paint(printer);
}

} // namespace

void OpenReport(CurrentReport &current, const ReportLogin &login, const QString &fileName,
                const QString &databaseName, const QStringList &parameters)
{
    current.reset();
    std::shared_ptr<ReportDocument> report = ReportDocument::open(fileName);
    report->setTitle(login.hospitalCompany);
    prepare(*report, login, databaseName, parameters);
    current = std::move(report);
}

void OpenSubreport(CurrentReport &current, const ReportLogin &login, const QString &name,
                   const QString &databaseName, const QStringList &parameters)
{
    if (!current)
        throw ReportError(QStringLiteral("The subreport \"%1\" cannot be opened: no report is open.").arg(name));
    prepare(current->subreport(name), login, databaseName, parameters);
}

void ShowReport(CurrentReport &current, bool showGroupTree, const QString &title, bool directPrint)
{
    Q_UNUSED(showGroupTree)
    if (!current)
        throw ReportError(QStringLiteral("There is no open report to show."));
    // Released however this ends: a report is shown or printed once.
    const std::shared_ptr<ReportDocument> report = std::exchange(current, nullptr);
    const RenderedReport pages = report->render();
    if (directPrint) {
        printDirect(pages, title);
        return;
    }
    frmReportViewer viewer(pages);
    viewer.setWindowTitle(title);
    showModal(viewer);
}

} // namespace corvane
