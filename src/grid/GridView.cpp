#include "GridView.h"

#include "GridAccessible.h"
#include "GridCellDelegate.h"
#include "GridControl.h"
#include "GridHeader.h"
#include "GridModel.h"
#include "KeyCodes.h"
#include "Twips.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <exception>

namespace viVavazuruv::grid {

namespace {

// Shift 1, Ctrl 2, Alt 4, as KeyDown and MouseUp report them.
qint16 shiftState(Qt::KeyboardModifiers modifiers) {
    return qint16((modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
                  (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
                  (modifiers.testFlag(Qt::AltModifier) ? 4 : 0));
}

qint16 mouseButtonCode(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

} // namespace

GridView::GridView(GridControl& grid) : QTableView(&grid), m_grid(grid) {
    gridAccessibility::install();
    // A column header that draws the list's colours itself (GridControl::applyHeaderColours).
    setHorizontalHeader(new GridHeader(Qt::Horizontal, this));
    setItemDelegate(new GridCellDelegate(this));
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QAbstractSlider::actionTriggered, this, &GridView::scrollBarTriggered);
}

GridHeader* GridView::columnHeader() const {
    return static_cast<GridHeader*>(horizontalHeader());
}

GridHeader* GridView::rowNumberHeader() {
    if (GridHeader* made = rowNumberHeaderIfMade())
        return made;
    const QHeaderView* plain = verticalHeader();
    auto* header = new GridHeader(Qt::Vertical, this);
    // The rows keep their heights; the plain header goes.
    header->setMinimumSectionSize(plain->minimumSectionSize());
    header->setDefaultSectionSize(plain->defaultSectionSize());
    setVerticalHeader(header);
    return header;
}

GridHeader* GridView::rowNumberHeaderIfMade() const {
    return dynamic_cast<GridHeader*>(verticalHeader());
}

void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Before the base: with Tab it opens the next cell's editor at once.
    editorClosing();
    QTableView::closeEditor(editor, hint);
}

void GridView::layoutNow() {
    executeDelayedItemsLayout();
    updateGeometries();
}

void GridView::abandonEditor() {
    m_editIndex = QPersistentModelIndex();
    if (state() != EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex()))
        QTableView::closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void GridView::commitEdit() {
    if (m_editIndex.isValid() && editing()) {
        if (QWidget* editor = indexWidget(m_editIndex)) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
    flushEvents();
}

void GridView::mousePressEvent(QMouseEvent* event) {
    if (!flushEvents() || !isEnabled())
        return;
    m_announcement.clear();
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    const qint32 col = index.isValid() ? index.column() + 1 : 0;
    const qint32 row = index.isValid() ? index.row() + 1 : 0;
    beginUserInput();
    QTableView::mousePressEvent(event);
    endUserInput();
    if (event->button() == Qt::LeftButton && index.isValid()) {
        if (m_grid.m_mode == GridMode::MultiSelect)
            m_grid.m_model->setTicked(row, !m_grid.m_model->isTicked(row));
        queueEvent([col, row](IGridEvents& sink) { sink.CellClick(col, row); });
    } else if (event->button() == Qt::RightButton) {
        const QPointF twips = twipsFromView(pos);
        const qint32 x = qRound(twips.x()), y = qRound(twips.y());
        queueEvent([col, row, x, y](IGridEvents& sink) { sink.RightClick(1, col, row, x, y); });
    }
    flushEvents();
}

void GridView::mouseReleaseEvent(QMouseEvent* event) {
    if (!flushEvents() || !isEnabled())
        return;
    beginUserInput();
    QTableView::mouseReleaseEvent(event);
    endUserInput();
    if (const qint16 button = mouseButtonCode(event->button())) {
        const qint16 shift = shiftState(event->modifiers());
        const QPointF twips = twipsFromView(event->position().toPoint());
        queueEvent([button, shift, twips](IGridEvents& sink) {
            qint16 b = button, s = shift;
            sink.MouseUp(b, s, float(twips.x()), float(twips.y()));
        });
    }
    flushEvents();
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!flushEvents() || !isEnabled())
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid()) {
        const qint32 col = index.column() + 1, row = index.row() + 1;
        queueEvent([col, row](IGridEvents& sink) { sink.CellDoubleClick(col, row); });
        if (!flushEvents() || !isEnabled())
            return;
    }
    beginUserInput();
    QTableView::mouseDoubleClickEvent(event);
    endUserInput();
    flushEvents();
}

void GridView::keyPressEvent(QKeyEvent* event) {
    if (!flushEvents() || !isEnabled())
        return;
    m_announcement.clear();
    // Keys a cell editor passes on (Enter among them) were typed into the
    // cell, not given to the grid.
    qint16 keyCode = windowsKeyCode(event->key());
    // Space ticks before KeyDown is raised, as a click ticks before CellClick,
    // so a handler that refuses the row (a title line) has the last word.
    const bool tickKey =
        m_grid.m_mode == GridMode::MultiSelect && event->key() == Qt::Key_Space && state() != EditingState;
    if (tickKey) {
        const QModelIndex current = currentIndex();
        if (current.isValid())
            m_grid.m_model->setTicked(current.row() + 1, !m_grid.m_model->isTicked(current.row() + 1));
    }
    if (keyCode != 0 && m_grid.m_sink && state() != EditingState) {
        qint16 shift = shiftState(event->modifiers());
        // Raised before the grid acts on the key; a handler that sets the
        // code to 0 swallows the key.
        queueEvent([&keyCode, &shift](IGridEvents& sink) { sink.KeyDown(keyCode, shift); });
        if (!flushEvents())
            return;
        if (keyCode == 0 || !isEnabled()) {
            event->accept();
            return;
        }
    }
    if (tickKey || menuKey(*event)) {
        event->accept();
    } else {
        beginUserInput();
        QTableView::keyPressEvent(event);
        endUserInput();
    }
    flushEvents();
}

bool GridView::menuKey(const QKeyEvent& event) {
    const bool menu =
        event.key() == Qt::Key_Menu || (event.key() == Qt::Key_F10 && event.modifiers() == Qt::ShiftModifier);
    const QModelIndex current = currentIndex();
    if (!menu || state() == EditingState || !current.isValid())
        return false;
    beginUserInput();
    scrollTo(current);
    endUserInput();
    // The menu opens under the cell, where the row stays readable.
    const QRect cell = visualRect(current);
    const QPointF twips = twipsFromView(QPoint(cell.left() + cell.height() / 2, cell.bottom()));
    const qint32 col = current.column() + 1, row = current.row() + 1;
    const qint32 x = qRound(twips.x()), y = qRound(twips.y());
    queueEvent([col, row, x, y](IGridEvents& sink) { sink.RightClick(1, col, row, x, y); });
    return true;
}

void GridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    m_grid.fitSpareWidth();
}

void GridView::wheelEvent(QWheelEvent* event) {
    if (!flushEvents() || !isEnabled())
        return;
    beginUserInput();
    QTableView::wheelEvent(event);
    endUserInput();
    flushEvents();
}

// A cell too narrow for its text shows the whole text as its tool-tip.
bool GridView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString text = index.isValid() ? index.data(Qt::DisplayRole).toString() : QString();
    const QVariant cellFont = index.isValid() ? index.data(Qt::FontRole) : QVariant();
    const QFontMetrics metrics(cellFont.isValid() ? cellFont.value<QFont>() : font());
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    if (!text.isEmpty() && metrics.horizontalAdvance(text) > visualRect(index).width() - 2 * margin)
        QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
    else
        QToolTip::hideText();
    return true;
}

void GridView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    viewScrolled();
}

bool GridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool hadEditor = index.isValid() && indexWidget(index) != nullptr;
    const bool result = QTableView::edit(index, trigger, event);
    if (!hadEditor && index.isValid() && indexWidget(index) != nullptr)
        editorOpened(index);
    return result;
}

void GridView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    // The notice that the grid has the focus names the table, and comes only
    // after this handler: the cell under the cursor is told right after it,
    // so that is what a screen reader reads.
    if (gridAccessibility::heard())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (hasFocus())
                    announceCurrentCell();
            },
            Qt::QueuedConnection);
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QAbstractItemView::currentChanged(current, previous);
    if (gridAccessibility::heard() && hasFocus() && current.isValid())
        gridAccessibility::sendFocus(*this, current);
}

void GridView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QAbstractItemView::selectionChanged(selected, deselected);
    if (!gridAccessibility::heard())
        return;
    if (const QModelIndex first = selected.indexes().value(0); first.isValid())
        gridAccessibility::sendSelectionChanged(*this, first, true);
    if (const QModelIndex first = deselected.indexes().value(0); first.isValid())
        gridAccessibility::sendSelectionChanged(*this, first, false);
}

void GridView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles) {
    QTableView::dataChanged(topLeft, bottomRight, roles);
    if (!gridAccessibility::heard() || !ticksRows() || !roles.contains(Qt::CheckStateRole))
        return;
    // A tick is its row's checked state, told for the row's cell in the
    // cursor's column; of many rows at once, for the cursor's row only.
    const QModelIndex current = currentIndex();
    QModelIndex cell;
    if (topLeft.row() == bottomRight.row())
        cell = model()->index(topLeft.row(), current.isValid() ? current.column() : 0);
    else if (current.isValid() && current.row() >= topLeft.row() && current.row() <= bottomRight.row())
        cell = current;
    if (cell.isValid())
        gridAccessibility::sendCheckedChanged(*this, cell);
}

bool GridView::ticksRows() const {
    return m_grid.m_mode == GridMode::MultiSelect;
}

void GridView::announce(const QString& message) {
    m_announcement = message;
    if (gridAccessibility::heard() && hasFocus() && currentIndex().isValid())
        gridAccessibility::sendDescriptionChanged(*this, currentIndex());
}

void GridView::announceCurrentCell() {
    if (gridAccessibility::heard() && hasFocus() && currentIndex().isValid())
        gridAccessibility::sendFocus(*this, currentIndex());
}

void GridView::queueEvent(Event event) {
    if (m_grid.m_sink && !m_grid.m_destroying)
        m_pending.push_back(std::move(event));
}

void GridView::postFlush() {
    if (m_flushPosted || m_pending.empty())
        return;
    m_flushPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_flushPosted = false;
            flushEvents();
        },
        Qt::QueuedConnection);
}

bool GridView::flushEvents() {
    // The view goes with its grid.
    const QPointer<GridView> alive(this);
    while (!m_pending.empty()) {
        if (!m_grid.m_sink) {
            m_pending.clear();
            break;
        }
        const Event event = std::move(m_pending.front());
        m_pending.pop_front();
        // An exception cannot travel through Qt's event delivery; the handler's
        // failure is reported and the grid carries on.
        try {
            event(*m_grid.m_sink);
        } catch (const std::exception& error) {
            qWarning("grid event handler failed: %s", error.what());
        } catch (...) {
            qWarning("grid event handler failed");
        }
        if (!alive)
            return false;
    }
    return true;
}

void GridView::beginUserInput() {
    if (m_userInput++ == 0)
        m_lastTopLeft = topLeftCell();
}

void GridView::endUserInput() {
    --m_userInput;
}

void GridView::scrollBarTriggered() {
    // A scroll bar moved by the user announces it here, before its value changes.
    if (m_scrollbarAction || m_grid.m_destroying)
        return;
    m_lastTopLeft = topLeftCell();
    m_scrollbarAction = true;
    QTimer::singleShot(0, this, [this] { m_scrollbarAction = false; });
}

void GridView::viewScrolled() {
    if (m_grid.m_destroying)
        return;
    const QPoint before = m_lastTopLeft;
    const QPoint now = topLeftCell();
    m_lastTopLeft = now;
    if (now == before || m_grid.m_apiDepth > 0 || (m_userInput == 0 && !m_scrollbarAction))
        return;
    queueEvent(
        [before, now](IGridEvents& sink) { sink.TopLeftChange(before.x(), before.y(), now.x(), now.y()); });
    if (m_userInput == 0)
        postFlush();
}

void GridView::editorOpened(const QModelIndex& index) {
    m_editIndex = index;
    m_editOriginal = m_grid.m_model->text(index.column() + 1, index.row() + 1);
    if (m_grid.m_apiDepth > 0)
        return;
    const qint32 col = index.column() + 1, row = index.row() + 1;
    queueEvent([col, row](IGridEvents& sink) { sink.EditModeChange(col, row, 1, false); });
    if (m_userInput == 0)
        postFlush();
}

void GridView::editorClosing() {
    if (!m_editIndex.isValid())
        return;
    const qint32 col = m_editIndex.column() + 1, row = m_editIndex.row() + 1;
    const bool changed = m_grid.m_model->text(col, row) != m_editOriginal;
    m_editIndex = QPersistentModelIndex();
    m_editOriginal.clear();
    if (m_grid.m_apiDepth > 0)
        return;
    queueEvent([col, row, changed](IGridEvents& sink) { sink.EditModeChange(col, row, 0, changed); });
    if (changed)
        queueEvent([col, row](IGridEvents& sink) { sink.CellChange(col, row); });
    if (m_userInput == 0)
        postFlush();
}

QPoint GridView::topLeftCell() const {
    return {columnAt(0) + 1, rowAt(0) + 1};
}

QPointF GridView::twipsFromView(const QPoint& viewportPos) const {
    const QPoint pos = viewport()->mapTo(&m_grid, viewportPos);
    return {pixelsToTwipsX(pos.x()), pixelsToTwipsY(pos.y())};
}

} // namespace viVavazuruv::grid
