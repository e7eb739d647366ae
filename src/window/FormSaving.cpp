// Writing a level's edited and new rows back to UsrDefTable.
#include "Hourglass.h"
#include "wkDatabases_Form.h"

#include <ado/VbStrings.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>
#include <store/ListStore.h>

#include <exception>
#include <optional>
#include <utility>
#include <vector>

namespace viVavazuruv {

namespace {

// One row to write: its grid row, the key to pass (0 inserts) and its pairs.
struct PendingRow {
    qint32 row = 0;
    qint32 key = 0;
    bool added = false;
    QStringList names;
    QStringList values;
};

// Marks a row written: status "E", and an inserted row's new key.
void markWritten(IGridControl& grid, const PickerLevel& lvl, const PendingRow& p, qint32 key) {
    if (p.added)
        grid.SetText(lvl.ColumnCount, p.row, QString::number(key));
    grid.SetText(lvl.StatusColumn, p.row, RowStatus::Stored);
}

void writeOne(const ListStore& store, IGridControl& grid, const PickerLevel& lvl, const PendingRow& p) {
    qint32 key = p.key;
    if (store.SaveRow(key, p.names, p.values))
        markWritten(grid, lvl, p, key);
}

// Writes the rows in order, one SaveRecord call each. A host that takes them
// as one run commits once instead of once per row. A run that fails keeps
// nothing, so the rows before the failing call are written again one call
// each and its error is raised: the rows before a failing row stay written,
// the rest keep their marks for a later save, as without a run.
void writeRows(const ListStore& store, IGridControl& grid, const PickerLevel& lvl,
               const std::vector<PendingRow>& rows) {
    if (rows.empty())
        return;
    std::size_t done = 0; // calls that returned
    if (store.BeginSaveRun()) {
        std::vector<std::optional<qint32>> written(rows.size());
        try {
            for (; done < rows.size(); ++done) {
                qint32 key = rows[done].key;
                if (store.SaveRow(key, rows[done].names, rows[done].values))
                    written[done] = key;
            }
            store.EndSaveRun(true);
        } catch (...) {
            const std::exception_ptr failure = std::current_exception();
            try {
                store.EndSaveRun(false);
            } catch (...) { // the run is dropped either way
            }
            for (std::size_t i = 0; i < done; ++i)
                writeOne(store, grid, lvl, rows[i]);
            if (done < rows.size())
                std::rethrow_exception(failure);
            return; // only the commit failed, and every row is written now
        }
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (written[i])
                markWritten(grid, lvl, rows[i], *written[i]);
        return;
    }
    for (const PendingRow& p : rows)
        writeOne(store, grid, lvl, p);
}

// Whether another workstation's change (or deletion) stands against ours.
// A row remembered from no edit session (changed by code, not in edit mode)
// has nothing to be measured against: only its deletion can tell.
bool isConflict(const PickerLevel& lvl, qint32 key, const QHash<qint32, QStringList>& stored,
                const QStringList& mine) {
    const auto theirs = stored.constFind(key);
    const auto loaded = lvl.LoadedRows.constFind(key);
    return theirs == stored.constEnd() ||
           !(loaded == lvl.LoadedRows.constEnd() || *theirs == *loaded || *theirs == mine);
}

} // namespace

void wkDatabases_Form::Save_Database(qint16 Level) {
    Hourglass hourglass;
    PickerLevel& lvl = level(Level);
    if (!lvl.ListChanged)
        return;
    if (host().AskMessage(QStringLiteral("SA001"), QString(), QString()) == MsgBox::AnswerNo) {
        // Refused: the edits stay in the grid and are written by a later confirmed save.
        lvl.ListChanged = false;
        return;
    }

    IGridControl& grid = lvl.grid();
    const ListStore listStore = store();
    const qint32 rows = grid.MaxRows();
    // Rows are gathered and written together, but never across a question to
    // the user (no transaction waits for a person) nor past a row that raises:
    // what comes before either is written first, as row by row.
    std::vector<PendingRow> pending;
    const auto flush = [&] {
        const std::vector<PendingRow> batch = std::exchange(pending, {});
        writeRows(listStore, grid, lvl, batch);
    };
    // Read once, when the first edited row is to be written.
    std::optional<QHash<qint32, QStringList>> stored;
    try {
        for (qint32 r = 1; r <= rows; ++r) {
            const QString status = grid.GetText(lvl.StatusColumn, r);
            const bool edited = status == RowStatus::Edited;
            const bool added = status == RowStatus::New;
            if (!edited && !added)
                continue;
            PendingRow p{r, 0, added, {}, {}};
            for (int c = 1; c <= lvl.ColumnCount - 1; ++c) {
                p.names << m_state.FieldNames(c);
                p.values << grid.GetText(c, r);
            }
            if (edited) {
                // A stored row's key cell holds a number; anything else is a fault worth stopping for.
                const QString keyText = grid.GetText(lvl.ColumnCount, r);
                bool isNumber = false;
                const double keyValue = vb::Trim(keyText).toDouble(&isNumber);
                if (!isNumber)
                    throw AutomationError(
                        ErrorCode::TypeMismatch,
                        QStringLiteral("Row %1 has no record key (\"%2\"); it cannot be updated.")
                            .arg(r)
                            .arg(keyText));
                p.key = vb::CLng(keyValue);
                if (ConflictCheck) {
                    if (!stored)
                        stored = listStore.StoredRows(lvl.FrameTag, m_state.FieldNames,
                                                      qint16(lvl.ColumnCount - 1));
                    if (isConflict(lvl, p.key, *stored, p.values)) {
                        flush();
                        const Conflict choice = resolveConflict(lvl, p.key, *stored, p.values);
                        if (choice == Conflict::Leave)
                            continue;
                        if (choice == Conflict::WriteAsNew) {
                            p.key = 0;
                            p.names << m_state.FieldNames(0);
                            p.values << lvl.FrameTag.toUpper();
                        }
                    }
                }
            } else {
                p.names << m_state.FieldNames(0);
                p.values << lvl.FrameTag.toUpper();
            }
            pending.push_back(std::move(p));
        }
    } catch (...) {
        flush();
        throw;
    }
    flush();
    lvl.ListChanged = false;
    Fill_Database_Grid(Level, lvl.FrameTag, true);
}

wkDatabases_Form::Conflict wkDatabases_Form::resolveConflict(const PickerLevel& lvl, qint32 key,
                                                             const QHash<qint32, QStringList>& stored,
                                                             const QStringList& mine) {
    if (!isConflict(lvl, key, stored, mine))
        return Conflict::Write;
    const auto theirs = stored.constFind(key);
    const QString entry = mine.value(1);
    const qint32 flags = MsgBox::YesNo + MsgBox::Exclamation + MsgBox::DefaultButton2;
    if (theirs == stored.constEnd()) {
        const bool again =
            dialogs().MessageBox(QStringLiteral("\"%1\" was deleted at another workstation while "
                                                "you were editing it.\r\n\r\nYes: add your "
                                                "version again.\r\nNo: leave it deleted.")
                                     .arg(entry),
                                 flags, QStringLiteral(" User Defined Database")) == MsgBox::AnswerYes;
        return again ? Conflict::WriteAsNew : Conflict::Leave;
    }
    const bool overwrite =
        dialogs().MessageBox(
            QStringLiteral("\"%1\" was changed at another workstation while you were editing "
                           "it; it now reads \"%2\".\r\n\r\nYes: save your version over "
                           "theirs.\r\nNo: keep theirs and drop your change.")
                .arg(entry, theirs->value(1)),
            flags, QStringLiteral(" User Defined Database")) == MsgBox::AnswerYes;
    return overwrite ? Conflict::Write : Conflict::Leave;
}

bool wkDatabases_Form::mayDelete(const PickerLevel& lvl, qint32 key) {
    if (!ConflictCheck)
        return true;
    const std::optional<QStringList> theirs =
        store().StoredRow(key, m_state.FieldNames, qint16(lvl.ColumnCount - 1));
    if (!theirs || !lvl.LoadedRows.contains(key) || *theirs == lvl.LoadedRows.value(key))
        return true; // gone already, nothing to measure against, or as it was loaded
    return dialogs().MessageBox(QStringLiteral("\"%1\" was changed at another workstation since you opened "
                                               "the list; it now reads \"%2\".\r\n\r\nDelete it all the "
                                               "same?")
                                    .arg(lvl.LoadedRows.value(key).value(1), theirs->value(1)),
                                MsgBox::YesNo + MsgBox::Exclamation + MsgBox::DefaultButton2,
                                QStringLiteral(" User Defined Database")) == MsgBox::AnswerYes;
}

} // namespace viVavazuruv
