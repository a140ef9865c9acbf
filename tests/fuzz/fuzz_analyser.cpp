// What an analyser sends, through both codecs. Besides never crashing or running away: a record cut
// into frames and joined again is the record; a message wrapped for the wire and read back from any
// two pieces of the stream is the message; escaping a text and reading it back gives the text.

#include "analyser/astm.h"
#include "analyser/hl7.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

void astmRoundTrips(std::string_view bytes)
{
    namespace astm = analyser::astm;
    // A record as a link sends it: no CR inside (it ends the record), no framing characters.
    std::string record;
    for (char c : bytes) {
        if (c != astm::CR && c != astm::LF && c != astm::STX && c != astm::ETX && c != astm::ETB)
            record += c;
    }
    astm::RecordAssembler assembler;
    std::vector<std::string> joined;
    const int first = bytes.empty() ? 1 : static_cast<unsigned char>(bytes[0]) % 8;
    int expected = first;
    for (const std::string &wire : astm::recordFrames(record, first)) {
        astm::Frame frame;
        require(astm::parseFrame(wire, frame) == astm::FrameStatus::Ok, "a built frame reads back");
        require(frame.number == expected % 8, "frames numbered in turn");
        ++expected;
        require(frame.text.size() <= astm::kMaxFrameText, "a frame carries at most its limit");
        for (std::string &r : assembler.add(frame))
            joined.push_back(std::move(r));
    }
    // An empty record is no record.
    require(record.empty() ? joined.empty() : joined.size() == 1 && joined[0] == record,
            "the frames join into the record");
    require(assembler.pendingSize() == 0, "nothing waits after the last frame");

    const astm::Delimiters d;
    require(astm::unescape(astm::escape(bytes, d), d) == bytes, "ASTM escaping reads back");
}

void astmMessages(std::string_view bytes)
{
    namespace astm = analyser::astm;
    astm::Frame frame;
    (void)astm::parseFrame(bytes, frame);
    for (const std::vector<std::string> &records : astm::messages(astm::fileRecords(bytes))) {
        const astm::ParsedMessage parsed = astm::parseMessage(records);
        if (parsed.ok())
            require(parsed.message.results.size() <= records.size(), "at most one result per record");
    }
}

void hl7RoundTrips(std::string_view bytes)
{
    namespace hl7 = analyser::hl7;
    std::string message;
    for (char c : bytes) {
        if (c != hl7::SB && c != hl7::EB)
            message += c;
    }
    const std::string wire = hl7::mllpWrap(message);
    // Cut anywhere, the stream gives the same message.
    const std::size_t cut = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]) % (wire.size() + 1);
    hl7::MllpDecoder decoder;
    std::vector<std::string> got = decoder.feed(std::string_view(wire).substr(0, cut));
    for (std::string &m : decoder.feed(std::string_view(wire).substr(cut)))
        got.push_back(std::move(m));
    require(got.size() == 1 && got[0] == message, "a wrapped message reads back from two pieces");
    require(!decoder.inMessage() && decoder.buffered() == 0, "nothing is held after the message");

    std::string line;
    for (char c : bytes) {
        if (c != hl7::CR && c != '\n' && c != hl7::SB && c != hl7::EB)
            line += c;
    }
    const hl7::Delimiters d;
    require(hl7::unescape(hl7::escape(line, d), d) == line, "HL7 escaping reads back");
}

void hl7Messages(std::string_view bytes)
{
    namespace hl7 = analyser::hl7;
    // A small limit, so that messages over it are met too.
    hl7::MllpDecoder decoder(4096);
    std::vector<std::string> messages = decoder.feed(bytes);
    require(decoder.buffered() <= 4096, "the decoder holds no more than its limit");
    messages.push_back(std::string(bytes));
    for (const std::string &m : messages) {
        const hl7::ParsedMessage parsed = hl7::parse(m);
        const std::string ack = hl7::buildAck(parsed.header, parsed.refusal, parsed.reason, parsed.issues,
                                              "ACK1", "20260307081000");
        // The answer goes back on the same link: it must be one message the analyser can read.
        require(ack.find(hl7::SB) == std::string::npos && ack.find(hl7::EB) == std::string::npos,
                "the acknowledgement has no framing characters");
        const hl7::ParsedMessage again = hl7::parse(ack);
        require(again.header.messageType == "ACK", "the acknowledgement reads as one");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    astmRoundTrips(bytes);
    astmMessages(bytes);
    hl7RoundTrips(bytes);
    hl7Messages(bytes);
    return 0;
}
