#pragma once

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <optional>

// What the tools share about a database file they may make: opening a
// sqlite: address that names no file makes one, and a run that fails must
// not leave that empty database behind for the next run to take as real.
namespace viVavazuruv::tools {

// The file a sqlite: address names; none for PostgreSQL and :memory:.
inline std::optional<QString> sqliteFile(const QString& url) {
    QString path = url.trimmed();
    if (!path.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive))
        return std::nullopt;
    path = path.mid(7);
    if (path.startsWith(QLatin1String("//")))
        path = path.mid(2);
    if (path.isEmpty() || path == QLatin1String(":memory:"))
        return std::nullopt;
    return path;
}

// The SQLite file the address names, when it does not exist yet.
inline std::optional<QString> missingFile(const QString& url) {
    const std::optional<QString> path = sqliteFile(url);
    return path && !QFileInfo::exists(*path) ? path : std::nullopt;
}

// Removes the file (and its journals) as it goes unless kept; the host must
// have closed it by then.
struct MadeDatabaseFile {
    std::optional<QString> path;
    bool keep = false;
    ~MadeDatabaseFile() {
        if (path && !keep)
            for (const char* suffix : {"", "-wal", "-shm", "-journal"})
                QFile::remove(*path + QLatin1String(suffix));
    }
};

} // namespace viVavazuruv::tools
