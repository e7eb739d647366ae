// The host data tables: what a setter stores is what its getter reads, in
// every spelling a caller may use; and text no engine can take is refused
// alike on both, before any statement is made of it.
#include "RefhostSupport.h"

#include <viVavazuruv/wkDatabases.h>

#include <functional>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;
using viVavazuruv::test::expectError;

namespace {

VV_HOST_SUITE(RefhostSetAndGet);

// One setter/getter pair in one spelling: set writes through the setter, get
// reads back through the getter (or the IHostServices member) what a caller sees.
struct Pair {
    const char* what;
    std::function<void(ReferenceHost&)> set;
    std::function<QString(ReferenceHost&)> get;
    QString expected;
};

QString joinWords(ReferenceHost& h, const QString& code) {
    QString between, beforeLast, afterLast, codeJoin;
    h.ListJoinWords(code, between, beforeLast, afterLast, codeJoin);
    return QStringList({between, beforeLast, afterLast, codeJoin}).join(u'|');
}

QString eachItem(ReferenceHost& h, const QString& code) {
    return h.InsertEachItem(code) ? u"each"_s : u"joined"_s;
}

QString variable(ReferenceHost& h, const QString& text) {
    QString list;
    h.PipeVariableList(text, list);
    return list;
}

QString flag(ReferenceHost& h, const QString& key, qint16 fallback) {
    qint16 value = 99;
    h.ReadOptionFlag(key, fallback, nullptr, 0, value);
    return QString::number(value);
}

const QString kWords = u"+| &|!|:"_s; // between, before last, after last, code join

std::vector<Pair> pairs() {
    const auto words = [](const QString& code) {
        return [code](ReferenceHost& h) { h.setListJoinWords(code, u"+"_s, u" &"_s, u"!"_s, u":"_s); };
    };
    const auto each = [](const QString& code) {
        return [code](ReferenceHost& h) { h.setInsertEachItem(code, true); };
    };
    return {
        // ListJoinWords: set and asked in every spelling a record or a caller uses.
        {"join words |PROC / |PROC", words(u"|PROC"_s), [](auto& h) { return joinWords(h, u"|PROC"_s); }, kWords},
        {"join words |PROC / PROC", words(u"|PROC"_s), [](auto& h) { return joinWords(h, u"PROC"_s); }, kWords},
        {"join words PROC / |PROC", words(u"PROC"_s), [](auto& h) { return joinWords(h, u"|PROC"_s); }, kWords},
        {"join words ' ||proc ' / |Proc", words(u" ||proc "_s), [](auto& h) { return joinWords(h, u"|Proc"_s); },
         kWords},
        {"join words through a CodeListKey row",
         [=](ReferenceHost& h) {
             h.setCodeListKey(u"|Cards"_s, u"crecard"_s);
             words(u"|Cards"_s)(h);
         },
         [](auto& h) { return joinWords(h, u"CRECARD"_s) + u'/' + joinWords(h, u" |cards"_s); },
         kWords + u'/' + kWords},
        {"join words of a list the CodeListKey table names", words(u"CRECARD"_s),
         [](auto& h) {
             h.setCodeListKey(u"|Cards"_s, u"CRECARD"_s);
             return joinWords(h, u"|Cards"_s);
         },
         kWords},
        // InsertEachItem, the same spellings.
        {"each item |PROC / |PROC", each(u"|PROC"_s), [](auto& h) { return eachItem(h, u"|PROC"_s); }, u"each"_s},
        {"each item |PROC / proc", each(u"|PROC"_s), [](auto& h) { return eachItem(h, u" proc"_s); }, u"each"_s},
        {"each item txnotes / |TXNOTES", each(u"txnotes"_s), [](auto& h) { return eachItem(h, u"|TXNOTES"_s); },
         u"each"_s},
        {"each item set off again",
         [](ReferenceHost& h) {
             h.setInsertEachItem(u"|PROC"_s, true);
             h.setInsertEachItem(u"proc"_s, false);
         },
         [](auto& h) { return eachItem(h, u"|PROC"_s); }, u"joined"_s},
        // CodeListKey.
        {"code list key |Cards / cards", [](auto& h) { h.setCodeListKey(u"|Cards"_s, u"CRECARD"_s); },
         [](auto& h) { return h.CodeListKey(u"cards"_s) + u'/' + h.CodeListKey(u" ||CARDS"_s); },
         u"CRECARD/CRECARD"_s},
        {"code list key kept as a list code", [](auto& h) { h.setCodeListKey(u"cards"_s, u" crecard "_s); },
         [](auto& h) { return h.CodeListKey(u"|cards"_s); }, u"CRECARD"_s},
        // PipeVariableList: the variable as a record carries it, after its bar.
        {"variable |SF / |sf,", [](auto& h) { h.setPipeVariable(u"|SF"_s, u"SURFACES"_s); },
         [](auto& h) { return variable(h, u"|sf, then"_s); }, u"SURFACES"_s},
        {"variable sf / |SF", [](auto& h) { h.setPipeVariable(u" sf "_s, u"SURFACES"_s); },
         [](auto& h) { return variable(h, u"|SF surfaces"_s); }, u"SURFACES"_s},
        {"variable ||T# / |t#", [](auto& h) { h.setPipeVariable(u"||T#"_s, u"TEETH"_s); },
         [](auto& h) { return variable(h, u"|t#: "_s); }, u"TEETH"_s},
        // Options and the office, stored and in memory.
        {"option KeyPrefix", [](auto& h) { h.setOption(u" keyprefix "_s, u"~"_s); },
         [](auto& h) { return h.KeyPrefix() + u'/' + h.option(u"KEYPREFIX"_s); }, u"~/~"_s},
        {"option removed in another spelling",
         [](ReferenceHost& h) {
             h.setOption(u"KeyPrefix"_s, u"~"_s);
             h.removeOption(u" keyprefix"_s);
         },
         [](auto& h) { return h.KeyPrefix(); }, QString()},
        {"option flag LetterColumnsOff", [](auto& h) { h.setOption(u"lettercolumnsoff"_s, u"yes"_s); },
         [](auto& h) { return QString::number(h.LetterColumnsOff()); }, u"1"_s},
        {"option flag CanModifyLists", [](auto& h) { h.setOption(u"CANMODIFYLISTS"_s, u"off"_s); },
         [](auto& h) { return QString::number(h.CanModifyLists()); }, u"0"_s},
        {"option flag read as ReadOptionFlag", [](auto& h) { h.setOption(u"Popup_Help_Flag"_s, u"1"_s); },
         [](auto& h) { return flag(h, u"POPUP_HELP_FLAG"_s, 0); }, u"-1"_s},
        {"stored office mode and office", [](auto& h) {
             h.setOption(u"officemode"_s, u"7"_s);
             h.setOption(u"OFFICEID"_s, u" 4"_s);
         },
         [](auto& h) { return QString::number(h.GetOfficeMode()) + u'/' + QString::number(h.GetOfficeID()); },
         u"7/4"_s},
        {"workstation office mode and office", [](auto& h) {
             h.setOption(u"OfficeID"_s, u"4"_s);
             h.setOfficeMode(7);
             h.setOfficeID(2);
         },
         [](auto& h) { return QString::number(h.GetOfficeMode()) + u'/' + QString::number(h.GetOfficeID()); },
         u"7/2"_s},
        {"default provider", [](auto& h) { h.setOption(u"defaultprovider"_s, u"12"_s); },
         [](auto& h) { return QString::number(h.GetDefaultProvider()); }, u"12"_s},
        // Fee types, the patient, the status text, the dialogs.
        {"fee type", [](auto& h) { h.setFeeType(2, u"PPO"_s); },
         [](ReferenceHost& h) {
             bool two = false, three = true;
             h.IsValidFeeType(2, two);
             h.IsValidFeeType(3, three);
             return QString::number(two) + QString::number(three);
         },
         u"10"_s},
        {"current patient", [](auto& h) { h.SetCurrentPatientID(42); },
         [](auto& h) { return QString::number(h.GetCurrentPatientID()); }, u"42"_s},
        {"host text", [](auto& h) { h.setHostText(u"busy"_s); },
         [](auto& h) { return h.hostText(); }, u"busy"_s},
        {"host text reset", [](auto& h) {
             h.setHostText(u"busy"_s);
             h.ResetHostText(QString());
         },
         [](auto& h) { return h.hostText(); }, QString()},
        {"dialogs", [](auto& h) { h.setDialogs(nullptr); },
         [](auto& h) { return QString::number(h.dialogs() == nullptr); }, u"1"_s},
    };
}

TEST_P(RefhostSetAndGet, WhatEachSetterStoresIsWhatItsGetterReads) {
    for (const Pair& pair : pairs()) {
        SCOPED_TRACE(pair.what);
        // A host of its own for each row: one row's setting must not help another.
        m_db.reset();
        m_host.reset();
        VV_REQUIRE_DATABASE(m_db, GetParam());
        m_host = std::make_unique<ReferenceHost>(m_db->url(), m_dialogs, m_folder.path());
        pair.set(host());
        EXPECT_EQ(pair.get(host()), pair.expected);
        // Another workstation reads the stored ones alike.
        if (QString(QLatin1String(pair.what)).startsWith(u"join"_s)) {
            EXPECT_EQ(pair.get(*anotherHost()), pair.expected);
        }
    }
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

TEST_P(RefhostUnstorableKey, ANulCharacterInALookupIsRefusedAlikeOnBothEngines) {
    const QString nul = u"PR\0OCS"_s;
    const QString lone = u"PR\xD800OCS"_s;
    for (const QString& bad : {nul, u'|' + nul, lone}) {
        const QString named = bad.contains(QChar(u'\0')) ? u"a NUL character"_s : u"surrogate"_s;
        QString a, b, c, d;
        expectError([&] { host().ListJoinWords(bad, a, b, c, d); }, ErrorCode::InvalidProcedureCall, named);
        expectError([&] { host().InsertEachItem(bad); }, ErrorCode::InvalidProcedureCall, named);
        expectError([&] { host().CodeListKey(bad); }, ErrorCode::InvalidProcedureCall, named);
        expectError([&] { host().option(bad); }, ErrorCode::InvalidProcedureCall, named);
        expectError([&] { host().setListJoinWords(bad, {}, {}, {}, {}); }, ErrorCode::InvalidProcedureCall,
                    named);
        expectError([&] { host().setOption(u"x"_s, bad); }, ErrorCode::InvalidProcedureCall, named);
    }
    // The connection is still good for the next request.
    EXPECT_EQ(host().CodeListKey(u"|procs"_s), u"PROCS"_s);
}

TEST_P(RefhostUnstorableKey, ACodeListComposedWithANulInItsCodeSaysSoOnBothEngines) {
    host().setPipeVariable(u"|PROCS"_s, u"PROCS"_s);
    auto shared = std::shared_ptr<ReferenceHost>(std::move(m_host));
    wkDatabases component;
    component.put_GIC(shared);
    for (const QString& code : {u"|PR\0OCS"_s, u"PR\0OCS"_s}) {
        QString note, dbName = code + u'\n', level = u"0\n"_s, description = u"Periodic exam\n"_s, ada, letter,
                      id = u"1\n"_s;
        qint16 count = 1;
        try {
            component.Cds_Qrp_Compose(note, dbName, level, description, ada, letter, id, count);
            ADD_FAILURE() << "no error";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.code(), ErrorCode::InvalidProcedureCall) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(u"a NUL character"_s) && e.message().contains(u"not allowed"_s))
                << e.message().toStdString();
        }
    }
    // And a code without one still composes.
    QString note, dbName = u"|PROCS\n"_s, level = u"0\n"_s, description = u"Periodic exam\n"_s, ada, letter,
                  id = u"1\n"_s;
    qint16 count = 1;
    component.Cds_Qrp_Compose(note, dbName, level, description, ada, letter, id, count);
    EXPECT_EQ(note, u"Periodic exam"_s);
    component.put_GIC(nullptr);
    m_host.reset();
}

} // namespace
