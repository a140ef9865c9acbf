#pragma once
// The text of a scripted session, read into lines without touching any window, so that a script
// can be checked (and fuzzed) apart from the screens it drives.

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace labhost {

struct ScriptLine {
    int number = 0;
    QString window; // "frmMedTech" in "frmMedTech: click cmdFinish"
    QString verb;
    QStringList args;
    QList<bool> quoted; // per argument: written in quotes
    QString source;
};

// Splits one script line; quoted arguments may hold blanks ("" for a quote inside), and a "#"
// outside a word starts a comment.
ScriptLine parseScriptLine(int number, const QString &text);

// Every line of a script that has a verb, numbered as in the text.
std::vector<ScriptLine> parseScript(const QString &script);

} // namespace labhost
