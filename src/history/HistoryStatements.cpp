#include "HistoryStatements.h"

#include <viVavazuruv/AutomationError.h>

#include <QSqlError>

using namespace Qt::StringLiterals;

namespace viVavazuruv::history {

void failed(const QString& what, const QSqlQuery& q) {
    throw AutomationError(ErrorCode::DatabaseError, u"%1 failed: %2"_s.arg(what, q.lastError().text()));
}

void exec(QSqlQuery& q, const QString& what) {
    if (!q.exec())
        failed(what, q);
}

void exec(QSqlQuery& q, const QString& sql, const QString& what) {
    if (!q.exec(sql))
        failed(what, q);
}

} // namespace viVavazuruv::history
