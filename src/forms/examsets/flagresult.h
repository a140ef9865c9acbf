#pragma once
// The HIGH/LOW judgement of an exam line against its limits, and the colours a judged line wears.

#include <QString>

namespace corvane {

// "LOW" below the minimum, "HIGH" above the maximum, empty within them (both limits count as
// within), when a limit is missing or not a number, or when the value is blank or not a number
// ("<5", ">500", "TRACE").
QString FlagResult(const QString &value, const QString &minimum, const QString &maximum);

// 24-bit colours in blue-green-red order: a flagged line's highlight, and the list's background.
constexpr int kFlaggedLineColor = 12648447;
constexpr int kLineBackColor = 16777215;

} // namespace corvane
