#include "analyser/hl7.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace analyser::hl7 {

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

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Fields of a segment by their HL7 number. MSH-1 is the field separator itself, so MSH's numbers
// are shifted by one against the split.
class Segment {
public:
    Segment(std::string text, const Delimiters &d) : text_(std::move(text)), fields_(split(text_, d.field)), d_(d) {}
    const std::string &name() const { return fields_[0]; }
    const std::string &text() const { return text_; }
    std::string raw(int number) const
    {
        const std::size_t at = name() == "MSH" ? static_cast<std::size_t>(number) - 1 : static_cast<std::size_t>(number);
        return number >= 1 && at < fields_.size() ? fields_[at] : std::string();
    }
    std::string value(int number) const { return unescape(raw(number), d_); }
    // First repetition, component `component` (from 1), subcomponent `sub` (from 1).
    std::string component(int number, int component, int sub = 0) const
    {
        const std::string first = split(raw(number), d_.repeat).front();
        const std::vector<std::string> components = split(first, d_.component);
        if (component < 1 || static_cast<std::size_t>(component) > components.size())
            return {};
        std::string c = components[static_cast<std::size_t>(component) - 1];
        if (sub >= 1) {
            const std::vector<std::string> subs = split(c, d_.subcomponent);
            c = static_cast<std::size_t>(sub) <= subs.size() ? subs[static_cast<std::size_t>(sub) - 1] : std::string();
        }
        return unescape(c, d_);
    }

private:
    std::string text_;
    std::vector<std::string> fields_;
    Delimiters d_;
};

struct Group {
    std::string specimen; // SPM-2
    std::string order;    // OBR-3, else OBR-2
    std::vector<Result> results;
};

std::string specimenId(const Segment &spm)
{
    // SPM-2 is placer ^ filler, each an entity identifier whose own parts are subcomponents.
    std::string id = spm.component(2, 1, 1);
    if (id.empty())
        id = spm.component(2, 2, 1);
    return id;
}

void refuse(ParsedMessage &parsed, AckCode code, Issue issue)
{
    parsed.refusal = code;
    parsed.reason = issue.text;
    parsed.issues.push_back(std::move(issue));
}

} // namespace

std::string mllpWrap(std::string_view message)
{
    std::string framed;
    framed.reserve(message.size() + 3);
    framed += SB;
    framed += message;
    framed += EB;
    framed += CR;
    return framed;
}

void MllpDecoder::reset()
{
    buffer_.clear();
    inside_ = overflow_ = afterEnd_ = false;
}

std::vector<std::string> MllpDecoder::feed(std::string_view bytes)
{
    std::vector<std::string> done;
    for (char c : bytes) {
        if (afterEnd_) {
            afterEnd_ = false;
            if (c == CR)
                continue;
        }
        if (c == SB) {
            if (inside_ && (overflow_ || !buffer_.empty()))
                ++dropped_;
            buffer_.clear();
            inside_ = true;
            overflow_ = false;
            continue;
        }
        if (!inside_)
            continue;
        if (c == EB) {
            if (!overflow_)
                done.push_back(std::move(buffer_));
            buffer_.clear();
            inside_ = overflow_ = false;
            afterEnd_ = true;
            continue;
        }
        if (overflow_)
            continue;
        if (buffer_.size() >= max_) {
            ++dropped_;
            overflow_ = true;
            buffer_.clear();
            buffer_.shrink_to_fit();
            continue;
        }
        buffer_ += c;
    }
    return done;
}

std::vector<std::string> segments(std::string_view message)
{
    std::vector<std::string> out;
    std::string current;
    for (char c : message) {
        if (c == CR || c == '\n') {
            if (!current.empty())
                out.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        out.push_back(std::move(current));
    return out;
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
        bool known = true;
        if (code == "F")
            out += d.field;
        else if (code == "S")
            out += d.component;
        else if (code == "T")
            out += d.subcomponent;
        else if (code == "R")
            out += d.repeat;
        else if (code == "E")
            out += d.escape;
        else if (code.size() >= 3 && code.size() % 2 == 1 && code[0] == 'X') {
            std::string bytes;
            for (std::size_t k = 1; k + 1 < code.size() && known; k += 2) {
                const int hi = hexValue(code[k]);
                const int lo = hexValue(code[k + 1]);
                known = hi >= 0 && lo >= 0;
                bytes += static_cast<char>(hi * 16 + lo);
            }
            if (known)
                out += bytes;
        } else {
            known = false;
        }
        if (!known) // formatting and unknown escapes stay as sent
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
        const char *code = c == d.field          ? "F"
                           : c == d.component    ? "S"
                           : c == d.subcomponent ? "T"
                           : c == d.repeat       ? "R"
                           : c == d.escape       ? "E"
                                                 : nullptr;
        if (code) {
            out += d.escape;
            out += code;
            out += d.escape;
        } else if (c == CR || c == '\n' || c == SB || c == EB) {
            out += ' '; // a line break would end the segment, a block character the frame
        } else {
            out += c;
        }
    }
    return out;
}

const char *ackCodeText(AckCode code)
{
    switch (code) {
    case AckCode::AA:
        return "AA";
    case AckCode::AE:
        return "AE";
    case AckCode::AR:
        return "AR";
    }
    return "AR";
}

ParsedMessage parse(std::string_view message)
{
    ParsedMessage parsed;
    const std::vector<std::string> texts = segments(message);
    if (texts.empty() || texts.front().size() < 8 || texts.front().compare(0, 3, "MSH") != 0) {
        refuse(parsed, AckCode::AR, {"MSH", 1, 0, 100, "the message does not start with an MSH segment"});
        return parsed;
    }
    const std::string &msh = texts.front();
    // Until the header's own delimiters prove usable the standard ones stay, so that the refusal is
    // an acknowledgement the analyser can read.
    const char field = msh[3];
    const std::string encoding = split(msh.substr(4), field).front();
    const auto usable = [&] {
        if (encoding.size() < 4)
            return false;
        const char all[] = {field, encoding[0], encoding[1], encoding[2], encoding[3]};
        for (std::size_t i = 0; i < std::size(all); ++i) {
            // Control characters would end a segment or the frame itself.
            if (std::isalnum(static_cast<unsigned char>(all[i])) || std::iscntrl(static_cast<unsigned char>(all[i])))
                return false;
            for (std::size_t j = i + 1; j < std::size(all); ++j)
                if (all[i] == all[j])
                    return false;
        }
        return true;
    };
    if (!usable()) {
        refuse(parsed, AckCode::AR, {"MSH", 1, 2, 102, "MSH-2 does not hold the four encoding characters"});
        return parsed;
    }
    Delimiters &d = parsed.header.delimiters;
    d.field = field;
    d.component = encoding[0];
    d.repeat = encoding[1];
    d.escape = encoding[2];
    d.subcomponent = encoding[3];

    const Segment header(msh, d);
    Header &h = parsed.header;
    h.sendingApplication = header.component(3, 1);
    h.sendingFacility = header.component(4, 1);
    h.receivingApplication = header.component(5, 1);
    h.receivingFacility = header.component(6, 1);
    h.messageType = upper(header.component(9, 1));
    h.triggerEvent = upper(header.component(9, 2));
    h.controlId = header.value(10);
    h.processingId = header.component(11, 1);
    h.version = header.component(12, 1);
    parsed.message.controlId = h.controlId;

    std::string text;
    for (const std::string &t : texts) {
        if (!text.empty())
            text += CR;
        text += t;
    }
    parsed.message.key = messageKey(text);

    if (h.messageType.empty()) {
        refuse(parsed, AckCode::AR, {"MSH", 1, 9, 101, "MSH-9 (message type) is missing"});
        return parsed;
    }
    const bool oru = h.messageType == "ORU" && h.triggerEvent == "R01";
    const bool oul = h.messageType == "OUL" && h.triggerEvent == "R22";
    if (!oru && !oul) {
        refuse(parsed, AckCode::AR,
               {"MSH", 1, 9, 200, "message type " + h.messageType + "^" + h.triggerEvent + " is not accepted"});
        return parsed;
    }

    // Results before any OBR or SPM still get a group.
    std::vector<Group> groups(1);
    std::string lastSpecimen;
    int obxCount = 0;
    for (std::size_t i = 1; i < texts.size(); ++i) {
        const Segment s(texts[i], d);
        const std::string name = upper(s.name());
        if (name == "SPM") {
            lastSpecimen = specimenId(s);
            // An OUL's specimen heads its own observations and orders; an ORU's follows its
            // order's results.
            if (oul)
                groups.push_back(Group{lastSpecimen, {}, {}});
            else if (groups.back().specimen.empty())
                groups.back().specimen = lastSpecimen;
        } else if (name == "OBR") {
            Group g;
            g.order = s.component(3, 1);
            if (g.order.empty())
                g.order = s.component(2, 1);
            if (oul)
                g.specimen = lastSpecimen;
            groups.push_back(std::move(g));
        } else if (name == "OBX") {
            ++obxCount;
            Result r;
            r.testCode = s.component(3, 1);
            if (r.testCode.empty())
                r.testCode = s.component(3, 4);
            r.value = s.value(5);
            r.unit = s.component(6, 1);
            r.flags = s.value(8);
            r.status = s.value(11);
            r.resultTime = s.component(19, 1);
            if (r.resultTime.empty())
                r.resultTime = s.component(14, 1);
            r.raw = s.text();
            if (r.testCode.empty())
                parsed.issues.push_back({"OBX", obxCount, 3, 101, "OBX-3 (test code) is missing", false});
            const std::string status = upper(r.status);
            // A result that could not be obtained or was withdrawn says so in its status.
            if (r.value.empty() && status != "X" && status != "D" && status != "I" && status != "N")
                parsed.issues.push_back({"OBX", obxCount, 5, 101, "OBX-5 (value) is missing for test " + r.testCode,
                                         false});
            groups.back().results.push_back(std::move(r));
        }
    }
    for (Group &g : groups) {
        const std::string &sample = g.specimen.empty() ? g.order : g.specimen;
        for (Result &r : g.results) {
            r.sampleId = sample;
            parsed.message.results.push_back(std::move(r));
        }
    }
    return parsed;
}

std::string buildAck(const Header &original, AckCode code, std::string_view reason,
                     const std::vector<Issue> &issues, std::string_view controlId, std::string_view timestamp)
{
    const Delimiters &d = original.delimiters;
    const char f = d.field;
    std::string encoding{d.component, d.repeat, d.escape, d.subcomponent};
    std::string ack = "MSH";
    ack += f;
    ack += encoding;
    for (const std::string *v : {&original.receivingApplication, &original.receivingFacility,
                                 &original.sendingApplication, &original.sendingFacility}) {
        ack += f;
        ack += escape(*v, d);
    }
    ack += f;
    ack += timestamp;
    ack += f;
    ack += f;
    ack += "ACK";
    if (!original.triggerEvent.empty()) {
        ack += d.component;
        ack += escape(original.triggerEvent, d);
    }
    ack += d.component;
    ack += "ACK";
    ack += f;
    ack += escape(controlId, d);
    ack += f;
    ack += original.processingId.empty() ? std::string("P") : escape(original.processingId, d);
    ack += f;
    ack += "2.5.1";
    ack += CR;

    ack += "MSA";
    ack += f;
    ack += ackCodeText(code);
    ack += f;
    ack += escape(original.controlId, d);
    if (!reason.empty()) {
        ack += f;
        ack += escape(reason, d);
    }
    ack += CR;

    for (const Issue &issue : issues) {
        static constexpr struct {
            int code;
            const char *text;
        } kCodes[] = {{100, "Segment sequence error"},
                      {101, "Required field missing"},
                      {102, "Data type error"},
                      {200, "Unsupported message type"},
                      {207, "Application internal error"}};
        const char *codeText = "Application internal error";
        for (const auto &k : kCodes)
            if (k.code == issue.code)
                codeText = k.text;
        ack += "ERR";
        ack += f;
        ack += f;
        ack += issue.segment;
        ack += d.component;
        ack += std::to_string(issue.sequence);
        if (issue.field > 0) {
            ack += d.component;
            ack += std::to_string(issue.field);
        }
        ack += f;
        ack += std::to_string(issue.code);
        ack += d.component;
        ack += codeText;
        ack += d.component;
        ack += "HL70357";
        ack += f;
        ack += issue.error ? 'E' : 'W';
        ack += std::string(4, f);
        ack += escape(issue.text, d);
        ack += CR;
    }
    return ack;
}

} // namespace analyser::hl7
