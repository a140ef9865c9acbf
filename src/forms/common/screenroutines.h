#pragma once
// Routines every result-entry screen shares. Each takes the screen and reaches its controls by
// name, so a screen that lacks a control simply skips it.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class QCheckBox;
class QKeyEvent;
class QWidget;

namespace corvane {

// fraMedTech is closed to clerks.
void ApplyClerkMode(QWidget &screen);
void SetCommandButtons(QWidget &screen, bool print, bool verify, bool save);
void SetAllCommandButtons(QWidget &screen, bool enabled);
// Who may save, verify and print, from the med tech already recorded for the request.
void ApplyMedTechRights(QWidget &screen);

// The two employee codes that may always save, verify and print. They are site configuration:
// the "SupervisorCodes" key (comma-separated) of section [Rights] in the user's Corvane.ini,
// or the CORVANE_SUPERVISOR_CODES environment variable, which wins.
QStringList supervisorCodes();

// "03/07/2026 02:05 PM": the date-time text of a picker pair in commands.
QString commandDateTime(const QDateTime &at);
// The report date and time of the screens that send them as two values: "03/07/2026" in one fixed
// short format, whatever the workstation's, so the server reads it the same everywhere, and
// "02:05:09 PM".
QString shortDateText(const QDate &date);
QString longTimeText(const QTime &time);

// Either Enter key: the main keyboard's and the keypad's move on alike.
bool isEnterKey(const QKeyEvent *key);

} // namespace corvane
