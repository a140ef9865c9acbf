#include "services/lookups/dialogsupport.h"

namespace corvane {

int twipsToPixelsX(const QWidget &widget, double twips)
{
    return qRound(twips * widget.logicalDpiX() / 1440.0);
}

int twipsToPixelsY(const QWidget &widget, double twips)
{
    return qRound(twips * widget.logicalDpiY() / 1440.0);
}

} // namespace corvane
