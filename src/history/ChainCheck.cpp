#include "ChainCheck.h"

#include "HistorySchema.h"
#include "HistoryStatements.h"

#include <viVavazuruv/UsrDefTable.h>

#include <QMultiHash>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace viVavazuruv::history {

ChainCheck checkChain(const QSqlDatabase& db, const QList<ChainHead>& expected) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    qint64 sealNo = 0;
    QString hash;
    exec(q, u"SELECT SealNo, Hash FROM %1"_s.arg(kCheckpointTable),
         u"Reading the list history's checkpoint"_s);
    const bool checkpoint = q.next();
    if (checkpoint) {
        sealNo = q.value(0).toLongLong();
        hash = q.value(1).toString();
    }
    ChainCheck check;
    const auto broken = [&](qint64 change, const QString& reason) {
        if (check.intact)
            check = {false, check.sealed, change, reason, {}, check.prunedHeads};
    };
    // Heads are looked for in seal order as the walk passes them.
    QMultiHash<qint64, QString> wanted;
    for (const ChainHead& head : expected) {
        if (checkpoint && head.seal < sealNo)
            ++check.prunedHeads;
        else
            wanted.insert(head.seal, head.hash.trimmed().toLower());
    }
    const auto passHead = [&](qint64 seal, const QString& sealHash) {
        for (auto it = wanted.constFind(seal); it != wanted.constEnd() && it.key() == seal; ++it) {
            if (*it != sealHash)
                broken(seal, u"change %1 is not the change kept outside the database as head %1 (hash %2): "
                             u"the history was made again from there"_s.arg(seal)
                                 .arg(*it));
        }
        wanted.remove(seal);
    };
    if (checkpoint)
        passHead(sealNo, hash);
    // One change at a time at any length of history: both drivers step a
    // forward-only query row by row (QPSQL in libpq's single-row mode), and
    // SQLite walks the seal's index, so nothing is sorted or kept whole.
    exec(q,
         u"SELECT %1, Hash FROM %2 WHERE SealNo IS NOT NULL ORDER BY SealNo"_s.arg(kSealedColumns,
                                                                                   kHistoryTable),
         u"Reading the list history"_s);
    const int columns = int(kSealedColumns.count(u',') + 1);
    const int actionColumn = int(kSealedColumns.left(kSealedColumns.indexOf(u"Action"_s)).count(u','));
    while (q.next()) {
        const qint64 seal = q.value(0).toLongLong();
        const qint64 change = seal; // a change is known by its seal's number
        QVariantList values;
        for (int c = 0; c < columns; ++c)
            values << q.value(c);
        const QString expectedHash = changeHash(hash, values);
        if (seal != sealNo + 1) {
            broken(change,
                   u"change %1 does not link to the change before it: change %2 is missing"_s.arg(change).arg(
                       sealNo + 1));
            break;
        }
        if (expectedHash != q.value(columns).toString()) {
            broken(change,
                   u"change %1 does not match its seal: its content, or its place after the change before "
                   u"it, was altered"_s.arg(change));
            break;
        }
        if (q.value(actionColumn).toString() == kPackAction)
            broken(change,
                   u"change %1 holds an entry of changes that cannot be read (written by hand, not by the "
                   u"database's triggers); it is kept as it was found"_s.arg(change));
        sealNo = seal;
        hash = expectedHash;
        passHead(seal, hash);
        ++check.sealed;
    }
    if (q.lastError().isValid())
        failed(u"Reading the list history"_s, q);
    check.head = {sealNo, hash};
    if (!wanted.isEmpty()) {
        qint64 missing = 0;
        for (auto it = wanted.constBegin(); it != wanted.constEnd(); ++it)
            missing = std::max(missing, it.key());
        broken(missing, sealNo == 0
                            ? u"the history is empty, but change %1 was kept outside the database: the "
                              u"history was removed"_s.arg(missing)
                            : u"the history ends at change %1, but change %2 was kept outside the database: "
                              u"changes were removed from its end"_s.arg(sealNo)
                                  .arg(missing));
    }
    if (check.intact && sealNo == 0 && !checkpoint) {
        exec(q, u"SELECT COUNT(*) FROM %1"_s.arg(usrdef::kTable), u"Reading the lists"_s);
        const qint64 rows = q.next() ? q.value(0).toLongLong() : 0;
        if (rows > 0)
            broken(0,
                   u"the history holds no change, yet the lists hold %1 rows: the history was emptied"_s.arg(
                       rows));
    }
    return check;
}

} // namespace viVavazuruv::history
