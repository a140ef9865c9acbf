// The microscopy procedures on both backends, through command texts as the screens send them:
// what a save writes reads back into the same positions, byte for byte; lists and reference
// ranges; argument counts.

#include "support/dbfixture.h"

#include <labdb/command.h>
#include <labdb/schema.h>

#include <string>
#include <vector>

using labdb::CommandText;
using labdb::DbError;
using labdb::ResultSet;

namespace {

// Values no command text may bend: quotes, separators, comment marks, backslashes, accents and
// a comment of 4,000 characters.
const std::vector<std::string> kAwkward{"it's", "a', 'b", "x; DROP TABLE tbLabResult --", "C:\\urine\\",
                                        "Pe\xc3\xb1" "a, Ni\xc3\xb1o", std::string(4000, 'k')};

class MicroscopyDbTest : public testsupport::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        // Results are only ever stored under a request that exists.
        if (session) {
            for (const char *request : {"RU-1", "RF-1", "RF-2", "RS-1"})
                addRequest(request);
        }
    }

    // "<name> <flag>, '<a>','<b>', '<c>' ..." with the screens' separators: "','" after the request.
    static CommandText save(const char *name, int flag, const std::vector<std::string> &args)
    {
        CommandText c(std::string(name) + " " + std::to_string(flag) + ", '");
        for (std::size_t i = 0; i < args.size(); ++i) {
            c.value(args[i]);
            c.fixed(i + 1 == args.size() ? "'" : (i == 0 ? "','" : "', '"));
        }
        return c;
    }
    ResultSet stored(const std::string &requestNum)
    {
        return run("LABORATORY..lab_getresulthcodes '" + requestNum + "'");
    }
    static std::string at(const ResultSet &rs, std::size_t position)
    {
        const labdb::Value &v = rs.rows.at(0).at(position);
        return v ? *v : std::string("<NULL>");
    }
    // The 31 values after the header of a urinalysis save, arguments 6 to 36.
    static std::vector<std::string> urinalysisValues()
    {
        std::vector<std::string> v;
        for (int arg = 6; arg <= 36; ++arg)
            v.push_back(arg == 25 ? "03/07/2026 03:10 PM" : "u" + std::to_string(arg));
        for (std::size_t i = 0; i < kAwkward.size(); ++i)
            v[i] = kAwkward[i];
        return v;
    }
};

TEST_P(MicroscopyDbTest, UrinalysisReadsBackByPositionAndName)
{
    std::vector<std::string> args{"RU-1", "03/07/2026 02:05 PM", "03/07/2026 03:10 PM", "U-77"};
    const std::vector<std::string> values = urinalysisValues();
    args.insert(args.end(), values.begin(), values.end());
    ASSERT_EQ(args.size() + 1, 36u);
    run(save("Laboratory..Lab_Save_Urinalysis", 0, args));

    const ResultSet rs = stored("RU-1");
    ASSERT_EQ(rs.rows.size(), 1u);
    // Arguments 6 to 22 at positions 1 to 17, the remarks in result18, the dipstick and counts by name.
    for (int arg = 6; arg <= 22; ++arg)
        EXPECT_EQ(at(rs, static_cast<std::size_t>(arg - 5)), values[static_cast<std::size_t>(arg - 6)]) << arg;
    EXPECT_EQ(cell(rs, 0, "result18"), "u23");
    EXPECT_EQ(cell(rs, 0, "result19"), "u24") << "the method";
    for (int arg = 26; arg <= 36; ++arg)
        EXPECT_EQ(cell(rs, 0, "result" + std::to_string(arg - 5)), "u" + std::to_string(arg));
    EXPECT_EQ(cell(rs, 0, "AccessionNum"), "U-77");
    EXPECT_EQ(cell(rs, 0, "samplesubmitted").substr(0, 16), "2026-03-07 14:05");
    EXPECT_EQ(cell(rs, 0, "DateFinished").substr(0, 16), "2026-03-07 15:10");
    EXPECT_EQ(cell(rs, 0, "lratime"), "<NULL>") << "the urinalysis save sends no LRA time";

    // A later save replaces the values but keeps the LRA time it does not carry; a second first
    // save is refused.
    run("UPDATE laboratory..tbLabResult SET lratime = '2026-03-07 14:20:00' WHERE RequestNum = 'RU-1'");
    args[4] = "Amber";
    run(save("Laboratory..Lab_Save_Urinalysis", 1, args));
    EXPECT_EQ(at(stored("RU-1"), 1), "Amber");
    EXPECT_EQ(cell(stored("RU-1"), 0, "lratime").substr(0, 16), "2026-03-07 14:20");
    EXPECT_THROW(run(save("Laboratory..Lab_Save_Urinalysis", 0, args)), DbError);
    EXPECT_EQ(count("select count(*) from laboratory..tbLabResult where RequestNum = 'RU-1'"), 1);
}

TEST_P(MicroscopyDbTest, FecalysisAndStoolKeepTheirOwnSlots)
{
    std::vector<std::string> fe{"RF-1", "03/07/2026 08:00 AM", "03/07/2026 08:20 AM", "F-1"};
    for (int i = 0; i < 14; ++i)
        fe.push_back(i < static_cast<int>(kAwkward.size()) ? kAwkward[static_cast<std::size_t>(i)]
                                                           : "f" + std::to_string(i));
    fe.insert(fe.end(), {"Remarks: a, b", "Direct smear", "03/07/2026 09:00 AM"});
    run(save("Laboratory..Lab_Save_Fecalysis", 0, fe));
    ResultSet rs = stored("RF-1");
    for (std::size_t p = 1; p <= 14; ++p)
        EXPECT_EQ(at(rs, p), fe[p + 3]) << p;
    EXPECT_EQ(cell(rs, 0, "result20"), "Remarks: a, b");
    EXPECT_EQ(cell(rs, 0, "result19"), "Direct smear");
    EXPECT_EQ(cell(rs, 0, "lratime").substr(0, 16), "2026-03-07 08:20");
    EXPECT_EQ(cell(rs, 0, "DateFinished").substr(0, 16), "2026-03-07 09:00");

    std::vector<std::string> st{"RS-1", "03/07/2026 08:00 AM", "03/07/2026 10:30 AM", "S-1"};
    for (int i = 0; i < 28; ++i)
        st.push_back("s" + std::to_string(i));
    st[4 + 27] = kAwkward[5]; // the last concentration box
    st.insert(st.end(), {"03/07/2026", "11:02:09 AM", "Kato-Katz, 41.7 mg"});
    ASSERT_EQ(st.size() + 1, 36u);
    run(save("Laboratory..Lab_Save_StoolExam", 0, st));
    rs = stored("RS-1");
    for (std::size_t p = 1; p <= 28; ++p)
        EXPECT_EQ(at(rs, p), st[p + 3]) << p;
    EXPECT_EQ(cell(rs, 0, "result29"), "Kato-Katz, 41.7 mg");
    EXPECT_EQ(cell(rs, 0, "lratime").substr(0, 16), "2026-03-07 10:30") << "the finished time";
    EXPECT_EQ(cell(rs, 0, "ResultDate").substr(0, 19), "2026-03-07 11:02:09");
}

TEST_P(MicroscopyDbTest, WrongArgumentCountsAndFlagsAreClearErrors)
{
    std::vector<std::string> short35(34, "x");
    try {
        run(save("Laboratory..Lab_Save_Urinalysis", 0, short35));
        FAIL() << "35 arguments were taken";
    } catch (const DbError &e) {
        EXPECT_NE(std::string(e.what()).find("expects 36 arguments"), std::string::npos) << e.what();
    }
    EXPECT_THROW(run(save("Laboratory..Lab_Save_StoolExam", 0, std::vector<std::string>(36, "x"))), DbError);
    EXPECT_THROW(run("Laboratory..sp_SaveUrinalysisRefRange 'a', 'b'"), DbError);
    EXPECT_THROW(run("LABORATORY..Lab_Load_UrinalysisValues '2', '6'"), DbError);
    std::vector<std::string> fe(21, "");
    fe[0] = "RF-2";
    EXPECT_THROW(run(save("Laboratory..Lab_Save_Fecalysis", 7, fe)), DbError);
}

TEST_P(MicroscopyDbTest, ListsComeByModeAndNumberOrAllAtOnce)
{
    labdb::loadDemoData(driver());
    const ResultSet usual = run("LABORATORY..Lab_Load_UrinalysisValues '0', '6'");
    ASSERT_EQ(usual.rows.size(), 6u);
    EXPECT_EQ(cell(usual, 0, "ResultValue"), "0-1");
    const ResultSet others = run("LABORATORY..Lab_Load_UrinalysisValues '1', '6'");
    EXPECT_EQ(cell(others, others.rows.size() - 1, "ResultValue"), "TNTC");

    // Every list of a mode in one call, grouped by list and in order within each.
    const ResultSet all = run("LABORATORY..Lab_Load_FecalysisValues '0', ''");
    std::size_t colors = 0;
    for (std::size_t r = 0; r < all.rows.size(); ++r)
        colors += cell(all, r, "ListNo") == "0" ? 1 : 0;
    EXPECT_EQ(colors, 3u);
    EXPECT_EQ(cell(all, 0, "ResultValue"), "Brown");
    EXPECT_TRUE(run("LABORATORY..Lab_Load_UrinalysisValues '0', '7'").rows.empty()) << "RBC uses list 6";
}

TEST_P(MicroscopyDbTest, ReferenceRangesAreOneRowOfTwentyTexts)
{
    EXPECT_TRUE(run("LABORATORY..sp_GetUrinalysisRefRange").rows.empty());
    CommandText c("Laboratory..sp_SaveUrinalysisRefRange '");
    for (int k = 0; k < 20; ++k) {
        c.value(k < static_cast<int>(kAwkward.size()) ? kAwkward[static_cast<std::size_t>(k)] : "r" + std::to_string(k));
        c.fixed(k == 19 ? "'" : "', '");
    }
    // The ranges are kept with the exams that open the urinalysis screen; without one they are refused.
    EXPECT_THROW(run(c), DbError);
    EXPECT_TRUE(run("LABORATORY..sp_GetUrinalysisRefRange").rows.empty());
    driver().run("INSERT INTO " + driver().qualify(labdb::Database::BuildFile, "tbCoLabExam") +
                     " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, SupExamID, Status) "
                     "VALUES ('U1', 'URINALYSIS', 'C', 'S04', 'H', 'U', '', 'A')",
                 {});
    run(c);
    run(c);
    const ResultSet rs = run("LABORATORY..sp_GetUrinalysisRefRange");
    ASSERT_EQ(rs.rows.size(), 1u);
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(cell(rs, 0, "RefRange" + std::to_string(k + 1)),
                  k < static_cast<int>(kAwkward.size()) ? kAwkward[static_cast<std::size_t>(k)] : "r" + std::to_string(k));
}

INSTANTIATE_TEST_SUITE_P(Backends, MicroscopyDbTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
