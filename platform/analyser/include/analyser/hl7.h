#pragma once

// HL7 v2 result messages over MLLP: framing, parsing into an analyser::Message, and the ACK.
// Pure functions over bytes, no I/O.

#include "analyser/message.h"
#include "analyser/protocol.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace analyser::hl7 {

inline constexpr char SB = 0x0B; // start block
inline constexpr char EB = 0x1C; // end block
inline constexpr char CR = 0x0D;

std::string mllpWrap(std::string_view message);

// Cuts a byte stream into MLLP-framed messages. Bytes outside a frame are dropped; a message
// longer than the limit is dropped whole, so the buffer never holds more than the limit.
class MllpDecoder {
public:
    explicit MllpDecoder(std::size_t maxMessage = 1 << 20) : max_(maxMessage) {}
    std::vector<std::string> feed(std::string_view bytes);
    bool inMessage() const { return inside_; }
    std::size_t buffered() const { return buffer_.size(); }
    int droppedMessages() const { return dropped_; } // over the limit or cut by a new start block
    void reset();

private:
    std::size_t max_;
    std::string buffer_;
    bool inside_ = false;
    bool overflow_ = false;
    bool afterEnd_ = false;
    int dropped_ = 0;
};

struct Delimiters {
    char field = '|';
    char component = '^';
    char repeat = '~';
    char escape = '\\';
    char subcomponent = '&';
};

// Segments split at CR; LF and CR LF are taken as CR, empty segments skipped.
std::vector<std::string> segments(std::string_view message);
using analyser::split;
std::string unescape(std::string_view text, const Delimiters &d);
std::string escape(std::string_view text, const Delimiters &d);

enum class AckCode { AA, AE, AR };
const char *ackCodeText(AckCode code);

// A problem with one place in the message, reported back in an ERR segment.
struct Issue {
    std::string segment;   // "MSH", "OBX" ...
    int sequence = 0;      // which occurrence of that segment, from 1
    int field = 0;
    int code = 0;          // HL7 table 0357: 100 segment sequence, 101 required field missing, 200 type ...
    std::string text;
    bool error = true;     // false: a warning, the message is still taken
};

struct Header {
    Delimiters delimiters;
    std::string sendingApplication, sendingFacility, receivingApplication, receivingFacility;
    std::string messageType, triggerEvent;
    std::string controlId, processingId, version;
};

struct ParsedMessage {
    Header header;
    Message message;
    AckCode refusal = AckCode::AA; // AA: the message can be handed on; AE/AR: answer so, with `reason`
    std::string reason;
    std::vector<Issue> issues;
    bool accepted() const { return refusal == AckCode::AA; }
};

// ORU^R01 and OUL^R22: one Result per OBX, the sample ID from SPM-2, else OBR-3, else OBR-2.
// An OBX without a value is kept (its status may say why) and reported as a warning.
ParsedMessage parse(std::string_view message);

// The acknowledgement of `original`: MSA-1 `code`, MSA-3 `reason` and one ERR per issue.
std::string buildAck(const Header &original, AckCode code, std::string_view reason,
                     const std::vector<Issue> &issues, std::string_view controlId, std::string_view timestamp);

} // namespace analyser::hl7
