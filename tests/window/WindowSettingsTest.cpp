#include "WindowTest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <future>

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

TEST_F(WindowSettingsFileTest, WritesOneLineOfFiveBlankedNumbersAndReadsAnySpacing) {
    ASSERT_TRUE(writeWindowSettings(path(), WindowSettings{4215, 3255, 4125, 1000, 3000}));
    EXPECT_EQ(raw(path()), kLine);
    // A window dragged past the screen's top left corner.
    ASSERT_TRUE(writeWindowSettings(path(), WindowSettings{4215, 3255, 4125, -600, -32768}));
    EXPECT_EQ(readWindowSettings(path()), (WindowSettings{4215, 3255, 4125, -600, -32768}));
    for (const QByteArray& bytes :
         {QByteArray("4300,5000,6000,0,0\n"), QByteArray("  4300 ,  5000,6000 , 0 ,  0  \r\n")}) {
        writeRaw(bytes);
        EXPECT_EQ(readWindowSettings(path()), (WindowSettings{4300, 5000, 6000, 0, 0}))
            << bytes.toStdString();
    }
}

TEST_F(WindowSettingsFileTest, UnusableFilesGiveNothing) {
    // The two with NULs inside are taken whole, by length.
    for (const QByteArray& bytes : QList<QByteArray>{
             "", "\r\n", "hello, world", QByteArray("\x00\x01\x02\xff 4215", 9),
             QByteArray(" 4215 , 3255\x00, 4125 , 1 , 2 ", 28), " 4215 , 99999 , 4125 , 1000 , 3000 \r\n",
             " 4215 , 3255 , 4125 , -32769 , 3000 \r\n", " 4215 , 3255 , 4125 , 1000 \r\n",
             " 4215 , 3255 , 4125 , 1000 , 3000 , 7 \r\n", " 4215 , 3255.5 , 4125 , 1000 , 3000 \r\n",
             " 4215 , , 4125 , 1000 , 3000 \r\n", QByteArray(100000, '7')}) {
        writeRaw(bytes);
        EXPECT_FALSE(readWindowSettings(path()).has_value()) << bytes.left(60).toStdString();
    }
}

TEST_F(WindowSettingsFileTest, MissingFileGivesNothingAndAFailedWriteKeepsTheOldFile) {
    EXPECT_FALSE(readWindowSettings(path(u"NONE.STP"_s)).has_value());
    EXPECT_FALSE(
        writeWindowSettings(m_dir.filePath(u"no/such/folder/X.STP"_s), WindowSettings{4215, 1, 1, 1, 1}));

    ASSERT_TRUE(writeWindowSettings(path(), WindowSettings{4215, 3255, 4125, 1000, 3000}));
    // A folder where the file should be cannot be replaced; the old content must survive elsewhere.
    QDir(m_dir.path()).mkdir(u"BLOCKED.STP"_s);
    EXPECT_FALSE(writeWindowSettings(path(u"BLOCKED.STP"_s), WindowSettings{4215, 9, 9, 9, 9}));
    EXPECT_EQ(readWindowSettings(path()), (WindowSettings{4215, 3255, 4125, 1000, 3000}));
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

    // The folder itself a link to another one.
    ASSERT_TRUE(QFile::link(outside.path(), path(u"Stp"_s)));
    EXPECT_FALSE(readWindowSettings(path(u"Stp/victim"_s), path(u"Stp"_s)).has_value());
    EXPECT_FALSE(writeWindowSettings(path(u"Stp/victim"_s), path(u"Stp"_s), mine));
    EXPECT_FALSE(writeWindowSettings(path(u"Stp/other"_s), path(u"Stp"_s), mine));
    // A folder part of the name that links out.
    EXPECT_FALSE(readWindowSettings(path(u"Stp/victim"_s), m_dir.path()).has_value());
    EXPECT_FALSE(writeWindowSettings(path(u"Stp/victim"_s), m_dir.path(), mine));
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

} // namespace
