#pragma once

#include "RecordSource.h"

// The records of an xlsx workbook, read through libzip and QXmlStreamReader:
// its sheets one after the other in the workbook's order, each non-empty row
// a record whose line is the row's number and whose where names sheet and
// row. A cell reads as the text the file stores for it: its string (shared or
// inline, _xHHHH_ escapes undone), or a number, truth value or formula result
// as written there. A row gets at least as many fields as its sheet's first
// row, since a sheet stores no empty cell after a row's last value. Rows are
// read as they are needed; only the workbook's table of shared strings is held.
namespace viVavazuruv::lists {

// The workbook in the file at path; name is how messages call it. Throws
// FileFault for a file that is not an xlsx workbook or cannot be read.
std::unique_ptr<RecordSource> xlsxRecords(const QString& path, const QString& name);

} // namespace viVavazuruv::lists
