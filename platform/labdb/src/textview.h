#pragma once
// Reading typed text: the blanks around it, how it begins.

#include <string_view>

namespace labdb {

// Without the spaces and tabs around it.
inline std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

inline bool startsWith(std::string_view s, std::string_view head)
{
    return s.substr(0, head.size()) == head;
}

} // namespace labdb
