#include "labdb/command.h"

#include <cstdio>

namespace labdb {

namespace {

// Outside quoted values a command is text and blanks. The value marker there would shift every
// value after it; a NUL ends the statement early on a server that reads C strings.
void refuseControl(std::string_view fixedText)
{
    for (const char c : fixedText) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') || u == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", u);
            throw DbError("The command text holds the control character " + std::string(code) +
                              " outside a quoted value.",
                          DbError::Kind::Syntax);
        }
    }
}

} // namespace

CommandText &CommandText::fixed(std::string_view text)
{
    m_shape.append(text);
    return *this;
}

CommandText &CommandText::value(Value v)
{
    m_shape.push_back(kMarker);
    m_values.push_back(std::move(v));
    return *this;
}

std::string CommandText::text() const
{
    std::string out;
    out.reserve(m_shape.size() + 16 * m_values.size());
    std::size_t next = 0;
    for (char c : m_shape) {
        if (c != kMarker) {
            out.push_back(c);
            continue;
        }
        const Value &v = m_values.at(next++);
        out.append(v ? *v : std::string("NULL"));
    }
    return out;
}

CommandText CommandText::fromText(std::string_view raw)
{
    CommandText cmd;
    std::size_t i = 0;
    std::string fixedRun;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '-' && i + 1 < raw.size() && raw[i + 1] == '-') {
            // A line comment is kept as fixed text; the translator drops it.
            const std::size_t end = raw.find('\n', i);
            const std::size_t stop = end == std::string_view::npos ? raw.size() : end;
            refuseControl(raw.substr(i, stop - i));
            fixedRun.append(raw.substr(i, stop - i));
            i = stop;
            continue;
        }
        if (c != '\'') {
            refuseControl(raw.substr(i, 1));
            fixedRun.push_back(c);
            ++i;
            continue;
        }
        std::string literal;
        ++i;
        bool closed = false;
        while (i < raw.size()) {
            if (raw[i] == '\'') {
                if (i + 1 < raw.size() && raw[i + 1] == '\'') {
                    literal.push_back('\'');
                    i += 2;
                    continue;
                }
                ++i;
                closed = true;
                break;
            }
            literal.push_back(raw[i++]);
        }
        if (!closed)
            throw DbError("Unclosed quotation mark after the character string '" + literal + "'.", DbError::Kind::Syntax);
        fixedRun.push_back('\'');
        cmd.fixed(fixedRun);
        fixedRun.clear();
        cmd.value(std::move(literal));
        fixedRun.push_back('\'');
    }
    cmd.fixed(fixedRun);
    return cmd;
}

} // namespace labdb
