#include <support/TestDatabase.h>

#include <platform/Connection.h>
#include <viVavazuruv/AutomationError.h>

#include <gtest/gtest.h>

#include <QSqlQuery>

using namespace viVavazuruv;
using viVavazuruv::test::Engine;
using viVavazuruv::test::TestDatabase;

namespace {

class ConnectionTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        VV_REQUIRE_DATABASE(m_db, GetParam());
        m_db->exec(QStringLiteral("CREATE TABLE Counter (Id INTEGER, Label VARCHAR(40))"));
    }
    qint64 rowCount() const {
        QSqlQuery q(m_db->db());
        q.exec(QStringLiteral("SELECT COUNT(*) FROM Counter"));
        return q.next() ? q.value(0).toLongLong() : -1;
    }
    std::unique_ptr<TestDatabase> m_db;
};

TEST_P(ConnectionTest, ExecutesCommandTextAndReportsRowsAffected) {
    ado::Connection connection(m_db->db());
    connection.Execute(QStringLiteral("INSERT INTO Counter VALUES (1, 'one')"));
    connection.Execute(QStringLiteral("INSERT INTO Counter VALUES (2, 'two')"));
    qint32 affected = -1;
    connection.Execute(QStringLiteral("DELETE FROM Counter WHERE Id = 1"), &affected, 129);
    EXPECT_EQ(affected, 1);
    EXPECT_EQ(rowCount(), 1);
}

TEST_P(ConnectionTest, FailingStatementRaisesAndChangesNothing) {
    ado::Connection connection(m_db->db());
    connection.Execute(QStringLiteral("INSERT INTO Counter VALUES (1, 'one')"));
    try {
        connection.Execute(QStringLiteral("DELETE FROM NoSuchTable WHERE Id = 1"));
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::DatabaseError);
        EXPECT_FALSE(e.message().isEmpty());
    }
    EXPECT_EQ(rowCount(), 1);
}

TEST_P(ConnectionTest, RefusesOptionsWithoutCommandTextAndClosedConnections) {
    ado::Connection connection(m_db->db());
    EXPECT_THROW(connection.Execute(QStringLiteral("DELETE FROM Counter"), nullptr, 128), AutomationError);
    ado::Connection none{QSqlDatabase()};
    try {
        none.Execute(QStringLiteral("DELETE FROM Counter"));
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::ConnectionError);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ConnectionTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return test::engineName(info.param); });

} // namespace
