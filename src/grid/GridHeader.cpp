#include "GridHeader.h"

#include <QPainter>
#include <QStyleOptionHeader>

namespace viVavazuruv::grid {

namespace {
constexpr int kPadding = 3; // pixels left and right of a caption
constexpr int kLine = 1;    // the line on a section's right and bottom
constexpr int kLineDarker = 130;

QColor colourOf(quint32 rgb) {
    return QColor::fromRgb(QRgb(rgb & 0xFFFFFFu));
}
} // namespace

GridHeader::GridHeader(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent) {
    // As the table view's own headers start.
    setSectionsClickable(true);
    setHighlightSections(true);
}

void GridHeader::setColours(quint32 background, quint32 text) {
    const QColor back = colourOf(background);
    const QColor fore = colourOf(text);
    if (m_coloured && back == m_background && fore == m_text)
        return;
    const bool grown = !m_coloured;
    m_coloured = true;
    m_background = back;
    m_text = fore;
    m_line = back.darker(kLineDarker);
    viewport()->update();
    if (grown && count() > 0) {
        // The sections' own sizes grew by the padding and the line: the
        // header measures itself again, and a view on the screen makes room
        // for it now (one not shown yet lays itself out as it shows).
        headerDataChanged(orientation(), 0, count() - 1);
        if (isVisible())
            Q_EMIT geometriesChanged();
    }
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!m_coloured) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    if (!rect.isValid())
        return;
    painter->fillRect(rect, m_background);
    painter->fillRect(QRect(rect.right() + 1 - kLine, rect.top(), kLine, rect.height()), m_line);
    painter->fillRect(QRect(rect.left(), rect.bottom() + 1 - kLine, rect.width(), kLine), m_line);

    // The caption as the style draws a header's label, centred and cut off
    // at the padding rather than shortened with an ellipsis.
    QStyleOptionHeader label;
    initStyleOption(&label);
    initStyleOptionForIndex(&label, logicalIndex);
    label.rect = rect.adjusted(kPadding, 0, -kPadding - kLine, -kLine);
    label.palette.setColor(QPalette::ButtonText, m_text);
    label.palette.setColor(QPalette::Button, m_background);
    label.palette.setColor(QPalette::Window, m_background);
    if (!label.rect.isValid())
        return;
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    // A section without a font of its own (the row numbers) is drawn in the grid's.
    if (parentWidget() && !model()->headerData(logicalIndex, orientation(), Qt::FontRole).isValid())
        painter->setFont(parentWidget()->font());
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    painter->restore();
}

QSize GridHeader::sectionSizeFromContents(int logicalIndex) const {
    const QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    if (!m_coloured)
        return size;
    return size + QSize(2 * kPadding + kLine, kLine);
}

} // namespace viVavazuruv::grid
