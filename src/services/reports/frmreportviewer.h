#pragma once
// The print preview: the report at page width, page by page, with zoom, printing and saving as
// PDF. Esc closes it; printing closes it too.

#include <reports/renderedreport.h>

#include <QDialog>

#include <memory>

namespace Ui {
class frmReportViewer;
}

class QPrinter;

namespace corvane {

class frmReportViewer : public QDialog {
    Q_OBJECT

public:
    explicit frmReportViewer(const RenderedReport &report, QWidget *parent = nullptr);
    ~frmReportViewer() override;

    // Printer set-up shared by the preview and direct printing: the report's paper, the full
    // sheet (the layout draws its own margins) and the title as the print job's name.
    static void preparePrinter(QPrinter &printer, const RenderedReport &report, const QString &jobName);

private:
    void print();
    void saveAsPdf();
    // Writes the shown report to a PDF file without asking; scripted sessions use it.
    Q_INVOKABLE void savePdf(const QString &fileName);
    void showPage(int page);
    void showZoom(int zoom);

    std::unique_ptr<Ui::frmReportViewer> ui;
    RenderedReport m_report;
};

} // namespace corvane
