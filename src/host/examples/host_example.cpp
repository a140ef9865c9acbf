// How a host drives the component: create the object by its class identity, say who is working,
// open one request. Usage: host_example REQUESTNUM [INTRESULT]
// The connection comes from the per-user settings ("QUORIX Current User", section "Connection").

#include "host/clsresultentry.h"
#include "host/objectregistry.h"

#include <QApplication>
#include <QTextStream>

#include <exception>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: host_example REQUESTNUM [INTRESULT]\n";
        return 2;
    }

    try {
        std::unique_ptr<QObject> object = corvane::createObject(QStringLiteral("Corvane.clsResultEntry"));
        auto *entry = qobject_cast<corvane::clsResultEntry *>(object.get());

        entry->setEmployeeCode(QStringLiteral("0042"));
        entry->setEmployeeName(QStringLiteral("DELA CRUZ, MARIA"));
        entry->setCanVerify(true);
        entry->setVerifyMode(false);
        entry->setEditMode(false);
        entry->setClerk(false);
        entry->setEntryMode(1);

        QString requestNum = args.at(1);
        qint16 intResult = args.size() > 2 ? static_cast<qint16>(args.at(2).toShort()) : qint16(0);
        // Top and Left in twips; omitted they are 2350 and 100.
        entry->Show_ResultEntry(requestNum, intResult, 1200, 600.0);
    } catch (const std::exception &e) {
        QTextStream(stderr) << "Result entry failed: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
