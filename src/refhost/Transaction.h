#pragma once

#include <viVavazuruv/AutomationError.h>

#include <QSqlDatabase>
#include <QSqlError>

namespace viVavazuruv::refhost {

// One transaction on a connection: rolled back when it goes out of scope
// without commit(), so an exception leaves the database as it was.
class Transaction {
public:
    explicit Transaction(QSqlDatabase db) : m_db(std::move(db)) {
        if (!m_db.transaction())
            throw AutomationError(
                ErrorCode::DatabaseError,
                QStringLiteral("Cannot begin a transaction: %1").arg(m_db.lastError().text()));
    }
    ~Transaction() {
        if (!m_done)
            m_db.rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit() {
        if (!m_db.commit())
            throw AutomationError(ErrorCode::DatabaseError,
                                  QStringLiteral("Cannot commit: %1").arg(m_db.lastError().text()));
        m_done = true;
    }

private:
    QSqlDatabase m_db;
    bool m_done = false;
};

} // namespace viVavazuruv::refhost
