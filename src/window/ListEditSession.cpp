// Editing a level's list in place, and writing its edited and new rows back.
#include "ListEditSession.h"

#include "SaveRun.h"

#include <ado/VbStrings.h>
#include <grid/IGridControl.h>
#include <store/ListStore.h>

#include <exception>
#include <utility>

namespace viVavazuruv {

namespace {
constexpr qint16 kCursorAtTop = 3;
} // namespace

ListEditSession::ListEditSession(LevelList& list, IGridControl& grid, IHostServices& host, IDialogs& dialogs,
                                 const PickerRequest& request, bool conflictCheck)
    : m_list(list), m_grid(grid), m_host(host), m_dialogs(dialogs), m_request(request),
      m_conflictCheck(conflictCheck) {}

ListStore ListEditSession::store() const {
    return ListStore(m_host);
}

void ListEditSession::begin() {
    m_grid.setOperationMode(GridMode::Edit);
    m_grid.setBrowseFlag(false);
    rememberLoadedRows();
}

void ListEditSession::cellChanged(qint32 row) {
    m_list.ListChanged = true;
    const QString status = m_grid.GetText(m_list.StatusColumn, row);
    if (status.isEmpty() || status == RowStatus::Stored)
        m_grid.SetText(m_list.StatusColumn, row, RowStatus::Edited);
}

void ListEditSession::addRow(const std::function<void()>& grown) {
    IGridControl& grid = m_grid;
    qint32 firstVisible = 0;
    for (qint32 c = 1; c <= grid.MaxCols(); ++c) {
        grid.setCol(c);
        if (!grid.ColHidden()) {
            firstVisible = c;
            break;
        }
    }
    m_list.ListChanged = true;
    grid.setMaxRows(grid.MaxRows() + 1);
    if (grown)
        grown();
    grid.setRow(grid.MaxRows());
    // Until it is saved the new line's key cell holds the list code.
    grid.setCol(m_list.ColumnCount);
    grid.setText(m_list.FrameTag);
    grid.setCol(grid.MaxCols());
    grid.setText(RowStatus::New);
    grid.SetFocus();
    grid.setCol(firstVisible);
    grid.setPosition(kCursorAtTop);
    grid.setAction(GridAction::ActivateCell);
    grid.setAction(GridAction::ScrollToCell);
    grid.Refresh();
}

void ListEditSession::deleteActiveRow() {
    IGridControl& grid = m_grid;
    if (grid.MaxRows() < 1)
        return;
    m_dialogs.Beep();
    const qint32 answer =
        m_dialogs.MessageBox(tr("Are you sure you want to delete this record?"),
                             MsgBox::YesNo + MsgBox::Question + MsgBox::DefaultButton2, tr("Delete Record"));
    if (answer != MsgBox::AnswerYes)
        return;

    grid.setRow(grid.ActiveRow());
    const qint32 row = grid.Row();
    // A line that was never saved has no record: its key cell holds the list
    // code, whose leading digits could name somebody else's row. Nothing is
    // deleted from the table for it.
    const bool unsaved = grid.GetText(m_list.StatusColumn, row) == RowStatus::New;
    if (!unsaved && row >= 1) {
        const qint32 key = vb::KeyOf(grid.GetText(m_list.ColumnCount, row));
        if (!mayDelete(key))
            return;
        store().DeleteRow(key);
    }
    grid.setAction(GridAction::DeleteRow);
    grid.setMaxRows(grid.DataRowCnt());
    grid.SetFocus();
}

bool ListEditSession::save() {
    if (!m_list.ListChanged)
        return false;
    if (m_host.AskMessage(QStringLiteral("SA001"), QString(), QString()) == MsgBox::AnswerNo) {
        // Refused: the edits stay in the grid and are written by a later confirmed save.
        m_list.ListChanged = false;
        return false;
    }

    IGridControl& grid = m_grid;
    const ListStore listStore = store();
    const qint32 rows = grid.MaxRows();
    // Rows are gathered and written as one run, but never across a question
    // to the user (no transaction or lock waits for a person) nor past a row
    // that raises: what comes before either is written first, as row by row.
    SaveRun run(listStore, grid, m_list);
    RowComparison comparison;
    if (m_conflictCheck) {
        for (qint32 r = 1; r <= rows; ++r) {
            if (grid.GetText(m_list.StatusColumn, r) == RowStatus::Edited)
                comparison.keys << vb::KeyOf(grid.GetText(m_list.ColumnCount, r));
        }
    }
    try {
        for (qint32 r = 1; r <= rows; ++r) {
            const QString status = grid.GetText(m_list.StatusColumn, r);
            const bool edited = status == RowStatus::Edited;
            const bool added = status == RowStatus::New;
            if (!edited && !added)
                continue;
            PendingRow p{r, 0, added, {}, {}};
            for (int c = 1; c <= m_list.ColumnCount - 1; ++c) {
                p.names << m_request.FieldNames(c);
                p.values << grid.GetText(c, r);
            }
            if (edited) {
                // A stored row's key cell holds a number; anything else is a fault worth stopping for.
                const QString keyText = grid.GetText(m_list.ColumnCount, r);
                bool isNumber = false;
                const double keyValue = vb::Trim(keyText).toDouble(&isNumber);
                if (!isNumber)
                    throw AutomationError(
                        ErrorCode::TypeMismatch,
                        tr("Row %1 has no record key (\"%2\"); it cannot be updated.").arg(r).arg(keyText));
                p.key = vb::CLng(keyValue);
                if (m_conflictCheck && !settleConflict(p, run, comparison))
                    continue;
            } else {
                markAsNew(p);
            }
            run.add(std::move(p));
        }
    } catch (...) {
        // The rows before the failure are written, in a run of their own:
        // the one open may be spoiled by what failed.
        const std::exception_ptr failure = std::current_exception();
        run.abandon();
        try {
            run.write();
        } catch (...) { // those rows keep their marks; the first failure is the one to tell
        }
        std::rethrow_exception(failure);
    }
    run.write();
    m_list.ListChanged = false;
    return true;
}

qint32 ListEditSession::findKeyRow(const QString& key) const {
    // An exact match: a containment search for key 5 would stop at key 15.
    const QString wanted = vb::Trim(key);
    bool isNumber = false;
    wanted.toLongLong(&isNumber);
    if (!isNumber)
        return 0;
    const qint32 keyColumn = m_grid.MaxCols() - 1;
    for (qint32 r = 1; r <= m_grid.MaxRows(); ++r) {
        if (vb::Trim(m_grid.GetText(keyColumn, r)) == wanted)
            return r;
    }
    return 0;
}

} // namespace viVavazuruv
