#include "ChangeSeal.h"

#include "HistorySchema.h"
#include "PgLink.h"

#include <viVavazuruv/AutomationError.h>

#include <viVavazuruv/UsrDefTable.h>

#include <QCryptographicHash>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
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

namespace {

// A change on its way to its seal: a row of the history's own, or one
// unpacked from an entry that holds several (changeNo 0 until it is written).
struct Change {
    qint64 changeNo = 0;
    QVariant at, login, workstation, office;
    QString action;
    QVariant list;
    qint64 key = 0;
    QVariant before, after;
    bool unpacked = false;
};

// NULL stays NULL, and text is never a null QString (a driver binds that as NULL).
QVariant textOf(const QJsonValue& v) {
    if (v.isNull() || v.isUndefined())
        return {};
    QString text = v.toString();
    return text.isNull() ? QVariant(u""_s) : QVariant(text);
}

QVariant numberOf(const QJsonValue& v) {
    return v.isDouble() ? QVariant(qint64(v.toDouble())) : QVariant();
}

// One JSON value as text: written as an array of one, brackets taken off.
QByteArray jsonText(const QJsonValue& value) {
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.sliced(1, array.size() - 2);
}

// A row's values, in its columns' order, as the history's JSON text of the
// row: an object naming each column, in that order.
QVariant rowText(const QJsonArray& names, const QJsonValue& values) {
    if (!values.isArray())
        return {};
    const QJsonArray row = values.toArray();
    QByteArray text = "{";
    for (qsizetype c = 0; c < names.size() && c < row.size(); ++c) {
        if (c)
            text += ',';
        text += jsonText(names.at(c)) + ':' + jsonText(row.at(c));
    }
    return QString::fromUtf8(text + '}');
}

void unpack(const QByteArray& entry, const Change& from, QList<Change>& into) {
    const QJsonDocument document = QJsonDocument::fromJson(entry);
    const QJsonArray names = document.object().value(u"columns"_s).toArray();
    const QJsonArray changes =
        document.isArray() ? document.array() : document.object().value(u"changes"_s).toArray();
    for (const QJsonValue& value : changes) {
        const QJsonArray c = value.toArray();
        Change change = from;
        change.changeNo = 0;
        change.unpacked = true;
        change.office = change.list = change.before = change.after = QVariant();
        if (c.at(0).toString() == u"inserts"_s) { // keys from, to: each inserted in turn
            change.action = u"insert"_s;
            for (qint64 key = qint64(c.at(1).toDouble()); key <= qint64(c.at(2).toDouble()); ++key) {
                change.key = key;
                into.append(change);
            }
            continue;
        }
        change.action = c.at(0).toString();
        change.key = qint64(c.at(1).toDouble());
        change.office = numberOf(c.at(2));
        change.list = textOf(c.at(3));
        change.before = rowText(names, c.at(4));
        into.append(change);
    }
}

// A change an entry holds without its row after (an insert by its key alone,
// an update by its row before) takes that row from the next change of its
// key (the row before that one), else from the table as it stands:
// both read in the one snapshot the seal works in. A row gone without a
// recorded change (written with the triggers off) leaves it without one.
void fillRowsAfter(const QSqlDatabase& db, bool postgres, QList<Change>& changes) {
    QHash<qint64, qsizetype> waiting;
    const auto take = [](Change& change, const QString& row, const QVariant& list, const QVariant& office) {
        change.after = row;
        change.list = list;
        change.office = office;
    };
    const auto fromRow = [&](Change& change, const QString& row) {
        const QJsonObject values = QJsonDocument::fromJson(row.toUtf8()).object();
        QVariant list, office;
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (it.key().compare(usrdef::kCode, Qt::CaseInsensitive) == 0)
                list = textOf(it.value());
            else if (it.key().compare(usrdef::kOffice, Qt::CaseInsensitive) == 0)
                office = numberOf(it.value());
        }
        take(change, row, list, office);
    };
    for (qsizetype i = 0; i < changes.size(); ++i) {
        Change& c = changes[i];
        const auto found = waiting.constFind(c.key);
        if (found != waiting.constEnd() && !c.before.isNull()) {
            fromRow(changes[*found], c.before.toString());
            waiting.erase(found);
        }
        if (c.action != u"delete"_s && c.after.isNull())
            waiting.insert(c.key, i);
    }
    if (waiting.isEmpty())
        return;
    QStringList keys;
    for (auto it = waiting.constBegin(); it != waiting.constEnd(); ++it)
        keys << QString::number(it.key());
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(u"SELECT %1, %2, %3, %4 FROM %5 t WHERE %1 %6"_s.arg(
        usrdef::kKey, rowJson(historyColumns(db, postgres), u"t"_s, postgres), usrdef::kCode, usrdef::kOffice,
        usrdef::kTable, postgres ? u"= ANY(?::integer[])"_s : u"IN (SELECT value FROM json_each(?))"_s));
    q.addBindValue(postgres ? u'{' + keys.join(u',') + u'}' : u'[' + keys.join(u',') + u']');
    exec(q, u"Reading the rows of the changes to seal"_s);
    while (q.next()) {
        const auto found = waiting.constFind(q.value(0).toLongLong());
        if (found == waiting.constEnd())
            continue;
        take(changes[*found], q.value(1).toString(),
             q.isNull(2) ? QVariant() : QVariant(q.value(2).toString()),
             q.isNull(3) ? QVariant() : QVariant(q.value(3).toLongLong()));
    }
}

// Numbers for the changes unpacked, after every number given so far.
void numberUnpacked(QSqlQuery& q, bool postgres, QList<Change>& changes) {
    const qsizetype count =
        std::count_if(changes.begin(), changes.end(), [](const Change& c) { return c.changeNo == 0; });
    if (count == 0)
        return;
    QList<qint64> numbers;
    if (postgres) {
        q.prepare(
            u"SELECT nextval(pg_get_serial_sequence('%1', 'changeno')) FROM generate_series(1, ?)"_s.arg(
                kHistoryTable.toLower()));
        q.addBindValue(count);
        exec(q, u"Numbering the list history's changes"_s);
        while (q.next())
            numbers << q.value(0).toLongLong();
        std::sort(numbers.begin(), numbers.end());
    } else { // the seal holds the write lock: nobody numbers a change meanwhile
        exec(q, u"SELECT COALESCE(MAX(ChangeNo), 0) FROM %1"_s.arg(kHistoryTable),
             u"Numbering the list history's changes"_s);
        const qint64 last = q.next() ? q.value(0).toLongLong() : 0;
        for (qsizetype i = 1; i <= count; ++i)
            numbers << last + i;
    }
    q.finish();
    auto next = numbers.cbegin();
    for (Change& c : changes)
        if (c.changeNo == 0 && next != numbers.cend())
            c.changeNo = *next++;
}

QJsonValue jsonOf(const QVariant& v) {
    if (v.isNull())
        return QJsonValue::Null;
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
        return double(v.toLongLong());
    return v.toString();
}

const QString kWrittenColumns = u"ChangeNo, ChangedAt, LoginName, Workstation, OfficeID, Action, UsrDefCod, "
                                u"usrdefInd, RowBefore, RowAfter, SealNo, Hash"_s;

// Changes unpacked, written whole: on PostgreSQL as one JSON array a
// statement, on SQLite as many rows of bound values a statement (its JSON
// functions would read each row's array once a column).
void writeUnpacked(const QSqlDatabase& db, QSqlQuery& q, bool postgres, const QList<QVariantList>& rows) {
    if (postgres) {
        const QStringList types{u"bigint"_s, u"text"_s,    u"text"_s, u"text"_s, u"integer"_s, u"text"_s,
                                u"text"_s,   u"integer"_s, u"text"_s, u"text"_s, u"bigint"_s,  u"text"_s};
        QStringList picks;
        for (qsizetype i = 0; i < types.size(); ++i)
            picks << u"(s->>%1)::%2"_s.arg(i).arg(types.at(i));
        for (qsizetype from = 0; from < rows.size(); from += 2000) {
            QJsonArray batch;
            for (qsizetype r = from; r < std::min(rows.size(), from + 2000); ++r) {
                QJsonArray row;
                for (const QVariant& v : rows.at(r))
                    row.append(jsonOf(v));
                batch.append(row);
            }
            q.prepare(u"INSERT INTO %1 (%2) SELECT %3 FROM json_array_elements(?::json) s"_s.arg(
                kHistoryTable, kWrittenColumns, picks.join(u", "_s)));
            q.addBindValue(QString::fromUtf8(QJsonDocument(batch).toJson(QJsonDocument::Compact)));
            exec(q, u"Writing the list history's changes"_s);
        }
        return;
    }
    constexpr qsizetype kRows = 100;
    const QString one = u'(' + QStringList(12, u"?"_s).join(u", "_s) + u')';
    QSqlQuery full(db);
    bool prepared = false;
    for (qsizetype from = 0; from < rows.size(); from += kRows) {
        const qsizetype count = std::min(kRows, rows.size() - from);
        QSqlQuery& statement = count == kRows ? full : q;
        if (count != kRows || !prepared) {
            statement.prepare(u"INSERT INTO %1 (%2) VALUES %3"_s.arg(kHistoryTable, kWrittenColumns,
                                                                     QStringList(count, one).join(u", "_s)));
            prepared = prepared || count == kRows;
        }
        int at = 0;
        for (qsizetype r = from; r < from + count; ++r)
            for (const QVariant& v : rows.at(r))
                statement.bindValue(at++, v);
        exec(statement, u"Writing the list history's changes"_s);
    }
}

// Writes the seals: a change of the history's own gets its seal, a change
// unpacked is written whole, sealed, and the entries it came from go. A
// statement for many changes: one each would cost more than the hashing.
void writeSeals(const QSqlDatabase& db, QSqlQuery& q, bool postgres, const QList<Change>& changes,
                const QList<qint64>& entries, const QList<std::tuple<qint64, qint64, QString>>& seals) {
    QJsonArray sealed;
    QList<QVariantList> written;
    const auto flushSealed = [&] {
        q.prepare(postgres ? u"UPDATE %1 h SET SealNo = (s->>1)::bigint, Hash = s->>2 FROM "
                             u"json_array_elements(?::json) s WHERE h.ChangeNo = (s->>0)::bigint"_s.arg(
                                 kHistoryTable)
                           : u"UPDATE %1 SET SealNo = json_extract(s.value, '$[1]'), Hash = "
                             u"json_extract(s.value, '$[2]') FROM json_each(?) AS s WHERE ChangeNo = "
                             u"json_extract(s.value, '$[0]')"_s.arg(kHistoryTable));
        q.addBindValue(QString::fromUtf8(QJsonDocument(sealed).toJson(QJsonDocument::Compact)));
        exec(q, u"Sealing the list history"_s);
        sealed = {};
    };
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const Change& c = changes.at(i);
        const auto& [change, seal, hash] = seals.at(i);
        if (c.unpacked) {
            written.append({change, c.at, c.login, c.workstation, c.office, c.action, c.list, c.key, c.before,
                            c.after, seal, hash});
            continue;
        }
        sealed.append(QJsonArray{double(change), double(seal), hash});
        if (sealed.size() >= 2000)
            flushSealed();
    }
    if (!sealed.isEmpty())
        flushSealed();
    writeUnpacked(db, q, postgres, written);
    if (entries.isEmpty())
        return;
    QStringList numbers;
    for (qint64 entry : entries)
        numbers << QString::number(entry);
    q.prepare(
        postgres ? u"DELETE FROM %1 WHERE ChangeNo = ANY(?::bigint[])"_s.arg(kHistoryTable)
                 : u"DELETE FROM %1 WHERE ChangeNo IN (SELECT value FROM json_each(?))"_s.arg(kHistoryTable));
    q.addBindValue(postgres ? u'{' + numbers.join(u',') + u'}' : u'[' + numbers.join(u',') + u']');
    exec(q, u"Writing the list history's changes"_s);
}

// The chain's lock is its table's: advisory locks are the database's, and
// lists kept in two schemas of one database have two chains to seal.
QString sealLockKey() {
    return u"(7605251::bigint << 32) | '%1'::regclass::oid::bigint"_s.arg(kHistoryTable);
}

} // namespace

qint64 sealChanges(QSqlDatabase db, bool postgres, bool wait) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    bool began = false;
    bool locked = false;
    const auto unlock = qScopeGuard([&] {
        if (locked)
            QSqlQuery(db).exec(u"SELECT pg_advisory_unlock(%1)"_s.arg(sealLockKey()));
    });
    if (postgres) {
        pg::finishPendingStatement(db);
        if (pg::transactionOpen(db))
            return 0; // a transaction of someone else's is open: its end is theirs
        // Sealers take turns; the lock is the session's, taken before the
        // transaction, so the seal's one snapshot sees the seals made before it.
        exec(q,
             wait ? u"SELECT 1 FROM (SELECT pg_advisory_lock(%1)) l"_s.arg(sealLockKey())
                  : u"SELECT pg_try_advisory_lock(%1)::integer"_s.arg(sealLockKey()),
             u"Waiting to seal the list history"_s);
        locked = q.next() && q.value(0).toInt() == 1;
        q.finish();
        if (!locked)
            return 0;
        began = db.transaction();
        if (began)
            exec(q, u"SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"_s, u"Sealing the list history"_s);
    } else {
        began = q.exec(u"BEGIN IMMEDIATE"_s);
        if (!began && q.lastError().nativeErrorCode() != u"1"_s)
            failed(u"Sealing the list history"_s, q);
    }
    if (!began)
        return 0;
    try {
        auto [sealNo, hash] = chainEnd(q);
        exec(q,
             u"SELECT ChangeNo, ChangedAt, LoginName, Workstation, OfficeID, Action, UsrDefCod, usrdefInd, "
             u"RowBefore, RowAfter FROM %1 WHERE SealNo IS NULL ORDER BY ChangeNo"_s.arg(kHistoryTable),
             u"Reading the changes to seal"_s);
        QList<Change> changes;
        QList<qint64> entries; // the entries unpacked, removed once their changes are written
        while (q.next()) {
            Change c{q.value(0).toLongLong(),
                     q.value(1),
                     q.value(2),
                     q.value(3),
                     q.value(4),
                     q.value(5).toString(),
                     q.value(6),
                     q.value(7).toLongLong(),
                     q.value(8),
                     q.value(9)};
            if (c.action != kPackAction) {
                changes.append(c);
                continue;
            }
            entries.append(c.changeNo);
            unpack(c.after.toByteArray(), c, changes);
        }
        q.finish();
        fillRowsAfter(db, postgres, changes);
        numberUnpacked(q, postgres, changes);

        QList<std::tuple<qint64, qint64, QString>> seals; // change, seal, hash
        for (const Change& c : changes) {
            const QVariantList values{++sealNo, c.changeNo, c.at,  c.login,  c.workstation, c.office,
                                      c.action, c.list,     c.key, c.before, c.after};
            hash = changeHash(hash, values);
            seals.append({c.changeNo, sealNo, hash});
        }
        writeSeals(db, q, postgres, changes, entries, seals);
        if (!db.commit())
            throw AutomationError(ErrorCode::DatabaseError,
                                  u"Sealing the list history failed: %1"_s.arg(db.lastError().text()));
        return seals.size();
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
        const qint64 seal = q.value(0).toLongLong();
        const qint64 change = seal; // a change is known by its seal's number
        QVariantList values;
        for (int c = 0; c < columns; ++c)
            values << q.value(c);
        const QString expected = changeHash(hash, values);
        if (seal != sealNo + 1) {
            check = {
                false, check.sealed, change,
                u"change %1 does not link to the change before it: change %2 is missing"_s.arg(change).arg(
                    sealNo + 1)};
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
