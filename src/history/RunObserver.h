#pragma once

#include <QSqlDatabase>
#include <QString>

// What a host tells of its own writes, for whatever keeps account of them
// (the list history): a run of saves in one transaction, and the rows it
// writes in a run or alone. The host calls; the observer never reaches back
// into the host.
namespace viVavazuruv::history {

class RunObserver {
public:
    virtual ~RunObserver() = default;

    // A run's transaction has begun on db. Raising rolls the run back.
    virtual void runBegun(const QSqlDatabase& db) = 0;
    // The host wrote a row of table (in a run when inRun; else committed already).
    virtual void rowWritten(const QString& table, qint32 key, bool inRun) = 0;
    // The run is about to commit: the last moment to write inside it.
    // Raising rolls the run back, and nothing of it is kept.
    virtual void beforeCommit() = 0;
    // The run committed.
    virtual void committed() = 0;
    // The run was rolled back, or its commit failed. Never raises.
    virtual void abandoned() noexcept = 0;
};

} // namespace viVavazuruv::history
