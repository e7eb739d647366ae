// What callers learn when things fail: a COMMIT that rolled back;
// connections of each form; and a server that stops answering:
// a slow statement is cancelled once the limit passes, and a server that
// ignores the cancel too is cut off.
#include "PgDriverSupport.h"

#include <QElapsedTimer>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <csignal>

namespace viVavazuruv::pgdriver::test {
namespace {

using namespace std::chrono_literals;

using Errors = PgDriverTest;

// (The server's state and text as the host reads them, for a slow statement
// and for a constraint a run breaks: ReferenceHostTest; for a lock:
// LockedListTest. A statement's own error when settings share its pipeline:
// AnswerLimit's cancel and Streaming's failure after the first rows.)
TEST_F(Errors, ACommitThatRolledBackFails) {
    // With the settings sent too.
    driver()->setTransactionSettings({{u"vv.x"_s, u"1"_s}});
    QSqlQuery q(m_db);
    ASSERT_TRUE(m_db.transaction());
    EXPECT_FALSE(q.exec(u"SELECT * FROM no_such_table"_s));
    EXPECT_FALSE(q.exec(u"SELECT 1"_s));
    EXPECT_EQ(q.lastError().nativeErrorCode(), u"25P02"_s);
    EXPECT_FALSE(m_db.commit());
    EXPECT_TRUE(m_db.lastError().type() == QSqlError::TransactionError &&
                !m_db.lastError().databaseText().isEmpty());

    // The same through text.
    ASSERT_TRUE(q.exec(u"BEGIN"_s));
    EXPECT_FALSE(q.exec(u"SELECT * FROM no_such_table"_s));
    EXPECT_FALSE(q.exec(u"COMMIT"_s));
    EXPECT_EQ(scalar(u"SELECT 1"_s), QVariant(1)); // the block is over
}

// (A password the server refuses: RefhostPostgres.ATransactionIsNeverContinuedAndAFailedReconnectSaysWhy.)
TEST_F(Errors, ConnectionStringsOfEachFormOpen) {
    const QUrl url(serverUrl());
    // The address's own password, if any: an empty one sends libpq to the password file.
    const QString keywords = u"host=%1 port=%2 user=%3 password='%4' dbname='%5'"_s.arg(
        url.host(), QString::number(url.port()), url.userName(), url.password(), url.path().mid(1));
    const QSqlDatabase kv = connect(u"kv"_s, keywords);
    // (The handle is libpq's connection: Settings and Streaming take it as one.)
    EXPECT_EQ(scalar(kv, u"SELECT current_user"_s), QVariant(url.userName()));

    // Parameters set beforehand are read first; `options` never reaches the server.
    QSqlDatabase byParams = connect(u"params"_s, QString(), false);
    driverOf(byParams)->setConnectionParameters({{"dbname", serverUrl().toUtf8()},
                                                 {"options", "-c search_path=vv_from_options"},
                                                 {"user", "nobody"}});
    byParams.setUserName(url.userName());
    ASSERT_TRUE(byParams.open()) << byParams.lastError().text().toStdString();
    EXPECT_EQ(scalar(byParams, u"SELECT current_setting('search_path')"_s), QVariant(u"\"$user\", public"_s));
    EXPECT_EQ(scalar(byParams, u"SELECT current_setting('application_name')"_s), QVariant(u""_s));
}

// A TCP hop on loopback between the driver and the server that can stop
// passing anything on, as a server gone from the network does. Frozen, it
// passes nothing and answers no new connection, so a cancel request is sent
// and then waits for an answer.
class NetworkHop : public QThread {
public:
    explicit NetworkHop(quint16 serverPort) : m_serverPort(serverPort) {
        start();
        m_listening.acquire();
    }
    ~NetworkHop() override {
        quit();
        wait();
    }
    // 0 when no port could be had.
    quint16 port() const { return m_port; }
    void freeze() { m_frozen = true; }

private:
    void run() override {
        QTcpServer listener;
        if (listener.listen(QHostAddress::LocalHost))
            m_port = listener.serverPort();
        m_listening.release();
        QObject::connect(&listener, &QTcpServer::newConnection, [&] {
            QTcpSocket* client = listener.nextPendingConnection();
            if (m_frozen)
                return;
            auto* server = new QTcpSocket(client);
            server->connectToHost(QHostAddress::LocalHost, m_serverPort);
            if (!server->waitForConnected(5000))
                return client->close();
            pass(client, server);
            pass(server, client);
        });
        exec();
    }
    void pass(QTcpSocket* from, QTcpSocket* to) {
        QObject::connect(from, &QTcpSocket::readyRead, to, [this, from, to] {
            if (!m_frozen)
                to->write(from->readAll());
        });
        QObject::connect(from, &QTcpSocket::disconnected, to, [this, to] {
            if (!m_frozen)
                to->disconnectFromHost();
        });
    }

    const quint16 m_serverPort;
    quint16 m_port = 0;
    QSemaphore m_listening;
    std::atomic<bool> m_frozen{false};
};

class AnswerLimit : public PgDriverTest {
protected:
    void TearDown() override {
        if (m_stopped > 0)
            ::kill(m_stopped, SIGCONT);
        PgDriverTest::TearDown();
    }
    pid_t m_stopped = 0;
};

TEST_F(AnswerLimit, ASlowStatementIsCancelledAndTheConnectionKept) {
    driver()->setTransactionSettings({{u"statement_timeout"_s, u"0"_s}});
    driver()->setAnswerLimit(300ms, 5000ms);
    QSqlQuery q(m_db);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(q.exec(u"SELECT pg_sleep(30)"_s));
    EXPECT_TRUE(timer.elapsed() >= 290 && timer.elapsed() < 3000) << timer.elapsed();
    EXPECT_EQ(q.lastError().nativeErrorCode(), u"57014"_s);
    EXPECT_FALSE(driver()->takeAnswerCut() || driver()->broken()); // cancelled, not cut off
    EXPECT_EQ(scalar(u"SELECT 2"_s), QVariant(2));

    // Inside a block, too; the block is then failed, as after any error.
    ASSERT_TRUE(m_db.transaction());
    EXPECT_FALSE(q.exec(u"SELECT pg_sleep(30)"_s));
    EXPECT_EQ(q.lastError().nativeErrorCode(), u"57014"_s);
    EXPECT_TRUE(m_db.rollback());
}

TEST_F(AnswerLimit, AServerThatAnswersNothingIsCutOffAndALostConnectionKeepsLibpqsWords) {
    const qlonglong pid = scalar(u"SELECT pg_backend_pid()"_s).toLongLong();
    ASSERT_GT(pid, 0);
    driver()->setAnswerLimit(300ms, 300ms);
    // Stopped from outside, as a hung server would be; the test server runs on this machine.
    ASSERT_EQ(::kill(pid_t(pid), SIGSTOP), 0);
    m_stopped = pid_t(pid);

    QSqlQuery q(m_db);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(q.exec(u"SELECT 1"_s));
    EXPECT_TRUE(timer.elapsed() >= 590 && timer.elapsed() < 3000) << timer.elapsed();
    EXPECT_TRUE(q.lastError().databaseText().contains(u"did not answer within 300 ms"_s))
        << q.lastError().databaseText().toStdString();
    EXPECT_TRUE(driver()->takeAnswerCut());
    EXPECT_FALSE(driver()->takeAnswerCut()); // told once

    // Still open for QSqlQuery's sake, so what follows fails with a reason.
    EXPECT_TRUE(m_db.isOpen() && driver()->broken());
    EXPECT_FALSE(q.exec(u"SELECT 1"_s));
    EXPECT_TRUE(q.lastError().databaseText().contains(u"no connection"_s))
        << q.lastError().databaseText().toStdString();
    EXPECT_FALSE(m_db.transaction());

    // Opening again gives a working connection.
    ::kill(m_stopped, SIGCONT);
    m_stopped = 0;
    m_db.close();
    ASSERT_TRUE(m_db.open());
    EXPECT_FALSE(driver()->broken());
    EXPECT_EQ(scalar(u"SELECT 3"_s), QVariant(3));

    // A connection the server ends keeps libpq's words. (It is taken for lost, not
    // for cut off, so the host makes it again: ServerTroubleTest's restarts.)
    QSqlDatabase admin = connect(u"admin"_s);
    scalar(admin,
           u"SELECT pg_terminate_backend(%1)"_s.arg(scalar(u"SELECT pg_backend_pid()"_s).toLongLong()));
    EXPECT_FALSE(q.exec(u"SELECT 1"_s));
    const QString text = q.lastError().databaseText();
    EXPECT_TRUE(text.contains(u"terminat"_s) || text.contains(u"server closed the connection unexpectedly"_s))
        << text.toStdString();
}

// A whole server gone from the network: the cancel request reaches no one
// either, and waiting for its answer must not outlast the grace.
TEST_F(AnswerLimit, AServerGoneFromTheNetworkIsCutOffThoughItsCancelHangs) {
    QUrl address(serverUrl());
    NetworkHop hop(quint16(address.port()));
    ASSERT_NE(hop.port(), 0);
    address.setPort(hop.port());
    const QSqlDatabase db = connect(u"hop"_s, address.toString());
    ASSERT_TRUE(db.isOpen());
    driverOf(db)->setAnswerLimit(300ms, 300ms);
    hop.freeze();
    QSqlQuery q(db);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(q.exec(u"SELECT 2"_s));
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_TRUE(driverOf(db)->takeAnswerCut());
}

} // namespace
} // namespace viVavazuruv::pgdriver::test
