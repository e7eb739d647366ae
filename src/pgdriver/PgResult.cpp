#include "PgResult.h"

#include "PgDriver.h"
#include "PgValues.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlField>

Q_DECLARE_OPAQUE_POINTER(PGresult*)

namespace viVavazuruv::pgdriver {

PgResult::PgResult(PgDriver* driver) : QSqlResult(driver), m_driver(driver) {}

PgResult::~PgResult() {
    endStream();
}

void PgResult::endStream() {
    if (m_streaming && m_driver)
        m_driver->dropStream(this);
    m_streaming = false;
    m_rest.reset();
}

void PgResult::loseStream() {
    m_streaming = false;
    m_restError = QSqlError(QCoreApplication::translate("PgDriver", "Unable to fetch the row"),
                            QCoreApplication::translate("PgDriver", "the connection was closed"),
                            QSqlError::ConnectionError);
}

void PgResult::keepRest() {
    if (!m_streaming || !m_driver)
        return;
    m_streaming = false;
    PgResultPtr rest(PQcopyResult(m_result.get(), PG_COPYRES_ATTRS));
    const int columns = PQnfields(m_result.get());
    for (int row = 0;;) {
        std::optional<QSqlError> error;
        PgResultPtr next = m_driver->nextRow(error);
        if (!next || PQresultStatus(next.get()) != PGRES_SINGLE_TUPLE) {
            if (error)
                m_restError = *error;
            break;
        }
        for (int c = 0; c < columns; ++c) {
            const bool null = PQgetisnull(next.get(), 0, c);
            if (!rest || !PQsetvalue(rest.get(), row, c, null ? nullptr : PQgetvalue(next.get(), 0, c),
                                     null ? -1 : PQgetlength(next.get(), 0, c))) {
                m_restError = QSqlError(QCoreApplication::translate("PgDriver", "Unable to fetch the row"),
                                        QCoreApplication::translate("PgDriver", "out of memory"),
                                        QSqlError::StatementError);
                m_driver->dropStream(nullptr);
                m_rest.reset();
                return;
            }
        }
        ++row;
    }
    m_rest = std::move(rest);
}

bool PgResult::reach(int row) {
    if (!m_result || row < m_base)
        return false;
    while (row >= m_base + PQntuples(m_result.get())) {
        const int next = m_base + PQntuples(m_result.get());
        if (m_rest) {
            m_result = std::move(m_rest);
            m_base = next;
            continue;
        }
        if (!m_streaming) {
            if (m_restError.type() != QSqlError::NoError)
                setLastError(std::exchange(m_restError, QSqlError()));
            return false;
        }
        std::optional<QSqlError> error;
        PgResultPtr got = m_driver ? m_driver->nextRow(error) : PgResultPtr();
        m_streaming = m_driver && got && PQresultStatus(got.get()) == PGRES_SINGLE_TUPLE;
        if (!m_streaming) {
            // The last row is kept for its columns; a failure after it is the query's.
            if (error)
                setLastError(*error);
            return false;
        }
        m_result = std::move(got);
        m_base = next;
    }
    return true;
}

QVariant PgResult::handle() const {
    return QVariant::fromValue(m_result.get());
}

bool PgResult::run(const QString& sql, const QByteArray& text, std::vector<PgParam> params) {
    endStream();
    m_result.reset();
    m_rows = 0;
    m_base = 0;
    m_restError = QSqlError();
    setAt(QSql::BeforeFirstRow);
    setSelect(false);
    setActive(false);
    if (!m_driver || !m_driver->isOpen()) {
        setLastError(QSqlError(QCoreApplication::translate("PgDriver", "Unable to run the statement"),
                               QCoreApplication::translate("PgDriver", "no connection to the server"),
                               QSqlError::ConnectionError));
        return false;
    }
    const bool stream = isForwardOnly() && m_driver->streamAsked();
    PgDriver::Outcome out =
        m_driver->run(sql, text, std::move(params), QSqlError::StatementError, stream ? this : nullptr);
    if (!out.ok()) {
        setLastError(out.error);
        return false;
    }
    m_result = std::move(out.result);
    m_streamed = m_streaming = out.streaming;
    const ExecStatusType status = PQresultStatus(m_result.get());
    const bool rows = status == PGRES_TUPLES_OK || status == PGRES_SINGLE_TUPLE;
    m_rows = rows ? PQntuples(m_result.get()) : 0;
    setSelect(rows);
    setActive(true);
    return true;
}

bool PgResult::reset(const QString& query) {
    // Plain text goes as written: a `?` in it may be an operator.
    m_source.clear();
    m_placeholders = {};
    return run(query, query.toUtf8(), {});
}

bool PgResult::prepare(const QString& query) {
    // Qt passes its own rewrite of `:name` into `?`, made without knowing
    // the server's comments and dollar quotes; the caller's text is read instead.
    m_source = lastQuery().isEmpty() ? query : lastQuery();
    m_placeholders = Placeholders::rewrite(m_source);
    m_named.clear();
    endStream();
    m_result.reset();
    m_rows = 0;
    m_base = 0;
    setActive(false);
    return true;
}

void PgResult::bindValue(const QString& placeholder, const QVariant& value, QSql::ParamType type) {
    // Qt's own bookkeeping misses a name it found in no place it scans (in
    // brackets, say), so names are kept here too.
    QSqlResult::bindValue(placeholder, value, type);
    m_named.insert(placeholder.startsWith(u':') ? placeholder.mid(1) : placeholder, value);
}

std::vector<PgParam> PgResult::boundParams() const {
    std::vector<PgParam> params;
    const QList<QVariant>& values = boundValues();
    if (m_placeholders.named()) {
        const QStringList& names = m_placeholders.names();
        for (qsizetype i = 0; i < names.size(); ++i) {
            const auto named = m_named.constFind(names[i]);
            // Bound by position instead, in the order the names first appear.
            const QVariant v = named != m_named.cend() ? *named : i < values.size() ? values[i] : QVariant();
            params.push_back(PgValues::toParam(v));
        }
        return params;
    }
    // Text holding $n of its own gets whatever was bound.
    const qsizetype count = m_placeholders.count() > 0 ? m_placeholders.count() : values.size();
    for (qsizetype i = 0; i < count; ++i)
        params.push_back(PgValues::toParam(i < values.size() ? values[i] : QVariant()));
    return params;
}

bool PgResult::exec() {
    if (m_source.isEmpty())
        return false;
    return run(m_source, m_placeholders.text().toUtf8(), boundParams());
}

bool PgResult::fetch(int row) {
    if (!isActive() || !isSelect() || row < 0 || (!m_streamed && row >= m_rows) || !reach(row))
        return false;
    setAt(row);
    return true;
}

bool PgResult::fetchFirst() {
    return fetch(0);
}

bool PgResult::fetchLast() {
    if (!m_streamed)
        return fetch(m_rows - 1);
    // Forward only: to the end, then back to the last row read.
    int last = at();
    while (fetch(last + 1))
        ++last;
    return last >= 0 && fetch(last);
}

QVariant PgResult::data(int field) {
    if (!m_result || at() < m_base || field < 0 || field >= PQnfields(m_result.get()))
        return {};
    const Oid type = PQftype(m_result.get(), field);
    const int row = at() - m_base;
    if (PQgetisnull(m_result.get(), row, field))
        return PgValues::nullOf(type, numericalPrecisionPolicy());
    return PgValues::fromText(PQgetvalue(m_result.get(), row, field), PQgetlength(m_result.get(), row, field),
                              type, numericalPrecisionPolicy());
}

bool PgResult::isNull(int field) {
    if (!m_result || at() < m_base || field < 0 || field >= PQnfields(m_result.get()))
        return true;
    return PQgetisnull(m_result.get(), at() - m_base, field);
}

int PgResult::size() {
    return isSelect() && !m_streamed ? m_rows : -1;
}

int PgResult::numRowsAffected() {
    if (!m_result)
        return -1;
    const char* tuples = PQcmdTuples(m_result.get());
    return tuples && *tuples ? QByteArrayView(tuples).toInt() : -1;
}

QSqlRecord PgResult::record() const {
    QSqlRecord rec;
    if (!m_result || !isSelect())
        return rec;
    for (int i = 0; i < PQnfields(m_result.get()); ++i) {
        const Oid type = PQftype(m_result.get(), i);
        QSqlField f(QString::fromUtf8(PQfname(m_result.get(), i)),
                    PgValues::metaTypeOf(type, numericalPrecisionPolicy()));
        const int mod = PQfmod(m_result.get(), i);
        if (type == oid::Numeric && mod >= 4) {
            // typmod: (precision << 16 | scale) + 4, as the server packs it.
            f.setLength((mod - 4) >> 16);
            f.setPrecision((mod - 4) & 0xffff);
        } else if (mod >= 4) {
            f.setLength(mod - 4); // varchar(n), char(n)
        }
        rec.append(f);
    }
    return rec;
}

QVariant PgResult::lastInsertId() const {
    return {};
}

void PgResult::detachFromResultSet() {
    // Rows no one reads are not kept coming: the connection is free at once.
    endStream();
}

} // namespace viVavazuruv::pgdriver
