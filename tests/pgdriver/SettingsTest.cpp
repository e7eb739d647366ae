// The settings every transaction gets: in force for the statement or block
// they travel with, and gone from the session once they stop being sent; and
// through a pooler handing each transaction to whichever server connection
// is free, every client still sees its own settings, and only its own.
#include "PgDriverSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

namespace viVavazuruv::pgdriver::test {
namespace {

class Settings : public PgDriverTest {
protected:
    void prepare() override {
        driver()->setTransactionSettings(
            {{u"search_path"_s, u"vv_settings_a, public"_s}, {u"vv.x"_s, u"one"_s}});
    }
    QString x() const { return scalar(u"SELECT current_setting('vv.x', true)"_s).toString(); }
    QString path() const { return scalar(u"SELECT current_setting('search_path')"_s).toString(); }
};

TEST_F(Settings, ApplyToAStatementAndDoNotOutliveItAndStatementsThatMustRunAloneStillRun) {
    EXPECT_EQ(path() + u'|' + x(), u"vv_settings_a, public|one"_s);
    driver()->setTransactionSettings({});
    // Only ever set for one transaction: nothing is left on the session. (Nor on a
    // server connection the next client of a pooler gets: Pooling.)
    EXPECT_TRUE(x().isEmpty());

    // Values go as parameters: quotes in them are no concern.
    driver()->setTransactionSettings({{u"vv.x"_s, u"it's \"odd\""_s}});
    EXPECT_EQ(x(), u"it's \"odd\""_s);

    // Statements that must run alone still run with settings to send.
    run(u"CREATE TEMP TABLE c (a int)"_s);
    run(u"CREATE INDEX CONCURRENTLY c_a ON c (a)"_s);
    run(u"VACUUM c"_s);
}

TEST_F(Settings, HoldThroughATransactionBegunEitherWay) {
    ASSERT_TRUE(m_db.transaction());
    EXPECT_EQ(x(), u"one"_s);
    run(u"SELECT set_config('vv.x', 'changed in the block', true)"_s);
    EXPECT_EQ(x(), u"changed in the block"_s); // not sent again before every statement
    // A change made inside the block reaches it before its next statement.
    driver()->setTransactionSettings({{u"vv.x"_s, u"three"_s}});
    EXPECT_EQ(x(), u"three"_s);
    ASSERT_TRUE(m_db.commit());

    driver()->setTransactionSettings({{u"vv.x"_s, u"four"_s}});
    run(u"BEGIN"_s);
    // The block's mode comes before any query, the settings' own included.
    run(u"SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"_s);
    EXPECT_EQ(x(), u"four"_s);
    EXPECT_EQ(scalar(u"SHOW transaction_isolation"_s), QVariant(u"repeatable read"_s));
    run(u"  /* why */ commit"_s);
}

TEST_F(Settings, ASettingTheServerRefusesFailsTheStatementAndItsBlock) {
    driver()->setTransactionSettings({{u"statement_timeout"_s, u"not a duration"_s}});
    QSqlQuery q(m_db);
    EXPECT_FALSE(q.exec(u"SELECT 1"_s));
    EXPECT_EQ(q.lastError().nativeErrorCode(), u"22023"_s);
    // A block's settings go with its first statement, which then fails, and the block with it.
    ASSERT_TRUE(m_db.transaction());
    EXPECT_FALSE(q.exec(u"SELECT 1"_s));
    EXPECT_EQ(q.lastError().nativeErrorCode(), u"22023"_s);
    EXPECT_FALSE(m_db.commit());
    driver()->setTransactionSettings({});
    EXPECT_EQ(PQtransactionStatus(m_db.driver()->handle().value<PGconn*>()), PQTRANS_IDLE);
    EXPECT_EQ(scalar(u"SELECT 1"_s), QVariant(1));
}

// scripts/pg-pooler in front of the server itself (over TLS when it takes TLS only), in transaction
// mode with a pool of two.
class Pooling : public PgDriverTest {
protected:
    void prepare() override {
        if (!QFileInfo(u"/usr/sbin/pgbouncer"_s).isExecutable())
            GTEST_SKIP() << "pgbouncer is not installed";
        QProcess script;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"VIVAVAZURUV_TEST_PG_URL"_s, serverUrl());
        environment.insert(u"POOL_SIZE"_s, u"2"_s);
        script.setProcessEnvironment(environment);
        script.start(kScript, {u"start"_s, u"transaction"_s});
        ASSERT_TRUE(script.waitForFinished(120000) && script.exitCode() == 0)
            << script.readAllStandardError().toStdString();
        const QString exports = QString::fromLocal8Bit(script.readAllStandardOutput());
        const auto exported = [&](const QString& name) {
            return QRegularExpression(name + u"='([^']*)'"_s).match(exports).captured(1);
        };
        m_dir = exported(u"VIVAVAZURUV_TEST_PG_POOLER_DIR"_s);
        m_url = exported(u"VIVAVAZURUV_TEST_PG_URL"_s);
    }
    void TearDown() override {
        PgDriverTest::TearDown();
        if (!m_dir.isEmpty())
            QProcess::execute(kScript, {u"stop"_s, m_dir});
    }

    const QString kScript = QStringLiteral(VIVAVAZURUV_PG_POOLER_SCRIPT);
    QString m_dir, m_url;
};

TEST_F(Pooling, InterleavedClientsEachSeeTheirOwnSettings) {
    QSqlDatabase a = connect(u"a"_s, m_url), b = connect(u"b"_s, m_url), c = connect(u"c"_s, m_url);
    ASSERT_TRUE(a.isOpen() && b.isOpen() && c.isOpen());
    driverOf(a)->setTransactionSettings({{u"vv.x"_s, u"a"_s}, {u"search_path"_s, u"pg_catalog"_s}});
    driverOf(b)->setTransactionSettings({{u"vv.x"_s, u"b"_s}});
    const QString sql =
        u"SELECT coalesce(current_setting('vv.x', true), '') || '/' || current_setting('search_path')"_s;
    QSet<qlonglong> servers;
    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(a.transaction());
        ASSERT_TRUE(b.transaction());
        EXPECT_EQ(scalar(a, sql), QVariant(u"a/pg_catalog"_s));
        EXPECT_EQ(scalar(b, sql), QVariant(u"b/\"$user\", public"_s));
        // Both pooled connections are taken until a's block ends; c then gets the one a leaves.
        ASSERT_TRUE(round % 2 ? a.commit() : a.rollback());
        // Prepared and bound, as the host's code runs: no named statement to go missing.
        QSqlQuery q =
            bound(c, u"SELECT coalesce(current_setting('vv.x', true), '') || ?, pg_backend_pid()"_s, {round});
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0), QVariant(QString::number(round)));
        servers.insert(q.value(1).toLongLong());
        EXPECT_EQ(scalar(b, sql), QVariant(u"b/\"$user\", public"_s));
        ASSERT_TRUE(b.commit());
        EXPECT_EQ(scalar(a, sql), QVariant(u"a/pg_catalog"_s));
        EXPECT_EQ(scalar(c, sql), QVariant(u"/\"$user\", public"_s));
    }
    EXPECT_LE(servers.size(), 2); // the pool's own connections, no more
}

} // namespace
} // namespace viVavazuruv::pgdriver::test
