// The loaders behind Show_ResultEntry, run against a fresh demo database: hospital header,
// request, exam reagent. The column-by-column reading is also driven with hand-made rows for the
// Nulls the server's procedure never returns.

#include "support/demosession.h"
#include "support/patientinfo.h"

using corvane::DatabaseError;
using corvane::Recordset;
using corvane::RequestRecord;
using testsupport::kPatientInfoColumns;

namespace {

class LoaderTest : public testsupport::DemoSessionTest {};

TEST_P(LoaderTest, HospitalHeaderIsUpperCasedExceptTheAddress)
{
    ctx.LoadHospitalHeader();
    EXPECT_EQ(sent, QStringList{QStringLiteral("select * from Patient_Data..tbHospitalInfo")});
    EXPECT_EQ(ctx.HospitalTitle, QStringLiteral("SAN ISIDRO DOCTORS HOSPITAL"));
    EXPECT_EQ(ctx.HospitalCompany, QStringLiteral("SAN ISIDRO DOCTORS HOSPITAL, INC."));
    EXPECT_EQ(ctx.HospitalAddress, QStringLiteral("123 MacArthur Highway, San Isidro, Tarlac City 2300"));
}

TEST_P(LoaderTest, HospitalHeaderOfAnOlderServer)
{
    ctx.HospitalTitle = QStringLiteral("SAN ISIDRO DOCTORS HOSPITAL");
    // A hospital table as an older server may hold it, without the constraints of ours.
    const std::string t = table(labdb::Database::PatientData, "tbHospitalInfo");
    sql("DROP TABLE " + t);
    sql("CREATE TABLE " + t + " (HospitalID INTEGER, Title TEXT, Company TEXT, address1 TEXT)");
    ctx.LoadHospitalHeader();
    EXPECT_EQ(ctx.HospitalTitle, QStringLiteral("SAN ISIDRO DOCTORS HOSPITAL")) << "no row keeps the header";

    // A Null title or address reads as empty; a Null company is an error.
    sql("INSERT INTO " + t + " VALUES (1, NULL, 'Mercy Hospital', NULL)");
    ctx.LoadHospitalHeader();
    EXPECT_EQ(QStringList({ctx.HospitalTitle, ctx.HospitalCompany, ctx.HospitalAddress}),
              QStringList({QString(), QStringLiteral("MERCY HOSPITAL"), QString()}));
    sql("DELETE FROM " + t);
    sql("INSERT INTO " + t + " VALUES (1, 'St. Jude', NULL, 'Elm St.')");
    EXPECT_THROW(ctx.LoadHospitalHeader(), DatabaseError);
    // The title was read before the company failed; the address was not reached.
    EXPECT_EQ(ctx.HospitalTitle, QStringLiteral("ST. JUDE"));
    EXPECT_EQ(ctx.HospitalCompany, QStringLiteral("MERCY HOSPITAL"));
    EXPECT_EQ(ctx.HospitalAddress, QString());
}

TEST_P(LoaderTest, LoadsARequestByItsTrimmedNumberAndKeepsItWhenNoneIsFound)
{
    EXPECT_FALSE(ctx.LoadRequest(QStringLiteral("NOSUCHREQ")));
    EXPECT_EQ(ctx.RequestRecord, RequestRecord()) << "a new session stays empty";

    sent.clear();
    ASSERT_TRUE(ctx.LoadRequest(QStringLiteral("  R2603004 ")));
    EXPECT_EQ(sent, QStringList{QStringLiteral("Lab_Get_PatientInformation 'R2603004'")});
    const RequestRecord &r = ctx.RequestRecord;
    EXPECT_EQ(r.HospNum, QStringLiteral("10023458"));
    EXPECT_EQ(r.requestdate, QDateTime(QDate(2026, 3, 4), QTime(15, 30)));
    EXPECT_EQ(r.FormType + r.ValueType + r.SectionID, QStringLiteral("HHG"));
    EXPECT_EQ(r.ReaderID + r.PhysicianID + r.ResidentId, QStringLiteral("100210121020"));
    EXPECT_TRUE(r.Pathologist.contains(QStringLiteral("Lim"))) << r.Pathologist.toStdString();
    EXPECT_FALSE(r.WithReagent);
    EXPECT_TRUE(r.DateFinished.isValid());

    const RequestRecord before = ctx.RequestRecord;
    EXPECT_FALSE(ctx.LoadRequest(QStringLiteral("NOSUCHREQ")));
    EXPECT_EQ(ctx.RequestRecord, before);

    ASSERT_TRUE(ctx.LoadRequest(QStringLiteral("R2603001"))); // the exam's flag is 1
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
    EXPECT_EQ(ctx.ReagentID + ctx.ReagentLocationID, QString());
    EXPECT_EQ(ctx.ReagentQty, 0.0);
    EXPECT_FALSE(ctx.HasDefaultReagent());

    // The code is sent as it stands, blanks included.
    EXPECT_EQ(sent.at(0), QStringLiteral("Select * from BUILD_FILE..tbcoLabExamReagent Where LabExamID = '101'"));
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

// A row whose every text column holds its own name, so a field filled from the wrong column shows.
// The columns come in reverse order: they are read by name, not by position.
Recordset requestRow(const std::map<std::string, labdb::Value> &overrides = {}, const std::string &dropped = {})
{
    labdb::ResultSet rs;
    labdb::Row row;
    for (auto it = kPatientInfoColumns.rbegin(); it != kPatientInfoColumns.rend(); ++it) {
        if (*it == dropped)
            continue;
        labdb::Value v = *it == "requestdate"    ? "2026-03-06 07:10:00"
                         : *it == "DateFinished" ? "2026-03-07 14:05:00"
                         : *it == "WithReagent"  ? "1"
                                                 : "v-" + *it;
        if (const auto o = overrides.find(*it); o != overrides.end())
            v = o->second;
        rs.columns.push_back(*it);
        row.push_back(v);
    }
    rs.rows.push_back(row);
    return Recordset(rs);
}

TEST(ReadRequestRecord, EveryColumnToItsField)
{
    RequestRecord r;
    corvane::readRequestRecord(requestRow(), r);
    const QString texts[] = {r.HospNum,    r.IDNum,      r.PatientName, r.Sex,        r.Age,         r.CivilStatus,
                             r.RoomID,     r.Class,      r.Ward,        r.Doctor,     r.Rush,        r.RefNum,
                             r.Transplant, r.Dialysis,   r.ORNum,       r.ExamName,   r.LabSection,  r.SectionID,
                             r.code,       r.FormType,   r.ValueType,   r.Pathologist, r.SpecimenID, r.Specimen,
                             r.Reader,     r.ReaderID,   r.Physician,   r.PhysicianID, r.SupExamID,  r.SupExam,
                             r.ResidentId, r.Resident,   r.PatientType, r.Method,     r.BloodType};
    QStringList expected;
    for (const std::string &c : kPatientInfoColumns) {
        if (c != "requestdate" && c != "WithReagent" && c != "DateFinished")
            expected << QStringLiteral("v-") + QString::fromStdString(c);
    }
    EXPECT_EQ(QStringList(std::begin(texts), std::end(texts)), expected);
    EXPECT_EQ(r.requestdate, QDateTime(QDate(2026, 3, 6), QTime(7, 10)));
    EXPECT_EQ(r.DateFinished, QDateTime(QDate(2026, 3, 7), QTime(14, 5)));
    EXPECT_TRUE(r.WithReagent);

    corvane::readRequestRecord(requestRow({{"requestdate", std::nullopt}}), r);
    EXPECT_EQ(r.requestdate, QDateTime(QDate::currentDate(), QTime(0, 0))) << "a Null request date is today";
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
        corvane::readRequestRecord(requestRow({{"WithReagent", value}}), r);
        EXPECT_EQ(r.WithReagent, expected) << (value ? *value : std::string("Null"));
    }
}

TEST(ReadRequestRecord, ANullTextOrAMissingColumnStopsTheLoadWhereItIs)
{
    const auto previous = [] {
        RequestRecord r;
        r.HospNum = r.Ward = r.Doctor = r.Method = r.BloodType = QStringLiteral("old");
        r.DateFinished = QDateTime(QDate(2020, 1, 1), QTime(0, 0));
        return r;
    };
    RequestRecord r = previous();
    EXPECT_THROW(corvane::readRequestRecord(requestRow({{"Ward", std::nullopt}}), r), DatabaseError);
    EXPECT_EQ(r.HospNum, QStringLiteral("v-HospNum"));
    EXPECT_EQ(r.Ward, QStringLiteral("old"));
    EXPECT_EQ(r.Doctor, QStringLiteral("old"));
    EXPECT_EQ(r.requestdate, QDateTime()) << "columns after the Null are not read";

    r = previous();
    EXPECT_THROW(corvane::readRequestRecord(requestRow({{"DateFinished", std::nullopt}}), r), DatabaseError);
    EXPECT_EQ(r.BloodType, QStringLiteral("v-BloodType"));
    EXPECT_EQ(r.DateFinished, QDateTime(QDate(2020, 1, 1), QTime(0, 0)));

    r = previous();
    EXPECT_THROW(corvane::readRequestRecord(requestRow({}, "BloodType"), r), DatabaseError);
    EXPECT_EQ(r.Method, QStringLiteral("v-Method"));
    EXPECT_EQ(r.BloodType, QStringLiteral("old"));
}

} // namespace
