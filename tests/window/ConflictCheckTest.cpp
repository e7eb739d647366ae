// Two workstations on one database: with the host's conflict check on, a save
// or delete never overwrites what the other did since the list was loaded
// without asking; with it off, the last save wins as it always did.
#include <support/PickerEnv.h>

#include <core/RequestState.h>

#include <QSqlQuery>
#include <QTest>

using namespace viVavazuruv;
using viVavazuruv::test::Engine;
using viVavazuruv::test::PickerEnv;
using namespace Qt::StringLiterals;

namespace {

class ConflictCheckTest : public test::PickerTest {};

TEST_P(ConflictCheckTest, TheOtherWorkstationsChangeIsKeptUnlessTheUserSaysOtherwise) {
    struct Case {
        const char* name;
        const char* theirs; // what the other workstation did to American Express: "edit", "delete" or ""
        const char* mine;   // "edit" or "delete" of the same row
        bool checkOn;
        std::optional<qint32> answer; // to the conflict question; none when none may come
        QStringList stored;           // American Express's row afterwards (all descriptions of the list)
    };
    const Case cases[] = {
        {"no conflict", "", "edit", true, {}, {u"Amex (mine)"_s, u"MasterCard"_s}},
        {"edit/edit, keep theirs",
         "edit",
         "edit",
         true,
         MsgBox::AnswerNo,
         {u"Amex (theirs)"_s, u"MasterCard"_s}},
        {"edit/move: told, never added twice", "move", "edit", true, MsgBox::AnswerOk, {u"MasterCard"_s}},
        {"edit/edit, overwrite",
         "edit",
         "edit",
         true,
         MsgBox::AnswerYes,
         {u"Amex (mine)"_s, u"MasterCard"_s}},
        {"edit/delete, add again",
         "delete",
         "edit",
         true,
         MsgBox::AnswerYes,
         {u"Amex (mine)"_s, u"MasterCard"_s}},
        {"edit/delete, leave deleted", "delete", "edit", true, MsgBox::AnswerNo, {u"MasterCard"_s}},
        {"delete/edit, keep theirs",
         "edit",
         "delete",
         true,
         MsgBox::AnswerNo,
         {u"Amex (theirs)"_s, u"MasterCard"_s}},
        {"check off: the last save wins", "edit", "edit", false, {}, {u"Amex (mine)"_s, u"MasterCard"_s}},
    };
    auto other = ReferenceHost::Open(m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QSqlQuery(m_env->host().GetConnection()).exec(u"DELETE FROM UsrDefTable"_s);
        qint32 amex = m_env->addEntry(u"CRECARD"_s, u"AX"_s, u"American Express"_s);
        m_env->addEntry(u"CRECARD"_s, u"MC"_s, u"MasterCard"_s);
        m_env->host().setOption(u"LIST_CONFLICT_CHECK"_s, c.checkOn ? u"-1"_s : u"0"_s);
        PickerEnv::prepareRequest(u"CRECARD"_s);
        auto form = m_env->loadForm();
        form->show();
        QTest::mouseClick(form->level(0).cmd_Edit, Qt::LeftButton);

        // The other workstation, between this one's load and its save.
        const QString theirs = QLatin1String(c.theirs);
        if (theirs == u"edit"_s) {
            ASSERT_TRUE(other->SaveRecord(1, u"UsrDefTable"_s, u"UsrDefInd"_s, amex, {u"usrdefDes"_s},
                                          {u"Amex (theirs)"_s}, true));
        } else if (theirs == u"move"_s) {
            ASSERT_TRUE(other->SaveRecord(1, u"UsrDefTable"_s, u"UsrDefInd"_s, amex, {u"UsrDefCod"_s},
                                          {u"OTHER"_s}, true));
        } else if (theirs == u"delete"_s) {
            ASSERT_TRUE(QSqlQuery(other->GetConnection())
                            .exec(u"DELETE FROM UsrDefTable WHERE UsrDefInd = %1"_s.arg(amex)));
        }

        if (QLatin1String(c.mine) == QLatin1String("edit")) {
            PickerEnv::typeIntoCell(*form->level(0).uddbs_SS, 2, 1, u"Amex (mine)"_s);
            m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
            if (c.answer)
                m_env->dialogs().expectMessage(*c.answer, theirs == u"move"_s ? u"was moved to another list"_s
                                                                              : u"at another workstation"_s);
            QTest::mouseClick(form->level(0).cmd_Edit, Qt::LeftButton); // Done saves
        } else {
            PickerEnv::clickCell(*form->level(0).uddbs_SS, 2, 1);
            m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"delete this record"_s);
            if (c.answer)
                m_env->dialogs().expectMessage(*c.answer, u"Delete it all the same?"_s);
            QTest::mouseClick(form->level(0).cmd_Del, Qt::LeftButton);
        }
        EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s), c.stored);
        EXPECT_EQ(m_env->storedDescriptions(u"OTHER"_s).size(), theirs == u"move"_s ? 1 : 0);
        EXPECT_EQ(m_env->dialogs().pending(), 0);
        form->Unload();
    }
}

// A row whose save was refused stays edited; when it is finally saved it is
// still measured against the state editing began from, and the question
// names every field the other workstation changed.
TEST_P(ConflictCheckTest, ARefusedSaveStillCountsAndTheQuestionNamesWhatChanged) {
    qint32 amex = m_env->addEntry(u"CRECARD"_s, u"AX"_s, u"American Express"_s);
    m_env->addEntry(u"CRECARD"_s, u"MC"_s, u"MasterCard"_s);
    m_env->host().setOption(u"LIST_CONFLICT_CHECK"_s, u"-1"_s);
    PickerEnv::prepareRequest(u"CRECARD"_s);
    auto form = m_env->loadForm();
    form->show();
    PickerLevel& lvl = form->level(0);
    QTest::mouseClick(lvl.cmd_Edit, Qt::LeftButton);
    PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, 1, u"Amex (mine)"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerNo, u"save"_s);
    QTest::mouseClick(lvl.cmd_Edit, Qt::LeftButton);

    auto other = ReferenceHost::Open(m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder());
    ASSERT_TRUE(other->SaveRecord(1, u"UsrDefTable"_s, u"UsrDefInd"_s, amex,
                                  {u"usrdefSeqCod"_s, u"usrdefDes"_s}, {u"AM"_s, u"Amex (theirs)"_s}, true));

    QTest::mouseClick(lvl.cmd_Edit, Qt::LeftButton);
    PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, 2, u"MasterCard Gold"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerNo,
                                   u"since you started editing it:\r\n    Gp: \"AX\", now \"AM\"\r\n"
                                   u"    Description: \"American Express\", now \"Amex (theirs)\"\r\n"_s);
    QTest::mouseClick(lvl.cmd_Edit, Qt::LeftButton);
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s),
              (QStringList{u"Amex (theirs)"_s, u"MasterCard Gold"_s}));
    form->Unload();
}

INSTANTIATE_TEST_SUITE_P(Engines, ConflictCheckTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return test::engineName(info.param); });

} // namespace
