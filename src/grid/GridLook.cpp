// How a grid looks: its font, the header's colours, drawing held off, row
// heights.
#include "GridControl.h"

#include "ApiScope.h"
#include "Contrast.h"
#include "GridHeader.h"
#include "GridModel.h"
#include "GridView.h"
#include "Twips.h"

#include <QFontMetrics>
#include <QHeaderView>

#include <algorithm>
#include <cmath>

namespace viVavazuruv::grid {

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

} // namespace viVavazuruv::grid
