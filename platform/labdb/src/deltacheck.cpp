#include "labdb/deltacheck.h"

#include "labdb/clinicalflags.h"
#include "textview.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace labdb {

namespace {

std::optional<double> plainNumber(std::string_view text)
{
    const auto v = readWrittenValue(text);
    if (!v || v->side != WrittenValue::Side::Exact)
        return std::nullopt;
    return v->number;
}

// Beyond a threshold by more than the rounding of the arithmetic: 6.3 - 4.1 against 2.2 is equal.
bool beyond(double change, double threshold)
{
    return change - threshold > 1e-9 * std::max(1.0, std::fabs(threshold));
}

int decimalsOf(std::string_view text)
{
    const auto dot = text.find('.');
    if (dot == std::string_view::npos)
        return 0;
    int n = 0;
    for (std::size_t i = dot + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        ++n;
    return n;
}

} // namespace

std::optional<Delta> deltaBeyond(std::string_view previous, std::string_view now, const DeltaRule &rule)
{
    const auto before = plainNumber(previous);
    const auto after = plainNumber(now);
    if (!before || !after)
        return std::nullopt;
    Delta d;
    d.previous = *before;
    d.now = *after;
    d.change = *after - *before;
    if (*before != 0)
        d.percent = d.change / std::fabs(*before) * 100.0;
    const bool byAbsolute = rule.absolute && beyond(std::fabs(d.change), std::fabs(*rule.absolute));
    const bool byPercent = rule.percent && d.percent && beyond(std::fabs(*d.percent), std::fabs(*rule.percent));
    if (!byAbsolute && !byPercent)
        return std::nullopt;
    return d;
}

std::string changeText(const Delta &delta, std::string_view previous, std::string_view now)
{
    const char *sign = delta.change < 0 ? "-" : "+";
    char buffer[64];
    if (delta.percent) {
        std::snprintf(buffer, sizeof buffer, "%s%.0f %%", sign, std::round(std::fabs(*delta.percent)));
    } else {
        const int decimals = std::max(decimalsOf(trimBlanks(previous)), decimalsOf(trimBlanks(now)));
        std::snprintf(buffer, sizeof buffer, "%s%.*f", sign, decimals, std::fabs(delta.change));
    }
    return buffer;
}

std::string deltaText(std::string_view previous, std::string_view previousDate, std::string_view now,
                      const Delta &delta)
{
    return "previous " + std::string(trimBlanks(previous)) + " on " + std::string(previousDate) + ", now " +
           std::string(trimBlanks(now)) + " (" + changeText(delta, previous, now) + ")";
}

std::optional<long long> secondsOf(std::string_view text)
{
    const auto date = civilDateOf(text);
    if (!date)
        return std::nullopt;
    int h = 0, m = 0, s = 0;
    if (text.size() >= 16) {
        const std::string time(text.substr(11, 8));
        if (std::sscanf(time.c_str(), "%d:%d:%d", &h, &m, &s) < 2)
            h = m = s = 0;
    }
    using namespace std::chrono;
    const sys_days day{year(date->year) / month(static_cast<unsigned>(date->month)) /
                       std::chrono::day(static_cast<unsigned>(date->day))};
    return static_cast<long long>(day.time_since_epoch().count()) * 86400LL + h * 3600LL + m * 60LL + s;
}

} // namespace labdb
