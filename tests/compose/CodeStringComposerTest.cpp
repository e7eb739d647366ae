// The chart note composed from a code-list request's records, case by case,
// with the join words and variables a practice keeps in its database.
#include <compose/CodeStringComposer.h>
#include <support/QtPrinting.h>
#include <support/ScriptedDialogs.h>
#include <support/TestDatabase.h>
#include <viVavazuruv/ReferenceHost.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace viVavazuruv;
using viVavazuruv::test::Engine;
using namespace Qt::StringLiterals;

namespace {

struct Record {
    QString list, level, description, code = {}, letter = {};
};

struct Case {
    const char* name;
    std::vector<Record> records;
    QString composed;
    qint16 count = -1; // -1: as many as records
};

class CodeStringComposerTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        VV_REQUIRE_DATABASE(m_db, GetParam());
        m_host = ReferenceHost::Open(m_db->url(), std::make_shared<test::ScriptedDialogs>(), m_dir.path());
        m_host->setListJoinWords(u"PROC"_s, u","_s, u" and"_s, u"."_s, u" "_s);
        m_host->setListJoinWords(u"TEETH"_s, u","_s, u" &"_s, {}, {});
        m_host->setListJoinWords(u"SURF"_s, u"-"_s, u"-"_s, {}, {});
        m_host->setInsertEachItem(u"SURF"_s, true);
        for (const auto& [variable, list] : {std::pair{u"PROC"_s, u"PROC"_s},
                                             {u"SURF"_s, u"SURF"_s},
                                             {u"SU"_s, u"SURFACE"_s},
                                             {u"TN"_s, u"TOOTH#"_s}})
            m_host->setPipeVariable(variable, list);
    }
    QString compose(const Case& c) {
        QString outputs[5];
        for (const Record& r : c.records) {
            const QString fields[] = {r.list, r.level, r.description, r.code, r.letter};
            for (int i = 0; i < 5; ++i)
                outputs[i] += fields[i] + u'\n';
        }
        QString composed = u"stale"_s;
        VbArray<QString> parts;
        Compose_Code_String(*m_host, parts, composed, outputs[0], outputs[1], outputs[2], outputs[3],
                            outputs[4], {}, c.count >= 0 ? c.count : qint16(c.records.size()));
        return composed;
    }

    std::unique_ptr<test::TestDatabase> m_db;
    QTemporaryDir m_dir;
    std::shared_ptr<ReferenceHost> m_host;
};

TEST_P(CodeStringComposerTest, ComposesTheSentenceAPersonWouldWrite) {
    const Case cases[] = {
        {"nothing chosen", {}, {}},
        {"one entry", {{u"|PROC"_s, u"0"_s, u"Exam"_s}}, u"Exam."_s},
        {"three entries of one list, a code joined",
         {{u"|PROC"_s, u"0"_s, u"Exam"_s, u"D0120"_s},
          {u"|PROC"_s, u"0"_s, u"X-ray"_s},
          {u"|PROC"_s, u"0"_s, u"Cleaning"_s}},
         u"Exam D0120, X-ray and Cleaning."_s},
        {"two teeth fill one variable",
         {{u"|PROC"_s, u"0"_s, u"Crown on |T#"_s},
          {u"TEETH"_s, u"1"_s, u"3"_s},
          {u"TEETH"_s, u"1"_s, u"5"_s}},
         u"Crown on 3 & 5."_s},
        {"each entry's own tooth, in order",
         {{u"|PROC"_s, u"0"_s, u"Crown |T#"_s},
          {u"TEETH"_s, u"1"_s, u"3"_s},
          {u"|PROC"_s, u"0"_s, u"Filling |T#"_s},
          {u"TEETH"_s, u"1"_s, u"5"_s}},
         u"Crown 3 and Filling 5."_s},
        {"leading dashes go, a caret breaks the line",
         {{u"|PROC"_s, u"0"_s, u"--Note^line two"_s}},
         u"Note\r\nline two."_s},
        {"surface and tooth variables are passed over; each surface goes in on its own",
         {{u"|PROC"_s, u"0"_s, u"Filling |SU |TN on |SURF, |SURF"_s},
          {u"SURF"_s, u"1"_s, u"mesial"_s},
          {u"SURF"_s, u"1"_s, u"occlusal"_s}},
         u"Filling |SU |TN on mesial, occlusal."_s},
        {"a typed answer keeps its line breaks",
         {{u"|PROC"_s, u"0"_s, u"Note: |??"_s}, {u"|??"_s, u"1"_s, u"first\u0002second"_s}},
         u"Note: first\r\nsecond."_s},
        {"three levels deep",
         {{u"|PROC"_s, u"0"_s, u"Filling |SURF"_s},
          {u"SURF"_s, u"1"_s, u"mesial |T#"_s},
          {u"TEETH"_s, u"2"_s, u"14"_s}},
         u"Filling mesial 14."_s},
        {"fewer lines than records",
         {{u"|PROC"_s, u"0"_s, u"Exam"_s}, {u"|PROC"_s, u"0"_s, u"X-ray"_s}},
         u"Exam and X-ray."_s,
         3},
        {"a level nobody stands on is skipped",
         {{u"|PROC"_s, u"0"_s, u"Crown |T#"_s}, {u"TEETH"_s, u"2"_s, u"3"_s}},
         u"Crown 3."_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(compose(c), c.composed) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Engines, CodeStringComposerTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return test::engineName(info.param); });

} // namespace
