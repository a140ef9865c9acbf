#pragma once
// Routines of the screens with normal values: unit conversion and the choice of a reagent range.

#include <QString>

namespace corvane {

class Connection;

// SI <-> conventional with the exam's factor (SI = conventional x factor), "0.00". From column 8
// (conventional) the value is multiplied, from any other column divided. Empty when the factor is
// missing, not a number or 0, or the value is not a number. Looks the exam's entry up first, as the
// laboratory's server expects.
QString ConvertResult(Connection &db, const QString &factor, const QString &value, const QString &examId, int column);

// Which of a reagent's two ranges a patient gets. From the method list: male for "MALE" or "M" in any
// case, female otherwise. From an analyser's reagent: female only for exactly "F", male otherwise.
enum class RangeSex { Male, Female };
RangeSex reagentRangeSex(const QString &sex, bool analyserReagent);

// The reagent key of a method list item ("<Reagent><100 blanks><code>"): its last five characters,
// trimmed; an analyser's reagent code wins when an analyser was chosen.
QString reagentKey(const QString &methodItem, const QString &analyserReagentCode = {});

} // namespace corvane
