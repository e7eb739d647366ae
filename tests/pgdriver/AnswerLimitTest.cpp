// A server that stops answering: a slow statement is cancelled once the
// limit passes; a server that ignores the cancel too is cut off.
#include "NetworkHop.h"
#include "PgDriverSupport.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QUrl>

#include <chrono>
#include <csignal>

namespace viVavazuruv::pgdriver::test {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

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

TEST_F(AnswerLimit, AServerThatAnswersNothingIsCutOff) {
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
}

// A whole server gone from the network: the cancel request reaches no one
// either, and waiting for its answer must not outlast the grace.
TEST_F(AnswerLimit, AServerGoneFromTheNetworkIsCutOffThoughItsCancelHangs) {
    QUrl address(serverUrl());
    NetworkHop hop(quint16(address.port()));
    ASSERT_NE(hop.port(), 0);
    address.setPort(hop.port());
    QSqlDatabase db = connect(u"hop"_s, false);
    db.setDatabaseName(address.toString());
    ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
    driverOf(db)->setAnswerLimit(300ms, 300ms);
    EXPECT_EQ(scalar(db, u"SELECT 1"_s), QVariant(1));
    hop.freeze();
    QSqlQuery q(db);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(q.exec(u"SELECT 2"_s));
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_TRUE(driverOf(db)->takeAnswerCut());
}

TEST_F(AnswerLimit, ALostConnectionKeepsLibpqsWords) {
    QSqlDatabase admin = connect(u"admin"_s);
    const qlonglong pid = scalar(u"SELECT pg_backend_pid()"_s).toLongLong();
    scalar(admin, u"SELECT pg_terminate_backend(%1)"_s.arg(pid));
    QSqlQuery q(m_db);
    EXPECT_FALSE(q.exec(u"SELECT 1"_s));
    const QString text = q.lastError().databaseText();
    EXPECT_TRUE(text.contains(u"terminat"_s) || text.contains(u"server closed the connection unexpectedly"_s))
        << text.toStdString();
    EXPECT_TRUE(driver()->broken());
    EXPECT_FALSE(driver()->takeAnswerCut());
}

} // namespace
} // namespace viVavazuruv::pgdriver::test
