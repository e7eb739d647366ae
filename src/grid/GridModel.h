#pragma once

#include <QAbstractTableModel>
#include <QBrush>
#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QList>
#include <QString>
#include <QVector>

#include <vector>

#include "IGridControl.h"
#include "TextColumn.h"

namespace viVavazuruv::grid {

// One key of a row sort: a grid column (from 1) and its direction.
struct GridSortKey {
    qint32 column = 0;
    Qt::SortOrder order = Qt::AscendingOrder;
};

// Cell storage of the grid control. The model is addressed two ways: the
// QAbstractItemModel way (rows and columns from 0, data rows only) for the
// view, and the grid way (rows and columns from 1, row 0 the header row, -1
// all) for the control. Texts live in one TextColumn per column; ticks in one
// byte per row; fonts only where someone set them, so 100,000 rows by 7
// columns cost their characters and little else.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    qint32 maxRows() const { return m_rows; }
    qint32 maxCols() const { return m_cols; }
    // Growing adds empty rows or columns; shrinking drops them with their
    // texts, ticks and fonts. Negative counts are ignored.
    void setMaxRows(qint32 rows);
    void setMaxCols(qint32 cols);

    // Text of a cell; row 0 is the header. "" outside the grid.
    QString text(qint32 col, qint32 row) const;
    QStringView textView(qint32 col, qint32 row) const;
    // False (and nothing changes) outside the grid.
    bool setText(qint32 col, qint32 row, QAnyStringView text);
    // Empties the data cells of a block (-1 for every row or column); the
    // header row is never touched. Without dataOnly the cells' fonts go too.
    void clearRange(qint32 col, qint32 row, qint32 col2, qint32 row2, bool dataOnly);
    // The last row holding a non-empty text; 0 when none does.
    qint32 dataRowCount() const;
    // Removes a data row; the rows below move up. False when there is no such row.
    bool deleteRow(qint32 row);
    // Stable sort of rows row..row2 (from 1) moving the texts of columns
    // col..col2. Texts compare without regard to case; keys whose column is
    // outside the grid are skipped. Ticks and row fonts travel with their rows
    // only when the block spans every column.
    void sortRows(qint32 row, qint32 row2, qint32 col, qint32 col2, const QList<GridSortKey>& keys);

    // Ticks: the selection of a multiple-selection grid. Row -1 means every row.
    bool isTicked(qint32 row) const;
    void setTicked(qint32 row, bool ticked);
    // Leaves exactly row ticked (none when row is outside the grid).
    void setOnlyTicked(qint32 row);
    qint32 tickedCount() const { return m_tickCount; }
    // The first ticked row after afterRow, in row order; -1 when there is none.
    qint32 nextTicked(qint32 afterRow) const;
    // How ticked rows are drawn; Qt::NoBrush leaves them undecorated.
    void setTickBrushes(const QBrush& background, const QBrush& foreground);

    // The column whose text marks a title line (a heading that cannot be
    // chosen); 0, the default, for a list without them. Assistive technology
    // hears a title line as a heading, and a row's tick as its checked state.
    void setTitleLineColumn(qint32 col) { m_titleLineColumn = col; }
    bool isTitleLine(qint32 row) const;

    // Fonts of cells (row 0 is the header, -1 all rows or columns). The most
    // recent setting that covers a cell wins. (-1, -1) changes the base font.
    bool bold(qint32 col, qint32 row) const;
    void setBold(qint32 col, qint32 row, bool bold);
    double pointSize(qint32 col, qint32 row) const;
    void setPointSize(qint32 col, qint32 row, double points);
    QFont baseFont() const { return m_baseFont; }
    // Replaces the base font; overrides stay.
    void setBaseFont(const QFont& font);

    bool isEditable() const { return m_editable; }
    void setEditable(bool editable);

    // While batching, cell changes emit nothing; ending the batch emits one
    // dataChanged covering every cell changed. Structural changes (rows,
    // columns, sorting) still signal as they happen.
    bool isBatching() const { return m_batching; }
    void setBatching(bool batching);

private:
    template <typename T> struct Stamped {
        T value{};
        quint64 stamp = 0;
    };
    // A font attribute in layers: the base value, then column, row and cell
    // settings; among those covering a cell, the newest wins.
    template <typename T> struct Layered {
        T base{};
        QHash<qint32, Stamped<T>> byCol;
        QHash<qint32, Stamped<T>> byRow;
        QHash<quint64, Stamped<T>> byCell;

        bool hasOverrides() const { return !byCol.isEmpty() || !byRow.isEmpty() || !byCell.isEmpty(); }
        T resolve(qint32 col, qint32 row) const;
        void set(qint32 col, qint32 row, T value, quint64 stamp);
    };

    static quint64 cellKey(qint32 row, qint32 col) { return (quint64(quint32(row)) << 32) | quint32(col); }
    static qint32 keyRow(quint64 key) { return qint32(key >> 32); }
    static qint32 keyCol(quint64 key) { return qint32(key & 0xffffffffu); }

    // Rewrites the row of every row-keyed font setting; mapRow returns the
    // new row, or -1 to drop the setting.
    template <typename MapRow>
    void remapFontRows(MapRow mapRow, bool rowSettingsToo, qint32 firstCol, qint32 lastCol);
    template <typename Keep> void dropFontColumns(Keep keepCol);

    void cellsChanged(qint32 firstRow, qint32 lastRow, qint32 firstCol, qint32 lastCol,
                      const QList<int>& roles = {});
    void headersChanged(qint32 firstCol, qint32 lastCol);
    void fontsChanged(qint32 col, qint32 row);
    void flushBatch();
    std::pair<qint32, qint32> clampRows(qint32 row, qint32 row2) const;
    std::pair<qint32, qint32> clampCols(qint32 col, qint32 col2) const;

    qint32 m_rows = 0;
    qint32 m_cols = 0;
    std::vector<TextColumn> m_cells; // [column][row], both from 0
    QVector<QString> m_headers;
    QByteArray m_ticks; // one byte per data row, from 0
    qint32 m_tickCount = 0;
    mutable qint32 m_lastDataRow = 0; // -1 while unknown
    QBrush m_tickBackground;
    QBrush m_tickForeground;
    qint32 m_titleLineColumn = 0;

    QFont m_baseFont;
    Layered<bool> m_bold;
    Layered<double> m_size;
    quint64 m_fontStamp = 0;

    bool m_editable = false;
    bool m_batching = false;
    // Bounding block (from 0) of the cells changed while batching; empty when firstRow > lastRow.
    qint32 m_dirtyFirstRow = 0, m_dirtyLastRow = -1, m_dirtyFirstCol = 0, m_dirtyLastCol = -1;
    qint32 m_dirtyFirstHeader = 0, m_dirtyLastHeader = -1;
};

} // namespace viVavazuruv::grid
