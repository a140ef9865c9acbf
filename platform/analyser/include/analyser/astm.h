#pragma once

// ASTM E1381 frames and E1394 records: pure functions over bytes, no I/O.

#include "analyser/message.h"
#include "analyser/protocol.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace analyser::astm {

inline constexpr char STX = 0x02;
inline constexpr char ETX = 0x03;
inline constexpr char EOT = 0x04;
inline constexpr char ENQ = 0x05;
inline constexpr char ACK = 0x06;
inline constexpr char LF = 0x0A;
inline constexpr char CR = 0x0D;
inline constexpr char NAK = 0x15;
inline constexpr char ETB = 0x17;

// Text characters in one frame, the record's closing CR included.
inline constexpr std::size_t kMaxFrameText = 240;

// Two upper-case hex digits of the byte sum, modulo 256, of `covered` (FN through ETX or ETB).
std::string checksum(std::string_view covered);

// STX FN text ETX|ETB C1 C2 CR LF; `number` is taken modulo 8.
std::string buildFrame(int number, std::string_view text, bool last);

struct Frame {
    int number = 0;
    std::string text;
    bool last = false; // ETX (the record ends here), not ETB
};

enum class FrameStatus { Ok, Malformed, BadChecksum };

// One whole frame, STX through LF. The frame is filled as far as it could be read even when the
// status is not Ok, so a caller can log the frame number.
FrameStatus parseFrame(std::string_view bytes, Frame &out);

// The frames carrying one record, numbered from `firstNumber` (modulo 8): the record and its CR cut
// into pieces of at most kMaxFrameText characters, all but the last ending in ETB.
std::vector<std::string> recordFrames(std::string_view record, int firstNumber);

// Joins frame texts back into records: intermediate (ETB) texts wait for the frame that ends the
// record. A frame text may carry more than one CR-terminated record.
class RecordAssembler {
public:
    // Returns the records the frame completed.
    std::vector<std::string> add(const Frame &frame);
    std::size_t pendingSize() const { return pending_.size(); }
    void clear() { pending_.clear(); }

private:
    std::string pending_;
};

struct Delimiters {
    char field = '|';
    char repeat = '\\';
    char component = '^';
    char escape = '&';
};

// From the header record "H" + field + repeat + component + escape; nullopt if it is not one.
std::optional<Delimiters> headerDelimiters(std::string_view headerRecord);

using analyser::split;
std::string unescape(std::string_view text, const Delimiters &d);
std::string escape(std::string_view text, const Delimiters &d);

struct ParsedMessage {
    Message message;
    std::string error; // empty when the records made a message
    bool ok() const { return error.empty(); }
};

// Records H through L (each without its CR): one Result per R record, the sample ID taken from the
// order record above it. Record types other than H, P, O, R, C, Q, L are passed over.
ParsedMessage parseMessage(const std::vector<std::string> &records);

// The records of a message file: one per line (CR, LF or CR LF), blank lines skipped.
std::vector<std::string> fileRecords(std::string_view content);

// Splits a list of records into messages, each H through L; records outside H..L are dropped.
std::vector<std::vector<std::string>> messages(const std::vector<std::string> &records);

} // namespace analyser::astm
