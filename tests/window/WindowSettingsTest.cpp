// The window's settings file on its own (links, FIFOs, odd files), then where
// the picker opens: positions out of any range and settings folders that lead
// elsewhere (the fitted height and the real frame are PickerWindowTest's framed cases).
#include "WindowTest.h"

#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <future>
#include <limits>

#include <sys/stat.h>

namespace {

const QByteArray kLine(" 4215 , 3255 , 4125 , 1000 , 3000 \r\n");

// A file's bytes, or what was written in place of them.
QByteArray raw(const QString& path, std::optional<QByteArray> write = {}) {
    QFile f(path);
    EXPECT_TRUE(f.open(write ? QIODevice::WriteOnly : QIODevice::ReadOnly));
    return write ? (f.write(*write), *write) : f.readAll();
}

class WindowSettingsFileTest : public ::testing::Test {
protected:
    QString path(const QString& name = u"CRECARD.STP"_s) const { return m_dir.filePath(name); }
    void writeRaw(const QByteArray& bytes) const { raw(path(), bytes); }
    QTemporaryDir m_dir;
};

// One line of five blanked numbers is written, read with any spacing; an
// unusable file gives nothing (a missing one: PickerWindowTest's kept layout),
// and a write that cannot be made says so.
TEST_F(WindowSettingsFileTest, OneLineOfFiveNumbersIsWrittenAndReadAndNothingElseIsRead) {
    ASSERT_TRUE(writeWindowSettings(path(), WindowSettings{4215, 3255, 4125, 1000, 3000}));
    EXPECT_EQ(raw(path()), kLine);
    // A window dragged past the screen's top left corner.
    ASSERT_TRUE(writeWindowSettings(path(), WindowSettings{4215, 3255, 4125, -600, -32768}));
    EXPECT_EQ(readWindowSettings(path()), (WindowSettings{4215, 3255, 4125, -600, -32768}));
    // Without blanks, ended by a bare line feed.
    writeRaw("4300,5000,6000,0,0\n");
    EXPECT_EQ(readWindowSettings(path()), (WindowSettings{4300, 5000, 6000, 0, 0}));
    // The one with a NUL inside is taken whole, by length.
    for (const QByteArray& bytes : QList<QByteArray>{
             "", QByteArray(" 4215 , 3255\x00, 4125 , 1 , 2 ", 28), " 4215 , 99999 , 4125 , 1000 , 3000 \r\n",
             " 4215 , 3255 , 4125 , -32769 , 3000 \r\n", " 4215 , 3255 , 4125 , 1000 \r\n",
             " 4215 , 3255 , 4125 , 1000 , 3000 , 7 \r\n", " 4215 , 3255.5 , 4125 , 1000 , 3000 \r\n",
             " 4215 , , 4125 , 1000 , 3000 \r\n", QByteArray(100000, '7')}) {
        writeRaw(bytes);
        EXPECT_FALSE(readWindowSettings(path()).has_value()) << bytes.left(60).toStdString();
    }
    EXPECT_FALSE(
        writeWindowSettings(m_dir.filePath(u"no/such/folder/X.STP"_s), WindowSettings{4215, 1, 1, 1, 1}));
    // A folder where the file should be cannot be replaced.
    QDir(m_dir.path()).mkdir(u"BLOCKED.STP"_s);
    EXPECT_FALSE(writeWindowSettings(path(u"BLOCKED.STP"_s), WindowSettings{4215, 9, 9, 9, 9}));
}

TEST_F(WindowSettingsFileTest, OnlyARegularFileThatStaysInsideTheFolderIsUsed) {
    QTemporaryDir outside;
    const QString victim = outside.filePath(u"victim"_s);
    raw(victim, kLine);
    const WindowSettings mine{4215, 1, 1, 1, 1};

    // One hop out, and two: the first link stays in the folder, the second leaves it.
    ASSERT_TRUE(QFile::link(victim, path(u"ONE.STP"_s)));
    ASSERT_TRUE(QFile::link(path(u"ONE.STP"_s), path(u"TWO.STP"_s)));
    for (const QString& name : {u"ONE.STP"_s, u"TWO.STP"_s})
        EXPECT_FALSE(readWindowSettings(path(name)).has_value() || writeWindowSettings(path(name), mine))
            << name.toStdString();
    EXPECT_EQ(raw(victim), kLine);

    // A dangling chain out of the folder creates nothing at its end.
    ASSERT_TRUE(QFile::link(outside.filePath(u"new"_s), path(u"DANGLE"_s)));
    ASSERT_TRUE(QFile::link(path(u"DANGLE"_s), path(u"NEW.STP"_s)));
    EXPECT_FALSE(writeWindowSettings(path(u"NEW.STP"_s), mine));
    EXPECT_FALSE(QFile::exists(outside.filePath(u"new"_s)));

    // A name leading up out of the folder (a folder that is a link, or a folder part of the
    // name that links out: WindowPlacementTest, through the window).
    EXPECT_FALSE(writeWindowSettings(path(u"../x.STP"_s), m_dir.path(), mine));
    EXPECT_EQ(raw(victim), kLine);
    EXPECT_EQ(QDir(outside.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"victim"_s});

    // A real folder below it is inside it; a link beside it is written where it leads, and stays a link.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"sub"_s));
    EXPECT_TRUE(writeWindowSettings(path(u"sub/IN.STP"_s), m_dir.path(), mine));
    EXPECT_EQ(readWindowSettings(path(u"sub/IN.STP"_s), m_dir.path()), mine);
    ASSERT_TRUE(writeWindowSettings(path(u"REAL.STP"_s), WindowSettings{4215, 2, 2, 2, 2}));
    ASSERT_TRUE(QFile::link(path(u"REAL.STP"_s), path(u"ALIAS.STP"_s)));
    EXPECT_TRUE(writeWindowSettings(path(u"ALIAS.STP"_s), mine));
    EXPECT_EQ(readWindowSettings(path(u"ALIAS.STP"_s)), mine); // read through the link too
    EXPECT_TRUE(QFileInfo(path(u"ALIAS.STP"_s)).isSymLink());
    // No temporary file is left behind.
    EXPECT_FALSE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).join(u' ').contains(u".tmp"_s));
}

TEST_F(WindowSettingsFileTest, AFifoIsNeitherWaitedForNorReplaced) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    auto reading = std::async(std::launch::async, [&] { return readWindowSettings(path()); });
    if (reading.wait_for(std::chrono::seconds(2)) != std::future_status::ready) {
        raw(path(), kLine); // lets the blocked read go, so the test fails instead of hanging
        FAIL() << "the read waited for a writer";
    }
    EXPECT_FALSE(reading.get().has_value());
    EXPECT_FALSE(writeWindowSettings(path(), WindowSettings{4215, 1, 1, 1, 1}));
    EXPECT_FALSE(QFileInfo(path()).isFile());
}

// A host that names a list's layout inside a folder of its own below Stp.
class FolderLayoutHost final : public ReferenceHost {
public:
    using ReferenceHost::ReferenceHost;
    QString LayoutFileName(const QString& ListCode, const QString&) override { return u"sub/"_s + ListCode; }
};

class WindowPlacementTest : public test::WindowTest {};

// The window names the Stp folder as the one the settings file must stay in;
// the file's own ways out are above. Here: the two that only the window's
// choice of folder stops.
TEST_P(WindowPlacementTest, ASettingsFolderLeadingOutOfStpIsNeitherReadNorWritten) {
    const QString stp = m_env->dataFolder() + u"/Stp"_s;
    const QByteArray victim(" 4215 , 5000 , 7777 , 600 , 900 \r\n"); // a width no default has
    for (const bool folderInName : {false, true}) {
        SCOPED_TRACE(folderInName ? "a layout name whose folder part links out"
                                  : "Stp a link to another folder");
        QTemporaryDir outside;
        const QString victimFile = outside.filePath(u"PROC.STP"_s);
        raw(victimFile, victim);
        QFile::remove(stp);
        ASSERT_TRUE(QDir(stp).removeRecursively());
        if (folderInName) {
            m_env->component().put_GIC(openHost<FolderLayoutHost>());
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
        EXPECT_EQ(raw(victimFile), victim);
        EXPECT_EQ(QDir(outside.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"PROC.STP"_s});
        EXPECT_TRUE(m_env->dialogs().asked().isEmpty());
    }
}

std::string text(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

// The window's outer rectangle in pixels, as placed.
QRect placed(const wkDatabases_Form& form) {
    return QRect(grid::twipsToPixelsX(form.FormLeft()), grid::twipsToPixelsY(form.FormTop()),
                 grid::twipsToPixelsX(form.FormWidth()), grid::twipsToPixelsY(form.FormHeight()));
}

TEST_P(WindowPlacementTest, AnyCallersOrStoredPositionOpensTheWindowOnTheScreen) {
    addRows(u"PROC"_s, 3);
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float positions[] = {2147483648.0f, 3.4e38f,       2147483520.0f, 1e9f, -1e9f, -2147483648.0f,
                               -3.4e38f,      std::nanf(""), inf,           -inf, 4e6f,  -4e6f};
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
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

    // 32000 twips is past any offscreen screen's right and bottom edge: moved no
    // further than it takes, up to the bottom edge, left where it was.
    PickerEnv::prepareRequest(u"PROC"_s, true);
    ASSERT_TRUE(writeWindowSettings(settingsPath(), WindowSettings{4215, 3000, 4000, 32000, 600}));
    auto form = m_env->loadForm();
    const QRect at = placed(*form);
    EXPECT_TRUE(screen.contains(at)) << text(at) << " on " << text(screen);
    EXPECT_NEAR(at.bottom(), screen.bottom(), 1);
    EXPECT_EQ(std::pair(form->FormLeft(), form->FormHeight()), std::pair(600, 3000));
}

VV_ENGINES(SQLite, WindowPlacementTest, Engine::SQLite);

} // namespace
