#pragma once

#include <QSqlDatabase>

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// What the host asks of a PostgreSQL connection beyond Qt's driver, through
// the connection's own PGconn* (QSqlDriver::handle()). The host links the
// system libpq.so.5, the library Qt's QPSQL plugin links too: one copy in the
// process, so the driver's handle is valid for these calls.
namespace viVavazuruv::refhost::pg {

enum class State {
    Unknown,       // not a PostgreSQL connection, or one without a handle
    Idle,          // open, between statements, outside a transaction
    InTransaction, // a transaction is open: the connection is left as it is
    Broken,        // the server ended the connection or the socket failed
};

// Takes in whatever the server sent since the last statement (a termination
// notice, the end of the connection) without waiting, then tells the state.
// The unread end of a statement already read to its last row (Qt's
// forward-only reads leave it) is taken in and dropped, so the state under it shows.
State stateOf(const QSqlDatabase& db);

// Waits for the end of a statement the driver left unread (see stateOf), so
// that what follows knows for sure whether a transaction is open. The answer
// watch still cuts a server that never finishes it.
void finishPendingStatement(const QSqlDatabase& db);

// Whether a transaction is open on the connection, as libpq last heard:
// nothing is read from the server. False for anything but PostgreSQL.
bool transactionOpen(const QSqlDatabase& db);

// The connection's socket, -1 when it has none or it cannot be known.
int socketOf(const QSqlDatabase& db);

// Closes a connection's socket when the thread that runs its statements has
// waited on it for longer than the limit with nothing arriving. The server
// enforces statement_timeout itself and the kernel answers TCP keepalives for
// a stopped process, so only the client notices a backend that is stopped or
// frozen. The watching thread reads the kernel's view (what the waiting thread
// polls, what the socket received) and never touches libpq.
class AnswerWatch {
public:
    // The thread that makes the object is the one whose waits are watched.
    explicit AnswerWatch(std::chrono::milliseconds limit);
    ~AnswerWatch();
    AnswerWatch(const AnswerWatch&) = delete;
    AnswerWatch& operator=(const AnswerWatch&) = delete;

    // The socket to watch from now on, -1 for none; called before the
    // connection closes so a reused descriptor is never cut.
    void watch(int socket);
    // Whether it cut the socket since the last call.
    bool takeCut() { return m_cut.exchange(false); }
    // Whether it cut the socket since the last takeCut(), leaving that to tell.
    bool cutPending() const { return m_cut.load(); }
    std::chrono::milliseconds limit() const { return m_limit; }

private:
    void loop();

    const std::chrono::milliseconds m_limit;
    const pid_t m_waiter;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    int m_socket = -1;
    ino_t m_inode = 0; // tells the socket from a later file given the same number
    bool m_stop = false;
    std::atomic<bool> m_cut{false};
    std::thread m_thread;
};

} // namespace viVavazuruv::refhost::pg
