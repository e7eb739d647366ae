#pragma once

#include "TextColumn.h"

#include <QList>

#include <vector>

namespace viVavazuruv::grid {

// The new order of rows base .. base + count - 1 (from 0) sorted by the key
// columns, each in its order: texts compare without regard to case, ties
// keep their row order. Empty when the rows are in order already, so a
// list sorted again as it stands moves nothing.
std::vector<qint32> sortedOrder(const QList<const TextColumn*>& keyColumns,
                                const QList<Qt::SortOrder>& keyOrders, qint32 base, qint32 count);

} // namespace viVavazuruv::grid
