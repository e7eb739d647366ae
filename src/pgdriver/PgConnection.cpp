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

PgConnection::Exchange PgConnection::run(const std::vector<PgStatement>& statements) {
    Exchange ex;
    ex.results.resize(statements.size());
    if (!healthy()) {
        ex.failure = libpqError();
        return ex;
    }
    m_limited = m_limit.count() > 0;
    m_deadline = std::chrono::steady_clock::now() + m_limit;
    m_cancelSent = false;
    // Non-blocking only for our own round trips: code holding handle() may
    // still call libpq's blocking functions on the connection.
    PQsetnonblocking(m_conn, 1);
    const bool pipeline = statements.size() > 1;
    if (pipeline && !PQenterPipelineMode(m_conn)) {
        ex.failure = libpqError();
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
    if (pipeline && healthy())
        PQpipelineSync(m_conn);

    auto finish = [&](Wait w) {
        if (w == Wait::Cut) {
            ex.cut = true;
            ex.failure = QCoreApplication::translate(
                             "PgDriver", "the server did not answer within %1 ms; the connection was closed")
                             .arg(m_limit.count());
        } else if (w == Wait::Lost && ex.failure.isEmpty()) {
            ex.failure = libpqError();
        }
        if (m_conn && pipeline && healthy())
            PQexitPipelineMode(m_conn);
        if (m_conn)
            PQsetnonblocking(m_conn, 0);
        return std::move(ex);
    };

    Wait w = flush();
    if (w != Wait::Ready)
        return finish(w);
    size_t index = 0;
    int nulls = 0;
    for (;;) {
        w = awaitResult();
        if (w != Wait::Ready)
            return finish(w);
        PGresult* r = PQgetResult(m_conn);
        if (!r) {
            // In a pipeline a null ends one statement's results; two in a row, nothing more is coming.
            if (!pipeline || ++nulls > 1 || !healthy())
                break;
            ++index;
            continue;
        }
        nulls = 0;
        const ExecStatusType status = PQresultStatus(r);
        if (status == PGRES_PIPELINE_SYNC) {
            PQclear(r);
            break;
        }
        if (status == PGRES_COPY_IN) {
            // Nothing here can supply the rows.
            PQclear(r);
            PQputCopyEnd(m_conn, "COPY FROM STDIN is not available through this connection");
            if ((w = flush()) != Wait::Ready)
                return finish(w);
            continue;
        }
        if (status == PGRES_COPY_OUT) {
            PQclear(r);
            if ((w = drainCopyOut()) != Wait::Ready)
                return finish(w);
            continue;
        }
        if (index < ex.results.size() && (!ex.results[index] || isError(r)))
            ex.results[index].reset(r);
        else
            PQclear(r);
        if (!healthy())
            break;
    }
    if (!healthy() && ex.failure.isEmpty())
        ex.failure = libpqError();
    return finish(Wait::Ready);
}

} // namespace viVavazuruv::pgdriver
