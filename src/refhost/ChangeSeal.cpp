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
#include <QJsonParseError>
#include <QMultiHash>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;

namespace viVavazuruv::refhost {

namespace {

// The account's place among the sealed columns.
const qsizetype kAccountField = kSealedColumns.count(u',');

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
    // The key as stored (an entry kept as it was found may hold none).
    QVariant storedKey;
    QVariant account;
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

// A whole number of a JSON value, when it is one within [least, most].
std::optional<qint64> wholeIn(const QJsonValue& v, qint64 least, qint64 most) {
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (d != std::floor(d) || d < double(least) || d > double(most))
        return std::nullopt;
    return qint64(d);
}

// The changes an entry of several holds, appended to into; or why it cannot
// be read, with nothing appended. A range of inserts names keys the table has
// given out only (lastKey): whatever wrote the entry, reading it never makes
// more changes than there were keys.
QString unpack(const QByteArray& entry, const Change& from, qint64 lastKey, QList<Change>& into) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(entry, &error);
    if (error.error != QJsonParseError::NoError)
        return u"its text is not JSON (%1 at character %2)"_s.arg(error.errorString()).arg(error.offset);
    const QJsonArray names = document.object().value(u"columns"_s).toArray();
    const QJsonValue listed =
        document.isArray() ? QJsonValue(document.array()) : document.object().value(u"changes"_s);
    if (!listed.isArray())
        return u"it lists no changes"_s;
    const QJsonArray changes = listed.toArray();
    QList<Change> read;
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const QJsonArray c = changes.at(i).toArray();
        const QString action = c.at(0).toString();
        Change change = from;
        change.changeNo = 0;
        change.unpacked = true;
        change.office = change.list = change.before = change.after = QVariant();
        if (action == u"inserts"_s) { // keys from, to: each inserted in turn
            const auto first = wholeIn(c.at(1), 1, lastKey);
            const auto last = first ? wholeIn(c.at(2), *first, lastKey) : std::nullopt;
            if (!last)
                return u"its change %1 is a range of keys the table never gave out"_s.arg(i + 1);
            change.action = u"insert"_s;
            for (qint64 key = *first; key <= *last; ++key) {
                change.key = key;
                read.append(change);
            }
            continue;
        }
        const auto key = wholeIn(c.at(1), 1, lastKey);
        if ((action != u"insert"_s && action != u"update"_s && action != u"delete"_s) || !key)
            return u"its change %1 is not an insert, update or delete of a key the table gave out"_s.arg(i +
                                                                                                         1);
        change.action = action;
        change.key = *key;
        change.office = numberOf(c.at(2));
        change.list = textOf(c.at(3));
        change.before = rowText(names, c.at(4));
        read.append(change);
    }
    into += read;
    return {};
}

// The highest key the table has given out: a change of a key above it never happened.
qint64 lastIssuedKey(const QSqlDatabase& db, bool postgres) {
    QSqlQuery q(db);
    exec(q,
         postgres
             ? u"SELECT GREATEST(COALESCE(pg_sequence_last_value(pg_get_serial_sequence('%1', '%2')), 0), "
               u"COALESCE((SELECT MAX(%2) FROM %1), 0))"_s.arg(usrdef::kTable.toLower(),
                                                               usrdef::kKey.toLower())
             : u"SELECT MAX(COALESCE((SELECT seq FROM sqlite_sequence WHERE name = '%1' COLLATE NOCASE), 0), "
               u"COALESCE((SELECT MAX(%2) FROM %1), 0))"_s.arg(usrdef::kTable, usrdef::kKey),
         u"Reading the list's last key"_s);
    return q.next() ? q.value(0).toLongLong() : 0;
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
                                u"usrdefInd, RowBefore, RowAfter, SealNo, Hash, Account"_s;

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
    const QString one = u'(' + QStringList(13, u"?"_s).join(u", "_s) + u')';
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
                            c.after, seal, hash, c.account});
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

} // namespace

qint64 sealChanges(QSqlDatabase db, bool postgres, bool wait) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (postgres) {
        pg::finishPendingStatement(db);
        if (pg::transactionOpen(db))
            return 0; // a transaction of someone else's is open: its end is theirs
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
        auto [sealNo, hash] = chainEnd(q);
        const qint64 lastKey = lastIssuedKey(db, postgres);
        exec(q,
             u"SELECT ChangeNo, ChangedAt, LoginName, Workstation, OfficeID, Action, UsrDefCod, usrdefInd, "
             u"RowBefore, RowAfter, Account FROM %1 WHERE SealNo IS NULL ORDER BY ChangeNo"_s.arg(
                 kHistoryTable),
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
                     q.value(9),
                     false,
                     q.value(7),
                     q.value(10)};
            if (c.action != kPackAction) {
                changes.append(c);
                continue;
            }
            // An entry that cannot be read is sealed as it stands, never
            // dropped: the check names it, and nobody's change goes unseen.
            if (unpack(c.after.toByteArray(), c, lastKey, changes).isEmpty())
                entries.append(c.changeNo);
            else
                changes.append(c);
        }
        q.finish();
        fillRowsAfter(db, postgres, changes);
        numberUnpacked(q, postgres, changes);

        QList<std::tuple<qint64, qint64, QString>> seals; // change, seal, hash
        for (const Change& c : changes) {
            const QVariant key = c.unpacked ? QVariant(c.key) : c.storedKey;
            const QVariantList values{++sealNo, c.changeNo, c.at, c.login,  c.workstation, c.office,
                                      c.action, c.list,     key,  c.before, c.after,       c.account};
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

ChainHead chainHead(const QSqlDatabase& db) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const auto [seal, hash] = chainEnd(q);
    return {seal, hash};
}

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

} // namespace viVavazuruv::refhost
