#include "session/connsettings.h"

#include "session/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QTextStream>
#include <QStringList>

namespace corvane {

namespace {

QString readKey(const QSettings &settings, const QString &key)
{
    const QVariant value = settings.value(key);
    // An INI value with unquoted commas comes back as a list; the host meant the whole text.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

} // namespace

void keepSettingsPrivate(const QString &fileName)
{
    QFile file(fileName);
    if (!file.exists()) {
        QDir().mkpath(QFileInfo(fileName).absolutePath());
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.close();
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

void warnIfSettingsShared(const QString &fileName)
{
    static QSet<QString> warned;
    const QFileInfo info(fileName);
    if (!info.exists() || warned.contains(info.absoluteFilePath()))
        return;
    const QFile::Permissions shared = QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther;
    if (info.permissions() & shared) {
        warned.insert(info.absoluteFilePath());
        QTextStream(stderr) << "Warning: " << info.absoluteFilePath()
                            << " may hold a password and others can read it; run: chmod 600 \""
                            << info.absoluteFilePath() << "\"\n";
    }
}

UserConnectionSettings UserConnectionSettings::read()
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QString(ConnSettings::kApplication));
    warnIfSettingsShared(settings.fileName());
    const QString prefix = QString(ConnSettings::kSection) + QLatin1Char('/');
    UserConnectionSettings s;
    s.User = readKey(settings, prefix + QLatin1String("User"));
    s.Password = readKey(settings, prefix + QLatin1String("Password"));
    s.Server = readKey(settings, prefix + QLatin1String("Server"));
    s.Database = readKey(settings, prefix + QLatin1String("Database"));
    return s;
}

QString ConnSettings::connStr(const regSQLval &regType, const QString &regSQLdb) const
{
    const UserConnectionSettings s = UserConnectionSettings::read();
    switch (regType) {
    case regUser:
        return s.User;
    case regPassword:
        return s.Password;
    case regServer:
        return s.Server;
    case regLabDB:
        return s.Database;
    case regString: {
        QString text = QStringLiteral("Provider=SQLOLEDB.8");
        // The blank in "Password =" is what the host's installations have always been given.
        if (!s.User.isEmpty())
            text += QLatin1String(";User ID=") + s.User + QLatin1String(";Password =") + s.Password;
        else
            text += QLatin1String(";Integrated Security=SSPI");
        text += QLatin1String(";Persist Security Info=False;Initial Catalog=") + regSQLdb
            + QLatin1String(";Data Source=") + s.Server;
        return text;
    }
    }
    throw ComponentError(QStringLiteral("Invalid procedure call or argument: connStr has no setting %1.")
                             .arg(static_cast<qint32>(regType)));
}

} // namespace corvane
