#pragma once

#include <QPoint>
#include <QVector>
#include <QWidget>
#include <grid/IGridControl.h>

class QTableView;

namespace viVavazuruv::grid {

class GridModel;
class GridView;

// The spreadsheet grid of a picker level: a table view over GridModel behind
// the IGridControl surface. Row and column numbers are the grid's (from 1,
// row 0 the header row, -1 all); placement is in twips of the container.
//
// Events reach the sink only from real user input. The view (GridView) queues
// them while it handles the input and delivers them once Qt is done with it,
// so a handler may delete or disable the grid, or open a modal dialog, without
// the view running on afterwards. A font setting with Row -1 covers the header
// row too; text operations never touch the header unless Row is 0.
class GridControl final : public QWidget, public IGridControl {
    Q_OBJECT
public:
    explicit GridControl(QWidget* parent = nullptr);
    ~GridControl() override;

    void setEventSink(IGridEvents* sink) override { m_sink = sink; }

    qint32 Row() const override { return m_row; }
    void setRow(qint32 row) override { m_row = row; }
    qint32 Col() const override { return m_col; }
    void setCol(qint32 col) override { m_col = col; }
    qint32 Row2() const override { return m_row2; }
    void setRow2(qint32 row) override { m_row2 = row; }
    qint32 Col2() const override { return m_col2; }
    void setCol2(qint32 col) override { m_col2 = col; }

    qint32 ActiveRow() const override;
    qint32 ActiveCol() const override;

    qint32 MaxRows() const override;
    void setMaxRows(qint32 rows) override;
    qint32 MaxCols() const override;
    void setMaxCols(qint32 cols) override;
    qint32 DataRowCnt() const override;

    QString Text() const override;
    void setText(const QString& text) override;
    QString GetText(qint32 col, qint32 row) const override;
    QStringView TextView(qint32 col, qint32 row) const override;
    void SetText(qint32 col, qint32 row, QAnyStringView text) override;
    void ClearRange(qint32 col, qint32 row, qint32 col2, qint32 row2, bool dataOnly) override;

    void setAction(qint16 action) override;
    qint16 Action() const override { return m_action; }
    void setSortBy(qint16 sortBy) override;
    qint16 SortBy() const override { return 0; }
    void setSortKey(qint16 index, qint32 col) override;
    qint32 SortKey(qint16 index) const override;
    void setSortKeyOrder(qint16 index, qint16 order) override;
    qint16 SortKeyOrder(qint16 index) const override;

    // 0 editable cells, 1 read-only cells, 3 single row selection, 4 ticked rows.
    qint16 OperationMode() const override { return m_mode; }
    void setOperationMode(qint16 mode) override;
    qint32 SelectedCount() const override;
    bool RowSelected() const override;
    void setRowSelected(bool selected) override;
    qint32 NextSelectedRow(qint32 afterRow) const override;

    // Column 0 is the row-number column: hidden until given a width.
    double ColWidth(qint32 col) const override;
    void setColWidth(qint32 col, double width) override;
    bool ColHidden() const override;
    void setColHidden(bool hidden) override;

    bool FontBold() const override;
    void setFontBold(bool bold) override;
    double FontSize() const override;
    void setFontSize(double points) override;
    quint32 ShadowColor() const override { return m_shadowColor; }
    void setShadowColor(quint32 rgb) override;
    quint32 ShadowText() const override { return m_shadowText; }
    void setShadowText(quint32 rgb) override;

    bool BrowseFlag() const override { return m_browse; }
    void setBrowseFlag(bool on) override { m_browse = on; }
    qint16 Position() const override { return m_position; }
    void setPosition(qint16 position) override { m_position = position; }
    bool ReDraw() const override { return m_redraw; }
    void setReDraw(bool on) override;
    float RowHeightToTwips(qint32 row, float height) const override;
    void Refresh() override;
    void SetFocus() override;
    void CommitEdit() override;
    // Tells assistive technology what just happened (a mode entered, a row
    // added); the cursor's cell carries it until the user next acts here.
    void announce(const QString& message);
    // The cursor's cell is read again, as after a move (the grid having the focus).
    void announceCurrentCell();

    qint32 Left() const override;
    qint32 Top() const override;
    qint32 Width() const override;
    qint32 Height() const override;
    void Move(qint32 left, qint32 top, qint32 width, qint32 height) override;
    bool Visible() const override;
    void setVisible(bool visible) override;
    bool Enabled() const override;
    void setEnabled(bool enabled) override;
    QObject* Container() const override { return parentWidget(); }
    // A QWidget, or null to take the grid out of any container; anything else
    // is refused with InvalidProcedureCall.
    void setContainer(QObject* container) override;

    // The column that takes whatever width the grid has beyond its columns'
    // own (0, the default, for none), so a widened grid shows no empty space.
    void setSpareWidthColumn(qint32 col);
    // The width in pixels that shows every shown column at its own width,
    // row numbers, frame and vertical scroll bar included.
    int columnsWidth() const;

    QTableView* view() const;
    GridModel* model() const { return m_model; }

private:
    // The view handles input against the grid's state and raises its events.
    friend class GridView;

    void applyMode();
    void applyGridFont(const QFont& font);
    void applyColumnWidth(qint32 col);
    void fitSpareWidth();
    void applyHeaderColours();
    void currentRowChanged(qint32 row);

    GridModel* m_model = nullptr;
    GridView* m_view = nullptr;
    IGridEvents* m_sink = nullptr;

    qint32 m_row = 0, m_col = 0, m_row2 = 0, m_col2 = 0;
    qint16 m_action = 0;
    qint32 m_sortKey[2] = {0, 0};
    qint16 m_sortOrder[2] = {0, 0};
    qint16 m_mode = 0;
    qint16 m_position = 0;
    // The row header (column 0) was made the active cell; the view's cursor
    // stands on the row's first cell until it moves.
    bool m_rowHeaderActive = false;
    bool m_browse = true;
    bool m_redraw = true;
    quint32 m_shadowColor = 0xC0C0C0;
    quint32 m_shadowText = 0x000000;

    // Column widths in characters (index 0 the row-number column); negative
    // while a column keeps the view's default width.
    QVector<double> m_widthChars;
    QVector<bool> m_hidden;
    bool m_applyingWidth = false;
    qint32 m_spareWidthColumn = 0;

    bool m_gridFontApplied = false;
    bool m_destroying = false;
    // Where the cursor last stood (column, row from 0): a reload empties the
    // grid first, and the cursor comes back to that place once rows are there.
    QPoint m_lastActive{0, 0};
    int m_apiDepth = 0; // programmatic calls under way
};

} // namespace viVavazuruv::grid
