// Reading a PostgreSQL result straight from the connection's own handle.
#include "PostgresRows.h"

#include <viVavazuruv/AutomationError.h>

#include <QCoreApplication>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>

#include <libpq-fe.h>

#include <algorithm>
#include <charconv>

namespace viVavazuruv::ado {

namespace {

// Type OIDs (PostgreSQL's catalog/pg_type.h, a server header libpq-dev lacks).
constexpr Oid kBoolOid = 16, kInt8Oid = 20, kInt2Oid = 21, kInt4Oid = 23;
// Dates, fractions, binary strings and unsigned identifiers depend on the
// driver's own conversions: bytea, regproc, oid, xid, cid, float4, float8,
// abstime, reltime, date, time, timestamp, timestamptz, timetz, numeric.
constexpr Oid kDriverTypes[] = {17, 24, 26, 28, 29, 700, 701, 702, 703, 1082, 1083, 1114, 1184, 1266, 1700};

// The connection's own PGconn*; null when the driver has none.
PGconn* connectionOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    // Qt 6 names the type after libpq's struct, Qt 5 after its typedef.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

bool startsWithSelect(const QString& source) {
    const QStringView text = QStringView(source).trimmed();
    return text.size() > 6 && text.first(6).compare(u"select", Qt::CaseInsensitive) == 0 &&
           text.at(6).isSpace();
}

bool isAscii(const char* bytes, int size) {
    // Every byte looked at, no early way out: the loop runs many bytes at a time.
    unsigned char seen = 0;
    for (int i = 0; i < size; ++i)
        seen |= static_cast<unsigned char>(bytes[i]);
    return seen < 0x80;
}

template <typename T> T parsed(const char* bytes, int size) {
    T value{};
    std::from_chars(bytes, bytes + size, value);
    return value;
}

// A statement the server ran and refused is not run again through the
// driver: a lock or a statement timeout would be waited out twice. Only text
// that cannot run this way (several statements in one, a syntax error) and a
// connection that gave no answer are left to the driver, which reports them.
void raiseWhenRefused(const PGresult* result) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    if (!state || qstrcmp(state, "42601") == 0)
        return;
    const QString message = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
    throw AutomationError(ErrorCode::DatabaseError,
                          QCoreApplication::translate("DriverRows", "The query failed: %1")
                              .arg(message + QStringLiteral(" (") + QLatin1String(state) + QLatin1Char(')')));
}

} // namespace

std::unique_ptr<EngineRows> PostgresRows::read(const QString& source, const QSqlDatabase& db, bool streamed) {
    // The driver hands rows over one at a time and converts every value into
    // a QVariant on the way; here the text results are kept as they arrive.
    if (!startsWithSelect(source))
        return nullptr;
    PGconn* connection = connectionOf(db);
    if (!connection)
        return nullptr;
    // What a forward-only query of the driver left unread (a kept statement's
    // last result) is dropped, as the driver drops it before a statement of
    // its own; the connection is then idle unless a transaction is open.
    if (PQtransactionStatus(connection) == PQTRANS_ACTIVE) {
        while (PGresult* pending = PQgetResult(connection))
            PQclear(pending);
    }
    if (PQtransactionStatus(connection) != PQTRANS_IDLE ||
        qstrcmp(pg_encoding_to_char(PQclientEncoding(connection)), "UTF8") != 0)
        return nullptr;

    // One statement only, unlike a simple query, so text holding several runs as the driver runs it.
    const QByteArray statement = source.toUtf8();
    std::unique_ptr<PostgresRows> rows;
    if (streamed) {
        if (!PQsendQueryParams(connection, statement.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0))
            return nullptr;
        PQsetSingleRowMode(connection);
        rows.reset(new PostgresRows(PQgetResult(connection), connection));
        const ExecStatusType status = rows->m_result ? PQresultStatus(rows->m_result) : PGRES_FATAL_ERROR;
        if (status != PGRES_SINGLE_TUPLE)
            rows->finish(); // no rows, or a failure
        if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK) {
            raiseWhenRefused(rows->m_result);
            return nullptr;
        }
    } else {
        rows.reset(new PostgresRows(
            PQexecParams(connection, statement.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0),
            nullptr));
        if (!rows->m_result || PQresultStatus(rows->m_result) != PGRES_TUPLES_OK) {
            raiseWhenRefused(rows->m_result);
            return nullptr;
        }
    }
    if (!rows->readColumns())
        return nullptr; // destroying the rows reads what the server still sends
    rows->m_rowCount = PQntuples(rows->m_result);
    rows->m_complete = !rows->m_streaming;
    return rows;
}

std::unique_ptr<EngineRows> PostgresRows::held(QSqlQuery& query) {
    // Qt's QPSQL keeps one row at a time of a forward-only query: only the
    // host's driver keeps the whole answer.
    if (!query.driver() || !query.result() ||
        qstrcmp(query.driver()->metaObject()->className(), "QPSQLDriver") == 0)
        return nullptr;
    const QVariant handle = query.result()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_result*") != 0 && qstrcmp(handle.typeName(), "PGresult*") != 0))
        return nullptr;
    PGresult* result = *static_cast<PGresult* const*>(handle.constData());
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_TUPLES_OK && status != PGRES_SINGLE_TUPLE)
        return nullptr;
    std::unique_ptr<PostgresRows> rows(new PostgresRows(result, nullptr));
    rows->m_unsignedInt8 = false;
    if (!rows->readColumns()) {
        rows->m_result = nullptr; // the query's own
        return nullptr;
    }
    rows->m_owner = std::make_unique<QSqlQuery>(std::move(query));
    rows->m_rowCount = PQntuples(result);
    rows->m_complete = status == PGRES_TUPLES_OK;
    // On the first row, so the next move of the query brings the second.
    if (!rows->m_complete)
        rows->m_owner->next();
    return rows;
}

bool PostgresRows::readColumns() {
    const int columns = PQnfields(m_result);
    m_names.resize(columns);
    m_types.reserve(size_t(columns));
    for (int c = 0; c < columns; ++c) {
        const Oid type = PQftype(m_result, c);
        if (std::find(std::begin(kDriverTypes), std::end(kDriverTypes), type) != std::end(kDriverTypes))
            return false;
        m_types.push_back(type);
        m_names[c] = QString::fromUtf8(PQfname(m_result, c));
    }
    return true;
}

bool PostgresRows::fetchMore() {
    if (m_owner && !m_complete)
        return fetchFromQuery();
    if (!m_streaming)
        return false;
    PQclear(m_result);
    m_result = PQgetResult(m_streaming);
    switch (m_result ? PQresultStatus(m_result) : PGRES_FATAL_ERROR) {
    case PGRES_SINGLE_TUPLE:
        m_firstRow = m_rowCount++;
        return true;
    case PGRES_TUPLES_OK:
        // The last result after the rows: it holds none.
        finish();
        return false;
    default: {
        // No result at all before the last one: another statement on the
        // connection took the rows that were still to come.
        const QString message = !m_result ? QStringLiteral("the connection ran another statement meanwhile")
                                          : QString::fromUtf8(PQresultErrorMessage(m_result)).trimmed();
        finish();
        throw AutomationError(
            ErrorCode::DatabaseError,
            QCoreApplication::translate("PostgresRows", "Reading the rows failed: %1").arg(message));
    }
    }
}

bool PostgresRows::fetchFromQuery() {
    if (!m_owner->next()) {
        m_complete = true;
        if (m_owner->lastError().isValid())
            throw AutomationError(ErrorCode::DatabaseError,
                                  QCoreApplication::translate("PostgresRows", "Reading the rows failed: %1")
                                      .arg(m_owner->lastError().text()));
        return false;
    }
    // The query's result now begins with the row it moved to: one row while
    // they come, or all the rest, read in when another statement needed the connection.
    m_result = *static_cast<PGresult* const*>(m_owner->result()->handle().constData());
    m_firstRow = m_rowCount;
    m_rowCount += PQntuples(m_result);
    m_complete = PQresultStatus(m_result) != PGRES_SINGLE_TUPLE;
    return true;
}

void PostgresRows::finish() {
    if (m_streaming) {
        while (PGresult* rest = PQgetResult(m_streaming))
            PQclear(rest);
    }
    m_streaming = nullptr;
    m_complete = true;
}

PostgresRows::~PostgresRows() {
    if (!m_owner)
        PQclear(m_result); // nothing for a null result
    finish();
}

const QVariant& PostgresRows::value(qint32 row, int column, QVariant& slot) const {
    const Oid type = m_types[size_t(column)];
    if (PQgetisnull(m_result, row - m_firstRow, column)) {
        slot = QVariant(QMetaType(type == kBoolOid                       ? QMetaType::Bool
                                  : type == kInt8Oid                     ? QMetaType::LongLong
                                  : type == kInt2Oid || type == kInt4Oid ? QMetaType::Int
                                                                         : QMetaType::QString));
        return slot;
    }
    const char* text = PQgetvalue(m_result, row - m_firstRow, column);
    const int size = PQgetlength(m_result, row - m_firstRow, column);
    switch (type) {
    case kBoolOid:
        slot = text[0] == 't';
        break;
    case kInt2Oid:
    case kInt4Oid:
        slot = parsed<qint32>(text, size);
        break;
    case kInt8Oid:
        // As the driver reads it: QPSQL's unsigned unless negative.
        if (text[0] == '-' || !m_unsignedInt8)
            slot = qlonglong(parsed<qint64>(text, size));
        else
            slot = qulonglong(parsed<quint64>(text, size));
        break;
    default:
        slot = QString::fromUtf8(text, size);
        break;
    }
    return slot;
}

QAnyStringView PostgresRows::text(qint32 row, int column, QString& buffer) const {
    // libpq gives a NULL as "", which is its text here: only a truth value asks.
    const char* text = PQgetvalue(m_result, row - m_firstRow, column);
    const int size = PQgetlength(m_result, row - m_firstRow, column);
    if (m_types[size_t(column)] == kBoolOid) {
        if (PQgetisnull(m_result, row - m_firstRow, column))
            return {};
        buffer = QVariant(text[0] == 't').toString();
        return buffer;
    }
    // Numbers come as their digits already; texts as UTF-8, plain ASCII
    // (nearly every list) read as Latin-1 without a conversion.
    if (isAscii(text, size))
        return QLatin1StringView(text, size);
    return QUtf8StringView(text, size);
}

} // namespace viVavazuruv::ado
