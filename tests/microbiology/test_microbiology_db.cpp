// The microbiology procedures on both backends, through command texts as the screens send them:
// a culture result reads back byte for byte; the antibiotic table by mode; what the server refuses.

#include "support/dbfixture.h"

#include <labdb/command.h>
#include <labdb/schema.h>

#include <string>
#include <vector>

using labdb::CommandText;
using labdb::DbError;
using labdb::ResultSet;

namespace {

const std::vector<std::string> kAwkward{"it's", "a', 'b", "x; DROP TABLE tbLabResultCS --", "C:\\cultures\\",
                                        "Pe\xc3\xb1" "a, Ni\xc3\xb1o", std::string(4000, 'k')};

class MicrobiologyDbTest : public testsupport::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        if (!session)
            return;
        for (const char *sql :
             {"INSERT INTO build_file..tbCoAntibiotic (Code, Description, Status) VALUES ('AMP', 'Ampicillin', 'A')",
              "INSERT INTO build_file..tbCoAntibiotic (Code, Description, Status) VALUES ('CIP', 'Ciprofloxacin', 'A')",
              "INSERT INTO build_file..tbCoAntibiotic (Code, Description, Status) VALUES ('CHL', 'Chloramphenicol', 'I')",
              "INSERT INTO build_file..tbCoAntibiotic (Code, Description, Status) VALUES ('AMK', 'Amikacin', 'A')"})
            run(sql);
        // Results are only ever stored under a request that exists.
        addRequest("RC-1");
        addRequest("RM-1");
    }

    // Values after the quoted flag, each quoted, joined with "', '".
    static CommandText call(const std::string &head, const std::vector<std::string> &args)
    {
        CommandText c(head + " '");
        for (std::size_t i = 0; i < args.size(); ++i) {
            c.value(args[i]);
            c.fixed(i + 1 == args.size() ? "'" : "', '");
        }
        return c;
    }
    // The 19 values of a result header save.
    static std::vector<std::string> header(const std::string &flag, const std::string &requestNum)
    {
        return {flag,          requestNum, "03/07/2026 02:05 PM", kAwkward[0], kAwkward[5], "03/05/2026", "",
                kAwkward[1],   kAwkward[2], kAwkward[3],           "3/5/2026 9:20:00 AM", "3/5/2026 9:25:00 AM",
                ">100,000 CFU/mL", kAwkward[4], "Staphylococcus aureus", "", "", "Kirby-Bauer", "03/07/2026 01:30 PM"};
    }
    void saveCode(const std::string &code, const std::string &result, const std::string &organism,
                  const std::string &zone)
    {
        run(call("Laboratory..Lab_Save_CSCodes", {"RC-1", code, result, organism, zone}));
    }
};

TEST_P(MicrobiologyDbTest, ResultHeaderReadsBackByteForByteAndUpdatesInPlace)
{
    run(call("Laboratory..Lab_Save_CSResult", header("0", "RC-1")));
    ResultSet rs = run("Laboratory..Lab_Get_CSResults 'RC-1'");
    ASSERT_EQ(rs.rows.size(), 1u);
    EXPECT_EQ(cell(rs, 0, "Specimen"), kAwkward[0]);
    EXPECT_EQ(cell(rs, 0, "Organism"), kAwkward[5]);
    EXPECT_EQ(cell(rs, 0, "Remarks"), kAwkward[1]);
    EXPECT_EQ(cell(rs, 0, "Additional"), kAwkward[2]);
    EXPECT_EQ(cell(rs, 0, "AccessionNum"), kAwkward[3]);
    EXPECT_EQ(cell(rs, 0, "Org1"), kAwkward[4]);
    EXPECT_EQ(cell(rs, 0, "Org2"), "Staphylococcus aureus");
    EXPECT_EQ(cell(rs, 0, "ColonyCount"), ">100,000 CFU/mL");
    EXPECT_EQ(cell(rs, 0, "ResultDate"), "2026-03-07 14:05:00");
    EXPECT_EQ(cell(rs, 0, "InoculationDate"), "2026-03-05 00:00:00");
    EXPECT_EQ(cell(rs, 0, "samplesubmitted"), "2026-03-05 09:20:00");
    EXPECT_EQ(cell(rs, 0, "lratime"), "2026-03-05 09:25:00");
    EXPECT_EQ(cell(rs, 0, "FinalResult"), "N");

    // The microscopy text is never sent by the screen: an empty value keeps what is stored.
    run("UPDATE laboratory..tbLabResultCS SET microscopy = 'Gram-negative bacilli' WHERE RequestNum = 'RC-1'");
    std::vector<std::string> later = header("1", "RC-1");
    later[14] = "";
    run(call("Laboratory..Lab_Save_CSResult", later));
    rs = run("Laboratory..Lab_Get_CSResults 'RC-1'");
    EXPECT_EQ(cell(rs, 0, "microscopy"), "Gram-negative bacilli");
    EXPECT_EQ(cell(rs, 0, "Org2"), "");
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultCS"), 1);

    // A second first save is another workstation's: refused, the stored row kept.
    try {
        run(call("Laboratory..Lab_Save_CSResult", header("0", "RC-1")));
        FAIL() << "a first save over a stored result was accepted";
    } catch (const DbError &e) {
        EXPECT_NE(std::string(e.what()).find("already has a stored culture result"), std::string::npos) << e.what();
    }
    EXPECT_THROW(run(call("Laboratory..Lab_Save_CSResult", header("2", "RC-2"))), DbError);
}

TEST_P(MicrobiologyDbTest, CodesComeBackInTheirOrganismsColumnsByMode)
{
    saveCode("CIP", "r", "2", "12 x");
    saveCode("CIP", "S*", "1", "30");
    saveCode("CHL", "I", "4", kAwkward[1]); // retired since, still reported for this culture
    saveCode("AMP", "S", "3", "");

    // N: every active antibiotic in description order, the retired one because it was reported.
    ResultSet rs = run("Laboratory..Lab_Get_CSCodes 'RC-1','N'");
    ASSERT_EQ(rs.columns.size(), 10u);
    std::vector<std::string> names;
    for (std::size_t r = 0; r < rs.rows.size(); ++r)
        names.push_back(cell(rs, r, "Description"));
    EXPECT_EQ(names, (std::vector<std::string>{"Amikacin", "Ampicillin", "Chloramphenicol", "Ciprofloxacin"}));
    EXPECT_EQ(cell(rs, 3, "Result1"), "S*");
    EXPECT_EQ(cell(rs, 3, "Zone1"), "30");
    EXPECT_EQ(cell(rs, 3, "Result2"), "R"); // stored upper case
    EXPECT_EQ(cell(rs, 3, "Zone2"), "12 x");
    EXPECT_EQ(cell(rs, 2, "Result4"), "I");
    EXPECT_EQ(cell(rs, 2, "Zone4"), kAwkward[1]);
    EXPECT_EQ(cell(rs, 1, "Result3"), "S");
    EXPECT_EQ(cell(rs, 0, "Result1"), "");

    // Y: only what was reported. R: what may be released, starred codes blank.
    EXPECT_EQ(run("Laboratory..Lab_Get_CSCodes 'RC-1','Y'").rows.size(), 3u);
    rs = run("Laboratory..Lab_Get_CSCodes 'RC-1','R'");
    ASSERT_EQ(rs.rows.size(), 3u);
    EXPECT_EQ(cell(rs, 2, "Description"), "Ciprofloxacin");
    EXPECT_EQ(cell(rs, 2, "Result1"), "");
    EXPECT_EQ(cell(rs, 2, "Result2"), "R");

    run("Laboratory..Lab_Delete_CSCodes 'RC-1'");
    EXPECT_EQ(run("Laboratory..Lab_Get_CSCodes 'RC-1','Y'").rows.size(), 0u);
    EXPECT_EQ(run("Laboratory..Lab_Get_CSCodes 'RC-1','N'").rows.size(), 3u);
}

TEST_P(MicrobiologyDbTest, RefusesWhatIsNoSensitivityResult)
{
    for (const auto &[code, result, organism] : {std::tuple{"AMP", "X", "1"}, std::tuple{"AMP", "SR", "1"},
                                                 std::tuple{"AMP", "", "1"}, std::tuple{"AMP", "S", "5"},
                                                 std::tuple{"AMP", "S", "0"}, std::tuple{"ZZZ", "S", "1"}}) {
        EXPECT_THROW(saveCode(code, result, organism, ""), DbError) << code << " " << result << " " << organism;
    }
    EXPECT_THROW(run("Laboratory..Lab_Get_CSCodes 'RC-1','Q'"), DbError);
    // Argument counts are checked by name, whatever the case.
    EXPECT_THROW(run("laboratory..lab_save_cscodes 'RC-1', 'AMP', 'S','1'"), DbError);
    EXPECT_THROW(run("Laboratory..Lab_Get_CSResults"), DbError);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResultCSCodes"), 0);
}

TEST_P(MicrobiologyDbTest, BacteriologyReportListsWhatWasFoundForTheChosenAntibiotics)
{
    run("INSERT INTO build_file..tbCoAntibioticPanel (ListNo, GroupLetter, AntibioticCode, SortOrder) VALUES "
        "('1', 'A', 'CIP', 2)");
    run("INSERT INTO build_file..tbCoAntibioticPanel (ListNo, GroupLetter, AntibioticCode, SortOrder) VALUES "
        "('1', 'A', 'AMP', 1)");
    run("INSERT INTO build_file..tbCoAntibioticPanel (ListNo, GroupLetter, AntibioticCode, SortOrder) VALUES "
        "('2', 'U', 'AMK', 1)");
    ResultSet panel = run("LABORATORY..Lab_Get_Microbiology '1','A'");
    ASSERT_EQ(panel.rows.size(), 2u);
    EXPECT_EQ(cell(panel, 0, "Code"), "AMP");
    EXPECT_THROW(run("LABORATORY..Lab_Get_Microbiology '7','A'"), DbError);
    EXPECT_THROW(run("LABORATORY..Lab_Get_Microbiology '1','D'"), DbError);

    std::vector<std::string> report{"RM-1", "E. coli", "0|1|0", "1|0", "1|0", kAwkward[0], "", "", kAwkward[5],
                                    "", "", "", "", "", "Final: E. coli", "0", kAwkward[1]};
    run(call("LAB_Save_ResultMicrobiology", report));
    run(call("LABORATORY..LAB_Save_ResultMicrobiologyAdd", {"RM-1", "1", "A", "CIP", "R"}));
    run(call("LABORATORY..LAB_Save_ResultMicrobiologyAdd", {"RM-1", "1", "A", "AMP", "s"}));
    run(call("LABORATORY..LAB_Save_ResultMicrobiologyAdd", {"RM-1", "2", "U", "AMK", "S"}));
    EXPECT_THROW(run(call("LABORATORY..LAB_Save_ResultMicrobiologyAdd", {"RM-1", "2", "A", "AMK", "S"})), DbError);

    ResultSet row = run("LABORATORY..Lab_GetResultMicrobiology 'RM-1','2','','',''");
    ASSERT_EQ(row.rows.size(), 1u);
    EXPECT_EQ(cell(row, 0, "PreSite"), kAwkward[0]);
    EXPECT_EQ(cell(row, 0, "PreReport"), kAwkward[5]);
    EXPECT_EQ(cell(row, 0, "Others"), kAwkward[1]);
    EXPECT_EQ(cell(row, 0, "ResultS"), "Amikacin, Ampicillin");
    EXPECT_EQ(cell(row, 0, "ResultI"), "");
    EXPECT_EQ(cell(row, 0, "ResultR"), "Ciprofloxacin");
    EXPECT_EQ(run("LABORATORY..Lab_GetResultMicrobiology 'RM-1','3','1','A',''").rows.size(), 2u);

    // Saving the report again replaces its chosen antibiotics.
    run("DELETE FROM Laboratory..tbLABResultMicrobiology WHERE RequestNum = 'RM-1'");
    run(call("LAB_Save_ResultMicrobiology", report));
    EXPECT_EQ(run("LABORATORY..Lab_GetResultMicrobiology 'RM-1','3','1','A',''").rows.size(), 0u);
}

TEST_P(MicrobiologyDbTest, DemoDataHasTheMasterFilesAndCultures)
{
    run("DELETE FROM build_file..tbCoAntibiotic");
    labdb::loadDemoData(driver());
    EXPECT_GT(count("select count(*) from build_file..tbCoAntibiotic where Status = 'A'"), 20);
    EXPECT_GT(count("select count(*) from build_file..tbCoOrganism"), 5);
    for (const char *list : {"1", "2", "3", "4", "5", "6"})
        EXPECT_FALSE(run(std::string("LABORATORY..Lab_Get_Microbiology '") + list + "','A'").rows.empty()) << list;
    // The urine culture grows E. coli; the sputum culture two organisms.
    EXPECT_EQ(cell(run("Laboratory..Lab_Get_CSResults 'R2603801'"), 0, "Org1"), "Escherichia coli");
    const ResultSet sputum = run("Laboratory..Lab_Get_CSResults 'R2603802'");
    EXPECT_EQ(cell(sputum, 0, "Tested1"), "Y");
    EXPECT_EQ(cell(sputum, 0, "Tested2"), "Y");
    EXPECT_EQ(cell(sputum, 0, "Tested3"), "");
}

INSTANTIATE_TEST_SUITE_P(Backends, MicrobiologyDbTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
