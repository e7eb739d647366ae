// Working the window without a mouse, and what assistive technology is told
// about it. Runs offscreen and again under a real window manager, where the
// focus follows window activation.
#include "WindowTest.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QTableView>

namespace {

class KeyboardTest : public test::WindowTest {
protected:
    std::unique_ptr<wkDatabases_Form> showActive() {
        auto form = show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }
    static QWidget* focus() { return QApplication::focusWidget(); }
    static QTableView* view(const PickerLevel& lvl) { return lvl.uddbs_SS->view(); }
    // A button's click from its access key comes after the button shows itself pressed.
    static void accessKey(wkDatabases_Form& form, Qt::Key key) {
        QTest::keyClick(&form, key, Qt::AltModifier);
        QTest::qWait(300);
    }
};

TEST_P(KeyboardTest, ANestedLevelTakesTheKeysAndNothingBelowItCan) {
    m_env->addEntry(u"OUTER"_s, u"G"_s, u"Entry"_s);
    addEntries(u"SURFACES"_s, {{u"*"_s, u"$-Surfaces"_s}, {u"M"_s, u"Mesial"_s}, {u"O"_s, u"Occlusal"_s}});
    m_env->host().setCodeListKey(u"|SF"_s, u"SURFACES"_s);
    m_env->host().setOption(u"KEYBOARD_USER_ACTION"_s, u"-1"_s);
    PickerEnv::prepareRequest(u"OUTER"_s);
    auto form = showActive();
    PickerLevel& below = form->level(0);
    EXPECT_EQ(focus(), view(below));

    form->Open_Database_Level(0, u"|SF"_s);
    PickerLevel& front = form->level(1);
    EXPECT_EQ(std::pair(focus(), front.grid().ActiveRow()), (std::pair<QWidget*, qint32>(view(front), 2)));
    // Tab from the front level's last button comes round to its grid, past everything below.
    front.cmd_Edit->setFocus();
    QTest::keyClick(front.cmd_Edit, Qt::Key_Tab);
    EXPECT_EQ(focus(), view(front));
    // Alt+E is the front level's Edit alone.
    accessKey(*form, Qt::Key_E);
    EXPECT_EQ(std::pair(front.editing(), below.editing()), std::pair(true, false));
    QTest::keyClick(view(front), Qt::Key_Escape); // the edits go, and edit mode with them
    QTest::keyClick(view(front), Qt::Key_Escape); // the level closes
    EXPECT_EQ(std::tuple(form->currentLevel(), focus(), below.cmd_Edit->isEnabled()),
              std::tuple(qint16(0), static_cast<QWidget*>(view(below)), true));
    form->Unload();
}

TEST_P(KeyboardTest, ButtonKeysActWhenTheHostCountsThemAndTheMenuKeyOpensTheRowsMenu) {
    addEntries(u"DOCS"_s, {{u"A"_s, u"Referral"_s}, {u"B"_s, u"Thanks"_s}});
    // Whether the host counts keys, the key (Alt+E, or Space on the focused Edit), and whether it acts.
    const std::tuple<bool, Qt::Key, bool> cases[] = {
        {false, Qt::Key_E, false}, {true, Qt::Key_Space, true}, {true, Qt::Key_E, true}};
    for (const auto& [counted, key, acts] : cases) {
        SCOPED_TRACE(QTest::toString(key));
        m_env->host().setOption(u"KEYBOARD_USER_ACTION"_s, counted ? u"-1"_s : u"0"_s);
        PickerEnv::prepareRequest(u"DOCS"_s, false, {}, u"Gp"_s, u"Description"_s, false, u"Letter"_s);
        auto form = showActive();
        PickerLevel& lvl = form->level(0);
        if (key == Qt::Key_E) {
            accessKey(*form, key);
        } else {
            lvl.cmd_Edit->setFocus();
            QTest::keyClick(lvl.cmd_Edit, key);
        }
        EXPECT_EQ(lvl.editing(), acts);
        if (key != Qt::Key_E || !acts) {
            form->Unload();
            continue;
        }
        // Both menu keys open the menu under the cursor's cell, for its row.
        QTableView* grid = view(lvl);
        QMenu* menu = form->mnuPopUp();
        QTest::keyClick(grid, Qt::Key_Down);
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers{}},
              std::pair{Qt::Key_F10, Qt::KeyboardModifiers{Qt::ShiftModifier}}}) {
            QTest::keyClick(grid, key, modifiers);
            ASSERT_TRUE(menu->isVisible()) << QTest::toString(key);
            const QRect cell = grid->visualRect(grid->currentIndex());
            EXPECT_NEAR(menu->pos().y(), grid->viewport()->mapToGlobal(cell.bottomLeft()).y(), 2);
            if (key == Qt::Key_F10)
                break;
            menu->hide();
        }
        m_env->dialogs().expectFile(u"thanks.txt"_s);
        QTest::keyClick(menu, Qt::Key_Down); // "Select Codes" is off: the codes are not shown
        QTest::keyClick(menu, Qt::Key_Return);
        EXPECT_EQ(lvl.grid().GetText(5, 2), u"THANKS.TXT"_s);
        m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
        lvl.cmd_Edit->setFocus();
        QTest::keyClick(lvl.cmd_Edit, Qt::Key_Return);
        EXPECT_FALSE(lvl.editing());
        form->Unload();
    }
}

TEST_P(KeyboardTest, AssistiveTechnologyHearsNamesTicksAndHeadingsAndTheCursorShows) {
    addEntries(u"PROC"_s, {{u"*"_s, u"$-Restorative"_s}, {u"10"_s, u"Crown"_s}, {u"20"_s, u"Filling"_s}});
    PickerEnv::prepareRequest(u"PROC"_s, false, {}, u"Gp"_s, u"Description"_s, true);
    auto form = showActive();
    PickerLevel& lvl = form->level(0);
    QTableView* grid = view(lvl);
    const auto heard = [](QObject* control) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control);
        return std::pair(a->text(QAccessible::Name), a->role());
    };
    EXPECT_EQ(
        (QList{heard(lvl.Uddbs_Frame), heard(grid), heard(lvl.cmd_Select), heard(lvl.cmd_Edit)}),
        (QList<std::pair<QString, QAccessible::Role>>{{u"Level 1: Database = PROC"_s, QAccessible::Grouping},
                                                      {u"Database = PROC"_s, QAccessible::Table},
                                                      {u"OK"_s, QAccessible::Button},
                                                      {u"Edit"_s, QAccessible::Button}}));

    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Space); // ticks Filling
    QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(grid)->tableInterface();
    const auto cell = [&](int row) {
        return table->cellAt(row, 1);
    };
    EXPECT_EQ(std::pair(cell(2)->state().checked != 0, cell(1)->state().checked != 0),
              std::pair(true, false));
    EXPECT_EQ((QStringList{cell(0)->text(QAccessible::Name), cell(0)->text(QAccessible::Description),
                           cell(1)->text(QAccessible::Description)}),
              (QStringList{u"Restorative"_s, u"Heading, cannot be chosen"_s, {}}));

    // The cursor's cell shows a frame in its text colour, over the tick's colour too.
    const QRect current = grid->visualRect(grid->currentIndex());
    const QImage shot = grid->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(current.left() + 1, current.center().y()),
              grid->palette().color(QPalette::HighlightedText));

    click(lvl.cmd_Edit);
    EXPECT_EQ(heard(lvl.cmd_Edit).first, u"Done"_s);
    form->Unload();
}

VV_ENGINES(SQLite, KeyboardTest, Engine::SQLite);

} // namespace
