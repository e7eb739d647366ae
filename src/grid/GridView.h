#pragma once

#include <QPersistentModelIndex>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QTableView>
#include <deque>
#include <functional>
#include <grid/IGridControl.h>

namespace viVavazuruv::grid {

class GridControl;
class GridHeader;

// The table view of a GridControl, with the grid's input handling. Events for
// the sink are raised only by real input: they are queued while Qt handles it
// and delivered after it returns, so a handler that deletes or disables the
// grid, or runs a modal dialog, never has the view run on afterwards. Nothing
// a programmatic call on the grid causes (scrolling, an editor closing)
// reaches the sink.
class GridView final : public QTableView {
public:
    explicit GridView(GridControl& grid);

    using QTableView::commitData;
    using QTableView::edit;

    bool editing() const { return state() == EditingState; }
    GridHeader* columnHeader() const;
    // The row numbers' header, made a GridHeader when first asked for: most
    // grids never show row numbers, and the table view makes a plain one.
    GridHeader* rowNumberHeader();
    // The row numbers' header if it is a GridHeader already, else null.
    GridHeader* rowNumberHeaderIfMade() const;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    // Brings scroll ranges up to date now instead of at the next event loop
    // pass, so a scroll right after rows were added lands where it should.
    void layoutNow();
    // Closes an open editor, dropping what was typed, without raising events.
    void abandonEditor();
    // Keeps what an open editor holds and closes it, then delivers its events.
    void commitEdit();
    // Delivers the queued events; false when a handler destroyed the grid.
    bool flushEvents();

    // Whether rows are ticked (several entries are chosen), as assistive technology hears it.
    bool ticksRows() const;
    // A message for assistive technology: the cell under the cursor carries it
    // in its description, and says so now when the grid has the focus (later,
    // when it gets it, otherwise), until the user next types or clicks here.
    void announce(const QString& message);
    const QString& announcement() const { return m_announcement; }
    // Tells assistive technology the cursor's cell has the focus (the grid having it).
    void announceCurrentCell();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // Finding a row by typing is the picker's business (KeyDown), not the view's.
    void keyboardSearch(const QString&) override {}
    void scrollContentsBy(int dx, int dy) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // The table view's own notices number cells among hidden columns too and
    // speak for a grid without the focus; these speak for the cells a person
    // sees (gridAccessibility), and only while the grid has the focus.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    using Event = std::function<void(IGridEvents&)>;

    void queueEvent(Event event);
    // Delivers the queue from the event loop, for events raised outside input handling.
    void postFlush();
    void beginUserInput();
    void endUserInput();
    void scrollBarTriggered();
    void viewScrolled();
    void editorOpened(const QModelIndex& index);
    void editorClosing();
    // The context-menu key and Shift+F10 do what a right click on the cursor's cell does.
    bool menuKey(const QKeyEvent& event);
    // The first visible cell (column, row from 1).
    QPoint topLeftCell() const;
    QPointF twipsFromView(const QPoint& viewportPos) const;

    GridControl& m_grid;
    std::deque<Event> m_pending;
    bool m_flushPosted = false;
    int m_userInput = 0; // input handlers under way
    bool m_scrollbarAction = false;
    QPoint m_lastTopLeft;
    QPersistentModelIndex m_editIndex;
    QString m_editOriginal;
    QString m_announcement;
};

} // namespace viVavazuruv::grid
