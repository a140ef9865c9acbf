#pragma once
// The pick lists of one screen, read through the shared connection. Each list procedure is read
// once per mode with every list in one call, so a screen with twenty combos pays two round trips
// instead of forty; combos loaded later on the same screen are served from what was read.

#include <controls/picklistcombo.h>

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace corvane {

class ScreenPickLists : public PickListSource {
public:
    QStringList values(const QString &database, const QString &procedure, const QString &mode,
                       const QString &listNumber) override;

private:
    // (database, procedure, mode) -> list number -> entries in order
    QHash<QString, QHash<QString, QStringList>> m_read;
};

// The steps every pick-list screen runs per combo: connect it to the screen's lists in LABORATORY
// and load the list with mode "0", then mode "1".
void loadPickList(PickListCombo &combo, const std::shared_ptr<ScreenPickLists> &lists, const char *procedure,
                  int listNumber);

// The screen's pick-list array NAME_0, NAME_1 ... in index order, so code can say xCbo(i).
QList<PickListCombo *> pickListArray(QWidget &screen, const char *name);

// The pick-list combo that holds the widget (a combo's own line edit counts), or null.
PickListCombo *pickListOf(QObject *watched);

} // namespace corvane
