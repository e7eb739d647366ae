#pragma once

#include <QSqlDatabase>

// What the host asks of a PostgreSQL connection beyond its driver, through
// the connection's own PGconn* (QSqlDriver::handle()): the host's driver, or
// Qt's QPSQL on a connection a caller made, which links the same system
// libpq.so.5, so the handle is valid for these calls.
namespace viVavazuruv::refhost::pg {

enum class State {
    Unknown,       // not a PostgreSQL connection, or one without a handle
    Idle,          // open, between statements, outside a transaction
    InTransaction, // a transaction is open: the connection is left as it is
    Broken,        // the server ended the connection or the socket failed
};

// Takes in whatever the server sent since the last statement (a termination
// notice, the end of the connection) without waiting, then tells the state.
// The unread end of a statement already read to its last row (Qt's
// forward-only reads leave it) is taken in and dropped, so the state under it shows.
State stateOf(const QSqlDatabase& db);

// Waits for the end of a statement the driver left unread (see stateOf), so
// that what follows knows for sure whether a transaction is open. The answer
// watch still cuts a server that never finishes it.
void finishPendingStatement(const QSqlDatabase& db);

// Whether a transaction is open on the connection, as libpq last heard:
// nothing is read from the server. False for anything but PostgreSQL.
bool transactionOpen(const QSqlDatabase& db);

// The connection's socket, -1 when it has none or it cannot be known.
int socketOf(const QSqlDatabase& db);

} // namespace viVavazuruv::refhost::pg
