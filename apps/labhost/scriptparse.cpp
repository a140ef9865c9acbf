#include "scriptparse.h"

namespace labhost {

ScriptLine parseScriptLine(int number, const QString &text)
{
    ScriptLine line;
    line.number = number;
    line.source = text.trimmed();
    QStringList tokens;
    QList<bool> wasQuoted;
    QString current;
    bool quoted = false, inToken = false, tokenQuoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    current += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                current += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = inToken = tokenQuoted = true;
        } else if (c.isSpace()) {
            if (inToken) {
                tokens << current;
                wasQuoted << tokenQuoted;
            }
            current.clear();
            inToken = tokenQuoted = false;
        } else if (c == QLatin1Char('#') && !inToken) {
            break;
        } else {
            current += c;
            inToken = true;
        }
    }
    if (inToken) {
        tokens << current;
        wasQuoted << tokenQuoted;
    }
    if (!tokens.isEmpty() && tokens.first().endsWith(QLatin1Char(':')) && tokens.first().size() > 1) {
        line.window = tokens.takeFirst().chopped(1);
        wasQuoted.removeFirst();
    }
    if (!tokens.isEmpty()) {
        line.verb = tokens.takeFirst().toLower();
        wasQuoted.removeFirst();
    }
    line.args = tokens;
    line.quoted = wasQuoted;
    return line;
}

std::vector<ScriptLine> parseScript(const QString &script)
{
    std::vector<ScriptLine> lines;
    const QStringList texts = script.split(QLatin1Char('\n'));
    for (int i = 0; i < texts.size(); ++i) {
        ScriptLine l = parseScriptLine(i + 1, texts[i]);
        if (!l.verb.isEmpty())
            lines.push_back(std::move(l));
    }
    return lines;
}

} // namespace labhost
