#pragma once

#include "Csv.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// A list file's records one at a time, whatever its format, so import reads a
// file of any size without holding it whole.
namespace viVavazuruv::lists {

class RecordSource {
public:
    virtual ~RecordSource() = default;
    // The next record, std::nullopt after the last. Throws FileFault naming
    // the line (or the sheet's row) for a file that cannot be read.
    virtual std::optional<CsvRecord> next() = 0;
};

// The records of a CSV file held in memory.
std::unique_ptr<RecordSource> csvRecords(QByteArray utf8);

// The records of the file at path ("-": standard input), in the format its
// contents show: an xlsx workbook (a ZIP archive, XlsxReader.h), else CSV
// (Csv.h). Read as the records are asked for. Throws FileFault for a file
// that cannot be opened, an Excel 97-2003 or OpenDocument file, and a ZIP
// archive that is no workbook.
std::unique_ptr<RecordSource> openRecordSource(const QString& path);

// Spreadsheets pad a row with empty cells up to the widest row of the sheet:
// drops empty fields from the end while more than keep remain.
void dropTrailingEmpty(QStringList& fields, qsizetype keep);

} // namespace viVavazuruv::lists
