#pragma once

#include <pgdriver/PgDriver.h>

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

namespace viVavazuruv::pgdriver::test {

// The test server's URL (VIVAVAZURUV_TEST_PG_URL), empty when there is none.
QString serverUrl();
// The server's password: the address's, else the password file's (PGPASSFILE) for its user.
QString serverPassword();

// A VVPSQL connection of the test's own to the test server, opened with
// the URL as its database name; closed and removed with the fixture.
class PgDriverTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens one more connection under a name of its own; `open` false leaves it closed.
    QSqlDatabase connect(const QString& label, bool open = true);
    PgDriver* driverOf(const QSqlDatabase& db) const;
    PgDriver* driver() const { return driverOf(m_db); }
    // The first column of the first row; fails the test when the statement does.
    QVariant scalar(const QString& sql) const { return scalar(m_db, sql); }
    static QVariant scalar(const QSqlDatabase& db, const QString& sql);
    // sql prepared, values bound in turn, and run; fails the test when it does not run.
    static QSqlQuery bound(const QSqlDatabase& db, const QString& sql, const QVariantList& values);
    QSqlQuery bound(const QString& sql, const QVariantList& values) const { return bound(m_db, sql, values); }
    // Runs a statement; fails the test with the driver's text when it fails.
    static void run(const QSqlDatabase& db, const QString& sql);
    void run(const QString& sql) const { run(m_db, sql); }

    QSqlDatabase m_db;

private:
    QStringList m_names;
};

} // namespace viVavazuruv::pgdriver::test
