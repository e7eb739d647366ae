// Where the picker opens and where its settings file may be: positions out of
// any range, hostile settings folders, the fitted height and the real frame.
#include <support/PickerEnv.h>

#include <core/RequestState.h>
#include <grid/Twips.h>
#include <window/WindowSettings.h>

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace viVavazuruv;
using viVavazuruv::test::Engine;
using viVavazuruv::test::PickerEnv;
using namespace Qt::StringLiterals;

namespace {

// What a settings file outside the Stp folder holds: a width no default has.
const QByteArray kVictimLine(" 4215 , 5000 , 7777 , 600 , 900 \r\n");

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// Every file under a folder (links not followed) with its bytes, one a line.
std::string snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        files.insert(path, QFileInfo(path).isFile() && f.open(QIODevice::ReadOnly) ? f.readAll() : "(other)");
    }
    std::string text;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        text += it.key().toStdString() + ": " + it.value().trimmed().toStdString() + "\n";
    return text;
}

bool isFifo(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// Should a read or a write block on a FIFO (as it did), this opens the FIFO's
// other end after a while and feeds it the victim's line, so the test fails
// instead of hanging.
class FifoRescue {
public:
    explicit FifoRescue(const QString& fifo) : m_fifo(QFile::encodeName(fifo)) {
        m_thread = std::thread([this] {
            std::unique_lock lock(m_mutex);
            if (m_done.wait_for(lock, std::chrono::seconds(3), [this] { return m_finished; }))
                return;
            const int fd = ::open(m_fifo.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0)
                return;
            m_rescued = true;
            [[maybe_unused]] const auto written =
                ::write(fd, kVictimLine.constData(), size_t(kVictimLine.size()));
            m_done.wait(lock, [this] { return m_finished; });
            ::close(fd);
        });
    }
    ~FifoRescue() { finish(); }
    // True when something had blocked on the FIFO.
    bool finish() {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        if (m_thread.joinable())
            m_thread.join();
        return m_rescued;
    }

private:
    QByteArray m_fifo;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    bool m_rescued = false;
    std::thread m_thread;
};

// A host that names a list's layout inside a folder of its own below Stp.
class FolderLayoutHost final : public ReferenceHost {
public:
    using ReferenceHost::ReferenceHost;
    QString LayoutFileName(const QString& ListCode, const QString&) override { return u"sub/"_s + ListCode; }
};

class WindowPlacementTest : public test::PickerTest {
protected:
    std::unique_ptr<wkDatabases_Form> loadForm() { return m_env->loadForm(); }
    void addRows(const QString& code, int count) {
        for (int i = 1; i <= count; ++i)
            m_env->addEntry(code, u"G"_s, u"Entry %1"_s.arg(i, 3, 10, QLatin1Char('0')));
    }
    QString stpFolder() const { return m_env->dataFolder() + u"/Stp"_s; }
};

// --- settings folder --------------------------------------------------------

struct HostileLayout {
    const char* what;
    // The host names the layout "sub/PROC" instead of "PROC".
    bool folderInName;
    // Plants the hostile layout; stp is the host's Stp folder, outside a folder elsewhere.
    std::function<void(const QString& stp, const QString& outside)> plant;
};

const HostileLayout kHostileLayouts[] = {
    {"a link two hops out of the folder", false,
     [](const QString& stp, const QString& outside) {
         writeFile(outside + u"/PROC.STP"_s, kVictimLine);
         ASSERT_TRUE(QFile::link(outside + u"/PROC.STP"_s, stp + u"/HOP.STP"_s));
         ASSERT_TRUE(QFile::link(stp + u"/HOP.STP"_s, stp + u"/PROC.STP"_s));
     }},
    {"a dangling link two hops out of the folder", false,
     [](const QString& stp, const QString& outside) {
         ASSERT_TRUE(QFile::link(outside + u"/NEW.STP"_s, stp + u"/HOP.STP"_s));
         ASSERT_TRUE(QFile::link(stp + u"/HOP.STP"_s, stp + u"/PROC.STP"_s));
     }},
    {"the Stp folder a link to another folder", false,
     [](const QString& stp, const QString& outside) {
         writeFile(outside + u"/PROC.STP"_s, kVictimLine);
         ASSERT_TRUE(QDir(stp).removeRecursively());
         ASSERT_TRUE(QFile::link(outside, stp));
     }},
    {"a layout name whose folder part links out", true,
     [](const QString& stp, const QString& outside) {
         writeFile(outside + u"/PROC.STP"_s, kVictimLine);
         ASSERT_TRUE(QFile::link(outside, stp + u"/sub"_s));
     }},
    {"a FIFO at the settings file's place", false,
     [](const QString& stp, const QString&) {
         ASSERT_EQ(::mkfifo(QFile::encodeName(stp + u"/PROC.STP"_s).constData(), 0600), 0);
     }},
};

TEST_P(WindowPlacementTest, OnlyARegularFileInsideTheStpFolderIsReadOrWritten) {
    for (const HostileLayout& hostile : kHostileLayouts) {
        SCOPED_TRACE(hostile.what);
        QTemporaryDir outside;
        ASSERT_TRUE(QDir().mkpath(stpFolder()));
        if (hostile.folderInName)
            m_env->component().put_GIC(std::make_shared<FolderLayoutHost>(
                m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder()));
        hostile.plant(stpFolder(), outside.path());
        const QString fifo = stpFolder() + u"/PROC.STP"_s;
        const bool planted = isFifo(fifo);
        const auto before = snapshot(outside.path());
        PickerEnv::prepareRequest(u"PROC"_s, true);

        {
            FifoRescue rescue(planted ? fifo : QString());
            const auto started = std::chrono::steady_clock::now();
            auto form = loadForm();
            EXPECT_FALSE(rescue.finish()) << "the window waited for the FIFO";
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
            // Refused quietly: the defaults, to be fitted to the list.
            EXPECT_EQ(std::pair(form->FormWidth(), form->tag()), std::pair(4125, u"NO STP"_s));

            FifoRescue writeRescue(planted ? fifo : QString());
            form->Form_Activate(); // loading is over: a resize is now kept
            form->setFormWidth(6000);
            EXPECT_FALSE(writeRescue.finish()) << "the window waited for the FIFO";
        }
        EXPECT_EQ(snapshot(outside.path()), before);
        if (planted) {
            EXPECT_TRUE(isFifo(fifo)) << "the FIFO was replaced";
        }
        EXPECT_TRUE(m_env->dialogs().asked().isEmpty());

        // The next layout starts from a plain, empty Stp folder and the reference host.
        m_env->component().put_GIC(std::shared_ptr<ReferenceHost>(std::shared_ptr<void>(), &m_env->host()));
        QFile::remove(stpFolder());
        ASSERT_TRUE(QDir(stpFolder()).removeRecursively());
    }
    // And a plain file there is still read and written.
    PickerEnv::prepareRequest(u"PROC"_s, true);
    ASSERT_TRUE(QDir().mkpath(stpFolder()));
    ASSERT_TRUE(
        writeWindowSettings(stpFolder() + u"/PROC.STP"_s, WindowSettings{4215, 5000, 6500, 900, 900}));
    auto form = loadForm();
    EXPECT_EQ(std::pair(form->FormWidth(), form->tag()), std::pair(6500, QString()));
    form->Form_Activate();
    form->setFormWidth(7000);
    EXPECT_EQ(readWindowSettings(stpFolder() + u"/PROC.STP"_s)->width, 7000);
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
    QString path;
    for (const bool keep : {false, true}) {
        for (const float top : positions) {
            for (const float left : {top, 500.0f}) {
                SCOPED_TRACE(testing::Message() << "keep " << keep << ", top " << top << ", left " << left);
                PickerEnv::prepareRequest(u"PROC"_s, keep);
                if (keep) {
                    // A stored position of 0 takes the caller's.
                    if (path.isEmpty())
                        loadForm()->Stp_File_Name(path);
                    ASSERT_TRUE(writeWindowSettings(path, WindowSettings{4215, 3255, 4125, 0, 0}));
                }
                PickerEnv::request().WindowTop = top;
                PickerEnv::request().WindowLeft = left;
                auto form = loadForm();
                EXPECT_TRUE(screen.contains(placed(*form).topLeft())) << text(placed(*form));
                EXPECT_TRUE(screen.contains(form->pos())) << text(QRect(form->pos(), QSize(1, 1)));
                form->Form_Activate();
                // The sizes and positions a caller can set, out of range too.
                for (const qint32 value :
                     {std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::min()}) {
                    form->setFormTop(value);
                    form->setFormLeft(value);
                    form->setFormHeight(value);
                    form->setFormWidth(value);
                    EXPECT_TRUE(screen.contains(placed(*form).topLeft())) << text(placed(*form));
                }
                form->setFormHeight(3255);
                form->setFormWidth(4125);
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
    QString path;
    loadForm()->Stp_File_Name(path);
    // 32000 twips is past any offscreen screen's right and bottom edge.
    ASSERT_TRUE(writeWindowSettings(path, WindowSettings{4215, 3000, 4000, 32000, 600}));
    auto form = loadForm();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect at = placed(*form);
    EXPECT_TRUE(screen.contains(at)) << text(at) << " on " << text(screen);
    // Moved no further than it takes: down to the bottom edge, left where it was.
    EXPECT_NEAR(at.bottom(), screen.bottom(), 1);
    EXPECT_EQ(form->FormLeft(), 600);
    EXPECT_EQ(form->FormHeight(), 3000);
}

// --- the fitted height and the real frame -----------------------------------------

class FramedWindowPlacementTest : public WindowPlacementTest {
protected:
    std::unique_ptr<wkDatabases_Form> showForm() {
        auto form = loadForm();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QRect last;
        for (int settled = 0; settled < 5; QTest::qWait(40))
            settled = form->frameGeometry() == std::exchange(last, form->frameGeometry()) ? settled + 1 : 0;
        return form;
    }
};

TEST_P(FramedWindowPlacementTest, AFittedHeightUsesTheFrameTheWindowReallyHas) {
    addRows(u"TWENTY"_s, 20);
    PickerEnv::prepareRequest(u"TWENTY"_s);
    // Before it is shown the window assumes a frame thicker than any window manager draws.
    wkDatabases_Form::assumeFrame(QMargins(10, 90, 10, 10));
    auto form = showForm();
    const QRect outer = form->frameGeometry();
    const QRect inner = form->geometry();
    ASSERT_LT(outer.height() - inner.height(), 100) << "the real frame is as thick as the assumed one";
    const qint32 border = qRound(grid::pixelsToTwipsY(outer.height() - inner.height()));
    EXPECT_NEAR(form->BorderHeight(), border, 15);

    const qint32 rowTwips = qRound(form->level(0).grid().RowHeightToTwips(1, 12.5f));
    const qint32 addTwips = qRound(grid::pixelsToTwipsY(form->level(0).cmd_Add->height()));
    qint32 wanted = addTwips + 21 * rowTwips + 915;
    const qint32 screenHeight = qRound(grid::screenSizeTwips().height());
    if (form->FormTop() + wanted > screenHeight - border)
        wanted = screenHeight - form->FormTop() - border;
    EXPECT_NEAR(qRound(grid::pixelsToTwipsY(outer.height())), wanted + border, 15);
    EXPECT_NEAR(form->FormHeight(), wanted + border, 15);
    EXPECT_EQ(form->tag(), QString());
    form->Unload();
}

INSTANTIATE_TEST_SUITE_P(SQLite, WindowPlacementTest, ::testing::Values(Engine::SQLite),
                         [](const auto& info) { return test::engineName(info.param); });
INSTANTIATE_TEST_SUITE_P(SQLite, FramedWindowPlacementTest, ::testing::Values(Engine::SQLite),
                         [](const auto& info) { return test::engineName(info.param); });

} // namespace
