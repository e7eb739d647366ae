// The Edit/Done button: a level switches between picking rows and editing
// them in place, and saving forwards to the level's edit session; and the
// grid search that finds a row again afterwards.
#include "FormTwips.h"
#include "Hourglass.h"
#include "ListColumns.h"
#include "MessageTitle.h"
#include "ShownCaption.h"
#include "wkDatabases_Form.h"

#include <ado/VbStrings.h>
#include <core/Logging.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>

#include <QGroupBox>

namespace viVavazuruv {

namespace {
constexpr double kEditLeft = 0.1;  // of the screen's width
constexpr double kEditWidth = 0.8; // of the screen's width
constexpr qint32 kReadAhead = 16;  // rows

// Runs one step of leaving edit mode: a step that fails does not keep the
// level from returning to browse mode.
template <class Step> void tolerated(const char* what, Step&& step) {
    try {
        step();
    } catch (...) {
        logPassedOver(lcWindow, what, std::current_exception());
    }
}
} // namespace

ListEditSession wkDatabases_Form::editSession(qint16 Level) {
    PickerLevel& lvl = level(Level);
    if (!ConflictCheck) {
        qint16 flag = 0;
        host().ReadOptionFlag(QStringLiteral("LIST_CONFLICT_CHECK"), 0, nullptr, 0, flag);
        ConflictCheck = flag != 0;
    }
    return ListEditSession(lvl, lvl.grid(), host(), dialogs(), m_request, *ConflictCheck);
}

void wkDatabases_Form::Save_Database(qint16 Level) {
    PickerLevel& lvl = level(Level);
    // Every close passes here; a list nobody changed needs no session and no question to the host.
    if (!lvl.ListChanged)
        return;
    Hourglass hourglass;
    ListEditSession session = editSession(Level);
    if (!session.save())
        return;
    // The list comes back sorted again; the cursor stays with its entry (a
    // new one has its key by now), not with its row number.
    const QString key = activeEntryKey(Level);
    const qint32 col = lvl.grid().ActiveCol();
    Fill_Database_Grid(Level, lvl.FrameTag, true);
    keepCursorOn(Level, key, col);
}

QString wkDatabases_Form::activeEntryKey(qint16 Level) {
    const PickerLevel& lvl = level(Level);
    const IGridControl& grid = lvl.grid();
    const qint32 row = grid.ActiveRow();
    // A line never saved holds the list's code there, which may read as a number.
    if (grid.GetText(lvl.StatusColumn, row) == RowStatus::New)
        return {};
    return grid.GetText(lvl.ColumnCount, row);
}

void wkDatabases_Form::keepCursorOn(qint16 Level, const QString& key, qint32 col) {
    IGridControl& grid = level(Level).grid();
    const qint32 row = editSession(Level).findKeyRow(key);
    if (row < 1)
        return; // gone (or never saved): the cursor stays where it stood
    grid.setRow(row);
    grid.setCol(col);
    grid.setAction(GridAction::ActivateCell);
}

void wkDatabases_Form::cmd_Edit_Click(qint16 Index) {
    if (!UserAction)
        return;
    Hourglass hourglass;
    PickerLevel& lvl = level(Index);
    if (lvl.editing())
        leaveEditMode(Index);
    else
        enterEditMode(Index);

    IGridControl& grid = lvl.grid();
    grid.setAction(GridAction::ActivateCell);
    grid.setAction(GridAction::ScrollToCell);
    grid.setReDraw(true);
    grid.SetFocus();
    grid.Refresh();
    // Heard as well as seen: the mode, and after a save (which may have put
    // the cursor on another row) the entry the cursor is on.
    const QString entry = grid.GetText(ListColumn::Description, grid.ActiveRow()).trimmed();
    lvl.uddbs_SS->announce(lvl.editing()     ? tr("Editing the list; Done saves it.")
                           : entry.isEmpty() ? tr("Choosing again.")
                                             : tr("Choosing again; the cursor is on %1.").arg(entry));
}

void wkDatabases_Form::enterEditMode(qint16 Index) {
    PickerLevel& lvl = level(Index);
    IGridControl& grid = lvl.grid();
    Save_Window_Setting();
    lvl.setTitle(host().CaptionText(shownCaption(m_request.FrameCaptions.at(Index))), tr(" ( Editing )"));
    lvl.cmd_Cancel->hide();
    lvl.cmd_Select->hide();
    lvl.cmd_Add->show();
    lvl.cmd_Del->show();
    lvl.setMode(LevelMode::Edit);

    // The editing starts on the row the cursor is on.
    grid.setRow(grid.ActiveRow());
    if (lvl.PipeSignLevel == PipeSignMode::ShowsVariables) {
        // The grid shows "(?)" for variables; the user edits the stored texts.
        grid.setReDraw(false);
        const qint32 c0 = grid.ActiveCol();
        const QString key = grid.GetText(grid.MaxCols() - 1, grid.ActiveRow());
        Fill_Database_Grid(Index, lvl.FrameTag, false);
        grid.setRow(editSession(Index).findKeyRow(key));
        grid.setCol(c0);
    }
    for (qint32 c = 1; c <= grid.MaxCols(); ++c) {
        if (grid.ColWidth(c) > 0) {
            grid.setCol(c);
            break;
        }
    }
    editSession(Index).begin();

    // Wider, for the texts being edited; the settings file keeps the browse placement.
    const qint32 screenWidth = twips::screenWidthTwips();
    setFormLeft(qRound(kEditLeft * screenWidth));
    setFormWidth(qRound(kEditWidth * screenWidth));
    Set_Button_Hints(Index);
}

void wkDatabases_Form::leaveEditMode(qint16 Index) {
    PickerLevel& lvl = level(Index);
    IGridControl& grid = lvl.grid();
    qint32 c0 = 1;
    qint32 row = 0;
    QString text;
    tolerated("leaving edit mode: reading the active cell", [&] {
        c0 = grid.ActiveCol();
        row = grid.ActiveRow();
        text = grid.GetText(c0, row);
    });
    tolerated("leaving edit mode: the frame caption",
              [&] { lvl.setTitle(host().CaptionText(shownCaption(m_request.FrameCaptions.at(Index)))); });
    tolerated("leaving edit mode: the buttons", [&] {
        lvl.cmd_Add->hide();
        lvl.cmd_Del->hide();
        lvl.cmd_Cancel->show();
        lvl.cmd_Select->show();
    });
    lvl.setMode(LevelMode::Browse);

    // A save that fails must not pass unseen: the rows it did not write keep
    // their marks and the list stays changed, so Close saves them again.
    const qint32 unsaved = rowsToSave(Index);
    try {
        Save_Database(Index);
    } catch (...) {
        tellSaveFailed(std::current_exception(), rowsToSave(Index) == unsaved);
    }

    // Browse mode picks rows again even when nothing was saved (and so
    // nothing refilled the grid): cells that looked like a list to choose
    // from must not stay editable.
    tolerated("leaving edit mode: picking rows again", [&] {
        if (grid.OperationMode() == GridMode::Edit)
            Set_Selection_Mode(Index);
        grid.setBrowseFlag(true);
    });

    if (lvl.PipeSignLevel == PipeSignMode::ShowsVariables) {
        tolerated("leaving edit mode: refilling the pipe-sign list", [&] {
            grid.setReDraw(false);
            Fill_Database_Grid(Index, lvl.FrameTag, true);
            host().NotifyHost(1);
            // Found again by the text the cursor's cell held, as a grid
            // search finds it: the first row whose cell contains it.
            grid.setRow(Find_Grid_Text(Index, text, c0, c0, false));
            grid.setCol(c0);
        });
    } else {
        // The save kept the cursor on its entry, wherever the sort put it.
        tolerated("leaving edit mode: returning to the entry", [&] {
            grid.setRow(grid.ActiveRow());
            grid.setCol(c0);
        });
    }
    tolerated("leaving edit mode: placing the window again", [&] {
        Load_Window_Setting();
        Form_Resize();
    });
    tolerated("leaving edit mode: the button hints", [&] { Set_Button_Hints(Index); });
}

qint32 wkDatabases_Form::Find_Grid_Text(qint16 Index, const QString& Text, qint32 FromCol, qint32 ToCol,
                                        bool SkipHidden) {
    if (Text.isEmpty())
        return 0;
    const QString key = vb::Trim(Text).toUpper();
    IGridControl& grid = level(Index).grid();
    qint32 found = 0;
    for (qint32 c = FromCol; c <= ToCol && found == 0; ++c) {
        grid.setRow(1);
        grid.setCol(c);
        if (SkipHidden && grid.ColHidden())
            continue;
        const qint32 rows = grid.MaxRows();
        for (qint32 r = 1; r <= rows; ++r) {
            // A sorted list's texts lie all over the heap: asking for rows
            // ahead early lets their memory arrive while this one is compared.
            if (r + kReadAhead <= rows)
                __builtin_prefetch(grid.TextView(c, r + kReadAhead).data());
            if (vb::TrimmedContainsUpper(grid.TextView(c, r), key)) {
                found = r;
                break;
            }
        }
    }
    if (found == 0)
        return 0;
    grid.setRow(found);
    grid.setCol(1);
    grid.setPosition(6);
    grid.setAction(GridAction::ActivateCell);
    grid.setAction(GridAction::ScrollToCell);
    return found;
}

} // namespace viVavazuruv
