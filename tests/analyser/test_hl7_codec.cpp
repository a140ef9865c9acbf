// HL7 result messages, MLLP framing and acknowledgements from tables of messages written by hand.

#include "analyser/hl7.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

using namespace analyser::hl7;

namespace {

std::string message(std::initializer_list<const char *> segs, const char *separator = "\r")
{
    std::string out;
    for (const char *s : segs) {
        out += s;
        out += separator;
    }
    return out;
}

struct ExpectedResult {
    const char *sample, *test, *value, *unit, *flags, *status, *time;
};

const std::string kOru = message({
    "MSH|^~\\&|VIT250|LAB|CORVANE|HOSP|20260307081500||ORU^R01^ORU_R01|MSG0001|P|2.5.1",
    "PID|1||PID-77||Doe^Jane",
    "ORC|RE|R2603101",
    "OBR|1|R2603101|FILL-1^VIT250|136^GLUCOSE",
    "OBX|1|NM|GLU^Glucose^L||6.8|mmol/L^^UCUM|3.9-6.1|H|||F|||20260307080000|||||20260307080500",
    "SPM|1|F-0311&VIT250^F-0311-B||SER",
    "OBR|2|R2603102|K-0112",
    "OBX|1|NM|Crea^Creatinine||97.2|umol/L||N|||F|||20260307081000",
});

} // namespace

TEST(Hl7Parse, ResultMessagesFromTheTable)
{
    struct Case {
        const char *name;
        std::string text;
        std::vector<ExpectedResult> results;
        std::size_t warnings;
    } cases[] = {
        {"ORU, the specimen after its results, the second order by its filler number", kOru,
         {{"F-0311", "GLU", "6.8", "mmol/L", "H", "F", "20260307080500"},
          {"K-0112", "Crea", "97.2", "umol/L", "N", "F", "20260307081000"}},
         0},
        {"OUL, specimens ahead of their orders and observations",
         message({"MSH|^~\\&|MIDDLE|LAB|||20260307090000||OUL^R22^OUL_R22|MSG0002|P|2.5.1", "PID|1",
                  "SPM|1|UP-0220||URINE", "OBX|1|NM|VOL^Volume||1500|mL|||||F", "OBR|1||ORD-1|255",
                  "OBX|1|NM|TP^Protein||0.25|g/L|||||F", "SPM|2|^SK-0112||SER", "OBR|2||ORD-2",
                  "OBX|1|NM|Crea||88.4|umol/L|||||F"}),
         {{"UP-0220", "VOL", "1500", "mL", "", "F", ""},
          {"UP-0220", "TP", "0.25", "g/L", "", "F", ""},
          {"SK-0112", "Crea", "88.4", "umol/L", "", "F", ""}},
         0},
        {"placer number only, line feeds between segments",
         message({"MSH|^~\\&|A|B|||||oru^r01|3|P|2.5.1", "OBR|1|PL-9||GLU", "OBX|1|NM|^^^GLU2||5|mmol/L"}, "\r\n"),
         {{"PL-9", "GLU2", "5", "mmol/L", "", "", ""}},
         0},
        {"other delimiters and escapes",
         message({"MSH#$%*@#VIT250####20260307##ORU$R01#4#P#2.5.1", "OBR#1##F-0311",
                  "OBX#1#ST#GLU$Glucose##6*F*8*S*x*X41*#mmol/L##H%A###F*.br*"}),
         {{"F-0311", "GLU", "6#8$xA", "mmol/L", "H%A", "F*.br*", ""}},
         0},
        {"a result without a value is kept and reported, unless its status says why",
         message({"MSH|^~\\&|A|B|||||ORU^R01|5|P|2.5.1", "OBR|1||F-0311", "OBX|1|NM|GLU||||||||F",
                  "OBX|2|NM|TP||||||||X", "OBX|3|NM|||1"}),
         {{"F-0311", "GLU", "", "", "", "F", ""}, {"F-0311", "TP", "", "", "", "X", ""}, {"F-0311", "", "1", "", "", "", ""}},
         2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ParsedMessage parsed = parse(c.text);
        ASSERT_TRUE(parsed.accepted()) << parsed.reason;
        EXPECT_EQ(parsed.issues.size(), c.warnings);
        for (const Issue &issue : parsed.issues)
            EXPECT_FALSE(issue.error);
        ASSERT_EQ(parsed.message.results.size(), c.results.size());
        for (std::size_t i = 0; i < c.results.size(); ++i) {
            SCOPED_TRACE(i);
            const analyser::Result &r = parsed.message.results[i];
            const ExpectedResult &e = c.results[i];
            EXPECT_EQ(r.sampleId, e.sample);
            EXPECT_EQ(r.testCode, e.test);
            EXPECT_EQ(r.value, e.value);
            EXPECT_EQ(r.unit, e.unit);
            EXPECT_EQ(r.flags, e.flags);
            EXPECT_EQ(r.status, e.status);
            EXPECT_EQ(r.resultTime, e.time);
            EXPECT_EQ(r.raw.substr(0, 4), c.text.find("MSH#") == 0 ? "OBX#" : "OBX|");
        }
    }
}

TEST(Hl7Parse, WarningsPointAtTheSegmentAndField)
{
    const ParsedMessage parsed =
        parse(message({"MSH|^~\\&|A|B|||||ORU^R01|5|P|2.5.1", "OBR|1||F-0311", "OBX|1|NM|GLU||7", "OBX|2|NM|TP"}));
    ASSERT_EQ(parsed.issues.size(), 1u);
    EXPECT_EQ(parsed.issues[0].segment, "OBX");
    EXPECT_EQ(parsed.issues[0].sequence, 2);
    EXPECT_EQ(parsed.issues[0].field, 5);
    EXPECT_EQ(parsed.issues[0].code, 101);
    EXPECT_NE(parsed.issues[0].text.find("TP"), std::string::npos);
}

TEST(Hl7Parse, RefusedMessages)
{
    struct Case {
        const char *name;
        std::string text;
        int field, code;
    } cases[] = {
        {"no MSH-9", message({"MSH|^~\\&|A|B|||||||7|P|2.5.1", "OBR|1||F-0311", "OBX|1|NM|GLU||6.8"}), 9, 101},
        {"MSH-9 without its event", message({"MSH|^~\\&|A|B|||||ORU|7|P|2.5.1", "OBX|1|NM|GLU||6.8"}), 9, 200},
        {"not a result message", message({"MSH|^~\\&|A|B|||||ADT^A01|7|P|2.5.1", "PID|1"}), 9, 200},
        {"other result event", message({"MSH|^~\\&|A|B|||||OUL^R21|7|P|2.5.1", "PID|1"}), 9, 200},
        {"no MSH first", message({"PID|1", "MSH|^~\\&|A|B|||||ORU^R01|7|P|2.5.1"}), 0, 100},
        {"encoding characters cut short", message({"MSH|^~|A|B||||||ORU^R01|7|P|2.5.1"}), 2, 102},
        {"a letter as field separator", message({"MSHSPM\\&|A|B|||||ORU^R01|7|P|2.5.1"}), 2, 102},
        {"a digit among the encoding characters", message({"MSH|^~1&|A|B|||||ORU^R01|7|P|2.5.1"}), 2, 102},
        {"the frame's start block as a delimiter", message({"MSH|\x0b~\\&|A|B|||||ORU^R01|7|P|2.5.1"}), 2, 102},
        {"one character twice", message({"MSH|^^\\&|A|B|||||ORU^R01|7|P|2.5.1"}), 2, 102},
        {"empty", "", 0, 100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ParsedMessage parsed = parse(c.text);
        EXPECT_EQ(parsed.refusal, AckCode::AR);
        EXPECT_FALSE(parsed.reason.empty());
        EXPECT_TRUE(parsed.message.results.empty());
        ASSERT_EQ(parsed.issues.size(), 1u);
        EXPECT_TRUE(parsed.issues[0].error);
        EXPECT_EQ(parsed.issues[0].field, c.field);
        EXPECT_EQ(parsed.issues[0].code, c.code);
        // The refusal goes back in delimiters the analyser can read, whatever the message declared.
        const ParsedMessage ack = parse(buildAck(parsed.header, parsed.refusal, parsed.reason, parsed.issues, "A1", "20260307"));
        EXPECT_EQ(ack.header.messageType, "ACK");
        EXPECT_EQ(ack.header.delimiters.field, '|');
    }
}

TEST(Hl7Parse, KeyAndControlId)
{
    const ParsedMessage a = parse(kOru);
    EXPECT_EQ(a.message.controlId, "MSG0001");
    EXPECT_EQ(parse(kOru).message.key, a.message.key);
    std::string changed = kOru;
    changed.replace(changed.find("97.2"), 4, "97.3");
    EXPECT_NE(parse(changed).message.key, a.message.key);
    // The same segments with other line ends are the same message.
    std::string crlf;
    for (char c : kOru)
        crlf += c == '\r' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(parse(crlf).message.key, a.message.key);
}

TEST(Hl7Escapes, RoundTrip)
{
    const Delimiters d;
    EXPECT_EQ(unescape("a\\F\\b\\S\\c\\T\\d\\R\\e\\E\\f", d), "a|b^c&d~e\\f");
    EXPECT_EQ(unescape("\\X4142\\", d), "AB");
    for (const char *kept : {"\\H\\bold\\N\\", "\\X4\\", "\\Xzz\\", "open\\F"})
        EXPECT_EQ(unescape(kept, d), kept);
    for (const char *text : {"|^~\\&", "plain", "5 < 7 & 8"})
        EXPECT_EQ(unescape(escape(text, d), d), text);
    EXPECT_EQ(escape("two\rlines", d), "two lines");
}

TEST(Mllp, DecodesFramesFromAnyChunking)
{
    const std::string stream = "noise" + mllpWrap("MSH|one") + "\r\n" + mllpWrap("MSH|two") + mllpWrap("") + "tail";
    for (std::size_t chunk : {std::size_t(1), std::size_t(3), stream.size()}) {
        SCOPED_TRACE(chunk);
        MllpDecoder decoder;
        std::vector<std::string> out;
        for (std::size_t at = 0; at < stream.size(); at += chunk)
            for (std::string &m : decoder.feed(std::string_view(stream).substr(at, chunk)))
                out.push_back(std::move(m));
        EXPECT_EQ(out, (std::vector<std::string>{"MSH|one", "MSH|two", ""}));
        EXPECT_FALSE(decoder.inMessage());
        EXPECT_EQ(decoder.buffered(), 0u);
    }
}

TEST(Mllp, OversizeAndCutMessagesAreDroppedAndTheNextOneIsRead)
{
    MllpDecoder decoder(16);
    std::string big(1, SB);
    big += std::string(100000, 'x');
    EXPECT_TRUE(decoder.feed(big).empty());
    EXPECT_LE(decoder.buffered(), 16u);
    EXPECT_TRUE(decoder.feed(std::string(50000, 'y')).empty());
    EXPECT_LE(decoder.buffered(), 16u);
    // The end of the oversize message is not a message; the next start block begins afresh.
    EXPECT_TRUE(decoder.feed(std::string(1, EB)).empty());
    EXPECT_EQ(decoder.feed(mllpWrap("MSH|ok")), std::vector<std::string>{"MSH|ok"});
    // A start block inside a message means the first was cut off.
    EXPECT_EQ(decoder.feed(std::string(1, SB) + "MSH|cut" + mllpWrap("MSH|whole")), std::vector<std::string>{"MSH|whole"});
    EXPECT_EQ(decoder.droppedMessages(), 2);
}

TEST(Hl7Ack, AnswersTheSenderWithItsOwnControlId)
{
    const ParsedMessage parsed = parse(kOru);
    const std::vector<std::string> aa = segments(buildAck(parsed.header, AckCode::AA, "", {}, "ACK7", "20260307081600"));
    ASSERT_EQ(aa.size(), 2u);
    EXPECT_EQ(aa[0], "MSH|^~\\&|CORVANE|HOSP|VIT250|LAB|20260307081600||ACK^R01^ACK|ACK7|P|2.5.1");
    EXPECT_EQ(aa[1], "MSA|AA|MSG0001");

    const ParsedMessage refused = parse(message({"MSH|^~\\&|A|B|C|D|||ADT^A01|X|P|2.5.1"}));
    const std::vector<std::string> ar =
        segments(buildAck(refused.header, refused.refusal, refused.reason, refused.issues, "ACK8", "20260307"));
    ASSERT_EQ(ar.size(), 3u);
    const std::vector<std::string> msa = split(ar[1], '|');
    ASSERT_EQ(msa.size(), 4u);
    EXPECT_EQ(msa[1], "AR");
    EXPECT_EQ(msa[2], "X");
    EXPECT_EQ(msa[3], escape(refused.reason, Delimiters{}));
    const std::vector<std::string> err = split(ar[2], '|');
    ASSERT_EQ(err.size(), 9u);
    EXPECT_EQ(err[0], "ERR");
    EXPECT_EQ(err[2], "MSH^1^9");
    EXPECT_EQ(err[3], "200^Unsupported message type^HL70357");
    EXPECT_EQ(err[4], "E");
    EXPECT_EQ(err[8], escape(refused.reason, Delimiters{}));
}

TEST(Hl7Ack, ReasonsAreEscapedAndWarningsMarked)
{
    Header h;
    h.controlId = "C|1";
    const std::vector<std::string> ack = segments(
        buildAck(h, AckCode::AE, "store said: a|b", {{"OBX", 2, 5, 101, "no value", false}}, "A1", "2026"));
    ASSERT_EQ(ack.size(), 3u);
    EXPECT_EQ(ack[0], "MSH|^~\\&|||||2026||ACK^ACK|A1|P|2.5.1");
    EXPECT_EQ(ack[1], "MSA|AE|C\\F\\1|store said: a\\F\\b");
    EXPECT_EQ(split(ack[2], '|')[4], "W");
}
