#pragma once
// The host gives screen positions in twips (1440 to the inch); windows are placed in pixels.

#include <QtGlobal>

namespace corvane {

inline constexpr double kTwipsPerInch = 1440.0;

int twipsToPixels(double twips, qreal dotsPerInch);

struct PixelPosition {
    int top = 0;
    int left = 0;
};

// At the primary screen's logical DPI (96 without a screen).
PixelPosition screenPositionFromTwips(double topTwips, double leftTwips);

} // namespace corvane
