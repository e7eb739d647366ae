// A grid's columns: widths in twips, the column that takes the spare width,
// hidden columns.
#include "GridControl.h"

#include "ApiScope.h"
#include "ColumnWidths.h"
#include "GridHeader.h"
#include "GridView.h"
#include "Twips.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace viVavazuruv::grid {

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

} // namespace viVavazuruv::grid
