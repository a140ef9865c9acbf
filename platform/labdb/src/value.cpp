#include "labdb/value.h"

#include <algorithm>
#include <cctype>

namespace labdb {

namespace {
char lowerChar(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
} // namespace

bool iequals(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerChar(x) == lowerChar(y); });
}

std::string toLower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), lowerChar);
    return out;
}

int ResultSet::columnIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (iequals(columns[i], name))
            return static_cast<int>(i);
    }
    return -1;
}

const Value &ResultSet::at(std::size_t row, std::string_view column) const
{
    const int c = columnIndex(column);
    if (c < 0)
        throw DbError("Item cannot be found in the collection: column '" + std::string(column) + "'");
    return rows.at(row).at(static_cast<std::size_t>(c));
}

} // namespace labdb
