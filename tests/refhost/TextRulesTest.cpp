// The host's text services row by row, without a database: the same functions
// ReferenceHost forwards to (RefhostHostTest drives them through the host).
#include "RefhostSupport.h"

#include <refhost/TextRules.h>
#include <viVavazuruv/AutomationError.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;
using namespace viVavazuruv::refhost;

namespace {

const QString kNulInside = u"a\0b|c"_s;

// ---- GetField ----------------------------------------------------------------

struct FieldRow {
    QString text, separator;
    int index;
    QString expected;
};

class RefhostTextGetField : public ::testing::TestWithParam<FieldRow> {};

TEST_P(RefhostTextGetField, PicksThePieceCountedFromOne) {
    const FieldRow& r = GetParam();
    EXPECT_EQ(fieldAt(r.text, r.separator, r.index), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RefhostTextGetField,
    ::testing::Values(FieldRow{u"a|b|c"_s, u"|"_s, 1, u"a"_s}, FieldRow{u"a|b|c"_s, u"|"_s, 3, u"c"_s},
                      FieldRow{u"a|b|c"_s, u"|"_s, 4, {}}, FieldRow{u"a|b|c"_s, u"|"_s, 0, {}},
                      FieldRow{u"a|b|c"_s, u"|"_s, -1, {}}, FieldRow{u"a||c"_s, u"|"_s, 2, {}},
                      FieldRow{u"|a"_s, u"|"_s, 1, {}}, FieldRow{u"a|"_s, u"|"_s, 2, {}},
                      FieldRow{{}, u"|"_s, 1, {}}, FieldRow{u"abc"_s, u"|"_s, 1, u"abc"_s},
                      FieldRow{u"abc"_s, u"|"_s, 2, {}}, FieldRow{u"a, b, c"_s, u", "_s, 2, u"b"_s},
                      FieldRow{u"a<>b<>c"_s, u"<>"_s, 3, u"c"_s}, FieldRow{u"a|b"_s, {}, 1, u"a|b"_s},
                      FieldRow{u"a|b"_s, {}, 2, {}}, FieldRow{u"名|🦷|x"_s, u"|"_s, 2, u"🦷"_s},
                      FieldRow{u"x'\"\\|y"_s, u"|"_s, 1, u"x'\"\\"_s},
                      FieldRow{kNulInside, u"|"_s, 1, u"a\0b"_s},
                      FieldRow{u"aXbxc"_s, u"x"_s, 2, u"c"_s})); // separators match case

// ---- SplitText -------------------------------------------------------------

struct SplitRow {
    QString text, separator;
    QStringList expected;
};

class RefhostTextSplit : public ::testing::TestWithParam<SplitRow> {};

TEST_P(RefhostTextSplit, GivesPiecesInOrder) {
    const SplitRow& r = GetParam();
    EXPECT_EQ(splitPieces(r.text, r.separator), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RefhostTextSplit,
    ::testing::Values(SplitRow{{}, u"|"_s, {}}, SplitRow{u"abc"_s, u"|"_s, {u"abc"_s}},
                      SplitRow{u"a|b|c"_s, u"|"_s, {u"a"_s, u"b"_s, u"c"_s}},
                      SplitRow{u"a||"_s, u"|"_s, {u"a"_s, {}, {}}}, SplitRow{u"|"_s, u"|"_s, {{}, {}}},
                      SplitRow{u"a|b"_s, {}, {u"a|b"_s}},
                      SplitRow{u"x--y--"_s, u"--"_s, {u"x"_s, u"y"_s, {}}},
                      SplitRow{u"🦷,'\\',名"_s, u","_s, {u"🦷"_s, u"'\\'"_s, u"名"_s}}));

TEST(RefhostTextSplitLimit, KeepsTheRestInPieceOneHundred) {
    QStringList numbers;
    for (int i = 1; i <= 150; ++i)
        numbers << QString::number(i);
    const QStringList pieces = splitPieces(numbers.join(u'|'), u"|"_s);
    ASSERT_EQ(pieces.size(), 100);
    EXPECT_EQ(pieces.at(98), u"99"_s);
    EXPECT_EQ(pieces.at(99), numbers.mid(99).join(u'|'));
}

// ---- ReplaceVariable -------------------------------------------------------

struct ReplaceRow {
    QString text, find, replacement;
    int count, start;
    QString expected;
};

class RefhostTextReplace : public ::testing::TestWithParam<ReplaceRow> {};

TEST_P(RefhostTextReplace, ReplacesFromStart) {
    const ReplaceRow& r = GetParam();
    EXPECT_EQ(replaceFrom(r.text, r.find, r.replacement, r.count, r.start), r.expected);
}

const QString kTwice = u"|PN and |PN"_s;

INSTANTIATE_TEST_SUITE_P(Rows, RefhostTextReplace,
                         ::testing::Values(ReplaceRow{kTwice, u"|PN"_s, u"Ann"_s, 0, 1, u"Ann and Ann"_s},
                                           ReplaceRow{kTwice, u"|PN"_s, u"Ann"_s, 1, 1, u"Ann and |PN"_s},
                                           ReplaceRow{kTwice, u"|PN"_s, u"Ann"_s, 0, 2, u"|PN and Ann"_s},
                                           ReplaceRow{kTwice, u"|PN"_s, u"Ann"_s, 0, 0, u"Ann and Ann"_s},
                                           ReplaceRow{kTwice, u"|PN"_s, u"Ann"_s, 0, -7, u"Ann and Ann"_s},
                                           ReplaceRow{kTwice, u"|PN"_s, u"Ann"_s, 0, 100, kTwice},
                                           ReplaceRow{kTwice, u"|PN"_s, u"Ann"_s, -1, 1, u"Ann and Ann"_s},
                                           ReplaceRow{u"aaa"_s, u"a"_s, u"aa"_s, 0, 1,
                                                      u"aaaaaa"_s}, // never rescans
                                           ReplaceRow{u"abc"_s, {}, u"x"_s, 0, 1, u"abc"_s},
                                           ReplaceRow{u"abc"_s, u"b"_s, {}, 0, 1, u"ac"_s},
                                           ReplaceRow{u"ABC"_s, u"b"_s, u"x"_s, 0, 1, u"ABC"_s},
                                           ReplaceRow{u"|T# |T# |T#"_s, u"|T#"_s, u"3"_s, 2, 1, u"3 3 |T#"_s},
                                           ReplaceRow{u"🦷|X"_s, u"|X"_s, u"名"_s, 0, 1, u"🦷名"_s},
                                           ReplaceRow{u"it's"_s, u"'"_s, u"''"_s, 0, 1, u"it''s"_s},
                                           ReplaceRow{u"a\\b"_s, u"\\"_s, u"\\\\"_s, 0, 1, u"a\\\\b"_s}));

// ---- List keys and pipe-sign variables -----------------------------------------

struct MapRow {
    QString input, expected;
};

class RefhostTextListKey : public ::testing::TestWithParam<MapRow> {};

TEST_P(RefhostTextListKey, TrimsStripsBarsAndUpperCases) {
    EXPECT_EQ(normalizedListKey(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, RefhostTextListKey,
                         ::testing::Values(MapRow{u" sxtitle "_s, u"SXTITLE"_s}, MapRow{u"|sf"_s, u"SF"_s},
                                           MapRow{u"||  t# "_s, u"T#"_s}, MapRow{{}, {}}, MapRow{u"|"_s, {}},
                                           MapRow{u"ärzte"_s, u"ÄRZTE"_s}, MapRow{u"a|b"_s, u"A|B"_s}));

class RefhostTextPipeVariable : public ::testing::TestWithParam<MapRow> {};

TEST_P(RefhostTextPipeVariable, TakesLettersDigitsHashAndQuestionMarks) {
    EXPECT_EQ(pipeVariableName(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, RefhostTextPipeVariable,
                         ::testing::Values(MapRow{u"|SF and more te"_s, u"SF"_s},
                                           MapRow{u"|T# |SF"_s, u"T#"_s}, MapRow{u"|??"_s, u"??"_s},
                                           MapRow{u"|1AB, then"_s, u"1AB"_s},
                                           MapRow{u"|CARIES."_s, u"CARIES"_s},
                                           MapRow{u"|MISSING"_s, u"MISSING"_s}, MapRow{u"|"_s, {}},
                                           MapRow{u"||X"_s, {}}, MapRow{u"SF"_s, {}}, MapRow{u" |SF"_s, {}},
                                           MapRow{u"|sf"_s, u"sf"_s}, MapRow{u"|名前x y"_s, u"名前x"_s},
                                           MapRow{u"|AB🦷"_s, u"AB"_s}, MapRow{u"|A-B"_s, u"A"_s},
                                           MapRow{u"|A'B"_s, u"A"_s}, MapRow{u"|A\0B"_s, u"A"_s}));

// ---- Layout file names -----------------------------------------------------------

class RefhostTextLayoutName : public ::testing::TestWithParam<QString> {};

TEST_P(RefhostTextLayoutName, StaysInsideItsFolder) {
    const QString name = layoutFileNameFor(GetParam(), {});
    ASSERT_FALSE(name.isEmpty());
    EXPECT_LE(name.size(), kMaxLayoutNameLength + 9);
    EXPECT_FALSE(name.startsWith(u'.'));
    EXPECT_FALSE(name.contains(u'/') || name.contains(u'\\') || name.contains(u':') ||
                 name.contains(u".."_s));
    for (QChar c : name)
        EXPECT_GE(c.unicode(), 0x20) << "control character in " << name.toStdString();

    // The real proof: the file lands directly in the folder it was meant for.
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ASSERT_TRUE(QDir(root.path()).mkpath(u"Stp"_s));
    const QString stp = QDir(root.filePath(u"Stp"_s)).canonicalPath();
    QFile file(stp + u'/' + name + u".ini"_s);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    file.close();
    EXPECT_EQ(QFileInfo(file.fileName()).canonicalPath(), stp);
    EXPECT_EQ(QDir(stp).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Hostile, RefhostTextLayoutName,
                         ::testing::Values(u"../../etc/passwd"_s, u"a/b\\c"_s, u".."_s, u"."_s, QString(),
                                           u"a\0b"_s, u"\x01\x1f\x7f tab\there"_s, QString(500, u'x'),
                                           QString(300, u'名'), u"名前リスト"_s, u"🦷"_s,
                                           QString(59, u'a') + u"🦷"_s, u"CON"_s, u"nul.txt"_s, u"...."_s,
                                           u".hidden"_s, u"trailing."_s, u"C:\\Windows\\win.ini"_s,
                                           u"/abs/path"_s, u"~user"_s, u"a b"_s, u"'; DROP TABLE x; --"_s,
                                           u"\xD800lone"_s));

TEST(RefhostTextLayoutNameRules, PlainCodesStayAsTheyAreAndCleanedOnesStayDistinct) {
    EXPECT_EQ(layoutFileNameFor(u"SXTITLE"_s, {}), u"SXTITLE"_s);
    EXPECT_EQ(layoutFileNameFor(u"Liste_Ä-1"_s, {}), u"Liste_Ä-1"_s);
    EXPECT_EQ(layoutFileNameFor(u"DOC"_s, u"2"_s), u"DOC_2"_s);
    EXPECT_EQ(layoutFileNameFor({}, {}), u"_unnamed"_s);
    // "a/b" and "a_b" clean up alike; the hash keeps their files apart.
    EXPECT_NE(layoutFileNameFor(u"a/b"_s, {}), layoutFileNameFor(u"a_b"_s, {}));
    EXPECT_NE(layoutFileNameFor(QString(500, u'x'), {}), layoutFileNameFor(QString(501, u'x'), {}));
    // Stable from run to run: the file must be found again next time.
    EXPECT_EQ(layoutFileNameFor(u"../x"_s, {}), layoutFileNameFor(u"../x"_s, {}));
}

// ---- SQL literals and flags ----------------------------------------------------

struct LiteralRow {
    QString text;
    bool emptyAsNull;
    QString expected;
};

class RefhostTextSqlLiteral : public ::testing::TestWithParam<LiteralRow> {};

TEST_P(RefhostTextSqlLiteral, QuotesAndDoublesQuotes) {
    EXPECT_EQ(sqlLiteral(GetParam().text, GetParam().emptyAsNull), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, RefhostTextSqlLiteral,
                         ::testing::Values(LiteralRow{u"O'Brien"_s, false, u"'O''Brien'"_s},
                                           LiteralRow{{}, false, u"''"_s}, LiteralRow{{}, true, u"NULL"_s},
                                           LiteralRow{u" "_s, true, u"' '"_s},
                                           LiteralRow{u"a\\b"_s, false, u"'a\\b'"_s},
                                           LiteralRow{u"''"_s, false, u"''''''"_s},
                                           LiteralRow{u"\"x\""_s, false, u"'\"x\"'"_s},
                                           LiteralRow{u"名🦷"_s, false, u"'名🦷'"_s}));

TEST(RefhostTextSqlLiteralNul, NulIsRefusedWithAClearError) {
    try {
        sqlLiteral(u"ab\0c"_s, false);
        FAIL() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::InvalidProcedureCall);
        EXPECT_TRUE(e.message().contains(u"NUL"_s));
    }
}

struct FlagRow {
    QString value;
    std::optional<qint16> expected;
};

class RefhostTextFlag : public ::testing::TestWithParam<FlagRow> {};

TEST_P(RefhostTextFlag, TrueIsMinusOne) {
    EXPECT_EQ(parseFlag(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, RefhostTextFlag,
                         ::testing::Values(FlagRow{u"-1"_s, -1}, FlagRow{u"1"_s, -1}, FlagRow{u" 7 "_s, -1},
                                           FlagRow{u"0"_s, 0}, FlagRow{u"True"_s, -1}, FlagRow{u"yes"_s, -1},
                                           FlagRow{u"ON"_s, -1}, FlagRow{u"false"_s, 0}, FlagRow{u"No"_s, 0},
                                           FlagRow{u"off"_s, 0}, FlagRow{{}, std::nullopt},
                                           FlagRow{u"maybe"_s, std::nullopt}));

} // namespace
