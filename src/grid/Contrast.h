#pragma once

#include <QColor>

namespace viVavazuruv::grid {

// Contrast of text against its background as WCAG 2.1 measures it, from
// 1 (the same colour) to 21 (black on white); text that is partly
// transparent is measured as it shows on the background. Normal text wants
// 4.5, a focus frame 3.
double contrastRatio(const QColor& text, const QColor& background);

// The background made darker (lighter, under dark text) in small steps until
// text on it has at least the contrast asked for; unchanged when it has it.
QColor withContrast(const QColor& background, const QColor& text, double minimum);

inline constexpr double kTextContrast = 4.5;

} // namespace viVavazuruv::grid
