#include "services/reports/frmreportviewer.h"

#include "services/ui/messagebox.h"
#include "ui_frmreportviewer.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QShortcut>

namespace corvane {

namespace {

constexpr int kZoomPercents[] = {50, 75, 100, 125, 150, 200};

QString pdfFileName(const QString &title)
{
    QString name = title.simplified();
    static const QString unsafe = QStringLiteral("\\/:*?\"<>|");
    for (QChar &c : name) {
        if (unsafe.contains(c))
            c = QLatin1Char('_');
    }
    return (name.isEmpty() ? QStringLiteral("Report") : name) + QStringLiteral(".pdf");
}

} // namespace

frmReportViewer::frmReportViewer(const RenderedReport &report, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmReportViewer>()), m_report(report)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    // Enter must not print by accident.
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setAutoDefault(false);

    ui->cboZoom->addItem(tr("Page width"), ReportView::kPageWidth);
    ui->cboZoom->addItem(tr("Whole page"), ReportView::kWholePage);
    for (int percent : kZoomPercents)
        ui->cboZoom->addItem(QStringLiteral("%1%").arg(percent), percent);

    connect(ui->cmdPrint, &QPushButton::clicked, this, &frmReportViewer::print);
    connect(ui->cmdSavePdf, &QPushButton::clicked, this, &frmReportViewer::saveAsPdf);
    // Kept for the screens that know them; in a preview they only close it.
    connect(ui->cmdVerify, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->cmdEdit, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    ReportView *view = ui->crViewer1;
    connect(ui->cmdFirstPage, &QToolButton::clicked, view, [view] { view->setPage(0); });
    connect(ui->cmdPreviousPage, &QToolButton::clicked, view, [view] { view->setPage(view->page() - 1); });
    connect(ui->cmdNextPage, &QToolButton::clicked, view, [view] { view->setPage(view->page() + 1); });
    connect(ui->cmdLastPage, &QToolButton::clicked, view, [view] { view->setPage(view->pageCount() - 1); });
    connect(view, &ReportView::pageChanged, this, &frmReportViewer::showPage);
    connect(view, &ReportView::zoomChanged, this, &frmReportViewer::showZoom);
    connect(ui->cboZoom, &QComboBox::activated, view, [this, view](int index) {
        view->setZoom(ui->cboZoom->itemData(index).toInt());
    });
    auto *printShortcut = new QShortcut(QKeySequence::Print, this);
    connect(printShortcut, &QShortcut::activated, this, &frmReportViewer::print);

    view->setReportSource(m_report);
    view->setZoom(ReportView::kPageWidth);
    showZoom(view->zoom());
    showPage(view->page());
    view->setFocus();

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        resize(std::min(width(), room.width()), std::max(400, room.height() * 9 / 10));
    }
}

frmReportViewer::~frmReportViewer() = default;

void frmReportViewer::preparePrinter(QPrinter &printer, const RenderedReport &report, const QString &jobName)
{
    printer.setFullPage(true);
    printer.setPageLayout(report.pageLayout());
    printer.setDocName(jobName);
}

void frmReportViewer::showPage(int page)
{
    const int pages = ui->crViewer1->pageCount();
    ui->lblPage->setText(tr("Page %1 of %2").arg(page + 1).arg(pages));
    ui->cmdFirstPage->setEnabled(page > 0);
    ui->cmdPreviousPage->setEnabled(page > 0);
    ui->cmdNextPage->setEnabled(page + 1 < pages);
    ui->cmdLastPage->setEnabled(page + 1 < pages);
}

void frmReportViewer::showZoom(int zoom)
{
    const int index = ui->cboZoom->findData(zoom);
    if (index >= 0) {
        ui->cboZoom->setCurrentIndex(index);
    } else {
        ui->cboZoom->setCurrentIndex(-1);
        ui->cboZoom->setEditText(QStringLiteral("%1%").arg(zoom));
    }
}

void frmReportViewer::print()
{
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, m_report, windowTitle());
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (showModal(dialog) != QDialog::Accepted)
        return;
    try {
        m_report.paint(printer);
    } catch (const std::exception &e) {
        MessageBox::show(QString::fromStdString(e.what()), windowTitle(), QMessageBox::Critical);
        return;
    }
    accept();
}

void frmReportViewer::saveAsPdf()
{
    QFileDialog dialog(this, tr("Save as PDF"), QDir::home().filePath(pdfFileName(windowTitle())),
                       tr("PDF files (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    savePdf(dialog.selectedFiles().constFirst());
}

void frmReportViewer::savePdf(const QString &fileName)
{
    try {
        m_report.writePdf(fileName);
    } catch (const std::exception &e) {
        MessageBox::show(QString::fromStdString(e.what()), windowTitle(), QMessageBox::Critical);
    }
}

} // namespace corvane
