#include "CopiedRows.h"

#include <viVavazuruv/AutomationError.h>

#include <QCoreApplication>

#include <charconv>
#include <cstring>
#include <utility>

namespace viVavazuruv::ado {

CopiedRows::CopiedRows(QVector<QString> names) {
    m_names = std::move(names);
}

CopiedRows::Chunk& CopiedRows::nextRow() {
    if (m_rowCount % kChunkRows == 0) {
        // A chunk is sized from the one before, so its bytes are seldom moved;
        // rows read while they arrive refill the room of the chunk left last.
        if (!m_chunks.empty() && !m_chunks.back().cells.empty())
            m_chunkBytesHint = m_chunks.back().bytes.size() + m_chunks.back().bytes.size() / 8;
        m_chunks.push_back(std::exchange(m_spare, Chunk()));
        m_chunks.back().cells.reserve(size_t(kChunkRows) * size_t(m_names.size()));
        m_chunks.back().bytes.reserve(m_chunkBytesHint);
    }
    ++m_rowCount;
    return m_chunks.back();
}

void CopiedRows::putNull(Chunk& chunk, int typeId) {
    Cell cell;
    cell.offset = quint32(typeId);
    cell.kind = quint32(Kind::Null);
    chunk.cells.push_back(cell);
}

void CopiedRows::putBytes(Chunk& chunk, Kind kind, const void* bytes, size_t size) {
    constexpr size_t kMaxValueBytes = (size_t(1) << 29) - 1;
    if (size > kMaxValueBytes || chunk.bytes.size() + size > UINT32_MAX)
        throw AutomationError(
            ErrorCode::DatabaseError,
            QCoreApplication::translate("CopiedRows", "A value of %1 bytes is too long to read.").arg(size));
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

void CopiedRows::putValue(Chunk& chunk, const QVariant& value) {
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

void CopiedRows::passed(qint32 row) {
    if (row % kChunkRows != 0 || row == 0)
        return;
    // Emptied but kept for the next chunk: freeing and asking again for the
    // same room, chunk after chunk, scatters holes through the heap that the
    // caller's own growing storage cannot use.
    Chunk& left = m_chunks[size_t(row / kChunkRows - 1)];
    left.cells.clear();
    left.bytes.clear();
    left.variants.clear();
    m_spare = std::exchange(left, Chunk());
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

const QVariant& CopiedRows::value(qint32 row, int column, QVariant& slot) const {
    const Chunk& chunk = m_chunks[size_t(row / kChunkRows)];
    const Cell& cell = cellAt(row, column);
    const char* bytes = chunk.bytes.data() + cell.offset;
    switch (Kind(cell.kind)) {
    case Kind::Null:
        slot = cell.offset ? QVariant(QMetaType(int(cell.offset))) : QVariant();
        break;
    case Kind::Int32:
        slot = numberAt<qint32>(bytes);
        break;
    case Kind::Int64:
        slot = qlonglong(numberAt<qint64>(bytes));
        break;
    case Kind::Double:
        slot = numberAt<double>(bytes);
        break;
    case Kind::Ascii:
        slot = QString::fromLatin1(bytes, qsizetype(cell.size));
        break;
    case Kind::Utf16:
        slot = utf16At(bytes, cell.size);
        break;
    case Kind::Blob:
        slot = QByteArray(bytes, qsizetype(cell.size));
        break;
    case Kind::Variant:
        return chunk.variants[cell.offset];
    }
    return slot;
}

QAnyStringView CopiedRows::text(qint32 row, int column, QString& buffer) const {
    const Cell& cell = cellAt(row, column);
    const char* bytes = m_chunks[size_t(row / kChunkRows)].bytes.data() + cell.offset;
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
    default: {
        QVariant slot;
        buffer = value(row, column, slot).toString();
        return buffer;
    }
    }
}

} // namespace viVavazuruv::ado
