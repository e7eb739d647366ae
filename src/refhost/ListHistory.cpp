#include <viVavazuruv/ListHistory.h>

#include "RecordWriter.h"
#include "ReferenceHostImpl.h"
#include "TextRules.h"

#include <history/ChainCheck.h>
#include <history/HistoryReader.h>
#include <history/HistorySchema.h>

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/Transaction.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimeZone>

#include <limits>

using namespace Qt::StringLiterals;

namespace viVavazuruv {

namespace {
QSqlQuery run(ReferenceHost& host, const QString& sql, const QVariantList& values = {}) {
    QSqlQuery q(host.GetConnection());
    q.setForwardOnly(true);
    bool done = q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    done = done && q.exec();
    if (!done)
        throw AutomationError(
            ErrorCode::DatabaseError,
            QCoreApplication::translate("ListHistory", "Reading the list history failed: %1")
                .arg(q.lastError().text()));
    return q;
}

QString describe(const ListChange& c) {
    return QCoreApplication::translate("ListHistory", "change %1 (%2 of key %3 in %4%5)")
        .arg(c.change)
        .arg(c.action)
        .arg(c.key)
        .arg(c.list,
             c.user.isEmpty() ? QString() : QCoreApplication::translate("ListHistory", " by %1").arg(c.user));
}

} // namespace

ListHistory::ListHistory(ReferenceHost& host) : m_host(host) {}

qint64 ListHistory::seal() {
    // A read-only SQLite connection cannot seal; PostgreSQL's seal tells
    // itself when the role may not.
    if (m_host.d->connection.readOnly() && !m_host.d->postgres())
        return 0;
    return m_host.d->historyKeeper.seal(m_host.GetConnection(), true);
}

void ListHistory::changes(const ChangeFilter& filter, const std::function<void(const ListChange&)>& each) {
    seal();
    QStringList conditions;
    QStringList codes;
    for (const QString& code : filter.lists)
        codes << usrdef::kCode + u" = "_s + m_host.SqlValue(code, false, 1, 0);
    if (!codes.isEmpty())
        conditions << u'(' + codes.join(u" or "_s) + u')';
    if (filter.key)
        conditions << u"usrdefInd = "_s + QString::number(*filter.key);
    if (!filter.since.isEmpty())
        conditions << u"ChangedAt >= "_s + m_host.SqlValue(history::historyTime(filter.since), false, 1, 0);
    if (filter.office)
        conditions << u"OfficeID = "_s + QString::number(*filter.office);
    else if (m_host.GetOfficeMode() == 7)
        conditions << u"OfficeID = "_s + QString::number(m_host.GetOfficeID());
    conditions << u"SealNo is not null"_s;
    const QString sql = u"select "_s + history::kChangeColumns + u" from "_s + history::kHistoryTable +
                        u" where "_s + conditions.join(u" and "_s);
    // Codes compare as the host's own lists do (TranslateSql), the order is the changes'.
    QSqlQuery q = run(m_host, m_host.TranslateSql(sql, 1, 0) + u" order by SealNo"_s);
    while (q.next())
        each(history::changeOf(q));
    if (q.lastError().isValid())
        throw AutomationError(
            ErrorCode::DatabaseError,
            QCoreApplication::translate("ListHistory", "Reading the list history failed: %1")
                .arg(q.lastError().text()));
}

QList<ListChange> ListHistory::changes(const ChangeFilter& filter) {
    QList<ListChange> all;
    changes(filter, [&](const ListChange& c) { all << c; });
    return all;
}

std::optional<ListChange> ListHistory::change(qint64 number) {
    seal();
    QSqlQuery q = run(
        m_host, u"SELECT %1 FROM %2 WHERE SealNo = ?"_s.arg(history::kChangeColumns, history::kHistoryTable),
        {number});
    if (!q.next())
        return std::nullopt;
    return history::changeOf(q);
}

std::optional<ListChange> ListHistory::lastChangeOf(qint32 key) {
    QSqlQuery q = run(
        m_host,
        u"SELECT %1 FROM %2 WHERE usrdefInd = ? AND SealNo IS NOT NULL ORDER BY SealNo DESC LIMIT 1"_s.arg(
            history::kChangeColumns, history::kHistoryTable),
        {key});
    if (!q.next())
        return std::nullopt;
    return history::changeOf(q);
}

QString HistoryHead::text() const {
    return u"%1:%2"_s.arg(change).arg(hash);
}

std::optional<HistoryHead> HistoryHead::parse(const QString& text) {
    static const QRegularExpression form(u"^\\s*(\\d+)\\s*[: ]\\s*([0-9a-fA-F]{64})(\\s.*)?$"_s);
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return HistoryHead{m.captured(1).toLongLong(), m.captured(2).toLower()};
}

HistoryCheck ListHistory::verify(const QList<HistoryHead>& expected) {
    // A history taken away whole is a finding, never a reason to stop reading the lists.
    for (const QString& table : {history::kHistoryTable, history::kCheckpointTable}) {
        QSqlQuery probe(m_host.GetConnection());
        if (!probe.exec(u"SELECT 1 FROM %1 WHERE 1 = 0"_s.arg(table)))
            return {false,
                    0,
                    0,
                    QCoreApplication::translate("ListHistory",
                                                "the history's table %1 is missing: the history was removed")
                        .arg(table),
                    {},
                    0};
    }
    seal();
    QList<history::ChainHead> heads;
    for (const HistoryHead& h : expected)
        heads.append({h.change, h.hash});
    const history::ChainCheck chain = history::checkChain(m_host.GetConnection(), heads);
    HistoryCheck check{
        chain.intact,     chain.sealed, chain.firstBroken, chain.reason, {chain.head.seal, chain.head.hash},
        chain.prunedHeads};
    for (int attempt = 0; check.intact; ++attempt) {
        const std::optional<QString> difference =
            history::unrecordedDifference(m_host.GetConnection(), m_host.d->postgres());
        if (difference) {
            check.intact = difference->isEmpty();
            check.reason = *difference;
            break;
        }
        if (attempt == 4)
            throw AutomationError(ErrorCode::DatabaseError,
                                  QCoreApplication::translate(
                                      "ListHistory", "the lists kept changing while they were compared "
                                                     "with their history; check again when it is quieter"));
        seal(); // a run's changes arrived meanwhile
    }
    return check;
}

HistoryHead ListHistory::head() {
    seal();
    const history::ChainHead head = history::chainHead(m_host.GetConnection());
    return {head.seal, head.hash};
}

qint64 ListHistory::pruneBefore(const QString& before) {
    const QString until = history::historyTime(before);
    const HistoryCheck check = verify();
    if (!check.intact)
        throw RestoreRefused(QCoreApplication::translate(
                                 "ListHistory", "the history does not verify, so nothing is pruned: %1")
                                 .arg(check.reason));
    refhost::Transaction transaction(m_host.GetConnection());
    // The chain's oldest part: every change sealed before the first one made since.
    QSqlQuery last =
        run(m_host,
            u"SELECT SealNo, Hash FROM %1 WHERE SealNo = (SELECT COALESCE((SELECT MIN(SealNo) FROM "
            u"%1 WHERE ChangedAt >= ?) - 1, MAX(SealNo)) FROM %1)"_s.arg(history::kHistoryTable),
            {until});
    if (!last.next())
        return 0;
    const qint64 sealNo = last.value(0).toLongLong();
    const QString hash = last.value(1).toString();
    last.finish();
    QSqlQuery removed =
        run(m_host, u"DELETE FROM %1 WHERE SealNo <= ?"_s.arg(history::kHistoryTable), {sealNo});
    const qint64 count = removed.numRowsAffected();
    run(m_host, u"DELETE FROM %1"_s.arg(history::kCheckpointTable));
    run(m_host, u"INSERT INTO %1 (SealNo, Hash, PrunedAt) VALUES (?, ?, ?)"_s.arg(history::kCheckpointTable),
        {sealNo, hash, QDateTime::currentDateTimeUtc().toString(u"yyyy-MM-ddTHH:mm:ss.zzz'Z'"_s)});
    transaction.commit();
    return count;
}

QString ListHistory::restore(qint64 number, bool dryRun) {
    seal();
    const std::optional<ListChange> found = change(number);
    if (!found)
        throw RestoreRefused(
            QCoreApplication::translate("ListHistory", "there is no change %1 in the history").arg(number));
    const ListChange& c = *found;
    // A change whose rows cannot be read tells nothing to put back.
    const bool readable =
        (c.action == u"insert"_s || c.action == u"update"_s || c.action == u"delete"_s) &&
        (c.action == u"insert"_s || QJsonDocument::fromJson(c.before.toUtf8()).isObject()) &&
        (c.action == u"delete"_s || QJsonDocument::fromJson(c.after.toUtf8()).isObject());
    if (!readable)
        throw RestoreRefused(
            QCoreApplication::translate(
                "ListHistory", "change %1 holds rows that cannot be read, so nothing can be put back")
                .arg(c.change));
    if (m_host.GetOfficeMode() == 7 && c.office != m_host.GetOfficeID())
        throw RestoreRefused(
            QCoreApplication::translate("ListHistory", "%1 is of office %2, not of office %3")
                .arg(describe(c))
                .arg(c.office)
                .arg(m_host.GetOfficeID()));

    QSqlQuery stored =
        run(m_host, u"SELECT * FROM %1 WHERE %2 = ?"_s.arg(usrdef::kTable, usrdef::kKey), {c.key});
    const bool exists = stored.next();
    const QSqlRecord now = exists ? stored.record() : QSqlRecord();
    stored.finish();
    // What has become of the row since the change: it must still be as the change left it.
    const std::optional<ListChange> latest = lastChangeOf(c.key);
    const QString since =
        latest && latest->change != c.change ? u" (%1)"_s.arg(describe(*latest)) : QString();
    if (c.action == u"delete"_s) {
        if (exists)
            throw RestoreRefused(QCoreApplication::translate(
                                     "ListHistory", "the key %1 is in use again, by a row of list %2%3")
                                     .arg(c.key)
                                     .arg(now.value(usrdef::kCode).toString(), since));
    } else if (!exists) {
        throw RestoreRefused(
            QCoreApplication::translate("ListHistory", "the row with key %1 was deleted since%2")
                .arg(c.key)
                .arg(since));
    } else if (!history::sameRow(now, history::rowOf(c.after))) {
        throw RestoreRefused(
            QCoreApplication::translate("ListHistory", "the row with key %1 changed again since%2")
                .arg(c.key)
                .arg(since));
    }

    const QJsonObject before = history::rowOf(c.before);
    QStringList names, values;
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (it.key().compare(usrdef::kKey, Qt::CaseInsensitive) == 0 ||
            it.key().compare(usrdef::kOffice, Qt::CaseInsensitive) == 0)
            continue;
        names << it.key();
        values << history::jsonText(it.value());
    }
    const qint32 beforeOffice = before.value(usrdef::kOffice).toInt();
    QString done;
    if (c.action == u"insert"_s) {
        done = QCoreApplication::translate("ListHistory", "the row with key %1 is deleted from list %2")
                   .arg(c.key)
                   .arg(c.list);
    } else if (c.action == u"delete"_s) {
        done = QCoreApplication::translate("ListHistory", "the row with key %1 comes back to list %2")
                   .arg(c.key)
                   .arg(before.value(usrdef::kCode).toString());
    } else {
        if (beforeOffice != now.value(usrdef::kOffice).toInt())
            throw RestoreRefused(
                QCoreApplication::translate("ListHistory",
                                            "%1 moved the row from office %2 to office %3; restore it there")
                    .arg(describe(c))
                    .arg(beforeOffice)
                    .arg(now.value(usrdef::kOffice).toInt()));
        done = QCoreApplication::translate(
                   "ListHistory", "the row with key %1 of list %2 is put back as it was before change %3")
                   .arg(c.key)
                   .arg(before.value(usrdef::kCode).toString())
                   .arg(c.change);
    }
    if (dryRun)
        return done;

    if (c.action == u"insert"_s) {
        QString sql = u"Delete * from %1 where %2=%3"_s.arg(usrdef::kTable, usrdef::kKey).arg(c.key);
        if (m_host.GetOfficeMode() == 7)
            sql += u" and (OfficeID=%1)"_s.arg(m_host.GetOfficeID());
        QSqlQuery q = run(m_host, m_host.TranslateSql(sql, 1, 0));
        if (q.numRowsAffected() != 1)
            throw RestoreRefused(
                QCoreApplication::translate("ListHistory", "the row with key %1 could not be deleted")
                    .arg(c.key));
    } else if (c.action == u"delete"_s) {
        m_host.restoreRow(c.key, beforeOffice, names, values);
    } else {
        qint32 key = c.key;
        if (!m_host.SaveRecord(1, usrdef::kTable, usrdef::kKey, key, names, values, true))
            throw RestoreRefused(u"the row with key %1 could not be written"_s.arg(c.key));
    }
    seal();
    return done;
}

} // namespace viVavazuruv
