// Values through parameters into the server's columns and back: each type,
// NULLs, bytes the text format would mangle, numeric under both policies.
#include "PgDriverSupport.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlTableModel>
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
    // Each column, what is bound to it and what it gives back.
    const std::tuple<QString, QVariant, QVariant> columns[] = {
        {u"b"_s, true, true},
        {u"i"_s, -2147483647 - 1, -2147483647 - 1},
        {u"s"_s, short(-32768), -32768},
        {u"l"_s, std::numeric_limits<qlonglong>::max(), std::numeric_limits<qlonglong>::max()},
        {u"d"_s, 1.0 / 3.0, 1.0 / 3.0},
        {u"f"_s, 0.1f, 0.1}, // float4 prints shortest, as 0.1
        {u"n"_s, u"12345678901234567890.123456789"_s, u"12345678901234567890.123456789"_s},
        {u"t"_s, text, text},
        {u"y"_s, bytes, bytes},
        {u"dt"_s, QDate(1999, 12, 31), QDate(1999, 12, 31)},
        {u"tm"_s, QTime(13, 14, 15, 678), QTime(13, 14, 15, 678)},
        {u"ts"_s, QDateTime(QDate(2000, 1, 2), QTime(3, 4, 5)), QDateTime(QDate(2000, 1, 2), QTime(3, 4, 5))},
        {u"tz"_s, when, when.toUTC()},
        {u"o"_s, 4000000000u, 4000000000u},
        {u"j"_s, u"{\"a\": [1, null]}"_s, u"{\"a\": [1, null]}"_s},
    };
    QVariantList values;
    for (const auto& column : columns)
        values << std::get<1>(column);
    QSqlQuery q = bound(u"INSERT INTO v VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s, values);
    EXPECT_EQ(q.numRowsAffected(), 1);

    ASSERT_TRUE(q.exec(u"SELECT * FROM v"_s));
    ASSERT_TRUE(q.next());
    for (const auto& [column, bound, back] : columns)
        EXPECT_EQ(q.value(column), back) << column.toStdString();
    EXPECT_EQ(q.value(u"tz"_s).toDateTime().timeSpec(), Qt::UTC);

    const QSqlRecord rec = q.record();
    EXPECT_EQ(rec.field(u"l"_s).metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_EQ(rec.field(u"y"_s).metaType(), QMetaType::fromType<QByteArray>());
    EXPECT_EQ(rec.field(u"tz"_s).metaType(), QMetaType::fromType<QDateTime>());
}

TEST_F(Values, NullsComeBackAsNullsOfTheColumnType) {
    // A null QString is NULL, an empty one is not.
    QSqlQuery q = bound(u"INSERT INTO v (i, t, y, tz) VALUES (?, ?, ?, ?), (0, ?, ?, now())"_s,
                        {QVariant(), QString(), QVariant(QMetaType::fromType<QByteArray>()), QDateTime(),
                         u""_s, QByteArray("")});

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
    constexpr double infinity = std::numeric_limits<double>::infinity();
    QSqlQuery q = bound(u"SELECT ?::float8, ?::float8, ?::float8, 'NaN'::numeric"_s,
                        {std::numeric_limits<double>::quiet_NaN(), infinity, -infinity});
    ASSERT_TRUE(q.next());
    EXPECT_TRUE(std::isnan(q.value(0).toDouble()));
    EXPECT_EQ(std::pair(q.value(1).toDouble(), q.value(2).toDouble()), std::pair(infinity, -infinity));
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
    // Inferred from the column: a string for an int and a date.
    bound(u"INSERT INTO v (i, dt) VALUES (?, ?)"_s, {u"17"_s, u"2020-05-06"_s});
    EXPECT_EQ(scalar(u"SELECT i FROM v WHERE dt = '2020-05-06'"_s), QVariant(17));

    // Nothing to infer it from: sent once more as text.
    QSqlQuery q = bound(u"SELECT ?, ? IS NULL"_s, {u"plain"_s, QVariant()});
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

// Qt's own models find a table's columns through the driver.
TEST_F(Values, ATableModelReadsATableByItsName) {
    run(u"INSERT INTO v (i, t) VALUES (1, 'one'), (2, 'two')"_s);
    QSqlTableModel model(nullptr, m_db);
    model.setTable(u"v"_s);
    model.setSort(model.fieldIndex(u"i"_s), Qt::DescendingOrder);
    ASSERT_TRUE(model.select()) << model.lastError().text().toStdString();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.record(0).value(u"t"_s), QVariant(u"two"_s));
    EXPECT_EQ(model.record().field(u"l"_s).metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_TRUE(m_db.record(u"no_such_table"_s).isEmpty());
}

} // namespace
} // namespace viVavazuruv::pgdriver::test
