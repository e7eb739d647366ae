#pragma once

#include "ListExport.h"

#include <viVavazuruv/ListHistory.h>

namespace viVavazuruv::lists {

// Writes the changes the filter lets through, oldest first, one a line: CSV
// with a header row (change, at, user, workstation, office, action, list,
// key, before, after; before and after the row as JSON text), or a JSON array
// with one object a change (before and after as objects, or null). Seals the
// history first. Gives the number of changes written.
qint64 writeHistory(ListHistory& history, const ChangeFilter& filter, FileFormat format, QIODevice& out);

// Whether the history holds changes not sealed yet (none without a history).
bool changesWaitForSeal(ReferenceHost& host);

} // namespace viVavazuruv::lists
