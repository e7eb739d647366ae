#pragma once

#include "EngineRows.h"

#include <QVariant>

#include <string>
#include <vector>

namespace viVavazuruv::ado {

// Rows copied out of a result that does not outlive its statement, as the
// readers of Qt's driver (DriverRows) and of SQLite (SqliteRows) fill them.
// Most values are a few bytes of text, kept as the engine gave them and
// turned into a QString or QVariant only when read: a long list costs its
// bytes and eight more a value until then.
class CopiedRows : public EngineRows {
public:
    const QVariant& value(qint32 row, int column, QVariant& slot) const final;
    QAnyStringView text(qint32 row, int column, QString& buffer) const final;
    // A block the cursor has left is never read again: a long list's copy
    // shrinks while the caller takes its values over.
    void passed(qint32 row) final;

protected:
    // How a value is kept.
    enum class Kind : quint8 { Null, Int32, Int64, Double, Ascii, Utf16, Blob, Variant };
    struct Cell {
        quint32 offset = 0; // into the chunk's bytes; a Variant's index; a Null's type
        quint32 size : 29 = 0;
        quint32 kind : 3 = 0;
    };
    // Rows in chunks, row-major inside: a long list grows without moving or
    // re-touching what it already holds, and a chunk the cursor has left goes.
    struct Chunk {
        std::vector<Cell> cells;
        std::string bytes;
        std::vector<QVariant> variants;
    };
    static constexpr qint32 kChunkRows = 256;

    // Filling, while opening: the column names first, then row by row.
    explicit CopiedRows(QVector<QString> names);
    Chunk& nextRow();
    void putNull(Chunk& chunk, int typeId = 0);
    void putBytes(Chunk& chunk, Kind kind, const void* bytes, size_t size);
    template <typename T> void putNumber(Chunk& chunk, Kind kind, T value) {
        putBytes(chunk, kind, &value, sizeof value);
    }
    // A value as a driver gives it.
    void putValue(Chunk& chunk, const QVariant& value);

private:
    const Cell& cellAt(qint32 row, int column) const {
        return m_chunks[size_t(row / kChunkRows)]
            .cells[size_t(row % kChunkRows) * size_t(m_names.size()) + size_t(column)];
    }

    std::vector<Chunk> m_chunks;
    Chunk m_spare; // the room of the chunk the cursor left last
    size_t m_chunkBytesHint = 0;
};

} // namespace viVavazuruv::ado
