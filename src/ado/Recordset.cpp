#include "Recordset.h"

#include "AdoConstants.h"
#include "Connection.h"

#include <core/Logging.h>
#include <viVavazuruv/AutomationError.h>

#include <charconv>
#include <cstring>

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
    qCDebug(lcSql).noquote() << "open:" << source;
    if (openSqliteDirect(source, activeConnection) || openPostgresDirect(source, activeConnection))
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
    QVector<QString> names(columns);
    for (int c = 0; c < columns; ++c)
        names[c] = record.fieldName(c);
    beginRows(std::move(names));
    while (query.next()) {
        Chunk& chunk = nextRow();
        for (int c = 0; c < columns; ++c)
            putValue(chunk, query.value(c));
    }
    if (query.lastError().isValid())
        throw AutomationError(ErrorCode::DatabaseError,
                              QStringLiteral("Reading the rows failed: %1").arg(query.lastError().text()));
    endRows();
}

void Recordset::beginRows(QVector<QString> names) {
    m_fieldNames = std::move(names);
    const int columns = m_fieldNames.size();
    m_fieldIndex.clear();
    // Filled backwards so the first of two equally named columns wins.
    for (int c = columns - 1; c >= 0; --c)
        m_fieldIndex.insert(m_fieldNames[c].toLower(), c);
    m_chunks.clear();
    m_postgres.reset();
    m_rowCount = 0;
    m_chunkBytesHint = 0;
    m_values.assign(size_t(columns), QVariant());
    m_valueRow.assign(size_t(columns), -1);
}

Recordset::Chunk& Recordset::nextRow() {
    if (m_rowCount % kChunkRows == 0) {
        // A chunk is sized from the one before, so its bytes are seldom moved.
        if (!m_chunks.empty())
            m_chunkBytesHint = m_chunks.back().bytes.size() + m_chunks.back().bytes.size() / 8;
        m_chunks.emplace_back();
        m_chunks.back().cells.reserve(size_t(kChunkRows) * size_t(m_fieldNames.size()));
        m_chunks.back().bytes.reserve(m_chunkBytesHint);
    }
    ++m_rowCount;
    return m_chunks.back();
}

void Recordset::putNull(Chunk& chunk, int typeId) {
    Cell cell;
    cell.offset = quint32(typeId);
    cell.kind = quint32(Kind::Null);
    chunk.cells.push_back(cell);
}

void Recordset::putBytes(Chunk& chunk, Kind kind, const void* bytes, size_t size) {
    constexpr size_t kMaxValueBytes = (size_t(1) << 29) - 1;
    if (size > kMaxValueBytes || chunk.bytes.size() + size > UINT32_MAX)
        throw AutomationError(ErrorCode::DatabaseError,
                              QStringLiteral("A value of %1 bytes is too long to read.").arg(size));
    // UTF-16 is read in place, so it starts on an even byte.
    if (kind == Kind::Utf16 && chunk.bytes.size() % 2 != 0)
        chunk.bytes.push_back('\0');
    Cell cell;
    cell.offset = quint32(chunk.bytes.size());
    cell.size = quint32(size);
    cell.kind = quint32(kind);
    chunk.bytes.append(static_cast<const char*>(bytes), size);
    chunk.cells.push_back(cell);
}

void Recordset::putValue(Chunk& chunk, const QVariant& value) {
    if (value.isNull())
        return putNull(chunk, value.typeId());
    switch (value.typeId()) {
    case QMetaType::QString: {
        const auto* text = static_cast<const QString*>(value.constData());
        return putBytes(chunk, Kind::Utf16, text->utf16(), size_t(text->size()) * sizeof(char16_t));
    }
    case QMetaType::Int:
        return putNumber(chunk, Kind::Int32, value.toInt());
    case QMetaType::LongLong:
        return putNumber(chunk, Kind::Int64, value.toLongLong());
    default: {
        Cell cell;
        cell.offset = quint32(chunk.variants.size());
        cell.kind = quint32(Kind::Variant);
        chunk.variants.push_back(value);
        chunk.cells.push_back(cell);
    }
    }
}

void Recordset::endRows() {
    m_position = 0;
    m_open = true;
    m_connected = true;
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
    if (m_position % kChunkRows == 0 && !m_postgres)
        m_chunks[size_t(m_position / kChunkRows - 1)] = Chunk();
}

void Recordset::Close() {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject,
                              QStringLiteral("The recordset is not open."));
    m_open = false;
    m_connected = false;
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_postgres.reset();
    m_values.clear();
    m_valueRow.clear();
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

const Recordset::Cell& Recordset::cellAt(int index) const {
    return m_chunks[size_t(m_position / kChunkRows)]
        .cells[size_t(m_position % kChunkRows) * size_t(m_fieldNames.size()) + size_t(index)];
}

const QVariant& Recordset::ValueRef(int index) const {
    requireCurrentRow();
    if (index < 0 || index >= m_fieldNames.size())
        throw AutomationError(ErrorCode::ItemNotFound,
                              QStringLiteral("Field number %1 does not exist in the recordset.").arg(index));
    return CurrentValue(index);
}

namespace {
template <typename T> T numberAt(const char* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

QString utf16At(const char* bytes, quint32 size) {
    QString text(qsizetype(size / sizeof(char16_t)), Qt::Uninitialized);
    std::memcpy(text.data(), bytes, size);
    return text;
}
} // namespace

const QVariant& Recordset::CurrentValue(int index) const {
    QVariant& value = m_values[size_t(index)];
    if (m_valueRow[size_t(index)] == m_position)
        return value;
    if (m_postgres)
        return postgresValue(index);
    const Chunk& chunk = m_chunks[size_t(m_position / kChunkRows)];
    const Cell& cell = cellAt(index);
    const char* bytes = chunk.bytes.data() + cell.offset;
    switch (Kind(cell.kind)) {
    case Kind::Null:
        value = cell.offset ? QVariant(QMetaType(int(cell.offset))) : QVariant();
        break;
    case Kind::Int32:
        value = numberAt<qint32>(bytes);
        break;
    case Kind::Int64:
        value = qlonglong(numberAt<qint64>(bytes));
        break;
    case Kind::Double:
        value = numberAt<double>(bytes);
        break;
    case Kind::Ascii:
        value = QString::fromLatin1(bytes, qsizetype(cell.size));
        break;
    case Kind::Utf16:
        value = utf16At(bytes, cell.size);
        break;
    case Kind::Blob:
        value = QByteArray(bytes, qsizetype(cell.size));
        break;
    case Kind::Variant:
        return chunk.variants[cell.offset];
    }
    m_valueRow[size_t(index)] = m_position;
    return value;
}

QAnyStringView Recordset::CurrentText(int index, QString& buffer) const {
    if (m_postgres)
        return postgresText(index, buffer);
    const Cell& cell = cellAt(index);
    const char* bytes = m_chunks[size_t(m_position / kChunkRows)].bytes.data() + cell.offset;
    switch (Kind(cell.kind)) {
    case Kind::Null:
        return {};
    case Kind::Ascii:
        return QLatin1StringView(bytes, qsizetype(cell.size));
    case Kind::Utf16:
        return QStringView(reinterpret_cast<const char16_t*>(bytes), qsizetype(cell.size / sizeof(char16_t)));
    case Kind::Int64:
    case Kind::Int32: {
        // The key column, on every row: spared the general conversion.
        char digits[24];
        const qint64 number =
            Kind(cell.kind) == Kind::Int64 ? numberAt<qint64>(bytes) : numberAt<qint32>(bytes);
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        // Reuses buffer's room: no allocation once it has held a number.
        buffer = QLatin1StringView(digits, end - digits);
        return buffer;
    }
    default:
        buffer = CurrentValue(index).toString();
        return buffer;
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
