#pragma once

#include "Csv.h"
#include "ListTable.h"
#include "RecordSource.h"

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

// Adds the rows of a list file to the host's office in one transaction, with
// new keys and the office's own OfficeID, and the rows of the host's tables
// that make code lists work that the file carries after its list rows. The
// rows are checked and written as they are read, a batch at a time, so a file
// of any size takes little memory; a file with any fault is refused whole
// (FileFault naming the line) and the transaction rolled back, so the
// database is as it was. A replace holds the list's lock until it commits,
// so two replacing one list at once give one file's rows. Refused too
// (FileFault, line 0): a database holding several offices' lists whose office
// mode does not say which office is meant. With dryRun only checks and
// counts, and writes nothing (the host may be opened read-only). Raises
// AutomationError for the database.
ImportSummary importLists(ReferenceHost& host, RecordSource& file, const ImportOptions& options,
                          const Progress& progress = {});

// The same checks for a database that holds no lists yet, against the
// columns the host makes UsrDefTable with, before anything is made.
ImportSummary checkListFile(RecordSource& file, const ImportOptions& options);

} // namespace viVavazuruv::lists
