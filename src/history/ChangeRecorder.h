#pragma once

#include <QSqlDatabase>
#include <QString>

#include <QList>

#include <memory>
#include <utility>

// The changes a run of the host's own writes makes to UsrDefTable, recorded
// by the host itself: one entry of the history for the whole run (a run of
// more than a megabyte of changes takes several, one after another), written
// inside the run's transaction just before it commits, where the triggers
// would write a row a change (on SQLite a trigger alone costs more than a
// fifth of an imported row). The sealer unpacks the entry into one change
// a row. Other connections, and this one outside a run, keep the triggers.
//
// SQLite only: the connection runs the run with its triggers off, and a
// hook of the library sees every row the run changes, whichever statement
// made it. On PostgreSQL the triggers record every change, as the history's
// owner: nothing a workstation's session says may turn them off.
namespace viVavazuruv::history {

class ChangeRecorder {
public:
    ChangeRecorder();
    ~ChangeRecorder();
    ChangeRecorder(const ChangeRecorder&) = delete;
    ChangeRecorder& operator=(const ChangeRecorder&) = delete;

    // At the start of a run's transaction on db. False (and the triggers
    // record as ever) on PostgreSQL, and when this library cannot see the
    // rows a statement changes.
    bool begin(const QSqlDatabase& db, bool postgres);
    bool recording() const;
    // UsrDefTable's columns as the history names them, read as the run began.
    const QList<std::pair<QString, QString>>& columns() const;
    // Writes the run's changes as its entries, inside the run's transaction,
    // and stops recording. Raises AutomationError: the run must be rolled back.
    void finish(const QString& login, const QString& workstation);
    // The run was rolled back: forgets its changes and stops. Never raises.
    void abandon() noexcept;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace viVavazuruv::history
