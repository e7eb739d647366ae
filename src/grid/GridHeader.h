#pragma once

#include <QColor>
#include <QHeaderView>

namespace viVavazuruv::grid {

// A grid's column header or row numbers. Until the list gives it colours
// (ShadowColor, ShadowText) it draws as the style does; then every section is
// a flat fill of the background with a darker line on its right and bottom
// and the caption in the text colour, three pixels in from either side, and
// one pixel taller and seven wider than the style's own section. The header
// styles paint their own gradients and ignore the palette, so the section is
// drawn here: a style sheet would give every grid a style of its own and a
// fresh polish of its headers before the window's first paint.
class GridHeader final : public QHeaderView {
public:
    GridHeader(Qt::Orientation orientation, QWidget* parent);

    // Colours as 0xRRGGBB; the sections are drawn in them from now on.
    void setColours(quint32 background, quint32 text);
    bool coloured() const { return m_coloured; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    bool m_coloured = false;
    QColor m_background;
    QColor m_text;
    QColor m_line;
};

} // namespace viVavazuruv::grid
