#include "Connection.h"

#include "AdoConstants.h"

#include <core/Logging.h>
#include <viVavazuruv/AutomationError.h>

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

namespace viVavazuruv::ado {

void requireOpen(const QSqlDatabase& db) {
    if (!db.isValid())
        throw AutomationError(
            ErrorCode::ConnectionError,
            QCoreApplication::translate("Connection", "The host lent no database connection."));
    if (!db.isOpen())
        throw AutomationError(
            ErrorCode::ConnectionError,
            QCoreApplication::translate("Connection", "The host's database connection \"%1\" is not open.")
                .arg(db.connectionName()));
}

void Connection::Execute(const QString& commandText, qint32* recordsAffected, qint32 options) const {
    if ((options & adCmdText) == 0)
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("Only command text can be executed (options %1).").arg(options));
    requireOpen(m_database);
    qCDebug(lcSql).noquote() << "execute:" << commandText;
    QSqlQuery query(m_database);
    if (!query.exec(commandText))
        throw AutomationError(ErrorCode::DatabaseError,
                              QCoreApplication::translate("Connection", "The statement failed: %1")
                                  .arg(query.lastError().text()));
    if (recordsAffected)
        *recordsAffected = query.numRowsAffected();
}

} // namespace viVavazuruv::ado
