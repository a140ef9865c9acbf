// The command interpreter on both backends: dialect translation, bound values, errors, audit,
// atomicity and what happens when connections die or collide.

#include "support/dbfixture.h"

#include <labdb/procedures.h>

#include <csignal>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using labdb::CommandText;
using labdb::Database;
using labdb::DbError;
using labdb::Session;

namespace {

class InterpreterTest : public testsupport::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        if (!db)
            return;
        labdb::TableDef notes{Database::BuildFile,
                              "tbTestNote",
                              {{"NoteID", labdb::ColType::Text, false, ""},
                               {"Body", labdb::ColType::Text, false, ""},
                               {"Qty", labdb::ColType::Int, false, ""}},
                              {"NoteID"}};
        driver().runScript(driver().createTableSql(notes));
    }
};

TEST(CommandTextTest, RebuildsTheOriginalTextWithItsSeparators)
{
    CommandText c("Laboratory..Lab_ResultEntryDLL_SaveToLogbook '");
    c.value(std::string("R-1")).fixed("', '").value(std::string()).fixed("', '").value(std::string("E7")).fixed("','");
    c.value(std::string("3/7/2026 2:05:00 PM")).fixed("'");
    EXPECT_EQ(c.text(), "Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R-1', '', 'E7','3/7/2026 2:05:00 PM'");
    EXPECT_EQ(c.values().size(), 4u);

    CommandText bareNull("Lab_X '");
    bareNull.value(std::string("a")).fixed("', ").value(std::nullopt);
    EXPECT_EQ(bareNull.text(), "Lab_X 'a', NULL");
}

TEST(ProcedureRegistryTest, AProcedureRegisteredTwiceIsRefusedWhateverItsCase)
{
    labdb::ProcedureRegistry r;
    r.add({Database::Laboratory, "Lab_Save_Something", 1, 1, true, nullptr});
    EXPECT_THROW(r.add({Database::Laboratory, "LAB_SAVE_something", 2, 2, true, nullptr}), std::logic_error);
    EXPECT_EQ(r.find(Database::Laboratory, "lab_save_something")->minArgs, 1);
    r.add({Database::BuildFile, "Lab_Save_Something", 1, 1, true, nullptr});
    EXPECT_EQ(r.all().size(), 2u) << "the same name in another database is another procedure";
}

TEST(CommandTextTest, TypedTextSplitsLiteralsIntoValues)
{
    const CommandText c = CommandText::fromText("select * from x where a = 'O''Brien' and b = ''");
    ASSERT_EQ(c.values().size(), 2u);
    EXPECT_EQ(*c.values()[0], "O'Brien");
    EXPECT_EQ(*c.values()[1], "");
    // Same shape for other values: one cached plan.
    EXPECT_EQ(c.shape(), CommandText::fromText("select * from x where a = 'z' and b = 'q'").shape());
    EXPECT_THROW(CommandText::fromText("select 'open"), DbError);

    // Outside a quoted value only text and blanks: a stray value marker or NUL there is refused.
    // Inside one, any byte is the value's.
    for (const std::string &bad : {std::string("select \x1F"), std::string("delete from x\0 where 1 = 0", 27),
                                  std::string("select 1 \x01"), std::string("select 1 -- \x1F")}) {
        EXPECT_THROW(CommandText::fromText(bad), DbError) << bad;
    }
    const std::string control("a\x1F\0\x01b", 5);
    const CommandText quoted = CommandText::fromText("select '" + control + "'\t\r\n");
    ASSERT_EQ(quoted.values().size(), 1u);
    EXPECT_EQ(*quoted.values()[0], control);
}

TEST_P(InterpreterTest, OriginalDialectIsTranslated)
{
    run("INSERT INTO BUILD_FILE..tbTestNote (NoteID, Body, Qty) VALUES ('N1', 'first', 3)");
    // Database names in any case, two dots or .dbo., bracketed identifiers, mixed-case tables.
    for (const char *sql : {"Select Body from BUILD_FILE..tbTestNote where NoteID = 'N1'",
                            "select body from build_file.dbo.TBTESTNOTE where noteid = 'N1'",
                            "SELECT [Body] FROM Build_File..tbTestNote WHERE [NoteID] = 'N1'"}) {
        const labdb::ResultSet rs = run(sql);
        ASSERT_EQ(rs.rows.size(), 1u) << sql;
        EXPECT_EQ(*rs.rows[0][0], "first") << sql;
    }
    // Text compares without regard to case, as the original collation did.
    EXPECT_EQ(run("select Body from Build_file..tbTestNote where NoteID = 'n1'").rows.size(), 1u);
    const labdb::ResultSet isnull = run("select isnull(NULL, 'N') as SendOuts");
    EXPECT_EQ(*isnull.at(0, "SendOuts"), "N");
}

// What IT staff type at the console in the original dialect, and the rows it must give.
TEST_P(InterpreterTest, CommonFormsOfTheOriginalDialectGiveTheSameRowsOnBothBackends)
{
    run("INSERT INTO BUILD_FILE..tbTestNote (NoteID, Body, Qty) VALUES ('N1', 'first  ', 3)");
    run("INSERT INTO BUILD_FILE..tbTestNote (NoteID, Body, Qty) VALUES ('N2', 'second', 12)");
    run("INSERT INTO BUILD_FILE..tbTestNote (NoteID, Body, Qty) VALUES ('N3', 'third', 7)");
    struct Case {
        const char *sql;
        std::vector<std::string> rows; // cells joined with "|"
    };
    const std::vector<Case> cases = {
        {"select top 2 NoteID from Build_File..tbTestNote order by Qty desc", {"N2", "N3"}},
        {"select TOP (1) NoteID from Build_File..tbTestNote order by NoteID", {"N1"}},
        {"select distinct top 1 Qty from Build_File..tbTestNote where Qty > 5 order by Qty", {"7"}},
        {"select NoteID from Build_File..tbTestNote where Qty = (select top 1 Qty from Build_File..tbTestNote "
         "order by Qty) order by NoteID",
         {"N1"}},
        // LEN leaves trailing blanks out, and reads numbers as their text.
        {"select len(Body), LEN(Qty) from Build_File..tbTestNote order by NoteID", {"5|1", "6|2", "5|1"}},
        {"select '[' + NoteID + ']' from Build_File..tbTestNote where Qty = 3", {"[N1]"}},
        {"select '<' + n.NoteID + '/' + n.Body + '>' as Tag from Build_File..tbTestNote n where n.Qty = 12",
         {"<N2/second>"}},
        {"select NoteID + '-x', Qty + 1 from Build_File..tbTestNote where NoteID = 'N3'", {"N3-x|8"}},
        {"select ('a' + NoteID) + Body from Build_File..tbTestNote where NoteID = 'N2'", {"aN2second"}},
        {"select Qty + 1 * 2 from Build_File..tbTestNote where NoteID = 'N2'", {"14"}},
        {"select convert(varchar, '2026-03-09 14:05:00', 101)", {"03/09/2026"}},
        {"select convert(varchar(10), '2026-03-09 14:05:00', 120), CONVERT(char(8), '2026-03-09 14:05:07', 108)",
         {"2026-03-09|14:05:07"}},
        {"select convert(varchar, '2026-03-09', 112) + '-' + NoteID from Build_File..tbTestNote where Qty = 3",
         {"20260309-N1"}},
        {"select convert(datetime, '2026-03-09 14:05:00'), cast('2026-03-09 14:05:00' as date)",
         {"2026-03-09 14:05:00|2026-03-09"}},
        {"select cast(Qty as varchar(10)) + 'x', convert(int, '42') + 1 from Build_File..tbTestNote where Qty = 7",
         {"7x|43"}},
        {"select NoteID from Build_File..tbTestNote where cast(Qty as int) > 6 and len(Body) = 5", {"N3"}},
    };
    for (const Case &c : cases) {
        std::vector<std::string> rows;
        try {
            const labdb::ResultSet rs = run(c.sql);
            for (const labdb::Row &row : rs.rows) {
                std::string line;
                for (const labdb::Value &v : row)
                    line += (line.empty() ? "" : "|") + v.value_or("<NULL>");
                rows.push_back(line);
            }
        } catch (const DbError &e) {
            rows = {std::string("error: ") + e.what()};
        }
        EXPECT_EQ(rows, c.rows) << c.sql;
    }
    // What cannot be translated is named, not guessed.
    EXPECT_THROW(run("select convert(varchar, '2026-03-09', 999)"), DbError);
    EXPECT_THROW(run("select convert(geography, 'x')"), DbError);
    EXPECT_THROW(run("select top x NoteID from Build_File..tbTestNote"), DbError);
    EXPECT_THROW(run("select len(Body from Build_File..tbTestNote"), DbError);
}

TEST_P(InterpreterTest, HostileValuesAreStoredByteForByte)
{
    const std::vector<std::string> hostile = {
        "O'Brien",
        "x'); DELETE FROM build_file.tbTestNote; --",
        "'; DROP TABLE tbTestNote; SELECT '",
        "/* not a comment */ -- nor this",
        "Señora Ñiño — 检验 — قاعدة",
        std::string(10000, 'z') + "'",
    };
    int n = 0;
    for (const std::string &v : hostile) {
        const std::string id = "H" + std::to_string(++n);
        CommandText insert("INSERT INTO BUILD_FILE..tbTestNote (NoteID, Body) VALUES ('");
        insert.value(id).fixed("', '").value(v).fixed("')");
        run(insert);
        CommandText read("Select Body from BUILD_FILE..tbTestNote where NoteID = '");
        read.value(id).fixed("'");
        const labdb::ResultSet rs = run(read);
        ASSERT_EQ(rs.rows.size(), 1u);
        EXPECT_EQ(*rs.rows[0][0], v);
    }
    EXPECT_EQ(count("select count(*) from build_file..tbTestNote"), static_cast<long long>(hostile.size()));

    // A value in a procedure argument cannot change what the call does either.
    CommandText call("Lab_FormMaker_GetResult '");
    call.value(std::string("x'; DELETE FROM build_file.tbTestNote; --")).fixed("'");
    EXPECT_NO_THROW(run(call));
    EXPECT_EQ(count("select count(*) from build_file..tbTestNote"), static_cast<long long>(hostile.size()));
}

TEST_P(InterpreterTest, ProcedureErrorsNameTheProblem)
{
    try {
        run("Laboratory..Lab_No_Such_Thing 'a'");
        FAIL() << "an unknown procedure ran";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbError::Kind::UnknownProcedure);
        EXPECT_NE(std::string(e.what()).find("Lab_No_Such_Thing"), std::string::npos) << e.what();
    }
    try {
        run("laboratory..LAB_Save_VerifyResults 'R1'");
        FAIL() << "a call with too few arguments ran";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbError::Kind::ArgumentCount);
        EXPECT_NE(std::string(e.what()).find("expects 2 arguments"), std::string::npos) << e.what();
    }
    // The procedure lives in one database; another prefix does not find it.
    EXPECT_THROW(run("Inventory.dbo.Lab_FormMaker_GetResult 'R1'"), DbError);
    EXPECT_THROW(run("Lab_FormMaker_GetResult 'R1' 'R2'"), DbError);
    EXPECT_THROW(run("select 1; select 2"), DbError);
    // A quote inside a quoted name would leave a value unbound and shift the ones after it.
    EXPECT_THROW(run("select [Body 'x'] from build_file..tbTestNote where NoteID = 'y'"), DbError);
    EXPECT_THROW(run("select \"Body 'x'\" from build_file..tbTestNote where NoteID = 'y'"), DbError);
    EXPECT_NO_THROW(run("select [Body] from build_file..tbTestNote where NoteID = 'y'"));
    // Spellings of one procedure are one procedure.
    EXPECT_NO_THROW(run("LAB_FORMMAKER_GETRESULT 'R1'"));
    EXPECT_NO_THROW(run("Lab_FormMaker_GetResult  'R1'"));
}

TEST_P(InterpreterTest, CommittedChangesAreAuditedAndRolledBackOnesLeaveNoTrace)
{
    session->setAuditUser("E42");
    const long long before = count("select count(*) from laboratory..tbAuditTrail");

    session->begin();
    run("INSERT INTO BUILD_FILE..tbTestNote (NoteID, Body) VALUES ('A1', 'kept')");
    session->commit();
    const labdb::ResultSet audit = run(
        "select EmployeeCode, CommandText from laboratory..tbAuditTrail order by AuditID desc");
    ASSERT_EQ(static_cast<long long>(audit.rows.size()), before + 1);
    EXPECT_EQ(*audit.rows[0][0], "E42");
    EXPECT_EQ(*audit.rows[0][1], "INSERT INTO BUILD_FILE..tbTestNote (NoteID, Body) VALUES ('A1', 'kept')");

    session->begin();
    run("INSERT INTO BUILD_FILE..tbTestNote (NoteID, Body) VALUES ('A2', 'gone')");
    session->rollback();
    EXPECT_EQ(count("select count(*) from build_file..tbTestNote where NoteID = 'A2'"), 0);
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail"), before + 1);

    // Reads are not audited.
    run("select * from build_file..tbTestNote");
    EXPECT_EQ(count("select count(*) from laboratory..tbAuditTrail"), before + 1);
}

TEST_P(InterpreterTest, AKilledConnectionLeavesNoPartialWrite)
{
    if (GetParam() == testsupport::Backend::Postgres) {
        auto victim = std::make_unique<Session>(db->connect());
        const long long pid = victim->driver().sessionId();
        victim->begin();
        victim->execute("INSERT INTO BUILD_FILE..tbTestNote (NoteID, Body) VALUES ('K1', 'half')");
        run(CommandText("select pg_terminate_backend(").value(std::to_string(pid)).fixed(")"));
        EXPECT_THROW(victim->execute("INSERT INTO BUILD_FILE..tbTestNote (NoteID, Body) VALUES ('K2', 'half')"),
                     DbError);
        victim.reset();
    } else {
        // A workstation process dies in the middle of a save.
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Session s(db->connect());
            s.begin();
            s.execute("INSERT INTO BUILD_FILE..tbTestNote (NoteID, Body) VALUES ('K1', 'half')");
            s.execute("INSERT INTO laboratory..tbAuditTrail (AuditTime, EmployeeCode, CommandText) VALUES "
                      "(getdate(), 'x', 'y')");
            ::kill(::getpid(), SIGKILL);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
    }
    Session fresh(db->connect());
    EXPECT_EQ(*fresh.execute("select count(*) from build_file..tbTestNote").rows[0][0], "0");
    EXPECT_EQ(*fresh.execute("select count(*) from laboratory..tbAuditTrail where EmployeeCode = 'x'").rows[0][0], "0");
}

TEST_P(InterpreterTest, TwoWorkstationsSavingTheSameLogbookRowEndWithOne)
{
    addRequest("R-RACE");
    Session other(db->connect());
    const std::string insert = "Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R-RACE', '', 'E1','03/07/2026 2:05:00 "
                               "PM', '03/07/2026 2:05:00 PM','";
    session->begin();
    run(insert + "FIRST'");

    std::string loserError;
    std::thread second([&] {
        try {
            other.begin();
            other.execute(insert + "SECOND'");
            other.commit();
        } catch (const DbError &e) {
            loserError = e.what();
            other.rollback();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    session->commit();
    second.join();

    EXPECT_NE(loserError.find("R-RACE"), std::string::npos) << "loser said: " << loserError;
    EXPECT_EQ(count("select count(*) from laboratory..tbLabLogbook where RequestNum = 'R-RACE'"), 1);
    EXPECT_EQ(cell(run("select AccessionNum from laboratory..tbLabLogbook"), 0, "AccessionNum"), "FIRST");
}

INSTANTIATE_TEST_SUITE_P(Backends, InterpreterTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
