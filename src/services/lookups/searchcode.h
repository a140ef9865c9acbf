#pragma once
// The shared code search of the entry screens: runs the code-search window of the session and
// keeps SessionContext::SearchFound.

#include "session/codesearch.h"

#include <QString>

#include <optional>

namespace corvane {

// The field that must be filled for a record of this list kind to count as found; empty for the
// kinds the shared search does not test (they are never found through it).
QString searchKeyField(qint32 kind);

// A field of a search record by name, without regard to case (as automation objects name them);
// empty when the record has no such field.
QString searchField(const SearchRecord &record, const QString &name);

// Shows the session's code-search window for the list kind. Returns the chosen record when its
// key field holds text; otherwise nothing, with SessionContext::SearchFound false. Without a
// code-search object nothing is ever found.
std::optional<SearchRecord> SearchCode(qint32 &kind, QString &text, QString &filter);

} // namespace corvane
