// The component's side of the database: connection strings, record sets and the shared connection.

#include "support/dbfixture.h"

#include "services/database/connection.h"

#include <labdb/schema.h>

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

class ConnectionTest : public testsupport::BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (db) {
            {
                auto driver = db->connect();
                labdb::upgradeSchema(*driver);
                labdb::loadDemoData(*driver);
            }
            conn = Connection::open(QString::fromStdString(db->connectionString()));
        }
    }
    void TearDown() override
    {
        conn.reset();
        BackendTest::TearDown();
    }
    std::unique_ptr<Connection> conn;
};

TEST_P(ConnectionTest, RecordsetReadsForwardByNameAndPosition)
{
    corvane::Recordset rs = conn->query(Command("select * from Patient_Data..tbHospitalInfo"));
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
}

TEST_P(ConnectionTest, NullIsNotEmpty)
{
    corvane::Recordset rs = conn->query(Command("select isnull(NULL, NULL) as n, '' as e"));
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_TRUE(rs.field(QStringLiteral("n")).isNull());
    EXPECT_THROW(rs.field(QStringLiteral("n")).toString(), DatabaseError);
    EXPECT_EQ(rs.field(QStringLiteral("n")).toStringOr(), QString());
    EXPECT_FALSE(rs.field(QStringLiteral("e")).isNull());
    EXPECT_EQ(rs.field(QStringLiteral("e")).toString(), QString());
}

TEST_P(ConnectionTest, ServerClockAndCommandLog)
{
    QStringList sent;
    conn->setCommandObserver([&](const QString &text) { sent << text; });
    conn->pinServerClock(QDateTime(QDate(2026, 3, 7), QTime(14, 5)));
    EXPECT_EQ(conn->getServerDate(), QDateTime(QDate(2026, 3, 7), QTime(14, 5)));
    const QString req = QStringLiteral("R'1");
    conn->query(Command("Select * from Laboratory..tbLabLogbook where RequestNum = '") << req << "'");
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0], QStringLiteral("SELECT getdate() as serverdate"));
    EXPECT_EQ(sent[1], QStringLiteral("Select * from Laboratory..tbLabLogbook where RequestNum = 'R'1'"));
}

TEST_P(ConnectionTest, FailedCommandCarriesTheDatabaseDescription)
{
    conn->beginTrans();
    conn->execute(Command("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R-DUP', '', 'E1','03/07/2026 2:05:00 PM', "
                          "'03/07/2026 2:05:00 PM','A1'"));
    try {
        conn->execute(Command("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R-DUP', '', 'E1','03/07/2026 2:05:00 "
                              "PM', '03/07/2026 2:05:00 PM','A1'"));
        FAIL() << "a second logbook row was accepted";
    } catch (const DatabaseError &e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("R-DUP"))) << e.what();
    }
    conn->rollbackTrans();
    EXPECT_FALSE(conn->inTransaction());
    EXPECT_EQ(conn->query(Command("Select * from Laboratory..tbLabLogbook where RequestNum = 'R-DUP'")).recordCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, ConnectionTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
