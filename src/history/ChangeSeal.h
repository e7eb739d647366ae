#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

// The chain of seals over UsrDefTable's history: each change's SHA-256 is
// taken over its content and the hash of the change sealed before it, so
// altering, removing or reordering a sealed change breaks the chain there.
// Changes are sealed in change order by the host's own code (SQLite has no
// SHA-256 for a trigger in another program's connection), and given the
// next seal number: on PostgreSQL a change may become visible after one with
// a higher number, and then simply gets a later seal.
namespace viVavazuruv::history {

// The columns a seal covers, in the order changeHash takes them.
inline const QString kSealedColumns = QStringLiteral(
    "SealNo, ChangeNo, ChangedAt, LoginName, Workstation, OfficeID, Action, UsrDefCod, usrdefInd, RowBefore, "
    "RowAfter, Account");

// Hex SHA-256 over the previous hash and the values (each marked by its
// length, NULL apart from ""), as read from the kSealedColumns. The account,
// kept since schema version 4, counts only when it holds a value, so the
// changes sealed before keep their hashes (and one given an account later
// no longer matches). PostgreSQL's seal function hashes the same way.
QString changeHash(const QString& previous, const QVariantList& values);

// Seals every change without a seal, in change order, and unpacks the
// entries that hold several changes into one change a row; gives how many.
// It takes a transaction of its own (SQLite: the write lock at once;
// PostgreSQL: the history's seal function, run as the history's owner): on
// SQLite it seals nothing when the connection is inside a transaction
// already; on PostgreSQL the caller makes sure it is not. Sealers
// take turns. With wait false a sealer that finds another at work seals
// nothing and returns 0: the one at work, or the next, seals its changes,
// and no workstation queues behind another's seal. A role that may not run
// the seal function seals nothing either. Raises AutomationError.
qint64 sealChanges(QSqlDatabase db, bool postgres, bool wait = true);

// Whether any change waits for its seal.
bool unsealedChanges(const QSqlDatabase& db);

// Where the chain ends: the newest seal's number and hash (the checkpoint's
// when every sealed change was pruned; 0 and "" for a chain never begun).
struct ChainHead {
    qint64 seal = 0;
    QString hash;
};
ChainHead chainHead(const QSqlDatabase& db);

} // namespace viVavazuruv::history
