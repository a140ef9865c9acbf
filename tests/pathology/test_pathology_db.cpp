// The pathology procedures on both backends: what a report saves reads back unchanged, the save
// rules, the amended mark, and earlier versions replayed from the audit trail.

#include "support/dbfixture.h"

#include <labdb/schema.h>

#include <string>
#include <vector>

namespace {

using labdb::CommandText;
using labdb::DbError;
using labdb::Value;

// Every character a pathologist may write, in a description far longer than a line.
std::string awkwardText()
{
    std::string s = "O`Brien; \"quoted\" -- not a comment\\path\\n 50% _under_ caf\xc3\xa9 \xc3\xb1 \xe2\x80\x93 \xce\xbc" "m\n"
                    "\tindented line\n\nparagraph after a blank line   ";
    while (s.size() < 20000)
        s += "Sections show cords of atypical cells with nuclear pleomorphism (grade 2/3); ";
    return s;
}

class PathologyDbTest : public testsupport::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        if (!db)
            return;
        labdb::loadDemoData(session->driver());
        session->setAuditUser("0101");
    }

    // Lab_Save_Histopath with the given flag and texts; dates in the screens' format.
    void saveHistopath(const char *flag, const std::string &request, const std::string &gross,
                       const std::string &microscopic, const std::string &diagnosis)
    {
        CommandText c("Laboratory..Lab_Save_Histopath ");
        c.fixed(flag).fixed(", '").value(request).fixed("','").value("S26-0901").fixed("','").value("Skin, left arm");
        c.fixed("','").value("Nodule").fixed("', '").value(gross).fixed("', '").value(diagnosis);
        c.fixed("', '").value("").fixed("', '").value("03/07/2026 02:05 PM").fixed("', '").value("1002");
        c.fixed("', '").value("1012").fixed("', '").value("Ricardo B. Mendoza, M.D.").fixed("','");
        c.value("03/04/2026 03:30 PM").fixed("','").value("03/05/2026 10:10 AM").fixed("','");
        c.value("03/06/2026 04:30 PM").fixed("', '").value("1020").fixed("','").value("").fixed("','").value("");
        c.fixed("','").value(microscopic).fixed("','").value("0").fixed("','").value("0").fixed("','").value("");
        c.fixed("'");
        run(c);
    }
    labdb::ResultSet report(const std::string &request, const std::string &version)
    {
        return run("Lab_GetPathologyReport '" + request + "', '" + version + "'");
    }
    void signOff(const std::string &request)
    {
        run("LABORATORY..Lab_UpdateMedTech '" + request + "','0101','Grace U. Lim, M.D.'");
    }
};

TEST_P(PathologyDbTest, AReportReadsBackExactlyAsSaved)
{
    const std::string text = awkwardText();
    saveHistopath("0", "R2603004", "gross\r\nwith a carriage return", text, "DIAGNOSIS:\n- benign");
    const labdb::ResultSet rs = run("LABORATORY..Lab_GetResultFromTable  'H','R2603004'");
    ASSERT_EQ(rs.rows.size(), 1u);
    EXPECT_EQ(cell(rs, 0, "microscopic"), text);
    EXPECT_EQ(cell(rs, 0, "GrossDescription"), "gross\r\nwith a carriage return");
    EXPECT_EQ(cell(rs, 0, "HistopathNum"), "S26-0901");
    EXPECT_EQ(cell(rs, 0, "CytologyNum"), "S26-0901");
    EXPECT_EQ(cell(rs, 0, "ResultDate").substr(0, 16), "2026-03-07 14:05");
    EXPECT_EQ(cell(rs, 0, "lratime").substr(0, 16), "2026-03-06 16:30");
    EXPECT_EQ(cell(rs, 0, "Comments"), "");
}

TEST_P(PathologyDbTest, SaveRulesAreEnforced)
{
    saveHistopath("0", "R2603004", "g", "m", "d");
    // Another workstation's first save over it.
    try {
        saveHistopath("0", "R2603004", "g", "m", "d");
        FAIL() << "a second first save was accepted";
    } catch (const DbError &e) {
        EXPECT_EQ(std::string(e.what()), "Request R2603004 already has a stored result.");
    }
    EXPECT_THROW(saveHistopath("2", "R2603004", "g", "m", "d"), DbError);
    try {
        run("Laboratory..Lab_Save_Histopath 1, 'R2603004','too few'");
        FAIL() << "a short argument list was accepted";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbError::Kind::ArgumentCount) << e.what();
    }
    EXPECT_THROW(run("LABORATORY..Lab_GetResultFromTable  'Q','R2603004'"), DbError);
    EXPECT_THROW(run("laboratory..Lab_Save_Conforme 'R2603004','yes','0','x'"), DbError);
    // A later save changes what it carries and keeps one row.
    saveHistopath("1", "R2603004", "g2", "m2", "d2");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabHistopath where RequestNum = 'R2603004'"), 1);
    EXPECT_EQ(cell(run("LABORATORY..Lab_GetResultFromTable  'H','R2603004'"), 0, "GrossDescription"), "g2");
}

TEST_P(PathologyDbTest, ASignedReportSavedAgainIsAmendedAndItsEarlierTextStaysRetrievable)
{
    saveHistopath("0", "R2603004", "gross one", "micro one", "diagnosis one");
    // Corrected before anyone signed: not an amendment.
    saveHistopath("1", "R2603004", "gross two", "micro two", "diagnosis two");
    EXPECT_EQ(cell(report("R2603004", "0"), 0, "AmendedAt"), "<NULL>");
    signOff("R2603004");
    session->setAuditUser("0102");
    saveHistopath("1", "R2603004", "gross three", "micro three", "diagnosis three");

    const labdb::ResultSet now = report("R2603004", "");
    EXPECT_NE(cell(now, 0, "AmendedAt"), "<NULL>");
    EXPECT_EQ(cell(now, 0, "AmendedBy"), "0102");
    EXPECT_EQ(cell(now, 0, "Diagnosis"), "diagnosis three");
    EXPECT_EQ(cell(now, 0, "Versions"), "3");
    EXPECT_EQ(cell(now, 0, "Superseded"), "");

    const labdb::ResultSet first = report("R2603004", "1");
    EXPECT_EQ(cell(first, 0, "Diagnosis"), "diagnosis one");
    EXPECT_EQ(cell(first, 0, "microscopic"), "micro one");
    EXPECT_EQ(cell(first, 0, "HistopathNum"), "S26-0901");
    EXPECT_EQ(cell(first, 0, "Superseded"), "Y");
    EXPECT_EQ(cell(first, 0, "Version"), "1");
    EXPECT_EQ(cell(first, 0, "AmendedAt"), "<NULL>");
    EXPECT_EQ(cell(first, 0, "EmployeeCode"), "0101");
    // The second version came before the sign-off, so it was no amendment either.
    EXPECT_EQ(cell(report("R2603004", "2"), 0, "Diagnosis"), "diagnosis two");
    EXPECT_EQ(cell(report("R2603004", "2"), 0, "AmendedAt"), "<NULL>");

    const labdb::ResultSet versions = run("Lab_GetPathologyVersions 'R2603004'");
    ASSERT_EQ(versions.rows.size(), 3u);
    EXPECT_EQ(cell(versions, 2, "SavedBy"), "0102");
    try {
        report("R2603004", "4");
        FAIL() << "a version that does not exist was printed";
    } catch (const DbError &e) {
        EXPECT_EQ(std::string(e.what()),
                  "Request R2603004 has 3 saved versions of its report; there is no version '4'.");
    }
    // Another request's saves are not this one's versions.
    EXPECT_EQ(run("Lab_GetPathologyVersions 'R2603005'").rows.size(), 0u);
}

TEST_P(PathologyDbTest, AVersionWhoseTextCannotBeReadBackIsRefusedNotGuessed)
{
    // Pasted text keeps its quote; the audit text then cannot be split unambiguously.
    saveHistopath("0", "R2603004", "it's pasted", "m", "d");
    saveHistopath("1", "R2603004", "clean", "m", "d");
    EXPECT_EQ(cell(report("R2603004", ""), 0, "GrossDescription"), "clean");
    try {
        report("R2603004", "1");
        FAIL() << "an unreadable version was printed";
    } catch (const DbError &e) {
        EXPECT_NE(std::string(e.what()).find("cannot be read back from the audit trail"), std::string::npos);
    }
}

TEST_P(PathologyDbTest, PapSmearGroupsConformeAndItsEarlierVersion)
{
    const auto save = [&](const char *flag, const std::string &interpretation, const std::string &type) {
        CommandText c(std::string("Laboratory..Lab_Save_Papsmear ") + flag + ", '");
        const std::vector<std::string> values{"R2603007", "P26-0400", "02/20/2026", "1|0|1|0", "1|0", "0|1|",
                                              interpretation, "Post-coital bleeding", "03/07/2026 02:05 PM", "1001",
                                              "1013", "Carmela S. Reyes, M.D.", "", "Endocervical component present",
                                              "", type};
        for (std::size_t i = 0; i < values.size(); ++i)
            c.value(values[i]).fixed(i + 1 < values.size() ? "','" : "'");
        run(c);
        run("laboratory..Lab_Save_Conforme 'R2603007','1','0','Maria L. Santos, M.D.'");
    };
    save("0", "ASC-US", "");
    signOff("R2603007");
    save("1", "LSIL", "1");

    const labdb::ResultSet stored = run("LABORATORY..Lab_GetResultPapsmear  'R2603007'");
    EXPECT_EQ(cell(stored, 0, "Remarks"), "LSIL");
    EXPECT_EQ(cell(stored, 0, "Generalcategory"), "0|1|");
    EXPECT_EQ(cell(stored, 0, "SpecimenType"), "1");
    const labdb::ResultSet conforme = run("Lab_Get_Conforme 'R2603007'");
    EXPECT_EQ(cell(conforme, 0, "ConPathologist"), "Maria L. Santos, M.D.");

    const labdb::ResultSet now = run("Lab_GetPapsmearReport 'R2603007', '0'");
    EXPECT_EQ(cell(now, 0, "Cervical"), "X");
    EXPECT_EQ(cell(now, 0, "Vaginal"), "");
    EXPECT_EQ(cell(now, 0, "Endocervical"), "X");
    EXPECT_EQ(cell(now, 0, "Satisfactory"), "X");
    EXPECT_EQ(cell(now, 0, "NILM"), "");
    EXPECT_EQ(cell(now, 0, "EpithelialAbnormality"), "X");
    EXPECT_EQ(cell(now, 0, "SpecimenTypeText"), "Liquid based");
    EXPECT_NE(cell(now, 0, "AmendedAt"), "<NULL>");

    const labdb::ResultSet first = run("Lab_GetPapsmearReport 'R2603007', '1'");
    EXPECT_EQ(cell(first, 0, "Remarks"), "ASC-US");
    EXPECT_EQ(cell(first, 0, "SpecimenTypeText"), "");
    EXPECT_EQ(cell(first, 0, "ConPathologist"), "Maria L. Santos, M.D.");
    EXPECT_EQ(cell(first, 0, "Superseded"), "Y");
}

INSTANTIATE_TEST_SUITE_P(Backends, PathologyDbTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
