// Working the window without a mouse, and what assistive technology is told
// about it: names, ticks, the focus, what editing does. Runs offscreen and again under a real window manager,
// where the focus follows window activation.
#include "WindowTest.h"

#include <support/HeardEvents.h>

#include <QAccessible>
#include <QAccessibleTableInterface>

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

// The cursor's cell of the level in front is what is heard last, and nothing
// of another level has the focus or takes the keys.
TEST_P(KeyboardTest, ANestedLevelTakesTheKeysAndTheFocusAndNothingBelowItCan) {
    addSurfaces(u"OUTER"_s, u"Filling |SF"_s);
    m_env->host().setOption(u"KEYBOARD_USER_ACTION"_s, u"-1"_s);
    PickerEnv::prepareRequest(u"OUTER"_s);
    test::HeardEvents events;
    auto form = showActive();
    const auto inFront = [&](int front, const QString& name) {
        SCOPED_TRACE(front);
        PickerLevel& lvl = form->level(front);
        EXPECT_EQ(std::pair(form->currentLevel(), focus()), (std::pair<qint16, QWidget*>(front, view(lvl))));
        const QList<test::HeardEvents::Event> focused = events.take(QAccessible::Focus);
        ASSERT_FALSE(focused.isEmpty());
        EXPECT_EQ(std::tuple(focused.last().object.data(), focused.last().role, focused.last().row,
                             heard(view(lvl)).first),
                  std::tuple(static_cast<QObject*>(view(lvl)), QAccessible::Cell, lvl.grid().ActiveRow() - 1,
                             name));
        for (const auto& e : focused) {
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
    };
    PickerLevel& below = form->level(0);
    inFront(0, u"Test Database, choose one"_s);
    form->Open_Database_Level(0, u"|SF"_s);
    PickerLevel& front = form->level(1);
    EXPECT_EQ(front.grid().ActiveRow(), 2);
    inFront(1, u"Filling, choose one"_s);
    // Tab from the front level's last button comes round to its grid, past everything below.
    front.cmd_Edit->setFocus();
    QTest::keyClick(front.cmd_Edit, Qt::Key_Tab);
    EXPECT_EQ(focus(), view(front));
    // Alt+E is the front level's Edit alone.
    accessKey(*form, Qt::Key_E);
    EXPECT_EQ(std::pair(front.editing(), below.editing()), std::pair(true, false));
    QTest::keyClick(view(front), Qt::Key_Escape); // the edits go, and edit mode with them
    events.take();
    QTest::keyClick(view(front), Qt::Key_Escape); // the level closes
    inFront(0, u"Test Database, choose one"_s);
    EXPECT_TRUE(below.cmd_Edit->isEnabled());
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
        if (key == Qt::Key_E && acts) {
            // Both menu keys open the menu under the cursor's cell, for its row.
            QTableView* grid = view(lvl);
            QMenu* menu = form->mnuPopUp();
            QTest::keyClick(grid, Qt::Key_Down);
            for (const auto& [key, modifiers] :
                 {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers{}},
                  std::pair{Qt::Key_F10, Qt::KeyboardModifiers{Qt::ShiftModifier}}}) {
                menu->hide();
                QTest::keyClick(grid, key, modifiers);
                ASSERT_TRUE(menu->isVisible()) << QTest::toString(key);
                const QRect cell = grid->visualRect(grid->currentIndex());
                EXPECT_NEAR(menu->pos().y(), grid->viewport()->mapToGlobal(cell.bottomLeft()).y(), 2);
            }
            m_env->dialogs().expectFile(u"thanks.txt"_s);
            QTest::keyClick(menu, Qt::Key_Down); // "Select Codes" is off: the codes are not shown
            QTest::keyClick(menu, Qt::Key_Return);
            EXPECT_EQ(lvl.grid().GetText(5, 2), u"THANKS.TXT"_s);
            m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
            lvl.cmd_Edit->setFocus();
            QTest::keyClick(lvl.cmd_Edit, Qt::Key_Return);
            EXPECT_FALSE(lvl.editing());
        }
        form->Unload();
    }
}

// A list of several entries ticks rows and says so; a list of one does not.
TEST_P(KeyboardTest, AssistiveTechnologyHearsNamesHeadingsTicksAndWhatEditingDoes) {
    // Stored out of order: the sort moves the row the cursor stood on first.
    addEntries(u"PROC"_s, {{u"20"_s, u"Filling"_s}, {u"*"_s, u"$-Restorative"_s}, {u"10"_s, u"Crown"_s}});
    for (const bool several : {true, false}) {
        SCOPED_TRACE(several);
        PickerEnv::prepareRequest(u"PROC"_s, false, {}, u"Gp"_s, u"Description"_s, several);
        test::HeardEvents events;
        auto form = showActive();
        PickerLevel& lvl = form->level(0);
        QTableView* grid = view(lvl);
        const QString gridName =
            several ? u"Test Database, tick any number"_s : u"Test Database, choose one"_s;
        EXPECT_EQ((QList{heard(lvl.Uddbs_Frame), heard(grid), heard(lvl.cmd_Select), heard(lvl.cmd_Edit)}),
                  (QList<std::pair<QString, QAccessible::Role>>{
                      {u"Level 1: Test Database"_s, QAccessible::Grouping},
                      {gridName, QAccessible::Table},
                      {u"OK"_s, QAccessible::Button},
                      {u"Edit"_s, QAccessible::Button}}));
        EXPECT_EQ((QStringList{cell(grid, 0, 1)->text(QAccessible::Name),
                               cell(grid, 0, 1)->text(QAccessible::Description),
                               cell(grid, 1, 1)->text(QAccessible::Description)}),
                  (QStringList{u"Restorative"_s, u"Heading, cannot be chosen"_s, {}}));
        // The table has the columns a person sees, the group's and the description's.
        QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(grid)->tableInterface();
        EXPECT_EQ(std::tuple(table->rowCount(), table->columnCount(), table->columnDescription(1)),
                  std::tuple(3, 2, u"Description"_s));

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
                  several ? std::tuple(u"111"_s, u"001"_s, QStringList{u"2,0"_s})
                          : std::tuple(u"000"_s, u"000"_s, QStringList{}));
        if (!several) {
            form->Unload();
            continue;
        }
        // The cursor's cell shows a frame in its text colour, over the tick's colour too.
        const QRect current = grid->visualRect(grid->currentIndex());
        const QImage shot = grid->viewport()->grab().toImage();
        EXPECT_EQ(shot.pixelColor(current.left() + 1, current.center().y()),
                  grid->palette().color(QPalette::HighlightedText));

        // What editing does is told with the cell under the cursor, which has the focus.
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
        EXPECT_EQ(heard(grid).first, gridName);
        form->Unload();
    }
}

VV_ENGINES(SQLite, KeyboardTest, Engine::SQLite);

} // namespace
