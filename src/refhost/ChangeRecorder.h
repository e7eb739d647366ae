#pragma once

#include <QSqlDatabase>
#include <QString>

#include <QList>

#include <memory>
#include <utility>

// The changes a run of the host's own writes makes to UsrDefTable, recorded
// by the host itself: one entry of the history for the whole run, written
// inside the run's transaction just before it commits, where the triggers
// would write a row a change (on SQLite a trigger alone costs more than a
// fifth of an imported row). The sealer unpacks the entry into one change
// a row. Other connections, and this one outside a run, keep the triggers.
//
// SQLite: the connection runs the run with its triggers off, and a hook of
// the library sees every row the run changes, whichever statement made it.
// PostgreSQL: the update trigger passes over a transaction that says it
// records itself, and the host's own updates leave their rows before in a
// table of the session's (inserts and deletes keep their triggers, which
// record a statement at once), or, for the rows a run read locked first,
// in one statement as it read them.
namespace viVavazuruv::refhost {

class ChangeRecorder {
public:
    ChangeRecorder();
    ~ChangeRecorder();
    ChangeRecorder(const ChangeRecorder&) = delete;
    ChangeRecorder& operator=(const ChangeRecorder&) = delete;

    // At the start of a run's transaction on db. False (and the triggers
    // record as ever) when this library cannot see the rows a statement
    // changes. Raises AutomationError.
    bool begin(const QSqlDatabase& db, bool postgres);
    bool recording() const;
    // UsrDefTable's columns as the history names them, read as the run began.
    const QList<std::pair<QString, QString>>& columns() const;
    // PostgreSQL: a run's locked read of whole rows of UsrDefTable (as
    // translated), which the run then writes. The rows are locked and their
    // rows before kept here in one statement, so the updates that follow
    // need not each keep their own. Raises AutomationError.
    void keepLockedRows(const QString& lockedRead);
    // Whether keepLockedRows kept the row before of key and no update has
    // used it yet: its update then keeps nothing itself, and says so once written.
    bool lockedRow(qint64 key) const;
    void usedLockedRow(qint64 key);
    // Writes the run's changes as one entry, inside the run's transaction,
    // and stops recording. Raises AutomationError, having written nothing.
    void finish(const QString& login, const QString& workstation);
    // The run was rolled back: forgets its changes and stops. Never raises.
    void abandon() noexcept;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace viVavazuruv::refhost
