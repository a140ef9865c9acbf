#pragma once
// Comma-separated values as RFC 4180 writes them, for the master-data files. Bytes are kept as
// they are (UTF-8 in, UTF-8 out); a field is quoted when it holds a comma, a quote or a line
// break, or starts or ends with a blank, and a quote inside it is doubled. Records end in CRLF.
//
// NULL is written as \N without quotes, as PostgreSQL's COPY and most database tools do, so an
// empty field stays an empty string and survives a spreadsheet that drops quotes around it. A
// quoted "\N" is the two characters.

#include "labdb/value.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace labdb::csv {

inline constexpr std::string_view kNull = "\\N";

std::string formatField(const Value &value);
// The fields joined by commas, with the record's CRLF.
std::string formatRecord(const std::vector<Value> &values);

struct Field {
    std::string text;
    bool quoted = false;
    std::size_t line = 0; // the line the field starts on
};

struct Record {
    std::size_t line = 0; // the line the record starts on
    std::vector<Field> fields;
};

class SyntaxError : public std::runtime_error {
public:
    SyntaxError(std::size_t line, std::size_t column, const std::string &message)
        : std::runtime_error(message), m_line(line), m_column(column) {}
    std::size_t line() const { return m_line; }
    std::size_t column() const { return m_column; } // 1-based field number
private:
    std::size_t m_line;
    std::size_t m_column;
};

// Reads records in order. Lines end in LF or CRLF; a UTF-8 byte-order mark at the start (as
// spreadsheets write it) and wholly blank lines are skipped. Line numbers count from 1.
class Reader {
public:
    explicit Reader(std::string_view data);
    // The next record, or false at the end of the data; throws SyntaxError.
    bool next(Record &record);

private:
    bool atLineEnd() const;
    void skipLineEnd();

    std::string_view m_data;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
};

} // namespace labdb::csv
