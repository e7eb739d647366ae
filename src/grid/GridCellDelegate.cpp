#include "GridCellDelegate.h"

#include <QPainter>

namespace viVavazuruv::grid {

namespace {
constexpr int kFocusFrameWidth = 2; // pixels
} // namespace

void GridCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    // Styles draw their focus frame only after a Tab, and faintly on the
    // selection colour; this one is drawn whichever way the focus came.
    QStyleOptionViewItem cell(option);
    const bool focused = cell.state.testFlag(QStyle::State_HasFocus);
    cell.state.setFlag(QStyle::State_HasFocus, false);
    QStyledItemDelegate::paint(painter, cell, index);
    if (!focused)
        return;
    // The colour the cell's text is drawn in stands out from its background.
    const QVariant foreground = index.data(Qt::ForegroundRole);
    const QColor colour = cell.state.testFlag(QStyle::State_Selected)
                              ? cell.palette.color(QPalette::HighlightedText)
                          : foreground.isValid() ? foreground.value<QBrush>().color()
                                                 : cell.palette.color(QPalette::Text);
    painter->save();
    painter->setPen(QPen(colour, kFocusFrameWidth));
    painter->setBrush(Qt::NoBrush);
    const int inset = kFocusFrameWidth / 2;
    painter->drawRect(cell.rect.adjusted(inset, inset, -inset - 1, -inset - 1));
    painter->restore();
}

} // namespace viVavazuruv::grid
