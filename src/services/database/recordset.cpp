#include "services/database/recordset.h"

#include "services/database/connection.h"

namespace corvane {

namespace {
[[noreturn]] void invalidUseOfNull(const QString &name)
{
    throw DatabaseError(QStringLiteral("Invalid use of Null (field '%1')").arg(name));
}
} // namespace

QString Field::toString() const
{
    if (isNull())
        invalidUseOfNull(m_name);
    return QString::fromStdString(**m_value);
}

QString Field::toStringOr(const QString &ifNull) const
{
    return isNull() ? ifNull : QString::fromStdString(**m_value);
}

QDateTime Field::toDateTime() const
{
    const QString text = toString();
    const QDateTime dt = parseServerDateTime(text);
    if (!dt.isValid())
        throw DatabaseError(QStringLiteral("Type mismatch: '%1' in field '%2' is not a date").arg(text, m_name));
    return dt;
}

double Field::toDouble() const
{
    const QString text = toString().trimmed();
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok)
        throw DatabaseError(QStringLiteral("Type mismatch: '%1' in field '%2' is not a number").arg(text, m_name));
    return v;
}

int Field::toInt() const
{
    const double v = toDouble();
    return static_cast<int>(v < 0 ? v - 0.5 : v + 0.5);
}

bool Field::toBool() const
{
    const QString text = toString().trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok)
        throw DatabaseError(QStringLiteral("Type mismatch: '%1' in field '%2' is not a Boolean").arg(text, m_name));
    return v != 0.0;
}

void Recordset::close()
{
    m_open = false;
    m_rs = {};
    m_row = 0;
}

QString Recordset::fieldName(int position) const
{
    return QString::fromStdString(m_rs.columns.at(static_cast<std::size_t>(position)));
}

const labdb::Row &Recordset::currentRow() const
{
    if (!m_open)
        throw DatabaseError(QStringLiteral("Operation is not allowed when the object is closed."));
    if (eof())
        throw DatabaseError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    return m_rs.rows[m_row];
}

Field Recordset::field(const QString &name) const
{
    const labdb::Row &row = currentRow();
    const int c = m_rs.columnIndex(name.toStdString());
    if (c < 0)
        throw DatabaseError(QStringLiteral("Item cannot be found in the collection corresponding to the requested "
                                           "name or ordinal: '%1'")
                                .arg(name));
    return Field(&row[static_cast<std::size_t>(c)], fieldName(c));
}

Field Recordset::field(int position) const
{
    const labdb::Row &row = currentRow();
    if (position < 0 || position >= fieldCount())
        throw DatabaseError(QStringLiteral("Item cannot be found in the collection corresponding to the requested "
                                           "name or ordinal: %1")
                                .arg(position));
    return Field(&row[static_cast<std::size_t>(position)], fieldName(position));
}

} // namespace corvane
