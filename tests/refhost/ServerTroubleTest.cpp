// A PostgreSQL server that restarts under the host, and a lock another
// session holds: the first request after a restart succeeds, a run of saves a
// restart broke says so, and a lock wait ends once, within the host's limit.
#include "RefhostSupport.h"
#include "ThrowawayServer.h"

#include <QElapsedTimer>
#include <QProcess>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;
using viVavazuruv::test::Engine;
using viVavazuruv::test::expectError;

namespace {

// ---- A server restart ------------------------------------------------------------------------

class RefhostServerRestart : public test::ThrowawayServerTest {
protected:
    void SetUp() override {
        ThrowawayServerTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            m_host = std::make_unique<ReferenceHost>(url() + u"?schema=office"_s);
    }
    void TearDown() override {
        m_host.reset();
        ThrowawayServerTest::TearDown();
    }
    // Restarts the server (fast shutdown: every session is ended) and waits until it answers again.
    bool restart() const { return run({u"restart"_s, m_dir}) == 0; }

    std::unique_ptr<ReferenceHost> m_host;
};

TEST_F(RefhostServerRestart, TheFirstRequestAfterARestartSucceeds) {
    m_host->setOption(u"Restarts"_s, u"0"_s);
    add(*m_host, u"BEFORE"_s);
    // Each kind of first request: the host's own read, a kept statement (a
    // save), a statement on the connection the host lends, a read of an option.
    const auto first = [&](const char* what, const std::function<void()>& request) {
        ASSERT_TRUE(restart()) << what;
        EXPECT_NO_THROW((request(), m_host->option(u"Restarts"_s))) << what; // and the next one too
    };
    first("a host read", [&] { EXPECT_EQ(m_host->CodeListKey(u"|procs"_s), u"PROCS"_s); });
    first("a save", [&] { EXPECT_GT(add(*m_host, u"AFTER"_s), 0); });
    const QStringList both{u"BEFORE"_s, u"AFTER"_s};
    first("the lent connection", [&] { EXPECT_EQ(codes(*m_host), both); });
    first("an option", [&] { EXPECT_EQ(m_host->option(u"Restarts"_s), u"0"_s); });
    first("a flag on the lent connection", [&] {
        qint16 flag = 0;
        QSqlDatabase lent = m_host->GetConnection();
        m_host->ReadOptionFlag(u"LIST_CONFLICT_CHECK"_s, 0, &lent, 0, flag);
        EXPECT_EQ(flag, -1);
    });
    EXPECT_EQ(codes(*m_host), both);
}

TEST_F(RefhostServerRestart, ARunOfSavesARestartBrokeReportsItAndWritesNothing) {
    add(*m_host, u"BEFORE"_s);
    ASSERT_TRUE(m_host->BeginSaveRecords());
    add(*m_host, u"RUN1"_s);
    ASSERT_TRUE(restart());
    EXPECT_THROW((add(*m_host, u"RUN2"_s), m_host->EndSaveRecords(true)), AutomationError)
        << "the run was reported written";
    m_host->EndSaveRecords(false);
    // Nothing of the run was kept, and the next request works.
    EXPECT_EQ(codes(*m_host), QStringList{u"BEFORE"_s});
    add(*m_host, u"AFTER"_s);
    EXPECT_EQ(codes(*m_host), QStringList({u"BEFORE"_s, u"AFTER"_s}));
}

// ---- A lock another session holds -------------------------------------------------------------

class RefhostLockWait : public test::HostTest {};

TEST_P(RefhostLockWait, EndsOnceWithinTheLimitNamingTheLock) {
    const qint32 row = addEntry(u"LOCKED"_s, u"theirs"_s);
    auto impatient = std::make_unique<ReferenceHost>(m_db->url() + u"&lock_timeout=1500"_s);
    QSqlDatabase other = m_db->db();
    const auto expectOneWait = [&](const std::function<void()>& call) {
        QElapsedTimer timer;
        timer.start();
        expectError(call, ErrorCode::DatabaseError, u"lock"_s);
        // One wait of the limit, not two (3000 ms): nothing was retried.
        EXPECT_GE(timer.elapsed(), 1450);
        EXPECT_LT(timer.elapsed(), 2900);
    };

    // A row another session has locked: its update waits, then fails.
    ASSERT_TRUE(other.transaction());
    m_db->exec(u"SELECT * FROM UsrDefTable WHERE usrdefInd = %1 FOR UPDATE"_s.arg(row));
    expectOneWait([&] { describe(row, u"mine"_s, impatient.get()); });
    other.rollback();

    // The whole table locked: a run of saves fails on its first row.
    ASSERT_TRUE(other.transaction());
    m_db->exec(u"LOCK TABLE UsrDefTable"_s);
    ASSERT_TRUE(impatient->BeginSaveRecords());
    expectOneWait([&] { addEntry(u"NEW"_s, {}, impatient.get()); });
    impatient->EndSaveRecords(false);
    other.rollback();

    // With the lock gone the same saves go through.
    EXPECT_TRUE(describe(row, u"mine"_s, impatient.get()));
    EXPECT_EQ(description(row, true), u"mine"_s);
}

TEST_P(RefhostLockWait, TheLimitIsASettingOfTheAddress) {
    for (const QString& bad : {u"-1"_s, u"1e3"_s, u"x"_s, u"86400001"_s})
        expectError([&] { ReferenceHost(m_db->url() + u"&lock_timeout="_s + bad); },
                    ErrorCode::ConnectionError, u"lock_timeout"_s);
    const auto limit = [](ReferenceHost& h) {
        QSqlQuery q(u"SHOW lock_timeout"_s, h.GetConnection());
        return q.next() ? q.value(0).toString() : QString();
    };
    ReferenceHost host(m_db->url() + u"&lock_timeout=1234"_s);
    const QString set = limit(host);
    host.GetConnection().close(); // made again after a loss, the connection keeps it
    // The default is below the statement limit, so a lock wait is reported as one.
    EXPECT_EQ(set + u' ' + limit(host) + u' ' + limit(this->host()), u"1234ms 1234ms 5s"_s);
}

INSTANTIATE_TEST_SUITE_P(Engines, RefhostLockWait, ::testing::Values(Engine::PostgreSQL),
                         [](const auto& info) { return test::engineName(info.param); });

} // namespace
