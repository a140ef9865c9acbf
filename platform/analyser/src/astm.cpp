#include "analyser/astm.h"

#include <cctype>

namespace analyser::astm {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string field(const std::vector<std::string> &fields, std::size_t number)
{
    return number >= 1 && number <= fields.size() ? fields[number - 1] : std::string();
}

std::string firstComponent(const std::string &text, const Delimiters &d)
{
    return unescape(split(split(text, d.repeat).front(), d.component).front(), d);
}

} // namespace

std::string checksum(std::string_view covered)
{
    unsigned sum = 0;
    for (char c : covered)
        sum += static_cast<unsigned char>(c);
    static constexpr char digits[] = "0123456789ABCDEF";
    return {digits[(sum >> 4) & 0xF], digits[sum & 0xF]};
}

std::string buildFrame(int number, std::string_view text, bool last)
{
    std::string covered;
    covered.reserve(text.size() + 2);
    covered += static_cast<char>('0' + ((number % 8) + 8) % 8);
    covered += text;
    covered += last ? ETX : ETB;
    std::string frame(1, STX);
    frame += covered;
    frame += checksum(covered);
    frame += CR;
    frame += LF;
    return frame;
}

FrameStatus parseFrame(std::string_view bytes, Frame &out)
{
    out = Frame{};
    // STX FN ETX C1 C2 CR LF is the shortest frame.
    if (bytes.size() < 7 || bytes.front() != STX)
        return FrameStatus::Malformed;
    const std::size_t n = bytes.size();
    const char fn = bytes[1];
    if (fn < '0' || fn > '7')
        return FrameStatus::Malformed;
    out.number = fn - '0';
    const char end = bytes[n - 5];
    if ((end != ETX && end != ETB) || bytes[n - 2] != CR || bytes[n - 1] != LF)
        return FrameStatus::Malformed;
    out.last = end == ETX;
    out.text = std::string(bytes.substr(2, n - 7));
    const int c1 = hexValue(bytes[n - 4]);
    const int c2 = hexValue(bytes[n - 3]);
    if (c1 < 0 || c2 < 0)
        return FrameStatus::Malformed;
    const std::string expected = checksum(bytes.substr(1, n - 5));
    if (hexValue(expected[0]) != c1 || hexValue(expected[1]) != c2)
        return FrameStatus::BadChecksum;
    return FrameStatus::Ok;
}

std::vector<std::string> recordFrames(std::string_view record, int firstNumber)
{
    std::string text(record);
    text += CR;
    std::vector<std::string> frames;
    int number = firstNumber;
    for (std::size_t at = 0; at < text.size(); at += kMaxFrameText, ++number) {
        const bool last = at + kMaxFrameText >= text.size();
        frames.push_back(buildFrame(number, std::string_view(text).substr(at, kMaxFrameText), last));
    }
    return frames;
}

std::vector<std::string> RecordAssembler::add(const Frame &frame)
{
    pending_ += frame.text;
    if (!frame.last)
        return {};
    std::vector<std::string> records;
    // Some senders put CR LF between records; a stray LF is not part of a record.
    for (std::string &record : split(pending_, CR)) {
        std::erase(record, LF);
        if (!record.empty())
            records.push_back(std::move(record));
    }
    pending_.clear();
    return records;
}

std::optional<Delimiters> headerDelimiters(std::string_view headerRecord)
{
    if (headerRecord.size() < 5 || std::toupper(static_cast<unsigned char>(headerRecord[0])) != 'H')
        return std::nullopt;
    const Delimiters d{headerRecord[1], headerRecord[2], headerRecord[3], headerRecord[4]};
    const char all[] = {d.field, d.repeat, d.component, d.escape};
    for (int i = 0; i < 4; ++i) {
        if (std::isalnum(static_cast<unsigned char>(all[i])) || all[i] == CR || all[i] == LF)
            return std::nullopt;
        for (int j = i + 1; j < 4; ++j)
            if (all[i] == all[j])
                return std::nullopt;
    }
    return d;
}

std::string unescape(std::string_view text, const Delimiters &d)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find(d.escape, i);
        if (open == std::string_view::npos) {
            out += text.substr(i);
            break;
        }
        out += text.substr(i, open - i);
        const std::size_t close = text.find(d.escape, open + 1);
        if (close == std::string_view::npos) {
            out += text.substr(open);
            break;
        }
        const std::string_view code = text.substr(open + 1, close - open - 1);
        if (code == "F")
            out += d.field;
        else if (code == "S")
            out += d.component;
        else if (code == "R")
            out += d.repeat;
        else if (code == "E")
            out += d.escape;
        else // an escape we do not translate is kept as sent
            out += text.substr(open, close - open + 1);
        i = close + 1;
    }
    return out;
}

std::string escape(std::string_view text, const Delimiters &d)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const char *code = c == d.field       ? "F"
                           : c == d.component ? "S"
                           : c == d.repeat    ? "R"
                           : c == d.escape    ? "E"
                                              : nullptr;
        if (code) {
            out += d.escape;
            out += code;
            out += d.escape;
        } else {
            out += c;
        }
    }
    return out;
}

ParsedMessage parseMessage(const std::vector<std::string> &records)
{
    ParsedMessage parsed;
    if (records.empty()) {
        parsed.error = "no records";
        return parsed;
    }
    const std::optional<Delimiters> delimiters = headerDelimiters(records.front());
    if (!delimiters) {
        parsed.error = "the message does not start with a header record";
        return parsed;
    }
    const Delimiters &d = *delimiters;
    std::string sampleId;
    std::string text;
    for (const std::string &record : records) {
        if (!text.empty())
            text += CR;
        text += record;
        const std::vector<std::string> fields = split(record, d.field);
        const char type = static_cast<char>(std::toupper(static_cast<unsigned char>(fields[0].empty() ? ' ' : fields[0][0])));
        if (type == 'O') {
            sampleId = firstComponent(field(fields, 3), d);
            if (sampleId.empty()) // some analysers fill only the instrument's own specimen ID
                sampleId = firstComponent(field(fields, 4), d);
        } else if (type == 'R') {
            Result r;
            r.sampleId = sampleId;
            const std::vector<std::string> testId = split(split(field(fields, 3), d.repeat).front(), d.component);
            // The analyser's code is the fourth component ("^^^GLU"); a sender that uses another puts
            // it first.
            if (testId.size() >= 4 && !testId[3].empty())
                r.testCode = unescape(testId[3], d);
            else
                for (const std::string &c : testId)
                    if (!c.empty()) {
                        r.testCode = unescape(c, d);
                        break;
                    }
            r.value = unescape(field(fields, 4), d);
            r.unit = unescape(field(fields, 5), d);
            r.flags = unescape(field(fields, 7), d);
            r.status = unescape(field(fields, 9), d);
            r.resultTime = unescape(field(fields, 13), d);
            if (r.resultTime.empty())
                r.resultTime = unescape(field(fields, 12), d);
            r.raw = record;
            parsed.message.results.push_back(std::move(r));
        }
    }
    const std::string &last = records.back();
    if (last.empty() || std::toupper(static_cast<unsigned char>(last[0])) != 'L') {
        parsed.error = "the message does not end with a terminator record";
        parsed.message.results.clear();
        return parsed;
    }
    parsed.message.key = messageKey(text);
    return parsed;
}

std::vector<std::string> fileRecords(std::string_view content)
{
    std::vector<std::string> records;
    std::string line;
    for (char c : content) {
        if (c == CR || c == LF) {
            if (!line.empty())
                records.push_back(std::move(line));
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        records.push_back(std::move(line));
    return records;
}

std::vector<std::vector<std::string>> messages(const std::vector<std::string> &records)
{
    std::vector<std::vector<std::string>> out;
    std::vector<std::string> current;
    bool open = false;
    for (const std::string &record : records) {
        const char type = record.empty() ? ' ' : static_cast<char>(std::toupper(static_cast<unsigned char>(record[0])));
        if (type == 'H') {
            current.clear();
            open = true;
        }
        if (!open)
            continue;
        current.push_back(record);
        if (type == 'L') {
            out.push_back(std::move(current));
            current.clear();
            open = false;
        }
    }
    return out;
}

} // namespace analyser::astm
