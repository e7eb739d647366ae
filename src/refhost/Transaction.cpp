#include <viVavazuruv/Transaction.h>

#include <viVavazuruv/AutomationError.h>

#include <QCoreApplication>
#include <QSqlError>

using namespace Qt::StringLiterals;

namespace viVavazuruv::refhost {

Transaction::Transaction(QSqlDatabase db) : m_db(std::move(db)) {
    if (!m_db.transaction())
        throw AutomationError(ErrorCode::DatabaseError,
                              QCoreApplication::translate("Transaction", "Cannot begin a transaction: %1")
                                  .arg(m_db.lastError().text()));
}

Transaction::~Transaction() {
    if (!m_done)
        m_db.rollback();
}

void Transaction::commit() {
    if (!m_db.commit())
        throw AutomationError(
            ErrorCode::DatabaseError,
            QCoreApplication::translate("Transaction", "Cannot commit: %1").arg(m_db.lastError().text()));
    m_done = true;
}

} // namespace viVavazuruv::refhost
