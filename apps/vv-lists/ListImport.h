#pragma once

#include "Csv.h"
#include "ListTable.h"

#include <optional>

namespace viVavazuruv::lists {

struct ImportOptions {
    // Replace this list: its rows in the office go, the file's rows of it come
    // in, and the file's other rows are passed over.
    std::optional<QString> replace;
    bool dryRun = false;
};

struct ImportSummary {
    qint64 rowsInFile = 0;
    qint64 added = 0;   // with dryRun: would be added
    qint64 deleted = 0; // with dryRun: would be deleted
    qint64 passedOver = 0;
    qint64 hostRows = 0; // rows of the host's tables the file carries (HostTables.h)
};

// Adds the rows of a CSV file to the host's office in one transaction, with
// new keys and the office's own OfficeID, and the rows of the host's tables
// that make code lists work that the file carries after its list rows. Every row is checked before
// anything is written; a file with any fault is refused whole (FileFault
// naming the line) and the database is left as it was. Raises
// AutomationError for the database.
ImportSummary importLists(ReferenceHost& host, const QByteArray& file, const ImportOptions& options,
                          const Progress& progress = {});

} // namespace viVavazuruv::lists
