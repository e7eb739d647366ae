#include "GridControl.h"

#include "ColumnWidths.h"
#include "Contrast.h"
#include "GridHeader.h"
#include "GridModel.h"
#include "GridView.h"
#include "Twips.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <viVavazuruv/AutomationError.h>

namespace viVavazuruv::grid {

namespace {

[[noreturn]] void invalidCall(const QString& message) {
    throw AutomationError(ErrorCode::InvalidProcedureCall, message);
}

void checkSortIndex(qint16 index) {
    if (index != 1 && index != 2)
        invalidCall(QStringLiteral("sort key %1 does not exist; there are keys 1 and 2").arg(index));
}

// Marks a programmatic call: nothing it causes (scrolling, an editor closing)
// reaches the sink.
class ApiScope {
public:
    explicit ApiScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~ApiScope() { --m_depth; }
    Q_DISABLE_COPY_MOVE(ApiScope)

private:
    int& m_depth;
};

} // namespace

GridControl::GridControl(QWidget* parent) : QWidget(parent) {
    m_model = new GridModel(this);
    m_view = new GridView(*this);
    m_view->setModel(m_model);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFocusProxy(m_view);

    m_view->setAccessibleName(tr("Grid"));
    m_view->setWordWrap(false);
    // A chosen or ticked row's text must stay readable on its colour, which
    // some styles make too light for it (Fusion's blue is 3.7:1 under white).
    QPalette colours = m_view->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        colours.setColor(group, QPalette::Highlight,
                         withContrast(colours.color(group, QPalette::Highlight),
                                      colours.color(group, QPalette::HighlightedText), kTextContrast));
    m_view->setPalette(colours);
    m_view->verticalHeader()->hide();
    QHeaderView* header = m_view->horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);

    m_widthChars.fill(-1.0, 1);
    m_hidden.fill(false, 1);
    m_shadowColor = palette().color(QPalette::Button).rgb() & 0xFFFFFFu;
    m_shadowText = palette().color(QPalette::ButtonText).rgb() & 0xFFFFFFu;
    // A sans with the metrics office software is laid out for, rather than a
    // wide one: the column widths a list asks for then show what they should.
    QFont gridFont = m_view->font();
    gridFont.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial"),
                          QStringLiteral("Helvetica")});
    gridFont.setStyleHint(QFont::SansSerif);
    applyGridFont(gridFont);

    connect(
        m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) { currentRowChanged(current.isValid() ? current.row() + 1 : 0); });
    // A spreadsheet always has an active cell: the first one until someone
    // moves it, and a place rather than a record, so a reload leaves it where
    // it stood (or on the last row when the list got shorter).
    const auto ensureActiveCell = [this] {
        if (m_destroying || m_view->currentIndex().isValid() || m_model->maxRows() < 1 ||
            m_model->maxCols() < 1)
            return;
        const int row = std::clamp(m_lastActive.y(), 0, m_model->maxRows() - 1);
        const int col = std::clamp(m_lastActive.x(), 0, m_model->maxCols() - 1);
        m_view->selectionModel()->setCurrentIndex(m_model->index(row, col), QItemSelectionModel::NoUpdate);
    };
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                m_rowHeaderActive = false;
                if (current.isValid())
                    m_lastActive = QPoint(current.column(), current.row());
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, ensureActiveCell);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, ensureActiveCell);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, ensureActiveCell);
    // A sort moves a single choice's tick with its row, but the cursor is a
    // place and stays: the chosen row is the cursor's again.
    connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] {
        if (!m_destroying && m_mode == GridMode::SingleSelect)
            m_model->setOnlyTicked(ActiveRow());
    });
    connect(header, &QHeaderView::sectionResized, this, [this](int logical, int, int newSize) {
        // A width the user dragged becomes the column's width.
        if (m_destroying || m_applyingWidth || newSize <= 0 || logical + 1 >= m_widthChars.size())
            return;
        m_widthChars[logical + 1] = charsOfPixels(*m_view, newSize);
    });
    applyMode();
}

GridControl::~GridControl() {
    // The view and model go first, while the members their signals reach are alive.
    m_destroying = true;
    m_sink = nullptr;
    delete m_view;
    delete m_model;
}

QTableView* GridControl::view() const {
    return m_view;
}

qint32 GridControl::ActiveRow() const {
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

qint32 GridControl::ActiveCol() const {
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() && !m_rowHeaderActive ? current.column() + 1 : 0;
}

qint32 GridControl::MaxRows() const {
    return m_model->maxRows();
}

void GridControl::setMaxRows(qint32 rows) {
    if (rows < 0)
        invalidCall(QStringLiteral("MaxRows cannot be negative (%1)").arg(rows));
    ApiScope scope(m_apiDepth);
    m_model->setMaxRows(rows);
}

qint32 GridControl::MaxCols() const {
    return m_model->maxCols();
}

void GridControl::setMaxCols(qint32 cols) {
    if (cols < 0)
        invalidCall(QStringLiteral("MaxCols cannot be negative (%1)").arg(cols));
    ApiScope scope(m_apiDepth);
    const qint32 before = m_model->maxCols();
    // Added columns start with the default width, shown.
    m_widthChars.resize(cols + 1);
    m_hidden.resize(cols + 1);
    for (qint32 c = before + 1; c <= cols; ++c) {
        m_widthChars[c] = -1.0;
        m_hidden[c] = false;
    }
    m_model->setMaxCols(cols);
}

qint32 GridControl::DataRowCnt() const {
    return m_model->dataRowCount();
}

QString GridControl::Text() const {
    return m_model->text(m_col, m_row);
}

void GridControl::setText(const QString& text) {
    m_model->setText(m_col, m_row, text);
}

QString GridControl::GetText(qint32 col, qint32 row) const {
    return m_model->text(col, row);
}

QStringView GridControl::TextView(qint32 col, qint32 row) const {
    return m_model->textView(col, row);
}

void GridControl::SetText(qint32 col, qint32 row, QAnyStringView text) {
    m_model->setText(col, row, text);
}

void GridControl::ClearRange(qint32 col, qint32 row, qint32 col2, qint32 row2, bool dataOnly) {
    ApiScope scope(m_apiDepth);
    m_model->clearRange(col, row, col2, row2, dataOnly);
}

void GridControl::setAction(qint16 action) {
    ApiScope scope(m_apiDepth);
    switch (action) {
    case GridAction::ActivateCell: {
        if (m_row < 1 || m_row > MaxRows() || MaxCols() < 1)
            break;
        // Column 0 is the row's header, as in any spreadsheet: the row is
        // current, no cell of it is; the view's cursor stands on its first cell.
        const bool header = m_col == 0;
        const qint32 col = m_col >= 1 && m_col <= MaxCols() ? m_col : header ? 1 : std::max(ActiveCol(), 1);
        m_view->setCurrentIndex(m_model->index(m_row - 1, col - 1));
        m_rowHeaderActive = header;
        break;
    }
    case GridAction::ScrollToCell: {
        if (MaxRows() < 1 || MaxCols() < 1)
            break;
        const qint32 row = std::clamp(m_row >= 1 ? m_row : std::max(ActiveRow(), 1), 1, MaxRows());
        const qint32 col = std::clamp(m_col >= 1 ? m_col : std::max(ActiveCol(), 1), 1, MaxCols());
        const auto hint = m_position == 3   ? QAbstractItemView::PositionAtTop
                          : m_position == 6 ? QAbstractItemView::PositionAtCenter
                                            : QAbstractItemView::EnsureVisible;
        m_view->layoutNow();
        m_view->scrollTo(m_model->index(row - 1, col - 1), hint);
        break;
    }
    case GridAction::DeleteRow:
        m_model->deleteRow(m_row);
        break;
    case GridAction::Sort: {
        QList<GridSortKey> keys;
        for (int i = 0; i < 2; ++i) {
            if (m_sortOrder[i] != SortOrder::None)
                keys.append({m_sortKey[i], m_sortOrder[i] == SortOrder::Descending ? Qt::DescendingOrder
                                                                                   : Qt::AscendingOrder});
        }
        m_model->sortRows(m_row, m_row2, m_col, m_col2, keys);
        break;
    }
    default:
        invalidCall(QStringLiteral("grid action %1 is not supported").arg(action));
    }
    m_action = action;
}

void GridControl::setSortBy(qint16 sortBy) {
    if (sortBy != 0)
        invalidCall(QStringLiteral("the grid sorts by rows only (SortBy 0), not %1").arg(sortBy));
}

void GridControl::setSortKey(qint16 index, qint32 col) {
    checkSortIndex(index);
    m_sortKey[index - 1] = col;
}

qint32 GridControl::SortKey(qint16 index) const {
    checkSortIndex(index);
    return m_sortKey[index - 1];
}

void GridControl::setSortKeyOrder(qint16 index, qint16 order) {
    checkSortIndex(index);
    if (order < 0 || order > 2)
        invalidCall(
            QStringLiteral("sort order %1 is not 0 (none), 1 (ascending) or 2 (descending)").arg(order));
    m_sortOrder[index - 1] = order;
}

qint16 GridControl::SortKeyOrder(qint16 index) const {
    checkSortIndex(index);
    return m_sortOrder[index - 1];
}

void GridControl::setOperationMode(qint16 mode) {
    if (mode != 0 && mode != 1 && mode != 3 && mode != 4)
        invalidCall(QStringLiteral("operation mode %1 is not supported").arg(mode));
    if (mode == m_mode)
        return;
    ApiScope scope(m_apiDepth);
    m_view->abandonEditor();
    m_mode = mode;
    m_model->setTicked(-1, false);
    m_view->clearSelection();
    applyMode();
    if (m_mode == GridMode::SingleSelect)
        m_model->setOnlyTicked(ActiveRow());
}

void GridControl::applyMode() {
    const bool rows = m_mode == GridMode::SingleSelect || m_mode == GridMode::MultiSelect;
    m_model->setEditable(m_mode == GridMode::Edit);
    m_view->setEditTriggers(m_mode == GridMode::Edit
                                ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                      QAbstractItemView::AnyKeyPressed
                                : QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(rows ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    // Ticks in mode 4 are the model's own and drawn by it; the view's
    // selection would only follow the cursor.
    m_view->setSelectionMode(m_mode == GridMode::MultiSelect ? QAbstractItemView::NoSelection
                                                             : QAbstractItemView::SingleSelection);
    if (m_mode == GridMode::MultiSelect)
        m_model->setTickBrushes(m_view->palette().brush(QPalette::Highlight),
                                m_view->palette().brush(QPalette::HighlightedText));
    else
        m_model->setTickBrushes(Qt::NoBrush, Qt::NoBrush);
}

void GridControl::currentRowChanged(qint32 row) {
    if (!m_destroying && m_mode == GridMode::SingleSelect)
        m_model->setOnlyTicked(row);
}

qint32 GridControl::SelectedCount() const {
    return m_model->tickedCount();
}

bool GridControl::RowSelected() const {
    return m_model->isTicked(m_row);
}

void GridControl::setRowSelected(bool selected) {
    ApiScope scope(m_apiDepth);
    if (m_mode == GridMode::SingleSelect && selected && m_row >= 1 && m_row <= MaxRows() && MaxCols() >= 1) {
        // Single selection: the selected row is the cursor row.
        m_view->setCurrentIndex(m_model->index(m_row - 1, std::max(ActiveCol(), 1) - 1));
        m_model->setOnlyTicked(m_row);
        return;
    }
    if (m_mode == GridMode::SingleSelect && !selected && (m_row == -1 || m_model->isTicked(m_row)))
        m_view->clearSelection();
    m_model->setTicked(m_row, selected);
}

qint32 GridControl::NextSelectedRow(qint32 afterRow) const {
    return m_model->nextTicked(afterRow);
}

double GridControl::ColWidth(qint32 col) const {
    if (col < 0 || col > MaxCols())
        return 0.0;
    if (m_widthChars[col] >= 0)
        return m_widthChars[col];
    return col == 0 ? 0.0 : charsOfPixels(*m_view, m_view->horizontalHeader()->defaultSectionSize());
}

void GridControl::setColWidth(qint32 col, double width) {
    if (!std::isfinite(width) || width < 0)
        invalidCall(QStringLiteral("column width %1 is not a width").arg(width));
    ApiScope scope(m_apiDepth);
    if (col == -1) {
        for (qint32 c = 1; c <= MaxCols(); ++c) {
            m_widthChars[c] = width;
            applyColumnWidth(c);
        }
        return;
    }
    if (col < 0 || col > MaxCols())
        return;
    m_widthChars[col] = width;
    applyColumnWidth(col);
}

void GridControl::applyColumnWidth(qint32 col) {
    m_applyingWidth = true;
    const double chars = m_widthChars[col];
    if (col == 0) {
        if (chars > 0 && !m_view->rowNumberHeaderIfMade()) {
            GridHeader* made = m_view->rowNumberHeader();
            if (m_view->columnHeader()->coloured())
                made->setColours(m_shadowColor, m_shadowText);
        }
        QHeaderView* rowNumbers = m_view->verticalHeader();
        rowNumbers->setVisible(chars > 0);
        if (chars > 0)
            rowNumbers->setFixedWidth(pixelsOfChars(*m_view, chars));
    } else {
        QHeaderView* header = m_view->horizontalHeader();
        const bool hide = m_hidden[col] || chars == 0;
        header->setSectionHidden(col - 1, hide);
        if (!hide)
            header->resizeSection(col - 1,
                                  chars > 0 ? pixelsOfChars(*m_view, chars) : header->defaultSectionSize());
    }
    m_applyingWidth = false;
    fitSpareWidth();
}

void GridControl::setSpareWidthColumn(qint32 col) {
    m_spareWidthColumn = col;
    fitSpareWidth();
}

int GridControl::columnsWidth() const {
    const QHeaderView* header = m_view->horizontalHeader();
    int width = 2 * m_view->frameWidth() + m_view->verticalScrollBar()->sizeHint().width();
    if (!m_view->verticalHeader()->isHidden())
        width += m_view->verticalHeader()->width();
    for (qint32 col = 1; col <= MaxCols(); ++col) {
        if (header->isSectionHidden(col - 1))
            continue;
        // The spare column counts with its own width, not what it took of the grid's.
        width += col == m_spareWidthColumn && m_widthChars[col] > 0
                     ? pixelsOfChars(*m_view, m_widthChars[col])
                     : header->sectionSize(col - 1);
    }
    return width;
}

void GridControl::fitSpareWidth() {
    const qint32 col = m_spareWidthColumn;
    if (m_destroying || m_applyingWidth || col < 1 || col > MaxCols() || m_hidden[col] ||
        m_widthChars[col] == 0)
        return;
    QHeaderView* header = m_view->horizontalHeader();
    const int own =
        m_widthChars[col] > 0 ? pixelsOfChars(*m_view, m_widthChars[col]) : header->defaultSectionSize();
    const int others = header->length() - header->sectionSize(col - 1);
    const int width = std::max(own, m_view->viewport()->width() - others);
    if (width == header->sectionSize(col - 1))
        return;
    m_applyingWidth = true;
    header->resizeSection(col - 1, width);
    m_applyingWidth = false;
}

bool GridControl::ColHidden() const {
    if (m_col == -1) {
        for (qint32 c = 1; c <= MaxCols(); ++c) {
            if (!m_hidden[c])
                return false;
        }
        return MaxCols() > 0;
    }
    return m_col >= 1 && m_col <= MaxCols() && m_hidden[m_col];
}

void GridControl::setColHidden(bool hidden) {
    ApiScope scope(m_apiDepth);
    const qint32 first = m_col == -1 ? 1 : m_col;
    const qint32 last = m_col == -1 ? MaxCols() : m_col;
    if (first < 1 || last > MaxCols())
        return;
    for (qint32 c = first; c <= last; ++c) {
        m_hidden[c] = hidden;
        applyColumnWidth(c);
    }
}

bool GridControl::FontBold() const {
    return m_model->bold(m_col, m_row);
}

void GridControl::setFontBold(bool bold) {
    ApiScope scope(m_apiDepth);
    m_model->setBold(m_col, m_row, bold);
    if (m_col == -1 && m_row == -1)
        applyGridFont(m_model->baseFont());
}

double GridControl::FontSize() const {
    return m_model->pointSize(m_col, m_row);
}

void GridControl::setFontSize(double points) {
    if (!std::isfinite(points) || points <= 0 || points > 1638)
        invalidCall(QStringLiteral("font size %1 is not a size in points").arg(points));
    ApiScope scope(m_apiDepth);
    m_model->setPointSize(m_col, m_row, points);
    if (m_col == -1 && m_row == -1)
        applyGridFont(m_model->baseFont());
}

void GridControl::applyGridFont(const QFont& font) {
    // A list set up again with the same font keeps its row heights and widths;
    // laying out a long list anew for nothing is what this spares.
    if (m_gridFontApplied && font == m_view->font()) {
        m_model->setBaseFont(font);
        return;
    }
    m_gridFontApplied = true;
    m_view->setFont(font);
    m_model->setBaseFont(font);
    // Rows follow the font; 1.5 times its line height keeps text clear of the grid lines.
    QHeaderView* rows = m_view->verticalHeader();
    const int height = QFontMetrics(font).height() + 6;
    rows->setMinimumSectionSize(std::min(rows->minimumSectionSize(), height));
    rows->setDefaultSectionSize(height);
    // Widths are in characters of this font.
    for (qint32 c = 0; c < m_widthChars.size(); ++c) {
        if (m_widthChars[c] >= 0)
            applyColumnWidth(c);
    }
}

void GridControl::setShadowColor(quint32 rgb) {
    m_shadowColor = rgb & 0xFFFFFFu;
    applyHeaderColours();
}

void GridControl::setShadowText(quint32 rgb) {
    m_shadowText = rgb & 0xFFFFFFu;
    applyHeaderColours();
}

void GridControl::applyHeaderColours() {
    m_view->columnHeader()->setColours(m_shadowColor, m_shadowText);
    if (GridHeader* rowNumbers = m_view->rowNumberHeaderIfMade())
        rowNumbers->setColours(m_shadowColor, m_shadowText);
}

void GridControl::setReDraw(bool on) {
    if (on == m_redraw)
        return;
    m_redraw = on;
    if (!on) {
        m_model->setBatching(true);
        m_view->setUpdatesEnabled(false);
        return;
    }
    m_model->setBatching(false);
    m_view->setUpdatesEnabled(true);
    m_view->viewport()->update();
}

float GridControl::RowHeightToTwips(qint32 row, float height) const {
    Q_UNUSED(row)
    // 12.5 grid units are one default row.
    const double pixels = double(height) * m_view->verticalHeader()->defaultSectionSize() / 12.5;
    return float(pixelsToTwipsY(pixels));
}

void GridControl::Refresh() {
    m_view->viewport()->update();
    m_view->horizontalHeader()->viewport()->update();
}

void GridControl::SetFocus() {
    m_view->setFocus(Qt::OtherFocusReason);
}

void GridControl::CommitEdit() {
    m_view->commitEdit();
}

void GridControl::announce(const QString& message) {
    m_view->announce(message);
}

void GridControl::announceCurrentCell() {
    m_view->announceCurrentCell();
}

qint32 GridControl::Left() const {
    return qRound(pixelsToTwipsX(x()));
}

qint32 GridControl::Top() const {
    return qRound(pixelsToTwipsY(y()));
}

qint32 GridControl::Width() const {
    return qRound(pixelsToTwipsX(width()));
}

qint32 GridControl::Height() const {
    return qRound(pixelsToTwipsY(height()));
}

void GridControl::Move(qint32 left, qint32 top, qint32 width, qint32 height) {
    setGeometry(twipsToPixelsX(left), twipsToPixelsY(top), std::max(0, twipsToPixelsX(width)),
                std::max(0, twipsToPixelsY(height)));
}

bool GridControl::Visible() const {
    return parentWidget() ? isVisibleTo(parentWidget()) : isVisible();
}

void GridControl::setVisible(bool visible) {
    ApiScope scope(m_apiDepth);
    QWidget::setVisible(visible);
}

bool GridControl::Enabled() const {
    return !testAttribute(Qt::WA_ForceDisabled);
}

void GridControl::setEnabled(bool enabled) {
    ApiScope scope(m_apiDepth);
    QWidget::setEnabled(enabled);
}

void GridControl::setContainer(QObject* container) {
    QWidget* target = nullptr;
    if (container) {
        target = qobject_cast<QWidget*>(container);
        if (!target)
            invalidCall(QStringLiteral("the container of a grid must be a widget"));
        if (target == this || isAncestorOf(target))
            invalidCall(QStringLiteral("a grid cannot contain its own container"));
    }
    if (target == parentWidget())
        return;
    ApiScope scope(m_apiDepth);
    const bool hiddenOnPurpose = testAttribute(Qt::WA_WState_ExplicitShowHide) && isHidden();
    const QRect place = geometry();
    setParent(target);
    setGeometry(place);
    // Reparenting hides a widget; a grid in a container shows unless it was hidden.
    if (target && !hiddenOnPurpose)
        QWidget::setVisible(true);
}

} // namespace viVavazuruv::grid
