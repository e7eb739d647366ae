// The chart note composed from a code-list request's records, case by case,
// as text work over a host without a database whose text rules are the
// host's own. (The entry point's tests compose with the answers a practice
// keeps in its database.)
#include "TextHost.h"

#include <compose/CodeStringComposer.h>
#include <refhost/TextRules.h>
#include <support/QtPrinting.h>

#include <gtest/gtest.h>

using namespace viVavazuruv;
using namespace Qt::StringLiterals;

namespace {

struct Record {
    QString list, level, description, code = {}, letter = {};
};

QString compose(IHostServices& host, const std::vector<Record>& records, qint16 count = -1,
                QStringView lineEnd = u"\n") {
    QString outputs[5];
    for (const Record& r : records) {
        const QString fields[] = {r.list, r.level, r.description, r.code, r.letter};
        for (int i = 0; i < 5; ++i)
            outputs[i] += fields[i] + lineEnd.toString();
    }
    QString composed = u"stale"_s;
    VbArray<QString> parts;
    Compose_Code_String(host, parts, composed, outputs[0], outputs[1], outputs[2], outputs[3], outputs[4], {},
                        count >= 0 ? count : qint16(records.size()));
    return composed;
}

// A crown on its own tooth for each of n procedures: 2n records.
std::vector<Record> crowns(int n) {
    std::vector<Record> records;
    for (int i = 1; i <= n; ++i) {
        records.push_back({u"|PROC"_s, u"0"_s, u"Crown |T#"_s});
        records.push_back({u"TEETH"_s, u"1"_s, QString::number(i)});
    }
    return records;
}

class CodeStringComposerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_host.joinWords = {{u"PROC"_s, {u","_s, u" and"_s, u"."_s, u" "_s}},
                            {u"TEETH"_s, {u","_s, u" &"_s, {}, {}}},
                            {u"SURF"_s, {u"-"_s, u"-"_s, {}, {}}}};
        m_host.eachItem = {{u"SURF"_s, true}};
        m_host.listOfVariable = {
            {u"PROC"_s, u"PROC"_s}, {u"SURF"_s, u"SURF"_s}, {u"SU"_s, u"SURFACE"_s}, {u"TN"_s, u"TOOTH#"_s}};
    }
    test::TextHost m_host;
};

// Joins, a code, dashes, a caret, a typed break and two teeth in one variable are in the
// crowns and the transcript case below; three levels deep in the entry point's tests.
TEST_F(CodeStringComposerTest, ComposesTheSentenceAPersonWouldWrite) {
    EXPECT_EQ(compose(m_host, {}), QString()); // nothing chosen
    // Surface and tooth variables are passed over; each surface goes in on its own.
    EXPECT_EQ(compose(m_host, {{u"|PROC"_s, u"0"_s, u"Filling |SU |TN on |SURF, |SURF"_s},
                               {u"SURF"_s, u"1"_s, u"mesial"_s},
                               {u"SURF"_s, u"1"_s, u"occlusal"_s}}),
              u"Filling |SU |TN on mesial, occlusal."_s);
    // Fewer lines than records.
    EXPECT_EQ(compose(m_host, {{u"|PROC"_s, u"0"_s, u"Exam"_s}, {u"|PROC"_s, u"0"_s, u"X-ray"_s}}, 3),
              u"Exam and X-ray."_s);
    // A level nobody stands on is skipped.
    EXPECT_EQ(compose(m_host, {{u"|PROC"_s, u"0"_s, u"Crown |T#"_s}, {u"TEETH"_s, u"2"_s, u"3"_s}}),
              u"Crown 3."_s);
}

TEST_F(CodeStringComposerTest, TheHostsOwnTextRulesShowInTheNote) {
    // A host whose outputs end their lines with CR LF: its pieces drop the CR.
    const auto withoutCr = [](QString piece) {
        return piece.endsWith(u'\r') ? piece.chopped(1) : piece;
    };
    m_host.getField = [&](const QString& text, const QString& separator, qint16 index) {
        return withoutCr(refhost::fieldAt(text, separator, index));
    };
    m_host.splitText = [&](const QString& text, const QString& separator) {
        QStringList pieces = refhost::splitPieces(text, separator);
        for (QString& piece : pieces)
            piece = withoutCr(piece);
        return pieces;
    };
    // Levels split and read one by one, lists and descriptions read; more records than the
    // host splits at once.
    QStringList each;
    for (int i = 1; i < 65; ++i)
        each << u"Crown %1"_s.arg(i);
    EXPECT_EQ(compose(m_host, crowns(65), -1, u"\r\n"), each.join(u", "_s) + u" and Crown 65."_s);

    // A host that fills variables in capitals.
    m_host.replaceVariable = [](const QString& text, const QString& find, const QString& replacement,
                                qint16 count, qint32 start) {
        return refhost::replaceFrom(text, find, replacement.toUpper(), count, start);
    };
    EXPECT_EQ(compose(m_host, crowns(2)), u"CROWN 1 AND CROWN 2."_s);
}

TEST_F(CodeStringComposerTest, TheHostIsAskedWhatTheCompositionNeedsInOrder) {
    // A procedure with a surface variable that opens no list (passed over at
    // every insertion), a tooth variable and a typed answer; two teeth and
    // the answer on level 1. The teeth's list has no code join, so their
    // codes and letters are not read; the answer's record changes the list,
    // so it takes the teeth's words and no words of its own are fetched. The
    // dashes and the caret are the composer's own work: the host sees none.
    const std::vector<Record> records = {
        {u"|PROC"_s, u"0"_s, u"--Filling |SU surface, tooth |T#:^|??"_s, u"D2391"_s},
        {u"TEETH"_s, u"1"_s, u"3"_s},
        {u"TEETH"_s, u"1"_s, u"5"_s},
        {u"|??"_s, u"1"_s, u"deep\u0002caries"_s},
    };
    EXPECT_EQ(compose(m_host, records), u"Filling |SU surface, tooth 3 & 5:\r\ndeep\r\ncaries D2391."_s);
    const QStringList expected = {
        uR"(SplitText("0\n1\n1\n1\n", "\n"))"_s,
        uR"(GetField("|PROC\nTEETH\nTEETH\n|??\n", "\n", 1))"_s,
        // Level 0.
        uR"(GetField("|PROC\nTEETH\nTEETH\n|??\n", "\n", 1))"_s,
        uR"(ListJoinWords("|PROC"))"_s,
        uR"(GetField("--Filling |SU surface, tooth |T#:^|??\n3\n5\ndeep\x02caries\n", "\n", 1))"_s,
        uR"(GetField("D2391\n\n\n\n", "\n", 1))"_s,
        uR"(GetField("\n\n\n\n", "\n", 1))"_s,
        uR"(InsertEachItem("|PROC"))"_s,
        uR"(ReplaceVariable("Filling |SU surface, tooth |T#:\r\n|?? D2391\x01", "\x02", "\r\n", 0, 1))"_s,
        uR"(ReplaceVariable("Filling |SU surface, tooth |T#:\r\n|?? D2391\x01", "\x01", ".", 1, 1))"_s,
        uR"(PipeVariableList("|PROC "))"_s,
        uR"(ReplaceVariable("|PROC", "|PROC", "Filling |SU surface, tooth |T#:\r\n|?? D2391.", 1, 1))"_s,
        // Level 1: the teeth.
        uR"(GetField("|PROC\nTEETH\nTEETH\n|??\n", "\n", 2))"_s,
        uR"(ListJoinWords("TEETH"))"_s,
        uR"(GetField("--Filling |SU surface, tooth |T#:^|??\n3\n5\ndeep\x02caries\n", "\n", 2))"_s,
        uR"(InsertEachItem("TEETH"))"_s,
        uR"(GetField("|PROC\nTEETH\nTEETH\n|??\n", "\n", 3))"_s,
        uR"(GetField("--Filling |SU surface, tooth |T#:^|??\n3\n5\ndeep\x02caries\n", "\n", 3))"_s,
        uR"(InsertEachItem("TEETH"))"_s,
        // The answer's list differs: the teeth go in.
        uR"(GetField("|PROC\nTEETH\nTEETH\n|??\n", "\n", 4))"_s,
        uR"(ReplaceVariable("3\x01 5\x01", "\x02", "\r\n", 0, 1))"_s,
        uR"(ReplaceVariable("3\x01 5\x01", "\x01", " &", 1, 1))"_s,
        uR"(ReplaceVariable("3 & 5\x01", "\x01", "", 1, 1))"_s,
        uR"(PipeVariableList("|SU surface, to"))"_s,
        uR"(ReplaceVariable("Filling |SU surface, tooth |T#:\r\n|?? D2391.", "|T#", "3 & 5", 1, 1))"_s,
        uR"(GetField("--Filling |SU surface, tooth |T#:^|??\n3\n5\ndeep\x02caries\n", "\n", 4))"_s,
        uR"(InsertEachItem("|??"))"_s,
        // The end of the level: the answer goes in, the surface asked about again.
        uR"(ReplaceVariable("deep\x02caries\x01", "\x02", "\r\n", 0, 1))"_s,
        uR"(ReplaceVariable("deep\r\ncaries\x01", "\x01", "", 1, 1))"_s,
        uR"(PipeVariableList("|SU surface, to"))"_s,
        uR"(ReplaceVariable("Filling |SU surface, tooth 3 & 5:\r\n|?? D2391.", "|??", "deep\r\ncaries", 1, 1))"_s,
    };
    EXPECT_EQ(m_host.calls.join(u'\n'), expected.join(u'\n'));
}

} // namespace
