// Placeholders rewritten for the server, and nothing else: not in quoted
// text, comments, dollar quotes or casts; and no statement left behind.
#include "PgDriverSupport.h"

#include <pgdriver/Placeholders.h>

#include <QSqlError>

namespace viVavazuruv::pgdriver::test {
namespace {

using namespace Qt::StringLiterals;

TEST(Placeholders, OnlyThoseOutsideQuotesCommentsAndCastsAreRewritten) {
    const struct {
        QString in, out;
        int count;
    } cases[] = {
        {u"SELECT ?, ?"_s, u"SELECT $1, $2"_s, 2},
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
    for (const auto& c : cases) {
        const Placeholders p = Placeholders::rewrite(c.in);
        EXPECT_EQ(p.text(), c.out) << c.in.toStdString();
        EXPECT_EQ(p.count(), c.count) << c.in.toStdString();
        EXPECT_FALSE(p.named());
    }
}

TEST(Placeholders, NamesShareOneNumberAndSkipQuotedText) {
    const Placeholders p =
        Placeholders::rewrite(u"SELECT :a, :b_2, ':a', $$:c$$, x::int, :a /* :d */ FROM t WHERE y = :b_2"_s);
    EXPECT_EQ(p.text(), u"SELECT $1, $2, ':a', $$:c$$, x::int, $1 /* :d */ FROM t WHERE y = $2"_s);
    EXPECT_EQ(p.count(), 2);
    EXPECT_EQ(p.names(), (QStringList{u"a"_s, u"b_2"_s}));
}

using PreparedQuery = PgDriverTest;

TEST_F(PreparedQuery, PositionalAndNamedBindingsReachTheirPlaceholders) {
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

    // Bound again and run again, as callers do in loops.
    q.bindValue(u":n"_s, 1);
    ASSERT_TRUE(q.exec());
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(2).toString(), u"{1,2}"_s);
}

TEST_F(PreparedQuery, PlainTextRunsAsWritten) {
    // A `?` in plain text is the server's own jsonb operator.
    EXPECT_TRUE(scalar(u"SELECT '{\"k\":1}'::jsonb ? 'k'"_s).toBool());
    EXPECT_EQ(scalar(u"SELECT ':x?'"_s).toString(), u":x?"_s);
}

TEST_F(PreparedQuery, NothingIsLeftPreparedOnTheSession) {
    QSqlQuery q(m_db);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(q.prepare(u"SELECT ? + 1"_s));
        q.addBindValue(i);
        ASSERT_TRUE(q.exec());
        ASSERT_TRUE(q.next());
        ASSERT_EQ(q.value(0).toInt(), i + 1);
    }
    EXPECT_EQ(scalar(u"SELECT count(*) FROM pg_prepared_statements"_s).toLongLong(), 0);
}

} // namespace
} // namespace viVavazuruv::pgdriver::test
