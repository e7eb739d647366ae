#pragma once

#include <grid/Twips.h>

#include <QtGlobal>

// The window's whole-twip view of the platform conversions: layout values
// are whole twips, so results are rounded once here.
namespace viVavazuruv::twips {

inline int twipsToPixelsX(double value) {
    return grid::twipsToPixelsX(value);
}
inline int twipsToPixelsY(double value) {
    return grid::twipsToPixelsY(value);
}
inline qint32 pixelsToTwipsX(int pixels) {
    return qRound(grid::pixelsToTwipsX(pixels));
}
inline qint32 pixelsToTwipsY(int pixels) {
    return qRound(grid::pixelsToTwipsY(pixels));
}
inline qint32 screenHeightTwips() {
    return qRound(grid::screenSizeTwips().height());
}
inline qint32 screenWidthTwips() {
    return qRound(grid::screenSizeTwips().width());
}

} // namespace viVavazuruv::twips
