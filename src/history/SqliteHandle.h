#pragma once

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

struct sqlite3;

namespace viVavazuruv::history {

// The SQLite library's own handle of a QSQLITE connection; null for any other driver.
inline sqlite3* sqliteHandle(const QSqlDatabase& db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

} // namespace viVavazuruv::history
