#pragma once

#include "LevelList.h"

#include <core/PickerRequest.h>
#include <viVavazuruv/IDialogs.h>
#include <viVavazuruv/IHostServices.h>

#include <QCoreApplication>
#include <QHash>
#include <QStringList>

#include <functional>
#include <optional>

namespace viVavazuruv {

class IGridControl;
class ListStore;
class SaveRun;
struct PendingRow;

// Editing one level's list in place: rows changed, added and deleted in the
// grid, and written back to UsrDefTable when the list is saved. With the
// host's conflict check on, a save or delete never overwrites or drops what
// another workstation saved since editing began without asking first.
//
// Plain logic over the grid's interface, the list store and the dialogs
// object: the window makes one for each command, over the level's list
// state, and shows what it changed.
class ListEditSession final {
    Q_DECLARE_TR_FUNCTIONS(ListEditSession)

public:
    ListEditSession(LevelList& list, IGridControl& grid, IHostServices& host, IDialogs& dialogs,
                    const PickerRequest& request, bool conflictCheck);
    ListEditSession(const ListEditSession&) = delete;
    ListEditSession& operator=(const ListEditSession&) = delete;

    // Makes the grid's cells editable and keeps the stored rows to measure edits against.
    void begin();
    // A cell the user changed: the list is changed, a stored row edited ("M"); a new row stays new.
    void cellChanged(qint32 row);
    // Adds an empty row marked new and puts the cursor in its first visible
    // cell; grown runs once the row exists, before it is filled (the window
    // makes room for it).
    void addRow(const std::function<void()>& grown);
    // Deletes the active row after asking; a stored row goes from the table
    // at once, a new one only from the grid.
    void deleteActiveRow();
    // Writes the rows marked edited or new, after the host's question. True
    // when it wrote (the list is to be read again); a refused save keeps the
    // marks for a later one.
    bool save();
    // Keeps the level's stored rows as they stand, for the conflict check of
    // its next save; a row still marked edited keeps what it was measured against.
    void rememberLoadedRows();
    // The row whose key cell holds exactly key; 0 when none does.
    qint32 findKeyRow(const QString& key) const;

private:
    // What a save compares its edited rows with: the edited rows as stored,
    // read and locked within the open run, and the versions of another
    // workstation the user chose to overwrite.
    struct RowComparison {
        QList<qint32> keys; // of the rows marked edited
        std::optional<QHash<qint32, QStringList>> stored;
        QHash<qint32, QStringList> overruled;
    };
    // Whether an edited row is to be written (turned into an insert when the
    // user adds a deleted row again): compared with what is stored now, in
    // the run that writes it; another workstation's change since editing
    // began is asked about first.
    bool settleConflict(PendingRow& row, SaveRun& run, RowComparison& comparison);
    // Makes the row an insert: key 0 and, last, its list's code in upper case.
    void markAsNew(PendingRow& row) const;
    // Whether a stored row may be deleted: unchanged since loaded, or the user says so.
    bool mayDelete(qint32 key);
    // Who last changed the row and when (local time), when the host keeps a
    // history that knows; nothing otherwise.
    std::optional<std::pair<QString, QString>> lastChangeOf(qint32 key) const;
    // One line per field that differs: its column's caption, then and now.
    QString describeChanges(const QStringList& before, const QStringList& now) const;
    ListStore store() const;

    LevelList& m_list;
    IGridControl& m_grid;
    IHostServices& m_host;
    IDialogs& m_dialogs;
    const PickerRequest& m_request;
    bool m_conflictCheck;
};

} // namespace viVavazuruv
