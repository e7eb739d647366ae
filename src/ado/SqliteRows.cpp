// Reading an SQLite result straight from the connection's own handle.
#include "SqliteRows.h"

#include <viVavazuruv/AutomationError.h>

#include <sqlite3.h>

#include <QCoreApplication>
#include <QScopeGuard>
#include <QSqlDriver>

namespace viVavazuruv::ado {

namespace {
bool isAscii(const unsigned char* bytes, int size) {
    for (int i = 0; i < size; ++i) {
        if (bytes[i] >= 0x80)
            return false;
    }
    return true;
}
} // namespace

std::unique_ptr<EngineRows> SqliteRows::read(const QString& source, const QSqlDatabase& db) {
    // The same rows and values the driver would give. Anything unusual goes
    // the driver's way.
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
    if (!connection)
        return nullptr;

    sqlite3_stmt* statement = nullptr;
    const void* tail = nullptr;
    const int prepared = sqlite3_prepare16_v2(connection, source.utf16(),
                                              int(source.size() * sizeof(char16_t)), &statement, &tail);
    const auto finalize = qScopeGuard([&] { sqlite3_finalize(statement); });
    if (prepared != SQLITE_OK)
        throw AutomationError(ErrorCode::DatabaseError,
                              QCoreApplication::translate("SqliteRows", "The query failed: %1")
                                  .arg(QString::fromUtf8(sqlite3_errmsg(connection))));
    // Only one statement that returns rows takes this way.
    const QString rest = QString::fromUtf16(static_cast<const char16_t*>(tail)).trimmed();
    if (!statement || sqlite3_column_count(statement) == 0 || !(rest.isEmpty() || rest == QLatin1String(";")))
        return nullptr;

    const int columns = sqlite3_column_count(statement);
    QVector<QString> names(columns);
    for (int c = 0; c < columns; ++c)
        names[c] = QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_name16(statement, c)));
    std::unique_ptr<SqliteRows> rows(new SqliteRows(std::move(names)));

    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        Chunk& chunk = rows->nextRow();
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                rows->putNumber(chunk, Kind::Int64, qint64(sqlite3_column_int64(statement, c)));
                break;
            case SQLITE_FLOAT:
                rows->putNumber(chunk, Kind::Double, sqlite3_column_double(statement, c));
                break;
            case SQLITE_BLOB: {
                const void* blob = sqlite3_column_blob(statement, c);
                rows->putBytes(chunk, Kind::Blob, blob, size_t(sqlite3_column_bytes(statement, c)));
                break;
            }
            case SQLITE_NULL:
                rows->putNull(chunk);
                break;
            default: {
                // Plain ASCII, nearly every list, is kept as SQLite stores it;
                // anything else takes SQLite's own UTF-16 conversion, so even
                // malformed bytes read exactly as the driver reads them.
                const unsigned char* text = sqlite3_column_text(statement, c);
                const int size = sqlite3_column_bytes(statement, c);
                if (isAscii(text, size)) {
                    rows->putBytes(chunk, Kind::Ascii, text, size_t(size));
                } else {
                    const void* wide = sqlite3_column_text16(statement, c);
                    rows->putBytes(chunk, Kind::Utf16, wide, size_t(sqlite3_column_bytes16(statement, c)));
                }
                break;
            }
            }
        }
    }
    if (step != SQLITE_DONE)
        throw AutomationError(ErrorCode::DatabaseError,
                              QCoreApplication::translate("SqliteRows", "Reading the rows failed: %1")
                                  .arg(QString::fromUtf8(sqlite3_errmsg(connection))));
    return rows;
}

} // namespace viVavazuruv::ado
