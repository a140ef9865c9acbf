// OpenReport / OpenSubreport / ShowReport as the screens call them, and the preview window.

#include "reportfixture.h"

#include "services/reports/frmreportviewer.h"
#include "services/reports/reports.h"
#include "services/reports/reportview.h"
#include "services/ui/scriptedseam.h"

#include <reports/renderedreport.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

const QString kAddress = QStringLiteral("123 MacArthur Highway, San Isidro, Tarlac City 2300");

class ReportRoutinesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reporttest::seedResults(db);
        ASSERT_TRUE(out.isValid());
    }
    void TearDown() override { qunsetenv("CORVANE_PRINTER_PDF"); }

    void openAptt(const QString &request = QStringLiteral("R2603001"))
    {
        OpenReport(current, login, QStringLiteral("\\LabPrint_APTT.RPT"), QStringLiteral("LABORATORY"),
                   {kAddress, request});
    }
    // The preview of the open APTT report, handed to `handle` (and every dialog it opens).
    void preview(const std::function<int(QDialog &)> &handle)
    {
        seam.setDialogHandler(handle);
        ScopedUiSeam scoped(seam);
        ShowReport(current, false, QStringLiteral("APTT Result"), false);
    }

    testsupport::TempDatabase db{testsupport::Backend::Sqlite};
    ReportLogin login{QStringLiteral("SAN ISIDRO DOCTORS HOSPITAL, INC."), QString::fromStdString(db.dataSource()),
                      QString(), QString()};
    CurrentReport current;
    QTemporaryDir out;
    ScriptedUiSeam seam;
};

TEST_F(ReportRoutinesTest, OpenReportTitlesRetargetsLogsOnAndFillsTheReport)
{
    const QString path = reporttest::writeLayout(out, QStringLiteral("Moved.RPT"), QStringLiteral(R"(
[parameters]
RequestNum
Extra = kept
[table hospital]
location = Patient_Data.dbo.tbHospitalInfo
[template]
x
)"));
    login.user = QStringLiteral("labuser");
    login.password = QStringLiteral("s3cret");
    OpenReport(current, login, path, QStringLiteral("LABORATORY"),
               {QStringLiteral("R2603001"), QStringLiteral("ignored?"), QStringLiteral("beyond the fields")});

    ASSERT_TRUE(current);
    EXPECT_EQ(current->title(), QStringLiteral("SAN ISIDRO DOCTORS HOSPITAL, INC."));
    EXPECT_EQ(current->tables()[0].location(), QStringLiteral("LABORATORY.dbo.tbHospitalInfo"));
    EXPECT_EQ(current->tables()[0].logOnInfo(), (LogOnInfo{login.server, QStringLiteral("LABORATORY"),
                                                           QStringLiteral("labuser"), QStringLiteral("s3cret")}));
    EXPECT_EQ(current->parameterFields()[0].currentValue(), QStringLiteral("R2603001"));
    EXPECT_EQ(current->parameterFields()[1].currentValue(), QStringLiteral("ignored?"));
}

TEST_F(ReportRoutinesTest, ANewOpenReleasesTheOldReportAndAFailedOneLeavesNone)
{
    openAptt();
    const std::weak_ptr<ReportDocument> first = current;
    openAptt(QStringLiteral("R2603010"));
    EXPECT_TRUE(first.expired());
    const std::weak_ptr<ReportDocument> second = current;

    const QString path = reporttest::writeLayout(out, QStringLiteral("NoDatabase.RPT"),
                                                 QStringLiteral("[table result]\nlocation = tbLabResult\n[template]\nx\n"));
    try {
        OpenReport(current, login, path, QStringLiteral("LABORATORY"), {});
        FAIL() << "a table without a database was retargeted";
    } catch (const ReportError &e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("\"tbLabResult\" names no database"))) << e.what();
    }
    EXPECT_FALSE(current);
    EXPECT_TRUE(second.expired());

    EXPECT_THROW(OpenReport(current, login, QStringLiteral("\\LabPrint_NoSuch.RPT"), QStringLiteral("LABORATORY"), {}),
                 ReportError);
    EXPECT_THROW(ShowReport(current, false, QStringLiteral("APTT Result"), false), ReportError);
}

TEST_F(ReportRoutinesTest, OpenSubreportPreparesTheNamedSubreportOfTheOpenReport)
{
    EXPECT_THROW(OpenSubreport(current, login, QStringLiteral("Antibiotic"), QStringLiteral("LABORATORY"), {}),
                 ReportError);
    const QString path = reporttest::writeLayout(out, QStringLiteral("Cs.RPT"), QStringLiteral(R"(
[template]
main
[subreport Antibiotic]
[parameters]
RequestNum
[table sensitivity]
location = Other.dbo.tbLabResult
where = RequestNum = {?RequestNum}
[template]
sub
)"));
    OpenReport(current, login, path, QStringLiteral("LABORATORY"), {QStringLiteral("ignored: no fields")});
    OpenSubreport(current, login, QStringLiteral("antibiotic"), QStringLiteral("LABORATORY"), {QStringLiteral("R1")});
    ReportDocument &sub = current->subreport(QStringLiteral("Antibiotic"));
    EXPECT_EQ(sub.tables()[0].location(), QStringLiteral("LABORATORY.dbo.tbLabResult"));
    EXPECT_TRUE(sub.tables()[0].logOnInfo().has_value());
    EXPECT_EQ(sub.parameterFields()[0].currentValue(), QStringLiteral("R1"));
    EXPECT_THROW(OpenSubreport(current, login, QStringLiteral("CBC"), QStringLiteral("LABORATORY"), {}), ReportError);
}

TEST_F(ReportRoutinesTest, PreviewShowsTheReportAtPageWidthUnderTheCaptionAndReleasesIt)
{
    openAptt();
    const std::weak_ptr<ReportDocument> opened = current;
    bool shown = false;
    preview([&](QDialog &dialog) {
        auto *viewer = qobject_cast<frmReportViewer *>(&dialog);
        if (!viewer)
            return int(QDialog::Rejected);
        shown = true;
        EXPECT_EQ(viewer->windowTitle(), QStringLiteral("APTT Result"));
        auto *view = viewer->findChild<ReportView *>(QStringLiteral("crViewer1"));
        EXPECT_EQ(view->zoom(), ReportView::kPageWidth);
        EXPECT_EQ(viewer->findChild<QLabel *>(QStringLiteral("lblPage"))->text(), QStringLiteral("Page 1 of 1"));
        viewer->show();
        QTest::keyClick(viewer, Qt::Key_Escape);
        EXPECT_FALSE(viewer->isVisible()) << "Esc closes the window";
        return viewer->result();
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(seam.dialogs(), QStringList({QStringLiteral("frmReportViewer")}));
    EXPECT_FALSE(current);
    EXPECT_TRUE(opened.expired());
}

TEST_F(ReportRoutinesTest, PrintAndSaveAsPdfFromThePreview)
{
    openAptt();
    const QString printed = out.filePath(QStringLiteral("printed.pdf"));
    const QString saved = out.filePath(QStringLiteral("saved.pdf"));
    int printDialogs = 0;
    preview([&](QDialog &dialog) {
        if (auto *print = qobject_cast<QPrintDialog *>(&dialog)) {
            if (++printDialogs == 1) // the user cancels the first time
                return int(QDialog::Rejected);
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(printed);
            return int(QDialog::Accepted);
        }
        if (auto *files = qobject_cast<QFileDialog *>(&dialog)) {
            EXPECT_EQ(files->acceptMode(), QFileDialog::AcceptSave);
            EXPECT_TRUE(files->selectedFiles().value(0).endsWith(QStringLiteral("APTT Result.pdf")));
            files->selectFile(saved);
            return int(QDialog::Accepted);
        }
        dialog.show();
        const auto click = [&](const char *name) { dialog.findChild<QPushButton *>(QLatin1String(name))->click(); };
        click("cmdSavePdf");
        EXPECT_TRUE(dialog.isVisible()) << "saving keeps the preview";
        click("cmdPrint");
        EXPECT_TRUE(dialog.isVisible()) << "closed although printing was cancelled";
        click("cmdPrint");
        EXPECT_FALSE(dialog.isVisible()) << "printing closes the preview";
        return dialog.result();
    });
    EXPECT_EQ(printDialogs, 2);
    const QString text = reporttest::pdfText(printed);
    EXPECT_TRUE(text.contains(QStringLiteral("Request No. R2603001"))) << text.toStdString();
    EXPECT_TRUE(reporttest::pdfInfo(printed, QStringLiteral("Page size")).contains(QStringLiteral("A4")));
    EXPECT_TRUE(reporttest::pdfText(saved).contains(QStringLiteral("Fibrinogen <150 mg/dL")));
}

TEST_F(ReportRoutinesTest, DirectPrintGoesToTheDefaultPrinterWithoutAWindowOrSaysThereIsNone)
{
    if (QPrinterInfo::defaultPrinter().isNull()) {
        openAptt();
        try {
            ShowReport(current, false, QStringLiteral("APTT Result"), true);
            FAIL() << "printing without a printer went unnoticed";
        } catch (const ReportError &e) {
            EXPECT_EQ(e.description(), QStringLiteral("The report \"APTT Result\" cannot be printed: no default "
                                                      "printer is set up on this computer."));
        }
        EXPECT_FALSE(current);
    }

    openAptt();
    const QString printer = out.filePath(QStringLiteral("direct.pdf"));
    qputenv("CORVANE_PRINTER_PDF", printer.toLocal8Bit());
    {
        ScopedUiSeam scoped(seam);
        ShowReport(current, false, QStringLiteral("APTT Result"), true);
    }
    EXPECT_TRUE(seam.dialogs().isEmpty());
    EXPECT_FALSE(current);
    EXPECT_TRUE(reporttest::pdfText(printer).contains(QStringLiteral("Request No. R2603001")));
}

TEST(ReportViewerTest, PagesTurnByButtonAndKeyAndZoomFollowsTheCombo)
{
    // A three-page report needs no database.
    const RenderedReport report = ReportDocument::fromLayout(
        Layout::parse(QStringLiteral("[report]\npaper = A5\n[template]\n<p>one</p><p style=\"page-break-before: "
                                     "always\">two</p><p style=\"page-break-before: always\">three</p>\n"),
                      QStringLiteral("Three.RPT")))->render();
    frmReportViewer viewer(report);
    viewer.resize(700, 600);
    viewer.show();
    auto *view = viewer.findChild<ReportView *>(QStringLiteral("crViewer1"));
    auto *label = viewer.findChild<QLabel *>(QStringLiteral("lblPage"));
    auto button = [&](const char *name) { return viewer.findChild<QToolButton *>(QString::fromLatin1(name)); };

    EXPECT_FALSE(button("cmdPreviousPage")->isEnabled());
    button("cmdNextPage")->click();
    EXPECT_EQ(label->text(), QStringLiteral("Page 2 of 3"));
    EXPECT_TRUE(button("cmdPreviousPage")->isEnabled());
    button("cmdLastPage")->click();
    EXPECT_EQ(label->text(), QStringLiteral("Page 3 of 3"));
    EXPECT_FALSE(button("cmdNextPage")->isEnabled());
    button("cmdFirstPage")->click();
    EXPECT_EQ(view->page(), 0);

    auto *zoom = viewer.findChild<QComboBox *>(QStringLiteral("cboZoom"));
    EXPECT_EQ(zoom->currentText(), QStringLiteral("Page width"));
    const int narrow = view->widget()->width();
    viewer.resize(1000, 600);
    QApplication::processEvents();
    EXPECT_GT(view->widget()->width(), narrow + 200) << "page width follows the window";
    zoom->setCurrentIndex(zoom->findText(QStringLiteral("200%")));
    Q_EMIT zoom->activated(zoom->currentIndex());
    EXPECT_DOUBLE_EQ(view->scale(), 2.0);
    EXPECT_NEAR(view->widget()->width(), report.pageSize().width() * 2, 30);

    // Page Down scrolls first and turns the page at the bottom.
    QScrollBar *bar = view->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(view->page(), 0);
    bar->setValue(bar->maximum());
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(view->page(), 1);
    EXPECT_EQ(bar->value(), 0);
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view->page(), 2);
}

} // namespace
