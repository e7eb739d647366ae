#pragma once

#include <viVavazuruv/Export.h>

#include <QObject>
#include <QString>
#include <QStringView>

#include <QtGlobal>

namespace viVavazuruv {

// The grid's numeric codes, by name. Nobody keeps a copy of these numbers.
namespace GridAction {
inline constexpr qint16 ActivateCell = 0; // make the addressed cell the active one
inline constexpr qint16 ScrollToCell = 1; // scroll it into view, placed as Position says
inline constexpr qint16 DeleteRow = 5;    // delete row Row
inline constexpr qint16 Sort = 25;        // sort the addressed block by SortKey/SortKeyOrder
} // namespace GridAction

namespace GridMode {
inline constexpr qint16 Edit = 0;         // cells editable
inline constexpr qint16 SingleSelect = 3; // one row chosen, the cursor's
inline constexpr qint16 MultiSelect = 4;  // rows ticked independently of the cursor
} // namespace GridMode

namespace SortOrder {
inline constexpr qint16 None = 0;
inline constexpr qint16 Ascending = 1;
inline constexpr qint16 Descending = 2;
} // namespace SortOrder

// What the picker keeps in its grids: the status letter in every row's
// hidden last column, the mark of a title line, and the Edit button's
// caption in each mode (the caption shows the level's mode; the window shows
// it in the office's language).
namespace RowStatus {
inline const QString Stored = QStringLiteral("E"); // as in the table
inline const QString Edited = QStringLiteral("M"); // stored row changed by the user
inline const QString New = QStringLiteral("N");    // not stored yet
} // namespace RowStatus
inline const QString TitleLinePrefix = QStringLiteral("$-");
inline constexpr char BrowseCaption[] = QT_TRANSLATE_NOOP("PickerLevel", "&Edit");
inline constexpr char EditingCaption[] = QT_TRANSLATE_NOOP("PickerLevel", "D&one");

// Events a grid raises from real user input. The picker window registers one
// sink per level; default implementations ignore the event.
class IGridEvents {
public:
    virtual ~IGridEvents() = default;

    // The user committed an edit of cell (Col, Row).
    virtual void CellChange(qint32 Col, qint32 Row) {
        Q_UNUSED(Col)
        Q_UNUSED(Row)
    }
    virtual void CellClick(qint32 Col, qint32 Row) {
        Q_UNUSED(Col)
        Q_UNUSED(Row)
    }
    virtual void CellDoubleClick(qint32 Col, qint32 Row) {
        Q_UNUSED(Col)
        Q_UNUSED(Row)
    }
    // A cell editor opened (Mode 1) or closed (Mode 0); ChangeMade when its text changed.
    virtual void EditModeChange(qint32 Col, qint32 Row, qint16 Mode, bool ChangeMade) {
        Q_UNUSED(Col)
        Q_UNUSED(Row)
        Q_UNUSED(Mode)
        Q_UNUSED(ChangeMade)
    }
    virtual void RightClick(qint16 ClickType, qint32 Col, qint32 Row, qint32 X, qint32 Y) {
        Q_UNUSED(ClickType)
        Q_UNUSED(Col)
        Q_UNUSED(Row)
        Q_UNUSED(X)
        Q_UNUSED(Y)
    }
    // The grid scrolled.
    virtual void TopLeftChange(qint32 OldLeft, qint32 OldTop, qint32 NewLeft, qint32 NewTop) {
        Q_UNUSED(OldLeft)
        Q_UNUSED(OldTop)
        Q_UNUSED(NewLeft)
        Q_UNUSED(NewTop)
    }
    // Windows key codes (13 Enter, 27 Escape, 32 Space, 48-57 digits, 65-90
    // letters); Shift is 1 Shift, 2 Ctrl, 4 Alt, added together.
    virtual void KeyDown(qint16& KeyCode, qint16& Shift) {
        Q_UNUSED(KeyCode)
        Q_UNUSED(Shift)
    }
    // Button 1 left, 2 right; X and Y in twips from the grid's top left.
    virtual void MouseUp(qint16& Button, qint16& Shift, float X, float Y) {
        Q_UNUSED(Button)
        Q_UNUSED(Shift)
        Q_UNUSED(X)
        Q_UNUSED(Y)
    }
};

// The spreadsheet grid of one picker level. Cells are addressed by column and
// row from 1; row 0 is the header row and -1 means all rows or all columns.
// Cell-addressed properties (Text, ColHidden, FontBold, RowSelected, Action)
// act on the cell or block set through Row, Col, Row2 and Col2.
// Failing operations throw viVavazuruv::AutomationError.
class IGridControl {
public:
    virtual ~IGridControl() = default;

    // Not owned; null stops event delivery.
    virtual void setEventSink(IGridEvents* sink) = 0;

    // Addressing.
    virtual qint32 Row() const = 0;
    virtual void setRow(qint32 row) = 0;
    virtual qint32 Col() const = 0;
    virtual void setCol(qint32 col) = 0;
    virtual qint32 Row2() const = 0;
    virtual void setRow2(qint32 row) = 0;
    virtual qint32 Col2() const = 0;
    virtual void setCol2(qint32 col) = 0;

    // The cell with the cursor.
    virtual qint32 ActiveRow() const = 0;
    virtual qint32 ActiveCol() const = 0;

    // Row and column counts, headers excluded.
    virtual qint32 MaxRows() const = 0;
    virtual void setMaxRows(qint32 rows) = 0;
    virtual qint32 MaxCols() const = 0;
    virtual void setMaxCols(qint32 cols) = 0;
    // The last row that holds any text; 0 when none does.
    virtual qint32 DataRowCnt() const = 0;

    // Text of the addressed cell.
    virtual QString Text() const = 0;
    virtual void setText(const QString& text) = 0;
    virtual QString GetText(qint32 col, qint32 row) const = 0;
    // The same without a copy, for loops over a whole list; valid until the
    // grid next changes.
    virtual QStringView TextView(qint32 col, qint32 row) const = 0;
    virtual void SetText(qint32 col, qint32 row, QAnyStringView text) = 0;
    // Clears the data of a block; (-1, -1, -1, -1) clears every cell, headers stay.
    virtual void ClearRange(qint32 col, qint32 row, qint32 col2, qint32 row2, bool dataOnly) = 0;

    // One of GridAction.
    virtual void setAction(qint16 action) = 0;
    virtual qint16 Action() const = 0;
    virtual void setSortBy(qint16 sortBy) = 0; // 0 sorts rows
    virtual qint16 SortBy() const = 0;
    virtual void setSortKey(qint16 index, qint32 col) = 0; // index 1 or 2
    virtual qint32 SortKey(qint16 index) const = 0;
    virtual void setSortKeyOrder(qint16 index, qint16 order) = 0; // one of SortOrder
    virtual qint16 SortKeyOrder(qint16 index) const = 0;

    // One of GridMode.
    virtual qint16 OperationMode() const = 0;
    virtual void setOperationMode(qint16 mode) = 0;
    virtual qint32 SelectedCount() const = 0;
    // Tick of row Row.
    virtual bool RowSelected() const = 0;
    virtual void setRowSelected(bool selected) = 0;
    // First ticked row after Row (0 starts before row 1); -1 when there is none.
    virtual qint32 NextSelectedRow(qint32 afterRow) const = 0;

    // Width of a column in character units of the grid font.
    virtual double ColWidth(qint32 col) const = 0;
    virtual void setColWidth(qint32 col, double width) = 0;
    // Hidden state of column Col.
    virtual bool ColHidden() const = 0;
    virtual void setColHidden(bool hidden) = 0;

    // Font of the addressed cells (Row/Col, -1 for all).
    virtual bool FontBold() const = 0;
    virtual void setFontBold(bool bold) = 0;
    virtual double FontSize() const = 0;
    virtual void setFontSize(double points) = 0;
    // Header colours as 0xRRGGBB.
    virtual quint32 ShadowColor() const = 0;
    virtual void setShadowColor(quint32 rgb) = 0;
    virtual quint32 ShadowText() const = 0;
    virtual void setShadowText(quint32 rgb) = 0;

    // On while the level is not in edit mode.
    virtual bool BrowseFlag() const = 0;
    virtual void setBrowseFlag(bool on) = 0;
    // Where Action 1 puts the cell: 0 as near as possible, 3 top, 6 centre.
    virtual qint16 Position() const = 0;
    virtual void setPosition(qint16 position) = 0;
    // Painting is suspended while false.
    virtual bool ReDraw() const = 0;
    virtual void setReDraw(bool on) = 0;
    // Twips of a row of the given height in grid units (row only names the row).
    virtual float RowHeightToTwips(qint32 row, float height) const = 0;
    virtual void Refresh() = 0;
    virtual void SetFocus() = 0;
    // Ends an open cell editor keeping what was typed, as Enter would; its
    // EditModeChange and CellChange, and any event still queued, reach the
    // sink before this returns. Commands call it before they read the cells.
    virtual void CommitEdit() = 0;

    // Placement in twips within the container, visibility and state.
    virtual qint32 Left() const = 0;
    virtual qint32 Top() const = 0;
    virtual qint32 Width() const = 0;
    virtual qint32 Height() const = 0;
    virtual void Move(qint32 left, qint32 top, qint32 width, qint32 height) = 0;
    virtual bool Visible() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool Enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    // The frame that holds the grid (a QWidget for the Qt grid).
    virtual QObject* Container() const = 0;
    virtual void setContainer(QObject* container) = 0;
};

} // namespace viVavazuruv
