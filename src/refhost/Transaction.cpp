#include <viVavazuruv/Transaction.h>

#include <viVavazuruv/AutomationError.h>

#include <QSqlError>

using namespace Qt::StringLiterals;

namespace viVavazuruv::refhost {

Transaction::Transaction(QSqlDatabase db) : m_db(std::move(db)) {
    if (!m_db.transaction())
        throw AutomationError(ErrorCode::DatabaseError,
                              u"Cannot begin a transaction: %1"_s.arg(m_db.lastError().text()));
}

Transaction::~Transaction() {
    if (!m_done)
        m_db.rollback();
}

void Transaction::commit() {
    if (!m_db.commit())
        throw AutomationError(ErrorCode::DatabaseError, u"Cannot commit: %1"_s.arg(m_db.lastError().text()));
    m_done = true;
}

} // namespace viVavazuruv::refhost
