#include "labdb/procedures.h"

#include "labdb/session.h"
#include "fluids_parts.h"
#include "packages_parts.h"
#include "clinical_parts.h"
#include "delta_parts.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace labdb {

namespace {

constexpr std::array<std::pair<std::string_view, Database>, 4> kDatabases{{
    {"laboratory", Database::Laboratory},
    {"patient_data", Database::PatientData},
    {"build_file", Database::BuildFile},
    {"inventory", Database::Inventory},
}};

std::string keyFor(Database db, std::string_view name)
{
    return std::string(databaseName(db)) + "." + toLower(name);
}

// Reads an unsigned number of at most maxDigits digits.
bool readNumber(std::string_view s, std::size_t &pos, int maxDigits, int &out)
{
    int digits = 0;
    out = 0;
    while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && digits < maxDigits) {
        out = out * 10 + (s[pos] - '0');
        ++pos;
        ++digits;
    }
    return digits > 0;
}

void skipBlanks(std::string_view s, std::size_t &pos)
{
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
}

bool validDate(int y, int m, int d)
{
    static constexpr std::array<int, 12> days{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1753 || y > 9999 || m < 1 || m > 12 || d < 1 || d > days[static_cast<std::size_t>(m - 1)])
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return !(m == 2 && d == 29 && !leap);
}

} // namespace

std::optional<Database> databaseByName(std::string_view name)
{
    for (const auto &[n, db] : kDatabases) {
        if (iequals(n, name))
            return db;
    }
    return std::nullopt;
}

std::string_view databaseName(Database db)
{
    for (const auto &[n, d] : kDatabases) {
        if (d == db)
            return n;
    }
    return "laboratory";
}

// Two screens giving one procedure their own bodies would leave one of them saving through the
// other's: refused when the registry is built, not found out from wrong rows later.
void ProcedureRegistry::add(ProcDef def)
{
    std::string key = keyFor(def.db, def.name);
    if (m_defs.contains(key))
        throw std::logic_error("The procedure " + def.name + " is registered twice.");
    m_defs.emplace(std::move(key), std::move(def));
}

const ProcDef *ProcedureRegistry::find(Database db, std::string_view name) const
{
    const auto it = m_defs.find(keyFor(db, name));
    return it == m_defs.end() ? nullptr : &it->second;
}

std::vector<const ProcDef *> ProcedureRegistry::all() const
{
    std::vector<const ProcDef *> out;
    out.reserve(m_defs.size());
    for (const auto &entry : m_defs)
        out.push_back(&entry.second);
    return out;
}

void ScalarFunctionRegistry::add(ScalarFunctionDef def)
{
    std::string key = keyFor(def.db, def.name);
    m_defs.insert_or_assign(std::move(key), std::move(def));
}

const ScalarFunctionDef *ScalarFunctionRegistry::find(Database db, std::string_view name) const
{
    const auto it = m_defs.find(keyFor(db, name));
    return it == m_defs.end() ? nullptr : &it->second;
}

const ScalarFunctionRegistry &scalarFunctions()
{
    static const ScalarFunctionRegistry registry = [] {
        ScalarFunctionRegistry r;
        registerChemistryFunctions(r);
        return r;
    }();
    return registry;
}

const ProcedureRegistry &procedures()
{
    static const ProcedureRegistry registry = [] {
        ProcedureRegistry r;
        registerCoreProcedures(r);
        registerHostProcedures(r);
        registerReagentProcedures(r);
        registerSignOffProcedures(r);
        registerResultProcedures(r);
        registerPathologyProcedures(r);
        registerMicroscopyProcedures(r);
        registerChemistryProcedures(r);
        registerMicrobiologyProcedures(r);
        registerStainProcedures(r);
        registerBloodBankProcedures(r);
        registerExamSetProcedures(r);
        registerInterpretationProcedures(r);
        registerFluidsProcedures(r);
        registerPackagesProcedures(r);
        registerSerologyProcedures(r);
        registerClinicalProcedures(r);
        registerDeltaProcedures(r);
        return r;
    }();
    return registry;
}

void ProcCall::savesResultOf(const std::string &requestNum) const
{
    requireRequest(requestNum);
    session.noteSavedResult(requestNum);
}

void ProcCall::requireRequest(const std::string &requestNum) const
{
    if (sql("SELECT 1 FROM " + t(Database::Laboratory, "tbLabMaster") + " WHERE RequestNum = ?", {requestNum})
            .rows.empty())
        throw DbError("There is no request \"" + requestNum + "\"; nothing was saved.");
}

std::string ProcCall::arg(std::size_t i) const
{
    const Value &v = args.at(i);
    return v ? *v : std::string();
}

std::optional<std::string> parseDateTimeText(std::string_view text)
{
    std::size_t pos = 0;
    skipBlanks(text, pos);
    if (pos == text.size())
        return std::nullopt;
    const auto fail = [&]() -> std::optional<std::string> {
        throw DbError("Conversion failed when converting date and/or time from character string '"
                      + std::string(text) + "'.");
    };

    int y = 0, m = 0, d = 0;
    int a = 0;
    if (!readNumber(text, pos, 4, a))
        return fail();
    if (pos < text.size() && text[pos] == '-') { // yyyy-MM-dd
        y = a;
        ++pos;
        if (!readNumber(text, pos, 2, m) || pos >= text.size() || text[pos] != '-')
            return fail();
        ++pos;
        if (!readNumber(text, pos, 2, d))
            return fail();
        if (pos < text.size() && text[pos] == 'T')
            ++pos;
    } else if (pos < text.size() && text[pos] == '/') { // M/d/yyyy
        m = a;
        ++pos;
        if (!readNumber(text, pos, 2, d) || pos >= text.size() || text[pos] != '/')
            return fail();
        ++pos;
        if (!readNumber(text, pos, 4, y))
            return fail();
    } else {
        return fail();
    }
    if (!validDate(y, m, d))
        return fail();

    int hh = 0, mm = 0, ss = 0;
    skipBlanks(text, pos);
    if (pos < text.size()) {
        if (!readNumber(text, pos, 2, hh) || pos >= text.size() || text[pos] != ':')
            return fail();
        ++pos;
        if (!readNumber(text, pos, 2, mm))
            return fail();
        if (pos < text.size() && text[pos] == ':') {
            ++pos;
            if (!readNumber(text, pos, 2, ss))
                return fail();
            if (pos < text.size() && text[pos] == '.') { // fractions are dropped
                ++pos;
                while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
                    ++pos;
            }
        }
        skipBlanks(text, pos);
        if (pos < text.size()) {
            const std::string_view rest = text.substr(pos, 2);
            if (iequals(rest, "AM") || iequals(rest, "PM")) {
                if (hh < 1 || hh > 12)
                    return fail();
                if (iequals(rest, "AM") && hh == 12)
                    hh = 0;
                else if (iequals(rest, "PM") && hh != 12)
                    hh += 12;
                pos += 2;
            }
            skipBlanks(text, pos);
        }
        if (pos != text.size() || hh > 23 || mm > 59 || ss > 59)
            return fail();
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, hh, mm, ss);
    return std::string(buf);
}

} // namespace labdb
