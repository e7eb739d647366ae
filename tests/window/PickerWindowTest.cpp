#include <support/PickerEnv.h>

#include <component/RequestState.h>
#include <help/HelpContext.h>
#include <platform/Twips.h>
#include <window/WindowSettings.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace viVavazuruv;
using viVavazuruv::test::Engine;
using viVavazuruv::test::PickerEnv;

namespace {

// The request an entry point makes for a list with a group and a description column.
void prepareRequest(const QString& listCode, bool keepLayout = false, const QString& options = {},
                    const QString& groupCaption = QStringLiteral("Gp"),
                    const QString& descriptionCaption = QStringLiteral("Description")) {
    RequestState& state = RequestState::instance();
    state.WindowTop = 0;
    state.WindowLeft = 0;
    state.PrepareListRequest({false, descriptionCaption, QStringLiteral("Test Database"),
                              QStringLiteral("Database = ") + listCode, options, QString()},
                             0, 0);
    state.ColumnCaptions(1) = groupCaption;
    state.KeepWindowLayout = keepLayout;
    state.DatabaseCode = listCode;
}

class PickerWindowTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        m_env = PickerEnv::create(GetParam());
        if (!m_env)
            GTEST_SKIP() << test::engineName(GetParam()) << " is not available";
    }
    std::unique_ptr<wkDatabases_Form> loadForm() {
        auto form = std::make_unique<wkDatabases_Form>(RequestState::instance(), m_env->dialogsRef());
        form->Load();
        return form;
    }
    void addRows(const QString& code, int count) {
        for (int i = 1; i <= count; ++i)
            m_env->addEntry(code, QStringLiteral("G"),
                            QStringLiteral("Entry %1").arg(i, 3, 10, QLatin1Char('0')));
    }
    std::unique_ptr<PickerEnv> m_env;
};

TEST_P(PickerWindowTest, LoadSortsTrimsMarksRowsAndFindsTheColumns) {
    m_env->addEntry(QStringLiteral("CRECARD"), QStringLiteral(" V  "), QStringLiteral("  Visa "));
    m_env->addEntry(QStringLiteral("CRECARD"), QStringLiteral("MC"), QStringLiteral("MasterCard"));
    m_env->addEntry(QStringLiteral("CRECARD"), QStringLiteral("AX"), QStringLiteral("American Express"));
    m_env->addEntry(QStringLiteral("CRECARD"), QStringLiteral("AX"), QStringLiteral("Amex Blue"));
    m_env->addEntry(QStringLiteral("ALERT"), QStringLiteral("AX"), QStringLiteral("Not this list"));
    prepareRequest(QStringLiteral("CRECARD"));
    auto form = loadForm();
    const FormLevel& lvl = form->level(0);
    IGridControl& grid = lvl.grid();

    ASSERT_EQ(grid.MaxRows(), 4);
    EXPECT_EQ(grid.MaxCols(), 7);
    const QStringList expected{QStringLiteral("American Express"), QStringLiteral("Amex Blue"),
                               QStringLiteral("MasterCard"), QStringLiteral("Visa")};
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(grid.GetText(2, r), expected.at(r - 1)) << r;
        EXPECT_EQ(grid.GetText(7, r), QStringLiteral("E")) << r;
        EXPECT_FALSE(grid.GetText(6, r).isEmpty());
    }
    EXPECT_EQ(grid.GetText(1, 4), QStringLiteral("V"));
    EXPECT_EQ(lvl.ColumnCount, 6);
    EXPECT_EQ(lvl.StatusColumn, 7);
    EXPECT_EQ(lvl.DescriptionColumn, 2);
    EXPECT_EQ(lvl.GroupColumn, 1);
    EXPECT_FALSE(lvl.ListChanged);
    EXPECT_EQ(lvl.FrameTag, QStringLiteral("CRECARD"));
    EXPECT_EQ(grid.GetText(1, 0), QStringLiteral("Gp"));
    EXPECT_EQ(grid.GetText(2, 0), QStringLiteral("Description"));
    for (int c : {3, 4, 5, 6, 7}) {
        grid.setCol(c);
        EXPECT_TRUE(grid.ColHidden()) << c;
    }
    grid.setCol(2);
    EXPECT_FALSE(grid.ColHidden());
    EXPECT_EQ(grid.OperationMode(), 3);
    EXPECT_EQ(grid.ShadowColor(), 0x000080u);
    EXPECT_EQ(grid.ShadowText(), 0xFFFFE8u);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Test Database"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_P(PickerWindowTest, TheFirstTitleLineDecidesAboutPipeSigns) {
    m_env->addEntry(QStringLiteral("PROC"), QStringLiteral("10"), QStringLiteral("Exam |T#"));
    m_env->addEntry(QStringLiteral("PROC"), QStringLiteral("*m"), QStringLiteral("$-Restorative"));
    m_env->addEntry(QStringLiteral("PROC"), QStringLiteral("X"), QStringLiteral("$-Surgery"));
    m_env->addEntry(QStringLiteral("LATER"), QStringLiteral("X"), QStringLiteral("$-First title"));
    m_env->addEntry(QStringLiteral("LATER"), QStringLiteral("*M"), QStringLiteral("$-Second title"));
    prepareRequest(QStringLiteral("PROC"));
    auto form = loadForm();
    EXPECT_EQ(form->level(0).PipeSignLevel, -1);

    prepareRequest(QStringLiteral("LATER"));
    form = loadForm();
    EXPECT_EQ(form->level(0).PipeSignLevel, 0);

    // Without a group column a list has no title lines at all.
    prepareRequest(QStringLiteral("PROC"), false, {}, QStringLiteral("Code"), QStringLiteral("Description"));
    form = loadForm();
    EXPECT_EQ(form->level(0).GroupColumn, 0);
    EXPECT_EQ(form->level(0).DescriptionColumn, 0);
    EXPECT_EQ(form->level(0).PipeSignLevel, -2);
}

TEST_P(PickerWindowTest, AnEmptyListShowsItsHeaderAndNoRows) {
    prepareRequest(QStringLiteral("EMPTY"));
    auto form = loadForm();
    EXPECT_EQ(form->level(0).grid().MaxRows(), 0);
    EXPECT_EQ(form->level(0).grid().DataRowCnt(), 0);
    EXPECT_EQ(form->level(0).grid().GetText(2, 0), QStringLiteral("Description"));
    EXPECT_EQ(form->Tag, QStringLiteral("NO STP")); // one header row only: nothing to fit
}

TEST_P(PickerWindowTest, ControlsAreNamedAndCarryTheHelpTopic) {
    prepareRequest(QStringLiteral("CRECARD"), false, QStringLiteral("NOADD,NODELETE"));
    auto form = loadForm();
    EXPECT_EQ(HelpContextID(form.get()), 673);
    for (const char* name : {"cmd_Select_0", "cmd_Edit_0", "cmd_Add_0", "cmd_Cancel_0", "cmd_Del_0",
                             "uddbs_SS_0", "Uddbs_Frame_0", "uddbs_SBar_0"}) {
        auto* widget = form->findChild<QWidget*>(QLatin1String(name));
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(HelpContextID(widget), 0) << name;
    }
    EXPECT_EQ(form->level(0).cmd_Select->text(), QStringLiteral("&OK"));
    EXPECT_EQ(form->level(0).cmd_Edit->text(), QStringLiteral("&Edit"));
    EXPECT_EQ(form->level(0).cmd_Cancel->text(), QStringLiteral("&Close"));
    EXPECT_TRUE(form->level(0).cmd_Edit->isHidden()); // "NOADD": the list cannot be changed
    EXPECT_TRUE(form->level(0).cmd_Add->isHidden());
    EXPECT_TRUE(form->level(0).cmd_Del->isHidden());

    prepareRequest(QStringLiteral("CRECARD"));
    form = loadForm();
    EXPECT_FALSE(form->level(0).cmd_Edit->isHidden());
}

TEST_P(PickerWindowTest, ButtonsAndGridArePlacedInTwips) {
    addRows(QStringLiteral("LIST"), 5);
    prepareRequest(QStringLiteral("LIST"));
    auto form = loadForm();
    const FormLevel& lvl = form->level(0);
    const auto twipsOf = [](const QRect& r) {
        return QRect(qRound(platform::pixelsToTwipsX(r.x())), qRound(platform::pixelsToTwipsY(r.y())),
                     qRound(platform::pixelsToTwipsX(r.width())),
                     qRound(platform::pixelsToTwipsY(r.height())));
    };
    const QRect frame = twipsOf(lvl.Uddbs_Frame->geometry());
    EXPECT_NEAR(frame.left(), 45, 15);
    EXPECT_NEAR(frame.top(), 45, 15);
    EXPECT_NEAR(twipsOf(lvl.cmd_Select->geometry()).left(), 120, 15);
    EXPECT_NEAR(twipsOf(lvl.cmd_Select->geometry()).top(), 240, 15);
    EXPECT_NEAR(twipsOf(lvl.cmd_Edit->geometry()).left(), 1230, 15);
    EXPECT_NEAR(twipsOf(lvl.cmd_Cancel->geometry()).left(), frame.width() - 1110, 15);
    EXPECT_NEAR(twipsOf(lvl.cmd_Select->geometry()).width(), 990, 15);
    EXPECT_NEAR(lvl.grid().Top(), 660, 15);
    EXPECT_NEAR(lvl.grid().Left(), 120, 15);
    EXPECT_NEAR(lvl.grid().Width(), frame.width() - 240, 15);
    EXPECT_NEAR(lvl.grid().Height(), frame.height() - 750, 15);
}

TEST_P(PickerWindowTest, HeightIsFittedOnceForTwoRowsButNotForOne) {
    m_env->addEntry(QStringLiteral("ONE"), QStringLiteral("A"), QStringLiteral("Only"));
    prepareRequest(QStringLiteral("ONE"));
    auto form = loadForm();
    EXPECT_EQ(form->Tag, QStringLiteral("NO STP"));
    EXPECT_EQ(form->FormHeight(), 3255);

    addRows(QStringLiteral("TWENTY"), 20);
    prepareRequest(QStringLiteral("TWENTY"));
    form = loadForm();
    EXPECT_EQ(form->Tag, QString());
    const qint32 rowTwips = qRound(form->level(0).grid().RowHeightToTwips(1, 12.5f));
    const qint32 wanted = 375 + 21 * rowTwips + 915 + form->BorderHeight();
    EXPECT_NEAR(form->FormHeight(), std::min(wanted, qint32(platform::screenSizeTwips().height()) - 1000),
                15);
    EXPECT_GT(form->FormHeight(), 3255);
    EXPECT_EQ(form->FormTop(), 1000);
    EXPECT_EQ(form->FormLeft(), 3000);
}

TEST_P(PickerWindowTest, ALongListReachesTheBottomOfTheScreen) {
    addRows(QStringLiteral("LONG"), 150);
    prepareRequest(QStringLiteral("LONG"));
    RequestState::instance().WindowTop = 600;
    auto form = loadForm();
    const qint32 screen = qRound(platform::screenSizeTwips().height());
    EXPECT_EQ(form->FormTop(), 600);
    EXPECT_NEAR(form->FormTop() + form->FormHeight(), screen, 15);
}

TEST_P(PickerWindowTest, NestedLevelsCascadeAndLevelThreeOpensNoFourth) {
    addRows(QStringLiteral("OUTER"), 3);
    addRows(QStringLiteral("SURFACES"), 4);
    m_env->host().setCodeListKey(QStringLiteral("|SF"), QStringLiteral("SURFACES"));
    prepareRequest(QStringLiteral("OUTER"));
    auto form = loadForm();
    form->setFormHeight(9000);
    form->setFormWidth(9000);

    form->Open_Database_Level(0, QStringLiteral("|SF"));
    ASSERT_TRUE(form->hasLevel(1));
    EXPECT_EQ(form->CurrentLevel, 1);
    EXPECT_EQ(form->level(1).FrameTag, QStringLiteral("SURFACES"));
    EXPECT_EQ(form->level(1).grid().MaxRows(), 4);
    EXPECT_EQ(RequestState::instance().FrameCaptions.at(1), QStringLiteral("Database = |SF"));
    EXPECT_FALSE(form->level(1).Uddbs_Frame->isHidden());
    EXPECT_FALSE(form->level(0).grid().Enabled());
    EXPECT_TRUE(form->level(1).grid().Enabled());
    const auto frameTwips = [&](int lvl) {
        const QRect r = form->level(lvl).Uddbs_Frame->geometry();
        return QPoint(qRound(platform::pixelsToTwipsX(r.x())), qRound(platform::pixelsToTwipsY(r.y())));
    };
    EXPECT_NEAR(frameTwips(1).x(), 45 + 650, 15);
    EXPECT_NEAR(frameTwips(1).y(), 45 + 780, 15);

    form->Open_Database_Level(1, QStringLiteral("|SF"));
    form->Open_Database_Level(2, QStringLiteral("|SF"));
    ASSERT_TRUE(form->hasLevel(3));
    EXPECT_NEAR(frameTwips(3).y(), 45 + 3 * 780, 15);
    // In a lower window level 3's cascaded frame would be under 2000 twips high: it starts at the top.
    form->setFormHeight(4000);
    EXPECT_NEAR(frameTwips(3).y(), 45, 15);
    EXPECT_NEAR(frameTwips(1).y(), 45 + 780, 15);
    form->Open_Database_Level(3, QStringLiteral("|SF"));
    EXPECT_FALSE(form->hasLevel(4));
    EXPECT_EQ(form->CurrentLevel, 3);
    for (qint16 outside : {-1, 4})
        EXPECT_THROW(form->Create_Level_Controls(outside), AutomationError);
}

TEST_P(PickerWindowTest, KeptLayoutIsReadWrittenAndNotWrittenInEditModeOrWithANestedLevel) {
    addRows(QStringLiteral("PROC"), 3);
    prepareRequest(QStringLiteral("PROC"), true);
    RequestState::instance().WindowTop = 500;
    RequestState::instance().WindowLeft = 700;
    QString path;
    {
        auto form = loadForm();
        form->Stp_File_Name(path);
        EXPECT_TRUE(path.startsWith(m_env->dataFolder()));
        EXPECT_TRUE(path.endsWith(QStringLiteral(".STP")));
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_EQ(form->FormTop(), 500);
        EXPECT_EQ(form->FormLeft(), 700);
        EXPECT_EQ(form->FormWidth(), 4125);
        form->Form_Activate(); // loading is over: resizes are now kept
        form->setFormWidth(6000);
        ASSERT_TRUE(QFile::exists(path));
        const auto stored = readWindowSettings(path);
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->marker, 4215);
        EXPECT_EQ(stored->width, 6000);
        EXPECT_EQ(stored->top, 500);
        EXPECT_EQ(stored->left, 700);
        EXPECT_EQ(stored->height, form->FormHeight());

        // In edit mode, or with a nested level open, the window's size is not the list's.
        form->level(0).cmd_Edit->setText(QStringLiteral("D&one"));
        form->setFormWidth(7000);
        EXPECT_EQ(readWindowSettings(path)->width, 6000);
        form->level(0).cmd_Edit->setText(QStringLiteral("&Edit"));
        form->Open_Database_Level(0, QStringLiteral("PROC"));
        form->setFormWidth(7500);
        EXPECT_EQ(readWindowSettings(path)->width, 6000);
    }
    // A Top past the screen's edge (as a dragged window stores it) takes the caller's position.
    ASSERT_TRUE(writeWindowSettings(path, WindowSettings{4215, 5000, 6500, -300, 900}));
    RequestState::instance().WindowTop = 1500;
    auto form = loadForm();
    EXPECT_EQ(form->FormTop(), 1500);
    EXPECT_EQ(form->FormLeft(), 900);
    EXPECT_EQ(form->FormHeight(), 5000);
    EXPECT_EQ(form->FormWidth(), 6500);
    EXPECT_EQ(form->Tag, QString());
}

TEST_P(PickerWindowTest, AGarbageSettingsFileGivesTheDefaultsQuietly) {
    addRows(QStringLiteral("PROC"), 1);
    prepareRequest(QStringLiteral("PROC"), true);
    QString path;
    {
        auto form = loadForm();
        form->Stp_File_Name(path);
    }
    QDir().mkpath(QFileInfo(path).path());
    QFile garbage(path);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("\x01\x02 not numbers");
    garbage.close();
    auto form = loadForm();
    EXPECT_EQ(form->FormHeight(), 3255);
    EXPECT_EQ(form->FormWidth(), 4125);
    EXPECT_EQ(form->Tag, QStringLiteral("NO STP"));
    EXPECT_TRUE(m_env->dialogs().asked().isEmpty());
}

// A host whose caption service fails half way through a load.
class BrokenCaptionHost final : public ReferenceHost {
public:
    using ReferenceHost::ReferenceHost;
    QString CaptionText(const QString&) override {
        throw AutomationError(ErrorCode::HostError, QStringLiteral("caption service down"));
    }
};

TEST_P(PickerWindowTest, TheHourglassIsGoneAfterAFailedLoad) {
    auto broken =
        std::make_shared<BrokenCaptionHost>(m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder());
    m_env->component().put_GIC(broken);
    prepareRequest(QStringLiteral("CRECARD"));
    wkDatabases_Form form(RequestState::instance(), m_env->dialogsRef());
    EXPECT_THROW(form.Load(), AutomationError);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The window as a window manager frames it: Height and Width are the outer
// size. Runs offscreen and again under Xvfb with a real window manager.
class FramedWindowTest : public PickerWindowTest {
protected:
    std::unique_ptr<wkDatabases_Form> showForm() {
        auto form = loadForm();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        // Until the frame is known and every resize it caused has been seen.
        QRect last;
        for (int settled = 0; settled < 5; QTest::qWait(40))
            settled = form->frameGeometry() == std::exchange(last, form->frameGeometry()) ? settled + 1 : 0;
        return form;
    }
    static qint32 outerHeight(const QWidget& w) {
        return qRound(platform::pixelsToTwipsY(w.frameGeometry().height()));
    }
};

TEST_P(FramedWindowTest, ALongListEndsAtTheScreensBottomFrameIncluded) {
    addRows(QStringLiteral("LONG"), 150);
    prepareRequest(QStringLiteral("LONG"));
    RequestState::instance().WindowTop = 600;
    auto form = showForm();
    const QRect screen = form->screen()->geometry();
    EXPECT_NEAR(form->frameGeometry().bottom(), screen.bottom(), 2);
    EXPECT_NEAR(outerHeight(*form), form->FormHeight(), 15);
    form->Unload();
}

TEST_P(FramedWindowTest, AStoredSizeIsTheOuterSizeAndDoesNotGrowFromOpenToOpen) {
    addRows(QStringLiteral("PROC"), 3);
    prepareRequest(QStringLiteral("PROC"), true);
    QString path;
    loadForm()->Stp_File_Name(path);
    ASSERT_TRUE(writeWindowSettings(path, WindowSettings{4215, 5000, 6000, 600, 900}));
    for (int open = 1; open <= 3; ++open) {
        auto form = showForm();
        EXPECT_NEAR(outerHeight(*form), 5000, 15) << "open " << open;
        EXPECT_NEAR(qRound(platform::pixelsToTwipsX(form->frameGeometry().width())), 6000, 15);
        form->resize(form->size()); // a resize that changes nothing
        form->Unload();
        EXPECT_EQ(readWindowSettings(path)->height, 5000) << "open " << open;
    }
}

INSTANTIATE_TEST_SUITE_P(SQLite, FramedWindowTest, ::testing::Values(Engine::SQLite),
                         [](const auto& info) { return test::engineName(info.param); });

INSTANTIATE_TEST_SUITE_P(Engines, PickerWindowTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return test::engineName(info.param); });

} // namespace
