#pragma once
// Column builders shared by the schema files.

#include "labdb/driver.h"

#include <string>
#include <utility>

namespace labdb::columns {

inline ColumnDef text(std::string name)
{
    return {std::move(name), ColType::Text, false, {}};
}
// Text that readers take as a string without a null test: never Null, empty by default.
inline ColumnDef textNN(std::string name)
{
    return {std::move(name), ColType::Text, true, "''"};
}
inline ColumnDef key(std::string name)
{
    return {std::move(name), ColType::Text, true, {}};
}
inline ColumnDef integer(std::string name)
{
    return {std::move(name), ColType::Int, false, {}};
}
inline ColumnDef integerNN(std::string name, std::string defaultSql = "0")
{
    return {std::move(name), ColType::Int, true, std::move(defaultSql)};
}
inline ColumnDef realNN(std::string name)
{
    return {std::move(name), ColType::Real, true, "0"};
}
inline ColumnDef dateTime(std::string name)
{
    return {std::move(name), ColType::DateTime, false, {}};
}
inline ColumnDef serial(std::string name)
{
    return {std::move(name), ColType::Serial, false, {}};
}

// " NOT NULL DEFAULT ..." as every backend writes it.
inline std::string columnConstraintSql(const ColumnDef &col)
{
    std::string sql;
    if (col.notNull)
        sql += " NOT NULL";
    if (!col.defaultSql.empty())
        sql += " DEFAULT " + col.defaultSql;
    return sql;
}

} // namespace labdb::columns
