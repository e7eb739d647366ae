#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

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

QPoint keptOnAScreen(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height) {
    constexpr std::int64_t lowest = std::numeric_limits<int>::min();
    constexpr std::int64_t highest = std::numeric_limits<int>::max();
    const QPoint given(int(std::clamp(x, lowest, highest)), int(std::clamp(y, lowest, highest)));
    if (!primaryScreen())
        return given;
    width = std::max<std::int64_t>(width, 1);
    height = std::max<std::int64_t>(height, 1);
    // The distance from the window to an area along one axis, 0 when they overlap on it.
    const auto gap = [](std::int64_t from, std::int64_t size, std::int64_t areaFrom, std::int64_t areaSize) {
        if (from + size <= areaFrom)
            return double(areaFrom - (from + size) + 1);
        if (from >= areaFrom + areaSize)
            return double(from - (areaFrom + areaSize) + 1);
        return 0.0;
    };
    std::optional<QRect> nearest;
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        if (area.isEmpty())
            continue;
        const double dx = gap(x, width, area.x(), area.width());
        const double dy = gap(y, height, area.y(), area.height());
        if (dx == 0.0 && dy == 0.0)
            return given;
        if (const double distance = std::hypot(dx, dy); distance < nearestDistance) {
            nearestDistance = distance;
            nearest = area;
        }
    }
    if (!nearest)
        return given;
    const auto into = [](std::int64_t from, std::int64_t size, std::int64_t areaFrom, std::int64_t areaSize) {
        return int(std::clamp(from, areaFrom, std::max(areaFrom, areaFrom + areaSize - size)));
    };
    return QPoint(into(x, width, nearest->x(), nearest->width()),
                  into(y, height, nearest->y(), nearest->height()));
}

} // namespace viVavazuruv::grid
