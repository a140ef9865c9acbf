#pragma once
// The enumerations and the empty class that the component publishes to its host.

#include <QtGlobal>

namespace corvane {

enum spNames : qint32 {
    SaveToLogbook = 1,
};

// What ConnSettings::connStr returns.
enum regSQLval : qint32 {
    regUser = 1,
    regPassword = 2,
    regServer = 3,
    regString = 4,
    regLabDB = 5,
};

// Published for the host's sake; it has no members.
class clsQuery {};

} // namespace corvane
