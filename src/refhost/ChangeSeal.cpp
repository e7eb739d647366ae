#include "ChangeSeal.h"

#include "HistorySchema.h"
#include "PgLink.h"

#include <viVavazuruv/AutomationError.h>

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace viVavazuruv::refhost {

namespace {

[[noreturn]] void failed(const QString& what, const QSqlQuery& q) {
    throw AutomationError(ErrorCode::DatabaseError, u"%1 failed: %2"_s.arg(what, q.lastError().text()));
}

void exec(QSqlQuery& q, const QString& what) {
    if (!q.exec())
        failed(what, q);
}

void exec(QSqlQuery& q, const QString& sql, const QString& what) {
    if (!q.exec(sql))
        failed(what, q);
}

// The seal the next change links to: the newest sealed change, else the
// checkpoint left by a prune, else the chain's start.
std::pair<qint64, QString> chainEnd(QSqlQuery& q) {
    exec(q,
         u"SELECT SealNo, Hash FROM %1 WHERE SealNo = (SELECT MAX(SealNo) FROM %1) UNION ALL SELECT SealNo, "
         u"Hash FROM %2 ORDER BY 1 DESC"_s.arg(kHistoryTable, kCheckpointTable),
         u"Reading the list history's last seal"_s);
    if (q.next())
        return {q.value(0).toLongLong(), q.value(1).toString()};
    return {0, QString()};
}

} // namespace

QString changeHash(const QString& previous, const QVariantList& values) {
    QByteArray content = previous.toLatin1();
    content += '\n';
    for (const QVariant& value : values) {
        if (value.isNull()) {
            content += "~;";
            continue;
        }
        const QByteArray text = value.toString().toUtf8();
        content += QByteArray::number(text.size()) + ':' + text + ';';
    }
    return QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex());
}

qint64 sealChanges(QSqlDatabase db, bool postgres, bool ownTransaction, bool wait) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    bool began = false;
    if (ownTransaction) {
        if (postgres) {
            pg::finishPendingStatement(db);
            if (pg::transactionOpen(db))
                return 0;
            began = db.transaction();
        } else {
            began = q.exec(u"BEGIN IMMEDIATE"_s);
            if (!began && q.lastError().nativeErrorCode() != u"1"_s)
                failed(u"Sealing the list history"_s, q);
        }
        if (!began)
            return 0; // a transaction of someone else's is open: its end is theirs
    }
    try {
        if (postgres && wait) {
            exec(q, u"SELECT pg_advisory_xact_lock(7605251)"_s, u"Waiting to seal the list history"_s);
        } else if (postgres) {
            exec(q, u"SELECT pg_try_advisory_xact_lock(7605251)"_s, u"Sealing the list history"_s);
            if (!q.next() || !q.value(0).toBool()) {
                q.finish();
                if (began)
                    db.rollback();
                return 0;
            }
            q.finish();
        }
        auto [sealNo, hash] = chainEnd(q);
        exec(q,
             u"SELECT %1 FROM %2 WHERE SealNo IS NULL ORDER BY ChangeNo"_s.arg(kSealedColumns, kHistoryTable),
             u"Reading the changes to seal"_s);
        QList<std::tuple<qint64, qint64, QString>> seals; // change, seal, hash
        const int columns = int(kSealedColumns.count(u',') + 1);
        while (q.next()) {
            QVariantList values{++sealNo};
            for (int c = 1; c < columns; ++c)
                values << q.value(c);
            hash = changeHash(hash, values);
            seals.append({q.value(1).toLongLong(), sealNo, hash});
        }
        q.finish();
        // A statement for many changes: one each would cost more than the hashing.
        for (qsizetype from = 0; from < seals.size(); from += 2000) {
            const qsizetype to = std::min(seals.size(), from + 2000);
            if (postgres) {
                QStringList changes, sealNos, hashes;
                for (qsizetype i = from; i < to; ++i) {
                    changes << QString::number(std::get<0>(seals[i]));
                    sealNos << QString::number(std::get<1>(seals[i]));
                    hashes << std::get<2>(seals[i]);
                }
                q.prepare(
                    u"UPDATE %1 h SET SealNo = s.seal, Hash = s.hash FROM unnest(?::bigint[], ?::bigint[], "
                    u"?::text[]) AS s(change, seal, hash) WHERE h.ChangeNo = s.change"_s.arg(kHistoryTable));
                q.addBindValue(u"{%1}"_s.arg(changes.join(u',')));
                q.addBindValue(u"{%1}"_s.arg(sealNos.join(u',')));
                q.addBindValue(u"{%1}"_s.arg(hashes.join(u',')));
            } else {
                QStringList items;
                for (qsizetype i = from; i < to; ++i)
                    items << u"[%1,%2,\"%3\"]"_s.arg(std::get<0>(seals[i]))
                                 .arg(std::get<1>(seals[i]))
                                 .arg(std::get<2>(seals[i]));
                q.prepare(
                    u"UPDATE %1 SET SealNo = json_extract(s.value, '$[1]'), Hash = json_extract(s.value, "
                    u"'$[2]') FROM json_each(?) AS s WHERE ChangeNo = json_extract(s.value, '$[0]')"_s.arg(
                        kHistoryTable));
                q.addBindValue(u'[' + items.join(u',') + u']');
            }
            exec(q, u"Sealing the list history"_s);
        }
        if (began && !db.commit())
            throw AutomationError(ErrorCode::DatabaseError,
                                  u"Sealing the list history failed: %1"_s.arg(db.lastError().text()));
        return seals.size();
    } catch (...) {
        if (began)
            db.rollback();
        throw;
    }
}

ChainCheck checkChain(const QSqlDatabase& db) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    qint64 sealNo = 0;
    QString hash;
    exec(q, u"SELECT SealNo, Hash FROM %1"_s.arg(kCheckpointTable),
         u"Reading the list history's checkpoint"_s);
    if (q.next()) {
        sealNo = q.value(0).toLongLong();
        hash = q.value(1).toString();
    }
    exec(q,
         u"SELECT %1, Hash FROM %2 WHERE SealNo IS NOT NULL ORDER BY SealNo"_s.arg(kSealedColumns,
                                                                                   kHistoryTable),
         u"Reading the list history"_s);
    ChainCheck check;
    const int columns = int(kSealedColumns.count(u',') + 1);
    while (q.next()) {
        const qint64 change = q.value(1).toLongLong();
        const qint64 seal = q.value(0).toLongLong();
        QVariantList values;
        for (int c = 0; c < columns; ++c)
            values << q.value(c);
        const QString expected = changeHash(hash, values);
        if (seal != sealNo + 1) {
            check = {false, check.sealed, change,
                     u"change %1 does not link to the change before it: the change sealed as number %2 is "
                     u"missing"_s.arg(change)
                         .arg(sealNo + 1)};
            return check;
        }
        if (expected != q.value(columns).toString()) {
            check = {false, check.sealed, change,
                     u"change %1 does not match its seal: its content, or its place after the change before "
                     u"it, was altered"_s.arg(change)};
            return check;
        }
        sealNo = seal;
        hash = expected;
        ++check.sealed;
    }
    if (q.lastError().isValid())
        failed(u"Reading the list history"_s, q);
    return check;
}

} // namespace viVavazuruv::refhost
