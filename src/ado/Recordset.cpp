#include "Recordset.h"

#include "AdoConstants.h"
#include "Connection.h"

#include <viVavazuruv/AutomationError.h>

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace viVavazuruv::ado {

void Recordset::setCursorLocation(qint32 location) {
    if (location != adUseClient && location != adUseServer)
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("Cursor location %1 is not supported.").arg(location));
    if (m_open)
        throw AutomationError(
            ErrorCode::InvalidProcedureCall,
            QStringLiteral("The cursor location cannot change while the recordset is open."));
    m_cursorLocation = location;
}

void Recordset::Open(const QString& source, const QSqlDatabase& activeConnection, qint32 cursorType,
                     qint32 lockType, qint32 options) {
    if (m_open)
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("The recordset is already open."));
    if (cursorType != adOpenForwardOnly || lockType != adLockReadOnly || options != adCmdText)
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("Only forward-only, read-only recordsets over command text are "
                                             "supported (cursor %1, lock %2, options %3).")
                                  .arg(cursorType)
                                  .arg(lockType)
                                  .arg(options));
    requireOpen(activeConnection);
    if (openSqliteDirect(source, activeConnection))
        return;

    QSqlQuery query(activeConnection);
    query.setForwardOnly(true);
    if (!query.exec(source))
        throw AutomationError(ErrorCode::DatabaseError,
                              QStringLiteral("The query failed: %1").arg(query.lastError().text()));
    if (!query.isSelect())
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("The statement returns no rows to open a recordset on."));

    const QSqlRecord record = query.record();
    const int columns = record.count();
    m_fieldNames.resize(columns);
    m_fieldIndex.clear();
    for (int c = 0; c < columns; ++c) {
        m_fieldNames[c] = record.fieldName(c);
    }
    // Filled backwards so the first of two equally named columns wins.
    for (int c = columns - 1; c >= 0; --c)
        m_fieldIndex.insert(m_fieldNames[c].toLower(), c);

    m_chunks.clear();
    m_rowCount = 0;
    while (query.next()) {
        if (m_rowCount % kChunkRows == 0) {
            m_chunks.emplace_back();
            m_chunks.back().reserve(size_t(kChunkRows) * size_t(columns));
        }
        std::vector<QVariant>& chunk = m_chunks.back();
        for (int c = 0; c < columns; ++c)
            chunk.push_back(query.value(c));
        ++m_rowCount;
    }
    if (query.lastError().isValid())
        throw AutomationError(ErrorCode::DatabaseError,
                              QStringLiteral("Reading the rows failed: %1").arg(query.lastError().text()));
    m_position = 0;
    m_open = true;
    m_connected = true;
}

namespace {
// The stored bytes of a text value. Plain ASCII, nearly every list, widens
// straight from SQLite's own UTF-8 without the engine converting (and
// allocating) on the way; anything else takes SQLite's UTF-16 conversion, so
// even malformed bytes read exactly as the driver reads them.
struct StoredText {
    std::string_view utf8;
    bool ascii = true;
};

StoredText storedText(sqlite3_stmt* statement, int column) {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    const auto size = size_t(sqlite3_column_bytes(statement, column));
    StoredText text{std::string_view(bytes ? bytes : "", bytes ? size : 0)};
    for (const char byte : text.utf8) {
        if (static_cast<unsigned char>(byte) >= 0x80) {
            text.ascii = false;
            break;
        }
    }
    return text;
}

QString widen(sqlite3_stmt* statement, int column, const StoredText& text) {
    if (text.ascii)
        return QString::fromLatin1(text.utf8.data(), qsizetype(text.utf8.size()));
    const auto* wide = static_cast<const char16_t*>(sqlite3_column_text16(statement, column));
    return QString::fromUtf16(wide, sqlite3_column_bytes16(statement, column) / qsizetype(sizeof(char16_t)));
}

struct BytesHash {
    using is_transparent = void;
    size_t operator()(std::string_view bytes) const { return std::hash<std::string_view>()(bytes); }
};

// Lists repeat themselves: every row carries the same list code, group codes
// and file names recur. A column whose values keep coming back shares one
// string per value instead of allocating (and later freeing) one per row; a
// column of mostly different values soon stops looking.
class RepeatedTexts {
public:
    QString take(sqlite3_stmt* statement, int column) {
        const StoredText text = storedText(statement, column);
        if (text.utf8.empty())
            return QString();
        if (!m_active)
            return widen(statement, column, text);
        ++m_lookups;
        const auto found = m_seen.find(text.utf8);
        if (found != m_seen.end()) {
            ++m_hits;
            return found->second;
        }
        if (m_seen.size() >= kMaxValues || (m_lookups >= kTrialRows && m_hits * 2 < m_lookups)) {
            m_active = false;
            m_seen.clear();
            return widen(statement, column, text);
        }
        // Kept before widening: a conversion may move the engine's bytes.
        std::string key(text.utf8);
        QString made = widen(statement, column, text);
        m_seen.emplace(std::move(key), made);
        return made;
    }

private:
    static constexpr size_t kMaxValues = 4096;
    static constexpr qint64 kTrialRows = 256;
    std::unordered_map<std::string, QString, BytesHash, std::equal_to<>> m_seen;
    qint64 m_lookups = 0;
    qint64 m_hits = 0;
    bool m_active = true;
};
} // namespace

bool Recordset::openSqliteDirect(const QString& source, const QSqlDatabase& db) {
    // On SQLite the rows are read straight from the connection's own handle:
    // the same rows and values the driver would give, without its row cache
    // and its extra copy of every value. Anything unusual goes the driver's way.
    if (db.driverName() != QLatin1String("QSQLITE"))
        return false;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
    if (!connection)
        return false;

    sqlite3_stmt* statement = nullptr;
    const void* tail = nullptr;
    const int prepared = sqlite3_prepare16_v2(connection, source.utf16(),
                                              int(source.size() * sizeof(char16_t)), &statement, &tail);
    const auto finalize = qScopeGuard([&] { sqlite3_finalize(statement); });
    if (prepared != SQLITE_OK)
        throw AutomationError(
            ErrorCode::DatabaseError,
            QStringLiteral("The query failed: %1").arg(QString::fromUtf8(sqlite3_errmsg(connection))));
    // Only one statement that returns rows takes this way.
    const QString rest = QString::fromUtf16(static_cast<const char16_t*>(tail)).trimmed();
    if (!statement || sqlite3_column_count(statement) == 0 || !(rest.isEmpty() || rest == QLatin1String(";")))
        return false;

    const int columns = sqlite3_column_count(statement);
    m_fieldNames.resize(columns);
    m_fieldIndex.clear();
    for (int c = 0; c < columns; ++c)
        m_fieldNames[c] =
            QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_name16(statement, c)));
    for (int c = columns - 1; c >= 0; --c)
        m_fieldIndex.insert(m_fieldNames[c].toLower(), c);

    m_chunks.clear();
    m_rowCount = 0;
    std::vector<RepeatedTexts> texts(static_cast<size_t>(columns));
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        if (m_rowCount % kChunkRows == 0) {
            m_chunks.emplace_back();
            m_chunks.back().reserve(size_t(kChunkRows) * size_t(columns));
        }
        std::vector<QVariant>& chunk = m_chunks.back();
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                chunk.emplace_back(qlonglong(sqlite3_column_int64(statement, c)));
                break;
            case SQLITE_FLOAT:
                chunk.emplace_back(sqlite3_column_double(statement, c));
                break;
            case SQLITE_BLOB: {
                const int bytes = sqlite3_column_bytes(statement, c);
                chunk.emplace_back(
                    QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, c)), bytes));
                break;
            }
            case SQLITE_NULL:
                chunk.emplace_back();
                break;
            default:
                chunk.emplace_back(texts[size_t(c)].take(statement, c));
                break;
            }
        }
        ++m_rowCount;
    }
    if (step != SQLITE_DONE)
        throw AutomationError(
            ErrorCode::DatabaseError,
            QStringLiteral("Reading the rows failed: %1").arg(QString::fromUtf8(sqlite3_errmsg(connection))));
    m_position = 0;
    m_open = true;
    m_connected = true;
    return true;
}

void Recordset::DetachConnection() {
    if (m_open && m_cursorLocation != adUseClient)
        throw AutomationError(
            ErrorCode::InvalidProcedureCall,
            QStringLiteral("Only a client-side recordset can be detached from its connection."));
    m_connected = false;
}

bool Recordset::Bof() const {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject, QStringLiteral("The recordset is closed."));
    return m_rowCount == 0 || m_position < 0;
}

bool Recordset::Eof() const {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject, QStringLiteral("The recordset is closed."));
    return m_position >= m_rowCount;
}

void Recordset::MoveNext() {
    if (Eof())
        throw AutomationError(ErrorCode::NoCurrentRecord,
                              QStringLiteral("There is no row after the last one."));
    ++m_position;
    // The cursor only moves forward: a chunk it has left is never read again,
    // and a long list's copy shrinks while the caller takes its values over.
    if (m_position % kChunkRows == 0)
        std::vector<QVariant>().swap(m_chunks[size_t(m_position / kChunkRows - 1)]);
}

void Recordset::Close() {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject,
                              QStringLiteral("The recordset is not open."));
    m_open = false;
    m_connected = false;
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_rowCount = 0;
    m_position = 0;
}

qint32 Recordset::RecordCount() const {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject, QStringLiteral("The recordset is closed."));
    return m_rowCount;
}

int Recordset::FieldIndex(const QString& name) const {
    return m_fieldIndex.value(name.toLower(), -1);
}

void Recordset::requireCurrentRow() const {
    if (Bof() || Eof())
        throw AutomationError(ErrorCode::NoCurrentRecord, QStringLiteral("There is no current row."));
}

const QVariant& Recordset::ValueRef(int index) const {
    requireCurrentRow();
    if (index < 0 || index >= m_fieldNames.size())
        throw AutomationError(ErrorCode::ItemNotFound,
                              QStringLiteral("Field number %1 does not exist in the recordset.").arg(index));
    const std::vector<QVariant>& chunk = m_chunks[size_t(m_position / kChunkRows)];
    return chunk[size_t(m_position % kChunkRows) * size_t(m_fieldNames.size()) + size_t(index)];
}

QString Recordset::TakeText(int index) {
    QVariant& value = m_chunks[size_t(m_position / kChunkRows)]
                              [size_t(m_position % kChunkRows) * size_t(m_fieldNames.size()) + size_t(index)];
    if (value.isNull())
        return {}; // left alone: writable access would clear the NULL mark
    switch (value.typeId()) {
    case QMetaType::QString:
        return std::move(*static_cast<QString*>(value.data()));
    case QMetaType::LongLong: // the key column, on every row: spared the general conversion
        return QString::number(*static_cast<const qlonglong*>(value.constData()));
    default:
        return value.toString();
    }
}

QVariant Recordset::Fields(const QString& name) const {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject, QStringLiteral("The recordset is closed."));
    const int index = FieldIndex(name);
    if (index < 0)
        throw AutomationError(ErrorCode::ItemNotFound,
                              QStringLiteral("The recordset has no field named \"%1\".").arg(name));
    return Value(index);
}

} // namespace viVavazuruv::ado
