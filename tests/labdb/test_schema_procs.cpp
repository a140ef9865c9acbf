// The laboratory server's schema, its upgrades, the demonstration data and the core procedures,
// driven through the same command texts the result-entry component sends.

#include "support/dbfixture.h"
#include "support/patientinfo.h"

#include <labdb/procedures.h>
#include <labdb/schema.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

using labdb::Database;
using labdb::DbError;
using labdb::ResultSet;
using testsupport::kPatientInfoColumns;

namespace {

class SchemaProcsTest : public testsupport::SessionTest {
protected:
    void loadDemo() { labdb::loadDemoData(driver()); }
    // The first save of a request as the screens send it.
    void saveToLogbook(const std::string &requestNum, const std::string &submitted = "03/07/2026 2:05:00 PM",
                       const std::string &finished = "03/07/2026 2:45:00 PM", const std::string &acc = "ACC-0311")
    {
        addRequest(requestNum);
        run("Laboratory..Lab_ResultEntryDLL_SaveToLogbook '" + requestNum + "', '', '0102','" + submitted + "', '" +
            finished + "','" + acc + "'");
    }
    ResultSet logbookRow(const std::string &requestNum)
    {
        return run("select * from laboratory..tblablogbook where requestnum = '" + requestNum + "'");
    }
    ResultSet patientInfo(const std::string &requestNum)
    {
        return run("Lab_Get_PatientInformation '" + requestNum + "'");
    }
};

// ---------------------------------------------------------------------------------------------
// Schema and upgrades

TEST_P(SchemaProcsTest, UpgradingAnUpToDateDatabaseChangesNothing)
{
    EXPECT_GE(labdb::schemaVersion(), 1);
    EXPECT_EQ(labdb::storedSchemaVersion(driver()), labdb::schemaVersion());
    saveToLogbook("R1");
    labdb::upgradeSchema(driver());
    // A second workstation opening the same database upgrades too.
    labdb::Session second(db->connect());
    EXPECT_EQ(labdb::storedSchemaVersion(second.driver()), labdb::schemaVersion());
    EXPECT_EQ(count("select count(*) from Laboratory..tbSchemaVersion"), 1);
    EXPECT_EQ(cell(logbookRow("R1"), 0, "AccessionNum"), "ACC-0311");
}

TEST_P(SchemaProcsTest, DatabaseFromANewerProgramIsRefused)
{
    driver().run("UPDATE " + driver().qualify(Database::Laboratory, "tbSchemaVersion") + " SET Version = ?",
                 {std::to_string(labdb::schemaVersion() + 1)});
    EXPECT_THROW(labdb::upgradeSchema(driver()), DbError);
    EXPECT_THROW(labdb::Session(db->connect()), DbError);
}

TEST_P(SchemaProcsTest, WorkstationsUpgradingAtOnceCreateTheSchemaOnce)
{
    // A second, empty database: the fixture's session already upgraded the first.
    testsupport::TempDatabase empty(GetParam());
    constexpr int kWorkstations = 3;
    std::vector<std::unique_ptr<labdb::Driver>> drivers;
    for (int i = 0; i < kWorkstations; ++i)
        drivers.push_back(empty.connect());
    std::atomic<int> ready{0};
    std::vector<std::string> errors(kWorkstations);
    std::vector<std::thread> threads;
    for (int i = 0; i < kWorkstations; ++i) {
        threads.emplace_back([&, i] {
            ++ready;
            while (ready < kWorkstations)
                std::this_thread::yield();
            try {
                labdb::upgradeSchema(*drivers[static_cast<std::size_t>(i)]);
            } catch (const std::exception &e) {
                errors[static_cast<std::size_t>(i)] = e.what();
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    for (const std::string &e : errors)
        EXPECT_EQ(e, "");
    labdb::Driver &d = *drivers.front();
    EXPECT_EQ(labdb::storedSchemaVersion(d), labdb::schemaVersion());
    EXPECT_EQ(d.run("SELECT Version FROM " + d.qualify(Database::Laboratory, "tbSchemaVersion"), {}).rows.size(), 1u);
}

// The screens read results by column position, so the table's layout is part of the contract.
TEST_P(SchemaProcsTest, ResultColumnsKeepTheirOrder)
{
    const ResultSet results = run("select * from laboratory..tbLabResult where RequestNum = 'none'");
    ASSERT_GE(results.columns.size(), 41u);
    EXPECT_TRUE(labdb::iequals(results.columns[0], "RequestNum"));
    for (std::size_t i = 1; i <= 40; ++i)
        EXPECT_TRUE(labdb::iequals(results.columns[i], "result" + std::to_string(i))) << results.columns[i];
}

// ---------------------------------------------------------------------------------------------
// Demonstration data

struct DispatchRow {
    const char *formType;
    const char *valueType; // nullptr: the screen choice does not look at it
};
// Every row of the screen dispatch, each alternative code of a row, and codes that end in the
// "not formatted" message or in silence.
const DispatchRow kDispatchRows[] = {
    {"H", "A"}, {"H", "B"}, {"H", "U"}, {"H", "H"}, {"H", "P"}, {"H", "C"}, {"H", "W"}, {"H", "R"},
    {"H", "S"}, {"H", "L"}, {"H", "T"}, {"H", "E"}, {"H", "O"}, {"H", "F"}, {"H", "2"}, {"H", "K"},
    {"H", "X"}, {"H", "Y"}, {"H", "Z"}, {"H", "3"}, {"H", "4"}, {"H", "Q"}, {"P", "5"}, {"P", "D"},
    {"P", "I"}, {"P", "2"}, {"P", "3"}, {"P", "6"}, {"P", "1"}, {"P", "7"}, {"P", "8"}, {"P", "B"},
    {"P", "9"}, {"D", nullptr}, {"J", nullptr}, {"2", nullptr}, {"3", nullptr}, {"6", nullptr}, {"9", nullptr},
    {"4", nullptr}, {"1", nullptr}, {"7", nullptr}, {"8", nullptr}, {"B", nullptr}, {"5", nullptr}, {"W", nullptr},
    {"I", nullptr}, {"X", "1"}, {"X", "2"}, {"X", "3"}, {"K", nullptr}, {"Q", nullptr}, {"Z", nullptr},
    {"h", nullptr}, {"", nullptr},
};

TEST_P(SchemaProcsTest, DemoRequestsLoadCompletelyAndCoverEveryDispatchRow)
{
    driver().pinClock("2026-03-08 10:00:00");
    loadDemo();
    const ResultSet requests = run("select RequestNum from Laboratory..tbLabMaster order by RequestNum");
    ASSERT_GE(requests.rows.size(), std::size(kDispatchRows));

    std::set<std::pair<std::string, std::string>> codes;
    std::set<std::string> sexes;
    for (const labdb::Row &r : requests.rows) {
        const std::string num = r.at(0).value();
        const ResultSet info = patientInfo(num);
        ASSERT_EQ(info.columns, kPatientInfoColumns);
        ASSERT_EQ(info.rows.size(), 1u) << num;
        const labdb::Row &row = info.rows[0];
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (info.columns[c] != "requestdate") {
                EXPECT_TRUE(row[c].has_value()) << num << " " << info.columns[c];
            }
        }
        // Every reference of a demo request resolves.
        for (const char *col : {"PatientName", "Sex", "Age", "Ward", "Doctor", "ExamName", "LabSection",
                                "Specimen", "Pathologist", "DateFinished", "RefNum"})
            EXPECT_NE(cell(info, 0, col), "") << num << " " << col;
        const std::string reagent = cell(info, 0, "WithReagent");
        EXPECT_TRUE(reagent.empty() || reagent == "0" || reagent == "1") << reagent;
        codes.emplace(cell(info, 0, "FormType"), cell(info, 0, "ValueType"));
        sexes.insert(cell(info, 0, "Sex"));
    }
    for (const DispatchRow &d : kDispatchRows) {
        const bool found = std::any_of(codes.begin(), codes.end(), [&](const auto &c) {
            return c.first == d.formType && (!d.valueType || c.second == d.valueType);
        });
        EXPECT_TRUE(found) << "no demo request with FormType '" << d.formType << "' ValueType '"
                           << (d.valueType ? d.valueType : "*") << "'";
    }
    EXPECT_EQ(sexes, (std::set<std::string>{"F", "M"}));
}

TEST_P(SchemaProcsTest, DemoDataLoadsOnceAndNeverOverAConfiguredHospital)
{
    loadDemo();
    const long long requests = count("select count(*) from laboratory..tbLabMaster");
    const long long exams = count("select count(*) from BUILD_FILE..tbCoLabExam");
    loadDemo();
    EXPECT_EQ(count("select count(*) from laboratory..tbLabMaster"), requests);
    EXPECT_EQ(count("select count(*) from BUILD_FILE..tbCoLabExam"), exams);

    testsupport::TempDatabase other(GetParam());
    labdb::Session hospital(other.connect());
    hospital.execute("INSERT INTO Patient_Data..tbHospitalInfo (HospitalID, Title, Company) VALUES (1, 'A', 'B')");
    labdb::loadDemoData(hospital.driver());
    EXPECT_EQ(hospital.execute("select count(*) from BUILD_FILE..tbCoLabExam").rows.at(0).at(0), "0");
}

// ---------------------------------------------------------------------------------------------
// Lab_Get_PatientInformation

TEST_P(SchemaProcsTest, PatientInformationComposesTheRequest)
{
    loadDemo();
    const ResultSet histo = patientInfo("R2603004");
    ASSERT_EQ(histo.rows.size(), 1u);
    EXPECT_EQ(cell(histo, 0, "PatientName"), "Santiago, Rosalinda Manalo");
    EXPECT_EQ(cell(histo, 0, "Age"), "53");
    EXPECT_EQ(cell(histo, 0, "Ward"), "SURGICAL WARD 4F");
    EXPECT_EQ(cell(histo, 0, "PatientType"), "I");
    EXPECT_EQ(cell(histo, 0, "requestdate"), "2026-03-04 15:30:00");
    EXPECT_EQ(cell(histo, 0, "Specimen"), "TISSUE");
    // The request's own pathologist wins over the section head.
    EXPECT_EQ(cell(histo, 0, "Pathologist"), "Grace U. Lim, M.D.");
    EXPECT_EQ(cell(histo, 0, "Reader"), "Antonio C. Villanueva, M.D.");
    EXPECT_EQ(cell(histo, 0, "Physician"), "Ricardo B. Mendoza, M.D.");
    EXPECT_EQ(cell(histo, 0, "Resident"), "Mark Anthony P. Bautista, M.D.");

    const ResultSet fbs = patientInfo("R2603031");
    EXPECT_EQ(cell(fbs, 0, "Pathologist"), "Maria Luisa R. Santos, M.D."); // head of chemistry
    EXPECT_EQ(cell(fbs, 0, "SupExamID"), "121");
    EXPECT_EQ(cell(fbs, 0, "SupExam"), "EXECUTIVE CHECK-UP PACKAGE A");
    EXPECT_NE(cell(fbs, 0, "ORNum"), ""); // walk-in
    EXPECT_EQ(cell(patientInfo("R2603010"), 0, "WithReagent"), ""); // not set in the exam master

    // Infants are aged in months, newborns in days.
    EXPECT_EQ(cell(patientInfo("R2603017"), 0, "Age"), "2 mos");
    EXPECT_EQ(cell(patientInfo("R2603038"), 0, "Age"), "2 days");
}

TEST_P(SchemaProcsTest, PatientInformationNeverHandsOutNullText)
{
    driver().pinClock("2026-03-08 10:00:00");
    EXPECT_EQ(patientInfo("R404").columns, kPatientInfoColumns);
    EXPECT_TRUE(patientInfo("R404").rows.empty());

    // A request whose patient, exam and doctor are all unknown.
    driver().run("INSERT INTO " + driver().qualify(Database::Laboratory, "tbLabMaster") +
                     " (RequestNum, ExamCode) VALUES (?, ?)",
                 {std::string("RX1"), std::string("999")});
    const ResultSet info = patientInfo("RX1");
    ASSERT_EQ(info.rows.size(), 1u);
    for (std::size_t c = 0; c < info.columns.size(); ++c) {
        const std::string name = info.columns[c];
        if (name == "requestdate") {
            EXPECT_FALSE(info.rows[0][c].has_value());
        } else if (name == "DateFinished") {
            EXPECT_EQ(info.rows[0][c], "2026-03-08 10:00:00"); // not finished yet: today
        } else if (name == "code") {
            EXPECT_EQ(info.rows[0][c], "999");
        } else {
            EXPECT_EQ(info.rows[0][c], "") << name;
        }
    }
}

TEST_P(SchemaProcsTest, DateFinishedFollowsTheLogbook)
{
    loadDemo();
    driver().pinClock("2026-03-08 10:00:00");
    EXPECT_EQ(cell(patientInfo("R2603001"), 0, "DateFinished"), "2026-03-08 10:00:00");
    saveToLogbook("R2603001", "03/07/2026 02:05 PM", "03/07/2026 04:30 PM");
    EXPECT_EQ(cell(patientInfo("R2603001"), 0, "DateFinished"), "2026-03-07 16:30:00");
}

// ---------------------------------------------------------------------------------------------
// Logbook, stored header, verification and last edit

TEST_P(SchemaProcsTest, LogbookInsertReadsBackAsTheStoredHeader)
{
    driver().pinClock("2026-03-07 15:00:00");
    session->setAuditUser("0102");
    saveToLogbook("R1", "03/07/2026 2:05:00 PM", "3/7/2026 2:45 PM", "ACC-0311");
    EXPECT_EQ(run("Select * from Laboratory..tbLabLogbook where RequestNum = 'R1'").rows.size(), 1u);

    // The header loader does not trim; the server ignores trailing blanks like the original.
    const ResultSet h = run("Lab_FormMaker_GetResult 'R1 '");
    EXPECT_EQ(h.columns, (std::vector<std::string>{"lratime", "samplesubmitted", "ResultDate", "EntryMode", "Remarks",
                                                   "AccessionNum", "Method", "DateFinished", "InstrumentID",
                                                   "RowVersion", "SavedBy", "SavedByName", "SavedAt"}));
    ASSERT_EQ(h.rows.size(), 1u);
    // An employee the laboratory does not list saves under the code alone.
    EXPECT_EQ(h.rows[0], (labdb::Row{"2026-03-07 14:05:00", "2026-03-07 14:05:00", "2026-03-07 15:00:00", "0", "",
                                     "ACC-0311", "", "2026-03-07 14:45:00", std::nullopt, "1", "0102", std::nullopt,
                                     "2026-03-07 15:00:00"}));
    EXPECT_TRUE(run("Lab_FormMaker_GetResult 'R2'").rows.empty());

    // Without dates the header is still full: the server's time stands in.
    saveToLogbook("R3", "", "", "");
    const ResultSet undated = run("Lab_FormMaker_GetResult 'R3'");
    for (const char *col : {"lratime", "samplesubmitted", "ResultDate", "DateFinished"})
        EXPECT_EQ(cell(undated, 0, col), "2026-03-07 15:00:00") << col;

    // Written procedures leave their command in the audit trail; reads do not.
    const ResultSet audit = run("select EmployeeCode, CommandText from Laboratory..tbAuditTrail order by AuditID");
    ASSERT_EQ(audit.rows.size(), 2u);
    EXPECT_EQ(cell(audit, 0, "EmployeeCode"), "0102");
    EXPECT_EQ(cell(audit, 0, "CommandText"),
              "Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R1', '', '0102','03/07/2026 2:05:00 PM', "
              "'3/7/2026 2:45 PM','ACC-0311'");
}

// A key with a trailing blank finds its request, as the original server compares; one with a
// leading blank, or one no request has, stores nothing: rows under it could never be found again.
TEST_P(SchemaProcsTest, LogbookRefusesARequestNumberNoRequestHas)
{
    loadDemo();
    const auto logbook = [&] { return run("select count(*) from laboratory..tbLabLogbook").rows[0][0].value_or(""); };
    const std::string before = logbook();
    for (const char *bad : {" R2603001", "R2603999", "R2603001`"}) {
        try {
            run(std::string("Laboratory..Lab_ResultEntryDLL_SaveToLogbook '") + bad +
                "', '', '0102','03/07/2026 2:05:00 PM', '03/07/2026 2:45:00 PM','ACC-1'");
            ADD_FAILURE() << "stored under \"" << bad << '"';
        } catch (const labdb::DbError &e) {
            EXPECT_EQ(std::string(e.what()), std::string("There is no request \"") + bad + "\"; nothing was saved.");
        }
    }
    EXPECT_EQ(logbook(), before);
    saveToLogbook("R2603001 ");
    EXPECT_EQ(logbookRow("R2603001").rows.size(), 1u);
}

TEST_P(SchemaProcsTest, SecondLogbookInsertFailsNamingTheRequest)
{
    session->setAuditUser("0102");
    saveToLogbook("R2603001", "03/07/2026 2:05:00 PM", "03/07/2026 2:45:00 PM", "FIRST");
    try {
        saveToLogbook("R2603001", "03/07/2026 3:05:00 PM", "03/07/2026 3:45:00 PM", "SECOND");
        FAIL() << "a second logbook row was accepted";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbError::Kind::Constraint);
        EXPECT_NE(std::string(e.what()).find("R2603001"), std::string::npos) << e.what();
    }
    // Inside a screen's save transaction the failure leaves the first row and rolls back cleanly.
    session->begin();
    EXPECT_THROW(saveToLogbook("R2603001 ", "", "", "THIRD"), DbError);
    session->rollback();
    EXPECT_EQ(cell(logbookRow("R2603001"), 0, "AccessionNum"), "FIRST");
    EXPECT_EQ(count("select count(*) from Laboratory..tbAuditTrail"), 1);
}

TEST_P(SchemaProcsTest, VerificationAndLastEditAreStampedByTheServerClock)
{
    saveToLogbook("R1");
    driver().pinClock("2026-03-07 16:10:00");
    run("laboratory..LAB_Save_VerifyResults 'R1','0101'");
    driver().pinClock("2026-03-07 17:20:00");
    run("Laboratory..Lab_ResultSaveLastEdit 'R1', '0104'");
    const ResultSet row = logbookRow("R1");
    EXPECT_EQ(cell(row, 0, "VerifiedBy"), "0101");
    EXPECT_EQ(cell(row, 0, "VerifiedAt"), "2026-03-07 16:10:00");
    EXPECT_EQ(cell(row, 0, "LastEditBy"), "0104");
    EXPECT_EQ(cell(row, 0, "LastEditAt"), "2026-03-07 17:20:00");
    EXPECT_EQ(cell(row, 0, "EmployeeCode"), "0102"); // the first saver stays recorded

    for (const char *cmd : {"laboratory..LAB_Save_VerifyResults 'R404','0101'",
                            "Laboratory..Lab_ResultSaveLastEdit 'R404', '0104'"}) {
        try {
            run(cmd);
            ADD_FAILURE() << cmd << " accepted a request without a logbook row";
        } catch (const DbError &e) {
            EXPECT_NE(std::string(e.what()).find("R404"), std::string::npos) << e.what();
        }
    }
}

TEST_P(SchemaProcsTest, ProceduresRejectWrongArgumentsWithoutWriting)
{
    const auto kindOf = [&](const std::string &cmd) {
        try {
            run(cmd);
        } catch (const DbError &e) {
            return e.kind();
        }
        return DbError::Kind::General;
    };
    using K = DbError::Kind;
    EXPECT_EQ(kindOf("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R1', '', '0102','', ''"), K::ArgumentCount);
    EXPECT_EQ(kindOf("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R1', '', '0102','', '','A', 'B', 'C'"),
              K::ArgumentCount);
    EXPECT_EQ(kindOf("Lab_Get_PatientInformation 'R1', 'R2'"), K::ArgumentCount);
    EXPECT_EQ(kindOf("Lab_FormMaker_GetResult"), K::ArgumentCount);
    EXPECT_THROW(saveToLogbook("R1", "13/45/2026 2:05:00 PM"), DbError);
    EXPECT_THROW(saveToLogbook("", "03/07/2026 2:05:00 PM"), DbError);
    EXPECT_EQ(count("select count(*) from Laboratory..tbLabLogbook"), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, SchemaProcsTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
