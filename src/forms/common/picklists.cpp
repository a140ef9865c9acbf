#include "forms/common/picklists.h"

#include "session/sessioncontext.h"

namespace corvane {

QStringList ScreenPickLists::values(const QString &database, const QString &procedure, const QString &mode,
                                    const QString &listNumber)
{
    const QString key = database + QLatin1Char('.') + procedure.toLower() + QLatin1Char('.') + mode;
    auto read = m_read.find(key);
    if (read == m_read.end()) {
        // An empty list number asks the procedure for every list of the mode at once.
        Command c = Command::fromText(database + QStringLiteral("..") + procedure);
        c << " '" << mode << "', ''";
        Recordset rs = SessionContext::current().db().query(c);
        QHash<QString, QStringList> lists;
        for (; !rs.eof(); rs.moveNext())
            lists[rs.field(QStringLiteral("ListNo")).toStringOr()].append(
                rs.field(QStringLiteral("ResultValue")).toStringOr());
        read = m_read.insert(key, lists);
    }
    return read->value(listNumber);
}

void loadPickList(PickListCombo &combo, const std::shared_ptr<ScreenPickLists> &lists, const char *procedure,
                  int listNumber)
{
    if (!combo.isConnected())
        combo.connectTo(lists, QStringLiteral("LABORATORY"));
    const QString name = QString::fromLatin1(procedure);
    const QString number = QString::number(listNumber);
    combo.load(name, QStringLiteral("0"), number);
    combo.load(name, QStringLiteral("1"), number);
}

QList<PickListCombo *> pickListArray(QWidget &screen, const char *name)
{
    QList<PickListCombo *> combos;
    while (auto *combo = screen.findChild<PickListCombo *>(QLatin1String(name) + QStringLiteral("_%1").arg(combos.size())))
        combos.append(combo);
    return combos;
}

PickListCombo *pickListOf(QObject *watched)
{
    for (QObject *o = watched; o; o = o->parent()) {
        if (auto *combo = qobject_cast<PickListCombo *>(o))
            return combo;
        if (o->isWidgetType() && static_cast<QWidget *>(o)->isWindow())
            break;
    }
    return nullptr;
}

} // namespace corvane
