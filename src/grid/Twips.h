#pragma once

#include <QSizeF>

namespace viVavazuruv::grid {

// Layout numbers the picker inherited are in twips: 1440 to a logical inch.
// Every conversion to and from pixels goes through here, so the whole window
// scales with the primary screen's logical DPI (96 when there is no screen).
inline constexpr double TwipsPerInch = 1440.0;
inline constexpr double FallbackDpi = 96.0;

// Logical dots per inch of the primary screen.
double screenDpiX();
double screenDpiY();

// The conversions at a given DPI. Pixels are rounded to the nearest whole
// pixel and clamped to the int range; NaN becomes 0.
int twipsToPixels(double twips, double dpi);
double pixelsToTwips(double pixels, double dpi);

int twipsToPixelsX(double twips);
int twipsToPixelsY(double twips);
double pixelsToTwipsX(double pixels);
double pixelsToTwipsY(double pixels);

// Size of the primary screen in twips (its whole geometry, and the part not
// taken by panels and task bars). 1024 x 768 pixels when there is no screen.
QSizeF screenSizeTwips();
QSizeF availableScreenSizeTwips();

} // namespace viVavazuruv::grid
