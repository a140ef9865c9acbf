#include "services/logbook.h"

#include "services/database/connection.h"
#include "session/errors.h"
#include "session/sessioncontext.h"

#include <QLocale>

#include <cmath>

namespace corvane {

Command logbookQuery(const QString &requestNum, LogbookSpelling spelling)
{
    if (spelling == LogbookSpelling::LowerCase)
        return Command("select * from laboratory..tblablogbook where requestnum = '") << requestNum << "'";
    return Command("Select * from Laboratory..tbLabLogbook where RequestNum = '") << requestNum << "'";
}

bool logbookHasRow(Connection &conn, const QString &requestNum, LogbookSpelling spelling)
{
    Recordset rs = conn.query(logbookQuery(requestNum, spelling));
    const bool found = !rs.eof();
    rs.close();
    return found;
}

QString logbookDateTime(const QDateTime &at)
{
    // The server reads month first; the C locale keeps "AM"/"PM" whatever the workstation uses.
    // A screen without the picker pair sends an empty text, which the server stores as Null.
    return QLocale::c().toString(at, QStringLiteral("M/d/yyyy h:mm:ss AP"));
}

Command logbookInsertCommand(const QString &requestNum, const QString &employeeCode, const QDateTime &submitted,
                             const QDateTime &finished, const QString &accessionNum, const LogbookExtra &extra)
{
    // The second value (an exam id in older servers) is always sent empty.
    Command cmd("Laboratory..Lab_ResultEntryDLL_SaveToLogbook '");
    cmd << requestNum << "', '" << QString() << "', '" << employeeCode << "','" << logbookDateTime(submitted)
        << "', '" << logbookDateTime(finished) << "','" << accessionNum;
    switch (extra.kind) {
    case LogbookExtra::Kind::None:
        cmd << "'";
        break;
    case LogbookExtra::Kind::Value:
        cmd << "', '" << extra.value << "'";
        break;
    case LogbookExtra::Kind::Null:
        cmd << "', NULL";
        break;
    }
    return cmd;
}

Command verifyResultsCommand(const QString &requestNum, const QString &employeeCode)
{
    return Command("laboratory..LAB_Save_VerifyResults '") << requestNum << "','" << employeeCode << "'";
}

Command lastEditCommand(const QString &requestNum, const QString &employeeCode)
{
    return Command("Laboratory..Lab_ResultSaveLastEdit '") << requestNum << "', '" << employeeCode << "'";
}

namespace {

// Rows written before versions were kept read as never saved since.
int rowVersionOf(const Recordset &rs)
{
    const Field f = rs.field(QStringLiteral("RowVersion"));
    return f.isNull() ? 0 : f.toInt();
}

QString someoneElseSaved(const QString &requestNum, const Recordset &row)
{
    QString who = row.field(QStringLiteral("SavedBy")).toStringOr();
    const QString name = row.field(QStringLiteral("SavedByName")).toStringOr().trimmed();
    if (!name.isEmpty() && name != QLatin1String(","))
        who += QStringLiteral(" (") + name + QLatin1Char(')');
    if (who.isEmpty())
        who = QStringLiteral("another user");
    const Field at = row.field(QStringLiteral("SavedAt"));
    const QString when = at.isNull() ? QStringLiteral("an unknown time")
                                     : QLocale::c().toString(at.toDateTime(), QStringLiteral("MM/dd/yyyy hh:mm AP"));
    return QStringLiteral("Request %1 was saved by %2 at %3 on another workstation while this screen was open. "
                          "Your entries were not saved; close and open the request again.")
        .arg(requestNum, who, when);
}

} // namespace

int SaveToLogbookIfFirst(Connection &conn, const QString &requestNum, const QString &employeeCode,
                         const QDateTime &submitted, const QDateTime &finished, const QString &accessionNum,
                         const LogbookExtra &extra, std::optional<int> seenVersion)
{
    // Outside a transaction the test and the insert could be split by another workstation's save.
    if (!conn.inTransaction())
        throw ComponentError(QStringLiteral("The logbook decision must run inside the save transaction."));
    // Saves of one request take turns from here to their commit, so the test below sees the last one.
    conn.serializeSavesOf(requestNum);
    Recordset rs = conn.query(logbookQuery(requestNum, LogbookSpelling::MixedCase));
    const int current = rs.eof() ? 0 : rowVersionOf(rs);
    if (seenVersion && *seenVersion != current && !rs.eof())
        throw SavedElsewhereError(someoneElseSaved(requestNum, rs));
    if (!rs.eof())
        return 1;
    rs.close();
    conn.execute(logbookInsertCommand(requestNum, employeeCode, submitted, finished, accessionNum, extra));
    return 0;
}

bool RecordVerification(Connection &conn, const QString &requestNum, const QString &employeeCode)
{
    if (!logbookHasRow(conn, requestNum, LogbookSpelling::LowerCase))
        return false;
    conn.execute(verifyResultsCommand(requestNum, employeeCode));
    return true;
}

void LoadResultHeader()
{
    LoadResultHeader(SessionContext::current());
}

void LoadResultHeader(SessionContext &session)
{
    Recordset rs = session.db().query(Command("Lab_FormMaker_GetResult '") << session.RequestNum << "'");
    if (rs.recordCount() > 0) {
        // Straight into the fields, in this order, so a Null stops the load part-way as it always did.
        StoredResultHeader &h = session.StoredResultHeader;
        h.lratime = rs.field(QStringLiteral("lratime")).toDateTime();
        h.samplesubmitted = rs.field(QStringLiteral("samplesubmitted")).toDateTime();
        h.ResultDate = rs.field(QStringLiteral("ResultDate")).toDateTime();
        const double entryMode = rs.field(QStringLiteral("EntryMode")).toDouble();
        if (!(entryMode >= -32768.5 && entryMode < 32767.5))
            throw DatabaseError(QStringLiteral("Overflow (field 'EntryMode')"));
        h.EntryMode = static_cast<qint16>(std::lrint(entryMode));
        session.EntryMode = h.EntryMode;
        h.Remarks = rs.field(QStringLiteral("Remarks")).toString();
        h.AccessionNum = rs.field(QStringLiteral("AccessionNum")).toString();
        h.Method = rs.field(QStringLiteral("Method")).toString();
        h.DateFinished = rs.field(QStringLiteral("DateFinished")).toDateTime();
        h.InstrumentID = rs.field(QStringLiteral("InstrumentID")).toStringOr();
        h.RowVersion = rowVersionOf(rs);
    } else {
        session.StoredResultHeader.RowVersion = 0;
    }
    rs.close();
}

} // namespace corvane
