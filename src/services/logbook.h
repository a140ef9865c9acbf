#pragma once
// The result logbook: one row per request whose result was entered, written on the first save.
// Its row tells a save whether it is the first; it also carries the stored result header.

#include "services/database/command.h"
#include "session/errors.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace corvane {

class Connection;
class SessionContext;

// The logbook existence test is written two ways, and each place keeps its own.
enum class LogbookSpelling {
    MixedCase, // "Select * from Laboratory..tbLabLogbook where RequestNum = '...'" (the save decision)
    LowerCase, // "select * from laboratory..tblablogbook where requestnum = '...'" (the verification)
};

Command logbookQuery(const QString &requestNum, LogbookSpelling spelling);
bool logbookHasRow(Connection &conn, const QString &requestNum, LogbookSpelling spelling);

// What the pathology screens add to the logbook insert.
struct LogbookExtra {
    enum class Kind { None, Value, Null };
    Kind kind = Kind::None;
    QString value;

    static LogbookExtra none() { return {}; }
    static LogbookExtra of(const QString &v) { return {Kind::Value, v}; }
    static LogbookExtra null() { return {Kind::Null, {}}; }
};

// "3/7/2026 2:05:00 PM", whatever the workstation's locale: the dates of the logbook insert.
QString logbookDateTime(const QDateTime &at);

// "Laboratory..Lab_ResultEntryDLL_SaveToLogbook '<req>', '', '<emp>','<submitted>', '<finished>','<acc>'"
// with "', '<extra>'" or "', NULL" after the accession number when the screen sends a seventh value.
Command logbookInsertCommand(const QString &requestNum, const QString &employeeCode, const QDateTime &submitted,
                             const QDateTime &finished, const QString &accessionNum,
                             const LogbookExtra &extra = LogbookExtra::none());

Command verifyResultsCommand(const QString &requestNum, const QString &employeeCode);
// Sent by the AFB screen before it saves over an existing result.
Command lastEditCommand(const QString &requestNum, const QString &employeeCode);

// Another workstation saved the request after this screen read it; nothing of this save is kept.
class SavedElsewhereError : public ComponentError {
public:
    using ComponentError::ComponentError;
};

// The save decision, inside the caller's transaction: with no logbook row this is the first save,
// so the row is written and the screen's save procedure gets flag 0; otherwise nothing is written
// and the flag is 1. Throws ComponentError when no transaction is open. With seenVersion (the
// logbook row's version when the screen was filled, 0 for none) a row saved since then throws
// SavedElsewhereError naming who saved it and when.
int SaveToLogbookIfFirst(Connection &conn, const QString &requestNum, const QString &employeeCode,
                         const QDateTime &submitted, const QDateTime &finished, const QString &accessionNum,
                         const LogbookExtra &extra = LogbookExtra::none(),
                         std::optional<int> seenVersion = std::nullopt);

// The verification mark, when the request is in the logbook; true when it was sent.
bool RecordVerification(Connection &conn, const QString &requestNum, const QString &employeeCode);

// The stored result header of SessionContext.RequestNum into SessionContext.StoredResultHeader.
// Its EntryMode replaces the session's. With no stored row every field keeps its value. A Null in
// any column but InstrumentID is an error; fields read before it are already replaced.
void LoadResultHeader();
void LoadResultHeader(SessionContext &session);

} // namespace corvane
