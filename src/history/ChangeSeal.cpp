#include "ChangeSeal.h"

#include "HistorySchema.h"
#include "HistoryStatements.h"
#include "SqliteSeal.h"

#include <viVavazuruv/AutomationError.h>

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace viVavazuruv::history {

namespace {
// The account's place among the sealed columns.
const qsizetype kAccountField = kSealedColumns.count(u',');
} // namespace

QString changeHash(const QString& previous, const QVariantList& values) {
    QByteArray content = previous.toLatin1();
    content += '\n';
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant& value = values.at(i);
        if (value.isNull() && i == kAccountField)
            continue;
        if (value.isNull()) {
            content += "~;";
            continue;
        }
        const QByteArray text = value.toString().toUtf8();
        content += QByteArray::number(text.size()) + ':' + text + ';';
    }
    return QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex());
}

qint64 sealChanges(QSqlDatabase db, bool postgres, bool wait) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (postgres) {
        exec(q, u"SELECT quote_ident(current_schema())"_s, u"Sealing the list history"_s);
        const QString schema = q.next() ? q.value(0).toString() : QString();
        q.finish();
        if (!q.exec(u"SELECT %1.%2_Seal(%3)"_s.arg(schema, kHistoryTable, wait ? u"true"_s : u"false"_s))) {
            // A reader's role may not seal, and a history taken away has nothing to seal:
            // what is sealed is still read and checked.
            const QString state = q.lastError().nativeErrorCode();
            if (state == u"42501"_s || state == u"42P01"_s || state == u"42883"_s)
                return 0;
            failed(u"Sealing the list history"_s, q);
        }
        return q.next() ? q.value(0).toLongLong() : 0;
    }
    if (!q.exec(u"BEGIN IMMEDIATE"_s)) {
        if (q.lastError().nativeErrorCode() != u"1"_s)
            failed(u"Sealing the list history"_s, q);
        return 0;
    }
    try {
        const qint64 sealed = sealSqlite(db);
        if (!db.commit())
            throw AutomationError(ErrorCode::DatabaseError,
                                  u"Sealing the list history failed: %1"_s.arg(db.lastError().text()));
        return sealed;
    } catch (...) {
        db.rollback();
        throw;
    }
}

bool unsealedChanges(const QSqlDatabase& db) {
    QSqlQuery q(db);
    exec(q, u"SELECT 1 FROM %1 WHERE SealNo IS NULL LIMIT 1"_s.arg(kHistoryTable),
         u"Reading the list history"_s);
    return q.next();
}

ChainHead chainHead(const QSqlDatabase& db) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // The newest sealed change, else the checkpoint left by a prune, else the chain's start.
    exec(q,
         u"SELECT SealNo, Hash FROM %1 WHERE SealNo = (SELECT MAX(SealNo) FROM %1) UNION ALL SELECT SealNo, "
         u"Hash FROM %2 ORDER BY 1 DESC"_s.arg(kHistoryTable, kCheckpointTable),
         u"Reading the list history's last seal"_s);
    if (q.next())
        return {q.value(0).toLongLong(), q.value(1).toString()};
    return {};
}

} // namespace viVavazuruv::history
