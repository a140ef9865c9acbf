// The result logbook on both backends: the save decision, the insert in its three forms, the
// verification mark and the stored result header with its Null rules.

#include "support/demosession.h"

#include "services/logbook.h"
#include "session/errors.h"

#include <QLocale>

using corvane::LogbookExtra;

namespace {

const QDateTime kSubmitted(QDate(2026, 3, 7), QTime(14, 5));
const QDateTime kFinished(QDate(2026, 3, 7), QTime(9, 40, 12));

class LogbookTest : public testsupport::DemoSessionTest {
protected:
    // The logbook decision of a save, in a transaction of its own.
    int save(const char *requestNum, const LogbookExtra &extra = {})
    {
        conn().beginTrans();
        const int flag = corvane::SaveToLogbookIfFirst(conn(), QLatin1String(requestNum), ctx.EmployeeCode,
                                                       kSubmitted, kFinished, QStringLiteral("A-0311"), extra);
        conn().commitTrans();
        return flag;
    }
    std::string logbook() { return table(labdb::Database::Laboratory, "tbLabLogbook"); }
};

TEST_P(LogbookTest, FirstSaveWritesTheRowLaterSavesOnlyLook)
{
    EXPECT_THROW(corvane::SaveToLogbookIfFirst(*ctx.Connection, QStringLiteral("R2603001"), ctx.EmployeeCode,
                                               kSubmitted, kFinished, QString()),
                 corvane::ComponentError)
        << "the test and the insert belong in the save transaction";
    EXPECT_TRUE(sent.isEmpty());

    // The server reads the dates month first, whatever the workstation's locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(save("R2603001"), 0);
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(save("R2603001"), 1);
    const QString lookup = QStringLiteral("Select * from Laboratory..tbLabLogbook where RequestNum = 'R2603001'");
    EXPECT_EQ(sent, (QStringList{lookup,
                                 QStringLiteral("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603001', '', '0102',"
                                                "'3/7/2026 2:05:00 PM', '3/7/2026 9:40:12 AM','A-0311'"),
                                 lookup}));
    const labdb::ResultSet row = sql("SELECT samplesubmitted, DateFinished FROM " + logbook() + " WHERE RequestNum = 'R2603001'");
    ASSERT_EQ(row.rows.size(), 1u);
    EXPECT_EQ(row.rows[0][0].value_or("").substr(0, 19), "2026-03-07 14:05:00");
    EXPECT_EQ(row.rows[0][1].value_or("").substr(0, 19), "2026-03-07 09:40:12");

    // The pathology screens' seventh value: a reader, or a bare NULL.
    sent.clear();
    save("R2603004", LogbookExtra::of(QStringLiteral("1002")));
    save("R2603007", LogbookExtra::null());
    EXPECT_TRUE(sent[1].endsWith(QLatin1String("9:40:12 AM','A-0311', '1002'"))) << sent[1].toStdString();
    EXPECT_TRUE(sent[3].endsWith(QLatin1String("9:40:12 AM','A-0311', NULL"))) << sent[3].toStdString();
    const labdb::ResultSet readers =
        sql("SELECT ReaderID FROM " + logbook() + " WHERE RequestNum IN ('R2603004', 'R2603007') ORDER BY RequestNum");
    EXPECT_EQ(readers.rows.at(0)[0], labdb::Value("1002"));
    EXPECT_EQ(readers.rows.at(1)[0], labdb::Value());
}

TEST_P(LogbookTest, VerificationIsMarkedOnlyForALoggedRequest)
{
    const auto verify = [&] {
        ctx.Connection->beginTrans();
        const bool marked = corvane::RecordVerification(*ctx.Connection, QStringLiteral("R2603001"),
                                                        QStringLiteral("0101"));
        ctx.Connection->commitTrans();
        return marked;
    };
    EXPECT_FALSE(verify());
    save("R2603001");
    EXPECT_TRUE(verify());
    const QString lookup = QStringLiteral("select * from laboratory..tblablogbook where requestnum = 'R2603001'");
    EXPECT_EQ(sent.first(), lookup);
    EXPECT_EQ(sent.mid(3),
              (QStringList{lookup, QStringLiteral("laboratory..LAB_Save_VerifyResults 'R2603001','0101'")}));
    EXPECT_EQ(sql("SELECT VerifiedBy FROM " + logbook() + " WHERE RequestNum = 'R2603001'").rows.at(0)[0], labdb::Value("0101"));
}

TEST_P(LogbookTest, StoredHeaderReplacesTheSessionEntryModeUntilAnotherDoes)
{
    save("R2603001");
    sql("UPDATE " + logbook() + " SET EntryMode = 2, Remarks = 'hemolysed', Method = 'CLOTTING',"
        " lratime = '2026-03-07 10:15:00', ResultDate = '2026-03-07 11:00:00' WHERE RequestNum = 'R2603001'");
    ctx.RequestNum = QStringLiteral("R2603001 "); // sent as the host gave it
    sent.clear();
    corvane::LoadResultHeader(ctx);
    EXPECT_EQ(sent, QStringList{QStringLiteral("Lab_FormMaker_GetResult 'R2603001 '")});
    const corvane::StoredResultHeader expected{
        QDateTime(QDate(2026, 3, 7), QTime(10, 15)), kSubmitted,          QDateTime(QDate(2026, 3, 7), QTime(11, 0)),
        2,                                          QStringLiteral("hemolysed"), QStringLiteral("A-0311"),
        QStringLiteral("CLOTTING"),                 kFinished,           QString(),
        1};
    EXPECT_EQ(ctx.StoredResultHeader, expected);
    EXPECT_EQ(ctx.EntryMode, 2);

    // Nothing stored: the previous header and entry mode stay, but not its version: a save
    // must find no row, or one written since this screen opened.
    ctx.RequestNum = QStringLiteral("R2603002");
    corvane::LoadResultHeader(ctx);
    corvane::StoredResultHeader kept = expected;
    kept.RowVersion = 0;
    EXPECT_EQ(ctx.StoredResultHeader, kept);
    EXPECT_EQ(ctx.EntryMode, 2);

    save("R2603002");
    corvane::LoadResultHeader(ctx);
    EXPECT_EQ(ctx.EntryMode, 0);
}

TEST_P(LogbookTest, NullInTheHeaderStopsTheLoadWhereItStands)
{
    // A logbook as an older server may hold it, without the defaults that keep ours free of Nulls.
    sql("DROP TABLE " + logbook());
    labdb::TableDef loose{labdb::Database::Laboratory, "tbLabLogbook", {}, {}};
    for (const char *c : {"RequestNum", "Remarks", "AccessionNum", "Method", "InstrumentID", "SavedBy", "SavedByName"})
        loose.columns.push_back({c, labdb::ColType::Text, false, {}});
    for (const char *c : {"samplesubmitted", "DateFinished", "lratime", "ResultDate", "LoggedAt", "SavedAt"})
        loose.columns.push_back({c, labdb::ColType::DateTime, false, {}});
    loose.columns.push_back({"EntryMode", labdb::ColType::Int, false, {}});
    loose.columns.push_back({"RowVersion", labdb::ColType::Int, false, {}});
    driver().runScript(driver().createTableSql(loose));
    sql("INSERT INTO " + logbook() + " (RequestNum, lratime, EntryMode, AccessionNum, Method)"
        " VALUES ('R2603001', '2026-03-07 08:30:00', 1, 'A-9', 'M')");

    ctx.RequestNum = QStringLiteral("R2603001");
    ctx.StoredResultHeader.AccessionNum = QStringLiteral("previous");
    EXPECT_THROW(corvane::LoadResultHeader(ctx), corvane::DatabaseError);
    EXPECT_EQ(ctx.StoredResultHeader.lratime, QDateTime(QDate(2026, 3, 7), QTime(8, 30)));
    EXPECT_EQ(ctx.EntryMode, 1) << "fields before the Null Remarks are replaced";
    EXPECT_EQ(ctx.StoredResultHeader.AccessionNum, QStringLiteral("previous")) << "fields after it are not";

    sql("UPDATE " + logbook() + " SET Remarks = '', EntryMode = NULL");
    EXPECT_THROW(corvane::LoadResultHeader(ctx), corvane::DatabaseError);

    sql("UPDATE " + logbook() + " SET EntryMode = 3");
    ctx.StoredResultHeader.InstrumentID = QStringLiteral("previous");
    corvane::LoadResultHeader(ctx);
    EXPECT_EQ(ctx.StoredResultHeader.InstrumentID, QString()) << "a Null instrument reads as empty";
    EXPECT_EQ(ctx.EntryMode, 3);
}

INSTANTIATE_TEST_SUITE_P(Backends, LogbookTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
