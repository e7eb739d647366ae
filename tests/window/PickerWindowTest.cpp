#include "WindowTest.h"

#include <support/FailingHost.h>

#include <core/RequestState.h>
#include <window/LevelFrame.h>
#include <window/ListAnswer.h>
#include <window/LoadedList.h>

#include <QFontInfo>
#include <QStyle>

namespace {

class PickerWindowTest : public test::WindowTest {};

TEST_P(PickerWindowTest, LoadSortsTrimsMarksRowsFindsTheColumnsAndTitlesAndLeavesNoHourglass) {
    addEntries(u"CRECARD"_s, {{u" V  "_s, u"  Visa "_s},
                              {u"MC"_s, u"MasterCard"_s},
                              {u"AX"_s, u"American Express"_s},
                              {u"AX"_s, u"Amex Blue"_s}});
    m_env->addEntry(u"ALERT"_s, u"AX"_s, u"Not this list"_s);
    PickerEnv::prepareRequest(u"CRECARD"_s, false, u"NOADD,NODELETE"_s);
    auto form = m_env->loadForm();
    const PickerLevel& lvl = form->level(0);
    IGridControl& grid = lvl.grid();
    EXPECT_EQ(column(grid, 2) + column(grid, 7) + grid.GetText(1, 4),
              u"American Express|Amex Blue|MasterCard|VisaE|E|E|EV"_s);
    EXPECT_TRUE(lvl.cmd_Edit->isHidden() && lvl.cmd_Del->isHidden()); // "NOADD": the list cannot be changed
    // The cells in the grid's font, 10 points; the header row in bold 8.75 points.
    const QFont cells = view(lvl)->font();
    const QFont header = view(lvl)->model()->headerData(0, Qt::Horizontal, Qt::FontRole).value<QFont>();
    EXPECT_EQ(std::tuple(cells.bold(), cells.pointSizeF(), header.bold(), header.pointSizeF(),
                         view(lvl)->model()->index(0, 0).data(Qt::FontRole).isValid()),
              std::tuple(false, 10.0, true, 8.75, false));

    PickerEnv::prepareRequest(u"EMPTY"_s);
    form = m_env->loadForm();
    // One header row only: nothing to fit.
    EXPECT_EQ(std::tuple(form->level(0).grid().MaxRows(), form->level(0).grid().GetText(2, 0),
                         form->level(0).cmd_Edit->isHidden(), form->tag()),
              std::tuple(0, u"Description"_s, false, u"NO STP"_s));

    // The first title line decides about pipe signs.
    addEntries(u"PROC"_s,
               {{u"10"_s, u"Exam |T#"_s}, {u"*m"_s, u"$-Restorative"_s}, {u"X"_s, u"$-Surgery"_s}});
    addEntries(u"LATER"_s, {{u"X"_s, u"$-First title"_s}, {u"*M"_s, u"$-Second title"_s}});
    PickerEnv::prepareRequest(u"PROC"_s);
    EXPECT_EQ(m_env->loadForm()->level(0).PipeSignLevel, PipeSignMode::ShowsVariables);
    PickerEnv::prepareRequest(u"LATER"_s);
    EXPECT_EQ(m_env->loadForm()->level(0).PipeSignLevel, PipeSignMode::DoesNot);
    // Without a group column a list has no title lines at all.
    PickerEnv::prepareRequest(u"PROC"_s, false, {}, u"Code"_s, u"Description"_s);
    form = m_env->loadForm();
    EXPECT_EQ(std::pair(form->level(0).GroupColumn, form->level(0).PipeSignLevel),
              std::pair(0, PipeSignMode::Undecided));

    // The caption service fails half way through a load: the hourglass goes all the same.
    auto host = openHost<test::FailingHost>();
    host->failService(test::FailingHost::Service::CaptionText, test::FailingHost::Failure::Automation);
    m_env->component().put_GIC(host);
    PickerEnv::prepareRequest(u"CRECARD"_s);
    wkDatabases_Form failed(RequestState::instance(), PickerEnv::request(), m_env->dialogsRef());
    EXPECT_THROW(failed.Load(), AutomationError);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_P(PickerWindowTest, NestedLevelsCascadeAndLevelThreeOpensNoFourth) {
    addRows(u"OUTER"_s, 3);
    addRows(u"SURFACES"_s, 4);
    m_env->host().setCodeListKey(u"|SF"_s, u"SURFACES"_s);
    PickerEnv::prepareRequest(u"OUTER"_s);
    auto form = m_env->loadForm();
    form->setFormHeight(9000), form->setFormWidth(9000);

    form->Open_Database_Level(0, u"|SF"_s);
    ASSERT_TRUE(form->hasLevel(1));
    EXPECT_EQ((QList<qint32>{form->currentLevel(), form->level(1).grid().MaxRows()}), (QList<qint32>{1, 4}));
    const auto frameTwips = [&](int lvl) {
        const QRect r = form->level(lvl).Uddbs_Frame->geometry();
        return QPoint(qRound(grid::pixelsToTwipsX(r.x())), qRound(grid::pixelsToTwipsY(r.y())));
    };
    EXPECT_NEAR(frameTwips(1).x(), 45 + 650, 15);

    form->Open_Database_Level(1, u"|SF"_s);
    form->Open_Database_Level(2, u"|SF"_s);
    ASSERT_TRUE(form->hasLevel(3));
    EXPECT_NEAR(frameTwips(3).y(), 45 + 3 * 780, 15);
    // In a lower window level 3's cascaded frame would be under 2000 twips high: it starts at the top.
    form->setFormHeight(4000);
    EXPECT_NEAR(frameTwips(3).y(), 45, 15);
    EXPECT_NEAR(frameTwips(1).y(), 45 + 780, 15);
    form->Open_Database_Level(3, u"|SF"_s);
    EXPECT_TRUE(!form->hasLevel(4) && form->currentLevel() == 3);
}

TEST_P(PickerWindowTest, KeptLayoutIsReadWrittenAndNotWrittenInEditModeOrWithANestedLevel) {
    addRows(u"PROC"_s, 3);
    PickerEnv::prepareRequest(u"PROC"_s, true);
    PickerEnv::request().WindowTop = 500, PickerEnv::request().WindowLeft = 700;
    const QString path = settingsPath();
    {
        auto form = m_env->loadForm();
        EXPECT_TRUE(path.startsWith(m_env->dataFolder()) && !QFile::exists(path));
        EXPECT_EQ(place(*form).adjusted(0, 0, 0, -form->FormHeight()), QRect(700, 500, 4125, 0));
        form->Form_Activate(); // loading is over: resizes are now kept
        form->setFormWidth(6000);
        EXPECT_EQ(readWindowSettings(path),
                  (WindowSettings{4215, qint16(form->FormHeight()), 6000, 500, 700}));

        // In edit mode, or with a nested level open, the window's size is not the list's.
        form->level(0).setMode(LevelMode::Edit);
        form->setFormWidth(7000);
        EXPECT_EQ(readWindowSettings(path)->width, 6000);
        form->level(0).setMode(LevelMode::Browse);
        form->Open_Database_Level(0, u"PROC"_s);
        form->setFormWidth(7500);
        EXPECT_EQ(readWindowSettings(path)->width, 6000);
    }
    // A Top past the screen's edge (as a dragged window stores it) takes the caller's position.
    ASSERT_TRUE(writeWindowSettings(path, WindowSettings{4215, 5000, 6500, -300, 900}));
    PickerEnv::request().WindowTop = 1500;
    auto form = m_env->loadForm();
    EXPECT_EQ(std::pair(place(*form), form->tag()), std::pair(QRect(900, 1500, 6500, 5000), QString()));
}

TEST(LevelFrameTest, AFrameIsDrawnAgainForAnotherTitleStateOrSize) {
    QWidget window;
    auto* frame = new LevelFrame(&window);
    frame->setAutoFillBackground(true);
    const auto look = [&](const QString& title, bool enabled, QSize size) {
        frame->setTitle(title);
        frame->setEnabled(enabled);
        frame->resize(size);
        return frame->grab().toImage();
    };
    const QImage first = look(u"First"_s, true, {200, 150});
    EXPECT_NE(look(u"Second"_s, true, {200, 150}), first);
    EXPECT_NE(look(u"First"_s, false, {200, 150}), first);
    EXPECT_NE(look(u"First"_s, true, {220, 150}).copy(0, 0, 200, 150), first);
    EXPECT_EQ(look(u"First"_s, true, {200, 150}), first);
}

// The window as a window manager frames it: Height and Width are the outer
// size. Runs offscreen and again under Xvfb with a real window manager.
class FramedWindowTest : public PickerWindowTest {
protected:
    static qint32 outerHeight(const QWidget& w) {
        return qRound(grid::pixelsToTwipsY(w.frameGeometry().height()));
    }
};

// A fitted height uses the frame the window really has; a long list ends at
// the screen's bottom, frame included.
TEST_P(FramedWindowTest, AFittedHeightUsesTheFrameTheWindowReallyHasAndEndsOnTheScreen) {
    // One row is not fitted: the default height stays.
    m_env->addEntry(u"ONE"_s, u"A"_s, u"Only"_s);
    PickerEnv::prepareRequest(u"ONE"_s);
    EXPECT_EQ(std::pair(m_env->loadForm()->tag(), m_env->loadForm()->FormHeight()),
              std::pair(u"NO STP"_s, 3255));

    addRows(u"TWENTY"_s, 20);
    PickerEnv::prepareRequest(u"TWENTY"_s);
    // Before it is shown the window assumes a frame thicker than any window manager draws.
    wkDatabases_Form::assumeFrame(QMargins(10, 90, 10, 10));
    auto form = show(true);
    const QRect outer = form->frameGeometry();
    ASSERT_LT(outer.height() - form->geometry().height(), 100)
        << "the real frame is as thick as the assumed one";
    const qint32 border = qRound(grid::pixelsToTwipsY(outer.height() - form->geometry().height()));
    EXPECT_NEAR(form->BorderHeight(), border, 15);

    const qint32 rowTwips = qRound(form->level(0).grid().RowHeightToTwips(1, 12.5f));
    const qint32 addTwips = qRound(grid::pixelsToTwipsY(form->level(0).cmd_Add->height()));
    qint32 wanted = addTwips + 21 * rowTwips + 915;
    const qint32 screenHeight = qRound(grid::screenSizeTwips().height());
    if (form->FormTop() + wanted > screenHeight - border)
        wanted = screenHeight - form->FormTop() - border;
    for (const qint32 height : {outerHeight(*form), form->FormHeight()})
        EXPECT_NEAR(height, wanted + border, 15);
    EXPECT_EQ(form->tag(), QString());
    form->Unload();

    addRows(u"LONG"_s, 150);
    PickerEnv::prepareRequest(u"LONG"_s);
    PickerEnv::request().WindowTop = 600;
    form = show(true);
    EXPECT_NEAR(form->frameGeometry().bottom(), form->screen()->geometry().bottom(), 2);
    EXPECT_NEAR(outerHeight(*form), form->FormHeight(), 15);
}

TEST_P(FramedWindowTest, AStoredSizeIsTheOuterSizeAndDoesNotGrowFromOpenToOpen) {
    addRows(u"PROC"_s, 3);
    PickerEnv::prepareRequest(u"PROC"_s, true);
    const QString path = settingsPath();
    ASSERT_TRUE(writeWindowSettings(path, WindowSettings{4215, 5000, 6000, 600, 900}));
    for (int open = 1; open <= 3; ++open) {
        auto form = show(true);
        EXPECT_NEAR(outerHeight(*form), 5000, 15) << "open " << open;
        EXPECT_NEAR(qRound(grid::pixelsToTwipsX(form->frameGeometry().width())), 6000, 15);
        form->resize(form->size()); // a resize that changes nothing
        form->Unload();
        EXPECT_EQ(readWindowSettings(path)->height, 5000) << "open " << open;
    }
}

TEST_P(FramedWindowTest, ColumnWidthsShowAsManyCharactersInTheGridFont) {
    // The widths a code list asks for: a three-letter group, 40 characters of description, the letter file.
    const QString forty = u"Composite filling on tooth 14, mesial an"_s;
    m_env->addEntry(u"CODES"_s, u"MRS"_s, forty, {}, u"WELCOME.RTF"_s);
    PickerEnv::prepareRequest(u"CODES"_s, false, {}, u"Gp"_s, u"Description"_s, false, u"Letter File Name"_s);
    PickerEnv::request().ColumnWidths(2) = 40;
    auto form = show(true);
    const QTableView* view = WindowTest::view(form->level(0));
    EXPECT_EQ(QFontInfo(view->font()).family(), u"Liberation Sans"_s);
    const int cellMargins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
    const int headerMargins = 2 * view->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, view);
    QFont headerFont = view->font();
    headerFont.setBold(true), headerFont.setPointSizeF(8.75);
    for (const auto& [col, cell, header] : {std::tuple{1, u"MRS"_s, u"Gp"_s},
                                            {2, forty, u"Description"_s},
                                            {5, u"WELCOME.RTF"_s, u"Letter File Name"_s}}) {
        EXPECT_LE(QFontMetrics(view->font()).horizontalAdvance(cell),
                  view->columnWidth(col - 1) - cellMargins)
            << cell.toStdString();
        EXPECT_LE(QFontMetrics(headerFont).horizontalAdvance(header),
                  view->columnWidth(col - 1) - headerMargins)
            << header.toStdString();
    }
}

// A caller's group code answered from the list without the window gets what
// the loaded window's grid answers. (That both ask the host the same, a
// failing host included: the host-view transcripts and the load's failing caption above.)
class ListAnswerTest : public test::WindowTest {
protected:
    // The loaded window's grid searched for the first row of the group, "" when none.
    QString windowAnswer(const QString& value) {
        auto form = m_env->loadForm();
        const IGridControl& grid = form->level(0).grid();
        for (qint32 r = 1; r <= grid.MaxRows(); ++r)
            if (grid.GetText(1, r).trimmed().toUpper() == value.trimmed().toUpper())
                return grid.GetText(2, r);
        return {};
    }
    // Each value answered both ways for the prepared request ("" where the window opens).
    QStringList answers(const QStringList& values) {
        QStringList fast, window;
        for (const QString& value : values) {
            const PickerRequest& request = PickerEnv::request();
            fast << ListAnswer(LoadList(RequestState::instance(), request), request, value)
                        .value_or(QString());
            window << windowAnswer(value);
        }
        EXPECT_EQ(fast, window);
        return fast;
    }
};

TEST_P(ListAnswerTest, TheListAnswersAsTheLoadedWindowsGridDoes) {
    // Duplicates ordered by the sort, not as stored; blanks and case; an empty
    // description sorted first, so the window opens; a title line; a group the
    // list lacks (another list's rows stay out: the load above).
    addEntries(u"CRECARD"_s, {{u"A"_s, u"Zeta"_s},
                              {u"a"_s, u"alpha"_s},
                              {u" c "_s, u"  Gamma "_s},
                              {u"D"_s, u"Delta"_s},
                              {u"D"_s, {}},
                              {u"T"_s, u"$-Title"_s}});
    PickerEnv::prepareRequest(u"CRECARD"_s);
    EXPECT_EQ(answers({u" a "_s, u"C"_s, u"d"_s, u"t"_s, u"b"_s, {}}),
              (QStringList{u"alpha"_s, u"Gamma"_s, {}, u"$-Title"_s, {}, {}}));

    // A list showing its variables, with a current patient: "(?)" sorts before a letter.
    qint32 patient = 0;
    ASSERT_TRUE(
        m_env->host().SaveRecord(1, u"paTable"_s, u"pID"_s, patient, {u"pLASNAM"_s}, {u"Doe"_s}, true));
    m_env->host().SetCurrentPatientID(patient);
    addEntries(u"PROC"_s,
               {{u"*M"_s, u"$-Restorative"_s}, {u"P"_s, u"Crown on |T#"_s}, {u"P"_s, u"|ZZ first"_s}});
    PickerEnv::prepareRequest(u"PROC"_s);
    EXPECT_EQ(answers({u"p"_s}), QStringList{u"(?) first"_s});

    // Office mode 7: another office's row of the group is not in the list.
    m_env->host().setOfficeMode(7);
    m_env->host().setOfficeID(2);
    m_env->addEntry(u"CRECARD"_s, u"O"_s, u"Other office"_s);
    PickerEnv::prepareRequest(u"CRECARD"_s);
    EXPECT_EQ(answers({u"o"_s}), QStringList{u"Other office"_s});
    m_env->host().setOfficeID(1);
    m_env->addEntry(u"CRECARD"_s, u"O"_s, u"Own office"_s);
    EXPECT_EQ(answers({u"o"_s}), QStringList{u"Own office"_s});
}

class SelectionTest : public test::WindowTest {
protected:
    // The cursor put on row without ticking it, as the window puts it, then OK pressed.
    static void ok(wkDatabases_Form& form, qint32 row) {
        form.level(0).grid().setRow(row), form.level(0).grid().setAction(GridAction::ActivateCell);
        click(form.level(0).cmd_Select);
    }
};

// OK gives the row's record and one after it for each variable; ticked rows
// come in the list's order; a title line is refused, without a word when it
// only stands in for rows nobody ticked. (The row's own record: the host-view transcripts.)
TEST_P(SelectionTest, OkGivesTheRowsRecordsThenTheirVariablesInOrderAndRefusesTitleLines) {
    addEntries(u"NOTES"_s, {{u"G1"_s, u"Exam"_s}, {u"G2"_s, u"Crown |?? on |T#"_s}});
    auto form = open(u"NOTES"_s);
    m_env->dialogs().expectInput(u"upper left"_s, u"Crown |?? on |T#"_s);
    ok(*form, 2);
    const Selection chosen = form->takeSelection();
    QStringList listsAndLevels;
    for (const SelectionRecord& r : chosen)
        listsAndLevels << r.listCode + u'@' + QString::number(r.level);
    EXPECT_EQ(listsAndLevels, (QStringList{u"NOTES@0"_s, u"|??@1"_s, u"|T#@1"_s}));
    EXPECT_EQ(std::tuple(form->closing(), chosen.at(1).description(), form->hasLevel(1)),
              std::tuple(true, u"upper left"_s, false));

    addEntries(u"TICKS"_s, {{u"A"_s, u"$-Notes"_s}, {u"B"_s, u"Exam"_s}, {u"C"_s, u"Recall"_s}});
    form = open(u"TICKS"_s, false, QString(), u"Gp"_s, u"Description"_s, true);
    ok(*form, 1);
    EXPECT_TRUE(!form->closing() && form->takeSelection().empty());
    for (const qint32 row : {3, 2})
        PickerEnv::clickCell(*form->level(0).uddbs_SS, 2, row);
    click(form->level(0).cmd_Select);
    const Selection ticked = form->takeSelection();
    EXPECT_EQ((QStringList{ticked.at(0).description(), ticked.at(1).description()}),
              (QStringList{u"Exam"_s, u"Recall"_s}));
    EXPECT_TRUE(form->closing());

    form = open(u"TICKS"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerOk, u"is a title line"_s);
    ok(*form, 1);
    EXPECT_TRUE(!form->closing() && form->takeSelection().empty());
}

VV_ENGINES(SQLite, SelectionTest, Engine::SQLite);
VV_ENGINES(Engines, ListAnswerTest, Engine::SQLite, Engine::PostgreSQL);
VV_ENGINES(SQLite, FramedWindowTest, Engine::SQLite);

VV_ENGINES(Engines, PickerWindowTest, Engine::SQLite, Engine::PostgreSQL);

} // namespace
