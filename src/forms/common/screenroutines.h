#pragma once
// Routines every result-entry screen shares. Each takes the screen and reaches its controls by
// name, so a screen that lacks a control simply skips it.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class QCheckBox;
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

// "0|1|0|" style groups: each part's numeric value, as many as there are parts.
QList<bool> splitGroup(const QString &stored);
// A group of check boxes stored as one text, each box's 0 or 1 in index order: "1|0|1".
QString checkGroupText(const QList<QCheckBox *> &boxes);
// The boxes from such a text, as many as it has parts; a text without "|" leaves them as they are.
void setCheckGroup(const QList<QCheckBox *> &boxes, const QString &stored);

} // namespace corvane
