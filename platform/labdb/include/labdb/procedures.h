#pragma once
// The laboratory server's stored procedures: C++ functions registered by name, each running
// portable SQL through the driver inside the caller's transaction.

#include "labdb/driver.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace labdb {

class Session;

struct ProcCall {
    Driver &db;
    Session &session;
    std::string_view name;
    const std::vector<Value> &args;

    // The i-th argument (0-based) as text; NULL reads as "".
    std::string arg(std::size_t i) const;
    bool isNull(std::size_t i) const { return !args.at(i).has_value(); }
    std::size_t count() const { return args.size(); }
    // Runs portable SQL with "?" placeholders through the driver.
    ResultSet sql(const std::string &sqlText, const std::vector<Value> &params = {}) const
    {
        return db.run(sqlText, params);
    }
    std::string t(Database d, std::string_view table) const { return db.qualify(d, table); }
    // Every procedure that writes a request's results says so, which advances the logbook row's
    // version (screens compare it to tell that someone else saved while they were open).
    void savesResultOf(const std::string &requestNum) const;
    // Refuses a request number that names no request: rows stored under it could never be found
    // again. savesResultOf asks it too.
    void requireRequest(const std::string &requestNum) const;
};

using ProcFn = std::function<ResultSet(ProcCall &)>;

struct ProcDef {
    Database db = Database::Laboratory;
    std::string name;
    int minArgs = 0;
    int maxArgs = 0;
    bool writes = false; // recorded in the audit trail
    ProcFn fn;
};

class ProcedureRegistry {
public:
    void add(ProcDef def);
    // Name compared without regard to case; the database must match the definition's.
    const ProcDef *find(Database db, std::string_view name) const;
    std::vector<const ProcDef *> all() const;

private:
    std::map<std::string, ProcDef> m_defs; // key: "<db>.<lower-case name>"
};

// A scalar function of the server called inside a statement ("Select Laboratory.dbo.fn_X('a') as Y").
// It is written as a portable SQL expression with one "?" per argument, in order, so that it runs
// the same on every backend.
struct ScalarFunctionDef {
    Database db = Database::Laboratory;
    std::string name;
    int args = 0;
    std::function<std::string(const Driver &)> expression;
};

class ScalarFunctionRegistry {
public:
    void add(ScalarFunctionDef def);
    const ScalarFunctionDef *find(Database db, std::string_view name) const;

private:
    std::map<std::string, ScalarFunctionDef> m_defs;
};

const ScalarFunctionRegistry &scalarFunctions();
void registerChemistryFunctions(ScalarFunctionRegistry &r);

// Every procedure the server knows, registered once.
const ProcedureRegistry &procedures();

// Registration functions, one per group of procedures.
void registerCoreProcedures(ProcedureRegistry &r);
void registerHostProcedures(ProcedureRegistry &r);
void registerReagentProcedures(ProcedureRegistry &r);
void registerSignOffProcedures(ProcedureRegistry &r);
void registerResultProcedures(ProcedureRegistry &r);
void registerPathologyProcedures(ProcedureRegistry &r);
void registerMicroscopyProcedures(ProcedureRegistry &r);
void registerChemistryProcedures(ProcedureRegistry &r);
void registerMicrobiologyProcedures(ProcedureRegistry &r);
void registerStainProcedures(ProcedureRegistry &r);
void registerBloodBankProcedures(ProcedureRegistry &r);
void registerExamSetProcedures(ProcedureRegistry &r);
void registerInterpretationProcedures(ProcedureRegistry &r);
void registerSerologyProcedures(ProcedureRegistry &r);

// Helpers for procedures.
// Parses the date-time texts the component sends ("03/07/2026 02:05 PM", "3/7/2026 2:05:00 PM",
// "03/07/2026", ISO) into "yyyy-MM-dd HH:mm:ss"; nullopt for an empty text; throws DbError for
// text that is no date.
std::optional<std::string> parseDateTimeText(std::string_view text);

} // namespace labdb
