#pragma once

// What an analyser reported in one message, whichever protocol carried it: the codecs produce it,
// the store consumes it. Texts are kept as sent (unescaped), never reformatted.

#include <string>
#include <vector>

namespace analyser {

struct Result {
    std::string sampleId;   // the specimen ID the analyser read (the sample number on the tube)
    std::string testCode;   // the analyser's own test code ("GLU", "Crea" ...)
    std::string value;
    std::string unit;
    std::string flags;      // abnormal flags as sent ("H", "LL", "N" ...)
    std::string status;     // result status as sent ("F" final, "C" corrected, "P" preliminary ...)
    std::string resultTime; // as sent, e.g. "20260307081000"
    std::string raw;        // the whole record or segment it came from
};

struct Message {
    // Identifies the message across retransmissions: the same bytes give the same key.
    std::string key;
    std::string controlId; // HL7 MSH-10; empty for ASTM
    std::vector<Result> results;
};

// What the receiver's owner did with a complete message; the link answers the analyser by it.
enum class Disposition {
    Stored,   // stored (or already stored earlier): acknowledge
    Rejected, // will never be accepted as sent (HL7 AR / AE); ASTM acknowledges and logs
    Failed,   // could not be stored now (database down): do not acknowledge, so the analyser resends
};

} // namespace analyser
