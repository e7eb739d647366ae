#include "PgLink.h"

#include <QSqlDriver>
#include <QVariant>

#include <libpq-fe.h>

namespace viVavazuruv::refhost::pg {

namespace {

PGconn* connectionOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // Qt 6 names the type after libpq's struct, Qt 5 after its typedef.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

bool inTransaction(PGTransactionStatusType transaction) {
    return transaction != PQTRANS_IDLE && transaction != PQTRANS_UNKNOWN;
}

} // namespace

State stateOf(const QSqlDatabase& db) {
    PGconn* conn = connectionOf(db);
    if (!conn)
        return State::Unknown;
    PGTransactionStatusType transaction = PQtransactionStatus(conn);
    if (transaction == PQTRANS_ACTIVE) {
        // Qt reads a forward-only statement a row at a time and leaves what
        // follows its last row (the end of the statement, the server's "ready")
        // until the next statement, so libpq still counts it running and hides
        // whether a transaction is open. What has arrived is taken in, never
        // waited for: the state below it then shows, and a connection the
        // server ended is seen.
        PQconsumeInput(conn);
        while (!PQisBusy(conn)) {
            PGresult* result = PQgetResult(conn);
            if (!result)
                break;
            PQclear(result);
        }
        transaction = PQtransactionStatus(conn);
    }
    if (inTransaction(transaction))
        return State::InTransaction;
    // The first read may only take in the server's last words (a termination
    // notice); the second then meets the end of the connection.
    PQconsumeInput(conn);
    PQconsumeInput(conn);
    return PQstatus(conn) == CONNECTION_OK ? State::Idle : State::Broken;
}

void finishPendingStatement(const QSqlDatabase& db) {
    PGconn* conn = connectionOf(db);
    if (!conn || PQtransactionStatus(conn) != PQTRANS_ACTIVE)
        return;
    while (PGresult* result = PQgetResult(conn))
        PQclear(result);
}

bool transactionOpen(const QSqlDatabase& db) {
    PGconn* conn = connectionOf(db);
    return conn && inTransaction(PQtransactionStatus(conn));
}

int socketOf(const QSqlDatabase& db) {
    PGconn* conn = connectionOf(db);
    return conn ? PQsocket(conn) : -1;
}

} // namespace viVavazuruv::refhost::pg
