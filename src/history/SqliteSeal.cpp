#include "SqliteSeal.h"

#include "BatchedInsert.h"
#include "ChangeSeal.h"
#include "HistorySchema.h"
#include "HistoryStatements.h"

#include <viVavazuruv/UsrDefTable.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSqlError>
#include <QSqlQuery>

#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;

namespace viVavazuruv::history {

namespace {

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

// The highest key the table has given out: a change of a key above it never happened.
qint64 lastIssuedKey(const QSqlDatabase& db) {
    QSqlQuery q(db);
    exec(q,
         u"SELECT MAX(COALESCE((SELECT seq FROM sqlite_sequence WHERE name = '%1' COLLATE NOCASE), 0), "
         u"COALESCE((SELECT MAX(%2) FROM %1), 0))"_s.arg(usrdef::kTable, usrdef::kKey),
         u"Reading the list's last key"_s);
    return q.next() ? q.value(0).toLongLong() : 0;
}

// The seal works through a table of the sealer's connection alone: every
// change to seal in seal order (Ord), an entry of several changes written out
// as one row a change, so no number of changes is ever held in memory.
const QString kWorkName = u"UsrDefHistory_SealWork"_s;
const QString kWork = u"temp."_s + kWorkName;

// What a row of the work table is: a change of the history's own (sealed
// where it stands), one unpacked from an entry (written sealed), or an entry
// unpacked (removed once its changes are written).
enum Kind { kOwn = 0, kUnpacked = 1, kEntryUnpacked = 2 };

// Rows into the work table, many a statement. A range of inserts is numbered
// out by the engine itself, never held here.
class WorkWriter {
public:
    explicit WorkWriter(const QSqlDatabase& db)
        : m_rows(db, kWork + u" (Ord, Src, Kind, Action, Key, Office, List, Before, Waits, HasBefore)"_s, 10,
                 u"Unpacking the list history's changes"_s),
          m_range(db) {}

    // A change unpacked; waits: it wants its row after (it is no delete).
    void add(qint64 source, const QString& action, qint64 key, const QVariant& office, const QVariant& list,
             const QVariant& before) {
        append(source, kUnpacked, action, key, office, list, before, action != u"delete"_s, !before.isNull());
    }
    // A row of the history's own: its content stays where it is, read again when it is sealed.
    void addOwn(qint64 change, qint64 key, bool hasBefore, bool waits) {
        append(change, kOwn, {}, key, {}, {}, {}, waits, hasBefore);
    }
    void addEntry(qint64 entry) { append(entry, kEntryUnpacked, {}, 0, {}, {}, {}, false, false); }
    void addInserts(qint64 source, qint64 first, qint64 last) {
        flush();
        if (!m_rangePrepared)
            m_range.prepare(u"WITH RECURSIVE k(x) AS (SELECT ? UNION ALL SELECT x + 1 FROM k WHERE x < ?) "
                            u"INSERT INTO %1 (Ord, Src, Kind, Action, Key, Waits, HasBefore) SELECT x + ?, "
                            u"?, %2, 'insert', x, 1, 0 FROM k"_s.arg(kWork)
                                .arg(int(kUnpacked)));
        m_rangePrepared = true;
        m_range.bindValue(0, first);
        m_range.bindValue(1, last);
        m_range.bindValue(2, m_next - first);
        m_range.bindValue(3, source);
        exec(m_range, u"Unpacking the list history's changes"_s);
        m_next += last - first + 1;
    }
    void flush() { m_rows.flush(); }

private:
    void append(qint64 source, Kind kind, const QVariant& action, qint64 key, const QVariant& office,
                const QVariant& list, const QVariant& before, bool waits, bool hasBefore) {
        m_rows.add(
            {m_next++, source, int(kind), action, key, office, list, before, int(waits), int(hasBefore)});
    }

    BatchedInsert m_rows;
    QSqlQuery m_range;
    bool m_rangePrepared = false;
    qint64 m_next = 1;
};

// The changes an entry of several holds, written into the work table; or why
// it cannot be read, with nothing written: the entry is gone through once to
// check it, once more to write it. A range of inserts names keys the table
// has given out only (lastKey): whatever wrote the entry, reading it never
// makes more changes than there were keys.
QString unpack(const QByteArray& entry, qint64 source, qint64 lastKey, WorkWriter& into) {
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
    for (const bool write : {false, true}) {
        for (qsizetype i = 0; i < changes.size(); ++i) {
            const QJsonArray c = changes.at(i).toArray();
            const QString action = c.at(0).toString();
            if (action == u"inserts"_s) { // keys from, to: each inserted in turn
                const auto first = wholeIn(c.at(1), 1, lastKey);
                const auto last = first ? wholeIn(c.at(2), *first, lastKey) : std::nullopt;
                if (!last)
                    return u"its change %1 is a range of keys the table never gave out"_s.arg(i + 1);
                if (write)
                    into.addInserts(source, *first, *last);
                continue;
            }
            const auto key = wholeIn(c.at(1), 1, lastKey);
            if ((action != u"insert"_s && action != u"update"_s && action != u"delete"_s) || !key)
                return u"its change %1 is not an insert, update or delete of a key the table gave out"_s.arg(
                    i + 1);
            if (write)
                into.add(source, action, *key, numberOf(c.at(2)), textOf(c.at(3)), rowText(names, c.at(4)));
        }
    }
    return {};
}

// Every change without a seal into the work table, in change order.
void readChanges(const QSqlDatabase& db, qint64 lastKey, WorkWriter& work) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    exec(
        q,
        u"SELECT ChangeNo, Action, usrdefInd, RowBefore IS NOT NULL, RowAfter IS NULL, CASE WHEN CAST(Action "
        u"AS TEXT) = '%2' THEN RowAfter END FROM main.%1 WHERE SealNo IS NULL ORDER BY ChangeNo"_s.arg(
            kHistoryTable, kPackAction),
        u"Reading the changes to seal"_s);
    while (q.next()) {
        const qint64 change = q.value(0).toLongLong();
        const QString action = q.value(1).toString();
        // An entry that cannot be read is sealed as it stands, never
        // dropped: the check names it, and nobody's change goes unseen.
        if (action == kPackAction && unpack(q.value(5).toByteArray(), change, lastKey, work).isEmpty()) {
            work.addEntry(change);
            continue;
        }
        work.addOwn(change, q.value(2).toLongLong(), q.value(3).toBool(),
                    action != u"delete"_s && q.value(4).toBool());
    }
    if (q.lastError().isValid())
        failed(u"Reading the changes to seal"_s, q);
    work.flush();
}

// A change that wants its row after (an insert by its key alone, an update
// by its row before) takes the row before of the next change of its key
// (Fill: that change's Ord), else the table's row as it stands (-1): both
// read in the one snapshot the seal works in. Should another change of the
// key that wants its row after come first, there is none to take (0); nor
// is there for a row gone without a recorded change (triggers turned off).
void findRowsAfter(QSqlQuery& q) {
    exec(q, u"CREATE INDEX IF NOT EXISTS temp.%1_Key ON %1 (Key)"_s.arg(kWorkName),
         u"Sealing the list history"_s);
    exec(q,
         u"UPDATE %1 AS w SET Fill = COALESCE((SELECT CASE WHEN n.HasBefore THEN n.Ord ELSE 0 END FROM %1 n "
         u"WHERE n.Key = w.Key AND n.Ord > w.Ord AND (n.HasBefore OR n.Waits) ORDER BY n.Ord LIMIT 1), -1) "
         u"WHERE w.Waits"_s.arg(kWork),
         u"Reading the rows of the changes to seal"_s);
}

const QString kWrittenColumns = u"ChangeNo, ChangedAt, LoginName, Workstation, OfficeID, Action, UsrDefCod, "
                                u"usrdefInd, RowBefore, RowAfter, SealNo, Hash, Account"_s;

// Writes the seals, a statement for many changes (one each would cost more
// than the hashing): a change of the history's own gets its seal, a change
// unpacked is written whole, sealed, as many rows of bound values a
// statement (SQLite's JSON functions would read each row's array once a column).
class SealWriter {
public:
    explicit SealWriter(const QSqlDatabase& db)
        : m_seals(db), m_written(db, u"main.%1 (%2)"_s.arg(kHistoryTable, kWrittenColumns), 13,
                                 u"Writing the list history's changes"_s) {}

    void seal(qint64 change, qint64 sealNo, const QString& hash) {
        m_sealed.append(QJsonArray{double(change), double(sealNo), hash});
        if (m_sealed.size() >= 2000)
            flushSeals();
    }
    void write(const QVariantList& row) { m_written.add(row); }
    void flush() {
        flushSeals();
        m_written.flush();
    }

private:
    void flushSeals() {
        if (m_sealed.isEmpty())
            return;
        if (!m_sealsPrepared)
            m_seals.prepare(u"UPDATE main.%1 SET SealNo = json_extract(s.value, '$[1]'), Hash = "
                            u"json_extract(s.value, '$[2]') FROM json_each(?) AS s WHERE ChangeNo = "
                            u"json_extract(s.value, '$[0]')"_s.arg(kHistoryTable));
        m_sealsPrepared = true;
        m_seals.bindValue(0, QString::fromUtf8(QJsonDocument(m_sealed).toJson(QJsonDocument::Compact)));
        exec(m_seals, u"Sealing the list history"_s);
        m_sealed = {};
    }

    QSqlQuery m_seals;
    bool m_sealsPrepared = false;
    QJsonArray m_sealed;
    BatchedInsert m_written;
};

// The list code and office of a row after taken from JSON text (a later change's row before).
void takeRow(const QString& row, QVariant& after, QVariant& list, QVariant& office) {
    const QJsonObject values = QJsonDocument::fromJson(row.toUtf8()).object();
    list = office = QVariant();
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (it.key().compare(usrdef::kCode, Qt::CaseInsensitive) == 0)
            list = textOf(it.value());
        else if (it.key().compare(usrdef::kOffice, Qt::CaseInsensitive) == 0)
            office = numberOf(it.value());
    }
    after = row;
}

// The work table's changes in seal order, each hashed after the one before
// and its seal written; gives how many.
qint64 sealWork(const QSqlDatabase& db, qint64 sealNo, QString hash) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // The seal holds the write lock: nobody numbers a change meanwhile.
    exec(q, u"SELECT COALESCE(MAX(ChangeNo), 0) FROM main.%1"_s.arg(kHistoryTable),
         u"Numbering the list history's changes"_s);
    qint64 lastChange = q.next() ? q.value(0).toLongLong() : 0;
    q.finish();
    enum Column {
        kKind,
        kAction,
        kKey,
        kOffice,
        kList,
        kBefore,
        kFill,
        kNextBefore,
        kInTable,
        kTableRow,
        kTableList,
        kTableOffice,
        kChange,
        kAt,
        kLogin,
        kWorkstation,
        kOwnOffice,
        kOwnAction,
        kOwnList,
        kOwnKey,
        kOwnBefore,
        kOwnAfter,
        kAccount
    };
    const QString row = rowJson(historyColumns(db, false), u"t"_s, false);
    exec(q,
         u"SELECT w.Kind, w.Action, w.Key, w.Office, w.List, w.Before, w.Fill, CASE WHEN w.Fill > 0 THEN "
         u"(SELECT COALESCE(y.Before, (SELECT RowBefore FROM main.%1 WHERE ChangeNo = y.Src)) FROM %2 y "
         u"WHERE y.Ord = w.Fill) END, t.%3 IS NOT NULL, CASE WHEN t.%3 IS NOT NULL THEN %4 END, t.%5, t.%6, "
         u"h.ChangeNo, h.ChangedAt, h.LoginName, h.Workstation, h.OfficeID, h.Action, h.UsrDefCod, "
         // A change unpacked from an entry reads nothing of the entry's own
         // rows: they hold the whole run, and would be read once a change.
         u"h.usrdefInd, CASE WHEN w.Kind = %9 THEN h.RowBefore END, CASE WHEN w.Kind = %9 THEN h.RowAfter "
         u"END, "
         u"h.Account FROM %2 w CROSS JOIN main.%1 h LEFT JOIN main.%7 t "
         u"ON w.Fill = -1 AND t.%3 = w.Key WHERE h.ChangeNo = w.Src AND w.Kind <> %8 ORDER BY w.Ord"_s
             .arg(kHistoryTable, kWork, usrdef::kKey, row, usrdef::kCode, usrdef::kOffice, usrdef::kTable)
             .arg(int(kEntryUnpacked))
             .arg(int(kOwn)),
         u"Reading the changes to seal"_s);
    SealWriter writer(db);
    qint64 sealed = 0;
    while (q.next()) {
        const bool own = q.value(kKind).toInt() == kOwn;
        const qint64 change = own ? q.value(kChange).toLongLong() : ++lastChange;
        const QString action = q.value(own ? kOwnAction : kAction).toString();
        const QVariant key = own ? q.value(kOwnKey) : QVariant(q.value(kKey).toLongLong());
        const QVariant before = q.value(own ? kOwnBefore : kBefore);
        QVariant office = q.value(own ? kOwnOffice : kOffice);
        QVariant list = q.value(own ? kOwnList : kList);
        QVariant after = own ? q.value(kOwnAfter) : QVariant();
        const qint64 fill = q.value(kFill).toLongLong();
        if (fill > 0) {
            takeRow(q.value(kNextBefore).toString(), after, list, office);
        } else if (fill < 0 && q.value(kInTable).toBool()) {
            after = q.value(kTableRow).toString();
            list = q.isNull(kTableList) ? QVariant() : QVariant(q.value(kTableList).toString());
            office = q.isNull(kTableOffice) ? QVariant() : QVariant(q.value(kTableOffice).toLongLong());
        }
        const QVariant at = q.value(kAt), login = q.value(kLogin), workstation = q.value(kWorkstation),
                       account = q.value(kAccount);
        hash = changeHash(hash, {++sealNo, change, at, login, workstation, office, action, list, key, before,
                                 after, account});
        if (own)
            writer.seal(change, sealNo, hash);
        else
            writer.write({change, at, login, workstation, office, action, list, key, before, after, sealNo,
                          hash, account});
        ++sealed;
    }
    if (q.lastError().isValid())
        failed(u"Reading the changes to seal"_s, q);
    q.finish();
    writer.flush();
    exec(q,
         u"DELETE FROM main.%1 WHERE ChangeNo IN (SELECT Src FROM %2 WHERE Kind = %3)"_s
             .arg(kHistoryTable, kWork)
             .arg(int(kEntryUnpacked)),
         u"Writing the list history's changes"_s);
    return sealed;
}

// A statement of someone else's still reading on the connection keeps a
// table from being dropped: the work table is emptied instead, and goes with
// the connection.
void clearWork(QSqlQuery& q, bool ifExists) {
    if (!q.exec(u"DROP TABLE %1%2"_s.arg(ifExists ? u"IF EXISTS "_s : QString(), kWork)))
        exec(q, u"DELETE FROM %1"_s.arg(kWork), u"Sealing the list history"_s);
}

} // namespace

// The seal's work inside its transaction; gives how many changes it sealed.
qint64 sealSqlite(const QSqlDatabase& db) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const ChainHead end = chainHead(db);
    const qint64 lastKey = lastIssuedKey(db);
    clearWork(q, true);
    exec(q,
         u"CREATE TABLE IF NOT EXISTS %1 (Ord INTEGER PRIMARY KEY, Src INTEGER NOT NULL, Kind INTEGER NOT "
         u"NULL, Action TEXT, Key INTEGER, Office, List, Before, Waits INTEGER NOT NULL, HasBefore INTEGER "
         u"NOT NULL, Fill INTEGER)"_s.arg(kWork),
         u"Sealing the list history"_s);
    {
        WorkWriter work(db);
        readChanges(db, lastKey, work);
    }
    findRowsAfter(q);
    const qint64 sealed = sealWork(db, end.seal, end.hash);
    clearWork(q, false);
    return sealed;
}

} // namespace viVavazuruv::history
