// A forward-only SELECT asked for as it comes: its rows arrive one at a
// time, whatever else needs the connection meanwhile (a statement, a
// transaction, the connection itself) finds it free without losing a row,
// and a failure after the first rows ends it with the server's reason.
#include "PgDriverSupport.h"

#include <QSqlResult>

#include <libpq-fe.h>

Q_DECLARE_OPAQUE_POINTER(PGresult*)

namespace viVavazuruv::pgdriver::test {
namespace {

class Streaming : public PgDriverTest {
protected:
    void prepare() override {
        // Settings make a statement a pipeline of two: the streamed one is its second.
        driver()->setTransactionSettings({{u"statement_timeout"_s, u"60s"_s}});
    }

    QSqlQuery streamed(const QString& sql) {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        driver()->setProperty(PgDriver::kStreamProperty, true);
        const bool ran = q.exec(sql);
        driver()->setProperty(PgDriver::kStreamProperty, QVariant());
        EXPECT_TRUE(ran) << q.lastError().text().toStdString();
        return q;
    }
    // Reads the query to its end; every value must be the next whole number.
    static void expectRowsFrom(QSqlQuery& q, int first, int last) {
        for (int expected = first; expected <= last; ++expected) {
            ASSERT_TRUE(q.next()) << "row " << expected << ": " << q.lastError().text().toStdString();
            ASSERT_EQ(q.value(0).toInt(), expected);
        }
    }
};

TEST_F(Streaming, RowsComeOneAtATimeAndWhatElseRunsMeanwhileLosesNone) {
    // (Unasked, a query holds the whole answer: RecordsetTest reads the driver's result in place.)
    QSqlQuery q = streamed(u"SELECT g FROM generate_series(1, 30000) g"_s);
    EXPECT_EQ(PQresultStatus(*static_cast<PGresult* const*>(q.result()->handle().constData())),
              PGRES_SINGLE_TUPLE);
    EXPECT_EQ(q.size(), -1);
    expectRowsFrom(q, 1, 10);
    // A statement, a transaction and code on libpq's own handle, each while rows are still coming.
    EXPECT_EQ(scalar(u"SELECT 7"_s), QVariant(7));
    expectRowsFrom(q, 11, 20);
    ASSERT_TRUE(m_db.transaction());
    ASSERT_TRUE(m_db.commit());
    QSqlQuery other = streamed(u"SELECT g FROM generate_series(1, 3) g"_s);
    expectRowsFrom(q, 21, 30);
    EXPECT_EQ(PQtransactionStatus(driver()->handle().value<PGconn*>()), PQTRANS_IDLE);
    expectRowsFrom(other, 1, 3);
    expectRowsFrom(q, 31, 30000);
    EXPECT_FALSE(q.next());
    EXPECT_FALSE(q.lastError().isValid());
}

TEST_F(Streaming, AFailureAfterTheFirstRowsEndsTheQueryWithTheServersReason) {
    const QString failing =
        u"SELECT CASE WHEN g = 20000 THEN 1 / (g - g) ELSE g END FROM generate_series(1, 30000) g"_s;
    for (bool interrupted : {false, true}) {
        SCOPED_TRACE(interrupted ? "read on after another statement" : "read straight");
        QSqlQuery q = streamed(failing);
        expectRowsFrom(q, 1, 5);
        if (interrupted) {
            EXPECT_EQ(scalar(u"SELECT 8"_s), QVariant(8));
        }
        int rows = 5;
        while (q.next())
            ++rows;
        EXPECT_LT(rows, 20000);
        EXPECT_TRUE(q.lastError().text().contains(u"division by zero"_s))
            << q.lastError().text().toStdString();
        EXPECT_EQ(scalar(u"SELECT 9"_s), QVariant(9));
    }
}

// (Rows no one reads, of a read closed early or abandoned, leave the
// connection free: RecordsetTest.RowsArrivingWhileReadLeaveTheConnectionFree,
// on the host's driver.)

} // namespace
} // namespace viVavazuruv::pgdriver::test
