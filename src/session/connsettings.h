#pragma once
// The per-user connection settings and the connection string built from them.
//
// The settings live in the platform's per-user store (QSettings::NativeFormat, user scope) under
// the organisation "QUORIX Current User", section "Connection". On Linux that is the INI file
// "$XDG_CONFIG_HOME/QUORIX Current User.conf" (~/.config when XDG_CONFIG_HOME is unset); on
// Windows the registry key HKCU\Software\QUORIX Current User\Connection. The host's setup writes
// them; the component only reads.

#include "session/publictypes.h"

#include <QString>

namespace corvane {

struct UserConnectionSettings {
    QString User;
    QString Password;
    QString Server;
    QString Database;

    // Reads the four keys afresh; a missing key reads as "".
    static UserConnectionSettings read();
};

// Settings files may hold a database password: only their owner may read them. Creates the file
// (empty) when missing, so that whatever writes it next keeps the mode.
void keepSettingsPrivate(const QString &fileName);
// One line on standard error, once per file and process, when others may read it.
void warnIfSettingsShared(const QString &fileName);

class ConnSettings {
public:
    static constexpr QLatin1String kApplication{"QUORIX Current User"};
    static constexpr QLatin1String kSection{"Connection"};

    // regUser, regPassword, regServer, regLabDB: that setting as stored. regString: the provider
    // connection string for catalog regSQLdb. Any other value throws ComponentError.
    QString connStr(const regSQLval &regType, const QString &regSQLdb = QString()) const;
};

} // namespace corvane
