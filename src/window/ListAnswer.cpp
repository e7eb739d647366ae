// A caller's group code answered from the list as the loaded window's grid
// would answer it, without the window: the rows as level 0 shows them
// (office clause, the first title line's decision, variables shown as
// "(?)"), sorted as the grid sorts them, compared as the entry points
// compare. Nothing here asks the host: the load did, as the window's does.
#include "ListAnswer.h"

#include "LoadedList.h"

#include <ado/VbStrings.h>
#include <grid/GridSort.h>

#include <vector>

namespace viVavazuruv {

std::optional<QString> ListAnswer(const LoadedList& loaded, const PickerRequest& request,
                                  const QString& value) {
    if (value.isEmpty() || loaded.list.ColumnCount < 2)
        return std::nullopt; // nothing to look up, or no description column to answer with
    const qint32 rows = loaded.rows;
    const auto column = [&](qint32 col) -> const grid::TextColumn& {
        return loaded.columns[size_t(col)];
    };
    // The grid sorts by two keys, each ascending, descending or not at all;
    // a request asking for more, or another order, gets the window's error.
    std::vector<qint32> order;
    if (request.SortKeys.UBound() >= 1 && request.SortKeys(1) >= 1) {
        if (request.SortKeys.UBound() > 2 || request.SortKeyOrders.UBound() < request.SortKeys.UBound())
            return std::nullopt;
        QList<const grid::TextColumn*> keyColumns;
        QList<Qt::SortOrder> keyOrders;
        for (int k = 1; k <= request.SortKeys.UBound(); ++k) {
            const qint16 sortOrder = request.SortKeyOrders(k);
            if (sortOrder < 0 || sortOrder > 2)
                return std::nullopt;
            // The status column beyond the list's own holds the same mark on every row.
            const qint32 col = request.SortKeys(k);
            if (sortOrder == 0 || col < 1 || col > loaded.list.ColumnCount)
                continue;
            keyColumns.append(&column(col));
            keyOrders.append(sortOrder == 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
        }
        if (!keyColumns.isEmpty() && rows > 1)
            order = grid::sortedOrder(keyColumns, keyOrders, 0, rows);
    }
    const QString wanted = vb::Trim(value).toUpper();
    for (qint32 i = 0; i < rows; ++i) {
        const qint32 r = order.empty() ? i : order[size_t(i)];
        if (vb::Trim(column(1).at(r).toString()).toUpper() != wanted)
            continue;
        QString description = column(2).at(r).toString();
        if (description.isEmpty())
            return std::nullopt;
        return description;
    }
    return std::nullopt;
}

} // namespace viVavazuruv
