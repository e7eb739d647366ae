#pragma once

#include <QModelIndex>

class QAccessibleEvent;

namespace viVavazuruv::grid {

class GridView;

// What assistive technology is told about a grid. A grid is a table of the
// columns a person sees: the hidden ones (keys, row status) are not there.
// Its children are the header cells, then the cells row by row, each row over
// the shown columns. A cell reports the focus only while its grid has it, so
// a covered level's grid reports none; in a grid that ticks rows every cell
// is checkable and a ticked row's cells are checked; nothing else is ever
// checked, a single choice being the row drawn as selected.
namespace gridAccessibility {

// Gives every GridView this table; the first call installs it for the process.
void install();

// Whether notices are wanted: a screen reader is on, or someone listens.
bool heard();
// Someone who hears every notice the grids give, whether or not a screen
// reader is on (Qt tells the platform's only while one is); null for none.
using Listener = void (*)(QAccessibleEvent* event);
void setListener(Listener listener);

// The cell assistive technology knows for index: itself, or for a cell of a
// hidden column the first shown cell of its row. Invalid when there is none.
QModelIndex shownCell(const GridView& view, const QModelIndex& index);

// Notices about a cell, each for shownCell(index).
void sendFocus(GridView& view, const QModelIndex& index);
void sendCheckedChanged(GridView& view, const QModelIndex& index);
void sendDescriptionChanged(GridView& view, const QModelIndex& index);
void sendSelectionChanged(GridView& view, const QModelIndex& index, bool selected);

} // namespace gridAccessibility

} // namespace viVavazuruv::grid
