#pragma once

#include <pgdriver/PgDriver.h>

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <atomic>

namespace viVavazuruv::pgdriver::test {

using namespace Qt::StringLiterals;

// The test server's URL, empty when there is none. The driver's own cases
// want the server itself (temporary tables, backend ids); behind a pooler
// they take the server's address, and the pooling case starts a pooler of its own.
inline QString serverUrl() {
    const QString direct = qEnvironmentVariable("VIVAVAZURUV_TEST_PG_SERVER_URL");
    return direct.isEmpty() ? qEnvironmentVariable("VIVAVAZURUV_TEST_PG_URL") : direct;
}

// A VVPSQL connection of the test's own to the test server, opened with
// the URL as its database name; closed and removed with the fixture.
class PgDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (serverUrl().isEmpty()) {
            // In CI a missing server is a failure, so these cases never go quietly unrun there.
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                FAIL() << "CI=true but VIVAVAZURUV_TEST_PG_URL is not set";
            GTEST_SKIP() << "PostgreSQL is not available (set VIVAVAZURUV_TEST_PG_URL, or run scripts/test)";
        }
        registerPgDriver();
        m_db = connect(QStringLiteral("main"));
        ASSERT_TRUE(m_db.isOpen());
        prepare();
    }
    // A fixture's own set-up, once the connection is open.
    virtual void prepare() {}
    void TearDown() override {
        m_db = QSqlDatabase();
        for (const QString& name : std::as_const(m_names))
            QSqlDatabase::removeDatabase(name); // closes it
    }

    // One more connection, to address, under a name of its own; `open` false leaves it closed.
    QSqlDatabase connect(const QString& label, const QString& address = serverUrl(), bool open = true) {
        static std::atomic<int> counter;
        m_names.append(QStringLiteral("vvpg_%1_%2").arg(label).arg(counter++));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("VVPSQL"), m_names.last());
        db.setDatabaseName(address);
        if (open && !db.open())
            ADD_FAILURE() << db.lastError().text().toStdString();
        return db;
    }
    static PgDriver* driverOf(const QSqlDatabase& db) { return qobject_cast<PgDriver*>(db.driver()); }
    PgDriver* driver() const { return driverOf(m_db); }

    // The first column of the first row; fails the test when the statement does.
    static QVariant scalar(const QSqlDatabase& db, const QString& sql) {
        QSqlQuery q(db);
        if (q.exec(sql) && q.next())
            return q.value(0);
        ADD_FAILURE() << sql.toStdString() << ": " << q.lastError().text().toStdString();
        return {};
    }
    QVariant scalar(const QString& sql) const { return scalar(m_db, sql); }
    // sql prepared, values bound in turn, and run; fails the test when it does not run.
    static QSqlQuery bound(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
        QSqlQuery q(db);
        EXPECT_TRUE(q.prepare(sql)) << sql.toStdString();
        for (const QVariant& value : values)
            q.addBindValue(value);
        EXPECT_TRUE(q.exec()) << sql.toStdString() << ": " << q.lastError().text().toStdString();
        return q;
    }
    QSqlQuery bound(const QString& sql, const QVariantList& values) const { return bound(m_db, sql, values); }
    // Runs a statement; fails the test with the driver's text when it fails.
    void run(const QString& sql) const {
        QSqlQuery q(m_db);
        if (!q.exec(sql))
            ADD_FAILURE() << sql.toStdString() << ": " << q.lastError().text().toStdString();
    }

    QSqlDatabase m_db;

private:
    QStringList m_names;
};

} // namespace viVavazuruv::pgdriver::test
