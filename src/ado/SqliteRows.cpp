// Reading an SQLite result straight from the connection's own handle.
#include "SqliteRows.h"

#include <viVavazuruv/AutomationError.h>

#include <sqlite3.h>

#include <QCoreApplication>
#include <QScopeGuard>
#include <QSqlDriver>

#include <limits>

namespace viVavazuruv::ado {

namespace {
bool isAscii(const unsigned char* bytes, int size) {
    // Every byte looked at, no early way out: the loop runs many bytes at a time.
    unsigned char seen = 0;
    for (int i = 0; i < size; ++i)
        seen |= static_cast<unsigned char>(bytes[i]);
    return seen < 0x80;
}
} // namespace

SqliteRows::SqliteRows(QVector<QString> names, sqlite3* connection, sqlite3_stmt* statement)
    : CopiedRows(std::move(names)), m_connection(connection), m_statement(statement) {}

SqliteRows::~SqliteRows() {
    sqlite3_finalize(m_statement); // nothing for a null statement
}

std::unique_ptr<EngineRows> SqliteRows::read(const QString& source, const QSqlDatabase& db, bool streamed) {
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
    auto finalize = qScopeGuard([&] { sqlite3_finalize(statement); });
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
    finalize.dismiss();
    std::unique_ptr<SqliteRows> rows(new SqliteRows(std::move(names), connection, statement));
    rows->m_complete = false;
    rows->copyRows(streamed ? kChunkRows : std::numeric_limits<qint32>::max());
    return rows;
}

bool SqliteRows::fetchMore() {
    return m_statement && copyRows(kChunkRows);
}

bool SqliteRows::copyRows(qint32 most) {
    const int columns = int(m_names.size());
    const qint32 before = m_rowCount;
    int step = SQLITE_ROW;
    while (m_rowCount - before < most && (step = sqlite3_step(m_statement)) == SQLITE_ROW) {
        Chunk& chunk = nextRow();
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(m_statement, c)) {
            case SQLITE_INTEGER:
                putNumber(chunk, Kind::Int64, qint64(sqlite3_column_int64(m_statement, c)));
                break;
            case SQLITE_FLOAT:
                putNumber(chunk, Kind::Double, sqlite3_column_double(m_statement, c));
                break;
            case SQLITE_BLOB: {
                const void* blob = sqlite3_column_blob(m_statement, c);
                putBytes(chunk, Kind::Blob, blob, size_t(sqlite3_column_bytes(m_statement, c)));
                break;
            }
            case SQLITE_NULL:
                putNull(chunk);
                break;
            default: {
                // Plain ASCII, nearly every list, is kept as SQLite stores it;
                // anything else takes SQLite's own UTF-16 conversion, so even
                // malformed bytes read exactly as the driver reads them.
                const unsigned char* text = sqlite3_column_text(m_statement, c);
                const int size = sqlite3_column_bytes(m_statement, c);
                if (isAscii(text, size)) {
                    putBytes(chunk, Kind::Ascii, text, size_t(size));
                } else {
                    const void* wide = sqlite3_column_text16(m_statement, c);
                    putBytes(chunk, Kind::Utf16, wide, size_t(sqlite3_column_bytes16(m_statement, c)));
                }
                break;
            }
            }
        }
    }
    if (step != SQLITE_ROW) {
        const QString failure =
            step == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(m_connection));
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        m_complete = true;
        if (step != SQLITE_DONE)
            throw AutomationError(
                ErrorCode::DatabaseError,
                QCoreApplication::translate("SqliteRows", "Reading the rows failed: %1").arg(failure));
    }
    return m_rowCount > before;
}

} // namespace viVavazuruv::ado
