#pragma once

#include <QStringView>

namespace viVavazuruv::pgdriver {

// What a statement's text does to the transaction around it, which decides
// whether the transaction settings travel with it.
enum class StatementKind {
    Other,    // runs inside whatever transaction there is, or an implicit one
    Begin,    // BEGIN / START TRANSACTION: the settings follow it
    Commit,   // COMMIT / END: the server may answer that it rolled back instead
    Rollback, // ROLLBACK / ABORT (not ROLLBACK TO a savepoint)
    Mode,     // SET TRANSACTION: must come before any query of the block, the settings' included
    Alone     // may not share a transaction or a pipeline with anything (VACUUM, ... CONCURRENTLY)
};

StatementKind classifyStatement(QStringView sql);

} // namespace viVavazuruv::pgdriver
