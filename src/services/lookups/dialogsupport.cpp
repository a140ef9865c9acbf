#include "services/lookups/dialogsupport.h"

#include <QKeyEvent>
#include <QTableWidget>

namespace corvane {

int twipsToPixelsX(const QWidget &widget, double twips)
{
    return qRound(twips * widget.logicalDpiX() / 1440.0);
}

int twipsToPixelsY(const QWidget &widget, double twips)
{
    return qRound(twips * widget.logicalDpiY() / 1440.0);
}

QString currentRowText(const QTableWidget &grid, int column)
{
    const int row = grid.currentRow();
    const QTableWidgetItem *item = row >= 0 ? grid.item(row, column) : nullptr;
    return item ? item->text() : QString();
}

bool isEnterPress(const QEvent &event)
{
    if (event.type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent &>(event).key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace corvane
