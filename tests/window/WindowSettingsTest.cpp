#include <window/WindowSettings.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace viVavazuruv;

namespace {

class WindowSettingsFileTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("CRECARD.STP")) const { return m_dir.filePath(name); }
    void writeRaw(const QByteArray& bytes) const {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir m_dir;
};

TEST_F(WindowSettingsFileTest, WritesOneLineOfFiveBlankedNumbersAndReadsItBack) {
    const WindowSettings s{4215, 3255, 4125, 1000, 3000};
    EXPECT_EQ(formatWindowSettings(s), QByteArray(" 4215 , 3255 , 4125 , 1000 , 3000 \r\n"));
    ASSERT_TRUE(writeWindowSettings(path(), s));
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray(" 4215 , 3255 , 4125 , 1000 , 3000 \r\n"));
    EXPECT_EQ(readWindowSettings(path()), s);
}

TEST_F(WindowSettingsFileTest, ReadingIgnoresBlanksAndReadsWhatTheWriterWrites) {
    writeRaw("4300,5000,6000,0,0\n");
    EXPECT_EQ(readWindowSettings(path()), (WindowSettings{4300, 5000, 6000, 0, 0}));
    // A window dragged past the screen's top left corner.
    ASSERT_TRUE(writeWindowSettings(path(), WindowSettings{4215, 3255, 4125, -600, -32768}));
    EXPECT_EQ(readWindowSettings(path()), (WindowSettings{4215, 3255, 4125, -600, -32768}));
    writeRaw("  4215 ,  3255,4125 , 1 ,  2  \r\n");
    EXPECT_EQ(readWindowSettings(path()), (WindowSettings{4215, 3255, 4125, 1, 2}));
}

struct BadFile {
    const char* name;
    QByteArray bytes;
};

// A literal with NULs inside, taken whole (without its terminator).
template <size_t N> QByteArray withNul(const char (&bytes)[N]) {
    return QByteArray(bytes, qsizetype(N - 1));
}

class WindowSettingsFallbackTest : public WindowSettingsFileTest,
                                   public ::testing::WithParamInterface<BadFile> {};

TEST_P(WindowSettingsFallbackTest, UnusableFilesGiveNothing) {
    writeRaw(GetParam().bytes);
    EXPECT_FALSE(readWindowSettings(path()).has_value()) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, WindowSettingsFallbackTest,
    ::testing::Values(BadFile{"empty", QByteArray()}, BadFile{"blank line", QByteArray("\r\n")},
                      BadFile{"garbage", QByteArray("hello, world")},
                      BadFile{"binary", withNul("\x00\x01\x02\xff 4215")},
                      BadFile{"nul inside", withNul(" 4215 , 3255\x00, 4125 , 1 , 2 ")},
                      BadFile{"overflowing", QByteArray(" 4215 , 99999 , 4125 , 1000 , 3000 \r\n")},
                      BadFile{"underflowing", QByteArray(" 4215 , 3255 , 4125 , -32769 , 3000 \r\n")},
                      BadFile{"four numbers", QByteArray(" 4215 , 3255 , 4125 , 1000 \r\n")},
                      BadFile{"six numbers", QByteArray(" 4215 , 3255 , 4125 , 1000 , 3000 , 7 \r\n")},
                      BadFile{"fraction", QByteArray(" 4215 , 3255.5 , 4125 , 1000 , 3000 \r\n")},
                      BadFile{"empty field", QByteArray(" 4215 , , 4125 , 1000 , 3000 \r\n")},
                      BadFile{"huge", QByteArray(100000, '7')}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& c : n)
            if (c == ' ')
                c = '_';
        return n;
    });

TEST_F(WindowSettingsFileTest, MissingFileGivesNothingAndAFailedWriteKeepsTheOldFile) {
    EXPECT_FALSE(readWindowSettings(path(QStringLiteral("NONE.STP"))).has_value());
    EXPECT_FALSE(writeWindowSettings(m_dir.filePath(QStringLiteral("no/such/folder/X.STP")),
                                     WindowSettings{4215, 1, 1, 1, 1}));

    ASSERT_TRUE(writeWindowSettings(path(), WindowSettings{4215, 3255, 4125, 1000, 3000}));
    // A folder where the file should be cannot be replaced; the old content must survive elsewhere.
    QDir(m_dir.path()).mkdir(QStringLiteral("BLOCKED.STP"));
    EXPECT_FALSE(writeWindowSettings(path(QStringLiteral("BLOCKED.STP")), WindowSettings{4215, 9, 9, 9, 9}));
    EXPECT_EQ(readWindowSettings(path()), (WindowSettings{4215, 3255, 4125, 1000, 3000}));
}

TEST_F(WindowSettingsFileTest, ALinkOutOfTheFolderIsNeitherReadNorWrittenThrough) {
    QTemporaryDir outside;
    const QString victim = outside.filePath(QStringLiteral("victim"));
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(" 4215 , 3255 , 4125 , 1000 , 3000 \r\n");
    f.close();
    ASSERT_TRUE(QFile::link(victim, path()));
    EXPECT_FALSE(readWindowSettings(path()).has_value());
    EXPECT_FALSE(writeWindowSettings(path(), WindowSettings{4215, 1, 1, 1, 1}));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray(" 4215 , 3255 , 4125 , 1000 , 3000 \r\n"));

    // A link to a file beside it is the folder's own business.
    ASSERT_TRUE(writeWindowSettings(path(QStringLiteral("REAL.STP")), WindowSettings{4215, 2, 2, 2, 2}));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("REAL.STP")), path(QStringLiteral("ALIAS.STP"))));
    EXPECT_TRUE(readWindowSettings(path(QStringLiteral("ALIAS.STP"))).has_value());
}

} // namespace
