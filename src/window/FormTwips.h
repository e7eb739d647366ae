#pragma once

#include <platform/Twips.h>

#include <QtGlobal>

// The window's whole-twip view of the platform conversions: layout values
// are whole twips, so results are rounded once here.
namespace viVavazuruv::twips {

inline int twipsToPixelsX(double value) {
    return platform::twipsToPixelsX(value);
}
inline int twipsToPixelsY(double value) {
    return platform::twipsToPixelsY(value);
}
inline qint32 pixelsToTwipsX(int pixels) {
    return qRound(platform::pixelsToTwipsX(pixels));
}
inline qint32 pixelsToTwipsY(int pixels) {
    return qRound(platform::pixelsToTwipsY(pixels));
}
inline qint32 screenHeightTwips() {
    return qRound(platform::screenSizeTwips().height());
}
inline qint32 screenWidthTwips() {
    return qRound(platform::screenSizeTwips().width());
}

} // namespace viVavazuruv::twips
