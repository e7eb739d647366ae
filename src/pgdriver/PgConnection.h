#pragma once

#include "PgValues.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <libpq-fe.h>

#include <chrono>
#include <memory>
#include <utility>
#include <vector>

namespace viVavazuruv::pgdriver {

struct PgResultFree {
    void operator()(PGresult* r) const { PQclear(r); }
};
using PgResultPtr = std::unique_ptr<PGresult, PgResultFree>;

// One statement of a round trip: text with $n placeholders and their values.
struct PgStatement {
    QByteArray text;
    std::vector<PgParam> params;
};

// The connection to the server and the one way statements travel over it:
// every round trip is sent without blocking and waited for with poll(), so
// a server that stops answering is cancelled, then cut off, on time.
class PgConnection {
public:
    PgConnection() = default;
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;
    ~PgConnection() { close(); }

    // libpq keyword/value pairs, in the order libpq is to read them.
    bool connect(const QList<std::pair<QByteArray, QByteArray>>& keywords, QString* error);
    void close();

    // Null once closed, or cut off for not answering.
    PGconn* handle() const { return m_conn; }
    bool healthy() const { return m_conn && PQstatus(m_conn) == CONNECTION_OK; }
    PGTransactionStatusType transactionStatus() const {
        return m_conn ? PQtransactionStatus(m_conn) : PQTRANS_UNKNOWN;
    }

    void setAnswerLimit(std::chrono::milliseconds limit, std::chrono::milliseconds grace) {
        m_limit = limit;
        m_grace = grace;
    }
    std::chrono::milliseconds answerLimit() const { return m_limit; }
    bool takeAnswerCut() { return std::exchange(m_cut, false); }
    bool answerCutPending() const { return m_cut; }

    struct Exchange {
        // One per statement, in order; null where none came.
        std::vector<PgResultPtr> results;
        // libpq's or our own text when the round trip itself failed (no
        // connection, a lost one, no answer in time); empty otherwise.
        QString failure;
        bool cut = false;
        // The last statement's rows are still coming (nextRow).
        bool streaming = false;
    };
    // Several statements go as one pipeline closed by one Sync, so outside a
    // transaction block they run as one implicit transaction. With
    // streamLast the last statement's rows come one at a time as the server
    // sends them: its result is then its first row, the rest come through
    // nextRow(), and nothing else may run until the last has come.
    Exchange run(const std::vector<PgStatement>& statements, bool streamLast = false);
    bool streaming() const { return m_streaming; }
    // The streamed statement's next row (PGRES_SINGLE_TUPLE); after its last
    // row its closing result (PGRES_TUPLES_OK, no rows) or its failure, and
    // the connection is free again. Null, with *failure, when the round trip
    // failed. Each row has the answer limit of a round trip.
    PgResultPtr nextRow(QString* failure);

private:
    enum class Wait { Ready, Lost, Cut };
    Wait waitFor(short events, short* got);
    Wait flush();
    Wait awaitResult();
    Wait drainCopyOut();
    // The next result of the round trip under way and its statement's
    // index; null at the round trip's end.
    Wait nextResult(PgResultPtr* result, size_t* index);
    void endRoundTrip();
    QString failureOf(Wait w) const;
    void cancel();
    void cutOff();
    QString libpqError() const;

    PGconn* m_conn = nullptr;
    std::chrono::milliseconds m_limit{0};
    std::chrono::milliseconds m_grace{0};
    bool m_cut = false;
    // Of the round trip under way.
    std::chrono::steady_clock::time_point m_deadline;
    bool m_limited = false;
    bool m_renewDeadline = false; // the limit starts again at the next wait
    bool m_cancelSent = false;
    bool m_pipeline = false;
    size_t m_index = 0;    // the statement whose results come
    int m_nulls = 0;       // null results in a row
    size_t m_streamed = 0; // the statement streamed, or past the last
    bool m_streaming = false;
};

} // namespace viVavazuruv::pgdriver
