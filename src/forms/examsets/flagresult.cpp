#include "forms/examsets/flagresult.h"

#include <labdb/normalvalues.h>

namespace corvane {

QString FlagResult(const QString &value, const QString &minimum, const QString &maximum)
{
    if (minimum.trimmed().isEmpty() || maximum.trimmed().isEmpty())
        return {};
    const auto min = labdb::numericValue(minimum.toStdString());
    const auto max = labdb::numericValue(maximum.toStdString());
    const auto v = labdb::numericValue(value.toStdString());
    if (!min || !max || !v)
        return {};
    if (*v < *min)
        return QStringLiteral("LOW");
    if (*v > *max)
        return QStringLiteral("HIGH");
    return {};
}

} // namespace corvane
