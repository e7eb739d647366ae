#pragma once

#include <QPoint>
#include <QSizeF>

#include <cstdint>

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

// Where a window whose outer rectangle (pixels, size at least 1 x 1) should
// open: where it is when it lies at least partly on some screen's available
// area (or there is no screen at all); otherwise on the available area of the
// nearest screen, as much of the window on it as fits, moved no further than
// that takes.
QPoint keptOnAScreen(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height);

} // namespace viVavazuruv::grid
