#pragma once
// The analyser receiver and its tools, for the laboratory's IT staff:
//   labhost analyser CONFIG                     receive from every analyser the file names, until stopped
//   labhost analyser-unmatched [--source DS]    results waiting for their sample label or test mapping
//   labhost analyser-rematch [--source DS]      store those that can be placed now
//   labhost analyser-send {--astm|--hl7} HOST:PORT FILE [--corrupt-frame N] [--corrupt-always]
//                         [--drop-after N] [--delay MS]   play a message file as an analyser would

#include <QStringList>

namespace labhost {

bool isAnalyserTool(const QString &command);
// Runs the tool; args follow the command name. Returns the process exit code.
int analyserTool(int argc, char *argv[], const QString &command, const QStringList &args);

} // namespace labhost
