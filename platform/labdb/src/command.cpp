#include "labdb/command.h"

namespace labdb {

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
            fixedRun.append(raw.substr(i, stop - i));
            i = stop;
            continue;
        }
        if (c != '\'') {
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
