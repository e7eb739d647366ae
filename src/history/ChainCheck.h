#pragma once

#include "ChangeSeal.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// The check of the chain of seals, from its start or its checkpoint.
namespace viVavazuruv::history {

struct ChainCheck {
    bool intact = true;
    qint64 sealed = 0;
    qint64 firstBroken = 0; // a change number
    QString reason;
    ChainHead head;
    // Expected heads older than the checkpoint: pruned, so not to be checked.
    qint64 prunedHeads = 0;
};
// Walks the sealed changes in seal order from the checkpoint, if any, and
// checks that the chain still holds each expected head (a head kept outside
// the database): a chain cut short, emptied or made again from the start
// does not. An entry the sealer could not read, left unsealed, is a finding
// too; so is an empty history beside lists that hold rows.
ChainCheck checkChain(const QSqlDatabase& db, const QList<ChainHead>& expected = {});

} // namespace viVavazuruv::history
