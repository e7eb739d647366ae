#pragma once

#include "ReferenceHost.h" // the reference host library's export mark

#include <QSqlDatabase>

namespace viVavazuruv::refhost {

// One transaction on a connection, for a host's own work that must be done
// whole or not at all (filling an office's lists, importing a file). It
// begins when made and is rolled back when it goes out of scope without
// commit(), so an exception leaves the database as it was.
//
// It keeps a handle on the connection, not the connection itself: the
// connection's owner (the host that lent it) must keep it open while the
// transaction lives. Nothing else may begin or end a transaction on that
// connection meanwhile; ReferenceHost makes no connection again while one
// is open, so a connection lost midway makes the next statement fail
// rather than run outside the transaction.
class VIVAVAZURUV_REFHOST_EXPORT Transaction {
public:
    // Raises AutomationError (DatabaseError, with the driver's reason) when
    // the transaction cannot begin.
    explicit Transaction(QSqlDatabase db);
    // Rolls back unless committed; never raises.
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Raises AutomationError (DatabaseError) when the commit fails; the
    // transaction is then rolled back when it goes out of scope.
    void commit();

private:
    QSqlDatabase m_db;
    bool m_done = false;
};

} // namespace viVavazuruv::refhost
