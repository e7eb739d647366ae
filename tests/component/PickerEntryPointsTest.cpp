// The picker entry points driven the way office staff use them: the test
// schedules presses and clicks, the real modal window runs, and the answer and
// the table afterwards are checked, on SQLite and PostgreSQL.
#include <support/PickerEnv.h>

#include <component/RequestState.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

using namespace viVavazuruv;
using viVavazuruv::test::Engine;
using viVavazuruv::test::PickerEnv;
using viVavazuruv::test::UiScript;

namespace {

const QString kCR = QString(QChar(13));
const QString kLF = QString(QChar(10));

class PickerEntryPointsTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        m_env = PickerEnv::create(GetParam());
        if (!m_env)
            GTEST_SKIP() << test::engineName(GetParam()) << " is not available";
        RequestState::instance().WindowTop = 0;
        RequestState::instance().WindowLeft = 0;
    }
    void TearDown() override {
        if (m_script) {
            EXPECT_TRUE(m_script->finished());
            EXPECT_TRUE(m_script->failures().isEmpty()) << m_script->failures().join(u'\n').toStdString();
        }
        if (m_env) {
            EXPECT_TRUE(m_env->dialogs().unexpected().isEmpty())
                << m_env->dialogs().unexpected().join(u'\n').toStdString();
            EXPECT_EQ(m_env->dialogs().pending(), 0) << "a dialog the test expected never came";
            EXPECT_EQ(PickerEnv::form(), nullptr) << "the window outlived its request";
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        }
    }

    // A script that runs while the next entry point call is in its modal loop.
    UiScript& script() {
        m_script = PickerEnv::script();
        return *m_script;
    }
    static bool up() { return PickerEnv::windowUp(); }
    static bool levelUp(int level) {
        wkDatabases_Form* f = PickerEnv::form();
        return f && f->isVisible() && f->hasLevel(level) && !f->level(level).Uddbs_Frame->isHidden();
    }

    void seedCards() {
        m_env->addEntry(QStringLiteral("CRECARD"), QStringLiteral("V"), QStringLiteral("Visa"));
        m_env->addEntry(QStringLiteral("CRECARD"), QStringLiteral("MC"), QStringLiteral("MasterCard"));
        m_env->addEntry(QStringLiteral("CRECARD"), QStringLiteral("AX"), QStringLiteral("American Express"));
        m_env->addEntry(QStringLiteral("CRECARD"), QStringLiteral("E"), QString());
    }

    std::unique_ptr<PickerEnv> m_env;
    std::unique_ptr<UiScript> m_script;
    float m_top = 0;
    float m_left = 0;
};

TEST_P(PickerEntryPointsTest, AGroupCodeInLowerCaseWithBlanksIsAnsweredWithoutTheWindow) {
    seedCards();
    bool shown = false;
    script().step(up, [&] { shown = true; });
    m_script->start();
    QString tmp = QStringLiteral("  v ");
    const QString answer = m_env->component().UDDBS_Credit_Card(tmp, m_top, m_left);
    EXPECT_EQ(answer, QStringLiteral("Visa"));
    EXPECT_EQ(tmp, QStringLiteral("Visa"));
    EXPECT_FALSE(shown);
    m_script.reset();
}

TEST_P(PickerEntryPointsTest, AMatchWithAnEmptyDescriptionShowsTheWindowAndCancelGivesNothing) {
    seedCards();
    script().step(up, [] { PickerEnv::pressButton(QStringLiteral("cmd_Cancel")); });
    m_script->start();
    QString tmp = QStringLiteral("e");
    EXPECT_EQ(m_env->component().UDDBS_Credit_Card(tmp, m_top, m_left), QString());
    EXPECT_EQ(tmp, QString()); // the caller's value is overwritten
    EXPECT_EQ(RequestState::instance().SelectionResult, QString());
}

TEST_P(PickerEntryPointsTest, ChoosingACardReturnsItsDescription) {
    seedCards(); // stored out of order: V, MC, AX, E
    // OK at once takes the cursor's row, the first in sorted order, whatever the table returned first.
    script().step(up, [] { PickerEnv::pressButton(QStringLiteral("cmd_Select")); });
    m_script->start();
    QString none = QStringLiteral("NONE");
    EXPECT_EQ(m_env->component().UDDBS_Credit_Card(none, m_top, m_left), QStringLiteral("American Express"));

    script()
        .step(up, [] { PickerEnv::clickCell(2, 3); }) // rows sort by group: AX, E, MC, V
        .step([] { PickerEnv::pressButton(QStringLiteral("cmd_Select")); });
    m_script->start();
    QString tmp = QStringLiteral("NONE");
    EXPECT_EQ(m_env->component().UDDBS_Credit_Card(tmp, m_top, m_left), QStringLiteral("MasterCard"));
    EXPECT_EQ(RequestState::instance().SelectionResult.count(kCR), 1);
    EXPECT_TRUE(RequestState::instance().SelectionResult.endsWith(QStringLiteral("\n0\n\r")));
}

TEST_P(PickerEntryPointsTest, ThreeTickedAlertsComeBackJoinedInOrder) {
    for (const char* alert : {"Anticoagulants", "Bisphosphonates", "Cardiac pacemaker", "Diabetes"})
        m_env->addEntry(QStringLiteral("ALERT"), QStringLiteral("M"), QLatin1String(alert));
    script()
        .step(up, [] { PickerEnv::tickRow(1); })
        .step([] { PickerEnv::tickRow(2); })
        .step([] { PickerEnv::tickRow(3); })
        .step([] { PickerEnv::pressButton(QStringLiteral("cmd_Select")); });
    m_script->start();
    QString tmp;
    EXPECT_EQ(m_env->component().UDDBS_Med_Alert(tmp, m_top, m_left),
              QStringLiteral("Anticoagulants, Bisphosphonates, Cardiac pacemaker"));
    EXPECT_EQ(tmp, QStringLiteral("Anticoagulants, Bisphosphonates, Cardiac pacemaker"));

    script().step(up, [] { PickerEnv::pressButton(QStringLiteral("cmd_Cancel")); });
    m_script->start();
    tmp = QStringLiteral("Diabetes"); // a description, not a group code: the window opens
    EXPECT_EQ(m_env->component().UDDBS_Med_Alert(tmp, m_top, m_left), QString());
}

TEST_P(PickerEntryPointsTest, PackedSalutationRequestUsesItsOwnListAndCaptions) {
    m_env->addEntry(QStringLiteral("DRTTL"), QStringLiteral("D"), QStringLiteral("Dr."));
    m_env->addEntry(QStringLiteral("DRTTL"), QStringLiteral("P"), QStringLiteral("Prof."));
    QString caption, header, listCode;
    qint32 rows = 0;
    script().step(up, [&] {
        wkDatabases_Form* f = PickerEnv::form();
        caption = f->windowTitle();
        header = PickerEnv::grid().GetText(2, 0);
        listCode = f->level(0).FrameTag;
        rows = PickerEnv::grid().MaxRows();
        PickerEnv::pressButton(QStringLiteral("cmd_Cancel"));
    });
    m_script->start();
    QString tmp = QStringLiteral("DRTTL\nDoctor Title\nDoctors\nDoctor list");
    qint16 flag = -1;
    QString key;
    EXPECT_EQ(m_env->component().UDDBS_Sex_Title(tmp, m_top, m_left, flag, key), QString());
    EXPECT_EQ(caption, QStringLiteral("Doctors"));
    EXPECT_EQ(header, QStringLiteral("Doctor Title"));
    EXPECT_EQ(listCode, QStringLiteral("DRTTL"));
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(RequestState::instance().FrameCaptions.at(0), QStringLiteral("Doctor list"));

    // The fifth field is the value to look up; Key puts the cursor on a row.
    tmp = QStringLiteral("DRTTL\nDoctor Title\nDoctors\nDoctor list\np");
    EXPECT_EQ(m_env->component().UDDBS_Sex_Title(tmp, m_top, m_left, flag, key), QStringLiteral("Prof."));
    qint32 active = 0;
    script().step(up, [&] {
        active = PickerEnv::grid().ActiveRow();
        PickerEnv::pressButton(QStringLiteral("cmd_Select"));
    });
    m_script->start();
    tmp.clear();
    key = QStringLiteral(" Prof. ");
    flag = 3;
    EXPECT_EQ(m_env->component().UDDBS_Sex_Title(tmp, m_top, m_left, flag, key), QStringLiteral("Prof."));
    EXPECT_EQ(active, 2);
}

TEST_P(PickerEntryPointsTest, SelectionReturnsOneOrSeveralDescriptions) {
    for (const char* doc : {"Recall letter", "Post-op instructions", "Welcome letter"})
        m_env->addEntry(QStringLiteral("DOCLIST"), QStringLiteral("L"), QLatin1String(doc), QString(),
                        QStringLiteral("DOC.RTF"));
    QString dbnm = QStringLiteral("DOCLIST"), caption = QStringLiteral("Documents");
    bool multi = true, showLetter = true;
    script().step(up, [] { PickerEnv::tickRow(1); }).step([] { PickerEnv::tickRow(3); }).step([] {
        PickerEnv::pressButton(QStringLiteral("cmd_Select"));
    });
    m_script->start();
    EXPECT_EQ(m_env->component().UDDBS_Selection(multi, m_top, m_left, dbnm, caption, showLetter),
              QStringLiteral("Post-op instructions\r\nWelcome letter"));
    EXPECT_TRUE(showLetter);

    multi = false;
    script().step(up, [] { PickerEnv::clickCell(2, 2); }).step([] {
        PickerEnv::pressButton(QStringLiteral("cmd_Select"));
    });
    m_script->start();
    EXPECT_EQ(m_env->component().UDDBS_Selection(multi, m_top, m_left, dbnm, caption, showLetter),
              QStringLiteral("Recall letter"));
}

TEST_P(PickerEntryPointsTest, TypedInformationWithTwoLinesTravelsAsOneField) {
    m_env->addEntry(QStringLiteral("NOTES"), QStringLiteral("N"),
                    QStringLiteral("Patient reports |?? since"));
    m_env->dialogs().expectInput(QStringLiteral("pain\r\nswelling"), QStringLiteral("Patient reports"));
    script().step(up, [] { PickerEnv::pressButton(QStringLiteral("cmd_Select")); });
    m_script->start();
    QString dbnm = QStringLiteral("NOTES"), caption = QStringLiteral("Notes");
    bool multi = true, showLetter = false;
    EXPECT_EQ(m_env->component().UDDBS_Selection(multi, m_top, m_left, dbnm, caption, showLetter),
              QStringLiteral("Patient reports  since\r\npain") + QChar(2) + QStringLiteral("swelling"));
    ASSERT_EQ(m_env->dialogs().asked().size(), 1);
    EXPECT_EQ(m_env->dialogs().asked().at(0).title, QStringLiteral("Enter information"));
    const QString placeholder = RequestState::instance().SelectionResult.section(kCR, 1, 1);
    EXPECT_EQ(placeholder, kLF + QStringLiteral("pain\x02swelling") + kLF + kLF + kLF + kLF + kLF +
                               QStringLiteral("|??") + kLF + QStringLiteral("1") + kLF);
}

TEST_P(PickerEntryPointsTest, OneChoiceRefusesPipeSignsAndReturnsLetterNames) {
    m_env->addEntry(QStringLiteral("LETTERS"), QStringLiteral("A"), QStringLiteral("|??"));
    m_env->addEntry(QStringLiteral("LETTERS"), QStringLiteral("B"), QStringLiteral("Recall"), QString(),
                    QStringLiteral("RECALL.RTF"));
    m_env->dialogs().expectMessage(MsgBox::AnswerOk, QStringLiteral("Pipe sign variables are not supported"));
    script().step(up, [] { PickerEnv::pressButton(QStringLiteral("cmd_Select")); });
    m_script->start();
    QString tmp = QStringLiteral("old"), dbnm = QStringLiteral("LETTERS"),
            caption = QStringLiteral("Letters");
    bool showLetter = true;
    QString letter = QStringLiteral("unchanged");
    EXPECT_EQ(m_env->component().UDDBS_1_Choice(tmp, m_top, m_left, dbnm, caption, &showLetter, &letter),
              QString());
    EXPECT_EQ(tmp, QString());
    EXPECT_EQ(m_env->dialogs().asked().at(0).title, QStringLiteral("User Definded Database"));

    script().step(up, [] { PickerEnv::clickCell(2, 2); }).step([] {
        PickerEnv::pressButton(QStringLiteral("cmd_Select"));
    });
    m_script->start();
    EXPECT_EQ(m_env->component().UDDBS_1_Choice(tmp, m_top, m_left, dbnm, caption, &showLetter, &letter),
              QStringLiteral("Recall"));
    EXPECT_EQ(letter, QStringLiteral("RECALL.RTF"));

    // With letter columns off the caller's flag comes back false and LetterName is left alone.
    m_env->host().setOption(QStringLiteral("LetterColumnsOff"), QStringLiteral("-1"));
    bool letterColumnShown = true;
    script()
        .step(up,
              [&] {
                  letterColumnShown = PickerEnv::grid().ColWidth(5) > 0;
                  PickerEnv::clickCell(2, 2);
              })
        .step([] { PickerEnv::pressButton(QStringLiteral("cmd_Select")); });
    m_script->start();
    letter = QStringLiteral("unchanged");
    EXPECT_EQ(m_env->component().UDDBS_1_Choice(tmp, m_top, m_left, dbnm, caption, &showLetter, &letter),
              QStringLiteral("Recall"));
    EXPECT_FALSE(showLetter);
    EXPECT_FALSE(letterColumnShown);
    EXPECT_EQ(letter, QStringLiteral("unchanged"));
}

TEST_P(PickerEntryPointsTest, TitleLinesAreRefusedLoudlyOrQuietlyAndTheWindowStays) {
    m_env->addEntry(QStringLiteral("CRECARD"), QStringLiteral("A"), QStringLiteral("$-Cards we take"));
    m_env->addEntry(QStringLiteral("CRECARD"), QStringLiteral("V"), QStringLiteral("Visa"));
    m_env->dialogs().expectMessage(MsgBox::AnswerOk, QStringLiteral("title line"));
    bool stillUp = false;
    script()
        .step(up, [] { PickerEnv::pressButton(QStringLiteral("cmd_Select")); }) // row 1, the title line
        .step([&] {
            stillUp = up();
            PickerEnv::clickCell(2, 2);
            PickerEnv::pressButton(QStringLiteral("cmd_Select"));
        });
    m_script->start();
    QString tmp;
    EXPECT_EQ(m_env->component().UDDBS_Credit_Card(tmp, m_top, m_left), QStringLiteral("Visa"));
    EXPECT_TRUE(stillUp);
    EXPECT_EQ(m_env->dialogs().asked().at(0).text,
              QStringLiteral(" Lines with ($-) symbol is a title line. Try again. "));
    EXPECT_EQ(m_env->dialogs().asked().at(0).flags, MsgBox::Exclamation);

    // Multiple selection with nothing ticked falls back to the active row, quietly.
    m_env->addEntry(QStringLiteral("ALERT"), QStringLiteral("A"), QStringLiteral("$-Allergies"));
    m_env->addEntry(QStringLiteral("ALERT"), QStringLiteral("B"), QStringLiteral("Latex"));
    const qsizetype asked = m_env->dialogs().asked().size();
    script()
        .step(up,
              [] {
                  PickerEnv::form()->UserAction = true;
                  PickerEnv::grid().setRow(1);
                  PickerEnv::grid().setCol(2);
                  PickerEnv::grid().setAction(0);
                  PickerEnv::form()->cmd_Select_Click(0);
              })
        .step([&] {
            stillUp = up();
            PickerEnv::pressButton(QStringLiteral("cmd_Cancel"));
        });
    m_script->start();
    EXPECT_EQ(m_env->component().UDDBS_Med_Alert(tmp, m_top, m_left), QString());
    EXPECT_TRUE(stillUp);
    EXPECT_EQ(m_env->dialogs().asked().size(), asked);
}

TEST_P(PickerEntryPointsTest, ATopOfZeroKeepsThePreviousRequestsTop) {
    seedCards();
    qint32 firstTop = 0, secondTop = 0;
    script().step(up, [&] {
        firstTop = PickerEnv::form()->FormTop();
        PickerEnv::pressButton(QStringLiteral("cmd_Cancel"));
    });
    m_script->start();
    QString tmp;
    float top = 2000, left = 1500;
    m_env->component().UDDBS_Credit_Card(tmp, top, left);
    script().step(up, [&] {
        secondTop = PickerEnv::form()->FormTop();
        PickerEnv::pressButton(QStringLiteral("cmd_Cancel"));
    });
    m_script->start();
    top = 0;
    m_env->component().UDDBS_Credit_Card(tmp, top, left);
    EXPECT_EQ(firstTop, 2000);
    EXPECT_EQ(secondTop, 2000);
}

TEST_P(PickerEntryPointsTest, AClickBeforeAnyMousePressDoesNothing) {
    seedCards();
    bool stillUp = false;
    script()
        .step(up,
              [] {
                  // Keyboard and programmatic clicks arrive before any mouse press on a button.
                  PickerEnv::form()->level(0).cmd_Select->click();
                  PickerEnv::form()->cmd_Cancel_Click(0);
              })
        .step([&] {
            stillUp = up();
            PickerEnv::pressButton(QStringLiteral("cmd_Cancel"));
        });
    m_script->start();
    QString tmp;
    m_env->component().UDDBS_Credit_Card(tmp, m_top, m_left);
    EXPECT_TRUE(stillUp);
    EXPECT_EQ(RequestState::instance().SelectionResult, QString());
}

TEST_P(PickerEntryPointsTest, EscapeOnCloseBehavesAsAClick) {
    seedCards();
    script().step(up, [] {
        QPushButton* close = PickerEnv::form()->level(0).cmd_Cancel;
        close->setFocus();
        QTest::keyClick(close, Qt::Key_Escape);
    });
    m_script->start();
    QString tmp = QStringLiteral("zz");
    EXPECT_EQ(m_env->component().UDDBS_Credit_Card(tmp, m_top, m_left), QString());
}

TEST_P(PickerEntryPointsTest, DeleteAsksAndHonoursNoUnsavedLinesAndTheOffice) {
    seedCards();
    m_env->host().setOfficeID(2);
    const qint32 otherOffice =
        m_env->addEntry(QStringLiteral("CRECARD"), QStringLiteral("DC"), QStringLiteral("Diners"));
    m_env->host().setOfficeID(1);
    m_env->host().setOfficeMode(7);
    m_env->dialogs().expectMessage(MsgBox::AnswerNo, QStringLiteral("delete this record"));
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, QStringLiteral("delete this record"));
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, QStringLiteral("delete this record"));
    m_env->dialogs().expectMessage(MsgBox::AnswerNo, QStringLiteral("save")); // New left the list changed
    qint32 rowsAfterNo = 0, rowsAfterYes = 0, rowsAfterUnsaved = 0;
    script().step(up, [&] {
        wkDatabases_Form* f = PickerEnv::form();
        IGridControl& grid = PickerEnv::grid();
        f->UserAction = true;
        grid.setRow(4); // V Visa
        grid.setCol(2);
        grid.setAction(0);
        f->cmd_Del_Click(0);
        rowsAfterNo = grid.MaxRows();
        f->cmd_Del_Click(0);
        rowsAfterYes = grid.MaxRows();
        // A line added and never saved: its key cell holds the list code, which names no record.
        f->cmd_Add_Click(0);
        f->cmd_Del_Click(0);
        rowsAfterUnsaved = grid.MaxRows();
        f->cmd_Cancel_Click(0);
    });
    m_script->start();
    QString tmp;
    m_env->component().UDDBS_Credit_Card(tmp, m_top, m_left);
    EXPECT_EQ(rowsAfterNo, 4);
    EXPECT_EQ(rowsAfterYes, 3);
    EXPECT_EQ(rowsAfterUnsaved, 3);
    EXPECT_EQ(m_env->dialogs().beeps(), 3);
    ASSERT_EQ(m_env->dialogs().asked().size(), 4);
    EXPECT_EQ(m_env->dialogs().asked().at(0).title, QStringLiteral("Delete Record"));
    EXPECT_EQ(m_env->dialogs().asked().at(0).flags,
              MsgBox::YesNo + MsgBox::Question + MsgBox::DefaultButton2);
    m_env->host().setOfficeMode(0);
    EXPECT_EQ(m_env->storedDescriptions(QStringLiteral("CRECARD")),
              (QStringList{QString(), QStringLiteral("American Express"), QStringLiteral("Diners"),
                           QStringLiteral("MasterCard")}));
    Q_UNUSED(otherOffice)
}

TEST_P(PickerEntryPointsTest, SavingAnEditedAndANewRowAndAnsweringNoFirst) {
    seedCards();
    // "No" first, then a further edit and "Yes": both edits are written.
    m_env->dialogs().expectMessage(MsgBox::AnswerNo, QStringLiteral("save"));
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, QStringLiteral("save"));
    QStringList gridAfterSave;
    QString newKey, statuses;
    script().step(up, [&] {
        wkDatabases_Form* f = PickerEnv::form();
        IGridControl& grid = PickerEnv::grid();
        FormLevel& lvl = f->level(0);
        f->UserAction = true;
        grid.setOperationMode(0);
        // What the grid's cell-change handling does when a person types.
        grid.SetText(2, 4, QStringLiteral("Visa Debit"));
        grid.SetText(7, 4, QStringLiteral("M"));
        lvl.ListChanged = true;
        f->Save_Database(0);
        EXPECT_EQ(grid.GetText(7, 4), QStringLiteral("M")); // refused: the edit stays in the grid
        f->cmd_Add_Click(0);
        const qint32 added = grid.MaxRows();
        grid.SetText(1, added, QStringLiteral("JCB"));
        grid.SetText(2, added, QStringLiteral("Japan Credit Bureau"));
        f->Save_Database(0);
        for (qint32 r = 1; r <= grid.MaxRows(); ++r) {
            gridAfterSave << grid.GetText(2, r);
            statuses += grid.GetText(7, r);
            if (grid.GetText(1, r) == QLatin1String("JCB"))
                newKey = grid.GetText(6, r);
        }
        f->cmd_Cancel_Click(0);
    });
    m_script->start();
    QString tmp;
    m_env->component().UDDBS_Credit_Card(tmp, m_top, m_left);
    EXPECT_EQ(gridAfterSave, (QStringList{QStringLiteral("American Express"), QString(),
                                          QStringLiteral("Japan Credit Bureau"), QStringLiteral("MasterCard"),
                                          QStringLiteral("Visa Debit")}));
    EXPECT_EQ(statuses, QStringLiteral("EEEEE"));
    EXPECT_GT(newKey.toInt(), 0);
    EXPECT_EQ(m_env->storedCount(QStringLiteral("CRECARD")), 5);
    EXPECT_TRUE(m_env->storedDescriptions(QStringLiteral("CRECARD")).contains(QStringLiteral("Visa Debit")));
}

TEST_P(PickerEntryPointsTest, ANestedListOpensFromAVariableAndItsChoiceFollowsTheRow) {
    m_env->addEntry(QStringLiteral("PROC"), QStringLiteral("1"), QStringLiteral("Composite filling |SF |T#"));
    m_env->addEntry(QStringLiteral("SURFACES"), QStringLiteral("M"), QStringLiteral("mesial"));
    m_env->addEntry(QStringLiteral("SURFACES"), QStringLiteral("O"), QStringLiteral("occlusal"));
    m_env->host().setPipeVariable(QStringLiteral("SF"), QStringLiteral("SURFACES"));
    m_env->host().setCodeListKey(QStringLiteral("|SURFACES"), QStringLiteral("SURFACES"));
    bool outerDisabled = false;
    script()
        .step(up, [] { PickerEnv::pressButton(QStringLiteral("cmd_Select")); })
        .step([] { return levelUp(1); },
              [&] {
                  outerDisabled = !PickerEnv::grid(0).Enabled();
                  PickerEnv::clickCell(2, 2, 1);
                  PickerEnv::pressButton(QStringLiteral("cmd_Select"), 1);
              });
    m_script->start();
    QString dbnm = QStringLiteral("PROC"), caption = QStringLiteral("Procedures");
    bool multi = true, showLetter = false;
    const QString answer =
        m_env->component().UDDBS_Selection(multi, m_top, m_left, dbnm, caption, showLetter);
    EXPECT_TRUE(outerDisabled);
    EXPECT_EQ(answer, QStringLiteral("Composite filling |SF |T#\r\nocclusal"));
    const QStringList records = RequestState::instance().SelectionResult.split(kCR, Qt::SkipEmptyParts);
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records.at(0).section(kLF, 7, 7), QStringLiteral("0"));
    EXPECT_EQ(records.at(1).section(kLF, 1, 1), QStringLiteral("occlusal"));
    EXPECT_EQ(records.at(1).section(kLF, 6, 7), QStringLiteral("|SURFACES\n1"));
    EXPECT_EQ(records.at(2).section(kLF, 6, 7), QStringLiteral("|T#\n1"));
}

// A host whose SaveRecord gives up on the third call, by answering false or by failing.
class FlakySaveHost final : public ReferenceHost {
public:
    using ReferenceHost::ReferenceHost;
    bool SaveRecord(qint16 Mode, const QString& Table, const QString& KeyField, qint32& Key,
                    const QStringList& FieldNames, const QStringList& Values, bool Required) override {
        if (++calls == 3) {
            if (throwOnThird)
                throw AutomationError(ErrorCode::DatabaseError, QStringLiteral("disk full while saving"));
            return false;
        }
        return ReferenceHost::SaveRecord(Mode, Table, KeyField, Key, FieldNames, Values, Required);
    }
    int calls = 0;
    bool throwOnThird = false;
};

TEST_P(PickerEntryPointsTest, ASaveThatFailsOnTheThirdRowKeepsTheFirstTwoAndRaisesToTheCaller) {
    for (int i = 1; i <= 5; ++i)
        m_env->addEntry(QStringLiteral("ALERT"), QString::number(i), QStringLiteral("Alert %1").arg(i));
    for (const bool throwing : {false, true}) {
        auto flaky =
            std::make_shared<FlakySaveHost>(m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder());
        flaky->throwOnThird = throwing;
        m_env->component().put_GIC(flaky);
        m_env->dialogs().expectMessage(MsgBox::AnswerYes, QStringLiteral("save"));
        const QString suffix = throwing ? QStringLiteral(" (second try)") : QStringLiteral(" (edited)");
        script().step(up, [&] {
            wkDatabases_Form* f = PickerEnv::form();
            IGridControl& grid = PickerEnv::grid();
            f->UserAction = true;
            for (qint32 r = 1; r <= 5; ++r) {
                grid.SetText(2, r, QStringLiteral("Alert %1").arg(r) + suffix);
                grid.SetText(7, r, QStringLiteral("M"));
            }
            f->level(0).ListChanged = true;
            PickerEnv::pressButton(QStringLiteral("cmd_Cancel")); // Close saves first
        });
        m_script->start();
        QString tmp;
        if (throwing) {
            try {
                m_env->component().UDDBS_Med_Alert(tmp, m_top, m_left);
                ADD_FAILURE() << "the failure did not reach the caller";
            } catch (const AutomationError& e) {
                EXPECT_EQ(e.code(), ErrorCode::DatabaseError);
                EXPECT_EQ(e.message(), QStringLiteral("disk full while saving"));
            }
        } else {
            EXPECT_EQ(m_env->component().UDDBS_Med_Alert(tmp, m_top, m_left), QString());
        }
        // Rows before the failing one are written, the failing one is not; a
        // false answer lets the rows after it be written, an error stops there.
        const QStringList expected =
            throwing ? QStringList{QStringLiteral("Alert 1 (second try)"),
                                   QStringLiteral("Alert 2 (second try)"), QStringLiteral("Alert 3"),
                                   QStringLiteral("Alert 4 (edited)"), QStringLiteral("Alert 5 (edited)")}
                     : QStringList{QStringLiteral("Alert 1 (edited)"), QStringLiteral("Alert 2 (edited)"),
                                   QStringLiteral("Alert 3"), QStringLiteral("Alert 4 (edited)"),
                                   QStringLiteral("Alert 5 (edited)")};
        EXPECT_EQ(m_env->storedDescriptions(QStringLiteral("ALERT")), expected) << "throwing=" << throwing;
        EXPECT_EQ(m_env->storedCount(), 5);
        EXPECT_TRUE(m_script->failures().isEmpty());
    }

    // The component serves the next request normally.
    m_env->component().put_GIC(m_env->hostRef());
    QString tmp = QStringLiteral("1");
    EXPECT_EQ(m_env->component().UDDBS_Med_Alert(tmp, m_top, m_left), QStringLiteral("Alert 1 (second try)"));
}

// A host that cannot run the delete statement.
class BrokenDeleteHost final : public ReferenceHost {
public:
    using ReferenceHost::ReferenceHost;
    QString TranslateSql(QString Statement, qint16 Mode, qint16 Reserved) override {
        if (Statement.startsWith(QStringLiteral("Delete")))
            return QStringLiteral("DELETE FROM NoSuchTable");
        return ReferenceHost::TranslateSql(Statement, Mode, Reserved);
    }
};

TEST_P(PickerEntryPointsTest, AFailingDeleteLeavesTheLineInPlaceAndReachesTheCaller) {
    seedCards();
    m_env->component().put_GIC(
        std::make_shared<BrokenDeleteHost>(m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder()));
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, QStringLiteral("delete"));
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, QStringLiteral("delete"));
    qint32 rowsAfterFailure = 0;
    bool raised = false;
    script().step(up, [&] {
        wkDatabases_Form* f = PickerEnv::form();
        f->UserAction = true;
        PickerEnv::grid().setRow(1);
        PickerEnv::grid().setAction(0);
        try {
            f->cmd_Del_Click(0);
        } catch (const AutomationError&) {
            raised = true;
        }
        rowsAfterFailure = PickerEnv::grid().MaxRows();
        // Through the button the same failure ends the request.
        f->level(0).cmd_Del->setVisible(true);
        PickerEnv::pressButton(QStringLiteral("cmd_Del"));
    });
    m_script->start();
    QString tmp;
    EXPECT_THROW(m_env->component().UDDBS_Credit_Card(tmp, m_top, m_left), AutomationError);
    EXPECT_TRUE(raised);
    EXPECT_EQ(rowsAfterFailure, 4);
    EXPECT_EQ(m_env->storedCount(QStringLiteral("CRECARD")), 4);
}

// A host whose save question fails with something that is not a standard exception.
class OddlyThrowingHost final : public ReferenceHost {
public:
    using ReferenceHost::ReferenceHost;
    qint16 AskMessage(const QString&, const QString&, const QString&) override { throw 42; }
    QString GetField(const QString& Text, const QString& Separator, qint16 Index, qint16 Reserved) override {
        ++fieldCalls;
        return ReferenceHost::GetField(Text, Separator, Index, Reserved);
    }
    int fieldCalls = 0;
};

TEST_P(PickerEntryPointsTest, ClosingFromTheTitleBarInEditModeWithAHostThatThrowsAnythingReachesTheCaller) {
    seedCards();
    m_env->component().put_GIC(
        std::make_shared<OddlyThrowingHost>(m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder()));
    script().step(up, [] {
        wkDatabases_Form* f = PickerEnv::form();
        f->level(0).cmd_Edit->setText(QStringLiteral("D&one"));
        f->level(0).ListChanged = true;
        f->close(); // the title bar: edits are saved first, and the save asks the host
    });
    m_script->start();
    QString tmp;
    try {
        m_env->component().UDDBS_Credit_Card(tmp, m_top, m_left);
        ADD_FAILURE() << "the failure did not reach the caller";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::HostError);
    }
}

TEST_P(PickerEntryPointsTest, AHostObjectPutWhileTheWindowIsUpAnswersTheRequest) {
    seedCards();
    auto later =
        std::make_shared<OddlyThrowingHost>(m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder());
    auto first = std::make_shared<ReferenceHost>(m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder());
    m_env->component().put_GIC(first);
    std::weak_ptr<ReferenceHost> firstGone = first;
    first.reset();
    script().step(up, [&] {
        m_env->component().put_GIC(later); // the first host object goes with its last reference
        PickerEnv::pressButton(QStringLiteral("cmd_Select"));
    });
    m_script->start();
    QString tmp;
    EXPECT_EQ(m_env->component().UDDBS_Credit_Card(tmp, m_top, m_left), QStringLiteral("American Express"));
    EXPECT_TRUE(firstGone.expired());
    EXPECT_GT(later->fieldCalls, 0);
}

// Dialogs that close the window while an information box is open.
class ClosingDialogs final : public IDialogs {
public:
    qint32 MessageBox(const QString&, qint32, const QString&) override { return MsgBox::AnswerOk; }
    QString InputBox(const QString&, const QString&, const QString&) override {
        ++inputs;
        PickerEnv::form()->close();
        return QStringLiteral("typed after the close");
    }
    std::optional<QString> OpenFile(const QString&, const QString&, qint32) override { return {}; }
    void Beep() override {}
    int inputs = 0;
};

TEST_P(PickerEntryPointsTest, AWindowClosedWhileAQuestionIsOpenAsksAndRecordsNothingMore) {
    m_env->addEntry(QStringLiteral("NOTES"), QStringLiteral("A"),
                    QStringLiteral("Crown |?? on |T# then |??"));
    auto closing = std::make_shared<ClosingDialogs>();
    wkDatabases::SetDialogs(closing);
    script().step(up, [] { PickerEnv::pressButton(QStringLiteral("cmd_Select")); });
    m_script->start();
    bool multi = false, letter = false;
    QString list = QStringLiteral("NOTES"), caption = QStringLiteral("Notes");
    m_env->component().UDDBS_Selection(multi, m_top, m_left, list, caption, letter);
    wkDatabases::SetDialogs(m_env->dialogsRef());
    EXPECT_EQ(closing->inputs, 1);
    EXPECT_EQ(RequestState::instance().SelectionResult.count(kCR), 1) << "only the row's own record";
}

TEST_P(PickerEntryPointsTest, WithoutAHostEveryEntryPointRaisesObjectNotSet) {
    m_env->component().put_GIC(nullptr);
    QString tmp;
    try {
        m_env->component().UDDBS_Credit_Card(tmp, m_top, m_left);
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::ObjectNotSet);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, PickerEntryPointsTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return test::engineName(info.param); });

} // namespace
