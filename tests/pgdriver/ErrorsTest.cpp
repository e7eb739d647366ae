// What callers learn when things fail: the server's SQLSTATE and message, a
// COMMIT that rolled back, and connections that cannot be opened.
#include "PgDriverSupport.h"

#include <QSqlError>
#include <QSqlField>
#include <QUrl>

namespace viVavazuruv::pgdriver::test {
namespace {

using namespace Qt::StringLiterals;

using Errors = PgDriverTest;

TEST_F(Errors, CarryTheServersStateAndMessage) {
    run(u"CREATE TEMP TABLE u (k int PRIMARY KEY)"_s);
    QSqlQuery q = bound(u"INSERT INTO u VALUES (?)"_s, {1});
    ASSERT_FALSE(q.exec());
    EXPECT_EQ(q.lastError().type(), QSqlError::StatementError);
    EXPECT_EQ(q.lastError().nativeErrorCode(), u"23505"_s);
    EXPECT_TRUE(q.lastError().databaseText().startsWith(u"duplicate key value violates unique constraint"_s))
        << q.lastError().databaseText().toStdString();

    ASSERT_FALSE(q.exec(u"SELECT * FROM no_such_table"_s));
    EXPECT_EQ(q.lastError().nativeErrorCode(), u"42P01"_s);
    EXPECT_FALSE(q.isActive());

    // With settings the statement shares a pipeline; its own error still comes through.
    driver()->setTransactionSettings({{u"vv.x"_s, u"1"_s}});
    ASSERT_FALSE(q.exec(u"SELECT 1/0"_s));
    EXPECT_EQ(q.lastError().nativeErrorCode(), u"22012"_s);
}

TEST_F(Errors, ACommitThatRolledBackFails) {
    driver()->setTransactionSettings({{u"vv.x"_s, u"1"_s}});
    ASSERT_TRUE(m_db.transaction());
    QSqlQuery q(m_db);
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

TEST_F(Errors, ConnectionStringsOfEachFormOpenAndBadPasswordsDoNot) {
    const QUrl url(serverUrl());
    const QString keywords = u"host=%1 port=%2 user=%3 password='%4' dbname=%5"_s.arg(
        url.host(), QString::number(url.port()), url.userName(), serverPassword(), url.path().mid(1));
    QSqlDatabase kv = connect(u"kv"_s, false);
    kv.setDatabaseName(keywords);
    ASSERT_TRUE(kv.open()) << kv.lastError().text().toStdString();
    EXPECT_EQ(scalar(kv, u"SELECT current_user"_s), QVariant(url.userName()));
    const QVariant handle = kv.driver()->handle();
    EXPECT_TRUE(qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0);
    EXPECT_EQ(PQstatus(handle.value<PGconn*>()), CONNECTION_OK);

    // Parameters set beforehand are read first; `options` never reaches the server.
    QSqlDatabase byParams = connect(u"params"_s, false);
    driverOf(byParams)->setConnectionParameters({{"dbname", serverUrl().toUtf8()},
                                                 {"options", "-c search_path=vv_from_options"},
                                                 {"user", "nobody"}});
    byParams.setDatabaseName(QString());
    byParams.setUserName(url.userName());
    ASSERT_TRUE(byParams.open()) << byParams.lastError().text().toStdString();
    EXPECT_EQ(scalar(byParams, u"SELECT current_setting('search_path')"_s), QVariant(u"\"$user\", public"_s));
    EXPECT_EQ(scalar(byParams, u"SELECT current_setting('application_name')"_s), QVariant(u""_s));

    QUrl wrong = url;
    wrong.setPassword(u"wrong"_s);
    QSqlDatabase bad = connect(u"bad"_s, false);
    bad.setDatabaseName(wrong.toString());
    EXPECT_FALSE(bad.open() || bad.isOpen());
    EXPECT_TRUE(bad.lastError().type() == QSqlError::ConnectionError &&
                bad.lastError().databaseText().contains(u"password authentication failed"_s))
        << bad.lastError().databaseText().toStdString();
}

TEST_F(Errors, IdentifiersAndValuesAreQuotedForText) {
    const QSqlDriver* d = m_db.driver();
    EXPECT_EQ(d->escapeIdentifier(u"we\"ird"_s, QSqlDriver::TableName), u"\"we\"\"ird\""_s);
    QSqlField f(u"f"_s, QMetaType::fromType<QString>());
    f.setValue(u"it's \\"_s);
    const QString literal = d->formatValue(f);
    EXPECT_EQ(scalar(u"SELECT "_s + literal), QVariant(u"it's \\"_s));
    QSqlField b(u"b"_s, QMetaType::fromType<QByteArray>());
    b.setValue(QByteArray("\0'x", 3));
    EXPECT_EQ(scalar(u"SELECT "_s + d->formatValue(b)), QVariant(QByteArray("\0'x", 3)));
}

} // namespace
} // namespace viVavazuruv::pgdriver::test
