#include "Contrast.h"

#include <algorithm>
#include <cmath>

namespace viVavazuruv::grid {

namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

// colour moved step hundredths of the way to target.
QColor towards(const QColor& colour, const QColor& target, int step) {
    const double t = step / 100.0;
    const QColor a = colour.toRgb(), b = target.toRgb();
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t), a.alphaF());
}

} // namespace

double contrastRatio(const QColor& text, const QColor& background) {
    // Text that is partly transparent shows as its blend with the background
    // (a placeholder's half-transparent black is grey).
    const QColor shown = towards(background, text.toRgb(), int(std::lround(text.alphaF() * 100)));
    const double a = luminance(shown), b = luminance(background);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor withContrast(const QColor& background, const QColor& text, double minimum) {
    // Light text wants a darker background, dark text a lighter one.
    const QColor target = luminance(text) > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
    QColor candidate = background;
    for (int step = 1; step <= 100 && contrastRatio(text, candidate) < minimum; ++step)
        candidate = towards(background, target, step);
    return candidate;
}

} // namespace viVavazuruv::grid
