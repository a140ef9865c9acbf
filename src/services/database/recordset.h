#pragma once
// A forward-reading record set over one command's rows: fields by name (any case) or position,
// Null kept apart from empty, an exact record count and an end-of-file mark.

#include <labdb/value.h>

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace corvane {

class Field {
public:
    Field(const labdb::Value *value, QString name) : m_value(value), m_name(std::move(name)) {}

    bool isNull() const { return !m_value || !m_value->has_value(); }
    const QString &name() const { return m_name; }
    // Raises "Invalid use of Null" for a Null, as reading a Null into a text field always did.
    QString toString() const;
    // Null reads as "": the null-safe read.
    QString toStringOr(const QString &ifNull = {}) const;
    // Server date-time text as a date-time; Null raises.
    QDateTime toDateTime() const;
    double toDouble() const;
    int toInt() const;
    // 0 is false, any other number true; "True"/"False" as such.
    bool toBool() const;

private:
    const labdb::Value *m_value;
    QString m_name;
};

class Recordset {
public:
    Recordset() = default;
    explicit Recordset(labdb::ResultSet rows) : m_rs(std::move(rows)), m_open(true) {}

    bool isOpen() const { return m_open; }
    void close();

    bool eof() const { return !m_open || m_row >= m_rs.rows.size(); }
    void moveNext() { ++m_row; }
    int recordCount() const { return m_open ? static_cast<int>(m_rs.rows.size()) : 0; }

    int fieldCount() const { return static_cast<int>(m_rs.columns.size()); }
    QString fieldName(int position) const;
    // The current row's field; an unknown name or position is an error.
    Field field(const QString &name) const;
    Field field(int position) const;
    Field operator[](const QString &name) const { return field(name); }

    const labdb::ResultSet &rows() const { return m_rs; }

private:
    const labdb::Row &currentRow() const;

    labdb::ResultSet m_rs;
    std::size_t m_row = 0;
    bool m_open = false;
};

} // namespace corvane
