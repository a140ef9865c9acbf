#pragma once
// The change of a result against the same patient's previous one: whether it is beyond the rule
// of its analyte, and how the technologist reads it.

#include <optional>
#include <string>
#include <string_view>

namespace labdb {

// Either threshold may be missing; a rule fires when either given one is exceeded.
struct DeltaRule {
    std::optional<double> absolute; // in the result's unit
    std::optional<double> percent;  // of the previous value
};

struct Delta {
    double previous = 0, now = 0;
    double change = 0;              // now - previous
    std::optional<double> percent;  // none when the previous value is 0
};

// The change when it is beyond the rule; a change equal to a threshold is within it. Texts a flag
// reads as no plain number (words, signs, a comparator such as "<0.1") give none.
std::optional<Delta> deltaBeyond(std::string_view previous, std::string_view now, const DeltaRule &rule);

// "+54 %", "-12 %"; without a percent (a previous 0), the change in the result's own decimals,
// "+6.3".
std::string changeText(const Delta &delta, std::string_view previous, std::string_view now);

// "previous 4.1 on 03/02/2026, now 6.3 (+54 %)"; the values as written, the date as given.
std::string deltaText(std::string_view previous, std::string_view previousDate, std::string_view now,
                      const Delta &delta);

// "yyyy-mm-dd hh:mm:ss" (the backends' texts, seconds and time optional) as seconds since
// 1970-01-01; none when the text is no date.
std::optional<long long> secondsOf(std::string_view text);

} // namespace labdb
