#pragma once

#include "CopiedRows.h"

#include <QSqlDatabase>

#include <memory>

// SQLite's handles; sqlite3.h stays inside SqliteRows.cpp
struct sqlite3;
struct sqlite3_stmt;

namespace viVavazuruv::ado {

// Rows of an SQLite result read through the connection's own sqlite3* handle
// (the library Qt's driver uses), without the driver's row cache and its
// extra copy of every value. Streamed, a block of rows is read each time the
// cursor reaches the end of the last, and a block it has left is freed: a
// long list never has all its rows copied at once.
class SqliteRows final : public CopiedRows {
public:
    // Runs source on db (a QSQLITE connection) and copies every row, or the
    // first block when streamed; nullptr when the connection or the statement
    // is not one for this way (more than one statement, none that returns
    // rows), which the driver then reads. Throws AutomationError with
    // SQLite's message when the statement fails.
    static std::unique_ptr<EngineRows> read(const QString& source, const QSqlDatabase& db,
                                            bool streamed = false);
    ~SqliteRows() override;

    bool fetchMore() override;

private:
    SqliteRows(QVector<QString> names, sqlite3* connection, sqlite3_stmt* statement);
    // Copies up to rows more rows; false when none were left. The statement
    // is finished once the last row is read.
    bool copyRows(qint32 rows);

    sqlite3* m_connection;
    sqlite3_stmt* m_statement; // until the last row is read
};

} // namespace viVavazuruv::ado
