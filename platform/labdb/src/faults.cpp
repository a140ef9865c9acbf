#include "labdb/driver.h"

#include <atomic>
#include <mutex>

namespace labdb {

namespace {

std::atomic<bool> g_armed{false};
std::atomic<bool> g_struck{false};
std::mutex g_mutex;
int g_statement = 0;
Fault g_fault = Fault::ServerError;

} // namespace

void armFault(int statement, Fault fault)
{
    const std::lock_guard lock(g_mutex);
    g_statement = statement;
    g_fault = fault;
    g_struck = false;
    g_armed = statement > 0;
}

void disarmFault()
{
    const std::lock_guard lock(g_mutex);
    g_armed = false;
}

bool faultStruck()
{
    return g_struck;
}

void Driver::faultOnBegin()
{
    m_faultAt = 0;
    if (!g_armed.load(std::memory_order_relaxed))
        return;
    const std::lock_guard lock(g_mutex);
    if (!g_armed)
        return;
    g_armed = false;
    m_faultAt = g_statement;
    m_faultSeen = 0;
    m_faultLoses = g_fault == Fault::LostConnection;
}

void Driver::strikeIfDue()
{
    if (++m_faultSeen < m_faultAt)
        return;
    const int at = m_faultAt;
    m_faultAt = 0;
    g_struck = true;
    if (m_faultLoses)
        loseConnection();
    else
        throw DbError("Injected fault at statement " + std::to_string(at) + " of the transaction.");
}

void Driver::loseConnection()
{
    throw DbError("The connection to the laboratory database was lost.", DbError::Kind::Connection);
}

} // namespace labdb
