// Master data in CSV files: the registry against the schema, and values that CSV and the two
// backends find hard (quotes, commas, line breaks, accents, NULL beside the empty string) kept
// byte for byte from an import file through the database into an export file.

#include "support/dbfixture.h"

#include <labdb/masterdata.h>
#include <labdb/schema.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace md = labdb::masterdata;
namespace fs = std::filesystem;

namespace {

TEST(MasterDataRegistryTest, NamesTablesOfTheSchemaByTheirPrimaryKeys)
{
    std::set<std::string> files;
    for (const md::MasterTable &t : md::registry()) {
        SCOPED_TRACE(t.table);
        const labdb::TableDef *def = labdb::tableDefinition(t.db, t.table);
        ASSERT_NE(def, nullptr);
        ASSERT_EQ(t.key.size(), def->primaryKey.size());
        for (std::size_t i = 0; i < t.key.size(); ++i)
            EXPECT_TRUE(labdb::iequals(t.key[i], def->primaryKey[i])) << t.key[i];
        EXPECT_TRUE(files.insert(labdb::toLower(md::fileName(t))).second);
    }
    // Business rows are never master data.
    for (const char *table : {"tbLabMaster", "tbLabLogbook", "tbAuditTrail", "tbInvStockCard"})
        EXPECT_FALSE(files.count(labdb::toLower("laboratory." + std::string(table) + ".csv")));
}

class MasterDataFilesTest : public testsupport::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        static int serial = 0;
        folder = fs::temp_directory_path() /
                 ("corvane_md_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
        fs::remove_all(folder);
        fs::create_directories(folder / "in");
    }
    void TearDown() override
    {
        fs::remove_all(folder);
        SessionTest::TearDown();
    }
    void write(const std::string &file, const std::string &content)
    {
        std::ofstream(folder / "in" / file, std::ios::binary) << content;
    }
    std::string read(const fs::path &path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<md::Problem> problemsOf(const fs::path &dir)
    {
        try {
            md::checkFolder(dir.string());
        } catch (const md::ImportError &e) {
            return e.problems();
        }
        return {};
    }

    fs::path folder;
};

const std::string kLong = [] {
    std::string s;
    while (s.size() < 4000)
        s += "Ward 3, bed 12; \"urgent\" -- \\ ";
    return s.substr(0, 4000);
}();

TEST_P(MasterDataFilesTest, HardValuesTravelByteForByteAndNullStaysApartFromEmpty)
{
    // As a spreadsheet might save it: byte-order mark, LF line ends, quotes where it likes them.
    const std::string quotedLong = "\"" + [] {
        std::string q;
        for (char c : kLong)
            q += c == '"' ? std::string("\"\"") : std::string(1, c);
        return q;
    }() + "\"";
    write("patient_data.tbHospitalInfo.csv",
          "\xEF\xBB\xBFHospitalID,Title,Company,address1,address2,TelNo,FaxNo,Email\n"
          "1,\"He said \"\"hi\"\", then left\",\xC3\x91i\xC3\xB1o's Hospital \xE2\x80\x94 S\xC3\xA3o Paulo "
          "\xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\xA7\xAA,\"Line one\r\nLine two\nLine three\",\"\",\\N,\"\\N\",\"  padded  \"\n"
          "+2," + quotedLong + ",Plain,,,\\N,\\N,\\N\n");

    const auto tables = md::checkFolder((folder / "in").string());
    ASSERT_EQ(tables.size(), 1u);
    const auto counts = md::replaceTables(*session, tables);
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_EQ(counts[0].rows, 2u);

    const labdb::ResultSet rs = run("select * from Patient_Data..tbHospitalInfo order by HospitalID");
    ASSERT_EQ(rs.rows.size(), 2u);
    EXPECT_EQ(cell(rs, 0, "Title"), "He said \"hi\", then left");
    EXPECT_EQ(cell(rs, 0, "Company"), "\xC3\x91i\xC3\xB1o's Hospital \xE2\x80\x94 S\xC3\xA3o Paulo \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\xA7\xAA");
    EXPECT_EQ(cell(rs, 0, "address1"), "Line one\r\nLine two\nLine three");
    EXPECT_EQ(cell(rs, 0, "address2"), "");
    EXPECT_EQ(cell(rs, 0, "TelNo"), "<NULL>");
    EXPECT_EQ(cell(rs, 0, "FaxNo"), "\\N");
    EXPECT_EQ(cell(rs, 0, "Email"), "  padded  ");
    EXPECT_EQ(cell(rs, 1, "HospitalID"), "2");
    EXPECT_EQ(cell(rs, 1, "Title"), kLong);
    EXPECT_EQ(cell(rs, 1, "address1"), ""); // a bare empty field is an empty text, not NULL
    EXPECT_EQ(cell(rs, 1, "Email"), "<NULL>");

    md::exportTo(driver(), (folder / "out").string());
    EXPECT_EQ(read(folder / "out" / "patient_data.tbHospitalInfo.csv"),
              "HospitalID,Title,Company,address1,address2,TelNo,FaxNo,Email\r\n"
              "1,\"He said \"\"hi\"\", then left\",\xC3\x91i\xC3\xB1o's Hospital \xE2\x80\x94 S\xC3\xA3o Paulo "
              "\xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\xA7\xAA,\"Line one\r\nLine two\nLine three\",,\\N,\"\\N\",\"  padded  \"\r\n"
              "2," + quotedLong + ",Plain,,,\\N,\\N,\\N\r\n");
    // Every other master table is written too, with its header, even when empty.
    EXPECT_EQ(read(folder / "out" / "build_file.tbCoLabSpecimen.csv"), "SpecimenID,Specimen\r\n");

    // The import of what was exported changes nothing.
    const auto again = md::checkFolder((folder / "out").string());
    EXPECT_EQ(again.size(), md::registry().size());
    md::replaceTables(*session, again);
    md::exportTo(driver(), (folder / "out2").string());
    EXPECT_EQ(read(folder / "out2" / "patient_data.tbHospitalInfo.csv"),
              read(folder / "out" / "patient_data.tbHospitalInfo.csv"));
}

TEST_P(MasterDataFilesTest, ProblemsNameTheLineARecordStartsOnPastLineBreaksInValues)
{
    write("laboratory.tbLabRemarks.csv", "RemarkID,Description,SectionID\r\n"
                                         "01,\"FIRST\r\nSECOND\r\nTHIRD\",A\r\n"
                                         "\r\n"
                                         "02,LIPEMIC,B,EXTRA\r\n"
                                         "03,\\N,C\r\n"
                                         "04,\"UNCLOSED\r\n");
    const std::vector<md::Problem> problems = problemsOf(folder / "in");
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].text(), "laboratory.tbLabRemarks.csv, line 6: 4 values, but the first line names 3 columns");
    EXPECT_EQ(problems[1].text(),
              "laboratory.tbLabRemarks.csv, line 7, column 2 (Description): a value is required here (\\N stands for no "
              "value)");
    EXPECT_EQ(problems[2].text(),
              "laboratory.tbLabRemarks.csv, line 8, column 2: the quoted value that starts here is never closed");
    EXPECT_EQ(count("select count(*) from Laboratory..tbLabRemarks"), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, MasterDataFilesTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
