#pragma once
// Values and result rows as they travel between the component and the laboratory database.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace labdb {

// SQL NULL is an empty optional; every other value travels as UTF-8 text, as on the wire of the
// original server's text protocol.
using Value = std::optional<std::string>;
using Row = std::vector<Value>;

struct ResultSet {
    std::vector<std::string> columns;
    std::vector<Row> rows;
    long long rowsAffected = -1;

    // Column names compare without regard to case, as on the original server; -1 when absent.
    int columnIndex(std::string_view name) const;
    const Value &at(std::size_t row, std::string_view column) const;
};

// Any failure the database reports. The description is shown to users between "[" and "]".
class DbError : public std::runtime_error {
public:
    enum class Kind { General, Connection, Syntax, UnknownProcedure, ArgumentCount, Constraint, Busy };
    explicit DbError(const std::string &description, Kind kind = Kind::General)
        : std::runtime_error(description), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

bool iequals(std::string_view a, std::string_view b);
std::string toLower(std::string_view s);

} // namespace labdb
