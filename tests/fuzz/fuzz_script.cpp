// A scripted session's text through the script reader. Besides never crashing, what the reader
// returns must come back unchanged when written again with every word quoted, as a tool that
// generates scripts writes them.

#include "scriptparse.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString quotedWord(QString word)
{
    return QLatin1Char('"') + word.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

void require(bool holds, const labhost::ScriptLine &line, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "broken: %s at line %d [%s]\n", what, line.number, qPrintable(line.source));
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString script = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::vector<labhost::ScriptLine> lines = labhost::parseScript(script);
    const qsizetype lineCount = script.count(QLatin1Char('\n')) + 1;
    int previous = 0;
    for (const labhost::ScriptLine &line : lines) {
        require(line.number > previous && line.number <= lineCount, line, "lines numbered in order");
        previous = line.number;
        require(!line.verb.isEmpty(), line, "every line read has a verb");
        require(line.args.size() == line.quoted.size(), line, "one quoted flag per argument");

        QStringList words;
        if (!line.window.isEmpty())
            words << quotedWord(line.window + QLatin1Char(':'));
        words << quotedWord(line.verb);
        for (const QString &arg : line.args)
            words << quotedWord(arg);
        const labhost::ScriptLine again = labhost::parseScriptLine(line.number, words.join(QLatin1Char(' ')));
        require(again.window == line.window, line, "the window survives quoting");
        require(again.verb == line.verb, line, "the verb survives quoting");
        require(again.args == line.args, line, "the arguments survive quoting");
    }
    return 0;
}
