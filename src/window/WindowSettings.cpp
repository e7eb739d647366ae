#include "WindowSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <limits>

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
} // namespace

bool leavesItsFolder(const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink())
        return false;
    // Only a link to a file beside it stays in the folder.
    const QFileInfo target(info.symLinkTarget());
    return QDir(target.absolutePath()).canonicalPath() != QDir(info.absolutePath()).canonicalPath();
}

std::optional<WindowSettings> readWindowSettings(const QString& path) {
    if (leavesItsFolder(path))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.size() > kMaxFileSize)
        return std::nullopt;
    QByteArray line = file.readLine(kMaxFileSize);
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

bool writeWindowSettings(const QString& path, const WindowSettings& settings) {
    // A link planted where the file belongs must not carry the write elsewhere.
    if (leavesItsFolder(path))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(formatWindowSettings(settings));
    return file.commit();
}

} // namespace viVavazuruv
