// The loaders behind Show_ResultEntry, run against a fresh demo database: hospital header,
// request, exam reagent. The column-by-column reading is also driven with hand-made rows for the
// Nulls the server's procedure never returns.

#include "qstringprint.h"

#include "session/sessioncontext.h"
#include "support/dbfixture.h"

#include <labdb/schema.h>
#include <labdb/session.h>

#include <QStringList>

using corvane::DatabaseError;
using corvane::Recordset;
using corvane::RequestRecord;
using corvane::SessionContext;

namespace {

class LoaderTest : public testsupport::BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (!db)
            return;
        auto driver = db->connect();
        labdb::loadDemoData(*driver);
        ctx.Connection = std::make_unique<corvane::Connection>(std::move(driver));
        ctx.Connection->setCommandObserver([this](const QString &text) { sent << text; });
    }
    void TearDown() override
    {
        ctx.Connection.reset();
        BackendTest::TearDown();
    }

    // Direct SQL on the test database, for data the demo does not have.
    void sql(const std::string &statement, const std::vector<labdb::Value> &params = {})
    {
        ctx.Connection->session().driver().run(statement, params);
    }
    std::string table(labdb::Database where, const char *name)
    {
        return ctx.Connection->session().driver().qualify(where, name);
    }

    SessionContext ctx;
    QStringList sent;
};

TEST_P(LoaderTest, HospitalHeaderIsUpperCasedExceptTheAddress)
{
    ctx.LoadHospitalHeader();
    EXPECT_EQ(sent, QStringList{QStringLiteral("select * from Patient_Data..tbHospitalInfo")});
    EXPECT_EQ(ctx.HospitalTitle, QStringLiteral("SAN ISIDRO DOCTORS HOSPITAL"));
    EXPECT_EQ(ctx.HospitalCompany, QStringLiteral("SAN ISIDRO DOCTORS HOSPITAL, INC."));
    EXPECT_EQ(ctx.HospitalAddress, QStringLiteral("123 MacArthur Highway, San Isidro, Tarlac City 2300"));
}

TEST_P(LoaderTest, HospitalHeaderNullsAndMissingRow)
{
    // A hospital table as an older server may hold it, without the constraints of ours.
    const std::string t = table(labdb::Database::PatientData, "tbHospitalInfo");
    sql("DROP TABLE " + t);
    sql("CREATE TABLE " + t + " (HospitalID INTEGER, Title TEXT, Company TEXT, address1 TEXT)");

    ctx.HospitalTitle = QStringLiteral("OLD TITLE");
    ctx.HospitalCompany = QStringLiteral("OLD COMPANY");
    ctx.HospitalAddress = QStringLiteral("Old address");
    ctx.LoadHospitalHeader();
    EXPECT_EQ(ctx.HospitalTitle, QStringLiteral("OLD TITLE")) << "no row keeps the header";
    EXPECT_EQ(ctx.HospitalCompany, QStringLiteral("OLD COMPANY"));
    EXPECT_EQ(ctx.HospitalAddress, QStringLiteral("Old address"));

    sql("INSERT INTO " + t + " VALUES (1, NULL, 'Mercy Hospital', NULL)");
    ctx.LoadHospitalHeader();
    EXPECT_EQ(ctx.HospitalTitle, QString());
    EXPECT_EQ(ctx.HospitalCompany, QStringLiteral("MERCY HOSPITAL"));
    EXPECT_EQ(ctx.HospitalAddress, QString());

    sql("DELETE FROM " + t);
    sql("INSERT INTO " + t + " VALUES (1, 'St. Jude', NULL, 'Elm St.')");
    EXPECT_THROW(ctx.LoadHospitalHeader(), DatabaseError);
    // The title was read before the company failed; the address was not reached.
    EXPECT_EQ(ctx.HospitalTitle, QStringLiteral("ST. JUDE"));
    EXPECT_EQ(ctx.HospitalCompany, QStringLiteral("MERCY HOSPITAL"));
    EXPECT_EQ(ctx.HospitalAddress, QString());
}

TEST_P(LoaderTest, LoadsARequestByItsTrimmedNumber)
{
    ASSERT_TRUE(ctx.LoadRequest(QStringLiteral("  R2603004 ")));
    EXPECT_EQ(sent, QStringList{QStringLiteral("Lab_Get_PatientInformation 'R2603004'")});

    const RequestRecord &r = ctx.RequestRecord;
    EXPECT_EQ(r.HospNum, QStringLiteral("10023458"));
    EXPECT_EQ(r.IDNum, QStringLiteral("A26-00105"));
    EXPECT_EQ(r.Sex, QStringLiteral("F"));
    EXPECT_EQ(r.Class, QStringLiteral("PAY"));
    EXPECT_EQ(r.Ward, QStringLiteral("SURGICAL WARD 4F"));
    EXPECT_EQ(r.RoomID, QStringLiteral("412"));
    EXPECT_EQ(r.requestdate, QDateTime(QDate(2026, 3, 4), QTime(15, 30)));
    EXPECT_EQ(r.code, QStringLiteral("104"));
    EXPECT_EQ(r.FormType, QStringLiteral("H"));
    EXPECT_EQ(r.ValueType, QStringLiteral("H"));
    EXPECT_EQ(r.SectionID, QStringLiteral("G"));
    EXPECT_EQ(r.LabSection, QStringLiteral("HISTOPATHOLOGY"));
    EXPECT_EQ(r.SpecimenID, QStringLiteral("S09"));
    EXPECT_EQ(r.Specimen, QStringLiteral("TISSUE"));
    // Codes and names of the four doctors each land in their own field.
    EXPECT_EQ(r.ReaderID, QStringLiteral("1002"));
    EXPECT_TRUE(r.Reader.contains(QStringLiteral("Villanueva"))) << r.Reader.toStdString();
    EXPECT_EQ(r.PhysicianID, QStringLiteral("1012"));
    EXPECT_TRUE(r.Physician.contains(QStringLiteral("Mendoza"))) << r.Physician.toStdString();
    EXPECT_EQ(r.ResidentId, QStringLiteral("1020"));
    EXPECT_TRUE(r.Resident.contains(QStringLiteral("Bautista"))) << r.Resident.toStdString();
    EXPECT_TRUE(r.Pathologist.contains(QStringLiteral("Lim"))) << r.Pathologist.toStdString();
    EXPECT_TRUE(r.Doctor.contains(QStringLiteral("Mendoza"))) << r.Doctor.toStdString();
    EXPECT_FALSE(r.WithReagent);
    EXPECT_TRUE(r.DateFinished.isValid());
}

TEST_P(LoaderTest, NotFoundLeavesTheRecordAsItWas)
{
    EXPECT_FALSE(ctx.LoadRequest(QStringLiteral("NOSUCHREQ")));
    EXPECT_EQ(ctx.RequestRecord, RequestRecord()) << "a new session stays empty";

    ASSERT_TRUE(ctx.LoadRequest(QStringLiteral("R2603001")));
    const RequestRecord before = ctx.RequestRecord;
    EXPECT_FALSE(ctx.LoadRequest(QStringLiteral("NOSUCHREQ")));
    EXPECT_EQ(ctx.RequestRecord, before);
    EXPECT_EQ(ctx.RequestRecord.FormType, QStringLiteral("H"));
}

TEST_P(LoaderTest, NullRequestDateIsTodayAtMidnight)
{
    sql("UPDATE " + table(labdb::Database::Laboratory, "tbLabMaster") + " SET RequestDate = NULL WHERE RequestNum = ?",
        {std::string("R2603002")});
    ASSERT_TRUE(ctx.LoadRequest(QStringLiteral("R2603002")));
    EXPECT_EQ(ctx.RequestRecord.requestdate, QDateTime(QDate::currentDate(), QTime(0, 0)));
}

TEST_P(LoaderTest, WithReagentFollowsTheExamMaster)
{
    ASSERT_TRUE(ctx.LoadRequest(QStringLiteral("R2603001"))); // exam flag 1
    EXPECT_TRUE(ctx.RequestRecord.WithReagent);
    ASSERT_TRUE(ctx.LoadRequest(QStringLiteral("R2603002"))); // 0
    EXPECT_FALSE(ctx.RequestRecord.WithReagent);
    ASSERT_TRUE(ctx.LoadRequest(QStringLiteral("R2603018"))); // 1
    EXPECT_TRUE(ctx.RequestRecord.WithReagent);
    ASSERT_TRUE(ctx.LoadRequest(QStringLiteral("R2603010"))); // not set
    EXPECT_FALSE(ctx.RequestRecord.WithReagent);
}

TEST_P(LoaderTest, ExamReagent)
{
    EXPECT_TRUE(ctx.LoadExamReagent(QStringLiteral("101")));
    EXPECT_EQ(ctx.ReagentID, QStringLiteral("R0101"));
    EXPECT_EQ(ctx.ReagentLocationID, QStringLiteral("LAB"));
    EXPECT_DOUBLE_EQ(ctx.ReagentQty, 1.0);
    EXPECT_TRUE(ctx.HasDefaultReagent());

    // No row clears what the previous exam left.
    EXPECT_FALSE(ctx.LoadExamReagent(QStringLiteral("102")));
    EXPECT_EQ(ctx.ReagentID, QString());
    EXPECT_EQ(ctx.ReagentLocationID, QString());
    EXPECT_EQ(ctx.ReagentQty, 0.0);
    EXPECT_FALSE(ctx.HasDefaultReagent());

    EXPECT_EQ(sent.at(0), QStringLiteral("Select * from BUILD_FILE..tbcoLabExamReagent Where LabExamID = '101'"));

    // The code is sent as it stands, blanks included.
    sent.clear();
    ctx.LoadExamReagent(QStringLiteral(" 101"));
    EXPECT_EQ(sent, QStringList{QStringLiteral("Select * from BUILD_FILE..tbcoLabExamReagent Where LabExamID = ' 101'")});

    sql("UPDATE " + table(labdb::Database::BuildFile, "tbcoLabExamReagent") +
            " SET ReagentID = '   ', ReagentQty = 2.5 WHERE LabExamID = '118'");
    EXPECT_TRUE(ctx.LoadExamReagent(QStringLiteral("118")));
    EXPECT_DOUBLE_EQ(ctx.ReagentQty, 2.5);
    EXPECT_FALSE(ctx.HasDefaultReagent()) << "a blank reagent code is no default reagent";
}

INSTANTIATE_TEST_SUITE_P(Backends, LoaderTest, testsupport::kBothBackends, testsupport::backendName);

// --- The reading of one request row, on rows made by hand ------------------------------------

const std::vector<std::string> kColumns{
    "HospNum",    "IDNum",       "PatientName", "Sex",        "Age",       "CivilStatus", "RoomID",
    "Class",      "Ward",        "requestdate", "Doctor",     "Rush",      "RefNum",      "Transplant",
    "Dialysis",   "ORNum",       "ExamName",    "LabSection", "SectionID", "code",        "FormType",
    "ValueType",  "Pathologist", "SpecimenID",  "Specimen",   "Reader",    "ReaderID",    "Physician",
    "PhysicianID", "SupExamID",  "SupExam",     "ResidentId", "Resident",  "WithReagent", "PatientType",
    "Method",     "BloodType",   "DateFinished"};

// A row whose every text column holds its own name, so a field filled from the wrong column shows.
// The columns come in reverse order: they are read by name, not by position.
labdb::ResultSet requestRow(const std::map<std::string, labdb::Value> &overrides = {}, bool dropColumn = false,
                            const std::string &dropped = {})
{
    labdb::ResultSet rs;
    labdb::Row row;
    for (auto it = kColumns.rbegin(); it != kColumns.rend(); ++it) {
        if (dropColumn && *it == dropped)
            continue;
        labdb::Value v = "v-" + *it;
        if (*it == "requestdate")
            v = "2026-03-06 07:10:00";
        else if (*it == "DateFinished")
            v = "2026-03-07 14:05:00";
        else if (*it == "WithReagent")
            v = "1";
        if (const auto o = overrides.find(*it); o != overrides.end())
            v = o->second;
        rs.columns.push_back(*it);
        row.push_back(v);
    }
    rs.rows.push_back(row);
    return rs;
}

RequestRecord previousRecord()
{
    RequestRecord r;
    r.HospNum = r.Class = r.Ward = r.Doctor = r.Method = r.BloodType = QStringLiteral("old");
    r.DateFinished = QDateTime(QDate(2020, 1, 1), QTime(0, 0));
    return r;
}

TEST(ReadRequestRecord, EveryColumnToItsField)
{
    RequestRecord r;
    corvane::readRequestRecord(Recordset(requestRow()), r);
    const QString texts[] = {r.HospNum,    r.IDNum,      r.PatientName, r.Sex,        r.Age,         r.CivilStatus,
                             r.RoomID,     r.Class,      r.Ward,        r.Doctor,     r.Rush,        r.RefNum,
                             r.Transplant, r.Dialysis,   r.ORNum,       r.ExamName,   r.LabSection,  r.SectionID,
                             r.code,       r.FormType,   r.ValueType,   r.Pathologist, r.SpecimenID, r.Specimen,
                             r.Reader,     r.ReaderID,   r.Physician,   r.PhysicianID, r.SupExamID,  r.SupExam,
                             r.ResidentId, r.Resident,   r.PatientType, r.Method,     r.BloodType};
    QStringList expected;
    for (const std::string &c : kColumns) {
        if (c != "requestdate" && c != "WithReagent" && c != "DateFinished")
            expected << QStringLiteral("v-") + QString::fromStdString(c);
    }
    EXPECT_EQ(QStringList(std::begin(texts), std::end(texts)), expected);
    EXPECT_EQ(r.requestdate, QDateTime(QDate(2026, 3, 6), QTime(7, 10)));
    EXPECT_EQ(r.DateFinished, QDateTime(QDate(2026, 3, 7), QTime(14, 5)));
    EXPECT_TRUE(r.WithReagent);
}

TEST(ReadRequestRecord, WithReagentText)
{
    const std::pair<labdb::Value, bool> cases[] = {
        {std::nullopt, false}, {"", false},     {"0", false},    {"1", true},
        {"-1", true},          {"True", true},  {"False", false},
    };
    for (const auto &[value, expected] : cases) {
        RequestRecord r;
        r.WithReagent = !expected;
        corvane::readRequestRecord(Recordset(requestRow({{"WithReagent", value}})), r);
        EXPECT_EQ(r.WithReagent, expected) << (value ? *value : std::string("Null"));
    }
}

TEST(ReadRequestRecord, NullRequestDateIsToday)
{
    RequestRecord r;
    corvane::readRequestRecord(Recordset(requestRow({{"requestdate", std::nullopt}})), r);
    EXPECT_EQ(r.requestdate, QDateTime(QDate::currentDate(), QTime(0, 0)));
}

TEST(ReadRequestRecord, NullTextStopsTheLoadWhereItIs)
{
    RequestRecord r = previousRecord();
    EXPECT_THROW(corvane::readRequestRecord(Recordset(requestRow({{"Ward", std::nullopt}})), r), DatabaseError);
    EXPECT_EQ(r.HospNum, QStringLiteral("v-HospNum"));
    EXPECT_EQ(r.Class, QStringLiteral("v-Class"));
    EXPECT_EQ(r.Ward, QStringLiteral("old"));
    EXPECT_EQ(r.Doctor, QStringLiteral("old"));
    EXPECT_EQ(r.requestdate, QDateTime()) << "columns after the Null are not read";
}

TEST(ReadRequestRecord, NullDateFinishedOrAMissingColumnIsAnError)
{
    RequestRecord r = previousRecord();
    EXPECT_THROW(corvane::readRequestRecord(Recordset(requestRow({{"DateFinished", std::nullopt}})), r),
                 DatabaseError);
    EXPECT_EQ(r.BloodType, QStringLiteral("v-BloodType"));
    EXPECT_EQ(r.DateFinished, QDateTime(QDate(2020, 1, 1), QTime(0, 0)));

    r = previousRecord();
    EXPECT_THROW(corvane::readRequestRecord(Recordset(requestRow({}, true, "BloodType")), r), DatabaseError);
    EXPECT_EQ(r.Method, QStringLiteral("v-Method"));
    EXPECT_EQ(r.BloodType, QStringLiteral("old"));
}

} // namespace
