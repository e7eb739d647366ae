// Values through parameters into the server's columns and back: each type,
// NULLs, bytes the text format would mangle, numeric under both policies.
#include "PgDriverSupport.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QTimeZone>

#include <cmath>
#include <limits>

namespace viVavazuruv::pgdriver::test {
namespace {

using namespace Qt::StringLiterals;

class Values : public PgDriverTest {
protected:
    void SetUp() override {
        PgDriverTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        run(u"CREATE TEMP TABLE v (b bool, i int4, s int2, l int8, d float8, f float4, n numeric, t text, "
            "y bytea, dt date, tm time, ts timestamp, tz timestamptz, o oid, j jsonb)"_s);
    }
};

TEST_F(Values, EachTypeRoundTripsThroughItsColumn) {
    const QByteArray bytes("\0\x01'\\\xff\"x", 7);
    const QString text = u"it's a \"quote\", a \\ and ü€ 😀"_s;
    const QDateTime when(QDate(2024, 2, 29), QTime(23, 59, 58, 125), QTimeZone(3600));
    QSqlQuery q(m_db);
    ASSERT_TRUE(q.prepare(u"INSERT INTO v VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s));
    for (const QVariant& v :
         {QVariant(true), QVariant(-2147483647 - 1), QVariant(short(-32768)),
          QVariant(std::numeric_limits<qlonglong>::max()), QVariant(1.0 / 3.0), QVariant(0.1f),
          QVariant(u"12345678901234567890.123456789"_s), QVariant(text), QVariant(bytes),
          QVariant(QDate(1999, 12, 31)), QVariant(QTime(13, 14, 15, 678)),
          QVariant(QDateTime(QDate(2000, 1, 2), QTime(3, 4, 5))), QVariant(when), QVariant(4000000000u),
          QVariant(u"{\"a\": [1, null]}"_s)})
        q.addBindValue(v);
    ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    EXPECT_EQ(q.numRowsAffected(), 1);

    ASSERT_TRUE(q.exec(u"SELECT * FROM v"_s));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(u"b"_s), QVariant(true));
    EXPECT_EQ(q.value(u"i"_s), QVariant(-2147483647 - 1));
    EXPECT_EQ(q.value(u"s"_s), QVariant(-32768));
    EXPECT_EQ(q.value(u"l"_s), QVariant(std::numeric_limits<qlonglong>::max()));
    EXPECT_EQ(q.value(u"d"_s), QVariant(1.0 / 3.0));
    EXPECT_DOUBLE_EQ(q.value(u"f"_s).toDouble(), 0.1); // float4 prints shortest, as 0.1
    EXPECT_EQ(q.value(u"n"_s).toString(), u"12345678901234567890.123456789"_s);
    EXPECT_EQ(q.value(u"t"_s), QVariant(text));
    EXPECT_EQ(q.value(u"y"_s), QVariant(bytes));
    EXPECT_EQ(q.value(u"dt"_s), QVariant(QDate(1999, 12, 31)));
    EXPECT_EQ(q.value(u"tm"_s), QVariant(QTime(13, 14, 15, 678)));
    EXPECT_EQ(q.value(u"tz"_s).toDateTime(), when);
    EXPECT_EQ(q.value(u"tz"_s).toDateTime().timeSpec(), Qt::UTC);
    EXPECT_EQ(q.value(u"o"_s), QVariant(4000000000u));
    EXPECT_EQ(q.value(u"j"_s), QVariant(u"{\"a\": [1, null]}"_s));

    const QSqlRecord rec = q.record();
    EXPECT_EQ(rec.field(u"l"_s).metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_EQ(rec.field(u"y"_s).metaType(), QMetaType::fromType<QByteArray>());
    EXPECT_EQ(rec.field(u"tz"_s).metaType(), QMetaType::fromType<QDateTime>());
}

TEST_F(Values, NullsComeBackAsNullsOfTheColumnType) {
    QSqlQuery q(m_db);
    ASSERT_TRUE(q.prepare(u"INSERT INTO v (i, t, y, tz) VALUES (?, ?, ?, ?), (0, ?, ?, now())"_s));
    q.addBindValue(QVariant());
    q.addBindValue(QString()); // a null QString is NULL, an empty one is not
    q.addBindValue(QVariant(QMetaType::fromType<QByteArray>()));
    q.addBindValue(QDateTime());
    q.addBindValue(u""_s);
    q.addBindValue(QByteArray(""));
    ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();

    ASSERT_TRUE(q.exec(u"SELECT i, t, y, tz FROM v ORDER BY t NULLS FIRST"_s));
    ASSERT_TRUE(q.next());
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(q.isNull(c) && q.value(c).isNull()) << c;
    EXPECT_EQ(q.value(0).metaType(), QMetaType::fromType<int>());
    EXPECT_EQ(q.value(2).metaType(), QMetaType::fromType<QByteArray>());
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(1), QVariant(u""_s));
    EXPECT_FALSE(q.isNull(2));
}

TEST_F(Values, FloatSpecialsAndNumericUnderEachPolicy) {
    QSqlQuery q(m_db);
    ASSERT_TRUE(q.prepare(u"SELECT ?::float8, ?::float8, ?::float8, 'NaN'::numeric"_s));
    q.addBindValue(std::numeric_limits<double>::quiet_NaN());
    q.addBindValue(std::numeric_limits<double>::infinity());
    q.addBindValue(-std::numeric_limits<double>::infinity());
    ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    ASSERT_TRUE(q.next());
    EXPECT_TRUE(std::isnan(q.value(0).toDouble()));
    EXPECT_EQ(q.value(1).toDouble(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(q.value(2).toDouble(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(q.value(3).toString(), u"NaN"_s);

    const QString sql = u"SELECT 9007199254740993.75::numeric, -2.5::numeric"_s;
    QSqlQuery n(m_db);
    ASSERT_TRUE(n.exec(sql) && n.next());
    EXPECT_EQ(n.value(0).metaType(), QMetaType::fromType<QString>());
    EXPECT_EQ(n.value(0).toString(), u"9007199254740993.75"_s); // exact, as sent
    n.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    ASSERT_TRUE(n.exec(sql) && n.next());
    EXPECT_EQ(n.value(0).metaType(), QMetaType::fromType<double>());
    EXPECT_EQ(n.value(1), QVariant(-2.5));
    n.setNumericalPrecisionPolicy(QSql::LowPrecisionInt64);
    ASSERT_TRUE(n.exec(sql) && n.next());
    EXPECT_EQ(n.value(1), QVariant(qlonglong(-2)));
    n.setNumericalPrecisionPolicy(QSql::LowPrecisionInt32);
    ASSERT_TRUE(n.exec(sql) && n.next());
    EXPECT_TRUE(n.value(0).isNull()); // beyond int
    EXPECT_EQ(n.value(1), QVariant(-2));
}

TEST_F(Values, UntypedStringsTakeTheTypeTheServerInfers) {
    QSqlQuery q(m_db);
    // Inferred from the column: a string for an int and a date.
    ASSERT_TRUE(q.prepare(u"INSERT INTO v (i, dt) VALUES (?, ?)"_s));
    q.addBindValue(u"17"_s);
    q.addBindValue(u"2020-05-06"_s);
    ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    EXPECT_EQ(scalar(u"SELECT i FROM v WHERE dt = '2020-05-06'"_s), QVariant(17));

    // Nothing to infer it from: sent once more as text.
    ASSERT_TRUE(q.prepare(u"SELECT ?, ? IS NULL"_s));
    q.addBindValue(u"plain"_s);
    q.addBindValue(QVariant());
    ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0), QVariant(u"plain"_s));
    EXPECT_EQ(q.value(1), QVariant(true));
}

TEST_F(Values, RowsScrollOrRunForwardAndCount) {
    QSqlQuery q(m_db);
    ASSERT_TRUE(q.exec(u"SELECT g FROM generate_series(1, 5) g"_s));
    EXPECT_EQ(q.size(), 5);
    ASSERT_TRUE(q.last());
    EXPECT_EQ(q.value(0), QVariant(5));
    ASSERT_TRUE(q.first());
    EXPECT_EQ(q.value(0), QVariant(1));

    q.setForwardOnly(true);
    ASSERT_TRUE(q.exec(u"INSERT INTO v (i) SELECT g FROM generate_series(1, 4) g"_s));
    EXPECT_FALSE(q.isSelect());
    EXPECT_EQ(q.size(), -1);
    EXPECT_EQ(q.numRowsAffected(), 4);
    ASSERT_TRUE(q.exec(u"SELECT i FROM v WHERE i > 2 ORDER BY i"_s));
    ASSERT_TRUE(q.next() && q.next());
    EXPECT_EQ(q.value(0), QVariant(4));
    EXPECT_FALSE(q.next());
}

} // namespace
} // namespace viVavazuruv::pgdriver::test
