// labhost: stands in for the hospital's laboratory module, which hosts the result-entry component.

#include "console.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString command = args.value(0);

    if (command == QLatin1String("init-demo") || command == QLatin1String("sql")) {
        QCoreApplication app(argc, argv);
        return command == QLatin1String("sql") ? labhost::sqlConsole(args.mid(1)) : labhost::initDemo(args.mid(1));
    }
    QTextStream(stderr) << "usage: labhost init-demo DIR | labhost sql [--source DATASOURCE] COMMAND\n";
    return 2;
}
