#pragma once
// Judging a result against its reference interval and critical limits: values read as
// laboratories write them, and the interval chosen by the patient's sex and age.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace labdb {

enum class Flag { None, Low, High, CriticalLow, CriticalHigh };

// "", "L", "H", "LL", "HH".
std::string flagText(Flag flag);
inline bool isCritical(Flag flag)
{
    return flag == Flag::CriticalLow || flag == Flag::CriticalHigh;
}

// A written result as a number and what the writer claims of it: "<0.1" is below 0.1, ">=5" at
// least 5. Thousands commas ("1,250") and units after the number ("12.5 sec") are allowed; words
// ("TNTC", "trace"), signs alone ("+++"), ranges ("2-4") and decimal commas are no number.
struct WrittenValue {
    enum class Side { Exact, Below, AtMost, Above, AtLeast };
    double number = 0;
    Side side = Side::Exact;
};
std::optional<WrittenValue> readWrittenValue(std::string_view text);

// Any limit may be missing. A value equal to a limit is within it.
struct Limits {
    std::optional<double> low, high;
    std::optional<double> criticalLow, criticalHigh;
};
// A critical flag wins over the plain one; a value whose side leaves it open ("<0.6" against a low
// limit of 0.5) gets no flag.
Flag judge(std::string_view result, const Limits &limits);

enum class AgeUnit { Days, Months, Years };
// "D", "M", "Y" (or the words); anything else is years.
AgeUnit ageUnitOf(std::string_view text);

struct CivilDate {
    int year = 0, month = 0, day = 0;
};
// "yyyy-mm-dd..." (the backends' date texts); nothing when it is not a date.
std::optional<CivilDate> civilDateOf(std::string_view text);
// Completed days, months or years between birth and the day of the exam.
long completedAge(AgeUnit unit, CivilDate birth, CivilDate on);

// One row of a master keyed by sex and age band.
struct Band {
    std::string sex;                 // "M", "F", or "" / "B" for both
    std::optional<long> from, to;    // from inclusive, to exclusive, in unit
    AgeUnit unit = AgeUnit::Years;
};
// The row that fits the patient: a row for the patient's own sex wins over one for both, then the
// first in order. Without a birth date only rows open at both ends fit. -1 when none fits.
int chooseBand(const std::vector<Band> &bands, std::string_view patientSex, std::optional<CivilDate> birth,
               CivilDate on);

} // namespace labdb
