#pragma once

#include <grid/Twips.h>

#include <QtGlobal>

#include <algorithm>
#include <cmath>

// The window's whole-twip view of the platform conversions: layout values
// are whole twips, so results are rounded once here.
namespace viVavazuruv::twips {

// The largest distance the window keeps in twips, either way: some 700,000
// screens of 1080 pixels, and far enough from qint32's edge that sums of a
// few layout values never overflow. Larger values (a caller's position of
// 3.4e38, infinity) are taken as this one.
inline constexpr qint32 kMaxTwips = 1'000'000'000;

inline qint32 clampTwips(qint64 value) {
    return qint32(std::clamp<qint64>(value, -kMaxTwips, kMaxTwips));
}

// A caller's position as whole twips: halves to the even neighbour, NaN 0,
// beyond kMaxTwips (infinities included) kMaxTwips.
inline qint32 wholeTwips(double value) {
    if (std::isnan(value))
        return 0;
    return qint32(std::nearbyint(std::clamp(value, -double(kMaxTwips), double(kMaxTwips))));
}

inline int twipsToPixelsX(double value) {
    return grid::twipsToPixelsX(value);
}
inline int twipsToPixelsY(double value) {
    return grid::twipsToPixelsY(value);
}

// Pixels as whole twips, rounded half away from zero, within kMaxTwips.
inline qint32 roundedTwips(double value) {
    if (std::isnan(value))
        return 0;
    return qRound(std::clamp(value, -double(kMaxTwips), double(kMaxTwips)));
}
inline qint32 pixelsToTwipsX(int pixels) {
    return roundedTwips(grid::pixelsToTwipsX(pixels));
}
inline qint32 pixelsToTwipsY(int pixels) {
    return roundedTwips(grid::pixelsToTwipsY(pixels));
}
inline qint32 screenHeightTwips() {
    return roundedTwips(grid::screenSizeTwips().height());
}
inline qint32 screenWidthTwips() {
    return roundedTwips(grid::screenSizeTwips().width());
}

// A window whose outer rectangle (twips) lies off every screen is moved onto
// the nearest screen's available area; left and top change only then.
inline void keepOnAScreen(qint32& left, qint32& top, qint32 width, qint32 height) {
    const int x = twipsToPixelsX(left);
    const int y = twipsToPixelsY(top);
    const QPoint at = grid::keptOnAScreen(x, y, twipsToPixelsX(width), twipsToPixelsY(height));
    if (at.x() != x)
        left = pixelsToTwipsX(at.x());
    if (at.y() != y)
        top = pixelsToTwipsY(at.y());
}

} // namespace viVavazuruv::twips
