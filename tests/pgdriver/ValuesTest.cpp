// Placeholders rewritten for the server, and nothing else: not in quoted
// text, comments, dollar quotes or casts; and no statement left behind. Values
// through parameters into the server's columns and back: each type, NULLs,
// bytes the text format would mangle, numeric under both policies.
#include "PgDriverSupport.h"

#include <pgdriver/Placeholders.h>

#include <QDateTime>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTimeZone>

#include <cmath>
#include <limits>

namespace viVavazuruv::pgdriver::test {
namespace {

TEST(Placeholders, OnlyThoseOutsideQuotesCommentsAndCastsAreRewrittenAndNamesShareANumber) {
    const std::tuple<QString, QString, int> cases[] = {
        {u"SELECT 'it''s ?', ?"_s, u"SELECT 'it''s ?', $1"_s, 1},
        {u"SELECT \"odd?\"\"name\" FROM t WHERE a = ?"_s, u"SELECT \"odd?\"\"name\" FROM t WHERE a = $1"_s,
         1},
        {u"SELECT E'\\' ?', ?"_s, u"SELECT E'\\' ?', $1"_s, 1},
        {u"SELECT e'\\\\', ?"_s, u"SELECT e'\\\\', $1"_s, 1},
        // A word ending in e is no E'' prefix: the backslash is plain.
        {u"SELECT some'\\', ?"_s, u"SELECT some'\\', $1"_s, 1},
        {u"SELECT $$ ? $$, $f$ it's ? $$ $f$, ?"_s, u"SELECT $$ ? $$, $f$ it's ? $$ $f$, $1"_s, 1},
        {u"SELECT ? -- why?\n, ?"_s, u"SELECT $1 -- why?\n, $2"_s, 2},
        {u"SELECT /* a /* nested ? */ still ? */ ?"_s, u"SELECT /* a /* nested ? */ still ? */ $1"_s, 1},
        {u"SELECT ?::text, a[1:2] FROM t"_s, u"SELECT $1::text, a[1:2] FROM t"_s, 1},
        {u"SELECT a$b, ? FROM t"_s, u"SELECT a$b, $1 FROM t"_s, 1},
        {u"SELECT 'unterminated ?"_s, u"SELECT 'unterminated ?"_s, 0},
    };
    for (const auto& [in, out, count] : cases) {
        const Placeholders p = Placeholders::rewrite(in);
        EXPECT_EQ(std::tuple(p.text(), p.count(), p.named()), std::tuple(out, count, false))
            << in.toStdString();
    }
    // Names share one number, and quoted text is skipped.
    const Placeholders p =
        Placeholders::rewrite(u"SELECT :a, :b_2, ':a', $$:c$$, x::int, :a /* :d */ FROM t WHERE y = :b_2"_s);
    EXPECT_EQ(p.text(), u"SELECT $1, $2, ':a', $$:c$$, x::int, $1 /* :d */ FROM t WHERE y = $2"_s);
    EXPECT_EQ(p.count(), 2);
    EXPECT_EQ(p.names(), (QStringList{u"a"_s, u"b_2"_s}));
}

using PreparedQuery = PgDriverTest;

TEST_F(PreparedQuery, BindingsReachTheirPlaceholdersPlainTextRunsAsWrittenAndNothingIsLeftPrepared) {
    QSqlQuery q = bound(u"SELECT ?::int + 1, '?' || ?, $$ :x ? $$ -- ?\n"_s, {41, u"!"_s});
    ASSERT_TRUE(q.next());
    EXPECT_EQ(QVariantList({q.value(0).toInt(), q.value(1), q.value(2)}),
              QVariantList({42, u"?!"_s, u" :x ? "_s}));

    // Qt turns :name into ? itself, inside dollar quotes and brackets too; the caller's text must win.
    ASSERT_TRUE(q.prepare(u"SELECT :b || :a, $$:a$$, ARRAY[:n, :n + 1], ':b'"_s));
    q.bindValue(u":a"_s, u"A"_s);
    q.bindValue(u":b"_s, u"B"_s);
    q.bindValue(u":n"_s, 7);
    ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    ASSERT_TRUE(q.next());
    EXPECT_EQ(QStringList({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                           q.value(3).toString()}),
              QStringList({u"BA"_s, u":a"_s, u"{7,8}"_s, u":b"_s}));

    // A `?` in plain text is the server's own jsonb operator.
    EXPECT_TRUE(scalar(u"SELECT '{\"k\":1}'::jsonb ? 'k'"_s).toBool());

    // Prepared twice: nothing is left prepared on the session.
    EXPECT_EQ(scalar(u"SELECT count(*) FROM pg_prepared_statements"_s).toLongLong(), 0);
}

class Values : public PgDriverTest {
protected:
    void prepare() override {
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

    ASSERT_TRUE(q.exec(u"SELECT * FROM v"_s));
    ASSERT_TRUE(q.next());
    for (const auto& [column, bound, back] : columns)
        EXPECT_EQ(q.value(column), back) << column.toStdString();
    EXPECT_EQ(q.value(u"tz"_s).toDateTime().timeSpec(), Qt::UTC);

    // A result's fields take their columns' types. (The type of each column kind:
    // the table model's int8 and the NULLs' int4 and bytea.)
    EXPECT_EQ(q.record().field(u"tz"_s).metaType(), QMetaType::fromType<QDateTime>());
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

TEST_F(Values, FloatSpecialsNumericExactOrAsADoubleAndUntypedStringsTakeTheTypeTheServerInfers) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    QSqlQuery f = bound(u"SELECT ?::float8, ?::float8, ?::float8, 'NaN'::numeric"_s,
                        {std::numeric_limits<double>::quiet_NaN(), infinity, -infinity});
    ASSERT_TRUE(f.next());
    EXPECT_TRUE(std::isnan(f.value(0).toDouble()));
    EXPECT_EQ(std::pair(f.value(1).toDouble(), f.value(2).toDouble()), std::pair(infinity, -infinity));
    EXPECT_EQ(f.value(3).toString(), u"NaN"_s);

    const QString sql = u"SELECT 9007199254740993.75::numeric, -2.5::numeric"_s;
    QSqlQuery n(m_db);
    ASSERT_TRUE(n.exec(sql) && n.next());
    EXPECT_EQ(n.value(0), QVariant(u"9007199254740993.75"_s)); // exact, as sent, as text
    n.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    ASSERT_TRUE(n.exec(sql) && n.next());
    EXPECT_EQ(n.value(0).metaType(), QMetaType::fromType<double>());
    EXPECT_EQ(n.value(1), QVariant(-2.5));

    // Inferred from the column: a string for an int and a date.
    bound(u"INSERT INTO v (i, dt) VALUES (?, ?)"_s, {u"17"_s, u"2020-05-06"_s});
    EXPECT_EQ(scalar(u"SELECT i FROM v WHERE dt = '2020-05-06'"_s), QVariant(17));

    // Nothing to infer it from: sent once more as text.
    QSqlQuery q = bound(u"SELECT ?, ? IS NULL"_s, {u"plain"_s, QVariant()});
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0), QVariant(u"plain"_s));
    EXPECT_EQ(q.value(1), QVariant(true));
}

// Qt's own models find a table's columns through the driver; rows scroll, or run forward, and count.
TEST_F(Values, ATableModelReadsATableByItsNameAndRowsScrollOrRunForward) {
    run(u"INSERT INTO v (i, t) VALUES (1, 'one'), (2, 'two')"_s);
    QSqlTableModel model(nullptr, m_db);
    model.setTable(u"v"_s);
    model.setSort(model.fieldIndex(u"i"_s), Qt::DescendingOrder);
    ASSERT_TRUE(model.select()) << model.lastError().text().toStdString();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.record(0).value(u"t"_s), QVariant(u"two"_s));
    EXPECT_EQ(model.record().field(u"l"_s).metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_TRUE(m_db.record(u"no_such_table"_s).isEmpty());

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
