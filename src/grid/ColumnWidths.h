#pragma once

class QWidget;

namespace viVavazuruv::grid {

// A column's width is counted in average characters of the view's font, plus
// a slack for the cell's text margins and one wide letter: width 3 shows a
// three-letter code in capitals, width 40 forty characters of ordinary text.
// The view (a QTableView) gives the font and the style's margins.
double averageCharWidth(const QWidget& view);
double columnSlack(const QWidget& view);

// A column's pixels for a width in characters (at least one), and back (never negative).
int pixelsOfChars(const QWidget& view, double chars);
double charsOfPixels(const QWidget& view, int pixels);

} // namespace viVavazuruv::grid
