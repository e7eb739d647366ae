#pragma once

#include <QSqlDatabase>

// SQLite's seal, inside the sealer's transaction (which holds the write
// lock): the changes waiting for their seal go through a work table of the
// sealer's connection, an entry of several changes written out there as one
// row a change, so memory stays bounded at any length of history.
namespace viVavazuruv::history {

// Seals every change without a seal, in change order; gives how many.
// Raises AutomationError, the transaction then the caller's to roll back.
qint64 sealSqlite(const QSqlDatabase& db);

} // namespace viVavazuruv::history
