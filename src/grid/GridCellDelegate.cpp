#include "GridCellDelegate.h"

#include <QCoreApplication>
#include <QPainter>

namespace viVavazuruv::grid {

namespace {
constexpr int kFocusFrameWidth = 2; // pixels
} // namespace

void GridCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
}

QWidget* GridCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (!editor)
        return editor;
    const QString caption = index.model()->headerData(index.column(), Qt::Horizontal).toString().trimmed();
    editor->setAccessibleName(
        caption.isEmpty()
            ? QCoreApplication::translate("GridCellDelegate", "Column %1").arg(index.column() + 1)
            : caption);
    return editor;
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
