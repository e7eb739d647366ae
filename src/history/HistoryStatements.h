#pragma once

#include <QSqlQuery>
#include <QString>

// The history's statements fail with one kind of message: what was being
// done, then the driver's reason.
namespace viVavazuruv::history {

// Raises AutomationError (DatabaseError): "WHAT failed: REASON".
[[noreturn]] void failed(const QString& what, const QSqlQuery& q);
// Runs a prepared statement, or the text sql; raises as failed() when it fails.
void exec(QSqlQuery& q, const QString& what);
void exec(QSqlQuery& q, const QString& sql, const QString& what);

} // namespace viVavazuruv::history
