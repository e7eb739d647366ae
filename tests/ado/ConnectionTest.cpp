#include <support/TestDatabase.h>

#include <ado/Connection.h>
#include <viVavazuruv/AutomationError.h>

#include <gtest/gtest.h>

#include <QSqlQuery>

using namespace viVavazuruv;
using viVavazuruv::test::Engine;
using viVavazuruv::test::TestDatabase;
using namespace Qt::StringLiterals;

namespace {

class ConnectionTest : public ::testing::TestWithParam<Engine> {};

TEST_P(ConnectionTest, ExecutesCommandTextAndFailuresRaiseAndChangeNothing) {
    std::unique_ptr<TestDatabase> db;
    VV_REQUIRE_DATABASE(db, GetParam());
    db->exec(u"CREATE TABLE Counter (Id INTEGER, Label VARCHAR(40))"_s);
    ado::Connection connection(db->db());
    connection.Execute(u"INSERT INTO Counter VALUES (1, 'one')"_s);
    connection.Execute(u"INSERT INTO Counter VALUES (2, 'two')"_s);
    qint32 affected = -1;
    connection.Execute(u"DELETE FROM Counter WHERE Id = 1"_s, &affected, 129);
    EXPECT_EQ(affected, 1);
    EXPECT_THROW(connection.Execute(u"DELETE FROM NoSuchTable WHERE Id = 1"_s), AutomationError);
    // Options other than command text are refused.
    EXPECT_THROW(connection.Execute(u"DELETE FROM Counter"_s, nullptr, 128), AutomationError);
    EXPECT_THROW(ado::Connection{QSqlDatabase()}.Execute(u"DELETE FROM Counter"_s), AutomationError);
    QSqlQuery q(db->db());
    q.exec(u"SELECT COUNT(*) FROM Counter"_s);
    EXPECT_TRUE(q.next() && q.value(0).toInt() == 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, ConnectionTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return test::engineName(info.param); });

} // namespace
