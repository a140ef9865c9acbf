#include "labdb/clinicalflags.h"
#include "textview.h"

#include <cctype>
#include <utility>
#include <charconv>
#include <chrono>

namespace labdb {

namespace {

bool digit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

// Units may follow a number, but not another number or a separator that makes it a range or list.
bool unitsMayFollow(std::string_view rest)
{
    if (rest.empty())
        return true;
    const auto c = static_cast<unsigned char>(rest.front());
    // "120/80" and "1/2" are pairs of numbers; "/uL" is a unit.
    if (c == '/')
        return rest.size() > 1 && !digit(rest[1]);
    return std::isspace(c) || std::isalpha(c) || c == '%' || c >= 0x80;
}

} // namespace

std::string flagText(Flag flag)
{
    switch (flag) {
    case Flag::Low: return "L";
    case Flag::High: return "H";
    case Flag::CriticalLow: return "LL";
    case Flag::CriticalHigh: return "HH";
    case Flag::None: break;
    }
    return {};
}

std::optional<WrittenValue> readWrittenValue(std::string_view text)
{
    std::string_view s = trim(text);
    WrittenValue out;
    static const std::pair<std::string_view, WrittenValue::Side> comparators[] = {
        {"<=", WrittenValue::Side::AtMost}, {">=", WrittenValue::Side::AtLeast},
        {"\u2264", WrittenValue::Side::AtMost}, {"\u2265", WrittenValue::Side::AtLeast},
        {"<", WrittenValue::Side::Below},   {">", WrittenValue::Side::Above},
    };
    for (const auto &[sign, side] : comparators) {
        if (startsWith(s, sign)) {
            out.side = side;
            s = trim(s.substr(sign.size()));
            break;
        }
    }
    std::string number;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        number += s[i++];
    std::size_t digits = 0;
    std::size_t group = 0; // digits since the last thousands comma, or since the start
    bool commas = false;
    for (; i < s.size(); ++i) {
        if (digit(s[i])) {
            number += s[i];
            ++digits;
            ++group;
            continue;
        }
        // A comma with exactly three digits after it, and not a fourth, separates thousands.
        const bool thousands = s[i] == ',' && group >= 1 && (commas || group <= 3) && i + 3 < s.size() &&
                               digit(s[i + 1]) && digit(s[i + 2]) && digit(s[i + 3]) &&
                               (i + 4 == s.size() || !digit(s[i + 4]));
        if (!thousands)
            break;
        commas = true;
        group = 0;
    }
    if (i < s.size() && s[i] == '.') {
        number += '.';
        for (++i; i < s.size() && digit(s[i]); ++i) {
            number += s[i];
            ++digits;
        }
    }
    if (digits == 0 || !unitsMayFollow(s.substr(i)))
        return std::nullopt;
    const char *begin = number.data() + (number.front() == '+' ? 1 : 0);
    const auto [end, ec] = std::from_chars(begin, number.data() + number.size(), out.number, std::chars_format::fixed);
    if (ec != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    return out;
}

Flag judge(std::string_view result, const Limits &limits)
{
    const auto value = readWrittenValue(result);
    if (!value)
        return Flag::None;
    using Side = WrittenValue::Side;
    const double v = value->number;
    // Whether the value is surely beyond the limit, given what the writer claims.
    const auto below = [&](const std::optional<double> &limit) {
        if (!limit)
            return false;
        switch (value->side) {
        case Side::Exact: return v < *limit;
        case Side::Below: return v <= *limit;
        case Side::AtMost: return v < *limit;
        case Side::Above:
        case Side::AtLeast: return false;
        }
        return false;
    };
    const auto above = [&](const std::optional<double> &limit) {
        if (!limit)
            return false;
        switch (value->side) {
        case Side::Exact: return v > *limit;
        case Side::Above: return v >= *limit;
        case Side::AtLeast: return v > *limit;
        case Side::Below:
        case Side::AtMost: return false;
        }
        return false;
    };
    if (below(limits.criticalLow))
        return Flag::CriticalLow;
    if (above(limits.criticalHigh))
        return Flag::CriticalHigh;
    if (below(limits.low))
        return Flag::Low;
    if (above(limits.high))
        return Flag::High;
    return Flag::None;
}

AgeUnit ageUnitOf(std::string_view text)
{
    const std::string_view t = trim(text);
    const char c = t.empty() ? 'Y' : static_cast<char>(std::toupper(static_cast<unsigned char>(t.front())));
    return c == 'D' ? AgeUnit::Days : c == 'M' ? AgeUnit::Months : AgeUnit::Years;
}

std::optional<CivilDate> civilDateOf(std::string_view text)
{
    const std::string_view t = trim(text);
    if (t.size() < 10 || t[4] != '-' || t[7] != '-')
        return std::nullopt;
    CivilDate d;
    const auto part = [&](std::size_t at, std::size_t n, int &into) {
        const auto [end, ec] = std::from_chars(t.data() + at, t.data() + at + n, into);
        return ec == std::errc() && end == t.data() + at + n;
    };
    if (!part(0, 4, d.year) || !part(5, 2, d.month) || !part(8, 2, d.day))
        return std::nullopt;
    const std::chrono::year_month_day ymd{std::chrono::year(d.year), std::chrono::month(static_cast<unsigned>(d.month)),
                                          std::chrono::day(static_cast<unsigned>(d.day))};
    if (!ymd.ok())
        return std::nullopt;
    return d;
}

long completedAge(AgeUnit unit, CivilDate birth, CivilDate on)
{
    using namespace std::chrono;
    if (unit == AgeUnit::Days) {
        const auto days = [](CivilDate d) {
            return sys_days{year(d.year) / month(static_cast<unsigned>(d.month)) / day(static_cast<unsigned>(d.day))};
        };
        return static_cast<long>((days(on) - days(birth)).count());
    }
    long months = (on.year - birth.year) * 12L + (on.month - birth.month);
    if (on.day < birth.day)
        --months;
    return unit == AgeUnit::Months ? months : (months < 0 ? -((-months + 11) / 12) : months / 12);
}

int chooseBand(const std::vector<Band> &bands, std::string_view patientSex, std::optional<CivilDate> birth, CivilDate on)
{
    const auto upper = [](std::string_view s) {
        const std::string_view t = trim(s);
        return t.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(t.front())));
    };
    const char sex = upper(patientSex);
    int both = -1;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const Band &b = bands[i];
        const char rowSex = upper(b.sex);
        const bool forBoth = rowSex == '\0' || rowSex == 'B';
        if (!forBoth && rowSex != sex)
            continue;
        bool fits = !b.from.value_or(0) && !b.to;
        if (birth) {
            const long age = completedAge(b.unit, *birth, on);
            fits = age >= b.from.value_or(0) && (!b.to || age < *b.to);
        }
        if (!fits)
            continue;
        if (!forBoth)
            return static_cast<int>(i);
        if (both < 0)
            both = static_cast<int>(i);
    }
    return both;
}

} // namespace labdb
