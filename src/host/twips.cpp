#include "host/twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace corvane {

int twipsToPixels(double twips, qreal dotsPerInch)
{
    return qRound(twips * dotsPerInch / kTwipsPerInch);
}

PixelPosition screenPositionFromTwips(double topTwips, double leftTwips)
{
    qreal dpiX = 96.0;
    qreal dpiY = 96.0;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        dpiX = screen->logicalDotsPerInchX();
        dpiY = screen->logicalDotsPerInchY();
    }
    return PixelPosition{twipsToPixels(topTwips, dpiY), twipsToPixels(leftTwips, dpiX)};
}

} // namespace corvane
