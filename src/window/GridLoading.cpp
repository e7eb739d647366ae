// Setting up a level's grid from the request, filling it from UsrDefTable, sorting it.
#include "MessageTitle.h"
#include "ShownCaption.h"
#include "wkDatabases_Form.h"

#include <ado/VbStrings.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>
#include <grid/TextColumn.h>
#include <store/ListStore.h>

#include <QGroupBox>
#include <QScopeGuard>

namespace viVavazuruv {

namespace {
constexpr double kCellFontSize = 10.0;
constexpr double kHeaderFontSize = 8.75;
constexpr quint32 kHeaderBack = 0x000080; // navy
constexpr quint32 kHeaderText = 0xFFFFE8; // pale yellow
} // namespace

void wkDatabases_Form::Set_Selection_Mode(qint16 Level) {
    level(Level).grid().setOperationMode(m_request.MultiSelect ? GridMode::MultiSelect
                                                               : GridMode::SingleSelect);
}

void wkDatabases_Form::Load_Database(qint16 Level, const QString& ListCode, bool ShowPipeSigns) {
    PickerLevel& lvl = level(Level);
    IGridControl& grid = lvl.grid();
    lvl.ListChanged = false;
    const QString& frameCaption = m_request.FrameCaptions.at(Level);
    const QString title =
        Level == 0 && m_loaded ? m_loaded->frameTitle : host().CaptionText(shownCaption(frameCaption));
    lvl.setTitle(title);
    lvl.setTicksRows(m_request.MultiSelect);
    // Level 0 is heard by its title, or by the window's caption when the
    // frame has none or only names the list's code; a nested level by the
    // entry that opened it (Open_Database_Level).
    if (Level == 0)
        lvl.setSubject(namesListByCode(frameCaption) || title.trimmed().isEmpty()
                           ? shownCaption(m_request.WindowCaption)
                           : title);
    Set_Selection_Mode(Level);
    // The fonts, captions and rows below reach the view as one change.
    const bool redraw = grid.ReDraw();
    grid.setReDraw(false);
    const auto restoreRedraw = qScopeGuard([&] { grid.setReDraw(redraw); });

    grid.setBrowseFlag(true);
    grid.setRow(-1);
    grid.setCol(-1);
    grid.setFontBold(false);
    grid.setFontSize(kCellFontSize);
    grid.setRow(0);
    grid.setFontBold(true);
    grid.setFontSize(kHeaderFontSize);

    lvl.setUpColumns(m_request);
    grid.setMaxCols(lvl.ColumnCount + 1);
    for (int c = 1; c <= lvl.ColumnCount; ++c) {
        const qint16 width = m_request.ColumnWidths(c);
        grid.SetText(c, 0, shownCaption(m_request.ColumnCaptions(c)));
        grid.setColWidth(c, width);
        grid.setCol(c);
        grid.setColHidden(width == 0);
    }

    grid.setCol(lvl.StatusColumn);
    grid.setColHidden(true);

    // The fill ends by sorting the level by the request's keys, so the sort
    // that would follow here could not change the order; it is left out.
    Fill_Database_Grid(Level, ListCode, ShowPipeSigns);
    lvl.FrameTag = ListCode;

    grid.setShadowColor(kHeaderBack);
    grid.setShadowText(kHeaderText);
}

void wkDatabases_Form::Fill_Database_Grid(qint16 Level, const QString& ListCode, bool ShowPipeSigns) {
    if (Level > 3)
        return;
    PickerLevel& lvl = level(Level);
    IGridControl& grid = lvl.grid();
    // Painting and change notices wait until the whole list is in.
    const bool redraw = grid.ReDraw();
    grid.setReDraw(false);
    const auto restoreRedraw = qScopeGuard([&] { grid.setReDraw(redraw); });
    Set_Selection_Mode(Level);
    grid.ClearRange(-1, -1, -1, -1, true);
    grid.setMaxRows(0);
    lvl.ListChanged = false;
    lvl.FrameTag = ListCode;
    lvl.LoadedRows.clear();

    // Level 0's first fill takes the rows the entry point read, as they show.
    const bool loaded = Level == 0 && m_loaded && m_loaded->rows >= 0;
    const qint32 rows =
        loaded ? fillFromLoaded(lvl)
               : store().LoadList(ListCode, m_request.FieldNames, lvl.ColumnCount, grid, [&](qint32 row) {
                     grid.SetText(lvl.StatusColumn, row, RowStatus::Stored);
                     lvl.decidePipeSigns([&](qint32 col) { return grid.TextView(col, row); });
                 });
    grid.setMaxRows(rows);

    // Sorted by what the rows show: a variable shown as "(?)" sorts as "(?)".
    if (ShowPipeSigns && loaded)
        grid.setCol(lvl.DescriptionColumn);
    else if (ShowPipeSigns)
        Pipsign_Replace(Level);
    Sort_Grid(Level);
    // A level refilled while it is being edited is measured against what it now holds.
    if (lvl.editing())
        editSession(Level).rememberLoadedRows();
}

qint32 wkDatabases_Form::fillFromLoaded(PickerLevel& lvl) {
    IGridControl& grid = lvl.grid();
    LoadedList& loaded = *m_loaded;
    const qint32 rows = loaded.rows;
    grid.setMaxRows(rows);
    for (qint32 c = 1; c <= lvl.ColumnCount && c < qint32(loaded.columns.size()); ++c) {
        const grid::TextColumn& column = loaded.columns[size_t(c)];
        for (qint32 r = 1; r <= rows; ++r) {
            if (!column.isEmpty(r - 1))
                grid.SetText(c, r, column.at(r - 1));
        }
    }
    for (qint32 r = 1; r <= rows; ++r)
        grid.SetText(lvl.StatusColumn, r, RowStatus::Stored);
    lvl.PipeSignLevel = loaded.list.PipeSignLevel;
    // Taken once: a later fill of level 0 reads the table again.
    loaded.columns.clear();
    loaded.rows = -1;
    return rows;
}

void wkDatabases_Form::Sort_Grid(qint16 Level) {
    if (m_request.SortKeys.UBound() < 1 || m_request.SortKeys(1) < 1)
        return;
    IGridControl& grid = level(Level).grid();
    grid.setRow(1);
    grid.setCol(1);
    grid.setRow2(grid.MaxRows());
    grid.setCol2(grid.MaxCols());
    grid.setSortBy(0);
    for (int k = 1; k <= m_request.SortKeys.UBound(); ++k) {
        grid.setSortKey(qint16(k), m_request.SortKeys(k));
        grid.setSortKeyOrder(qint16(k), m_request.SortKeyOrders(k));
    }
    grid.setAction(GridAction::Sort);
}

bool wkDatabases_Form::IsTitleLine(qint16 Index, qint32 Row, qint32 Col, bool ShowMessage) {
    IGridControl& grid = level(Index).grid();
    grid.setRow(Row);
    grid.setCol(Col);
    if (!grid.Text().startsWith(TitleLinePrefix))
        return false;
    if (ShowMessage)
        dialogs().MessageBox(tr(" Lines with ($-) symbol are title lines. Try again. "), MsgBox::Exclamation,
                             ListMessageTitle());
    if (m_request.MultiSelect)
        grid.setRowSelected(false);
    return true;
}

} // namespace viVavazuruv
