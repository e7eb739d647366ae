#pragma once

#include <QStyledItemDelegate>

namespace viVavazuruv::grid {

// How a grid cell is drawn. Ticks show as the row's colours, not as check
// boxes (the model reports them for assistive technology only), and the
// cell with the cursor always shows a frame while the grid has the focus,
// in the cell's own text colour, so the selection colour cannot hide it.
class GridCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // A cell's editor is named after its column, so it is not heard as just "text".
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace viVavazuruv::grid
