#pragma once

#include "EngineRows.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <memory>
#include <vector>

// libpq's PGresult and PGconn; libpq-fe.h stays inside PostgresRows.cpp
struct pg_result;
struct pg_conn;

namespace viVavazuruv::ado {

// Rows of a PostgreSQL result run through the connection's own PGconn*
// (libpq, the one Qt's QPSQL driver uses) and read in place from libpq's
// result, which is already a client-side copy of every row: no second copy,
// no QVariant per value until one is asked for. Streamed, the rows come one
// at a time as the server sends them (libpq's single-row mode), so the
// caller's work on a row overlaps the server's on the next, and only the
// current row is held.
class PostgresRows final : public EngineRows {
public:
    // Runs source on db (a QPSQL connection); nullptr when the connection or
    // the statement is not one for this way: only a plain SELECT outside a
    // transaction, on a UTF-8 connection, whose columns are text, whole
    // numbers or truth values, runs here. The driver reads (and reports the
    // failures of) everything else. Streamed, the connection stays busy
    // until the last row has come or the rows are destroyed.
    static std::unique_ptr<EngineRows> read(const QString& source, const QSqlDatabase& db,
                                            bool streamed = false);
    // The rows of a statement the driver ran itself (the reference host's
    // own driver, which sends the host's transaction settings with it and
    // keeps libpq's result), read in place from that result; the rows keep
    // the query. A query whose driver sends the rows as they come (one row
    // a result, PGRES_SINGLE_TUPLE) is read on through the query as the
    // cursor moves. nullptr, the query untouched, when its driver keeps no
    // such result or a column's type is one left to the driver.
    static std::unique_ptr<EngineRows> held(QSqlQuery& query);
    ~PostgresRows() override;

    const QVariant& value(qint32 row, int column, QVariant& slot) const override;
    QAnyStringView text(qint32 row, int column, QString& buffer) const override;
    // Throws AutomationError with the server's message when the statement
    // fails after its first rows.
    bool fetchMore() override;

private:
    PostgresRows(pg_result* result, pg_conn* streaming) : m_result(result), m_streaming(streaming) {}
    // Reads what the server still sends, so the connection is idle again.
    void finish();
    // The next row of a held query that streams.
    bool fetchFromQuery();
    // Names and types of the result's columns; false when one is left to the driver.
    bool readColumns();

    pg_result* m_result;
    pg_conn* m_streaming;          // while streamed rows are still arriving
    qint32 m_firstRow = 0;         // the row m_result's first row is
    std::vector<unsigned> m_types; // each column's type (its OID)
    // Qt's QPSQL reads a positive bigint as unsigned; the host's driver does not.
    bool m_unsignedInt8 = true;
    std::unique_ptr<QSqlQuery> m_owner; // holds m_result when the driver ran it
};

} // namespace viVavazuruv::ado
