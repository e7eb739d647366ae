#pragma once

#include <QAnyStringView>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

namespace viVavazuruv::grid {

// The texts of one grid column. Characters live in shared blocks and each cell
// is a place in them (eight bytes), so a long list costs about its characters:
// no string object and no allocation per cell, and moving rows (a sort, a
// delete) moves places, never texts. Equal short texts that recur (group
// codes, marks) usually share one place.
class TextColumn {
public:
    qint32 size() const { return qint32(m_cells.size()); }
    // Empty cells are added or dropped at the end; none left frees every text.
    void resize(qint32 rows);

    QStringView at(qint32 row) const {
        const Cell cell = m_cells[size_t(row)];
        return cell.size == 0 ? QStringView() : QStringView(charsAt(cell.begin), qsizetype(cell.size));
    }
    bool isEmpty(qint32 row) const { return m_cells[size_t(row)].size == 0; }
    // Latin-1 and UTF-16 texts are copied straight in; UTF-8 is converted first.
    void set(qint32 row, QAnyStringView text);
    void clear(qint32 first, qint32 last);
    void remove(qint32 row);
    // Rows base .. base + order.size() - 1 take the texts of rows order[i].
    void reorder(qint32 base, const std::vector<qint32>& order);

private:
    struct Cell {
        quint32 begin = 0; // in blocks of kBlockChars, block after block
        quint32 size = 0;
    };
    static constexpr quint32 kBlockChars = 16384;
    static constexpr size_t kKeptBlocks = 8;
    const char16_t* charsAt(quint32 begin) const {
        return m_blocks[begin / kBlockChars].get() + begin % kBlockChars;
    }
    Cell place(QAnyStringView text);
    template <typename Unit> Cell placeUnits(const Unit* units, qsizetype size);
    // Copies the texts still in use into fresh blocks once most of what the
    // blocks hold has been replaced.
    void compactIfWasteful();

    std::vector<Cell> m_cells;
    // A block too small for a long text gives way to a run of slots, the first
    // holding the whole text.
    std::vector<std::unique_ptr<char16_t[]>> m_blocks;
    quint32 m_end = 0; // where the next text goes
    size_t m_replaced = 0;
    size_t m_used = 0;
    // Places of recent short texts, by a hash of the text.
    static constexpr size_t kRecentSlots = 256;
    static constexpr qsizetype kRecentMaxChars = 8;
    Cell m_recent[kRecentSlots] = {};
};

} // namespace viVavazuruv::grid
