#include "forms/bloodbank/receptorscoring.h"

#include <QRegularExpression>

namespace corvane::receptor {

namespace {

// The number at the start of the text, as the screens have always read their boxes: "7a" is 7,
// "" and "a" are 0.
double leadingNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?(\\d+\\.?\\d*|\\.\\d+)"));
    const QRegularExpressionMatch m = number.match(text);
    return m.hasMatch() ? m.captured(0).trimmed().toDouble() : 0.0;
}

} // namespace

QString extentScore(const QString &percent, const QString &current)
{
    if (percent.isEmpty())
        return {};
    bool numeric = false;
    const double v = percent.trimmed().toDouble(&numeric);
    if (!numeric)
        return current;
    if (v < 1)
        return QStringLiteral("1");
    if (v <= 10)
        return QStringLiteral("2");
    if (v >= 11 && v <= 33)
        return QStringLiteral("3");
    if (v >= 34 && v <= 66)
        return QStringLiteral("4");
    if (v >= 67 && v <= 100)
        return QStringLiteral("5");
    return current;
}

QString intensityWord(const QString &score)
{
    const QString s = score.trimmed();
    if (s == QLatin1String("0"))
        return QStringLiteral("NO STAINING");
    if (s == QLatin1String("1"))
        return QStringLiteral("WEAK");
    if (s == QLatin1String("2"))
        return QStringLiteral("MODERATE");
    if (s == QLatin1String("3"))
        return QStringLiteral("STRONG");
    return {};
}

QString totalScore(const QString &extent, const QString &intensity)
{
    return QString::number(leadingNumber(intensity) + leadingNumber(extent));
}

} // namespace corvane::receptor
