// The host's text services at their boundaries, without a database: the same
// functions ReferenceHost forwards to (ReferenceHostTest drives them through the
// host); and TranslateSql's dialect rewrite row by row, whose statements run on
// both engines in ReferenceHostTest (offices, hostile text and list codes).
#include <support/QtPrinting.h>

#include <refhost/SqlTranslate.h>
#include <refhost/TextRules.h>

#include <gtest/gtest.h>

#include <random>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;
using namespace viVavazuruv::refhost;

namespace {

TEST(RefhostText, PiecesAndReplacementsAtTheirBoundaries) {
    EXPECT_EQ(QStringList({fieldAt(u"a|b|c"_s, u"|"_s, 3), fieldAt(u"a|b|c"_s, u"|"_s, 4),
                           fieldAt(u"a|b|c"_s, u"|"_s, 0), fieldAt(u"a<>b<>c"_s, u"<>"_s, 2),
                           fieldAt(u"a|b"_s, {}, 1), fieldAt(u"a|b"_s, {}, 2)}),
              QStringList({u"c"_s, {}, {}, u"b"_s, u"a|b"_s, {}}));
    // Nothing from an empty text, the whole text without a separator, and an empty last piece.
    EXPECT_EQ(splitPieces({}, u"|"_s) + splitPieces(u"a|b"_s, {}) + splitPieces(u"x--y--"_s, u"--"_s),
              QStringList({u"a|b"_s, u"x"_s, u"y"_s, {}}));
    QStringList numbers;
    for (int i = 1; i <= 150; ++i)
        numbers << QString::number(i);
    const QStringList pieces = splitPieces(numbers.join(u'|'), u"|"_s);
    // A hundred pieces: nothing past the 99th separator is lost.
    EXPECT_EQ(pieces.mid(99), QStringList(numbers.mid(99).join(u'|'))) << pieces.size();

    // Replacing a variable: its counts and starts.
    const QString twice = u"|PN and |PN"_s;
    for (const auto& [count, start, expected] :
         {std::tuple{1, 1, u"Ann and |PN"_s}, std::tuple{0, 2, u"|PN and Ann"_s},
          std::tuple{-1, -7, u"Ann and Ann"_s}, std::tuple{0, 100, twice}})
        EXPECT_EQ(replaceFrom(twice, u"|PN"_s, u"Ann"_s, count, start), expected);
    EXPECT_EQ(replaceFrom(u"aaa"_s, u"a"_s, u"aa"_s, 0, 1), u"aaaaaa"_s); // never rescans
    EXPECT_EQ(replaceFrom(u"abc"_s, {}, u"x"_s, 0, 1), u"abc"_s);
}

// Texts drawn from a few characters, and what a caller may do to one of them
// between two calls: change a character in place, put another text in its
// place, add to it, or leave it.
struct Texts {
    std::mt19937 random;
    QString alphabet;

    int pick(int n) { return std::uniform_int_distribution(0, n - 1)(random); }
    QChar letter() { return alphabet.at(pick(int(alphabet.size()))); }
    QString make() {
        QString text;
        for (int n = pick(13); n > 0; --n)
            text += letter();
        return text;
    }
    void change(QString& text) {
        const int what = pick(8);
        if (what == 0 && !text.isEmpty())
            text[pick(int(text.size()))] = letter();
        else if (what == 1)
            text = make();
        else if (what == 2)
            text += alphabet.at(0);
    }
};

// The host keeps its place in the texts it read or filled before; whatever a
// caller does to its texts in between (a character changed in place, as long
// as before with a separator fewer, among them), it answers as the plain rules do.
TEST(RefhostText, ReadingOnFromTheLastPieceAnswersAsReadingFromTheStart) {
    FieldReader reader;
    // More texts than places kept, read in turn, backwards and past the end,
    // with separators that overlap themselves.
    Texts random{std::mt19937(11), u"ab\n"_s};
    const QString separators[] = {u"\n"_s, u"b\n"_s, u"aa"_s};
    std::vector<QString> texts(10);
    for (int step = 0; step < 20000; ++step) {
        QString& text = texts[size_t(random.pick(10))];
        random.change(text);
        const QString& separator = separators[random.pick(3)];
        const int index = random.pick(10) - 1;
        ASSERT_EQ(reader.fieldAt(text, separator, index), fieldAt(text, separator, index))
            << "step " << step << ": piece " << index << " of " << text.toStdString();
    }
}

TEST(RefhostText, ReplacingOnFromTheLastReplacementAnswersAsReplacingFromTheStart) {
    TextReplacer replacer;
    QString text = u"Y Z"_s;
    replacer.replace(text, u"Z"_s, text, 1, 1); // the text itself as the replacement
    EXPECT_EQ(text, u"Y Y Z"_s);

    // Finds that overlap themselves and each other (a match made of what was
    // before and after a removed one among them), replacements that hold
    // them, counts and starts of every kind, in more texts than are followed.
    Texts random{std::mt19937(5), u"a|A"_s};
    const QString finds[] = {u"|A"_s, u"A"_s, u"a|"_s, u"|"_s, u"AA"_s};
    const QString replacements[] = {{}, u"|"_s, u"A|A"_s, u"x"_s, u"a"_s};
    const int counts[] = {1, 1, 1, 0, 2};
    const int starts[] = {1, 1, 1, 2, 5, -1};
    std::vector<QString> texts(6);
    for (int step = 0; step < 20000; ++step) {
        QString& t = texts[size_t(random.pick(6))];
        if (t.size() > 40)
            t = random.make();
        random.change(t);
        const QString& find = finds[random.pick(5)];
        const QString& replacement = replacements[random.pick(5)];
        const int count = counts[random.pick(5)];
        const int start = starts[random.pick(6)];
        const QString expected = replaceFrom(t, find, replacement, count, start);
        replacer.replace(t, find, replacement, count, start);
        ASSERT_EQ(t, expected) << "step " << step << ": " << find.toStdString() << " from " << start
                               << ", count " << count;
    }
}

TEST(RefhostText, ListKeysVariablesAndFlags) {
    for (const auto& [text, name] : {std::pair{u"|T# |SF"_s, u"T#"_s}, std::pair{u"|??"_s, u"??"_s},
                                     std::pair{u"|名前x y"_s, u"名前x"_s}, std::pair{u"|AB🦷"_s, u"AB"_s},
                                     std::pair{u"|A\0B"_s, u"A"_s}, std::pair{u" |SF"_s, QString()}})
        EXPECT_EQ(pipeVariableName(text), name) << text.toStdString();

    using Flag = std::optional<qint16>;
    for (const auto& [value, flag] :
         {std::pair{u" 7 "_s, Flag(-1)}, std::pair{u"True"_s, Flag(-1)}, std::pair{u"off"_s, Flag(0)},
          std::pair{QString(), Flag()}, std::pair{u"maybe"_s, Flag()}})
        EXPECT_EQ(parseFlag(value), flag) << value.toStdString();

    // A description's length as its limit counts it: a tooth is one character, a lone half of one too.
    for (const auto& [text, length] :
         {std::pair{u"🦷🦷x"_s, 3}, std::pair{QString(u"\xD83E"_s), 1}, std::pair{QString(), 0}})
        EXPECT_EQ(descriptionLength(text), length) << text.toStdString();
}

TEST(RefhostText, LayoutFileNamesStayInTheirFolderAndDistinct) {
    for (const QString& code :
         {u"../../etc/passwd"_s, u".."_s, u"a\0b"_s, u"\x01\x1f tab\there"_s, QString(500, u'x'),
          QString(59, u'a') + u"🦷"_s, u"nul.txt"_s, u"C:\\Windows\\win.ini"_s, u"\xD800lone"_s}) {
        const QString name = layoutFileNameFor(code, {});
        // No dot at all (the window cuts the name at its first one), no separator, no control.
        EXPECT_TRUE(name.size() <= kMaxLayoutNameLength + 9 && QStringView(name).isValidUtf16())
            << name.toStdString();
        for (QChar c : name)
            EXPECT_TRUE(c.isLetterOrNumber() || c.isSurrogate() || u"-_~"_s.contains(c))
                << name.toStdString();
    }
    EXPECT_EQ(QStringList({layoutFileNameFor(u"Liste_Ä-1"_s, {}), layoutFileNameFor(u"DOC"_s, u"2"_s),
                           layoutFileNameFor({}, {})}),
              QStringList({u"Liste_Ä-1"_s, u"DOC_2"_s, u"_unnamed"_s}));
    EXPECT_TRUE(layoutFileNameFor(u"com1"_s, {}).startsWith(u"_com1~"_s)); // a device name on another system
    // "a/b" and "a_b" clean up alike; the hash keeps their files apart, also
    // after the window's cut at the first dot.
    EXPECT_NE(layoutFileNameFor(u"a/b"_s, {}), layoutFileNameFor(u"a_b"_s, {}));
    EXPECT_NE(layoutFileNameFor(u"A.B"_s, {}).section(u'.', 0, 0),
              layoutFileNameFor(u"A.C"_s, {}).section(u'.', 0, 0));
    EXPECT_NE(layoutFileNameFor(QString(500, u'x'), {}), layoutFileNameFor(QString(501, u'x'), {}));
}

QString translated(const QString& statement, bool postgres = false) {
    return refhost::translateStatement(statement,
                                       postgres ? refhost::Dialect::PostgreSQL : refhost::Dialect::SQLite);
}

TEST(RefhostTranslate, RewritesTheDialectOnlyOutsideQuotesAndComments) {
    for (const auto& [input, expected] :
         {std::pair{u"dElEtE\t*\nfRoM t where a=1"_s, u"dElEtE\tfRoM t where a=1"_s},
          std::pair{u"DELETE*FROM t"_s, u"DELETE FROM t"_s},
          std::pair{u"Delete t.* from t where a=1"_s, u"Delete from t where a=1"_s},
          std::pair{u"DELETE /* why */ * FROM t"_s, u"DELETE /* why */ FROM t"_s},
          std::pair{u"Delete * from t -- Delete * from u"_s, u"Delete from t -- Delete * from u"_s},
          std::pair{u"select [Field Name], [pID] from [paTable]"_s,
                    u"select \"Field Name\", pID from paTable"_s},
          std::pair{u"select [a\"b] from t"_s, u"select \"a\"\"b\" from t"_s},
          std::pair{u"select * from t where flag = True and other=false"_s,
                    u"select * from t where flag = -1 and other=0"_s}})
        for (const bool postgres : {false, true})
            EXPECT_EQ(translated(input, postgres), expected);

    for (const QString& same :
         {u"DELETE * , x FROM t"_s, // not the dialect's form: left for the engine to judge
          u"update t set a = 'It''s -- not ; a comment' where b = 'Delete * from t'"_s,
          u"select \"Delete * from\" from t"_s, u"select 'a\\' from t where b = 'Delete * from t'"_s,
          u"select '[x]', 'True' from t"_s, u"select t.True, True() from t"_s,
          u"select 'unterminated Delete * from t"_s,
          u"update UsrDefTable set UsrDefCod = 'a' where usrdefInd = 1"_s, // not a condition
          u"select * from t where UsrDefCod = 'a' || 'b'"_s, u"select * from t where UsrDefCod = 'a"_s})
        for (const bool postgres : {false, true})
            EXPECT_EQ(translated(same, postgres), same);
}

// List codes in conditions: on PostgreSQL through the index expression. (The
// component's own form, and a code with two spellings, run in ReferenceHostTest.)
TEST(RefhostTranslate, ComparesListCodesIgnoringTheCaseOfAToZAndDropsTheRowLockOnlyOnSQLite) {
    const QString qualified = u"delete from t where (t.usrdefcod='ÄB')"_s;
    EXPECT_EQ(translated(qualified), qualified);
    EXPECT_EQ(translated(qualified, true), u"delete from t where (lower(t.usrdefcod COLLATE \"C\")='Äb')"_s);

    // A read that locks its rows for the run of saves: SQLite's run holds the
    // whole database already; only a trailing lock clause goes. (The
    // component's own locked read runs on both engines in ConflictCheckTest.)
    for (const auto& [input, sqlite] :
         {std::pair{u"select * from t FOR\n UPDATE;"_s, u"select * from t;"_s},
          std::pair{u"select 'for update' from t"_s, u"select 'for update' from t"_s},
          std::pair{u"select * from t -- for update"_s, u"select * from t -- for update"_s}}) {
        EXPECT_EQ(translated(input), sqlite);
        EXPECT_EQ(translated(input, true), input);
    }
}

} // namespace
