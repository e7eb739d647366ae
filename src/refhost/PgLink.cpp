#include "PgLink.h"

#include <QByteArray>
#include <QSqlDriver>
#include <QVariant>

#include <libpq-fe.h>

#include <fcntl.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace viVavazuruv::refhost::pg {

namespace {

PGconn* connectionOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // Qt 6 names the type after libpq's struct, Qt 5 after its typedef.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

bool inTransaction(PGTransactionStatusType transaction) {
    return transaction != PQTRANS_IDLE && transaction != PQTRANS_UNKNOWN;
}

} // namespace

State stateOf(const QSqlDatabase& db) {
    PGconn* conn = connectionOf(db);
    if (!conn)
        return State::Unknown;
    PGTransactionStatusType transaction = PQtransactionStatus(conn);
    if (transaction == PQTRANS_ACTIVE) {
        // Qt reads a forward-only statement a row at a time and leaves what
        // follows its last row (the end of the statement, the server's "ready")
        // until the next statement, so libpq still counts it running and hides
        // whether a transaction is open. What has arrived is taken in, never
        // waited for: the state below it then shows, and a connection the
        // server ended is seen.
        PQconsumeInput(conn);
        while (!PQisBusy(conn)) {
            PGresult* result = PQgetResult(conn);
            if (!result)
                break;
            PQclear(result);
        }
        transaction = PQtransactionStatus(conn);
    }
    if (inTransaction(transaction))
        return State::InTransaction;
    // The first read may only take in the server's last words (a termination
    // notice); the second then meets the end of the connection.
    PQconsumeInput(conn);
    PQconsumeInput(conn);
    return PQstatus(conn) == CONNECTION_OK ? State::Idle : State::Broken;
}

void finishPendingStatement(const QSqlDatabase& db) {
    PGconn* conn = connectionOf(db);
    if (!conn || PQtransactionStatus(conn) != PQTRANS_ACTIVE)
        return;
    while (PGresult* result = PQgetResult(conn))
        PQclear(result);
}

bool transactionOpen(const QSqlDatabase& db) {
    PGconn* conn = connectionOf(db);
    return conn && inTransaction(PQtransactionStatus(conn));
}

int socketOf(const QSqlDatabase& db) {
    PGconn* conn = connectionOf(db);
    return conn ? PQsocket(conn) : -1;
}

AnswerWatch::AnswerWatch(std::chrono::milliseconds limit) : m_limit(limit), m_waiter(gettid()) {
    if (m_limit.count() > 0)
        m_thread = std::thread([this] { loop(); });
}

AnswerWatch::~AnswerWatch() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void AnswerWatch::watch(int socket) {
    std::lock_guard lock(m_mutex);
    struct stat st {};
    m_socket = socket >= 0 && fstat(socket, &st) == 0 ? socket : -1;
    m_inode = st.st_ino;
}

namespace {

// Whether thread tid is blocked in poll() on socket, which is how libpq waits
// for the server. The poll list is read through process_vm_readv, which fails
// cleanly should the thread have moved on and the address mean nothing now.
bool waitsOn(pid_t tid, int socket) {
    char text[256] = {};
    const int fd = ::open(QByteArray("/proc/self/task/" + QByteArray::number(tid) + "/syscall").constData(),
                          O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const ssize_t size = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    long number = -1;
    unsigned long list = 0, count = 0;
    if (size <= 0 || std::sscanf(text, "%ld %lx %lx", &number, &list, &count) != 3)
        return false;
#ifdef SYS_poll
    const bool polls = number == SYS_poll || number == SYS_ppoll;
#else
    const bool polls = number == SYS_ppoll;
#endif
    pollfd fds[8];
    const iovec local{fds, std::min<size_t>(count, 8) * sizeof(pollfd)};
    const iovec remote{reinterpret_cast<void*>(list), local.iov_len};
    if (!polls || count == 0 ||
        process_vm_readv(getpid(), &local, 1, &remote, 1, 0) != ssize_t(local.iov_len))
        return false;
    return std::any_of(fds, fds + local.iov_len / sizeof(pollfd),
                       [&](const pollfd& p) { return p.fd == socket; });
}

} // namespace

void AnswerWatch::loop() {
    using Clock = std::chrono::steady_clock;
    constexpr Clock::time_point kNotWaiting = Clock::time_point::max();
    const auto tick = std::clamp(m_limit / 4, std::chrono::milliseconds(50), std::chrono::milliseconds(1000));
    Clock::time_point waitingSince = kNotWaiting;
    quint32 received = 0; // data segments in when the wait was first seen
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, tick, [this] { return m_stop; })) {
        struct stat st {};
        tcp_info info{};
        socklen_t size = sizeof info;
        const auto now = Clock::now();
        if (m_socket < 0 || fstat(m_socket, &st) != 0 || st.st_ino != m_inode) {
            m_socket = -1; // closed by someone else: its number may belong to another file now
            waitingSince = kNotWaiting;
        } else if (getsockopt(m_socket, IPPROTO_TCP, TCP_INFO, &info, &size) != 0 ||
                   !waitsOn(m_waiter, m_socket)) {
            waitingSince = kNotWaiting;
        } else if (waitingSince == kNotWaiting || info.tcpi_data_segs_in != received) {
            waitingSince = now; // a new wait, or the answer is still coming in
            received = info.tcpi_data_segs_in;
        } else if (now - waitingSince >= m_limit) {
            ::shutdown(m_socket, SHUT_RDWR);
            m_socket = -1;
            waitingSince = kNotWaiting;
            m_cut = true;
        }
    }
}

} // namespace viVavazuruv::refhost::pg
