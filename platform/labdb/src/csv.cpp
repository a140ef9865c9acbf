#include "labdb/csv.h"

namespace labdb::csv {

namespace {

bool needsQuotes(std::string_view text)
{
    if (text.empty())
        return false;
    if (text == kNull || text.find_first_of(",\"\r\n") != std::string_view::npos)
        return true;
    // Spreadsheets trim edge blanks of bare fields.
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return blank(text.front()) || blank(text.back());
}

} // namespace

std::string formatField(const Value &value)
{
    if (!value)
        return std::string(kNull);
    if (!needsQuotes(*value))
        return *value;
    std::string out;
    out.reserve(value->size() + 2);
    out.push_back('"');
    for (char c : *value) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

std::string formatRecord(const std::vector<Value> &values)
{
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            out.push_back(',');
        out += formatField(values[i]);
    }
    out += "\r\n";
    return out;
}

Reader::Reader(std::string_view data) : m_data(data)
{
    if (m_data.substr(0, 3) == "\xEF\xBB\xBF")
        m_pos = 3;
}

bool Reader::atLineEnd() const
{
    return m_pos >= m_data.size() || m_data[m_pos] == '\n' ||
           (m_data[m_pos] == '\r' && m_pos + 1 < m_data.size() && m_data[m_pos + 1] == '\n');
}

void Reader::skipLineEnd()
{
    if (m_pos < m_data.size() && m_data[m_pos] == '\r')
        ++m_pos;
    if (m_pos < m_data.size() && m_data[m_pos] == '\n') {
        ++m_pos;
        ++m_line;
    }
}

bool Reader::next(Record &record)
{
    while (m_pos < m_data.size() && atLineEnd())
        skipLineEnd();
    if (m_pos >= m_data.size())
        return false;

    record.line = m_line;
    record.fields.clear();
    for (;;) {
        Field field;
        field.line = m_line;
        const std::size_t column = record.fields.size() + 1;
        if (m_pos < m_data.size() && m_data[m_pos] == '"') {
            field.quoted = true;
            ++m_pos;
            for (;;) {
                if (m_pos >= m_data.size())
                    throw SyntaxError(field.line, column, "the quoted value that starts here is never closed");
                const char c = m_data[m_pos];
                if (c == '"') {
                    if (m_pos + 1 < m_data.size() && m_data[m_pos + 1] == '"') {
                        field.text.push_back('"');
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                if (c == '\n')
                    ++m_line;
                field.text.push_back(c);
                ++m_pos;
            }
            if (!atLineEnd() && m_data[m_pos] != ',')
                throw SyntaxError(m_line, column,
                                  "text follows the closing quote; a quote inside a quoted value is written twice");
        } else {
            while (!atLineEnd() && m_data[m_pos] != ',') {
                if (m_data[m_pos] == '"')
                    throw SyntaxError(m_line, column,
                                      "a quote inside a value that does not start with one; enclose the value in "
                                      "quotes and write the quote twice");
                field.text.push_back(m_data[m_pos++]);
            }
        }
        record.fields.push_back(std::move(field));
        if (m_pos < m_data.size() && m_data[m_pos] == ',') {
            ++m_pos;
            continue;
        }
        skipLineEnd();
        return true;
    }
}

} // namespace labdb::csv
