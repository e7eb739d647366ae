#pragma once

#include "ListTable.h"

namespace viVavazuruv::lists {

struct Finding {
    enum class Severity { Warning, Error };
    QString list;
    qint32 key = 0; // the row the finding is about
    Severity severity = Severity::Warning;
    QString reason;
    // "LIST<TAB>KEY<TAB>error|warning<TAB>reason"
    QString line() const;
};

// What in the lists codes (every list when empty) of the host's office would
// not work as their author meant, by list code then key: variables that open
// lists without rows, nested lists that loop or go deeper than the window's
// four levels, pipe-sign marks that do not fit the variables, group codes
// that a look-up cannot tell apart, and bars at the end of a description.
// Nested lists are followed through the whole office.
QList<Finding> checkLists(ReferenceHost& host, const QStringList& codes);

} // namespace viVavazuruv::lists
