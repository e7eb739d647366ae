// Where the picker opens and where its settings file may be: positions out of
// any range and settings folders that lead elsewhere (the fitted height and the
// real frame are PickerWindowTest's framed cases).
#include "WindowTest.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <limits>

namespace {

// A host that names a list's layout inside a folder of its own below Stp.
class FolderLayoutHost final : public ReferenceHost {
public:
    using ReferenceHost::ReferenceHost;
    QString LayoutFileName(const QString& ListCode, const QString&) override { return u"sub/"_s + ListCode; }
};

class WindowPlacementTest : public test::WindowTest {};

// --- settings folder --------------------------------------------------------

// The window names the Stp folder as the one the settings file must stay in;
// links, FIFOs and odd files inside it are WindowSettingsTest's, on the file
// alone. Here: the two ways out that only the window's choice of folder stops.
TEST_P(WindowPlacementTest, ASettingsFolderLeadingOutOfStpIsNeitherReadNorWritten) {
    const QString stp = m_env->dataFolder() + u"/Stp"_s;
    const QByteArray victim(" 4215 , 5000 , 7777 , 600 , 900 \r\n"); // a width no default has
    for (const bool folderInName : {false, true}) {
        SCOPED_TRACE(folderInName ? "a layout name whose folder part links out"
                                  : "Stp a link to another folder");
        QTemporaryDir outside;
        QFile file(outside.filePath(u"PROC.STP"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(victim) == victim.size());
        file.close();
        QFile::remove(stp);
        ASSERT_TRUE(QDir(stp).removeRecursively());
        if (folderInName) {
            m_env->component().put_GIC(std::make_shared<FolderLayoutHost>(
                m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder()));
            ASSERT_TRUE(QDir().mkpath(stp) && QFile::link(outside.path(), stp + u"/sub"_s));
        } else {
            ASSERT_TRUE(QFile::link(outside.path(), stp));
        }
        PickerEnv::prepareRequest(u"PROC"_s, true);
        auto form = m_env->loadForm();
        // Refused quietly: the defaults, to be fitted to the list.
        EXPECT_EQ(std::pair(form->FormWidth(), form->tag()), std::pair(4125, u"NO STP"_s));
        form->Form_Activate(); // loading is over: a resize is now kept
        form->setFormWidth(6000);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), victim);
        EXPECT_EQ(QDir(outside.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"PROC.STP"_s});
        EXPECT_TRUE(m_env->dialogs().asked().isEmpty());
    }
}

// --- positions out of range ---------------------------------------------------

std::string text(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

// The window's outer rectangle in pixels, as placed.
QRect placed(const wkDatabases_Form& form) {
    return QRect(grid::twipsToPixelsX(form.FormLeft()), grid::twipsToPixelsY(form.FormTop()),
                 grid::twipsToPixelsX(form.FormWidth()), grid::twipsToPixelsY(form.FormHeight()));
}

TEST_P(WindowPlacementTest, AnyCallersPositionOpensTheWindowOnTheScreen) {
    addRows(u"PROC"_s, 3);
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float positions[] = {2147483648.0f, 3.4e38f,       2147483520.0f, 1e9f, -1e9f, -2147483648.0f,
                               -3.4e38f,      std::nanf(""), inf,           -inf, 4e6f,  -4e6f};
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const bool keep : {false, true}) {
        for (const float top : positions) {
            for (const float left : {top, 500.0f}) {
                SCOPED_TRACE(testing::Message() << "keep " << keep << ", top " << top << ", left " << left);
                PickerEnv::prepareRequest(u"PROC"_s, keep);
                if (keep) {
                    // A stored position of 0 takes the caller's.
                    ASSERT_TRUE(writeWindowSettings(settingsPath(), WindowSettings{4215, 3255, 4125, 0, 0}));
                }
                PickerEnv::request().WindowTop = top, PickerEnv::request().WindowLeft = left;
                auto form = m_env->loadForm();
                EXPECT_TRUE(screen.contains(placed(*form).topLeft())) << text(placed(*form));
                EXPECT_TRUE(screen.contains(form->pos())) << text(QRect(form->pos(), QSize(1, 1)));
                form->Form_Activate();
                // The sizes and positions a caller can set, out of range too.
                for (const qint32 value :
                     {std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::min()}) {
                    form->setFormTop(value), form->setFormLeft(value);
                    form->setFormHeight(value), form->setFormWidth(value);
                    EXPECT_TRUE(screen.contains(placed(*form).topLeft())) << text(placed(*form));
                }
                form->setFormHeight(3255), form->setFormWidth(4125);
                form->show();
                EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
                EXPECT_TRUE(screen.intersects(form->frameGeometry())) << text(form->frameGeometry());
                form->Unload();
            }
        }
    }
}

TEST_P(WindowPlacementTest, AStoredPositionOffEveryScreenOpensOnTheNearestEdge) {
    PickerEnv::prepareRequest(u"PROC"_s, true);
    // 32000 twips is past any offscreen screen's right and bottom edge.
    ASSERT_TRUE(writeWindowSettings(settingsPath(), WindowSettings{4215, 3000, 4000, 32000, 600}));
    auto form = m_env->loadForm();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect at = placed(*form);
    EXPECT_TRUE(screen.contains(at)) << text(at) << " on " << text(screen);
    // Moved no further than it takes: down to the bottom edge, left where it was.
    EXPECT_NEAR(at.bottom(), screen.bottom(), 1);
    EXPECT_EQ(std::pair(form->FormLeft(), form->FormHeight()), std::pair(600, 3000));
}

VV_ENGINES(SQLite, WindowPlacementTest, Engine::SQLite);

} // namespace
