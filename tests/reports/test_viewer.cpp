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
        db = std::make_unique<testsupport::TempDatabase>(testsupport::Backend::Sqlite);
        reporttest::seedResults(*db);
        login = ReportLogin{QStringLiteral("SAN ISIDRO DOCTORS HOSPITAL, INC."),
                            QString::fromStdString(db->dataSource()), QString(), QString()};
        ASSERT_TRUE(out.isValid());
    }
    void TearDown() override { qunsetenv("CORVANE_PRINTER_PDF"); }

    void openAptt(const QString &request = QStringLiteral("R2603001"))
    {
        OpenReport(current, login, QStringLiteral("\\LabPrint_APTT.RPT"), QStringLiteral("LABORATORY"),
                   {kAddress, request});
    }

    std::unique_ptr<testsupport::TempDatabase> db;
    ReportLogin login;
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
[table result]
location = Laboratory..tbLabResult
where = RequestNum = {?RequestNum}
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
    EXPECT_EQ(current->tables()[1].location(), QStringLiteral("LABORATORY..tbLabResult"));
    for (const ReportTable &t : current->tables())
        EXPECT_EQ(t.logOnInfo(), (LogOnInfo{login.server, QStringLiteral("LABORATORY"), QStringLiteral("labuser"),
                                            QStringLiteral("s3cret")}));
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

    const QString path = reporttest::writeLayout(out, QStringLiteral("NoDatabase.RPT"), QStringLiteral(R"(
[table result]
location = tbLabResult
[template]
x
)"));
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
    seam.setDialogHandler([&](QDialog &dialog) {
        auto *viewer = qobject_cast<frmReportViewer *>(&dialog);
        EXPECT_NE(viewer, nullptr);
        if (!viewer)
            return int(QDialog::Rejected);
        shown = true;
        EXPECT_EQ(viewer->windowTitle(), QStringLiteral("APTT Result"));
        auto *view = viewer->findChild<ReportView *>(QStringLiteral("crViewer1"));
        EXPECT_NE(view, nullptr);
        EXPECT_EQ(view->zoom(), ReportView::kPageWidth);
        EXPECT_EQ(view->pageCount(), 1);
        EXPECT_EQ(viewer->findChild<QLabel *>(QStringLiteral("lblPage"))->text(), QStringLiteral("Page 1 of 1"));
        EXPECT_FALSE(viewer->findChild<QToolButton *>(QStringLiteral("cmdNextPage"))->isEnabled());

        // Esc closes the window.
        viewer->show();
        QTest::keyClick(viewer, Qt::Key_Escape);
        EXPECT_FALSE(viewer->isVisible());
        return viewer->result();
    });
    {
        ScopedUiSeam scoped(seam);
        ShowReport(current, false, QStringLiteral("APTT Result"), false);
    }
    EXPECT_TRUE(shown);
    EXPECT_EQ(seam.dialogs(), QStringList({QStringLiteral("frmReportViewer")}));
    EXPECT_FALSE(current);
    EXPECT_TRUE(opened.expired());
}

TEST_F(ReportRoutinesTest, PrintActionPrintsWhatThePrintDialogChoseAndCloses)
{
    openAptt();
    const QString printed = out.filePath(QStringLiteral("printed.pdf"));
    int printDialogs = 0;
    bool closed = false;
    seam.setDialogHandler([&](QDialog &dialog) {
        if (auto *print = qobject_cast<QPrintDialog *>(&dialog)) {
            // The first time the user cancels; the preview stays.
            if (++printDialogs == 1)
                return int(QDialog::Rejected);
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(printed);
            return int(QDialog::Accepted);
        }
        dialog.show();
        auto *cmdPrint = dialog.findChild<QPushButton *>(QStringLiteral("cmdPrint"));
        cmdPrint->click();
        EXPECT_TRUE(dialog.isVisible()) << "closed although printing was cancelled";
        cmdPrint->click();
        closed = !dialog.isVisible();
        return dialog.result();
    });
    {
        ScopedUiSeam scoped(seam);
        ShowReport(current, false, QStringLiteral("APTT Result"), false);
    }
    EXPECT_EQ(printDialogs, 2);
    EXPECT_TRUE(closed);
    const QString text = reporttest::pdfText(printed);
    EXPECT_TRUE(text.contains(QStringLiteral("Request No. R2603001"))) << text.toStdString();
    EXPECT_TRUE(reporttest::pdfInfo(printed, QStringLiteral("Page size")).contains(QStringLiteral("A4")));
}

TEST_F(ReportRoutinesTest, SaveAsPdfWritesTheChosenFileAndKeepsThePreview)
{
    openAptt();
    const QString saved = out.filePath(QStringLiteral("saved.pdf"));
    seam.setDialogHandler([&](QDialog &dialog) {
        if (auto *files = qobject_cast<QFileDialog *>(&dialog)) {
            EXPECT_EQ(files->acceptMode(), QFileDialog::AcceptSave);
            EXPECT_TRUE(files->selectedFiles().value(0).endsWith(QStringLiteral("APTT Result.pdf")));
            files->selectFile(saved);
            return int(QDialog::Accepted);
        }
        dialog.show();
        dialog.findChild<QPushButton *>(QStringLiteral("cmdSavePdf"))->click();
        EXPECT_TRUE(dialog.isVisible());
        dialog.findChild<QPushButton *>(QStringLiteral("cmdVerify"))->click(); // only closes
        EXPECT_FALSE(dialog.isVisible());
        return dialog.result();
    });
    {
        ScopedUiSeam scoped(seam);
        ShowReport(current, false, QStringLiteral("APTT Result"), false);
    }
    const QString text = reporttest::pdfText(saved);
    EXPECT_TRUE(text.contains(QStringLiteral("Fibrinogen <150 mg/dL"))) << text.toStdString();
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

// A three-page report needs no database.
RenderedReport threePages()
{
    auto report = ReportDocument::fromLayout(Layout::parse(
        QStringLiteral("[report]\npaper = A5\n[template]\n<p>one</p><p style=\"page-break-before: always\">two</p>"
                       "<p style=\"page-break-before: always\">three</p>\n"),
        QStringLiteral("Three.RPT")));
    return report->render();
}

TEST(ReportViewerTest, PagesCanBeTurnedByButtonAndKey)
{
    frmReportViewer viewer(threePages());
    viewer.show();
    auto *view = viewer.findChild<ReportView *>(QStringLiteral("crViewer1"));
    auto *label = viewer.findChild<QLabel *>(QStringLiteral("lblPage"));
    auto button = [&](const char *name) { return viewer.findChild<QToolButton *>(QString::fromLatin1(name)); };

    EXPECT_EQ(label->text(), QStringLiteral("Page 1 of 3"));
    EXPECT_FALSE(button("cmdPreviousPage")->isEnabled());
    button("cmdNextPage")->click();
    EXPECT_EQ(view->page(), 1);
    EXPECT_EQ(label->text(), QStringLiteral("Page 2 of 3"));
    EXPECT_TRUE(button("cmdPreviousPage")->isEnabled());
    button("cmdLastPage")->click();
    EXPECT_EQ(label->text(), QStringLiteral("Page 3 of 3"));
    EXPECT_FALSE(button("cmdNextPage")->isEnabled());
    EXPECT_FALSE(button("cmdLastPage")->isEnabled());
    button("cmdFirstPage")->click();
    EXPECT_EQ(view->page(), 0);

    // Page Down scrolls first and turns the page at the bottom.
    view->setZoom(200);
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

TEST(ReportViewerTest, ZoomFollowsTheComboAndPageWidthFollowsTheWindow)
{
    const RenderedReport report = threePages();
    frmReportViewer viewer(report);
    viewer.resize(700, 600);
    viewer.show();
    auto *view = viewer.findChild<ReportView *>(QStringLiteral("crViewer1"));
    auto *zoom = viewer.findChild<QComboBox *>(QStringLiteral("cboZoom"));
    auto *page = view->widget();

    EXPECT_EQ(zoom->currentText(), QStringLiteral("Page width"));
    const int narrow = page->width();
    EXPECT_LE(narrow, view->viewport()->width());
    EXPECT_GT(narrow, view->viewport()->width() - 40);
    viewer.resize(1000, 600);
    QApplication::processEvents();
    EXPECT_GT(page->width(), narrow + 200);

    zoom->setCurrentIndex(zoom->findText(QStringLiteral("200%")));
    Q_EMIT zoom->activated(zoom->currentIndex());
    EXPECT_EQ(view->zoom(), 200);
    EXPECT_DOUBLE_EQ(view->scale(), 2.0);
    EXPECT_NEAR(page->width(), report.pageSize().width() * 2, 30);

    zoom->setCurrentIndex(zoom->findText(QStringLiteral("Whole page")));
    Q_EMIT zoom->activated(zoom->currentIndex());
    EXPECT_LE(page->height(), view->viewport()->height());
}

} // namespace
