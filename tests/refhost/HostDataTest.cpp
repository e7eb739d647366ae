// The host data tables: a setting is found in every spelling a caller may use; and text no engine can take is
// refused alike on both, before any statement is made of it.
#include "RefhostSupport.h"

using namespace Qt::StringLiterals;
using namespace viVavazuruv;
using viVavazuruv::test::expectError;

namespace {

VV_HOST_SUITE(RefhostSetAndGet);

QString joinWords(ReferenceHost& h, const QString& code) {
    QString between, beforeLast, afterLast, codeJoin;
    h.ListJoinWords(code, between, beforeLast, afterLast, codeJoin);
    return QStringList({between, beforeLast, afterLast, codeJoin}).join(u'|');
}

QString variable(ReferenceHost& h, const QString& text) {
    QString list;
    h.PipeVariableList(text, list);
    return list;
}

// Each setting is stored in one spelling and asked for in the others a record
// or a caller uses; a list named through CodeListKey is the list it names.
TEST_P(RefhostSetAndGet, ListSettingsAreFoundInEverySpellingACallerUses) {
    host().setCodeListKey(u"|Cards"_s, u"crecard"_s);
    host().setCodeListKey(u"docs"_s, u" doclist "_s);
    for (const QString& code : {u" ||proc "_s, u"|Cards"_s, u"DOCLIST"_s})
        host().setListJoinWords(code, u"+"_s, u" &"_s, u"!"_s, u":"_s);
    // Another workstation reads the stored words alike.
    const auto other = anotherHost();
    for (ReferenceHost* h : {&host(), other.get()})
        for (const QString& code :
             {u"|PROC"_s, u"PROC"_s, u"|Proc"_s, u"CRECARD"_s, u" |cards"_s, u"|Docs"_s})
            EXPECT_EQ(joinWords(*h, code), u"+| &|!|:"_s) << code.toStdString();
    EXPECT_EQ(host().CodeListKey(u"cards"_s) + host().CodeListKey(u" ||CARDS"_s) +
                  host().CodeListKey(u"|docs"_s),
              u"CRECARDCRECARDDOCLIST"_s);

    host().setInsertEachItem(u"|PROC"_s, true);
    host().setInsertEachItem(u"txnotes"_s, true);
    EXPECT_TRUE(host().InsertEachItem(u" proc"_s) && host().InsertEachItem(u"|TXNOTES"_s));
    host().setInsertEachItem(u"proc"_s, false);
    EXPECT_FALSE(host().InsertEachItem(u"|PROC"_s));

    host().setPipeVariable(u" sf "_s, u"SURFACES"_s);
    host().setPipeVariable(u"||T#"_s, u"TEETH"_s);
    EXPECT_EQ(variable(host(), u"|SF surfaces"_s) + variable(host(), u"|t#: "_s), u"SURFACESTEETH"_s);
}

// What the code-list tables answer is seen anew at the next question however
// they changed: through another workstation, through SQL on the connection
// the host lends, and back again when a transaction that changed them is
// rolled back.
TEST_P(RefhostSetAndGet, AListSettingChangedAnywhereIsSeenAtTheNextQuestion) {
    host().setListJoinWords(u"TEETH"_s, u","_s, u" and"_s, {}, {});
    const auto settings = [&] {
        return QStringList({joinWords(host(), u"|teeth"_s),
                            host().InsertEachItem(u"|teeth"_s) ? u"each"_s : u"all"_s,
                            variable(host(), u"|T# "_s), host().CodeListKey(u"|molars"_s)})
            .join(u' ');
    };
    const QString first = u",| and|| all  MOLARS"_s;
    EXPECT_EQ(settings(), first);
    EXPECT_EQ(settings(), first); // asked again, as a composition asks

    const auto other = anotherHost();
    other->setListJoinWords(u"TEETH"_s, u"+"_s, u" &"_s, u"."_s, u":"_s);
    other->setInsertEachItem(u"TEETH"_s, true);
    other->setPipeVariable(u"T#"_s, u"TEETH"_s);
    other->setCodeListKey(u"MOLARS"_s, u"TEETH"_s);
    const QString changed = u"+| &|.|: each TEETH TEETH"_s;
    EXPECT_EQ(settings(), changed);

    QSqlDatabase lent = host().GetConnection();
    const auto run = [&](const QString& sql) {
        EXPECT_TRUE(QSqlQuery(lent).exec(sql)) << sql.toStdString();
    };
    run(u"UPDATE ListJoinWords SET JoinBetween = '/' WHERE ListCode = 'TEETH'"_s);
    EXPECT_EQ(settings(), u"/| &|.|: each TEETH TEETH"_s);

    ASSERT_TRUE(lent.transaction());
    for (const QString& table :
         {u"ListJoinWords"_s, u"InsertEachItem"_s, u"PipeVariableList"_s, u"CodeListKey"_s})
        run(u"DELETE FROM "_s + table);
    EXPECT_EQ(settings(), u",| and||  all  MOLARS"_s); // the default words, a blank joining codes
    ASSERT_TRUE(lent.rollback());
    EXPECT_EQ(settings(), u"/| &|.|: each TEETH TEETH"_s);
}

TEST_P(RefhostSetAndGet, AVariableNameTheLookupCannotReadIsRefused) {
    // The lookup reads letters, digits, '#' and '?' after the bar; a name with
    // anything else could never be found.
    for (const QString& name : {u"S F"_s, u"|S-F"_s, u""_s, u"|"_s})
        expectError([&] { host().setPipeVariable(name, u"SURFACES"_s); }, ErrorCode::InvalidProcedureCall,
                    u"variable"_s);
}

// ---- Text no engine stores, as a lookup key --------------------------------------------------

VV_HOST_SUITE(RefhostUnstorableKey);

// Every way text reaches a statement: literals, saves, lookups and settings.
TEST_P(RefhostUnstorableKey, ANulOrALoneSurrogateIsRefusedAlikeOnBothEngines) {
    QString a, b, c, d;
    qint32 key = 0;
    using Calls = std::vector<std::function<void(const QString&)>>;
    const Calls calls = {
        // Literals first, then lookups and settings.
        [&](const QString& t) { host().SqlValue(t, false, 1, 0); },
        [&](const QString& t) { saveEntry(key, {u"usrdefDes"_s}, {t}); },
        [&](const QString& t) { host().ListJoinWords(t, a, b, c, d); },
        [&](const QString& t) { host().InsertEachItem(t); },
        [&](const QString& t) { host().CodeListKey(t); },
        [&](const QString& t) { host().option(t); },
        [&](const QString& t) { host().setListJoinWords(t, {}, {}, {}, {}); },
        [&](const QString& t) { host().setOption(u"x"_s, t); },
    };
    const auto expectRefused = [](const QString& bad, const Calls& calls) {
        for (const auto& call : calls)
            expectError([&] { call(bad); }, ErrorCode::InvalidProcedureCall,
                        bad.contains(QChar(0)) ? u"NUL"_s : u"surrogate"_s);
    };
    for (const QString& bad : {u"PR\0OCS"_s, u"|PR\0OCS"_s, u"PR\xD800OCS"_s, u"\xDC00"_s, u"\xDE00\xD83E"_s})
        expectRefused(bad, calls);
    // A lone surrogate would take the quote after it with it on its way to SQLite.
    expectRefused(u"a\xD800'b"_s, Calls(calls.begin(), calls.begin() + 2));
    EXPECT_EQ(key, 0);
    // The connection is still good for the next request.
    EXPECT_EQ(host().CodeListKey(u"|procs"_s), u"PROCS"_s);
}

} // namespace
