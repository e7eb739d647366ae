#include "GridModel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace viVavazuruv::platform {

namespace {

const QList<int> TickRoles{Qt::BackgroundRole, Qt::ForegroundRole};
const QList<int> FontRoles{Qt::FontRole};

double pointSizeOf(const QFont& font) {
    // A font given in pixels has no point size; 9 points is the toolkit's usual default.
    return font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
}

} // namespace

template <typename T> T GridModel::Layered<T>::resolve(qint32 col, qint32 row) const {
    T value = base;
    if (!hasOverrides())
        return value;
    quint64 newest = 0;
    const auto consider = [&](const auto& settings, auto key) {
        const auto it = settings.constFind(key);
        if (it != settings.cend() && it->stamp > newest) {
            newest = it->stamp;
            value = it->value;
        }
    };
    if (col >= 1)
        consider(byCol, col);
    if (row >= 0)
        consider(byRow, row);
    if (col >= 1 && row >= 0)
        consider(byCell, cellKey(row, col));
    return value;
}

template <typename T> void GridModel::Layered<T>::set(qint32 col, qint32 row, T value, quint64 stamp) {
    if (col < 0 && row < 0) {
        base = value;
        byCol.clear();
        byRow.clear();
        byCell.clear();
    } else if (row < 0) {
        byCol.insert(col, {value, stamp});
    } else if (col < 0) {
        byRow.insert(row, {value, stamp});
    } else {
        byCell.insert(cellKey(row, col), {value, stamp});
    }
}

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {
    setBaseFont(QFont());
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_cols;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows || index.column() >= m_cols)
        return {};
    const qint32 row = index.row();
    const qint32 col = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_cells[col][row];
    case Qt::FontRole: {
        if (!m_bold.hasOverrides() && !m_size.hasOverrides())
            return {};
        const bool isBold = m_bold.resolve(col + 1, row + 1);
        const double points = m_size.resolve(col + 1, row + 1);
        if (isBold == m_bold.base && points == m_size.base)
            return {};
        QFont font = m_baseFont;
        font.setBold(isBold);
        font.setPointSizeF(points);
        return font;
    }
    case Qt::BackgroundRole:
        if (m_ticks[row] && m_tickBackground.style() != Qt::NoBrush)
            return m_tickBackground;
        return {};
    case Qt::ForegroundRole:
        if (m_ticks[row] && m_tickForeground.style() != Qt::NoBrush)
            return m_tickForeground;
        return {};
    default:
        return {};
    }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || (role != Qt::EditRole && role != Qt::DisplayRole))
        return false;
    return setText(index.column() + 1, index.row() + 1, value.toString());
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && section >= 0 && section < m_rows)
            return section + 1;
        return {};
    }
    if (section < 0 || section >= m_cols)
        return {};
    if (role == Qt::DisplayRole)
        return m_headers[section];
    if (role == Qt::FontRole && (m_bold.hasOverrides() || m_size.hasOverrides())) {
        QFont font = m_baseFont;
        font.setBold(m_bold.resolve(section + 1, 0));
        font.setPointSizeF(m_size.resolve(section + 1, 0));
        return font;
    }
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_editable)
        result |= Qt::ItemIsEditable;
    return result;
}

void GridModel::setMaxRows(qint32 rows) {
    if (rows < 0 || rows == m_rows)
        return;
    if (rows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, rows - 1);
        for (QVector<QString>& column : m_cells)
            column.resize(rows);
        m_ticks.append(rows - m_rows, '\0');
        m_rows = rows;
        endInsertRows();
        return;
    }
    beginRemoveRows(QModelIndex(), rows, m_rows - 1);
    for (QVector<QString>& column : m_cells)
        column.resize(rows);
    m_tickCount -= qint32(std::count(m_ticks.cbegin() + rows, m_ticks.cend(), '\1'));
    m_ticks.truncate(rows);
    remapFontRows([rows](qint32 row) { return row <= rows ? row : -1; }, true, 1, m_cols);
    m_rows = rows;
    if (m_lastDataRow > rows)
        m_lastDataRow = -1;
    endRemoveRows();
}

void GridModel::setMaxCols(qint32 cols) {
    if (cols < 0 || cols == m_cols)
        return;
    if (cols > m_cols) {
        beginInsertColumns(QModelIndex(), m_cols, cols - 1);
        m_cells.resize(cols);
        for (qint32 c = m_cols; c < cols; ++c)
            m_cells[c].resize(m_rows);
        m_headers.resize(cols);
        m_cols = cols;
        endInsertColumns();
        return;
    }
    beginRemoveColumns(QModelIndex(), cols, m_cols - 1);
    m_cells.resize(cols);
    m_headers.resize(cols);
    dropFontColumns([cols](qint32 col) { return col <= cols; });
    m_cols = cols;
    m_lastDataRow = -1;
    endRemoveColumns();
}

QString GridModel::text(qint32 col, qint32 row) const {
    if (col < 1 || col > m_cols || row < 0 || row > m_rows)
        return {};
    return row == 0 ? m_headers[col - 1] : m_cells[col - 1][row - 1];
}

bool GridModel::setText(qint32 col, qint32 row, const QString& text) {
    if (col < 1 || col > m_cols || row < 0 || row > m_rows)
        return false;
    if (row == 0) {
        if (m_headers[col - 1] != text) {
            m_headers[col - 1] = text;
            headersChanged(col - 1, col - 1);
        }
        return true;
    }
    QString& cell = m_cells[col - 1][row - 1];
    if (cell == text)
        return true;
    cell = text;
    if (!text.isEmpty()) {
        if (m_lastDataRow >= 0 && row > m_lastDataRow)
            m_lastDataRow = row;
    } else if (row == m_lastDataRow) {
        m_lastDataRow = -1;
    }
    cellsChanged(row - 1, row - 1, col - 1, col - 1);
    return true;
}

void GridModel::clearRange(qint32 col, qint32 row, qint32 col2, qint32 row2, bool dataOnly) {
    const std::pair<qint32, qint32> rows = clampRows(row, row2);
    const std::pair<qint32, qint32> cols = clampCols(col, col2);
    const qint32 firstRow = rows.first, lastRow = rows.second;
    const qint32 firstCol = cols.first, lastCol = cols.second;
    if (firstRow > lastRow || firstCol > lastCol)
        return;
    for (qint32 c = firstCol - 1; c < lastCol; ++c) {
        // Moving an empty text in frees the old one without a call per cell.
        QString* column = m_cells[c].data();
        for (qint32 r = firstRow - 1; r < lastRow; ++r)
            column[r] = QString();
    }
    if (!dataOnly) {
        const auto inBlock = [&](quint64 key) {
            const qint32 r = keyRow(key), c = keyCol(key);
            return r >= firstRow && r <= lastRow && c >= firstCol && c <= lastCol;
        };
        m_bold.byCell.removeIf([&](const auto& it) { return inBlock(it.key()); });
        m_size.byCell.removeIf([&](const auto& it) { return inBlock(it.key()); });
    }
    m_lastDataRow = (firstRow == 1 && lastRow == m_rows && firstCol == 1 && lastCol == m_cols) ? 0 : -1;
    cellsChanged(firstRow - 1, lastRow - 1, firstCol - 1, lastCol - 1);
}

qint32 GridModel::dataRowCount() const {
    if (m_lastDataRow >= 0)
        return m_lastDataRow;
    // Column by column from the bottom: each column only needs scanning down
    // to the best row found so far.
    qint32 last = 0;
    for (const QVector<QString>& column : m_cells) {
        for (qint32 r = m_rows - 1; r >= last; --r) {
            if (!column[r].isEmpty()) {
                last = r + 1;
                break;
            }
        }
    }
    m_lastDataRow = last;
    return last;
}

bool GridModel::deleteRow(qint32 row) {
    if (row < 1 || row > m_rows)
        return false;
    beginRemoveRows(QModelIndex(), row - 1, row - 1);
    for (QVector<QString>& column : m_cells)
        column.remove(row - 1);
    if (m_ticks[row - 1])
        --m_tickCount;
    m_ticks.remove(row - 1, 1);
    remapFontRows([row](qint32 r) { return r == row ? -1 : (r > row ? r - 1 : r); }, true, 1, m_cols);
    --m_rows;
    if (m_lastDataRow == row)
        m_lastDataRow = -1;
    else if (m_lastDataRow > row)
        --m_lastDataRow;
    // Changed cells below the deleted row moved up with it.
    if (m_dirtyFirstRow > row - 1)
        --m_dirtyFirstRow;
    if (m_dirtyLastRow >= row - 1)
        --m_dirtyLastRow;
    endRemoveRows();
    return true;
}

namespace {
// Text order without regard to case. Plain ASCII, nearly every list, is
// compared in place without folding copies; from the first character outside
// ASCII where the texts differ, Qt's case-insensitive comparison decides.
int compareIgnoringCase(const QString& a, const QString& b, qsizetype from = 0) {
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t* pa = reinterpret_cast<const char16_t*>(a.constData());
    const char16_t* pb = reinterpret_cast<const char16_t*>(b.constData());
    for (qsizetype i = from; i < n; ++i) {
        char16_t x = pa[i];
        char16_t y = pb[i];
        if (x == y)
            continue;
        if (x >= 0x80 || y >= 0x80)
            return QtPrivate::compareStrings(QStringView(a).mid(i), QStringView(b).mid(i),
                                             Qt::CaseInsensitive);
        if (x >= u'A' && x <= u'Z')
            x = char16_t(x + 32);
        if (y >= u'A' && y <= u'Z')
            y = char16_t(y + 32);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The first eight characters of a text, folded, as one number that orders as
// the texts do (a byte a character, a missing character counts 0, below any
// character). A text whose first eight characters leave ASCII, or that holds
// NUL there, gets no prefix and is always compared in full.
constexpr quint64 kNoPrefix = ~quint64(0);
constexpr qsizetype kPrefixChars = 8;
quint64 sortPrefix(const QString& text) {
    quint64 prefix = 0;
    const qsizetype n = std::min<qsizetype>(text.size(), kPrefixChars);
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    for (qsizetype i = 0; i < kPrefixChars; ++i) {
        quint64 unit = 0;
        if (i < n) {
            unit = p[i];
            if (unit == 0 || unit >= 0x80)
                return kNoPrefix;
            if (unit >= u'A' && unit <= u'Z')
                unit += 32;
        }
        prefix = (prefix << 8) | unit;
    }
    return prefix;
}

// Stable sort of sort entries (a prefix and a text length per key, and the
// row) by the full comparison before(). When every key text has a prefix,
// as in nearly every list, a radix sort by the numbers decides first; only
// runs whose prefixes tie on a text longer than the prefix are then put in
// order by the texts themselves.
template <typename Entry, typename Before>
void sortEntries(std::vector<Entry>& entries, const Before& before, qsizetype prefixedKeys, qsizetype keys,
                 const QList<Qt::SortOrder>& orders) {
    bool allPrefixed = keys <= 2;
    for (size_t i = 0; i < entries.size() && allPrefixed; ++i) {
        for (qsizetype k = 0; k < prefixedKeys; ++k)
            allPrefixed = allPrefixed && entries[i].prefix[k] != kNoPrefix;
    }
    if (!allPrefixed) {
        std::stable_sort(entries.begin(), entries.end(), before);
        return;
    }
    // A descending key orders by the complement of its prefix.
    quint64 flip[2] = {0, 0};
    for (qsizetype k = 0; k < prefixedKeys; ++k)
        flip[k] = orders[k] == Qt::AscendingOrder ? 0 : ~quint64(0);
    const auto key = [&](const Entry& e, int k) {
        return e.prefix[k] ^ flip[k];
    };
    // Least significant digit first, a byte at a time: each pass is stable,
    // so ties keep their row order, and a byte every entry shares (the unused
    // tail of a short code) costs no pass.
    constexpr int kDigits = 16;
    std::vector<std::array<quint32, 256>> counts(kDigits);
    for (const Entry& e : entries) {
        for (int d = 0; d < kDigits; ++d)
            ++counts[size_t(d)][(key(e, d < 8 ? 1 : 0) >> (8 * (d % 8))) & 0xff];
    }
    std::vector<Entry> scattered(entries.size());
    for (int d = 0; d < kDigits; ++d) {
        std::array<quint32, 256>& count = counts[size_t(d)];
        if (std::find(count.cbegin(), count.cend(), quint32(entries.size())) != count.cend())
            continue;
        quint32 next = 0;
        for (quint32& c : count)
            next += std::exchange(c, next);
        const int k = d < 8 ? 1 : 0;
        const int shift = 8 * (d % 8);
        for (const Entry& e : entries)
            scattered[count[(key(e, k) >> shift) & 0xff]++] = e;
        entries.swap(scattered);
    }
    const auto beforeOrEarlier = [&](const Entry& a, const Entry& b) {
        if (before(a, b))
            return true;
        return !before(b, a) && a.row < b.row;
    };
    // Runs tied on the first prefix whose texts go on past it are ordered by
    // the full comparison; otherwise runs tied on both prefixes are, where a
    // second key goes on past its prefix.
    const auto refine = [&](auto sameRun, int lengthKey) {
        for (size_t begin = 0; begin < entries.size();) {
            size_t end = begin + 1;
            bool longer = entries[begin].length[lengthKey] > kPrefixChars;
            while (end < entries.size() && sameRun(entries[begin], entries[end])) {
                longer = longer || entries[end].length[lengthKey] > kPrefixChars;
                ++end;
            }
            if (end - begin > 1 && longer)
                std::sort(entries.begin() + qsizetype(begin), entries.begin() + qsizetype(end),
                          beforeOrEarlier);
            begin = end;
        }
    };
    refine([](const Entry& a, const Entry& b) { return a.prefix[0] == b.prefix[0]; }, 0);
    if (prefixedKeys > 1)
        refine([](const Entry& a,
                  const Entry& b) { return a.prefix[0] == b.prefix[0] && a.prefix[1] == b.prefix[1]; },
               1);
}
} // namespace

void GridModel::sortRows(qint32 row, qint32 row2, qint32 col, qint32 col2, const QList<GridSortKey>& keys) {
    const std::pair<qint32, qint32> rows = clampRows(row, row2);
    const std::pair<qint32, qint32> cols = clampCols(col, col2);
    const qint32 firstRow = rows.first, lastRow = rows.second;
    const qint32 firstCol = cols.first, lastCol = cols.second;
    if (lastRow <= firstRow || firstCol > lastCol)
        return;
    const qint32 count = lastRow - firstRow + 1;
    const qint32 base = firstRow - 1;
    QList<const QVector<QString>*> keyColumns;
    QList<Qt::SortOrder> keyOrders;
    for (const GridSortKey& key : keys) {
        if (key.column >= 1 && key.column <= m_cols) {
            keyColumns.append(&m_cells[key.column - 1]);
            keyOrders.append(key.order);
        }
    }
    if (keyColumns.isEmpty())
        return;

    // Sort compact entries, never the strings (they move once, below). Each
    // entry carries the first folded characters of its keys as a number, so
    // most comparisons are decided without touching the texts.
    struct Entry {
        quint64 prefix[2];
        qint32 length[2];
        qint32 row;
    };
    const qsizetype keyCount = std::min<qsizetype>(keyColumns.size(), 2);
    std::vector<Entry> entries(static_cast<size_t>(count));
    for (qint32 i = 0; i < count; ++i) {
        Entry& e = entries[size_t(i)];
        e.row = base + i;
        for (qsizetype k = 0; k < 2; ++k) {
            const QString* text = k < keyCount ? &(*keyColumns[k])[base + i] : nullptr;
            e.prefix[k] = text ? sortPrefix(*text) : 0;
            e.length[k] = text ? qint32(std::min<qsizetype>(text->size(), 1 << 30)) : 0;
        }
    }
    const auto before = [&](const Entry& a, const Entry& b) {
        for (qsizetype k = 0; k < keyColumns.size(); ++k) {
            int c = 0;
            const bool prefixed = k < keyCount && a.prefix[k] != kNoPrefix && b.prefix[k] != kNoPrefix;
            if (prefixed && a.prefix[k] != b.prefix[k])
                c = a.prefix[k] < b.prefix[k] ? -1 : 1;
            else if (prefixed && a.length[k] <= kPrefixChars && b.length[k] <= kPrefixChars)
                c = 0; // the whole of both texts was in the prefix
            else
                c = compareIgnoringCase((*keyColumns[k])[a.row], (*keyColumns[k])[b.row],
                                        prefixed ? kPrefixChars : 0);
            if (c != 0)
                return keyOrders[k] == Qt::AscendingOrder ? c < 0 : c > 0;
        }
        return false;
    };
    // A list is often sorted again as it stands (after a fill, after a save):
    // one pass tells, and nothing moves.
    bool sorted = true;
    for (size_t i = 1; i < entries.size() && sorted; ++i)
        sorted = !before(entries[i], entries[i - 1]);
    if (sorted)
        return;
    sortEntries(entries, before, keyCount, keyColumns.size(), keyOrders);
    std::vector<qint32> order(static_cast<size_t>(count));
    for (qint32 i = 0; i < count; ++i)
        order[size_t(i)] = entries[size_t(i)].row;

    const bool wholeRows = firstCol == 1 && lastCol == m_cols;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    std::vector<qint32> newPosition(count); // old position - base -> new position (from 0)
    for (qint32 i = 0; i < count; ++i)
        newPosition[order[i] - base] = base + i;
    QVector<QString> scratch(count);
    for (qint32 c = firstCol - 1; c < lastCol; ++c) {
        QString* column = m_cells[c].data();
        QString* moved = scratch.data();
        for (qint32 i = 0; i < count; ++i)
            moved[i] = std::move(column[order[i]]);
        for (qint32 i = 0; i < count; ++i)
            column[base + i] = std::move(moved[i]);
    }
    if (wholeRows) {
        const QByteArray before = m_ticks;
        for (qint32 i = 0; i < count; ++i)
            m_ticks[base + i] = before[order[i]];
    }
    remapFontRows([&](qint32 r) { return r >= firstRow && r <= lastRow ? newPosition[r - 1 - base] + 1 : r; },
                  wholeRows, firstCol, lastCol);

    // Cells are places, as in any spreadsheet: the cursor and every other
    // persistent index stay where they were while the texts move under them.
    m_lastDataRow = -1;
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

bool GridModel::isTicked(qint32 row) const {
    return row >= 1 && row <= m_rows && m_ticks[row - 1];
}

void GridModel::setTicked(qint32 row, bool ticked) {
    if (row == -1) {
        m_ticks.fill(ticked ? '\1' : '\0');
        m_tickCount = ticked ? m_rows : 0;
        cellsChanged(0, m_rows - 1, 0, m_cols - 1, TickRoles);
        return;
    }
    if (row < 1 || row > m_rows || bool(m_ticks[row - 1]) == ticked)
        return;
    m_ticks[row - 1] = ticked ? '\1' : '\0';
    m_tickCount += ticked ? 1 : -1;
    cellsChanged(row - 1, row - 1, 0, m_cols - 1, TickRoles);
}

void GridModel::setOnlyTicked(qint32 row) {
    const bool inGrid = row >= 1 && row <= m_rows;
    if (inGrid && m_tickCount == 1 && m_ticks[row - 1])
        return;
    if (!inGrid && m_tickCount == 0)
        return;
    m_ticks.fill('\0');
    m_tickCount = 0;
    if (inGrid) {
        m_ticks[row - 1] = '\1';
        m_tickCount = 1;
    }
    cellsChanged(0, m_rows - 1, 0, m_cols - 1, TickRoles);
}

qint32 GridModel::nextTicked(qint32 afterRow) const {
    const qint32 from = std::max(afterRow, 0); // the position (from 0) of row afterRow + 1
    if (from >= m_rows || m_tickCount == 0)
        return -1;
    const qsizetype found = m_ticks.indexOf('\1', from);
    return found < 0 ? -1 : qint32(found) + 1;
}

void GridModel::setTickBrushes(const QBrush& background, const QBrush& foreground) {
    m_tickBackground = background;
    m_tickForeground = foreground;
    if (m_tickCount > 0)
        cellsChanged(0, m_rows - 1, 0, m_cols - 1, TickRoles);
}

bool GridModel::bold(qint32 col, qint32 row) const {
    return m_bold.resolve(col, row);
}

double GridModel::pointSize(qint32 col, qint32 row) const {
    return m_size.resolve(col, row);
}

void GridModel::setBold(qint32 col, qint32 row, bool bold) {
    if (col < -1 || col == 0 || col > m_cols || row < -1 || row > m_rows)
        return;
    if (col == -1 && row == -1)
        m_baseFont.setBold(bold);
    m_bold.set(col, row, bold, ++m_fontStamp);
    fontsChanged(col, row);
}

void GridModel::setPointSize(qint32 col, qint32 row, double points) {
    if (!std::isfinite(points) || points <= 0 || col < -1 || col == 0 || col > m_cols || row < -1 ||
        row > m_rows)
        return;
    if (col == -1 && row == -1)
        m_baseFont.setPointSizeF(points);
    m_size.set(col, row, points, ++m_fontStamp);
    fontsChanged(col, row);
}

void GridModel::setBaseFont(const QFont& font) {
    m_baseFont = font;
    m_bold.base = font.bold();
    m_size.base = pointSizeOf(font);
    m_baseFont.setPointSizeF(m_size.base);
    fontsChanged(-1, -1);
}

void GridModel::setEditable(bool editable) {
    m_editable = editable;
}

void GridModel::setBatching(bool batching) {
    if (m_batching == batching)
        return;
    m_batching = batching;
    if (!batching)
        flushBatch();
}

template <typename MapRow>
void GridModel::remapFontRows(MapRow mapRow, bool rowSettingsToo, qint32 firstCol, qint32 lastCol) {
    const auto remap = [&](auto& layer) {
        if (!layer.byCell.isEmpty()) {
            std::remove_reference_t<decltype(layer.byCell)> moved;
            moved.reserve(layer.byCell.size());
            for (auto it = layer.byCell.cbegin(); it != layer.byCell.cend(); ++it) {
                const qint32 col = keyCol(it.key());
                if (col < firstCol || col > lastCol) {
                    moved.insert(it.key(), it.value());
                } else if (const qint32 to = mapRow(keyRow(it.key())); to >= 0) {
                    moved.insert(cellKey(to, col), it.value());
                }
            }
            layer.byCell = std::move(moved);
        }
        if (rowSettingsToo && !layer.byRow.isEmpty()) {
            std::remove_reference_t<decltype(layer.byRow)> moved;
            for (auto it = layer.byRow.cbegin(); it != layer.byRow.cend(); ++it) {
                if (const qint32 to = mapRow(it.key()); to >= 0)
                    moved.insert(to, it.value());
            }
            layer.byRow = std::move(moved);
        }
    };
    remap(m_bold);
    remap(m_size);
}

template <typename Keep> void GridModel::dropFontColumns(Keep keepCol) {
    const auto drop = [&](auto& layer) {
        layer.byCol.removeIf([&](const auto& it) { return !keepCol(it.key()); });
        layer.byCell.removeIf([&](const auto& it) { return !keepCol(keyCol(it.key())); });
    };
    drop(m_bold);
    drop(m_size);
}

void GridModel::cellsChanged(qint32 firstRow, qint32 lastRow, qint32 firstCol, qint32 lastCol,
                             const QList<int>& roles) {
    if (firstRow > lastRow || firstCol > lastCol)
        return;
    if (m_batching) {
        if (m_dirtyFirstRow > m_dirtyLastRow) {
            m_dirtyFirstRow = firstRow;
            m_dirtyLastRow = lastRow;
            m_dirtyFirstCol = firstCol;
            m_dirtyLastCol = lastCol;
        } else {
            m_dirtyFirstRow = std::min(m_dirtyFirstRow, firstRow);
            m_dirtyLastRow = std::max(m_dirtyLastRow, lastRow);
            m_dirtyFirstCol = std::min(m_dirtyFirstCol, firstCol);
            m_dirtyLastCol = std::max(m_dirtyLastCol, lastCol);
        }
        return;
    }
    Q_EMIT dataChanged(index(firstRow, firstCol), index(lastRow, lastCol), roles);
}

void GridModel::headersChanged(qint32 firstCol, qint32 lastCol) {
    if (firstCol > lastCol)
        return;
    if (m_batching) {
        if (m_dirtyFirstHeader > m_dirtyLastHeader) {
            m_dirtyFirstHeader = firstCol;
            m_dirtyLastHeader = lastCol;
        } else {
            m_dirtyFirstHeader = std::min(m_dirtyFirstHeader, firstCol);
            m_dirtyLastHeader = std::max(m_dirtyLastHeader, lastCol);
        }
        return;
    }
    Q_EMIT headerDataChanged(Qt::Horizontal, firstCol, lastCol);
}

void GridModel::fontsChanged(qint32 col, qint32 row) {
    const qint32 firstCol = col == -1 ? 0 : col - 1;
    const qint32 lastCol = col == -1 ? m_cols - 1 : col - 1;
    if (row != 0) {
        const qint32 firstRow = row == -1 ? 0 : row - 1;
        const qint32 lastRow = row == -1 ? m_rows - 1 : row - 1;
        cellsChanged(firstRow, lastRow, firstCol, lastCol, FontRoles);
    }
    if (row <= 0)
        headersChanged(firstCol, lastCol);
}

void GridModel::flushBatch() {
    const qint32 firstRow = m_dirtyFirstRow, lastRow = std::min(m_dirtyLastRow, m_rows - 1);
    const qint32 firstCol = m_dirtyFirstCol, lastCol = std::min(m_dirtyLastCol, m_cols - 1);
    const qint32 firstHeader = m_dirtyFirstHeader, lastHeader = std::min(m_dirtyLastHeader, m_cols - 1);
    m_dirtyFirstRow = m_dirtyFirstCol = m_dirtyFirstHeader = 0;
    m_dirtyLastRow = m_dirtyLastCol = m_dirtyLastHeader = -1;
    if (firstRow <= lastRow && firstCol <= lastCol)
        Q_EMIT dataChanged(index(std::max(firstRow, 0), firstCol), index(lastRow, lastCol));
    if (firstHeader <= lastHeader)
        Q_EMIT headerDataChanged(Qt::Horizontal, firstHeader, lastHeader);
}

std::pair<qint32, qint32> GridModel::clampRows(qint32 row, qint32 row2) const {
    if (row == -1)
        return {1, m_rows};
    if (row2 != -1 && row2 < row)
        std::swap(row, row2);
    return {std::max(row, 1), row2 == -1 ? m_rows : std::min(row2, m_rows)};
}

std::pair<qint32, qint32> GridModel::clampCols(qint32 col, qint32 col2) const {
    if (col == -1)
        return {1, m_cols};
    if (col2 != -1 && col2 < col)
        std::swap(col, col2);
    return {std::max(col, 1), col2 == -1 ? m_cols : std::min(col2, m_cols)};
}

} // namespace viVavazuruv::platform
