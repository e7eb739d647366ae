#pragma once

#include "Csv.h"
#include "ListTable.h"

#include <QList>

#include <optional>

// The host's own tables that make code lists work (the list a reference
// names, the words that join a list's entries, lists inserted item by item,
// the list a variable opens). They travel with the lists in a CSV file, after
// the list rows: a header row naming one table's columns as TABLE.COLUMN,
// then that table's rows.
namespace viVavazuruv::lists {

// Appends the rows of those tables that concern the lists codes (every row
// when empty) as CSV sections.
void appendHostTables(ReferenceHost& host, const QStringList& codes, QString& csv);

// Where the sections begin among a file's records (records.size() when none).
qsizetype hostTablesStart(const QList<CsvRecord>& records);

struct HostTableRow {
    int table = 0; // which of the host's tables
    const CsvRecord* record = nullptr;
    QStringList values; // in the table's column order
};

// The sections' rows, checked (FileFault naming the line); with replace only
// the rows of that list.
QList<HostTableRow> readHostTables(const QList<CsvRecord>& records, qsizetype from,
                                   const std::optional<QString>& replace);

// Stores the rows through the host's setters, which key them as their
// getters look them up; a row a setter refuses raises FileFault naming its line.
void storeHostTables(ReferenceHost& host, const QList<HostTableRow>& rows);

} // namespace viVavazuruv::lists
