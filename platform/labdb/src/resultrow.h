#pragma once
// The shared result row (Laboratory..tbLabResult) that the positional save procedures write.

#include "labdb/procedures.h"

#include <map>
#include <string>

namespace labdb {

// One save of a result row: the header columns and the numbered result slots it sets.
struct ResultRowWrite {
    std::string requestNum;
    Value accessionNum;
    Value samplesubmitted;
    Value lratime;
    Value dateFinished;
    std::map<int, Value> results; // slot number -> value
    // The result date the screen sends; without one a first save stamps the server time.
    std::optional<Value> resultDate;
};

// First save (flag 0) inserts the row; a later save (flag 1) updates what it carries. A first
// save over an existing row is refused: another workstation got there.
void writeResultRow(ProcCall &call, const std::string &flag, const ResultRowWrite &w);

} // namespace labdb
