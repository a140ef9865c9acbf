#pragma once
// The per-user settings store moved to a private folder for one test, holding the connection the
// component reads from the host's "QUORIX Current User" keys.

#include "support/dbfixture.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace testsupport {

class UserSettings {
public:
    UserSettings()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    bool isValid() const { return m_dir.isValid(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    static void storeConnection(const QString &server, const QString &user, const QString &password)
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("QUORIX Current User"));
        s.beginGroup(QStringLiteral("Connection"));
        s.setValue(QStringLiteral("Server"), server);
        s.setValue(QStringLiteral("User"), user);
        s.setValue(QStringLiteral("Password"), password);
        s.setValue(QStringLiteral("Database"), QStringLiteral("LABORATORY"));
        s.endGroup();
        s.sync();
        // As the product writes it: only its owner may read a file that can hold a password.
        QFile(s.fileName()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    static void storeConnection(const TempDatabase &db)
    {
        storeConnection(QString::fromStdString(db.dataSource()), QString::fromStdString(db.target().user),
                        QString::fromStdString(db.target().password));
    }

private:
    QTemporaryDir m_dir;
};

} // namespace testsupport
