#pragma once

#include "ListTable.h"

#include <QIODevice>

namespace viVavazuruv::lists {

enum class FileFormat { Csv, Json, Xlsx };

// Writes the rows of the lists codes (every list when empty) in the host's
// office, as stored: every column, a header row (CSV, xlsx) or one object a
// row (JSON), UTF-8. A CSV file (after a byte order mark if byteOrderMark)
// then carries the host's tables that make those code lists work
// (HostTables.h); a workbook carries them on sheets of their own. Gives the
// number of rows written; raises AutomationError for the database and for an
// output that fails, naming what failed (Csv.h, XlsxWriter.h tell how each
// format keeps its text).
qint64 exportLists(ReferenceHost& host, const QStringList& codes, FileFormat format, QIODevice& out,
                   const Progress& progress = {}, bool byteOrderMark = false);

} // namespace viVavazuruv::lists
