// The picker entry points driven the way office staff use them: the test
// schedules presses and clicks, the real modal window runs, and the answer and
// the table afterwards are checked, on SQLite and PostgreSQL; and the position
// a request keeps when its caller gives none.
#include <refhost/RefhostSupport.h>
#include <support/FailingHost.h>
#include <support/PickerEnv.h>

#include <core/RequestState.h>

#include <gtest/gtest.h>

#include <QPointF>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <limits>

using namespace viVavazuruv;
using viVavazuruv::test::errorOf;
using viVavazuruv::test::FailingHost;
using Failure = viVavazuruv::test::FailingHost::Failure;
using viVavazuruv::test::PickerEnv;
using namespace Qt::StringLiterals;

namespace {

class PickerEntryPointsTest : public test::EntryPointTest {
protected:
    // Puts the cursor on a row as a user would, so commands act on it.
    static wkDatabases_Form* cursorTo(qint32 row) {
        PickerEnv::form()->setUserAction(true);
        PickerEnv::grid().setRow(row);
        PickerEnv::grid().setCol(2);
        PickerEnv::grid().setAction(GridAction::ActivateCell);
        return PickerEnv::form();
    }
    // Notes what shown() gives while the next request's window is up, then closes it.
    void noteAndClose(QString& noted, std::function<QString()> shown) {
        play({[&noted, shown] {
            noted = shown();
            PickerEnv::pressButton(u"cmd_Cancel"_s);
        }});
    }
    template <class Host> std::shared_ptr<Host> putHost() {
        auto host = std::make_shared<Host>(m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder());
        m_env->component().put_GIC(host);
        return host;
    }
    // Without arguments: the cards, stored out of order (V, MC, AX, E).
    void seed(const QString& list = u"CRECARD"_s,
              const QStringList& groupsAndDescriptions = {
                  u"V"_s, u"Visa"_s, u"MC"_s, u"MasterCard"_s, u"AX"_s, u"American Express"_s, u"E"_s, {}}) {
        for (qsizetype i = 0; i + 1 < groupsAndDescriptions.size(); i += 2)
            m_env->addEntry(list, groupsAndDescriptions[i], groupsAndDescriptions[i + 1]);
    }
    // The caller's in-out value stays in m_tmp for the test to check.
    QString card(QString tmp = {}) {
        return m_env->component().UDDBS_Credit_Card(m_tmp = tmp, m_top, m_left);
    }
    QString alert(QString tmp = {}) { return m_env->component().UDDBS_Med_Alert(m_tmp = tmp, m_top, m_left); }
    QString selection(QString list, bool multi) {
        return m_env->component().UDDBS_Selection(multi, m_top, m_left, list, m_caption, m_letter);
    }
    const QList<test::ScriptedDialogs::Asked>& asked() const { return m_env->dialogs().asked(); }

    QString m_tmp, m_caption = u"Caption"_s;
    bool m_letter = false;
    float m_top = 0, m_left = 0;
};

TEST_P(PickerEntryPointsTest, AGroupCodeWithoutADescriptionOpensTheWindowWhoseButtonsWaitForTheMouse) {
    seed(); // (A group code answered at once: the host-view transcripts and ListAnswerTest.)
    bool stillUp = false;
    play({[] {
              // Keyboard and programmatic clicks arrive before any mouse press on a button: they do nothing.
              PickerEnv::form()->level(0).cmd_Select->click();
              PickerEnv::form()->cmd_Cancel_Click(0);
          },
          [&] {
              stillUp = up();
              QPushButton* close = PickerEnv::form()->level(0).cmd_Cancel;
              close->setFocus();
              QTest::keyClick(close, Qt::Key_Escape);
          }});
    // An empty description opens the window; the caller's value is overwritten.
    EXPECT_EQ((QStringList{card(u"e"_s), m_tmp}), (QStringList{{}, {}}));
    EXPECT_TRUE(stillUp);
}

TEST_P(PickerEntryPointsTest, PackedSalutationRequestUsesItsOwnListAndCaptions) {
    seed(u"DRTTL"_s, {u"D"_s, u"Dr."_s, u"P"_s, u"Prof."_s});
    const auto title = [&](QString tmp, QString key = {}, qint16 flag = -1) {
        return m_env->component().UDDBS_Sex_Title(tmp, m_top, m_left, flag, key);
    };
    const QString packed = u"DRTTL\nDoctor Title\nDoctors\nDoctor list"_s;
    QString captions;
    // (The frame's caption, the fourth field: the host-view transcripts.)
    noteAndClose(captions,
                 [] { return PickerEnv::form()->windowTitle() + u'|' + PickerEnv::grid().GetText(2, 0); });
    EXPECT_EQ(title(packed), QString());
    EXPECT_EQ(captions, u"Doctors|Doctor Title"_s);
    // The fifth field is the value to look up; Key puts the cursor on a row.
    EXPECT_EQ(title(packed + u"\np"_s), u"Prof."_s);
    qint32 active = 0;
    play({[&] {
        active = PickerEnv::grid().ActiveRow();
        PickerEnv::pressButton(u"cmd_Select"_s);
    }});
    EXPECT_EQ(std::pair(title({}, u" Prof. "_s, 3), active), std::pair(u"Prof."_s, 2));
}

// Typed information with two lines travels as one field; a window closed
// while its question is open asks and records nothing more.
TEST_P(PickerEntryPointsTest, TypedInformationIsOneFieldAndAWindowClosedDuringItsQuestionAsksNoMore) {
    m_env->addEntry(u"NOTES"_s, u"N"_s, u"Patient reports |?? since"_s);
    m_env->addEntry(u"CROWNS"_s, u"A"_s, u"Crown |?? on |T# then |??"_s);
    m_env->dialogs().expectInput(u"pain\r\nswelling"_s, u"Patient reports"_s);
    play({press("cmd_Select")});
    EXPECT_EQ(selection(u"NOTES"_s, true), u"Patient reports  since\r\npain"_s + QChar(2) + u"swelling"_s);
    EXPECT_EQ(asked().at(0).title, u"Enter information"_s);

    // A second question would find no answer queued.
    m_env->dialogs().expectInput(u"typed after the close"_s, {}, [] { PickerEnv::form()->close(); });
    play({press("cmd_Select")});
    // Only the row's own line: no answer, no mark for the tooth.
    EXPECT_EQ(selection(u"CROWNS"_s, true), u"Crown  on |T# then |??"_s);

    m_env->component().put_GIC(nullptr);
    EXPECT_EQ(errorOf([&] { card(); }), ErrorCode::ObjectNotSet);
}

TEST_P(PickerEntryPointsTest, OneChoiceRefusesPipeSignsAndReturnsLetterNames) {
    m_env->addEntry(u"LETTERS"_s, u"A"_s, u"|??"_s);
    m_env->addEntry(u"LETTERS"_s, u"B"_s, u"Recall"_s, QString(), u"RECALL.RTF"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerOk, u"Pipe sign variables are not supported"_s);
    QString tmp = u"old"_s, dbnm = u"LETTERS"_s, caption = u"Letters"_s, letter = u"unchanged"_s;
    bool showLetter = true;
    const auto oneChoice = [&] {
        return m_env->component().UDDBS_1_Choice(tmp, m_top, m_left, dbnm, caption, &showLetter, &letter);
    };
    play({press("cmd_Select")});
    EXPECT_EQ((QStringList{oneChoice(), tmp, asked().at(0).title}),
              (QStringList{{}, {}, u"User Definded Database"_s}));
    play({pick(2), press("cmd_Select")});
    EXPECT_EQ((QStringList{oneChoice(), letter}), (QStringList{u"Recall"_s, u"RECALL.RTF"_s}));
}

TEST_P(PickerEntryPointsTest,
       ListsWithoutAFrameCaptionKeepTheirListAndPlaceWhenTheHostFailsAndNameTheirGrid) {
    m_env->addEntry(u"DOCS"_s, u"D"_s, u"Consent form"_s);
    // The letter-column question fails, after the request's list and place are set.
    putHost<FailingHost>()->failService(FailingHost::Service::LetterColumnsOff, Failure::Automation);
    QString dbnm = u"DOCS"_s, tmp;
    m_top = 2000, m_letter = true;
    EXPECT_EQ(errorOf([&] { selection(dbnm, false); }), ErrorCode::HostError);
    EXPECT_EQ((std::pair(RequestState::instance().DatabaseCode, RequestState::instance().WindowTop)),
              (std::pair(u"DOCS"_s, 2000.0f)));
    m_top = 3000;
    EXPECT_EQ(errorOf([&] {
                  m_env->component().UDDBS_1_Choice(tmp, m_top, m_left, dbnm, m_caption, &m_letter, &tmp);
              }),
              ErrorCode::HostError);
    EXPECT_EQ(RequestState::instance().WindowTop, 3000.0f);

    // The selection's frame has no caption: its grid goes by the window's.
    putHost<ReferenceHost>();
    QString gridName;
    noteAndClose(gridName, [] {
        return PickerEnv::grid().view()->accessibleName() + u'|' +
               PickerEnv::form()->level(0).Uddbs_Frame->accessibleName();
    });
    selection(u"DOCS"_s, false);
    EXPECT_EQ(gridName, u"Caption, choose one|Level 1: Caption"_s);
}

TEST_P(PickerEntryPointsTest, DeleteAsksAndHonoursNoUnsavedLines) {
    seed();
    for (qint32 answer : {MsgBox::AnswerNo, MsgBox::AnswerYes, MsgBox::AnswerYes})
        m_env->dialogs().expectMessage(answer, u"delete this record"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerNo, u"save"_s); // New left the list changed
    QList<qint32> rows;
    play({[&] {
        wkDatabases_Form* f = cursorTo(4); // V Visa
        f->cmd_Del_Click(0), rows << PickerEnv::grid().MaxRows();
        f->cmd_Del_Click(0), rows << PickerEnv::grid().MaxRows();
        // Then a line added and never saved: its key cell holds the list code, which names no record.
        f->cmd_Add_Click(0), f->cmd_Del_Click(0), rows << PickerEnv::grid().MaxRows();
        f->cmd_Cancel_Click(0);
    }});
    card();
    EXPECT_EQ(rows << m_env->dialogs().beeps(), (QList<qint32>{4, 3, 3, 3})); // rows left, then beeps
    EXPECT_EQ(
        std::pair(asked().at(0).title, asked().at(0).flags),
        std::pair(u"Delete Record"_s, qint32(MsgBox::YesNo + MsgBox::Question + MsgBox::DefaultButton2)));
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s),
              (QStringList{QString(), u"American Express"_s, u"MasterCard"_s}));
}

TEST_P(PickerEntryPointsTest, ASaveThatFailsOnTheThirdRowKeepsTheFirstTwoAndRaisesToTheCaller) {
    for (int i = 1; i <= 5; ++i)
        m_env->addEntry(u"ALERT"_s, QString::number(i), u"Alert %1"_s.arg(i));
    for (const bool throwing : {false, true}) {
        // A false answer from the third save, or a statement failing and an error.
        putHost<FailingHost>()->failSave(3, throwing ? Failure::Automation : Failure::False);
        m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
        if (throwing) // closed from the title bar: the user hears, in plain words, what was lost
            m_env->dialogs().expectMessage(MsgBox::AnswerOk,
                                           u"The practice's database has no room left; "
                                           u"the changes not yet saved are still in the list."_s);
        const QString suffix = throwing ? u" (second try)"_s : u" (edited)"_s;
        play({[&] {
            PickerEnv::pressButton(u"cmd_Edit"_s);
            for (qint32 r = 1; r <= 5; ++r)
                PickerEnv::typeIntoCell(PickerEnv::grid(), 2, r, u"Alert %1"_s.arg(r) + suffix);
            PickerEnv::form()->close(); // closing in edit mode saves first
        }});
        EXPECT_EQ(errorOf([&] { alert(); }), throwing ? ErrorCode::DatabaseError : 0);
        // Rows before the failing one are written, the failing one is not; a
        // false answer lets the rows after it be written, an error stops there.
        EXPECT_EQ(m_env->storedDescriptions(u"ALERT"_s),
                  (QStringList{u"Alert 1"_s + suffix, u"Alert 2"_s + suffix, u"Alert 3"_s,
                               u"Alert 4 (edited)"_s, u"Alert 5 (edited)"_s}))
            << "throwing=" << throwing;
        EXPECT_EQ(m_env->storedDescriptions({}).size(), 5);
    }
    // The component serves the next request normally.
    putHost<ReferenceHost>();
    EXPECT_EQ(alert(u"1"_s), u"Alert 1 (second try)"_s);
}

TEST_P(PickerEntryPointsTest, HostFailuresOfAnyTypeReachTheCallerAndAHostPutLaterAnswers) {
    seed();
    auto faulty = putHost<FailingHost>();
    faulty->replaceStatements(u"Delete"_s, u"DELETE FROM NoSuchTable"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"delete"_s);
    play({[] {
        cursorTo(1)->level(0).cmd_Del->setVisible(true);
        PickerEnv::pressButton(u"cmd_Del"_s);
    }});
    EXPECT_NE(errorOf([&] { card(); }), 0);
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s).size(), 4);

    faulty->failService(FailingHost::Service::AskMessage, Failure::Foreign);
    m_env->dialogs().expectMessage(MsgBox::AnswerOk, u"Your changes to the list were not saved"_s);
    play({[] {
        wkDatabases_Form* f = PickerEnv::form();
        f->level(0).setMode(LevelMode::Edit);
        f->level(0).ListChanged = true;
        f->close(); // the title bar: edits are saved first, and the save asks the host
    }});
    EXPECT_EQ(errorOf([&] { card(); }), ErrorCode::HostError);

    std::weak_ptr<ReferenceHost> firstGone = putHost<ReferenceHost>();
    auto later = std::make_shared<FailingHost>(m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder());
    play({[&] {
        m_env->component().put_GIC(later); // the first host object goes with its last reference
        PickerEnv::pressButton(u"cmd_Select"_s);
    }});
    // OK at once takes the cursor's row, the first in sorted order, whatever the table returned first.
    EXPECT_EQ(card(), u"American Express"_s);
    EXPECT_TRUE(firstGone.expired());
}

VV_ON_BOTH_ENGINES(PickerEntryPointsTest);

// A caller that passes no usable position gets the last one a caller passed.
TEST(RequestStateTest, ZeroNegativeOrNaNKeepTheLastPositionAskedFor) {
    RequestState state;
    PickerRequest request;
    state.PlaceRequest(request, 2000.0f, 1500.0f);
    state.PlaceRequest(request, 0.0f, -20.0f);
    EXPECT_EQ(QPointF(request.WindowLeft, request.WindowTop), QPointF(1500, 2000));
    state.PlaceRequest(request, std::numeric_limits<float>::quiet_NaN(), 700.5f);
    EXPECT_EQ(QPointF(request.WindowLeft, request.WindowTop), QPointF(700.5, 2000));
}

} // namespace
