#pragma once

#include "CopiedRows.h"

#include <QSqlDatabase>

#include <memory>

namespace viVavazuruv::ado {

// Rows of an SQLite result read through the connection's own sqlite3* handle
// (the library Qt's driver uses), without the driver's row cache and its
// extra copy of every value.
class SqliteRows final : public CopiedRows {
public:
    // Runs source on db (a QSQLITE connection) and copies every row; nullptr
    // when the connection or the statement is not one for this way (more than
    // one statement, none that returns rows), which the driver then reads.
    // Throws AutomationError with SQLite's message when the statement fails.
    static std::unique_ptr<EngineRows> read(const QString& source, const QSqlDatabase& db);

private:
    using CopiedRows::CopiedRows;
};

} // namespace viVavazuruv::ado
