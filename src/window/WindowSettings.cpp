#include "WindowSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <limits>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace viVavazuruv {

namespace {
// A real file is about 40 bytes; anything much larger is not ours.
constexpr qint64 kMaxFileSize = 4096;

std::optional<qint16> parseNumber(const QByteArray& field) {
    const QByteArray text = field.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(value);
}

// A file descriptor, closed when it goes.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(Fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            close();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { close(); }
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    void close() {
        if (m_fd >= 0)
            ::close(std::exchange(m_fd, -1));
    }

private:
    int m_fd;
};

// The path as the system resolves it, every link followed; empty when it does not resolve.
QString resolved(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(native.constData(), nullptr), &std::free);
    return real ? QFile::decodeName(real.get()) : QString();
}

QString absolute(const QString& path) {
    return QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
}

bool isInside(const QString& canonical, const QString& folder) {
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return canonical.startsWith(prefix) && canonical.size() > prefix.size();
}

// The folder's canonical path when it is a real folder: it exists, and it is
// not itself a link (its canonical path is its parent's plus its own name).
QString realFolder(const QString& folder) {
    const QString named = QDir::cleanPath(absolute(folder));
    const QString canonical = resolved(named);
    if (canonical.isEmpty())
        return {};
    struct stat st {};
    if (::stat(QFile::encodeName(canonical).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    if (named == QLatin1String("/"))
        return canonical;
    const qsizetype slash = named.lastIndexOf(QLatin1Char('/'));
    const QString parent = resolved(slash == 0 ? QStringLiteral("/") : named.left(slash));
    if (parent.isEmpty())
        return {};
    const QString expected =
        (parent.endsWith(QLatin1Char('/')) ? parent : parent + QLatin1Char('/')) + named.mid(slash + 1);
    return canonical == expected ? canonical : QString();
}

// Where a settings file may be read or written: its folder, opened, and its
// name in it. Resolved once, by canonical paths; from here on nothing is
// looked up by a path that a link planted meanwhile could redirect.
struct Place {
    Fd dir;
    QByteArray name;
    bool exists = false;
    mode_t mode = 0;
};

std::optional<Place> locate(const QString& path, const QString& folder, bool forWriting) {
    const QString root = realFolder(folder);
    if (root.isEmpty() || path.isEmpty())
        return std::nullopt;
    const QString named = absolute(path);
    Place place;
    QString directory;
    struct stat link {};
    if (::lstat(QFile::encodeName(named).constData(), &link) == 0) {
        // Something is there: what it resolves to must be a regular file inside the folder.
        const QString canonical = resolved(named);
        if (canonical.isEmpty() || !isInside(canonical, root))
            return std::nullopt;
        struct stat st {};
        if (::stat(QFile::encodeName(canonical).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            return std::nullopt;
        const qsizetype slash = canonical.lastIndexOf(QLatin1Char('/'));
        directory = canonical.left(slash);
        place.name = QFile::encodeName(canonical.mid(slash + 1));
        place.exists = true;
        place.mode = st.st_mode & 07777;
    } else {
        // Nothing is there (not even a dangling link): a new file, in a folder inside the folder.
        if (errno != ENOENT || !forWriting)
            return std::nullopt;
        const qsizetype slash = named.lastIndexOf(QLatin1Char('/'));
        const QString name = named.mid(slash + 1);
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            return std::nullopt;
        directory = resolved(slash == 0 ? QStringLiteral("/") : named.left(slash));
        if (directory.isEmpty() || (directory != root && !isInside(directory, root)))
            return std::nullopt;
        place.name = QFile::encodeName(name);
    }

    // Open the folder, then each folder below it, none of them through a link.
    constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    place.dir = Fd(::open(QFile::encodeName(root).constData(), kDirFlags));
    if (!place.dir)
        return std::nullopt;
    const QStringList below = directory.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : below) {
        place.dir = Fd(::openat(place.dir.get(), QFile::encodeName(part).constData(), kDirFlags));
        if (!place.dir)
            return std::nullopt;
    }
    return place;
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

QString ownFolder(const QString& path) {
    return QFileInfo(path).absolutePath();
}
} // namespace

std::optional<WindowSettings> readWindowSettings(const QString& path, const QString& folder) {
    const auto place = locate(path, folder, false);
    if (!place)
        return std::nullopt;
    // Never through a link planted since, and never waiting for a FIFO's writer.
    const Fd file(::openat(place->dir.get(), place->name.constData(),
                           O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (!file)
        return std::nullopt;
    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize)
        return std::nullopt;
    QByteArray content(kMaxFileSize + 1, Qt::Uninitialized);
    qsizetype size = 0;
    while (size < content.size()) {
        const ssize_t got = ::read(file.get(), content.data() + size, size_t(content.size() - size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        size += got;
    }
    if (size > kMaxFileSize)
        return std::nullopt;
    content.truncate(size);

    const qsizetype end = content.indexOf('\n');
    const QByteArray line = end < 0 ? content : content.left(end + 1);
    if (line.contains('\0'))
        return std::nullopt;
    const QList<QByteArray> fields = line.trimmed().split(',');
    if (fields.size() != 5)
        return std::nullopt;
    qint16 values[5];
    for (int i = 0; i < 5; ++i) {
        const auto number = parseNumber(fields.at(i));
        if (!number)
            return std::nullopt;
        values[i] = *number;
    }
    return WindowSettings{values[0], values[1], values[2], values[3], values[4]};
}

std::optional<WindowSettings> readWindowSettings(const QString& path) {
    return readWindowSettings(path, ownFolder(path));
}

QByteArray formatWindowSettings(const WindowSettings& s) {
    QByteArray line;
    const qint16 values[5] = {s.marker, s.height, s.width, s.top, s.left};
    for (int i = 0; i < 5; ++i) {
        if (i > 0)
            line += ',';
        line += ' ' + QByteArray::number(values[i]) + ' ';
    }
    return line + "\r\n";
}

bool writeWindowSettings(const QString& path, const QString& folder, const WindowSettings& settings) {
    const auto place = locate(path, folder, true);
    if (!place)
        return false;
    const int dir = place->dir.get();
    // A new file beside it, renamed over it once complete: a crash leaves the old
    // file, and a link planted at its place is replaced, not followed.
    QByteArray temporary;
    Fd file;
    for (int attempt = 0; attempt < 16 && !file; ++attempt) {
        temporary =
            '.' + place->name + ".tmp" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        file = Fd(::openat(dir, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                           place->exists ? place->mode : 0666));
        if (!file && errno != EEXIST)
            return false;
    }
    if (!file)
        return false;
    bool ok = (!place->exists || ::fchmod(file.get(), place->mode) == 0) &&
              writeAll(file.get(), formatWindowSettings(settings)) && ::fsync(file.get()) == 0;
    file.close();
    ok = ok && ::renameat(dir, temporary.constData(), dir, place->name.constData()) == 0;
    if (!ok)
        ::unlinkat(dir, temporary.constData(), 0);
    return ok;
}

bool writeWindowSettings(const QString& path, const WindowSettings& settings) {
    return writeWindowSettings(path, ownFolder(path), settings);
}

} // namespace viVavazuruv
