#include "ColumnWidths.h"

#include <QFontMetricsF>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace viVavazuruv::grid {

double averageCharWidth(const QWidget& view) {
    const double width = QFontMetricsF(view.font()).averageCharWidth();
    return width > 0 ? width : 7.0;
}

double columnSlack(const QWidget& view) {
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    return 2.0 * margin + QFontMetricsF(view.font()).horizontalAdvance(QLatin1Char('W'));
}

int pixelsOfChars(const QWidget& view, double chars) {
    return std::max(1, qRound(chars * averageCharWidth(view) + columnSlack(view)));
}

double charsOfPixels(const QWidget& view, int pixels) {
    return std::max(0.0, (pixels - columnSlack(view)) / averageCharWidth(view));
}

} // namespace viVavazuruv::grid
