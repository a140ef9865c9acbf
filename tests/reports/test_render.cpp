// Reports rendered from the demo laboratory to real PDF files, read back with poppler: the
// parameters and the stored values must be on the page, on SQLite and on PostgreSQL.

#include "reportfixture.h"

#include "print.h"

#include <reports/renderedreport.h>
#include <reports/reportdocument.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace corvane;
using reporttest::pdfText;

namespace {

const QString kCompany = QStringLiteral("SAN ISIDRO DOCTORS HOSPITAL, INC.");
const QString kAddress = QStringLiteral("123 MacArthur Highway, San Isidro, Tarlac City 2300");

class RenderTest : public testsupport::BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        reporttest::seedResults(*db);
        ASSERT_TRUE(out.isValid());
    }

    std::shared_ptr<ReportDocument> openFor(const QString &layout, const QStringList &parameters)
    {
        auto report = ReportDocument::open(layout);
        report->setTitle(kCompany);
        report->retarget(QStringLiteral("LABORATORY"), reporttest::logOnFor(*db));
        report->setParameterValues(parameters);
        return report;
    }

    // The report as PDF, and its text.
    QString print(const ReportDocument &report, const QString &name = QStringLiteral("out.pdf"))
    {
        pdf = out.filePath(name);
        report.render().writePdf(pdf);
        return pdfText(pdf);
    }

    QTemporaryDir out;
    QString pdf;
};

TEST_P(RenderTest, AptTResultShowsTheRequestTheStoredValuesAndTheSignOff)
{
    const QString text = print(*openFor(QStringLiteral("\\LabPrint_APTT.RPT"), {kAddress, QStringLiteral("R2603001")}));

    for (const QString &expected : {
             kCompany, kAddress,                                  // title and first parameter
             QStringLiteral("Request No. R2603001"),              // second parameter
             QStringLiteral("Patient Torres, Emmanuel Cruz"),     // request procedure
             QStringLiteral("Age / Sex 59 / M"), QStringLiteral("MEDICAL WARD 3F / 306-B"),
             QStringLiteral("Physician Jose P. Dela Cruz, M.D."), QStringLiteral("Specimen CITRATED PLASMA"),
             QStringLiteral("Sample No. H-26-0412"),              // logbook
             QStringLiteral("Received 03/06/2026 07:45 AM"),
             QStringLiteral("Method: Clotting (photo-optical)"),  // result row, by position
             QStringLiteral("Patient 14.2 sec 11.0 – 13.5"), QStringLiteral("INR 1.16"),
             QStringLiteral("Patient 38.4 sec 25.0 – 35.0"), QStringLiteral("Control 30.1 sec"),
             QStringLiteral("Fibrinogen <150 mg/dL"),             // markup in a value stays text
             QStringLiteral("Bleeding time 2.5 min"), QStringLiteral("Clotting time 6 min"),
             QStringLiteral("Sample slightly lipemic.\nRepeat APTT after 24 hours & correlate with the patient's heparin dosing."),
             QStringLiteral("Performed 03/06/2026 09:10 AM Reported 03/06/2026 09:15 AM"),
             QStringLiteral("Paolo Miguel Navarro, RMT Liza Marie Castillo, RMT Antonio C. Villanueva, M.D."),
             QStringLiteral("Lic. No. 0051987 Lic. No. 0045123"), QStringLiteral("Page 1 of 1")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n--- in ---\n" << text.toStdString();
    EXPECT_TRUE(reporttest::pdfInfo(pdf, QStringLiteral("Page size")).contains(QStringLiteral("A4"))) << reporttest::pdfInfo(pdf, QStringLiteral("Page size")).toStdString();
}

TEST_P(RenderTest, BloodGasResultShowsValuesWithUnitsOnLetterPaper)
{
    const QString text = print(*openFor(QStringLiteral("LabPrint_ABG.rpt"), {kAddress, QStringLiteral("R2603010")}));

    for (const QString &expected :
         {QStringLiteral("Patient Villanueva, Lourdes Garcia"), QStringLiteral("Request No. R2603010"),
          QStringLiteral("Accession No. BG-26-0093"), QStringLiteral("Sample: Arterial"),
          QStringLiteral("pH 7.31 7.35 – 7.45"), QStringLiteral("52.4 mmHg 35 – 45"), QStringLiteral("68 mmHg 80 – 100"),
          QStringLiteral("25.8 mmol/L"), QStringLiteral("Base excess -1.6 mmol/L"), QStringLiteral("91.2 %"),
          QStringLiteral("Temperature 37.0 °C"), QStringLiteral("Hemoglobin 11.8 g/dL"),
          QStringLiteral("Patient on nasal cannula 4 L/min."), QStringLiteral("Jessa Mae Fernandez, RMT"),
          // no pathologist was signed: the section head of the request
          QStringLiteral("Maria Luisa R. Santos, M.D.")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n--- in ---\n" << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral(", RMT")), 1) << "nobody verified this result";
    EXPECT_TRUE(reporttest::pdfInfo(pdf, QStringLiteral("Page size")).contains(QStringLiteral("letter"))) << reporttest::pdfInfo(pdf, QStringLiteral("Page size")).toStdString();
}

TEST_P(RenderTest, RequestWithoutResultOrSignOffPrintsBlankFields)
{
    const QString text = print(*openFor(QStringLiteral("LabPrint_APTT.RPT"), {kAddress, QStringLiteral("R2603029")}));

    EXPECT_TRUE(text.contains(QStringLiteral("Patient Villanueva, Lourdes Garcia"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Patient sec 11.0 – 13.5"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Maria Luisa R. Santos, M.D."))) << text.toStdString();
    for (const QString &absent : {QStringLiteral("RMT"), QStringLiteral("Lic. No."), QStringLiteral("Remarks"),
                                  QStringLiteral("Method:"), QStringLiteral("Received 0")})
        EXPECT_FALSE(text.contains(absent)) << absent.toStdString() << "\n--- in ---\n" << text.toStdString();
}

TEST_P(RenderTest, DatabaseErrorOfATableNamesTheTable)
{
    QTemporaryDir dir;
    const QString path = reporttest::writeLayout(dir, QStringLiteral("Typo.RPT"), QStringLiteral(R"(
[parameters]
RequestNum
[table result]
location = LABORATORY.dbo.tbLabResults
where = RequestNum = {?RequestNum}
[template]
{{result.result1}}
)"));
    auto report = openFor(path, {QStringLiteral("R2603001")});
    try {
        report->render();
        FAIL() << "a missing table went unnoticed";
    } catch (const ReportError &e) {
        EXPECT_TRUE(e.description().startsWith(
            QStringLiteral("Reading the table \"result\" (LABORATORY.dbo.tbLabResults) of the report Typo.RPT failed: ")))
            << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, RenderTest, testsupport::kBothBackends, testsupport::backendName);

class RenderSqliteTest : public RenderTest {};

TEST_P(RenderSqliteTest, MissingParameterValueLogOnOrFolderIsAnError)
{
    auto report = openFor(QStringLiteral("LabPrint_APTT.RPT"), {kAddress});
    try {
        report->render();
        FAIL() << "rendered without a request number";
    } catch (const ReportError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("No value was given for the parameter field \"RequestNum\" of the "
                                                  "report LabPrint_APTT.RPT."));
    }

    auto notLoggedOn = ReportDocument::open(QStringLiteral("LabPrint_APTT.RPT"));
    notLoggedOn->setParameterValues({kAddress, QStringLiteral("R2603001")});
    try {
        notLoggedOn->render();
        FAIL() << "rendered without a log-on";
    } catch (const ReportError &e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("is not logged on"))) << e.what();
    }
    EXPECT_THROW(openFor(QStringLiteral("LabPrint_APTT.RPT"), {kAddress, QStringLiteral("R2603001")})
                     ->render()
                     .writePdf(out.filePath(QStringLiteral("no/such/folder/x.pdf"))),
                 ReportError);
}

TEST_P(RenderSqliteTest, SubreportFollowsItsOwnValueOrTheMainReportsField)
{
    QTemporaryDir dir;
    const QString path = reporttest::writeLayout(dir, QStringLiteral("WithSub.RPT"), QStringLiteral(R"(
[parameters]
RequestNum
[template]
<p>Main {{param.RequestNum}}</p>
{{{subreport.Staff}}}

[subreport Staff]
[parameters]
RequestNum
[table signoff]
location = LABORATORY.dbo.tbLabResultMedTech
where = RequestNum = '{?RequestNum}'
[table medtech]
location = LABORATORY.dbo.tbLabEmployee
where = EmployeeCode = {signoff.MedTechID}
[template]
<p>Performed by {{#medtech.rows}}{{FirstName}} {{LastName}}{{/medtech.rows}}{{^medtech.found}}nobody yet{{/medtech.found}}</p>
)"));
    auto report = openFor(path, {QStringLiteral("R2603001")});
    ReportDocument &staff = report->subreport(QStringLiteral("staff"));
    staff.retarget(QStringLiteral("LABORATORY"), reporttest::logOnFor(*db));

    EXPECT_EQ(print(*report), QStringLiteral("Main R2603001\nPerformed by Paolo Miguel Navarro"));

    staff.setParameterValues({QStringLiteral("R2603010")});
    EXPECT_EQ(print(*report), QStringLiteral("Main R2603001\nPerformed by Jessa Mae Fernandez"));

    staff.setParameterValues({QStringLiteral("R2603029")});
    EXPECT_EQ(print(*report), QStringLiteral("Main R2603001\nPerformed by nobody yet"));
}

TEST_P(RenderSqliteTest, LongReportsBreakIntoPagesWithTheFooterOnEach)
{
    QTemporaryDir dir;
    QString rows;
    for (int i = 1; i <= 120; ++i)
        rows += QStringLiteral("<p>Line %1 of the long report</p>\n").arg(i);
    const QString path = reporttest::writeLayout(
        dir, QStringLiteral("Long.RPT"),
        QStringLiteral("[report]\npaper = A5\nfooter = <p align=\"right\">{{param.RequestNum}} page {{page}} of "
                       "{{pages}}</p>\n[parameters]\nRequestNum\n[template]\n%1<p style=\"page-break-before: "
                       "always\">The last page</p>\n")
            .arg(rows));
    auto report = openFor(path, {QStringLiteral("R2603001")});
    const RenderedReport pages = report->render();
    pdf = out.filePath(QStringLiteral("long.pdf"));
    pages.writePdf(pdf);

    const int count = reporttest::pdfInfo(pdf, QStringLiteral("Pages")).toInt();
    EXPECT_EQ(count, pages.pageCount());
    ASSERT_GE(count, 3);
    for (int page = 1; page < count; ++page) {
        const QString text = pdfText(pdf, page);
        EXPECT_TRUE(text.contains(QStringLiteral("R2603001 page %1 of %2").arg(page).arg(count))) << text.toStdString();
    }
    EXPECT_EQ(pdfText(pdf, count).trimmed(), QStringLiteral("The last page\nR2603001 page %1 of %1").arg(count));
    EXPECT_TRUE(reporttest::pdfInfo(pdf, QStringLiteral("Page size")).contains(QStringLiteral("A5")));
}

TEST_P(RenderSqliteTest, AFooterThatFillsThePageIsAnErrorNotThousandsOfPages)
{
    QTemporaryDir dir;
    const QString path = reporttest::writeLayout(
        dir, QStringLiteral("TallFooter.RPT"),
        QStringLiteral("[report]\npaper = A5\nfooter = <p>%1page {{page}}</p>\n[parameters]\nRequestNum\n[template]\n<p>x</p>\n")
            .arg(QStringLiteral("<br>").repeated(200)));
    try {
        openFor(path, {QStringLiteral("R2603001")})->render();
        FAIL() << "a footer taller than the page was rendered";
    } catch (const ReportError &e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("footer of TallFooter.RPT leaves no room"))) << e.what();
    }
}

TEST_P(RenderSqliteTest, LabhostPrintRendersALayoutForARequest)
{
    const QString target = out.filePath(QStringLiteral("cli.pdf"));
    const auto print = [&](const QStringList &layout, bool withSource = true) {
        QStringList args = QStringList{QStringLiteral("--request"), QStringLiteral("R2603010"), QStringLiteral("--pdf"),
                                       target} + layout;
        if (withSource)
            args << QStringLiteral("--source") << QString::fromStdString(db->dataSource());
        return labhost::printCommand(args);
    };
    EXPECT_EQ(print({QStringLiteral("--layout"), QStringLiteral("labprint_abg.rpt")}), 0);
    const QString text = pdfText(target);
    for (const QString &expected : {kCompany, kAddress, QStringLiteral("Request No. R2603010"), QStringLiteral("pH 7.31")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << " in " << text.toStdString();

    // Named without its extension, as people type it.
    EXPECT_EQ(print({QStringLiteral("--layout"), QStringLiteral("LabPrint_ABG")}), 0);
    EXPECT_EQ(print({QStringLiteral("--layout"), QStringLiteral("LabPrint_Nothing.RPT")}), 1);
    EXPECT_EQ(print({QStringLiteral("--layout"), QStringLiteral("LabPrint_Nothing")}), 1);
    EXPECT_EQ(print({}, false), 2);
}

INSTANTIATE_TEST_SUITE_P(Sqlite, RenderSqliteTest, ::testing::Values(testsupport::Backend::Sqlite),
                         testsupport::backendName);

} // namespace
