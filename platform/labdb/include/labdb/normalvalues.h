#pragma once
// The arithmetic of results with normal values, shared by the server's procedures and the screen:
// what counts as a number, the conversion between SI and conventional units, and the H/L flag.

#include "labdb/clinicalflags.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace labdb {

// A number as a technologist types it: blanks around it, an optional sign, digits with at most one
// decimal point. "1,000", "<5" and "5 mg" are not numbers.
inline std::optional<double> numericValue(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "0.00": two decimals, halves rounded away from zero as the original format did.
inline std::string formatTwoDecimals(double value)
{
    const double cents = value < 0 ? -static_cast<double>(static_cast<long long>(-value * 100 + 0.5 + 1e-9))
                                   : static_cast<double>(static_cast<long long>(value * 100 + 0.5 + 1e-9));
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", cents / 100);
    return buffer;
}

// SI = conventional x factor. toConventional divides an SI value by the factor; otherwise the
// conventional value is multiplied. Empty when the factor is missing or 0, or the value no number.
inline std::string convertWithFactor(std::string_view factorText, std::string_view valueText, bool toConventional)
{
    const auto factor = numericValue(factorText);
    const auto value = numericValue(valueText);
    if (!factor || *factor == 0 || !value)
        return {};
    return formatTwoDecimals(toConventional ? *value / *factor : *value * *factor);
}

// "H" above the maximum, "L" below the minimum, "" inside the range, for a result that is no
// number, or for a row without a range (no maximum above its minimum). The same rule as every
// other result's flag, so "<0.1" and "1,250" are read as laboratories write them.
inline std::string resultFlag(std::string_view result, std::string_view minText, std::string_view maxText)
{
    const auto min = numericValue(minText);
    const auto max = numericValue(maxText);
    if (!min || !max || *max <= *min)
        return {};
    return flagText(judge(result, Limits{min, max, {}, {}}));
}

} // namespace labdb
