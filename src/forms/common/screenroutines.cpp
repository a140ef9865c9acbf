#include "forms/common/screenroutines.h"

#include "session/connsettings.h"
#include "session/sessioncontext.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLocale>
#include <QProcessEnvironment>
#include <QSettings>
#include <QWidget>

namespace corvane {

namespace {

void setEnabled(QWidget &screen, const char *name, bool enabled)
{
    if (auto *w = screen.findChild<QWidget *>(QLatin1String(name)))
        w->setEnabled(enabled);
}

QString firstField(const Command &command, const char *column)
{
    Recordset rs = SessionContext::current().db().query(command);
    const QString value = rs.eof() ? QString() : rs.field(QLatin1String(column)).toStringOr();
    rs.close();
    return value;
}

} // namespace

void ApplyClerkMode(QWidget &screen)
{
    setEnabled(screen, "fraMedTech", !SessionContext::current().Clerk);
}

void SetCommandButtons(QWidget &screen, bool print, bool verify, bool save)
{
    setEnabled(screen, "cmdPrint", print);
    setEnabled(screen, "cmdVerify", verify);
    setEnabled(screen, "cmdSave", save);
}

void SetAllCommandButtons(QWidget &screen, bool enabled)
{
    SetCommandButtons(screen, enabled, enabled, enabled);
}

void ApplyMedTechRights(QWidget &screen)
{
    SessionContext &s = SessionContext::current();
    const QString request = s.RequestNum.trimmed();
    // The verifier is read as the original did, though only the performing med tech decides.
    firstField(Command("LABORATORY..Lab_GetVerifiedMedtech '") << request << "'", "VerifyID");
    const QString medTech = firstField(Command("LABORATORY..Lab_GetSelectedMedtech '") << request << "'", "MedTechID");

    const bool supervisor = supervisorCodes().contains(s.EmployeeCode.trimmed());
    const bool mayOverwrite = supervisor || medTech.trimmed().isEmpty();
    setEnabled(screen, "cmdSave", mayOverwrite);
    // Clerk mode was applied first and is not undone here: a clerk never signs off.
    setEnabled(screen, "fraMedTech", !s.Clerk);
    setEnabled(screen, "cmdVerify", true);
    setEnabled(screen, "cmdPrint", true);
}

QStringList supervisorCodes()
{
    QString codes = QProcessEnvironment::systemEnvironment().value(QStringLiteral("CORVANE_SUPERVISOR_CODES"));
    if (codes.isEmpty()) {
        const QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Corvane"));
        warnIfSettingsShared(settings.fileName());
        codes = settings.value(QStringLiteral("Rights/SupervisorCodes")).toString();
    }
    QStringList out;
    for (const QString &code : codes.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (!code.trimmed().isEmpty())
            out << code.trimmed();
    }
    return out;
}

QString commandDateTime(const QDateTime &at)
{
    return QLocale::c().toString(at, QStringLiteral("MM/dd/yyyy hh:mm AP"));
}

QString shortDateText(const QDate &date)
{
    return date.toString(QStringLiteral("MM/dd/yyyy"));
}

QString longTimeText(const QTime &time)
{
    return QLocale::c().toString(time, QStringLiteral("hh:mm:ss AP"));
}

bool isEnterKey(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace corvane
