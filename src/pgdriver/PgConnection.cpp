#include "PgConnection.h"

#include <QCoreApplication>

#include <cerrno>
#include <poll.h>
#include <thread>

namespace viVavazuruv::pgdriver {

namespace {

bool isError(const PGresult* r) {
    const ExecStatusType s = PQresultStatus(r);
    return s == PGRES_FATAL_ERROR || s == PGRES_BAD_RESPONSE || s == PGRES_PIPELINE_ABORTED;
}

} // namespace

bool PgConnection::connect(const QList<std::pair<QByteArray, QByteArray>>& keywords, QString* error) {
    close();
    std::vector<const char*> names, values;
    for (const auto& [name, value] : keywords) {
        names.push_back(name.constData());
        values.push_back(value.constData());
    }
    names.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* conn = PQconnectdbParams(names.data(), values.data(), 1);
    if (!conn || PQstatus(conn) != CONNECTION_OK) {
        *error = conn ? QString::fromUtf8(PQerrorMessage(conn)).trimmed()
                      : QCoreApplication::translate("PgDriver", "out of memory");
        PQfinish(conn);
        return false;
    }
    // The server's notices (a COMMIT without a transaction, ...) are no one's business on stderr.
    PQsetNoticeReceiver(
        conn, [](void*, const PGresult*) {}, nullptr);
    m_conn = conn;
    m_cut = false;
    return true;
}

void PgConnection::close() {
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
    m_streaming = false;
}

QString PgConnection::libpqError() const {
    const QString text = m_conn ? QString::fromUtf8(PQerrorMessage(m_conn)).trimmed() : QString();
    return text.isEmpty() ? QCoreApplication::translate("PgDriver", "no connection to the server") : text;
}

void PgConnection::cancel() {
    PGcancel* c = PQgetCancel(m_conn);
    if (!c)
        return;
    // libpq's cancel connects anew and waits for the server to close that
    // connection, with no limit of its own: a server gone from the network
    // would hold it past the grace. It goes on a thread of its own, which
    // owns the request (nothing of the connection), and the grace is kept here.
    std::thread([c] {
        char reason[256];
        PQcancel(c, reason, sizeof reason);
        PQfreeCancel(c);
    }).detach();
}

void PgConnection::cutOff() {
    close();
    m_cut = true;
}

PgConnection::Wait PgConnection::waitFor(short events, short* got) {
    for (;;) {
        int timeout = -1;
        if (m_limited) {
            if (m_renewDeadline) {
                m_deadline = std::chrono::steady_clock::now() + m_limit;
                m_renewDeadline = false;
            }
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(m_deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                // First the statement is cancelled; a server that does not
                // answer that either is cut off, as nothing else will come.
                if (m_cancelSent) {
                    cutOff();
                    return Wait::Cut;
                }
                cancel();
                m_cancelSent = true;
                m_deadline = std::chrono::steady_clock::now() + m_grace;
                continue;
            }
            timeout = int(std::min<long long>(left.count(), 1 << 30));
        }
        pollfd p{PQsocket(m_conn), events, 0};
        const int r = ::poll(&p, 1, timeout);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return Wait::Lost;
        if (r == 0)
            continue;
        if (got)
            *got = p.revents;
        return Wait::Ready;
    }
}

PgConnection::Wait PgConnection::flush() {
    for (;;) {
        const int f = PQflush(m_conn);
        if (f == 0)
            return Wait::Ready;
        if (f < 0)
            return Wait::Lost;
        short got = 0;
        const Wait w = waitFor(POLLIN | POLLOUT, &got);
        if (w != Wait::Ready)
            return w;
        // A server busy sending must be read from, or neither side moves.
        if ((got & POLLIN) && !PQconsumeInput(m_conn))
            return Wait::Lost;
    }
}

PgConnection::Wait PgConnection::awaitResult() {
    while (PQisBusy(m_conn)) {
        const Wait w = waitFor(POLLIN, nullptr);
        if (w != Wait::Ready)
            return w;
        if (!PQconsumeInput(m_conn))
            return Wait::Lost;
    }
    return Wait::Ready;
}

PgConnection::Wait PgConnection::drainCopyOut() {
    for (;;) {
        char* row = nullptr;
        const int n = PQgetCopyData(m_conn, &row, 1);
        if (row)
            PQfreemem(row);
        if (n > 0)
            continue;
        if (n < 0)
            return Wait::Ready;
        const Wait w = waitFor(POLLIN, nullptr);
        if (w != Wait::Ready)
            return w;
        if (!PQconsumeInput(m_conn))
            return Wait::Lost;
    }
}

PgConnection::Wait PgConnection::nextResult(PgResultPtr* result, size_t* index) {
    for (;;) {
        const Wait w = awaitResult();
        if (w != Wait::Ready)
            return w;
        PGresult* r = PQgetResult(m_conn);
        if (!r) {
            // In a pipeline a null ends one statement's results; two in a row, nothing more is coming.
            if (!m_pipeline || ++m_nulls > 1 || !healthy()) {
                result->reset();
                return Wait::Ready;
            }
            // Single-row mode is set for each statement of a pipeline as its turn comes.
            if (++m_index == m_streamed)
                PQsetSingleRowMode(m_conn);
            continue;
        }
        m_nulls = 0;
        const ExecStatusType status = PQresultStatus(r);
        if (status == PGRES_PIPELINE_SYNC) {
            PQclear(r);
            result->reset();
            return Wait::Ready;
        }
        if (status == PGRES_COPY_IN) {
            // Nothing here can supply the rows.
            PQclear(r);
            PQputCopyEnd(m_conn, "COPY FROM STDIN is not available through this connection");
            if (const Wait f = flush(); f != Wait::Ready)
                return f;
            continue;
        }
        if (status == PGRES_COPY_OUT) {
            PQclear(r);
            if (const Wait d = drainCopyOut(); d != Wait::Ready)
                return d;
            continue;
        }
        result->reset(r);
        *index = m_index;
        return Wait::Ready;
    }
}

void PgConnection::endRoundTrip() {
    m_streaming = false;
    if (m_conn && m_pipeline && healthy())
        PQexitPipelineMode(m_conn);
    if (m_conn)
        PQsetnonblocking(m_conn, 0);
}

QString PgConnection::failureOf(Wait w) const {
    if (w == Wait::Cut)
        return QCoreApplication::translate(
                   "PgDriver", "the server did not answer within %1 ms; the connection was closed")
            .arg(m_limit.count());
    return libpqError();
}

PgConnection::Exchange PgConnection::run(const std::vector<PgStatement>& statements, bool streamLast) {
    Exchange ex;
    ex.results.resize(statements.size());
    if (!healthy()) {
        ex.failure = libpqError();
        return ex;
    }
    m_limited = m_limit.count() > 0;
    m_deadline = std::chrono::steady_clock::now() + m_limit;
    m_renewDeadline = false;
    m_cancelSent = false;
    m_index = 0;
    m_nulls = 0;
    m_streamed = streamLast ? statements.size() - 1 : statements.size();
    // Non-blocking only for our own round trips: code holding handle() may
    // still call libpq's blocking functions on the connection.
    PQsetnonblocking(m_conn, 1);
    m_pipeline = statements.size() > 1;
    if (m_pipeline && !PQenterPipelineMode(m_conn)) {
        ex.failure = libpqError();
        m_pipeline = false;
        PQsetnonblocking(m_conn, 0);
        return ex;
    }

    bool sent = true;
    for (const PgStatement& st : statements) {
        const int n = int(st.params.size());
        const size_t count = st.params.size();
        std::vector<Oid> types(count);
        std::vector<const char*> values(count);
        std::vector<int> lengths(count), formats(count);
        for (int i = 0; i < n; ++i) {
            const PgParam& p = st.params[size_t(i)];
            types[size_t(i)] = p.type;
            // Not constData() of an empty array, which would read as a value.
            values[size_t(i)] = p.null ? nullptr : p.bytes.isNull() ? "" : p.bytes.constData();
            lengths[size_t(i)] = int(p.bytes.size());
            formats[size_t(i)] = p.binary ? 1 : 0;
        }
        if (!PQsendQueryParams(m_conn, st.text.constData(), n, types.data(), values.data(), lengths.data(),
                               formats.data(), 0)) {
            sent = false;
            break;
        }
    }
    if (!sent)
        ex.failure = libpqError();
    else if (!m_pipeline && m_streamed == 0)
        PQsetSingleRowMode(m_conn);
    if (m_pipeline && healthy())
        PQpipelineSync(m_conn);

    auto finish = [&](Wait w) {
        if (w == Wait::Cut)
            ex.cut = true;
        if (w != Wait::Ready && ex.failure.isEmpty())
            ex.failure = failureOf(w);
        endRoundTrip();
        return std::move(ex);
    };

    Wait w = flush();
    if (w != Wait::Ready)
        return finish(w);
    for (;;) {
        PgResultPtr r;
        size_t index = 0;
        if ((w = nextResult(&r, &index)) != Wait::Ready)
            return finish(w);
        if (!r)
            break;
        if (index == m_streamed && PQresultStatus(r.get()) == PGRES_SINGLE_TUPLE) {
            // The first row: the connection stays in its modes until the last.
            ex.results[index] = std::move(r);
            ex.streaming = m_streaming = true;
            return ex;
        }
        if (index < ex.results.size() && (!ex.results[index] || isError(r.get())))
            ex.results[index] = std::move(r);
        if (!healthy())
            break;
    }
    if (!healthy() && ex.failure.isEmpty())
        ex.failure = libpqError();
    return finish(Wait::Ready);
}

PgResultPtr PgConnection::nextRow(QString* failure) {
    if (!m_streaming) {
        *failure = QCoreApplication::translate("PgDriver", "no rows are coming");
        return {};
    }
    // From the first wait on: rows already here ask for no clock.
    m_renewDeadline = true;
    m_cancelSent = false;
    PgResultPtr last;
    for (;;) {
        PgResultPtr r;
        size_t index = 0;
        if (const Wait w = nextResult(&r, &index); w != Wait::Ready) {
            *failure = failureOf(w);
            endRoundTrip();
            return {};
        }
        if (!r)
            break;
        if (index != m_streamed)
            continue;
        if (!last && PQresultStatus(r.get()) == PGRES_SINGLE_TUPLE)
            return r;
        // The statement's end: what follows it is read, so the connection is free.
        if (!last || isError(r.get()))
            last = std::move(r);
        if (!healthy())
            break;
    }
    endRoundTrip();
    if (!last)
        *failure = libpqError();
    return last;
}

} // namespace viVavazuruv::pgdriver
