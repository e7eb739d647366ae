#include "TextColumn.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace viVavazuruv::grid {

void TextColumn::resize(qint32 rows) {
    if (rows < size()) {
        for (size_t r = size_t(rows); r < m_cells.size(); ++r)
            m_replaced += m_cells[r].size;
    }
    m_cells.resize(size_t(std::max(rows, 0)));
    // Room made ahead for rows that did not come (a list read before its
    // length was known) goes back; an emptied column keeps it for a refill.
    if (!m_cells.empty() && m_cells.capacity() - m_cells.size() > m_cells.size() / 8)
        m_cells.shrink_to_fit();
    if (m_cells.empty()) {
        // A list refilled reuses the first blocks: freeing and asking for
        // them again would hand the pages back and fault them in anew.
        if (m_blocks.size() > kKeptBlocks)
            m_blocks.resize(kKeptBlocks);
        m_end = 0;
        m_replaced = m_used = 0;
        std::fill(std::begin(m_recent), std::end(m_recent), Cell());
    }
}

TextColumn::Cell TextColumn::place(QAnyStringView text) {
    return text.visit([this](auto chars) {
        using View = decltype(chars);
        if constexpr (std::is_same_v<View, QStringView>) {
            return placeUnits(chars.utf16(), chars.size());
        } else if constexpr (std::is_same_v<View, QLatin1StringView>) {
            return placeUnits(reinterpret_cast<const unsigned char*>(chars.data()), chars.size());
        } else {
            const QString wide = chars.toString();
            return placeUnits(wide.utf16(), wide.size());
        }
    });
}

template <typename Unit> TextColumn::Cell TextColumn::placeUnits(const Unit* units, qsizetype size) {
    if (size == 0)
        return {};
    Cell* recent = nullptr;
    if (size <= kRecentMaxChars) {
        size_t hash = size_t(size);
        for (qsizetype i = 0; i < size; ++i)
            hash = hash * 31 + units[i];
        recent = &m_recent[hash % kRecentSlots];
        if (recent->size == quint32(size) && std::equal(units, units + size, charsAt(recent->begin)))
            return *recent;
    }

    const quint64 chars = quint64(size);
    quint32 begin = m_end;
    // A text never straddles two blocks.
    if (begin % kBlockChars != 0 && begin % kBlockChars + chars > kBlockChars)
        begin += kBlockChars - begin % kBlockChars;
    const quint64 slots = (chars + kBlockChars - 1) / kBlockChars;
    if (begin + chars > std::numeric_limits<quint32>::max() - kBlockChars)
        throw std::length_error("a grid column holds more text than it can address");
    if (begin % kBlockChars == 0) {
        const size_t index = begin / kBlockChars;
        if (m_blocks.size() < index + slots)
            m_blocks.resize(index + slots);
        if (!m_blocks[index] || slots > 1)
            m_blocks[index] =
                std::make_unique_for_overwrite<char16_t[]>(std::max<quint64>(chars, kBlockChars));
        for (size_t i = index + 1; i < index + slots; ++i)
            m_blocks[i].reset();
    }
    std::copy(units, units + size, m_blocks[begin / kBlockChars].get() + begin % kBlockChars);
    m_end = quint32(begin + (slots > 1 ? slots * kBlockChars : chars));
    m_used += size_t(chars);
    const Cell cell{begin, quint32(chars)};
    if (recent)
        *recent = cell;
    return cell;
}

void TextColumn::set(qint32 row, QAnyStringView text) {
    Cell& cell = m_cells[size_t(row)];
    m_replaced += cell.size;
    cell = place(text);
    compactIfWasteful();
}

void TextColumn::clear(qint32 first, qint32 last) {
    for (qint32 r = first; r <= last; ++r) {
        m_replaced += m_cells[size_t(r)].size;
        m_cells[size_t(r)] = Cell();
    }
    compactIfWasteful();
}

void TextColumn::remove(qint32 row) {
    m_replaced += m_cells[size_t(row)].size;
    m_cells.erase(m_cells.begin() + row);
    compactIfWasteful();
}

void TextColumn::reorder(qint32 base, const std::vector<qint32>& order) {
    std::vector<Cell> moved(order.size());
    constexpr size_t kReadAhead = 16; // places far apart arrive while others are copied
    for (size_t i = 0; i < order.size(); ++i) {
        if (i + kReadAhead < order.size())
            __builtin_prefetch(&m_cells[size_t(order[i + kReadAhead])]);
        moved[i] = m_cells[size_t(order[i])];
    }
    std::copy(moved.begin(), moved.end(), m_cells.begin() + base);
}

void TextColumn::compactIfWasteful() {
    // Shared places count once per cell replaced, so this overestimates the
    // waste; compacting recounts it exactly.
    if (m_replaced < 65536 || m_replaced < m_used / 2 + m_used / 4)
        return;
    TextColumn fresh;
    fresh.m_cells.reserve(m_cells.size());
    for (qint32 r = 0; r < size(); ++r)
        fresh.m_cells.push_back(fresh.place(at(r)));
    *this = std::move(fresh);
}

} // namespace viVavazuruv::grid
