#pragma once
// One client's session on the laboratory server: runs the text commands of the component, both
// stored-procedure calls and ad-hoc statements in the original server's dialect.

#include "labdb/command.h"
#include "labdb/driver.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>

namespace labdb {

struct Plan;

// How the interpreter reads a command, without running it: the procedure it calls or the statement
// it becomes on the driver's backend, and the values bound to it in order. Throws DbError as a run
// of the same text would.
struct CommandReading {
    std::string procedure; // empty for an ad-hoc statement
    std::string sql;       // empty for a procedure call
    std::vector<Value> params;
    bool writes = false;
};
CommandReading readCommand(const CommandText &command, const Driver &driver);

class Session {
public:
    // Takes the connection and brings the schema up to date.
    explicit Session(std::unique_ptr<Driver> driver);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    ResultSet execute(const CommandText &command);
    ResultSet execute(std::string_view rawText) { return execute(CommandText::fromText(rawText)); }

    void begin();
    void commit();
    void rollback();
    bool inTransaction() const;

    // Who is working: written with every audited command.
    void setAuditUser(std::string employeeCode) { m_auditUser = std::move(employeeCode); }
    const std::string &auditUser() const { return m_auditUser; }

    // A save procedure wrote results of this request: its logbook row's version advances, once per
    // transaction, stamped with the audit user and the server time.
    void noteSavedResult(const std::string &requestNum);

    Driver &driver() { return *m_driver; }

private:
    const Plan &planFor(const CommandText &command);
    void audit(const CommandText &command);

    std::unique_ptr<Driver> m_driver;
    std::unordered_map<std::string, std::unique_ptr<Plan>> m_plans;
    std::string m_auditUser;
    std::set<std::string> m_savedInTransaction;
};

} // namespace labdb
