// The component's side of the database: connection strings, record sets and the shared connection.

#include "support/demosession.h"

using corvane::Command;
using corvane::Connection;
using corvane::ConnectionOptions;
using corvane::DatabaseError;

namespace {

TEST(ConnectionOptionsTest, ReadsTheProviderStringLikeAProvider)
{
    const auto o = ConnectionOptions::parse(QStringLiteral(
        "Provider=SQLOLEDB.8;User ID=labuser;Password =s3 cr;et;Persist Security Info=False;Initial "
        "Catalog=LABORATORY;Data Source=dbhost:6543/hospital"));
    EXPECT_EQ(o.user, QStringLiteral("labuser"));
    // A ";" ends the value, as it does for the provider (the component never quotes values).
    EXPECT_EQ(o.password, QStringLiteral("s3 cr"));
    EXPECT_EQ(o.initialCatalog, QStringLiteral("LABORATORY"));
    EXPECT_FALSE(o.integratedSecurity);
    const labdb::Target t = o.target();
    EXPECT_EQ(t.backend, labdb::Backend::Postgres);
    EXPECT_EQ(t.host, "dbhost");
    EXPECT_EQ(t.port, "6543");
    EXPECT_EQ(t.database, "hospital");
    EXPECT_EQ(t.user, "labuser");

    const auto sspi = ConnectionOptions::parse(QStringLiteral(
        "Provider=SQLOLEDB.8;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=LABORATORY;Data "
        "Source=/run/postgresql:5433/lab"));
    EXPECT_TRUE(sspi.integratedSecurity);
    const labdb::Target st = sspi.target();
    EXPECT_EQ(st.host, "/run/postgresql");
    EXPECT_EQ(st.port, "5433");
    EXPECT_EQ(st.database, "lab");
    EXPECT_TRUE(st.user.empty()); // the operating-system user

    const auto file = ConnectionOptions::parse(QStringLiteral("Data Source=file:///var/lib/corvane/demo"));
    EXPECT_EQ(file.target().backend, labdb::Backend::Sqlite);
    EXPECT_EQ(file.target().folder, "/var/lib/corvane/demo");
}

TEST(ConnectionOptionsTest, FailuresNeverShowThePassword)
{
    try {
        Connection::open(QStringLiteral("Provider=SQLOLEDB.8;User ID=u;Password =TopSecret99;Initial "
                                        "Catalog=LABORATORY;Data Source=127.0.0.1:1/nowhere"));
        FAIL() << "opened a connection to nowhere";
    } catch (const DatabaseError &e) {
        EXPECT_FALSE(e.description().contains(QStringLiteral("TopSecret99"))) << e.what();
    }
    EXPECT_THROW(Connection::open(QStringLiteral("Provider=SQLOLEDB.8;Integrated Security=SSPI;Data Source=")),
                 DatabaseError);
    // A workstation never creates the embedded database by opening it.
    EXPECT_THROW(Connection::open(QStringLiteral("Data Source=file:///nonexistent/corvane")), DatabaseError);
}

class ConnectionTest : public testsupport::DemoSessionTest {};

TEST_P(ConnectionTest, RecordsetReadsForwardByNameAndPositionAndKeepsNullApart)
{
    corvane::Recordset rs = conn().query(Command("select * from Patient_Data..tbHospitalInfo"));
    ASSERT_TRUE(rs.isOpen());
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_FALSE(rs.eof());
    // Any case finds the column; the position gives the same field.
    const QString company = rs.field(QStringLiteral("COMPANY")).toString();
    EXPECT_FALSE(company.isEmpty());
    const int pos = rs.rows().columnIndex("company");
    EXPECT_EQ(rs.field(pos).toString(), company);
    EXPECT_THROW(rs.field(QStringLiteral("NoSuchColumn")), DatabaseError);
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_THROW(rs.field(0), DatabaseError);
    rs.close();
    EXPECT_FALSE(rs.isOpen());
    EXPECT_EQ(rs.recordCount(), 0);

    // A Null is not an empty text.
    rs = conn().query(Command("select isnull(NULL, NULL) as n, '' as e"));
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_TRUE(rs.field(QStringLiteral("n")).isNull());
    EXPECT_THROW(rs.field(QStringLiteral("n")).toString(), DatabaseError);
    EXPECT_EQ(rs.field(QStringLiteral("n")).toStringOr(), QString());
    EXPECT_FALSE(rs.field(QStringLiteral("e")).isNull());
    EXPECT_EQ(rs.field(QStringLiteral("e")).toString(), QString());
}

INSTANTIATE_TEST_SUITE_P(Backends, ConnectionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
