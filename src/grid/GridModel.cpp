#include "GridModel.h"
#include "GridSort.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace viVavazuruv::grid {

namespace {

const QList<int> TickRoles{Qt::BackgroundRole, Qt::ForegroundRole, Qt::CheckStateRole};
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
        return m_cells[col].at(row).toString();
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
    case Qt::CheckStateRole:
        // Where ticks are drawn every row is ticked or not; elsewhere only the chosen row says so.
        if (m_ticks[row])
            return Qt::Checked;
        return m_tickBackground.style() != Qt::NoBrush ? QVariant(Qt::Unchecked) : QVariant();
    case Qt::AccessibleTextRole:
        // A title line is read without its mark.
        if (col + 1 == m_titleLineColumn && isTitleLine(row + 1))
            return m_cells[col].at(row).mid(TitleLinePrefix.size()).toString();
        return {};
    case Qt::AccessibleDescriptionRole:
        if (isTitleLine(row + 1))
            return tr("Heading, cannot be chosen");
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
        for (TextColumn& column : m_cells)
            column.resize(rows);
        m_ticks.append(rows - m_rows, '\0');
        m_rows = rows;
        endInsertRows();
        return;
    }
    beginRemoveRows(QModelIndex(), rows, m_rows - 1);
    for (TextColumn& column : m_cells)
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
    return row == 0 ? m_headers[col - 1] : m_cells[col - 1].at(row - 1).toString();
}

QStringView GridModel::textView(qint32 col, qint32 row) const {
    if (col < 1 || col > m_cols || row < 0 || row > m_rows)
        return {};
    return row == 0 ? QStringView(m_headers[col - 1]) : m_cells[col - 1].at(row - 1);
}

bool GridModel::setText(qint32 col, qint32 row, QAnyStringView text) {
    if (col < 1 || col > m_cols || row < 0 || row > m_rows)
        return false;
    if (row == 0) {
        if (QAnyStringView(m_headers[col - 1]) != text) {
            m_headers[col - 1] = text.toString();
            headersChanged(col - 1, col - 1);
        }
        return true;
    }
    TextColumn& column = m_cells[col - 1];
    // A list being filled writes into empty cells: nothing to compare.
    if (column.isEmpty(row - 1) ? text.isEmpty() : QAnyStringView(column.at(row - 1)) == text)
        return true;
    column.set(row - 1, text);
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
    for (qint32 c = firstCol - 1; c < lastCol; ++c)
        m_cells[c].clear(firstRow - 1, lastRow - 1);
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
    for (const TextColumn& column : m_cells) {
        for (qint32 r = m_rows - 1; r >= last; --r) {
            if (!column.isEmpty(r)) {
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
    for (TextColumn& column : m_cells)
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

void GridModel::sortRows(qint32 row, qint32 row2, qint32 col, qint32 col2, const QList<GridSortKey>& keys) {
    const std::pair<qint32, qint32> rows = clampRows(row, row2);
    const std::pair<qint32, qint32> cols = clampCols(col, col2);
    const qint32 firstRow = rows.first, lastRow = rows.second;
    const qint32 firstCol = cols.first, lastCol = cols.second;
    if (lastRow <= firstRow || firstCol > lastCol)
        return;
    const qint32 count = lastRow - firstRow + 1;
    const qint32 base = firstRow - 1;
    QList<const TextColumn*> keyColumns;
    QList<Qt::SortOrder> keyOrders;
    for (const GridSortKey& key : keys) {
        if (key.column >= 1 && key.column <= m_cols) {
            keyColumns.append(&m_cells[key.column - 1]);
            keyOrders.append(key.order);
        }
    }
    if (keyColumns.isEmpty())
        return;

    const std::vector<qint32> order = sortedOrder(keyColumns, keyOrders, base, count);
    if (order.empty())
        return; // already in order: nothing moves, no layout change
    const bool wholeRows = firstCol == 1 && lastCol == m_cols;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    std::vector<qint32> newPosition(count); // old position - base -> new position (from 0)
    for (qint32 i = 0; i < count; ++i)
        newPosition[order[i] - base] = base + i;
    for (qint32 c = firstCol - 1; c < lastCol; ++c)
        m_cells[c].reorder(base, order);
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

bool GridModel::isTitleLine(qint32 row) const {
    return m_titleLineColumn >= 1 && m_titleLineColumn <= m_cols && row >= 1 && row <= m_rows &&
           m_cells[m_titleLineColumn - 1].at(row - 1).startsWith(TitleLinePrefix);
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

} // namespace viVavazuruv::grid
