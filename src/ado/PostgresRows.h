#pragma once

#include "EngineRows.h"

#include <QSqlDatabase>

#include <memory>
#include <vector>

struct pg_result; // libpq's PGresult; libpq-fe.h stays inside PostgresRows.cpp

namespace viVavazuruv::ado {

// Rows of a PostgreSQL result run through the connection's own PGconn*
// (libpq, the one Qt's QPSQL driver uses) and read in place from libpq's
// result, which is already a client-side copy of every row: no second copy,
// no QVariant per value until one is asked for.
class PostgresRows final : public EngineRows {
public:
    // Runs source on db (a QPSQL connection); nullptr when the connection or
    // the statement is not one for this way: only a plain SELECT outside a
    // transaction, on a UTF-8 connection, whose columns are text, whole
    // numbers or truth values, runs here. The driver reads (and reports the
    // failures of) everything else.
    static std::unique_ptr<EngineRows> read(const QString& source, const QSqlDatabase& db);
    ~PostgresRows() override;

    const QVariant& value(qint32 row, int column, QVariant& slot) const override;
    QAnyStringView text(qint32 row, int column, QString& buffer) const override;

private:
    explicit PostgresRows(pg_result* result) : m_result(result) {}

    pg_result* m_result;
    std::vector<unsigned> m_types; // each column's type (its OID)
};

} // namespace viVavazuruv::ado
