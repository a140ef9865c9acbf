#pragma once
// Small helpers the stored procedures share.

#include "labdb/procedures.h"
#include "textview.h"

#include <string>

namespace labdb::helpers {

// The original server ignores trailing blanks when it compares keys; store and look up without them.
inline std::string keyArg(const ProcCall &call, std::size_t i)
{
    std::string s = call.arg(i);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    return s;
}

inline std::string trimmed(const std::string &s)
{
    return std::string(trimBlanks(s));
}

inline std::string textOf(const Value &v)
{
    return v ? *v : std::string();
}

// "Maria L. Santos, M.D.": how reports and the sign-off dialog name a doctor.
inline std::string doctorName(const std::string &first, const std::string &middle, const std::string &last)
{
    if (first.empty() && last.empty())
        return {};
    std::string out = first;
    if (!middle.empty())
        out += (out.empty() ? "" : " ") + middle.substr(0, 1) + ".";
    if (!last.empty())
        out += (out.empty() ? "" : " ") + last;
    return out + ", M.D.";
}

// mode, list number: the entries of one pick list (mode "0" the usual ones, "1" the others), or of
// every list when the number is empty, with the list number beside each; the lists of all the
// pick-list screens share one table, told apart by the list name.
ResultSet loadListValues(ProcCall &call, const char *listName);

} // namespace labdb::helpers
