#pragma once

#include "ReferenceHost.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <stdexcept>

namespace viVavazuruv {

// One recorded change of UsrDefTable.
struct VIVAVAZURUV_REFHOST_EXPORT ListChange {
    qint64 change = 0;   // the change number, in the order changes were made
    QString at;          // UTC, "YYYY-MM-DDTHH:MM:SS.mmmZ"
    QString user;        // the name the host claimed for its user; "" when the change came from elsewhere
    QString workstation; // "" likewise
    qint32 office = 0;
    QString action; // "insert", "update" or "delete"
    QString list;   // UsrDefCod
    qint32 key = 0; // usrdefInd
    QString before; // the row as JSON text, every column; "" for an insert
    QString after;  // "" for a delete
    // Who made the change as the database knows it, whatever the host
    // claimed: the PostgreSQL role of the session (a workstation cannot set
    // it); on SQLite the operating-system account of the reference host that
    // made it ("" for another program, and for changes from before it was kept).
    QString account;
};

// Which changes to read; every field narrows.
struct VIVAVAZURUV_REFHOST_EXPORT ChangeFilter {
    QStringList lists; // list codes, compared as the host compares them
    std::optional<qint32> key;
    QString since; // UTC text as in ListChange::at, or a prefix of it ("2026-12-07")
    std::optional<qint32> office;
};

// Where the chain of seals ends: the newest change's number and its hash.
// Kept outside the database (printed by vv-lists verify, appended to the
// host's anchor file), a head lets a later check prove that the history
// still holds every change up to it: a history cut short, emptied or made
// again from the start no longer does.
struct VIVAVAZURUV_REFHOST_EXPORT HistoryHead {
    qint64 change = 0;
    QString hash;

    // "CHANGE:HASH"
    QString text() const;
    // From "CHANGE:HASH" or "CHANGE HASH [anything]"; empty when text is neither.
    static std::optional<HistoryHead> parse(const QString& text);
};

struct VIVAVAZURUV_REFHOST_EXPORT HistoryCheck {
    bool intact = true;
    qint64 changes = 0;     // sealed changes checked
    qint64 firstBroken = 0; // the first change that does not match
    QString reason;
    HistoryHead head;       // where the chain ends now
    qint64 prunedHeads = 0; // expected heads older than the checkpoint, which a prune removed
};

// Why a restore cannot be done (the key is taken, the row changed since).
class VIVAVAZURUV_REFHOST_EXPORT RestoreRefused : public std::runtime_error {
public:
    explicit RestoreRefused(const QString& reason)
        : std::runtime_error(reason.toStdString()), m_reason(reason) {}
    const QString& reason() const { return m_reason; }

private:
    QString m_reason;
};

// The database roles of an office's PostgreSQL server, for ListHistory::setUpRoles.
struct VIVAVAZURUV_REFHOST_EXPORT DatabaseRoles {
    // Owns every table and function of the host's schema: the only role,
    // beside the server's superusers, that may alter, remove or prune the history.
    QString owner;
    // The workstations' role: reads and writes the lists and the host's
    // tables; of the history, reads it, and runs the seal. Its changes are
    // recorded by the triggers as the owner, so it needs no right to write
    // the history, and nothing it may set or run turns recording off.
    QString workstations;
    // Reads everything and may run the seal; "" for no such role.
    QString readers;
};

// The reference host's history of UsrDefTable: every insert, update and
// delete is recorded by the database's own triggers, whoever makes it, and
// sealed by this class into one chain of SHA-256 hashes per database, each
// over a change and the hash before it (docs/reference-host.md tells what
// the chain shows and what it cannot). Works on the host's connection and
// office (office mode 7: that office's changes only); every call raises
// AutomationError for the database.
class VIVAVAZURUV_REFHOST_EXPORT ListHistory {
public:
    explicit ListHistory(ReferenceHost& host);

    // Seals every change not sealed yet, in change order; gives how many.
    qint64 seal();
    // Each reader seals first, so it sees every change made so far.
    // The changes the filter lets through, oldest first, each handed to each
    // as it is read (a long history is never held whole).
    void changes(const ChangeFilter& filter, const std::function<void(const ListChange&)>& each);
    QList<ListChange> changes(const ChangeFilter& filter);
    std::optional<ListChange> change(qint64 number);
    // The newest sealed change of the row with this key, in any office (seal first for the newest).
    std::optional<ListChange> lastChangeOf(qint32 key);
    // Seals, then checks the whole chain from its start or its checkpoint,
    // and that it still holds every head in expected (kept outside the
    // database); an entry that cannot be read, and an empty history beside
    // lists that hold rows, are findings too.
    HistoryCheck verify(const QList<HistoryHead>& expected = {});
    // Seals, then gives where the chain ends.
    HistoryHead head();
    // Removes the changes made before the UTC time given (text as in
    // ListChange::at, or a date), the chain's oldest part, keeping the last
    // removed hash as the checkpoint the rest links to. Refuses (RestoreRefused)
    // a chain that does not verify. Gives how many were removed.
    qint64 pruneBefore(const QString& before);
    // Puts the row back as it stood before the change: an update is undone
    // through SaveRecord, a deleted row comes back under its key, an inserted
    // one goes. Refuses (RestoreRefused, with the reason) when the row moved
    // on since: it changed again, its key was taken, the change is of another
    // office. The restore is recorded as a change of its own. With dryRun
    // nothing is written. Gives what was (or would be) done, in words.
    QString restore(qint64 number, bool dryRun = false);

    // PostgreSQL: brings the host's schema up to date (as the connected role),
    // then hands every table, sequence and function in it to roles.owner and
    // grants the other roles what DatabaseRoles says, taking every other right
    // away from them and from PUBLIC. The roles must exist; the connected role
    // must be a superuser or a member of the owner. Run it again after an
    // upgrade or a column added to UsrDefTable. Gives what was granted, in
    // words. SQLite has no roles: raises AutomationError saying so (a file's
    // readers and writers are the file system's).
    QString setUpRoles(const DatabaseRoles& roles);

private:
    ReferenceHost& m_host;
};

} // namespace viVavazuruv
