// Working the window without a mouse, and what assistive technology is told
// about it: names, ticks, the focus, what editing does. Runs offscreen and again under a real window manager,
// where the focus follows window activation.
#include "WindowTest.h"

#include <support/HeardEvents.h>

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
    // A control's name and role as a screen reader hears them.
    static std::pair<QString, QAccessible::Role> heard(QObject* control) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control);
        return std::pair(a->text(QAccessible::Name), a->role());
    }
    // A grid's cell as a screen reader finds it: by row and shown column.
    static QAccessibleInterface* cell(QTableView* grid, int row, int column) {
        return QAccessible::queryAccessibleInterface(grid)->tableInterface()->cellAt(row, column);
    }
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

TEST_P(KeyboardTest, AssistiveTechnologyHearsNamesHeadingsAndWhatEditingDoes) {
    addEntries(u"PROC"_s, {{u"*"_s, u"$-Restorative"_s}, {u"10"_s, u"Crown"_s}, {u"20"_s, u"Filling"_s}});
    PickerEnv::prepareRequest(u"PROC"_s, false, {}, u"Gp"_s, u"Description"_s, true);
    auto form = showActive();
    PickerLevel& lvl = form->level(0);
    QTableView* grid = view(lvl);
    EXPECT_EQ((QList{heard(lvl.Uddbs_Frame), heard(grid), heard(lvl.cmd_Select), heard(lvl.cmd_Edit)}),
              (QList<std::pair<QString, QAccessible::Role>>{
                  {u"Level 1: Test Database"_s, QAccessible::Grouping},
                  {u"Test Database, tick any number"_s, QAccessible::Table},
                  {u"OK"_s, QAccessible::Button},
                  {u"Edit"_s, QAccessible::Button}}));
    EXPECT_EQ((QStringList{cell(grid, 0, 1)->text(QAccessible::Name),
                           cell(grid, 0, 1)->text(QAccessible::Description),
                           cell(grid, 1, 1)->text(QAccessible::Description)}),
              (QStringList{u"Restorative"_s, u"Heading, cannot be chosen"_s, {}}));

    // The cursor's cell shows a frame in its text colour, over the tick's colour too.
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Space);
    const QRect current = grid->visualRect(grid->currentIndex());
    const QImage shot = grid->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(current.left() + 1, current.center().y()),
              grid->palette().color(QPalette::HighlightedText));

    // What editing does is told with the cell under the cursor, which has the focus.
    test::HeardEvents events;
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"delete this record"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    const std::pair<QPushButton*, QString> steps[] = {
        {lvl.cmd_Edit, u"Editing the list; Done saves it."_s},
        {lvl.cmd_Add, u"New entry in row 4 of 4."_s},
        {lvl.cmd_Del, u"Entry deleted."_s},
        {lvl.cmd_Edit, u"Choosing again; the cursor is on Filling."_s},
    };
    for (const auto& [button, told] : steps) {
        click(button);
        QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(grid)->focusChild();
        ASSERT_NE(focused, nullptr) << told.toStdString();
        EXPECT_EQ(focused->text(QAccessible::Description), told);
        EXPECT_FALSE(events.take(QAccessible::DescriptionChanged).isEmpty()) << told.toStdString();
        if (button == lvl.cmd_Add) {
            // A cell's editor is named after its column.
            QTest::keyClick(grid, Qt::Key_Right);
            QTest::keyClick(grid, Qt::Key_F2);
            QWidget* editor = grid->indexWidget(grid->currentIndex());
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(heard(editor).first, u"Description"_s);
            QTest::keyClick(editor, Qt::Key_Escape);
        }
    }
    EXPECT_EQ(heard(grid).first, u"Test Database, tick any number"_s);
    form->Unload();
}

TEST_P(KeyboardTest, TicksAreHeardAsCheckedCellsOnlyInAListThatTicksRows) {
    // Stored out of order: the sort moves the row the cursor stood on first.
    addEntries(u"PROC"_s, {{u"20"_s, u"Filling"_s}, {u"*"_s, u"$-Restorative"_s}, {u"10"_s, u"Crown"_s}});
    // Several entries or one; which rows are checkable, and which checked after Space on the third.
    const std::tuple<bool, QString, QString> cases[] = {{true, u"111"_s, u"001"_s},
                                                        {false, u"000"_s, u"000"_s}};
    for (const auto& [several, checkable, checked] : cases) {
        SCOPED_TRACE(several);
        PickerEnv::prepareRequest(u"PROC"_s, false, {}, u"Gp"_s, u"Description"_s, several);
        test::HeardEvents events;
        auto form = showActive();
        QTableView* grid = view(form->level(0));
        QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Down);
        events.take();
        QTest::keyClick(grid, Qt::Key_Space);
        QStringList told; // row and column of each tick told
        for (const auto& e : events.take(QAccessible::StateChanged))
            if (e.changed.checked)
                told << u"%1,%2"_s.arg(e.row).arg(e.column);
        QString areCheckable, areChecked;
        for (int row = 0; row < 3; ++row) {
            const QAccessible::State state = cell(grid, row, 1)->state();
            areCheckable += state.checkable ? u'1' : u'0';
            areChecked += state.checked ? u'1' : u'0';
        }
        EXPECT_EQ(std::tuple(areCheckable, areChecked, told),
                  std::tuple(checkable, checked, several ? QStringList{u"2,0"_s} : QStringList{}));
        // The table has the columns a person sees, the group's and the description's.
        QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(grid)->tableInterface();
        EXPECT_EQ(std::tuple(table->rowCount(), table->columnCount(), table->columnDescription(1)),
                  std::tuple(3, 2, u"Description"_s));
        form->Unload();
    }
}

TEST_P(KeyboardTest, TheCursorsCellIsHeardLastAndNothingOfAnotherLevelHasTheFocus) {
    m_env->addEntry(u"OUTER"_s, u"G"_s, u"Filling |SF"_s);
    addEntries(u"SURFACES"_s, {{u"*"_s, u"$-Surfaces"_s}, {u"M"_s, u"Mesial"_s}, {u"O"_s, u"Occlusal"_s}});
    m_env->host().setCodeListKey(u"|SF"_s, u"SURFACES"_s);
    PickerEnv::prepareRequest(u"OUTER"_s);
    test::HeardEvents events;
    auto form = showActive();
    // What opens or closes a level, the level then in front, and its grid's name.
    const std::tuple<std::function<void()>, int, QString> steps[] = {
        {[] {}, 0, u"Test Database, choose one"_s},
        {[&] { form->Open_Database_Level(0, u"|SF"_s); }, 1, u"Filling, choose one"_s},
        {[&] { QTest::keyClick(view(form->level(1)), Qt::Key_Escape); }, 0, u"Test Database, choose one"_s},
    };
    for (const auto& [step, front, name] : steps) {
        step();
        SCOPED_TRACE(front);
        const QList<test::HeardEvents::Event> focus = events.take(QAccessible::Focus);
        PickerLevel& lvl = form->level(front);
        ASSERT_FALSE(focus.isEmpty());
        EXPECT_EQ(std::tuple(focus.last().object.data(), focus.last().role, focus.last().row,
                             heard(view(lvl)).first),
                  std::tuple(static_cast<QObject*>(view(lvl)), QAccessible::Cell, lvl.grid().ActiveRow() - 1,
                             name));
        for (const auto& e : focus) {
            const auto* widget = qobject_cast<const QWidget*>(e.object.data());
            EXPECT_TRUE(widget && lvl.Uddbs_Frame->isAncestorOf(widget))
                << e.role << " " << e.name.toStdString();
        }
        for (int other = 0; other < 2; ++other) {
            if (other == front || !form->hasLevel(other))
                continue;
            QTableView* below = view(form->level(other));
            EXPECT_EQ(QAccessible::queryAccessibleInterface(below)->focusChild(), nullptr);
            EXPECT_FALSE(cell(below, form->level(other).grid().ActiveRow() - 1, 0)->state().focused);
        }
    }
    form->Unload();
}

VV_ENGINES(SQLite, KeyboardTest, Engine::SQLite);

} // namespace
