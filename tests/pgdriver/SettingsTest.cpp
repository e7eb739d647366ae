// The settings every transaction gets: in force for the statement or block
// they travel with, and gone from the session once they stop being sent.
#include "PgDriverSupport.h"

#include <QSqlError>

namespace viVavazuruv::pgdriver::test {
namespace {

using namespace Qt::StringLiterals;

class Settings : public PgDriverTest {
protected:
    void SetUp() override {
        PgDriverTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        driver()->setTransactionSettings(
            {{u"search_path"_s, u"vv_settings_a, public"_s}, {u"vv.x"_s, u"one"_s}});
    }
    QString x() const { return scalar(u"SELECT current_setting('vv.x', true)"_s).toString(); }
    QString path() const { return scalar(u"SELECT current_setting('search_path')"_s).toString(); }
};

TEST_F(Settings, ApplyToAStatementAndDoNotOutliveIt) {
    EXPECT_EQ(path() + u'|' + x(), u"vv_settings_a, public|one"_s);
    driver()->setTransactionSettings({{u"vv.x"_s, u"two"_s}});
    EXPECT_EQ(path() + u'|' + x(), u"\"$user\", public|two"_s);
    driver()->setTransactionSettings({});
    // Only ever set for one transaction: nothing is left on the session.
    EXPECT_TRUE(x().isEmpty());

    // Values go as parameters: quotes in them are no concern.
    driver()->setTransactionSettings({{u"vv.x"_s, u"it's \"odd\""_s}});
    EXPECT_EQ(x(), u"it's \"odd\""_s);
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
    driver()->setTransactionSettings({});
    EXPECT_TRUE(x().isEmpty());
    EXPECT_EQ(scalar(u"SELECT count(*) FROM pg_prepared_statements"_s).toLongLong(), 0);
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

TEST_F(Settings, StatementsThatMustRunAloneStillRun) {
    run(u"CREATE TEMP TABLE c (a int)"_s);
    run(u"CREATE INDEX CONCURRENTLY c_a ON c (a)"_s);
    run(u"VACUUM c"_s);
}

} // namespace
} // namespace viVavazuruv::pgdriver::test
