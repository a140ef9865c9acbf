#include "session/sessioncontext.h"

#include "session/errors.h"

#include <QString>

namespace corvane {

SessionContext &SessionContext::current()
{
    thread_local SessionContext context;
    return context;
}

corvane::Connection &SessionContext::db()
{
    if (!Connection)
        throw ComponentError(QStringLiteral("The database connection is not open."));
    return *Connection;
}

void SessionContext::ReadConnectionSettings()
{
    const UserConnectionSettings s = UserConnectionSettings::read();
    DbUser = s.User;
    DbPassword = s.Password;
    DbServer = s.Server;
}

bool SessionContext::HasDefaultReagent() const
{
    return !ReagentID.trimmed().isEmpty();
}

} // namespace corvane
