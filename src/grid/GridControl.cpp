#include "GridControl.h"

#include "ApiScope.h"

#include "ColumnWidths.h"
#include "Contrast.h"
#include "GridHeader.h"
#include "GridModel.h"
#include "GridView.h"
#include "Twips.h"

#include <QEvent>
#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>
#include <viVavazuruv/AutomationError.h>

namespace viVavazuruv::grid {

namespace {

void checkSortIndex(qint16 index) {
    if (index != 1 && index != 2)
        invalidCall(QStringLiteral("sort key %1 does not exist; there are keys 1 and 2").arg(index));
}

} // namespace

GridControl::GridControl(QWidget* parent) : QWidget(parent) {
    m_model = new GridModel(this);
    m_view = new GridView(*this);
    m_view->setModel(m_model);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFocusProxy(m_view);

    m_view->setAccessibleName(tr("Grid"));
    m_view->setWordWrap(false);
    // A chosen or ticked row's text must stay readable on its colour, which
    // some styles make too light for it (Fusion's blue is 3.7:1 under white).
    QPalette colours = m_view->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        colours.setColor(group, QPalette::Highlight,
                         withContrast(colours.color(group, QPalette::Highlight),
                                      colours.color(group, QPalette::HighlightedText), kTextContrast));
    m_view->setPalette(colours);
    m_view->verticalHeader()->hide();
    QHeaderView* header = m_view->horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);

    m_widthChars.fill(-1.0, 1);
    m_hidden.fill(false, 1);
    m_shadowColor = palette().color(QPalette::Button).rgb() & 0xFFFFFFu;
    m_shadowText = palette().color(QPalette::ButtonText).rgb() & 0xFFFFFFu;
    // A sans with the metrics office software is laid out for, rather than a
    // wide one: the column widths a list asks for then show what they should.
    QFont gridFont = m_view->font();
    gridFont.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial"),
                          QStringLiteral("Helvetica")});
    gridFont.setStyleHint(QFont::SansSerif);
    applyGridFont(gridFont);

    connect(
        m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) { currentRowChanged(current.isValid() ? current.row() + 1 : 0); });
    // A spreadsheet always has an active cell: the first one until someone
    // moves it, and a place rather than a record, so a reload leaves it where
    // it stood (or on the last row when the list got shorter).
    const auto ensureActiveCell = [this] {
        if (m_destroying || m_view->currentIndex().isValid() || m_model->maxRows() < 1 ||
            m_model->maxCols() < 1)
            return;
        const int row = std::clamp(m_lastActive.y(), 0, m_model->maxRows() - 1);
        const int col = std::clamp(m_lastActive.x(), 0, m_model->maxCols() - 1);
        m_view->selectionModel()->setCurrentIndex(m_model->index(row, col), QItemSelectionModel::NoUpdate);
    };
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                m_rowHeaderActive = false;
                if (current.isValid())
                    m_lastActive = QPoint(current.column(), current.row());
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, ensureActiveCell);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, ensureActiveCell);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, ensureActiveCell);
    // A sort moves a single choice's tick with its row, but the cursor is a
    // place and stays: the chosen row is the cursor's again.
    connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] {
        if (!m_destroying && m_mode == GridMode::SingleSelect)
            m_model->setOnlyTicked(ActiveRow());
    });
    connect(header, &QHeaderView::sectionResized, this, [this](int logical, int, int newSize) {
        // A width the user dragged becomes the column's width.
        if (m_destroying || m_applyingWidth || newSize <= 0 || logical + 1 >= m_widthChars.size())
            return;
        m_widthChars[logical + 1] = charsOfPixels(*m_view, newSize);
    });
    applyMode();
}

GridControl::~GridControl() {
    // The view and model go first, while the members their signals reach are alive.
    m_destroying = true;
    m_sink = nullptr;
    delete m_view;
    delete m_model;
}

QTableView* GridControl::view() const {
    return m_view;
}

qint32 GridControl::ActiveRow() const {
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

qint32 GridControl::ActiveCol() const {
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() && !m_rowHeaderActive ? current.column() + 1 : 0;
}

qint32 GridControl::MaxRows() const {
    return m_model->maxRows();
}

void GridControl::setMaxRows(qint32 rows) {
    if (rows < 0)
        invalidCall(QStringLiteral("MaxRows cannot be negative (%1)").arg(rows));
    ApiScope scope(m_apiDepth);
    m_model->setMaxRows(rows);
}

qint32 GridControl::MaxCols() const {
    return m_model->maxCols();
}

void GridControl::setMaxCols(qint32 cols) {
    if (cols < 0)
        invalidCall(QStringLiteral("MaxCols cannot be negative (%1)").arg(cols));
    ApiScope scope(m_apiDepth);
    const qint32 before = m_model->maxCols();
    // Added columns start with the default width, shown.
    m_widthChars.resize(cols + 1);
    m_hidden.resize(cols + 1);
    for (qint32 c = before + 1; c <= cols; ++c) {
        m_widthChars[c] = -1.0;
        m_hidden[c] = false;
    }
    m_model->setMaxCols(cols);
}

qint32 GridControl::DataRowCnt() const {
    return m_model->dataRowCount();
}

QString GridControl::Text() const {
    return m_model->text(m_col, m_row);
}

void GridControl::setText(const QString& text) {
    m_model->setText(m_col, m_row, text);
}

QString GridControl::GetText(qint32 col, qint32 row) const {
    return m_model->text(col, row);
}

QStringView GridControl::TextView(qint32 col, qint32 row) const {
    return m_model->textView(col, row);
}

void GridControl::SetText(qint32 col, qint32 row, QAnyStringView text) {
    m_model->setText(col, row, text);
}

void GridControl::ClearRange(qint32 col, qint32 row, qint32 col2, qint32 row2, bool dataOnly) {
    ApiScope scope(m_apiDepth);
    m_model->clearRange(col, row, col2, row2, dataOnly);
}

void GridControl::setAction(qint16 action) {
    ApiScope scope(m_apiDepth);
    switch (action) {
    case GridAction::ActivateCell: {
        if (m_row < 1 || m_row > MaxRows() || MaxCols() < 1)
            break;
        // Column 0 is the row's header, as in any spreadsheet: the row is
        // current, no cell of it is; the view's cursor stands on its first cell.
        const bool header = m_col == 0;
        const qint32 col = m_col >= 1 && m_col <= MaxCols() ? m_col : header ? 1 : std::max(ActiveCol(), 1);
        m_view->setCurrentIndex(m_model->index(m_row - 1, col - 1));
        m_rowHeaderActive = header;
        break;
    }
    case GridAction::ScrollToCell: {
        if (MaxRows() < 1 || MaxCols() < 1)
            break;
        const qint32 row = std::clamp(m_row >= 1 ? m_row : std::max(ActiveRow(), 1), 1, MaxRows());
        const qint32 col = std::clamp(m_col >= 1 ? m_col : std::max(ActiveCol(), 1), 1, MaxCols());
        const auto hint = m_position == 3   ? QAbstractItemView::PositionAtTop
                          : m_position == 6 ? QAbstractItemView::PositionAtCenter
                                            : QAbstractItemView::EnsureVisible;
        m_view->layoutNow();
        m_view->scrollTo(m_model->index(row - 1, col - 1), hint);
        break;
    }
    case GridAction::DeleteRow:
        m_model->deleteRow(m_row);
        break;
    case GridAction::Sort: {
        QList<GridSortKey> keys;
        for (int i = 0; i < 2; ++i) {
            if (m_sortOrder[i] != SortOrder::None)
                keys.append({m_sortKey[i], m_sortOrder[i] == SortOrder::Descending ? Qt::DescendingOrder
                                                                                   : Qt::AscendingOrder});
        }
        m_model->sortRows(m_row, m_row2, m_col, m_col2, keys);
        break;
    }
    default:
        invalidCall(QStringLiteral("grid action %1 is not supported").arg(action));
    }
    m_action = action;
}

void GridControl::setSortBy(qint16 sortBy) {
    if (sortBy != 0)
        invalidCall(QStringLiteral("the grid sorts by rows only (SortBy 0), not %1").arg(sortBy));
}

void GridControl::setSortKey(qint16 index, qint32 col) {
    checkSortIndex(index);
    m_sortKey[index - 1] = col;
}

qint32 GridControl::SortKey(qint16 index) const {
    checkSortIndex(index);
    return m_sortKey[index - 1];
}

void GridControl::setSortKeyOrder(qint16 index, qint16 order) {
    checkSortIndex(index);
    if (order < 0 || order > 2)
        invalidCall(
            QStringLiteral("sort order %1 is not 0 (none), 1 (ascending) or 2 (descending)").arg(order));
    m_sortOrder[index - 1] = order;
}

qint16 GridControl::SortKeyOrder(qint16 index) const {
    checkSortIndex(index);
    return m_sortOrder[index - 1];
}

void GridControl::setOperationMode(qint16 mode) {
    if (mode != 0 && mode != 1 && mode != 3 && mode != 4)
        invalidCall(QStringLiteral("operation mode %1 is not supported").arg(mode));
    if (mode == m_mode)
        return;
    ApiScope scope(m_apiDepth);
    m_view->abandonEditor();
    m_mode = mode;
    m_model->setTicked(-1, false);
    m_view->clearSelection();
    applyMode();
    if (m_mode == GridMode::SingleSelect)
        m_model->setOnlyTicked(ActiveRow());
}

void GridControl::applyMode() {
    const bool rows = m_mode == GridMode::SingleSelect || m_mode == GridMode::MultiSelect;
    m_model->setEditable(m_mode == GridMode::Edit);
    m_view->setEditTriggers(m_mode == GridMode::Edit
                                ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                      QAbstractItemView::AnyKeyPressed
                                : QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(rows ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    // Ticks in mode 4 are the model's own and drawn by it; the view's
    // selection would only follow the cursor.
    m_view->setSelectionMode(m_mode == GridMode::MultiSelect ? QAbstractItemView::NoSelection
                                                             : QAbstractItemView::SingleSelection);
    if (m_mode == GridMode::MultiSelect)
        m_model->setTickBrushes(m_view->palette().brush(QPalette::Highlight),
                                m_view->palette().brush(QPalette::HighlightedText));
    else
        m_model->setTickBrushes(Qt::NoBrush, Qt::NoBrush);
}

void GridControl::currentRowChanged(qint32 row) {
    if (!m_destroying && m_mode == GridMode::SingleSelect)
        m_model->setOnlyTicked(row);
}

qint32 GridControl::SelectedCount() const {
    return m_model->tickedCount();
}

bool GridControl::RowSelected() const {
    return m_model->isTicked(m_row);
}

void GridControl::setRowSelected(bool selected) {
    ApiScope scope(m_apiDepth);
    if (m_mode == GridMode::SingleSelect && selected && m_row >= 1 && m_row <= MaxRows() && MaxCols() >= 1) {
        // Single selection: the selected row is the cursor row.
        m_view->setCurrentIndex(m_model->index(m_row - 1, std::max(ActiveCol(), 1) - 1));
        m_model->setOnlyTicked(m_row);
        return;
    }
    if (m_mode == GridMode::SingleSelect && !selected && (m_row == -1 || m_model->isTicked(m_row)))
        m_view->clearSelection();
    m_model->setTicked(m_row, selected);
}

qint32 GridControl::NextSelectedRow(qint32 afterRow) const {
    return m_model->nextTicked(afterRow);
}

void GridControl::Refresh() {
    m_view->viewport()->update();
    m_view->horizontalHeader()->viewport()->update();
}

void GridControl::SetFocus() {
    m_view->setFocus(Qt::OtherFocusReason);
}

void GridControl::CommitEdit() {
    m_view->commitEdit();
}

void GridControl::announce(const QString& message) {
    m_view->announce(message);
}

void GridControl::announceCurrentCell() {
    m_view->announceCurrentCell();
}

qint32 GridControl::Left() const {
    return qRound(pixelsToTwipsX(x()));
}

qint32 GridControl::Top() const {
    return qRound(pixelsToTwipsY(y()));
}

qint32 GridControl::Width() const {
    return qRound(pixelsToTwipsX(width()));
}

qint32 GridControl::Height() const {
    return qRound(pixelsToTwipsY(height()));
}

void GridControl::Move(qint32 left, qint32 top, qint32 width, qint32 height) {
    setGeometry(twipsToPixelsX(left), twipsToPixelsY(top), std::max(0, twipsToPixelsX(width)),
                std::max(0, twipsToPixelsY(height)));
}

bool GridControl::Visible() const {
    return parentWidget() ? isVisibleTo(parentWidget()) : isVisible();
}

void GridControl::setVisible(bool visible) {
    ApiScope scope(m_apiDepth);
    QWidget::setVisible(visible);
}

bool GridControl::Enabled() const {
    return !testAttribute(Qt::WA_ForceDisabled);
}

void GridControl::setEnabled(bool enabled) {
    ApiScope scope(m_apiDepth);
    QWidget::setEnabled(enabled);
}

void GridControl::setContainer(QObject* container) {
    QWidget* target = nullptr;
    if (container) {
        target = qobject_cast<QWidget*>(container);
        if (!target)
            invalidCall(QStringLiteral("the container of a grid must be a widget"));
        if (target == this || isAncestorOf(target))
            invalidCall(QStringLiteral("a grid cannot contain its own container"));
    }
    if (target == parentWidget())
        return;
    ApiScope scope(m_apiDepth);
    const bool hiddenOnPurpose = testAttribute(Qt::WA_WState_ExplicitShowHide) && isHidden();
    const QRect place = geometry();
    setParent(target);
    setGeometry(place);
    // Reparenting hides a widget; a grid in a container shows unless it was hidden.
    if (target && !hiddenOnPurpose)
        QWidget::setVisible(true);
}

} // namespace viVavazuruv::grid
