// Reading any result through Qt's driver.
#include "DriverRows.h"

#include <viVavazuruv/AutomationError.h>

#include <QCoreApplication>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace viVavazuruv::ado {

std::unique_ptr<EngineRows> DriverRows::read(const QString& source, const QSqlDatabase& db) {
    QSqlQuery query = run(source, db);
    return copy(query);
}

QSqlQuery DriverRows::run(const QString& source, const QSqlDatabase& db, bool streamed) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    QSqlDriver* driver = db.driver();
    if (streamed)
        driver->setProperty("rowsAsTheyCome", true);
    const bool ran = query.exec(source);
    if (streamed)
        driver->setProperty("rowsAsTheyCome", QVariant());
    if (!ran)
        throw AutomationError(
            ErrorCode::DatabaseError,
            QCoreApplication::translate("DriverRows", "The query failed: %1").arg(query.lastError().text()));
    if (!query.isSelect())
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("The statement returns no rows to open a recordset on."));
    return query;
}

std::unique_ptr<EngineRows> DriverRows::copy(QSqlQuery& query) {
    const QSqlRecord record = query.record();
    const int columns = record.count();
    QVector<QString> names(columns);
    for (int c = 0; c < columns; ++c)
        names[c] = record.fieldName(c);
    std::unique_ptr<DriverRows> rows(new DriverRows(std::move(names)));
    while (query.next()) {
        Chunk& chunk = rows->nextRow();
        for (int c = 0; c < columns; ++c)
            rows->putValue(chunk, query.value(c));
    }
    if (query.lastError().isValid())
        throw AutomationError(ErrorCode::DatabaseError,
                              QCoreApplication::translate("DriverRows", "Reading the rows failed: %1")
                                  .arg(query.lastError().text()));
    return rows;
}

} // namespace viVavazuruv::ado
