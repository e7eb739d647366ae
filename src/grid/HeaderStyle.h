#pragma once

#include <QString>
#include <QtGlobal>

class QTableView;

namespace viVavazuruv::grid {

// The style sheet that colours a grid's headers (ShadowColor, ShadowText): a
// sheet, because the header styles paint their own gradients and ignore the
// palette (Fusion among them). Restyling costs a fresh style and header
// layout, so a new sheet waits until the grid is about to show, the row
// numbers' until they show, and the same colours again change nothing.
class HeaderStyle {
public:
    // True when the colours make a sheet other than the one kept; it then waits.
    bool setColours(quint32 background, quint32 text);
    // Puts a waiting sheet onto the column header, and onto the row numbers if shown.
    void apply(QTableView& view);
    // Puts a waiting sheet onto the row numbers, which are about to show.
    void applyRowNumbers(QTableView& view);

private:
    QString m_sheet;
    bool m_pending = false;
    bool m_rowNumbersPending = false;
};

} // namespace viVavazuruv::grid
