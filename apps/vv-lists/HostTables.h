#pragma once

#include "Csv.h"
#include "ListTable.h"

#include <QList>

#include <optional>

// The host's own tables that make code lists work (the list a reference
// names, the words that join a list's entries, lists inserted item by item,
// the list a variable opens). They travel with the lists in a file, after
// the list rows: a header row naming one table's columns as TABLE.COLUMN,
// then that table's rows (in a workbook, each table on a sheet of its own).
namespace viVavazuruv::lists {

class RecordSink;

// Writes the rows of those tables that concern the lists codes (every row
// when empty), each table that has any as a table of its own after its
// header row. Raises AutomationError for the database and for the sink.
void writeHostTables(ReferenceHost& host, const QStringList& codes, RecordSink& sink);

// Whether a record is the header row of one of those tables' sections.
bool headsHostTable(const CsvRecord& record);

// Where the sections begin among a file's records (records.size() when none).
qsizetype hostTablesStart(const QList<CsvRecord>& records);

struct HostTableRow {
    int table = 0; // which of the host's tables
    const CsvRecord* record = nullptr;
    QStringList values; // in the table's column order
};

// The sections' rows, checked (FileFault naming the line); with replace only
// the rows of that list. Empty fields a spreadsheet pads a header or row with
// are passed over.
QList<HostTableRow> readHostTables(const QList<CsvRecord>& records, qsizetype from,
                                   const std::optional<QString>& replace);

// Stores the rows through the host's setters, which key them as their
// getters look them up; a row a setter refuses raises FileFault naming its line.
void storeHostTables(ReferenceHost& host, const QList<HostTableRow>& rows);

} // namespace viVavazuruv::lists
