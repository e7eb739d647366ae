#include "GridAccessible.h"

#include "GridView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QWindow>

namespace viVavazuruv::grid::gridAccessibility {

namespace {

// The shown columns (logical numbers) in the order they show.
QList<int> shownColumns(const QTableView& view) {
    QList<int> columns;
    const QAbstractItemModel* model = view.model();
    if (!model)
        return columns;
    const QHeaderView* header = view.horizontalHeader();
    const int count = model->columnCount();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical >= 0 && logical < count && !header->isSectionHidden(logical))
            columns.append(logical);
    }
    return columns;
}

QRect onScreen(const QWidget* widget, const QRect& rect) {
    if (!rect.isValid() || !widget->isVisible())
        return {};
    return {widget->mapToGlobal(rect.topLeft()), rect.size()};
}

// A child of the table with no children and no object of its own: a
// header or a cell, named and placed by the table's view.
class LeafAccessible : public QAccessibleInterface {
public:
    explicit LeafAccessible(GridView* view) : m_view(view) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_view); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    QPointer<GridView> m_view;
};

// A column's header cell.
class HeaderAccessible final : public LeafAccessible {
public:
    HeaderAccessible(GridView* view, int section) : LeafAccessible(view), m_section(section) {}

    int section() const { return m_section; }

    bool isValid() const override { return m_view && m_section < m_view->model()->columnCount(); }
    QString text(QAccessible::Text t) const override {
        if (!isValid() || t != QAccessible::Name)
            return {};
        return m_view->model()->headerData(m_section, Qt::Horizontal).toString();
    }
    QRect rect() const override {
        if (!isValid())
            return {};
        const QHeaderView* header = m_view->horizontalHeader();
        return onScreen(header->viewport(), QRect(header->sectionViewportPosition(m_section), 0,
                                                  header->sectionSize(m_section), header->height()));
    }
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override { return {}; }

private:
    int m_section;
};

class CellAccessible final : public LeafAccessible, public QAccessibleTableCellInterface {
public:
    CellAccessible(GridView* view, const QModelIndex& index) : LeafAccessible(view), m_index(index) {}

    QModelIndex index() const { return m_index; }

    bool isValid() const override { return m_view && m_index.isValid(); }

    QString text(QAccessible::Text t) const override {
        if (!isValid())
            return {};
        if (t == QAccessible::Name) {
            const QString spoken = m_index.data(Qt::AccessibleTextRole).toString();
            return spoken.isEmpty() ? m_index.data(Qt::DisplayRole).toString() : spoken;
        }
        if (t != QAccessible::Description)
            return {};
        // What the window last told about the grid goes with the cell under
        // the cursor, the one a screen reader is reading.
        const QString own = m_index.data(Qt::AccessibleDescriptionRole).toString();
        const QString told = shownCell(*m_view, m_view->currentIndex()) == QModelIndex(m_index)
                                 ? m_view->announcement()
                                 : QString();
        if (told.isEmpty() || own.isEmpty())
            return told + own;
        return told + QLatin1Char(' ') + own;
    }
    QRect rect() const override {
        return isValid() ? onScreen(m_view->viewport(), m_view->visualRect(m_index)) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid())
            return state;
        const Qt::ItemFlags flags = m_index.flags();
        state.selectable = state.focusable = flags.testFlag(Qt::ItemIsSelectable);
        state.editable = flags.testFlag(Qt::ItemIsEditable);
        state.disabled = !m_view->isEnabled();
        state.selected = m_view->selectionModel()->isSelected(m_index);
        state.focused =
            m_view->hasFocus() && shownCell(*m_view, m_view->currentIndex()) == QModelIndex(m_index);
        state.invisible = !m_view->viewport()->rect().intersects(m_view->visualRect(m_index));
        if (m_view->ticksRows()) {
            state.checkable = true;
            state.checked = m_index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        }
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this)
                                                       : nullptr;
    }

    bool isSelected() const override { return isValid() && m_view->selectionModel()->isSelected(m_index); }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        QAccessibleInterface* table = parent();
        const int column = columnIndex();
        QAccessibleInterface* header = table && column >= 0 ? table->child(column) : nullptr;
        return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override {
        return isValid() ? int(shownColumns(*m_view).indexOf(m_index.column())) : -1;
    }
    int rowIndex() const override { return isValid() ? m_index.row() : -1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QPersistentModelIndex m_index;
};

class TableAccessible final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit TableAccessible(GridView* view) : QAccessibleWidget(view, QAccessible::Table) {}
    ~TableAccessible() override { forgetChildren(); }

    GridView* view() const { return static_cast<GridView*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override {
        const int columns = columnCount();
        return columns == 0 ? 0 : (rowCount() + 1) * columns;
    }
    QAccessibleInterface* child(int index) const override {
        const QList<int> columns = shownColumns(*view());
        if (index < 0 || columns.isEmpty() || index >= (rowCount() + 1) * int(columns.size()))
            return nullptr;
        return childFor(index / int(columns.size()) - 1, columns.at(index % columns.size()));
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child)
            return -1;
        const QList<int> columns = shownColumns(*view());
        if (const auto* header = dynamic_cast<const HeaderAccessible*>(child))
            return int(columns.indexOf(header->section()));
        if (const auto* cell = dynamic_cast<const CellAccessible*>(child))
            return childNumber(columns, cell->index());
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = view()->indexAt(at);
        return index.isValid() ? child(childNumber(shownColumns(*view()), index)) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        if (!view()->hasFocus())
            return nullptr;
        const QModelIndex current = shownCell(*view(), view()->currentIndex());
        return current.isValid() ? childFor(current.row(), current.column()) : nullptr;
    }

    // QAccessibleTableInterface, over the shown columns.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        const QList<int> columns = shownColumns(*view());
        if (row < 0 || row >= rowCount() || column < 0 || column >= columns.size())
            return nullptr;
        return childFor(row, columns.at(column));
    }
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        const QList<int> columns = shownColumns(*view());
        for (const QModelIndex& index : view()->selectionModel()->selectedIndexes()) {
            if (columns.contains(index.column()))
                cells.append(childFor(index.row(), index.column()));
        }
        return cells;
    }
    QString columnDescription(int column) const override {
        const QList<int> columns = shownColumns(*view());
        if (column < 0 || column >= columns.size())
            return {};
        return view()->model()->headerData(columns.at(column), Qt::Horizontal).toString();
    }
    QString rowDescription(int row) const override {
        return view()->model() ? view()->model()->headerData(row, Qt::Vertical).toString() : QString();
    }
    // Rows are chosen, never columns.
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    int columnCount() const override { return int(shownColumns(*view()).size()); }
    int rowCount() const override { return view()->model() ? view()->model()->rowCount() : 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        QList<int> rows;
        for (const QModelIndex& index : view()->selectionModel()->selectedRows())
            rows.append(index.row());
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override { return view()->selectionModel()->isRowSelected(row, {}); }
    bool selectRow(int row) override {
        if (view()->selectionMode() == QAbstractItemView::NoSelection || row < 0 || row >= rowCount())
            return false;
        view()->selectionModel()->select(view()->model()->index(row, 0),
                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; } // a chosen row stays chosen until another is
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override {
        // Rows that come, go or move take their cells' numbers with them.
        if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged)
            forgetChildren();
    }

private:
    static quint64 key(int row, int column) { return (quint64(quint32(row + 1)) << 32) | quint32(column); }

    // Row -1 is the header row.
    QAccessibleInterface* childFor(int row, int column) const {
        const quint64 k = key(row, column);
        if (const auto known = m_children.constFind(k); known != m_children.cend()) {
            // A cell follows its row when rows come or go; a number that now
            // names another cell gets a new one.
            QAccessibleInterface* iface = QAccessible::accessibleInterface(*known);
            const auto* cell = dynamic_cast<const CellAccessible*>(iface);
            if (iface && iface->isValid() && (!cell || cell->index().row() == row))
                return iface;
            QAccessible::deleteAccessibleInterface(*known);
            m_children.remove(k);
        }
        QAccessibleInterface* iface = nullptr;
        if (row < 0)
            iface = new HeaderAccessible(view(), column);
        else
            iface = new CellAccessible(view(), view()->model()->index(row, column));
        m_children.insert(k, QAccessible::registerAccessibleInterface(iface));
        return iface;
    }
    static int childNumber(const QList<int>& columns, const QModelIndex& index) {
        const qsizetype at = columns.indexOf(index.column());
        return index.isValid() && at >= 0 ? (index.row() + 1) * int(columns.size()) + int(at) : -1;
    }
    void forgetChildren() {
        for (const QAccessible::Id id : std::as_const(m_children))
            QAccessible::deleteAccessibleInterface(id);
        m_children.clear();
    }

    mutable QHash<quint64, QAccessible::Id> m_children;
};

Listener g_listener = nullptr;

void deliver(QAccessibleEvent& event) {
    if (g_listener)
        g_listener(&event);
    QAccessible::updateAccessibility(&event);
}

QAccessibleInterface* gridFactory(const QString&, QObject* object) {
    if (auto* view = dynamic_cast<GridView*>(object))
        return new TableAccessible(view);
    return nullptr;
}

int childOf(GridView& view, const QModelIndex& index) {
    const QModelIndex cell = shownCell(view, index);
    if (!cell.isValid())
        return -1;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&view);
    QAccessibleTableInterface* cells = table ? table->tableInterface() : nullptr;
    QAccessibleInterface* iface =
        cells ? cells->cellAt(cell.row(), int(shownColumns(view).indexOf(cell.column()))) : nullptr;
    return iface ? table->indexOfChild(iface) : -1;
}

} // namespace

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(gridFactory);
        return true;
    }();
    Q_UNUSED(installed)
}

bool heard() {
    return g_listener || QAccessible::isActive();
}

void setListener(Listener listener) {
    g_listener = listener;
}

QModelIndex shownCell(const GridView& view, const QModelIndex& index) {
    if (!index.isValid() || index.model() != view.model())
        return {};
    const QList<int> columns = shownColumns(view);
    if (columns.isEmpty())
        return {};
    return columns.contains(index.column()) ? index : index.siblingAtColumn(columns.first());
}

void sendFocus(GridView& view, const QModelIndex& index) {
    const int child = childOf(view, index);
    if (child < 0)
        return;
    QAccessibleEvent event(&view, QAccessible::Focus);
    event.setChild(child);
    deliver(event);
}

void sendCheckedChanged(GridView& view, const QModelIndex& index) {
    const int child = childOf(view, index);
    if (child < 0)
        return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(&view, changed);
    event.setChild(child);
    deliver(event);
}

void sendDescriptionChanged(GridView& view, const QModelIndex& index) {
    const int child = childOf(view, index);
    if (child < 0)
        return;
    QAccessibleEvent event(&view, QAccessible::DescriptionChanged);
    event.setChild(child);
    deliver(event);
}

void sendSelectionChanged(GridView& view, const QModelIndex& index, bool selected) {
    const int child = childOf(view, index);
    if (child < 0)
        return;
    QAccessibleEvent event(&view, selected ? QAccessible::SelectionAdd : QAccessible::SelectionRemove);
    event.setChild(child);
    deliver(event);
}

} // namespace viVavazuruv::grid::gridAccessibility
