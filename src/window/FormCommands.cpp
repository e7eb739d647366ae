// The New, Delete and Close buttons of every level, and Close's keys.
#include "wkDatabases_Form.h"

#include <ado/VbStrings.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>
#include <store/ListStore.h>

#include <QGroupBox>

namespace viVavazuruv {

namespace {
constexpr qint16 kKeyEscape = 27;
} // namespace

void wkDatabases_Form::cmd_Add_Click(qint16 Index) {
    if (!UserAction)
        return;
    PickerLevel& lvl = level(Index);
    IGridControl& grid = lvl.grid();

    qint32 firstVisible = 0;
    for (qint32 c = 1; c <= grid.MaxCols(); ++c) {
        grid.setCol(c);
        if (!grid.ColHidden()) {
            firstVisible = c;
            break;
        }
    }
    lvl.ListChanged = true;
    grid.setMaxRows(grid.MaxRows() + 1);
    Arrange_Controls(true);
    grid.setRow(grid.MaxRows());
    // Until it is saved the new line's key cell holds the list code.
    grid.setCol(lvl.ColumnCount);
    grid.setText(lvl.FrameTag);
    grid.setCol(grid.MaxCols());
    grid.setText(RowStatus::New);
    grid.SetFocus();
    grid.setCol(firstVisible);
    grid.setPosition(3);
    grid.setAction(GridAction::ActivateCell);
    grid.setAction(GridAction::ScrollToCell);
    grid.Refresh();
}

void wkDatabases_Form::cmd_Del_Click(qint16 Index) {
    if (!UserAction)
        return;
    PickerLevel& lvl = level(Index);
    IGridControl& grid = lvl.grid();
    if (grid.MaxRows() < 1)
        return;
    dialogs().Beep();
    const qint32 answer = dialogs().MessageBox(QStringLiteral("Are you sure you want to delete this record?"),
                                               MsgBox::YesNo + MsgBox::Question + MsgBox::DefaultButton2,
                                               QStringLiteral("Delete Record"));
    if (answer != MsgBox::AnswerYes)
        return;

    grid.setRow(grid.ActiveRow());
    const qint32 row = grid.Row();
    // A line that was never saved has no record: its key cell holds the list
    // code, whose leading digits could name somebody else's row. Nothing is
    // deleted from the table for it.
    const bool unsaved = grid.GetText(lvl.StatusColumn, row) == RowStatus::New;
    if (!unsaved && row >= 1) {
        const qint32 key = vb::KeyOf(grid.GetText(lvl.ColumnCount, row));
        if (!mayDelete(lvl, key))
            return;
        store().DeleteRow(key);
    }
    grid.setAction(GridAction::DeleteRow);
    grid.setMaxRows(grid.DataRowCnt());
    grid.SetFocus();
}

void wkDatabases_Form::cmd_Cancel_Click(qint16 Index) {
    if (!UserAction)
        return;
    Save_Database(Index);
    if (Index > 0) {
        PickerLevel& lvl = level(Index);
        lvl.Uddbs_Frame->hide();
        Enable_Level_Buttons(Index, false);
        // The nested level's controls are kept for a later nested list; only its frame is gone from view.
        CurrentLevel = qint16(CurrentLevel - 1);
        level(Index - 1).Uddbs_Frame->show();
        Enable_Level_Buttons(qint16(Index - 1), true);
        return;
    }
    Unload(1);
}

void wkDatabases_Form::cmd_Cancel_KeyDown(qint16 Index, qint16 KeyCode, qint16 Shift) {
    Q_UNUSED(Index)
    Q_UNUSED(KeyCode)
    Q_UNUSED(Shift)
    unsetCursor();
}

void wkDatabases_Form::cmd_Cancel_KeyPress(qint16 Index, qint16& KeyAscii) {
    if (KeyAscii != kKeyEscape)
        return;
    UserAction = true;
    cmd_Cancel_Click(Index);
}

} // namespace viVavazuruv
