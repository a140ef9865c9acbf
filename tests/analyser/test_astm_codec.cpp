// ASTM frames and records from tables built by hand from the frame and record layouts.

#include "analyser/astm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace analyser::astm;

namespace {

std::string frameBytes(char fn, const std::string &text, char end, const std::string &sum)
{
    return std::string(1, STX) + fn + text + end + sum + CR + LF;
}

} // namespace

TEST(AstmChecksum, SumsModulo256InUpperCaseHex)
{
    struct Case {
        std::string covered, expected;
    } cases[] = {
        {std::string("1") + ETX, "34"},               // 0x31 + 0x03
        {std::string("7ABC") + ETB, "14"},            // 0x114 wraps
        {std::string("0zz") + ETX, "27"},             // 0x127 wraps
        {std::string("5}}}") + ETB, "C3"},            // letters upper case
        {std::string("2") + std::string(256, '\x01') + ETX, "35"}, // 256 ones vanish
    };
    for (const Case &c : cases)
        EXPECT_EQ(checksum(c.covered), c.expected) << c.expected;
}

TEST(AstmFrame, ParsesWellFormedAndRefusesDamagedFrames)
{
    struct Case {
        const char *name;
        std::string bytes;
        FrameStatus status;
        int number;
        std::string text;
        bool last;
    } cases[] = {
        {"end frame", frameBytes('1', "L|1\r", ETX, "3A"), FrameStatus::Ok, 1, "L|1\r", true},
        {"intermediate frame", frameBytes('7', "ABC", ETB, "14"), FrameStatus::Ok, 7, "ABC", false},
        {"frame zero, empty text", frameBytes('0', "", ETX, "33"), FrameStatus::Ok, 0, "", true},
        {"lower-case checksum", frameBytes('5', "}}}", ETB, "c3"), FrameStatus::Ok, 5, "}}}", false},
        {"wrong checksum", frameBytes('1', "L|1\r", ETX, "3B"), FrameStatus::BadChecksum, 1, "L|1\r", true},
        {"frame number 8", frameBytes('8', "A", ETX, "7C"), FrameStatus::Malformed, 0, "", false},
        {"checksum not hex", frameBytes('1', "A", ETX, "G0"), FrameStatus::Malformed, 1, "A", true},
        {"no STX", frameBytes('1', "A", ETX, "75").substr(1), FrameStatus::Malformed, 0, "", false},
        {"no LF", frameBytes('1', "A", ETX, "75").substr(0, 7), FrameStatus::Malformed, 1, "", false},
        {"no end mark", std::string(1, STX) + "1AB75\r\n", FrameStatus::Malformed, 1, "", false},
        {"too short", std::string(1, STX) + "1" + ETX + "\r\n", FrameStatus::Malformed, 0, "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Frame f;
        EXPECT_EQ(parseFrame(c.bytes, f), c.status);
        if (c.status == FrameStatus::Malformed)
            continue;
        EXPECT_EQ(f.number, c.number);
        EXPECT_EQ(f.text, c.text);
        EXPECT_EQ(f.last, c.last);
    }
}

TEST(AstmFrame, BuildsWhatItParses)
{
    EXPECT_EQ(buildFrame(1, "L|1\r", true), frameBytes('1', "L|1\r", ETX, "3A"));
    EXPECT_EQ(buildFrame(15, "ABC", false), frameBytes('7', "ABC", ETB, "14"));
    EXPECT_EQ(buildFrame(8, "", true), frameBytes('0', "", ETX, "33"));
}

TEST(AstmFrame, LongRecordsSplitAt240AndReassemble)
{
    struct Case {
        std::size_t length;
        int first;
        std::vector<int> numbers;
    } cases[] = {
        {10, 1, {1}},
        {239, 3, {3}},             // with its CR exactly 240
        {240, 6, {6, 7}},          // the CR alone goes in a second frame
        {700, 7, {7, 0, 1}},       // numbering wraps from 7 to 0
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.length);
        std::string record = "R|1|^^^GLU|";
        while (record.size() < c.length)
            record += static_cast<char>('a' + record.size() % 26);
        const std::vector<std::string> frames = recordFrames(record, c.first);
        ASSERT_EQ(frames.size(), c.numbers.size());
        RecordAssembler assembler;
        std::vector<std::string> out;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            Frame f;
            ASSERT_EQ(parseFrame(frames[i], f), FrameStatus::Ok);
            EXPECT_EQ(f.number, c.numbers[i]);
            EXPECT_LE(f.text.size(), kMaxFrameText);
            EXPECT_EQ(f.last, i + 1 == frames.size());
            out = assembler.add(f);
            if (!f.last) {
                EXPECT_TRUE(out.empty());
            }
        }
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0], record);
        EXPECT_EQ(assembler.pendingSize(), 0u);
    }
}

TEST(AstmFrame, AssemblerTakesSeveralRecordsInOneFrameAndStrayLineFeeds)
{
    RecordAssembler assembler;
    EXPECT_TRUE(assembler.add({1, "H|\\^&\r\nP|1\r", false}).empty());
    EXPECT_EQ(assembler.add({2, "O|1|F-0311\r\n", true}), (std::vector<std::string>{"H|\\^&", "P|1", "O|1|F-0311"}));
}

TEST(AstmRecords, DelimitersComeFromTheHeader)
{
    const auto standard = headerDelimiters("H|\\^&|||VIT250");
    ASSERT_TRUE(standard);
    EXPECT_EQ(standard->field, '|');
    EXPECT_EQ(standard->repeat, '\\');
    EXPECT_EQ(standard->component, '^');
    EXPECT_EQ(standard->escape, '&');
    const auto other = headerDelimiters("H#~$%#");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->field, '#');
    EXPECT_EQ(other->repeat, '~');
    EXPECT_EQ(other->component, '$');
    EXPECT_EQ(other->escape, '%');
    for (const char *bad : {"P|\\^&", "H|\\^", "H||^&", "H|A^&", ""})
        EXPECT_FALSE(headerDelimiters(bad)) << bad;
}

TEST(AstmRecords, EscapesRoundTripWithEitherDelimiters)
{
    const Delimiters standard;
    const Delimiters other{'#', '~', '$', '%'};
    struct Case {
        const Delimiters *d;
        std::string sent, text;
    } cases[] = {
        {&standard, "a&F&b&S&c&R&d&E&e", "a|b^c\\d&e"},
        {&standard, "&E&F&E&", "&F&"},
        {&other, "1%F%2%S%3%R%4%E%5", "1#2$3~4%5"},
        {&other, "a|b^c\\d&e", "a|b^c\\d&e"},  // the standard set is plain text here
    };
    for (const Case &c : cases) {
        EXPECT_EQ(unescape(c.sent, *c.d), c.text) << c.sent;
        EXPECT_EQ(unescape(escape(c.text, *c.d), *c.d), c.text) << c.text;
    }
    // An escape we do not know, or one left open, stays as sent.
    EXPECT_EQ(unescape("a&H&b", standard), "a&H&b");
    EXPECT_EQ(unescape("5&E", standard), "5&E");
}

TEST(AstmRecords, MessageGivesOneResultPerResultRecord)
{
    const std::vector<std::string> records = {
        "H|\\^&|||VIT250^5.2|||||||P|1|20260307081500",
        "P|1||PID-77||Doe^Jane",
        "O|1|F-0311^1^4||^^^GLU|R||20260307080000",
        "R|1|^^^GLU^1|6.8|mmol/L|3.9 to 6.1|H||F||||20260307080500",
        "C|1|I|drawn late&F&hemolysed|G",
        "O|2|||^^^Crea",
        "R|1|^^^Crea|97.2|umol/L||N||C|||20260307080900|",
        "Q|1|^K-0112||ALL",
        "R|2|Crea|&E&lt 5&S&x|umol/L",
        "L|1|N",
    };
    const ParsedMessage parsed = parseMessage(records);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    struct Expected {
        const char *sample, *test, *value, *unit, *flags, *status, *time;
    } expected[] = {
        {"F-0311", "GLU", "6.8", "mmol/L", "H", "F", "20260307080500"},
        {"", "Crea", "97.2", "umol/L", "N", "C", "20260307080900"},
        {"", "Crea", "&lt 5^x", "umol/L", "", "", ""},
    };
    ASSERT_EQ(parsed.message.results.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const analyser::Result &r = parsed.message.results[i];
        EXPECT_EQ(r.sampleId, expected[i].sample);
        EXPECT_EQ(r.testCode, expected[i].test);
        EXPECT_EQ(r.value, expected[i].value);
        EXPECT_EQ(r.unit, expected[i].unit);
        EXPECT_EQ(r.flags, expected[i].flags);
        EXPECT_EQ(r.status, expected[i].status);
        EXPECT_EQ(r.resultTime, expected[i].time);
    }
    EXPECT_EQ(parsed.message.results[0].raw, records[3]);
    EXPECT_TRUE(parsed.message.controlId.empty());
}

TEST(AstmRecords, OrderWithoutSpecimenIdFallsBackToTheInstrumentsAndTestStartTime)
{
    const ParsedMessage parsed = parseMessage({"H|\\^&", "O|1||K-0112^A|^^^TP", "R|1|^^^TP|0.25|g/L||||F|||20260307081200", "L|1"});
    ASSERT_TRUE(parsed.ok());
    ASSERT_EQ(parsed.message.results.size(), 1u);
    EXPECT_EQ(parsed.message.results[0].sampleId, "K-0112");
    EXPECT_EQ(parsed.message.results[0].resultTime, "20260307081200");
}

TEST(AstmRecords, OtherDelimitersAreHonoured)
{
    const ParsedMessage parsed =
        parseMessage({"H#~$%###VIT250", "P#1", "O#1#UP-0220$7###", "R#1#$$$TP#0.25%F%0.27#g/L##H~A##F", "L#1"});
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.message.results.size(), 1u);
    const analyser::Result &r = parsed.message.results[0];
    EXPECT_EQ(r.sampleId, "UP-0220");
    EXPECT_EQ(r.testCode, "TP");
    EXPECT_EQ(r.value, "0.25#0.27");
    EXPECT_EQ(r.flags, "H~A");
    EXPECT_EQ(r.status, "F");
}

TEST(AstmRecords, RefusesMessagesWithoutHeaderOrTerminator)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"P|1", "L|1"},
        {"H|\\^&", "O|1|F-0311", "R|1|^^^GLU|6.8"},
        {"Hxyz", "L|1"},
    };
    for (const auto &records : bad) {
        const ParsedMessage parsed = parseMessage(records);
        EXPECT_FALSE(parsed.ok());
        EXPECT_TRUE(parsed.message.results.empty());
    }
}

TEST(AstmRecords, KeyFollowsTheRecordTextOnly)
{
    const std::vector<std::string> a = {"H|\\^&|||VIT250", "O|1|F-0311", "R|1|^^^GLU|6.8", "L|1"};
    std::vector<std::string> b = a;
    b[2] = "R|1|^^^GLU|6.9";
    const std::string key = parseMessage(a).message.key;
    EXPECT_EQ(key.size(), 64u);
    EXPECT_EQ(parseMessage(a).message.key, key);
    EXPECT_NE(parseMessage(b).message.key, key);

    // The same records cut into frames differently still give the same key.
    std::string joined;
    for (const std::string &r : a)
        joined += r + CR;
    RecordAssembler assembler;
    std::vector<std::string> records;
    for (std::size_t at = 0; at < joined.size(); at += 7) {
        const std::string piece = joined.substr(at, 7);
        for (std::string &r : assembler.add({1, piece, at + 7 >= joined.size()}))
            records.push_back(std::move(r));
    }
    EXPECT_EQ(parseMessage(records).message.key, key);
}

TEST(AstmRecords, FileSplitsIntoMessagesAndDropsStrayRecords)
{
    const std::string file = "P|0\r\nH|\\^&\r\nO|1|A\r\nL|1\n\nH|\\^&\rR|1\rL|1\rH|\\^&\rO|9\n";
    const auto list = messages(fileRecords(file));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], (std::vector<std::string>{"H|\\^&", "O|1|A", "L|1"}));
    EXPECT_EQ(list[1], (std::vector<std::string>{"H|\\^&", "R|1", "L|1"}));
}
