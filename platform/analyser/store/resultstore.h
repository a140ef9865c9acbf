#pragma once

// Stores what an analyser reported: each message whole or not at all, once however often it is
// sent, every result either placed in the analyser results table or quarantined with its reason.

#include "analyser/message.h"

#include <labdb/driver.h>

#include <string>
#include <vector>

namespace analyser {

struct StoreOutcome {
    bool duplicate = false; // the message had been stored before; nothing was written
    int stored = 0;
    int quarantined = 0;
    int superseded = 0; // earlier results of the same sample and test now marked as replaced
};

// Throws labdb::DbError when the database fails; then nothing of the message is stored.
StoreOutcome storeMessage(labdb::Driver &db, const std::string &instrumentId, const Message &message);

struct Unmatched {
    long long id = 0;
    std::string instrumentId, sampleNum, testCode, reason, receivedAt;
};
std::vector<Unmatched> unmatchedResults(labdb::Driver &db);

struct RematchOutcome {
    int stored = 0;
    int waiting = 0;
};
// Tries every waiting result again (the sample label or the test mapping may exist now).
RematchOutcome rematchResults(labdb::Driver &db);

} // namespace analyser
