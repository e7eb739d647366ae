#pragma once

#include "CopiedRows.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <memory>

namespace viVavazuruv::ado {

// Rows read through Qt's driver (QSqlQuery, forward only), every value as the
// driver converts it: the way for every engine and every statement that no
// engine's own reader takes.
class DriverRows final : public CopiedRows {
public:
    // Runs source on db and copies every row. Throws AutomationError with the
    // driver's message when the statement fails or returns no rows.
    static std::unique_ptr<EngineRows> read(const QString& source, const QSqlDatabase& db);
    // The two halves of read: the statement run (forward only), then its rows
    // copied. Streamed, a driver that can is asked to send the rows as they
    // come (its dynamic property "rowsAsTheyCome", true while the statement
    // runs): they are then read once, from the first to the last.
    static QSqlQuery run(const QString& source, const QSqlDatabase& db, bool streamed = false);
    static std::unique_ptr<EngineRows> copy(QSqlQuery& query);

private:
    using CopiedRows::CopiedRows;
};

} // namespace viVavazuruv::ado
