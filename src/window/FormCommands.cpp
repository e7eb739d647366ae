// The New, Delete and Close buttons of every level, and Close's keys.
#include "ListColumns.h"
#include "wkDatabases_Form.h"

#include <core/RequestState.h>
#include <grid/GridControl.h>
#include <grid/KeyCodes.h>

#include <QGroupBox>

namespace viVavazuruv {

void wkDatabases_Form::cmd_Add_Click(qint16 Index) {
    if (!UserAction)
        return;
    editSession(Index).addRow([this] { Arrange_Controls(true); });
    const IGridControl& grid = level(Index).grid();
    level(Index).uddbs_SS->announce(
        tr("New entry in row %1 of %2.").arg(grid.ActiveRow()).arg(grid.MaxRows()));
}

void wkDatabases_Form::cmd_Del_Click(qint16 Index) {
    if (!UserAction)
        return;
    const IGridControl& grid = level(Index).grid();
    const qint32 rows = grid.MaxRows();
    const QString entry = grid.GetText(ListColumn::Description, grid.ActiveRow()).trimmed();
    editSession(Index).deleteActiveRow();
    if (grid.MaxRows() < rows)
        level(Index).uddbs_SS->announce(entry.isEmpty() ? tr("Entry deleted.")
                                                        : tr("%1 deleted.").arg(entry));
}

void wkDatabases_Form::cmd_Cancel_Click(qint16 Index) {
    if (!UserAction)
        return;
    Save_Database(Index);
    if (Index == 0) {
        Unload(1);
        return;
    }
    if (m_nestedAwaited[size_t(Index - 1)]) {
        // The level below is filling its entry's variables and may open this
        // level again for the next one at once: the keyboard stays here until
        // it knows, so nothing of the level below is heard in between. Its
        // grid enabled again ends its wait.
        m_handBackDue[size_t(Index)] = true;
        level(Index - 1).grid().setEnabled(true);
        return;
    }
    handBack(Index);
}

void wkDatabases_Form::handBack(qint16 Index) {
    m_handBackDue[size_t(Index)] = false;
    PickerLevel& lvl = level(Index);
    // The level below is given back first and takes the keyboard before
    // this one hides: a hidden or disabled grid with the focus would pass
    // it on through whatever is still enabled on the way.
    CurrentLevel = qint16(Index - 1);
    level(Index - 1).Uddbs_Frame->show();
    Enable_Level_Buttons(qint16(Index - 1), true);
    coverLevelsBelow();
    level(Index - 1).grid().SetFocus();
    // The nested level's controls are kept for a later nested list; only its frame is gone from view.
    lvl.Uddbs_Frame->hide();
    Enable_Level_Buttons(Index, false);
}

void wkDatabases_Form::cmd_Cancel_KeyDown(qint16 Index, qint16 KeyCode, qint16 Shift) {
    Q_UNUSED(Index)
    Q_UNUSED(KeyCode)
    Q_UNUSED(Shift)
    unsetCursor();
}

void wkDatabases_Form::cmd_Cancel_KeyPress(qint16 Index, qint16& KeyAscii) {
    if (KeyAscii != grid::EscapeKeyCode)
        return;
    UserAction = true;
    cmd_Cancel_Click(Index);
}

} // namespace viVavazuruv
