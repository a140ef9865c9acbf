// Layout files as IT staff write them: what is read from them, the faults they are told about,
// where they are found, and how a report's tables and parameter fields are set before printing.

#include "reportfixture.h"

#include <reports/layout.h>
#include <reports/reportdocument.h>
#include <reports/reportsfolder.h>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

const QString kFull = QStringLiteral(R"(; A comment line
[report]
paper = Letter
orientation = landscape
margins = 10 20 30 40 mm
footer = Page {{page}} of {{pages}}

[parameters]
HospitalAddress
RequestNum
Section = CHEMISTRY

[table request]
location = LABORATORY.dbo.Lab_Get_PatientInformation
arguments = {?RequestNum}

[table signoff]
location = Laboratory.dbo.tbLabResultMedTech
where = RequestNum = '{?RequestNum}'
order = MedTechAt

[table medtech]
location = Laboratory..tbLabEmployee
where = EmployeeCode = {signoff.MedTechID} and Status = 'A'

[template]
<p>[not a section, part of the page]</p>
<p>{{request.PatientName}}</p>

[subreport Antibiotic]
[parameters]
RequestNum
[table sensitivity]
location = Laboratory.dbo.tbLabResult
where = RequestNum = {?RequestNum}
[template]
<p>{{sensitivity.result1}}</p>
)");

TEST(LayoutTest, ReadsEverySectionOfALayout)
{
    const Layout layout = Layout::parse(kFull, QStringLiteral("Full.RPT"));

    EXPECT_EQ(layout.page.pageSize.id(), QPageSize::Letter);
    EXPECT_EQ(layout.page.orientation, QPageLayout::Landscape);
    EXPECT_EQ(layout.page.marginsMm, QMarginsF(40, 10, 20, 30)); // given top right bottom left
    EXPECT_EQ(layout.page.footer, QStringLiteral("Page {{page}} of {{pages}}"));

    ASSERT_EQ(layout.main.parameters.size(), 3u);
    EXPECT_FALSE(layout.main.parameters[0].defaultValue.has_value());
    EXPECT_EQ(layout.main.parameters[2].defaultValue, QStringLiteral("CHEMISTRY"));

    ASSERT_EQ(layout.main.tables.size(), 3u);
    EXPECT_TRUE(layout.main.tables[0].isProcedure);
    ASSERT_EQ(layout.main.tables[0].arguments.references.size(), 1u);
    EXPECT_TRUE(layout.main.tables[0].arguments.references[0].table.isEmpty()); // a parameter
    const LayoutTable &medtech = layout.main.tables[2];
    EXPECT_FALSE(medtech.isProcedure);
    ASSERT_EQ(medtech.where.references.size(), 1u);
    EXPECT_EQ(medtech.where.references[0].table + QLatin1Char('.') + medtech.where.references[0].name,
              QStringLiteral("signoff.MedTechID"));
    EXPECT_EQ(medtech.where.text, QStringList({QStringLiteral("EmployeeCode = "), QStringLiteral(" and Status = 'A'")}));
    EXPECT_EQ(layout.main.tables[1].order, QStringLiteral("MedTechAt"));

    // A template runs to the next subreport, "[" lines included.
    EXPECT_TRUE(layout.main.templateText.contains(QStringLiteral("[not a section, part of the page]")));
    EXPECT_FALSE(layout.main.templateText.contains(QStringLiteral("sensitivity")));
    EXPECT_EQ(layout.main.templateLine, 27);

    ASSERT_EQ(layout.subreports.size(), 1u);
    EXPECT_EQ(layout.subreports[0].name, QStringLiteral("Antibiotic"));
    EXPECT_TRUE(layout.subreports[0].templateText.contains(QStringLiteral("sensitivity.result1")));
}

struct BrokenLayout {
    const char *what;
    const char *text;
    const char *message; // a part of the error
};

class BrokenLayoutTest : public ::testing::TestWithParam<BrokenLayout> {};

TEST_P(BrokenLayoutTest, NamesTheFileTheLineAndTheFault)
{
    const BrokenLayout &c = GetParam();
    try {
        Layout::parse(QString::fromUtf8(c.text), QStringLiteral("Broken.RPT"));
        FAIL() << "no error for " << c.what;
    } catch (const ReportError &e) {
        EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.message))) << e.what();
        EXPECT_TRUE(e.description().contains(QStringLiteral("Broken.RPT"))) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, BrokenLayoutTest,
    ::testing::Values(
        BrokenLayout{"unknown section", "[report]\npaper = A4\n[tables x]\n[template]\n", "line 3: unknown section [tables x]"},
        BrokenLayout{"misspelt setting", "[report]\npaperr = A4\n[template]\n", "line 2: unknown setting \"paperr\""},
        BrokenLayout{"unknown paper", "[report]\npaper = A3+\n[template]\n", "unknown paper \"A3+\""},
        BrokenLayout{"no template", "[parameters]\nRequestNum\n", "the main report has no [template] section"},
        BrokenLayout{"unknown parameter",
                     "[parameters]\nRequestNum\n[table t]\nlocation = a.dbo.b\nwhere = x = {?RequestNo}\n[template]\n",
                     "refers to {?RequestNo}"},
        BrokenLayout{"table used before it is read",
                     "[table a]\nlocation = d.dbo.a\nwhere = k = {b.K}\n[table b]\nlocation = d.dbo.b\n[template]\n",
                     "line 1: the table \"a\" refers to {b.K}"},
        BrokenLayout{"table twice", "[table a]\nlocation = d.dbo.a\n[table A]\nlocation = d.dbo.b\n[template]\n",
                     "line 3: the table \"A\" is defined twice"},
        BrokenLayout{"quote in a location", "[table a]\nlocation = d.dbo.a'\n[template]\n", "not a table location"},
        BrokenLayout{"two statements", "[table a]\nlocation = d.dbo.a\nwhere = 1 = 1; drop table x\n[template]\n",
                     "one statement"},
        BrokenLayout{"procedure with a selection",
                     "[table a]\nlocation = d.dbo.p\narguments = 1\nwhere = x = 1\n[template]\n", "cannot also have"},
        BrokenLayout{"text outside a section", "paper = A4\n[template]\n", "line 1: text outside a section"},
        BrokenLayout{"unclosed section in the page design",
                     "[report]\npaper = A4\n\n[template]\n<p>\n{{#result.rows}}\n{{result1}}\n</p>\n",
                     "page design of Broken.RPT is broken: Unclosed section \"result.rows\" on line 6"},
        BrokenLayout{"changed delimiters", "[template]\n{{=<% %>=}}\n", "changing the tag delimiters"},
        BrokenLayout{"margins that are no number", "[report]\nmargins = 10 nan mm\n[template]\n",
                     "line 2: margins must be numbers, found \"nan\""},
        BrokenLayout{"margins wider than the paper", "[report]\nmargins = 10 120 mm\norientation = portrait\n[template]\n",
                     "line 3: the margins leave no room to print on the 210 x 297 mm page"},
        BrokenLayout{"broken footer", "[report]\nfooter = {{#page}}\n[template]\n",
                     "The page design of Broken.RPT (footer) is broken"},
        BrokenLayout{"paper too large to measure", "[report]\npaper = 99999999999999999999 x 1 mm\n[template]\n",
                     "unknown paper"}));

TEST(LayoutTest, MarginsAreCheckedAgainstThePageAsItIsTurned)
{
    // Wide side margins fit once the page is turned, whichever setting comes first.
    const Layout turned = Layout::parse(QStringLiteral("[report]\nmargins = 10 120 mm\norientation = landscape\n[template]\n"),
                                        QStringLiteral("Wide.RPT"));
    EXPECT_EQ(turned.page.marginsMm.left(), 120);
    EXPECT_THROW(Layout::parse(QStringLiteral("[report]\norientation = landscape\nmargins = 110 10 mm\n[template]\n"),
                               QStringLiteral("Tall.RPT")),
                 ReportError);
}

TEST(ReportDocumentTest, GivesValuesToParameterFieldsInOrderOrByName)
{
    auto report = ReportDocument::fromLayout(Layout::parse(kFull, QStringLiteral("Full.RPT")));
    auto &fields = report->parameterFields();
    EXPECT_FALSE(fields[0].hasCurrentValue());
    EXPECT_EQ(fields[2].currentValue(), QStringLiteral("CHEMISTRY")); // the layout's default
    report->setParameterValues({QStringLiteral("12 Rizal St."), QStringLiteral("R1"), QStringLiteral("HEMA"),
                                QStringLiteral("one too many")});
    EXPECT_EQ(fields[2].currentValue(), QStringLiteral("HEMA"));
    // Fields beyond a shorter list keep what they had.
    report->setParameterValues({QStringLiteral("Other address")});
    EXPECT_EQ(fields[1].currentValue(), QStringLiteral("R1"));
    EXPECT_TRUE(report->setParameterValue(QStringLiteral("requestnum"), QStringLiteral("R2")));
    EXPECT_EQ(fields[1].currentValue(), QStringLiteral("R2"));
    EXPECT_FALSE(report->setParameterValue(QStringLiteral("NoSuchField"), QStringLiteral("x")));
}

TEST(ReportDocumentTest, RetargetMovesAndLogsOnTheTablesOfOneReportOnly)
{
    auto report = ReportDocument::fromLayout(Layout::parse(kFull, QStringLiteral("Full.RPT")));
    const LogOnInfo login{QStringLiteral("labserver"), QStringLiteral("ignored"), QStringLiteral("lab"),
                          QStringLiteral("secret")};
    report->retarget(QStringLiteral("LABORATORY"), login);

    QStringList locations;
    for (const ReportTable &t : report->tables()) {
        locations << t.location();
        ASSERT_TRUE(t.logOnInfo().has_value());
        EXPECT_EQ(*t.logOnInfo(), (LogOnInfo{QStringLiteral("labserver"), QStringLiteral("LABORATORY"),
                                             QStringLiteral("lab"), QStringLiteral("secret")}));
    }
    EXPECT_EQ(locations, QStringList({QStringLiteral("LABORATORY.dbo.Lab_Get_PatientInformation"),
                                      QStringLiteral("LABORATORY.dbo.tbLabResultMedTech"),
                                      QStringLiteral("LABORATORY..tbLabEmployee")}));

    ReportDocument &sub = report->subreport(QStringLiteral("ANTIBIOTIC"));
    EXPECT_EQ(sub.tables()[0].location(), QStringLiteral("Laboratory.dbo.tbLabResult"));
    EXPECT_FALSE(sub.tables()[0].logOnInfo().has_value());
    EXPECT_THROW(report->subreport(QStringLiteral("CBC")), ReportError);
}

TEST(ReportsFolderTest, FindsLayoutsAsTheScreensNameThem)
{
    const QString installed = reportsFolder();
    EXPECT_TRUE(QDir(installed).exists(QStringLiteral("LabPrint_APTT.RPT"))) << installed.toStdString();

    QTemporaryDir dir;
    reporttest::writeLayout(dir, QStringLiteral("LabPrint_CS.rpt"), QStringLiteral("[template]\nx\n"));
    qputenv("CORVANE_REPORTS_DIR", dir.path().toLocal8Bit());
    const QString expected = QDir(dir.path()).absoluteFilePath(QStringLiteral("LabPrint_CS.rpt"));
    EXPECT_EQ(reportsFolder(), QDir(dir.path()).absolutePath());
    EXPECT_EQ(resolveLayoutPath(QStringLiteral("\\LabPrint_CS.RPT")), expected);
    EXPECT_EQ(resolveLayoutPath(QStringLiteral("labprint_cs.RPT")), expected);
    EXPECT_EQ(resolveLayoutPath(dir.path() + QStringLiteral("\\LABPRINT_CS.RPT")), expected);
    try {
        resolveLayoutPath(QStringLiteral("\\LabPrint_CS_WholePage.RPT"));
        ADD_FAILURE() << "a missing layout was found";
    } catch (const ReportError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("The report layout file \"LabPrint_CS_WholePage.RPT\" was not found "
                                                  "in %1.")
                                       .arg(QDir(dir.path()).absolutePath()));
    }
    EXPECT_THROW(ReportDocument::open(QStringLiteral("\\LabPrint_Widal.RPT")), ReportError);
    qunsetenv("CORVANE_REPORTS_DIR");
}

} // namespace

TEST(LayoutTest, SectionsNestedPastAnyFormsNeedAreRefusedBeforeTheyExhaustMemory)
{
    const auto nested = [](int depth) {
        QString text = QStringLiteral("[template]\n<p>\n");
        for (int i = 0; i < depth; ++i)
            text += QStringLiteral("{{#a}}");
        for (int i = 0; i < depth; ++i)
            text += QStringLiteral("{{/a}}");
        return text;
    };
    EXPECT_NO_THROW(Layout::parse(nested(50), QStringLiteral("Deep.RPT")));
    try {
        Layout::parse(nested(51), QStringLiteral("Deep.RPT"));
        FAIL() << "51 nested sections were accepted";
    } catch (const ReportError &e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("nested more than 50 deep on line 3"))) << e.what();
    }
}
