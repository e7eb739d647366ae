#pragma once

#include "RecordSink.h"

// Workbooks (xlsx) for editing lists in a spreadsheet: each table a sheet of
// its own, its first row the column names; every cell a text cell, and every
// column formatted as text, so that a spreadsheet keeps "007", "1/2" or
// "=SUM(A1)" as typed, also in a cell edited later. Written through
// libxlsxwriter to a temporary file, then copied to out on finish().
// Raises AutomationError (HostError) when the workbook cannot be made, for a
// field longer than a cell holds, for more rows than a sheet holds, and for an
// output that fails.
namespace viVavazuruv::lists {

std::unique_ptr<RecordSink> xlsxSink(QIODevice& out);

} // namespace viVavazuruv::lists
