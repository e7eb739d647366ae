#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <limits>

namespace viVavazuruv::grid {

namespace {

const QScreen* primaryScreen() {
    // No QGuiApplication (a console tool) means no screen: fall back.
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen()
                                                                        : nullptr;
}

double usableDpi(double dpi) {
    return std::isfinite(dpi) && dpi > 0.0 ? dpi : FallbackDpi;
}

const QSize FallbackScreenPixels(1024, 768);

} // namespace

double screenDpiX() {
    const QScreen* screen = primaryScreen();
    return usableDpi(screen ? screen->logicalDotsPerInchX() : FallbackDpi);
}

double screenDpiY() {
    const QScreen* screen = primaryScreen();
    return usableDpi(screen ? screen->logicalDotsPerInchY() : FallbackDpi);
}

int twipsToPixels(double twips, double dpi) {
    const double pixels = std::round(twips * usableDpi(dpi) / TwipsPerInch);
    if (std::isnan(pixels))
        return 0;
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(pixels, lowest, highest));
}

double pixelsToTwips(double pixels, double dpi) {
    return pixels * TwipsPerInch / usableDpi(dpi);
}

int twipsToPixelsX(double twips) {
    return twipsToPixels(twips, screenDpiX());
}

int twipsToPixelsY(double twips) {
    return twipsToPixels(twips, screenDpiY());
}

double pixelsToTwipsX(double pixels) {
    return pixelsToTwips(pixels, screenDpiX());
}

double pixelsToTwipsY(double pixels) {
    return pixelsToTwips(pixels, screenDpiY());
}

QSizeF screenSizeTwips() {
    const QScreen* screen = primaryScreen();
    const QSize pixels = screen ? screen->geometry().size() : FallbackScreenPixels;
    return {pixelsToTwipsX(pixels.width()), pixelsToTwipsY(pixels.height())};
}

QSizeF availableScreenSizeTwips() {
    const QScreen* screen = primaryScreen();
    const QSize pixels = screen ? screen->availableGeometry().size() : FallbackScreenPixels;
    return {pixelsToTwipsX(pixels.width()), pixelsToTwipsY(pixels.height())};
}

} // namespace viVavazuruv::grid
