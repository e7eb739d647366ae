#pragma once

#include "ListTable.h"

#include <QIODevice>

namespace viVavazuruv::lists {

enum class FileFormat { Csv, Json };

// Writes the rows of the lists codes (every list when empty) in the host's
// office, as stored: every column, a header row (CSV) or one object a row
// (JSON), UTF-8. A CSV file then carries the host's tables that make those
// code lists work (HostTables.h). Gives the number of rows written; raises AutomationError for
// the database and for an output that fails.
qint64 exportLists(ReferenceHost& host, const QStringList& codes, FileFormat format, QIODevice& out,
                   const Progress& progress = {});

} // namespace viVavazuruv::lists
