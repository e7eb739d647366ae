// Working in a list with the keyboard and the mouse: edit mode, the grid's
// keys and clicks, the right-click menu, hints and pipe-sign lists, through
// the real window on both engines; and the message and input boxes answered.
#include "WindowTest.h"

#include <window/PipeSigns.h>
#include <window/QtDialogs.h>

#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QSet>
#include <QTimer>

namespace {

class EditingTest : public test::WindowTest {
protected:
    // The cards (AX, MC, V in grid order) in a shown window.
    std::unique_ptr<wkDatabases_Form> openCards(const QString& options = {}, bool multi = false) {
        addCards();
        return open(u"CRECARD"_s, false, options, u"Gp"_s, u"Description"_s, multi);
    }
    void addCards() {
        addEntries(u"CRECARD"_s,
                   {{u"V"_s, u"Visa"_s}, {u"MC"_s, u"MasterCard"_s}, {u"AX"_s, u"American Express"_s}});
    }
    static void key(wkDatabases_Form& form, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(view(form.level(0)), key, modifiers);
    }
};

// A pipe sign where none are supported is warned about and kept; Escape
// throws edits away, and Enter chooses nothing in edit mode.
TEST_P(EditingTest, EditDoneAndEscapeSwitchTheModeAndSaveWhatWasTypedCommittedOrNot) {
    auto form = openCards(u"NOPIPSIGN"_s);
    PickerLevel& lvl = form->level(0);
    IGridControl& grid = lvl.grid();
    const QRect browsePlace = place(*form);
    // The caption, the frame's title, the grid's mode, and which of New Delete OK Close show.
    const auto state = [&] {
        QString shown;
        for (QPushButton* b : {lvl.cmd_Add, lvl.cmd_Del, lvl.cmd_Select, lvl.cmd_Cancel})
            shown += b->isVisible() ? u'1' : u'0';
        return u"%1|%2|%3|%4|%5"_s.arg(lvl.cmd_Edit->text(), lvl.Uddbs_Frame->title())
            .arg(grid.OperationMode())
            .arg(int(grid.BrowseFlag()))
            .arg(shown);
    };
    const QString browsing = u"&Edit|Database = CRECARD|%1|1|0011"_s.arg(GridMode::SingleSelect);
    const QString editing = u"D&one|Database = CRECARD ( Editing )|%1|0|1100"_s.arg(GridMode::Edit);

    click(lvl.cmd_Edit);
    EXPECT_EQ(state(), editing);
    const double screenWidth = qRound(grid::screenSizeTwips().width()); // edited at 10 % to 90 %
    EXPECT_LE(std::max(std::abs(form->FormLeft() - 0.1 * screenWidth),
                       std::abs(form->FormWidth() - 0.8 * screenWidth)),
              1);
    click(lvl.cmd_Edit); // nothing opened, nothing asked
    EXPECT_EQ(state(), browsing);
    EXPECT_EQ(place(*form), browsePlace);

    // An editor opened and closed alone changes the list: Done asks, and writes no row.
    click(lvl.cmd_Edit);
    PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, 1, u"dropped"_s, Qt::Key_Escape);
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    click(lvl.cmd_Edit);

    // Cells committed with Enter, one still in its editor when Done is pressed.
    click(lvl.cmd_Edit);
    m_env->dialogs().expectMessage(MsgBox::AnswerOk, u"Pipe sign variables are not supported"_s);
    PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, 1, u"Amex |T#"_s);
    PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, 2, u"MasterCard Gold"_s);
    PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, 3, u"Visa Debit"_s, Qt::Key_unknown);
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    click(lvl.cmd_Edit);
    EXPECT_EQ(state(), browsing);
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s),
              (QStringList{u"Amex |T#"_s, u"MasterCard Gold"_s, u"Visa Debit"_s}));

    click(lvl.cmd_Edit);
    PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, 1, u"Amex"_s);
    click(lvl.cmd_Add);
    PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, 4, u"Diners"_s);
    key(*form, Qt::Key_Return); // edit mode: Enter chooses nothing
    key(*form, Qt::Key_Escape);
    EXPECT_EQ(std::pair(state(), column(grid, 2)),
              std::pair(browsing, u"Amex |T#|MasterCard Gold|Visa Debit"_s));
    EXPECT_TRUE(form->takeSelection().empty());
}

TEST_P(EditingTest, EditModesWidthGoesToTheDescriptionsAndANewRowShowsWhole) {
    addRows(u"LONG"_s, 40);
    auto form = open(u"LONG"_s);
    PickerLevel& lvl = form->level(0);
    QTableView* grid = view(lvl);
    const int browseWidth = grid->columnWidth(1);
    click(lvl.cmd_Edit);
    EXPECT_EQ(grid->horizontalHeader()->length(), grid->viewport()->width());
    EXPECT_GT(grid->columnWidth(1), browseWidth);
    click(lvl.cmd_Add);
    const QRect added = grid->visualRect(grid->currentIndex());
    EXPECT_EQ(std::pair(grid->currentIndex().row(), grid->viewport()->rect().contains(added)),
              std::pair(40, true));
    EXPECT_EQ(lvl.grid().ActiveCol(), 1);
    form->Unload();

    // With every column hidden the new line's header is the active cell: column 0.
    PickerEnv::prepareRequest(u"LONG"_s);
    for (int c = 1; c <= 6; ++c)
        PickerEnv::request().ColumnWidths(c) = 0;
    form = show();
    click(form->level(0).cmd_Edit);
    click(form->level(0).cmd_Add);
    EXPECT_EQ(std::pair(form->level(0).grid().ActiveRow(), form->level(0).grid().ActiveCol()),
              std::pair(41, 0));
}

// The save sorts the list again; the cursor goes with the entry it was on.
TEST_P(EditingTest, AfterASaveTheCursorIsOnItsEntryWhereverTheSortPutIt) {
    addCards();
    PickerEnv::prepareRequest(u"CRECARD"_s);
    // The row typed into (a new one when past the list), its group and description.
    const std::tuple<qint32, QString, QString> cases[] = {{4, u"T"_s, u"Test card"_s},
                                                          {1, u"Z"_s, u"Zeta card"_s}};
    for (const auto& [row, group, description] : cases) {
        SCOPED_TRACE(description.toStdString());
        auto form = show();
        PickerLevel& lvl = form->level(0);
        click(lvl.cmd_Edit);
        if (row > lvl.grid().MaxRows())
            click(lvl.cmd_Add);
        PickerEnv::typeIntoCell(*lvl.uddbs_SS, 1, row, group);
        PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, row, description);
        m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
        click(lvl.cmd_Edit);
        EXPECT_EQ(lvl.grid().GetText(2, lvl.grid().ActiveRow()), description);
    }
}

// Saved with the text still in its cell's editor, on the nested level being
// edited. (Level 0, closed editors and a failed save on the title bar's close:
// the host-view and entry-point tests.)
TEST_P(EditingTest, TheTitleBarAsksAboutTheEditsOfWhicheverLevelIsBeingEdited) {
    addSurfaces(u"PROCS"_s, u"Filling |SF"_s);
    auto form = open(u"PROCS"_s);
    form->Open_Database_Level(0, u"|SF"_s);
    PickerLevel& lvl = form->level(1);
    click(lvl.cmd_Edit);
    // The first entry, after the title line.
    PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, 2, u"Typed"_s, Qt::Key_unknown);
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    form->close();
    EXPECT_EQ(std::tuple(form->closing(), form->takePendingError().has_value(),
                         m_env->storedDescriptions(u"SURFACES"_s).contains(u"Typed"_s)),
              std::tuple(true, false, true));
}

TEST_P(EditingTest, AKeyArrivingWhileAnotherKeysMessageIsUpIsIgnoredOnEveryLevel) {
    addSurfaces(u"OUTER"_s, u"Entry"_s);
    auto form = open(u"OUTER"_s);
    form->Open_Database_Level(0, u"|SF"_s);
    // Escape on level 0 would close the window, had it been handled.
    qint16 escape = 27, shift = 0;
    m_env->dialogs().expectMessage(MsgBox::AnswerOk, u"Can't find"_s,
                                   [&] { form->uddbs_SS_KeyDown(0, escape, shift); });
    QTest::keyClick(view(form->level(1)), Qt::Key_Q);
    EXPECT_FALSE(form->closing());
}

TEST_P(EditingTest, TypingFindsTheFirstVisibleCellContainingTheLetter) {
    addEntries(u"FIND"_s, {{u"AX"_s, u"Zed"_s}, {u"BX"_s, u"Vector"_s}, {u"CX"_s, u"Avid"_s}});
    auto form = open(u"FIND"_s);
    IGridControl& grid = form->level(0).grid();
    // Key, modifiers, key prefix, the active row afterwards (3 where it stays), the message if any.
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, QString, qint32, QString> cases[] = {
        {Qt::Key_V, {}, {}, 2, {}},                     // column 2 only: "Vector" before "Avid"
        {Qt::Key_X, {}, {}, 1, {}},                     // column 1 comes first
        {Qt::Key_D, Qt::ShiftModifier, {}, 1, {}},      // "Zed"
        {Qt::Key_V, Qt::ControlModifier, {}, 3, {}},    // Ctrl and Alt do not search
        {Qt::Key_V, Qt::AltModifier, {}, 3, {}},        //
        {Qt::Key_Q, {}, {}, 3, u" Can't find [ Q ]"_s}, //
        {Qt::Key_2, {}, {}, 3, u" Can't find [ 2 ]"_s}, // the keys are in a hidden column
        {Qt::Key_E, {}, u"z"_s, 1, {}},                 // a one-letter prefix: "Ze"
        {Qt::Key_V, {}, u"zz"_s, 2, {}},                // a longer one is not used
    };
    for (const auto& [k, modifiers, prefix, row, notFound] : cases) {
        m_env->host().setOption(u"KeyPrefix"_s, prefix);
        grid.setRow(3), grid.setAction(GridAction::ActivateCell);
        if (!notFound.isEmpty())
            m_env->dialogs().expectMessage(MsgBox::AnswerOk, notFound);
        key(*form, k, modifiers);
        EXPECT_EQ(grid.ActiveRow(), row) << QTest::toString(k) << " " << modifiers;
    }
}

TEST_P(EditingTest, TheRightClickMenuAttachesALetterFileToARowInEditMode) {
    addEntries(u"DOCS"_s, {{u"A"_s, u"$-Letters"_s}, {u"B"_s, u"Referral"_s}, {u"C"_s, u"Thanks"_s}});
    auto form = open(u"DOCS"_s, false, QString(), u"Gp"_s, u"Description"_s, false, u"Letter"_s);
    PickerLevel& lvl = form->level(0);
    IGridControl& grid = lvl.grid();
    QMenu* menu = form->mnuPopUp();
    click(lvl.cmd_Edit);
    for (const qint32 row : {1, 2}) { // a title line has no menu
        PickerEnv::clickCell(*lvl.uddbs_SS, 2, row, Qt::RightButton);
        QCoreApplication::processEvents();
        ASSERT_EQ(menu->isVisible(), row == 2);
    }
    EXPECT_EQ((QList<bool>{menu->actions()[0]->isEnabled(), menu->actions()[1]->isEnabled()}),
              (QList<bool>{false, true})); // codes hidden, letters shown
    menu->hide();

    const auto chooseLetter = [&](std::optional<QString> file, std::function<void()> meanwhile = {},
                                  const QString& refusal = {}) {
        m_env->dialogs().expectFile(std::move(file), std::move(meanwhile));
        if (!refusal.isEmpty())
            m_env->dialogs().expectMessage(MsgBox::AnswerOk, refusal);
        menu->actions()[1]->trigger();
    };
    // The extension may stand anywhere; a second command while the dialog is up is ignored.
    chooseLetter(u"/office/wp/Referral.txt.bak"_s, [&] { menu->actions()[1]->trigger(); });
    // The dialog opens in the host's letter folder and offers the two kinds a row may name.
    const auto& asked = m_env->dialogs().asked().last();
    EXPECT_EQ(asked.text, m_env->host().GetHostPath() + u"WP"_s);
    const QString offered = QtDialogs::toQtFilter(asked.detail);
    EXPECT_TRUE(offered.contains(u"*.RTF"_s) && offered.contains(u"*.txt"_s)) << offered.toStdString();
    EXPECT_EQ(grid.GetText(5, 2) + grid.GetText(7, 2), u"/OFFICE/WP/REFERRAL.TXT.BAKM"_s);

    chooseLetter(std::nullopt); // cancelled
    chooseLetter(u"/office/wp/Referral.doc"_s, {}, u"'.RTF',  or '.TXT'"_s);
    EXPECT_EQ(grid.GetText(5, 2), u"/OFFICE/WP/REFERRAL.TXT.BAK"_s);

    click(lvl.cmd_Add);
    PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, 4, u"Welcome"_s);
    PickerEnv::clickCell(*lvl.uddbs_SS, 2, 4, Qt::RightButton);
    menu->hide();
    chooseLetter(u"welcome.rtf"_s);
    EXPECT_EQ(grid.GetText(5, 4) + grid.GetText(7, 4), u"WELCOME.RTFN"_s); // a new row stays new
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    click(lvl.cmd_Edit);
    EXPECT_EQ(column(grid, 5), u"WELCOME.RTF||/OFFICE/WP/REFERRAL.TXT.BAK|"_s); // as stored
}

TEST_P(EditingTest, TheRightButtonChoosesAndAsksFirstWhenNothingIsTicked) {
    auto form = openCards({}, true);
    auto* grid = form->level(0).uddbs_SS;
    m_env->dialogs().expectMessage(MsgBox::AnswerNo, u"Are you sure you want to exit?"_s);
    PickerEnv::clickCell(*grid, 2, 2, Qt::RightButton);
    EXPECT_EQ(std::pair(form->closing(), form->level(0).grid().Enabled()), std::pair(false, true));
    PickerEnv::clickCell(*grid, 2, 3); // ticks Visa
    PickerEnv::clickCell(*grid, 2, 2, Qt::RightButton);
    EXPECT_TRUE(form->closing());
    EXPECT_EQ(form->takeSelection().at(0).description(), u"Visa"_s);
}

// The button hints follow the option and the mode; the hint line, given while
// the list is browsed, shows in edit mode alone either way.
TEST_P(EditingTest, HintsFollowTheOptionAndTheModeAndTheHintLineShowsInEditMode) {
    addEntries(u"CRECARD"_s, {{u"V"_s, u"Visa"_s}});
    PickerEnv::prepareRequest(u"CRECARD"_s, false, {}, u"Gp"_s, u"Description"_s, false, u"Letter"_s);
    for (const bool on : {true, false}) {
        m_env->host().setOption(u"POPUP_HELP_FLAG"_s, on ? u"-1"_s : u"0"_s);
        auto form = show();
        form->Form_Activate();
        PickerLevel& lvl = form->level(0);
        QSet<QString> hints;
        for (QPushButton* b : {lvl.cmd_Add, lvl.cmd_Select, lvl.cmd_Cancel, lvl.cmd_Edit, lvl.cmd_Del})
            hints << b->toolTip();
        const bool editHint = !lvl.cmd_Edit->toolTip().isEmpty();
        click(lvl.cmd_Edit); // Done has a hint of its own
        EXPECT_EQ(std::tuple(hints.size(), editHint, !hints.contains(lvl.cmd_Edit->toolTip())),
                  std::tuple(on ? 5 : 1, on, on));
        ASSERT_TRUE(lvl.uddbs_SBar && lvl.uddbs_SBarPanel);
        EXPECT_EQ(std::pair(lvl.uddbs_SBar->isVisible(), lvl.uddbs_SBarPanel->text()),
                  std::pair(true, u" Right click on any field to select letters. "_s));
        click(lvl.cmd_Edit);
        EXPECT_FALSE(lvl.uddbs_SBar->isVisible());
    }
}

TEST(PipeSigns, TwoCharacterVariablesShowAsUnknown) {
    const std::pair<QString, QString> cases[] = {
        {u"Tooth |1AB and |?? stay"_s, u"Tooth |1AB and |?? stay"_s},
        {u"|CARIES"_s, u"(?)RIES"_s},
        {u"||AB"_s, u"(?)B"_s},
        {u"| A, |A , |A"_s, u"(?), |A , |A"_s}, // a blank may stand inside, not at the end
        {u"Ends with |"_s, u"Ends with |"_s},
    };
    for (const auto& [stored, shown] : cases)
        EXPECT_EQ(ShowPipeVariables(stored), shown);
}

TEST_P(EditingTest, APipeSignListShowsStoredTextsOnlyInEditModeAndLoadsThePatient) {
    qint32 patient = 0;
    ASSERT_TRUE(
        m_env->host().SaveRecord(1, u"paTable"_s, u"pID"_s, patient, {u"pLASNAM"_s}, {u"Doe"_s}, true));
    addEntries(u"PROC"_s, {{u"*M"_s, u"$-Restorative"_s},
                           {u"10"_s, u"Filling |PN surface"_s},
                           {u"20"_s, u"Crown |1AB"_s},
                           {u"30"_s, u"Crown |PN"_s},
                           {u"30"_s, u"Crown on implant"_s}});
    for (const qint32 current : {0, patient}) {
        m_env->host().SetCurrentPatientID(current);
        auto form = open(u"PROC"_s);
        PickerLevel& lvl = form->level(0);
        IGridControl& grid = lvl.grid();
        // Sorted by what is shown: "(?)" before "on", where the stored bar sorts after it.
        EXPECT_EQ(column(grid, 2),
                  current ? u"$-Restorative|Filling (?) surface|Crown |1AB|Crown (?)|Crown on implant"_s
                          : u"$-Restorative|Filling |PN surface|Crown |1AB|Crown on implant|Crown |PN"_s);
        if (current == 0)
            continue;
        // Edit shows the stored text of the cursor's entry. (Done showing "(?)" again on the
        // entry its text finds: the host-view transcripts' pipe-sign list.)
        PickerEnv::clickCell(*lvl.uddbs_SS, 2, 2);
        click(lvl.cmd_Edit);
        EXPECT_EQ(grid.GetText(2, grid.ActiveRow()), u"Filling |PN surface"_s);
    }
}

TEST(QtDialogsTest, UnknownButtonSetsAreRefusedAndFiltersBecomeQtFilters) {
    for (qint32 unknown : {6, 7, 15})
        EXPECT_THROW(QtDialogs::messageBoxLayout(unknown), AutomationError);
    const char* filters[][2] = {
        {"Text files (*.txt)|*.txt|All files (*.*)|*.*", "Text files (*.txt);;All files (*)"},
        {"Lists|*.lst;*.csv; *.tsv", "Lists (*.lst *.csv *.tsv)"},
        {"|*.dat", "*.dat (*.dat)"},
        {"Odd; label|*.x", "Odd, label (*.x)"},
        {"Only a label", "Only a label"},
    };
    for (const auto& f : filters)
        EXPECT_EQ(QtDialogs::toQtFilter(QString::fromUtf8(f[0])), QString::fromUtf8(f[1]));
}

// Runs act on the first modal dialog of type D once it is up.
template <class D> void whenModalUp(std::function<void(D*)> act) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* box = qobject_cast<D*>(QApplication::activeModalWidget())) {
            poll->stop(), poll->deleteLater();
            act(box);
        }
    });
    poll->start();
}

// Each button answers what it says, with the icon and the default asked for;
// a default the box lacks falls back to the first button; a box closed without
// a button answers Cancel where it has one; without a title the application's
// name shows. An input box gives typed lines with CR LF, nothing when cancelled.
TEST(QtDialogsTest, EveryButtonAnswersWhatItSaysAndTheBoxShowsTheFlags) {
    QtDialogs dialogs;
    QApplication::setApplicationDisplayName(u"Practice"_s);
    const qint32 threeButtons = MsgBox::YesNoCancel + MsgBox::Exclamation + MsgBox::DefaultButton2;
    for (const auto& [button, answer] : {std::pair{QMessageBox::Yes, MsgBox::AnswerYes},
                                         {QMessageBox::No, MsgBox::AnswerNo},
                                         {QMessageBox::Cancel, MsgBox::AnswerCancel}}) {
        whenModalUp<QMessageBox>([button = button](QMessageBox* box) {
            EXPECT_EQ(std::pair(box->icon(), box->windowTitle()),
                      std::pair(QMessageBox::Warning, u"Title"_s));
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
            box->button(button)->click();
        });
        EXPECT_EQ(dialogs.MessageBox(u"Save?"_s, threeButtons, u"Title"_s), answer);
    }
    whenModalUp<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
        box->defaultButton()->click();
    });
    EXPECT_EQ(dialogs.MessageBox(u"Done."_s, MsgBox::Information + MsgBox::DefaultButton2, {}),
              MsgBox::AnswerOk);
    whenModalUp<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(std::pair(box->icon(), box->windowTitle()),
                  std::pair(QMessageBox::Question, u"Practice"_s));
        box->reject();
    });
    EXPECT_EQ(dialogs.MessageBox(u"Delete the list \"Füllung\"?"_s,
                                 MsgBox::YesNoCancel + MsgBox::Question + MsgBox::DefaultButton2, QString()),
              MsgBox::AnswerCancel);
    for (const bool accept : {true, false}) {
        whenModalUp<QInputDialog>([accept](QInputDialog* box) {
            box->setTextValue(u"pain\nswelling – 腫れ"_s);
            accept ? box->accept() : box->reject();
        });
        EXPECT_EQ(dialogs.InputBox(u"Patient reports |??"_s, u"Enter information"_s, {}),
                  accept ? u"pain\r\nswelling – 腫れ"_s : QString());
    }
}

VV_ENGINES(Engines, EditingTest, Engine::SQLite, Engine::PostgreSQL);

} // namespace
