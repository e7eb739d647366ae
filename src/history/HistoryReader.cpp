#include "HistoryReader.h"

#include "HistorySchema.h"

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/Transaction.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QSqlError>
#include <QTimeZone>

#include <limits>

using namespace Qt::StringLiterals;

namespace viVavazuruv::history {

ListChange changeOf(const QSqlQuery& q) {
    return {q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
            q.value(4).toInt(),      q.value(5).toString(), q.value(6).toString(), q.value(7).toInt(),
            q.value(8).toString(),   q.value(9).toString(), q.value(10).toString()};
}

QString historyTime(const QString& text) {
    QDateTime at = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    if (!at.isValid()) {
        const QDate day = QDate::fromString(text.trimmed(), Qt::ISODate);
        if (day.isValid())
            at = day.startOfDay(QTimeZone::utc());
    }
    if (!at.isValid())
        throw AutomationError(
            ErrorCode::InvalidProcedureCall,
            QCoreApplication::translate("ListHistory",
                                        "\"%1\" is not a date (YYYY-MM-DD) or a time (YYYY-MM-DDTHH:MM:SS)")
                .arg(text));
    if (at.timeSpec() == Qt::LocalTime && !text.contains(u'+') && !text.endsWith(u'Z'))
        at.setTimeZone(QTimeZone::utc());
    return at.toUTC().toString(u"yyyy-MM-ddTHH:mm:ss.zzz'Z'"_s);
}

namespace {

// A value as text to compare: NULL and "" alike (the component has no NULL
// text), numbers by their value, whichever engine or JSON wrote them.
bool sameValue(const QString& a, const QString& b) {
    if (a == b)
        return true;
    bool numberA = false, numberB = false;
    const double x = a.toDouble(&numberA), y = b.toDouble(&numberB);
    return numberA && numberB && x == y;
}

} // namespace

QString jsonText(const QJsonValue& v) {
    if (v.isDouble()) {
        const double d = v.toDouble();
        return d == double(qint64(d)) ? QString::number(qint64(d)) : QString::number(d, 'g', 17);
    }
    return v.isBool() ? QString::number(v.toBool() ? 1 : 0) : v.toString();
}

QJsonObject rowOf(const QString& json) {
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

bool sameRow(const QSqlRecord& stored, const QJsonObject& shown) {
    for (auto it = shown.begin(); it != shown.end(); ++it) {
        const int field = stored.indexOf(it.key());
        // A NULL number reads as 0 through its variant: NULL is "", as the JSON's null.
        const QString value = field < 0 || stored.isNull(field) ? QString() : stored.value(field).toString();
        if (field < 0 || !sameValue(value, jsonText(it.value())))
            return false;
    }
    return true;
}

std::optional<QString> unrecordedDifference(const QSqlDatabase& db, bool postgres) {
    refhost::Transaction snapshot(db);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const auto exec = [&](const QString& sql, const QVariantList& values = {}) {
        bool done = values.isEmpty() ? q.exec(sql) : q.prepare(sql);
        for (qsizetype i = 0; i < values.size(); ++i)
            q.bindValue(int(i), values.at(i));
        if (!done || (!values.isEmpty() && !q.exec()))
            throw AutomationError(
                ErrorCode::DatabaseError,
                QCoreApplication::translate("ListHistory", "Reading the list history failed: %1")
                    .arg(q.lastError().text()));
    };
    if (postgres)
        exec(u"SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"_s);
    exec(
        u"SELECT (SELECT COUNT(*) FROM %1), EXISTS (SELECT 1 FROM %2 WHERE SealNo IS NULL AND usrdefInd IS NULL)"_s
            .arg(kCheckpointTable, kHistoryTable));
    q.next();
    const bool checkpoint = q.value(0).toLongLong() > 0;
    if (q.value(1).toBool())
        return std::nullopt;
    q.finish();
    constexpr int kPage = 5000;
    qint64 after = -1;
    for (;;) {
        exec(u"SELECT * FROM %1 WHERE %2 > ? ORDER BY %2 LIMIT %3"_s.arg(usrdef::kTable, usrdef::kKey)
                 .arg(kPage),
             {after});
        QList<QSqlRecord> rows;
        while (q.next())
            rows << q.record();
        const bool last = rows.size() < kPage;
        const QVariant upTo =
            last ? QVariant(std::numeric_limits<qint32>::max()) : rows.last().value(usrdef::kKey);
        exec(u"SELECT usrdefInd, Action, RowAfter, SealNo FROM (SELECT usrdefInd, Action, RowAfter, SealNo, "
             u"row_number() OVER (PARTITION BY usrdefInd ORDER BY SealNo IS NULL DESC, SealNo DESC, ChangeNo "
             u"DESC) "
             u"AS Nth FROM %1 WHERE usrdefInd > ? AND usrdefInd <= ?) c WHERE Nth = 1 ORDER BY usrdefInd"_s
                 .arg(kHistoryTable),
             {after, upTo});
        qsizetype row = 0;
        const auto missing = [&](const QSqlRecord& r) -> QString {
            if (checkpoint) // rows older than the history's start, or than its pruned part
                return {};
            return QCoreApplication::translate("ListHistory",
                                               "row %1 of list %2 is in the lists, but no change of it was "
                                               "recorded: it was written with the recording off")
                .arg(r.value(usrdef::kKey).toLongLong())
                .arg(r.value(usrdef::kCode).toString());
        };
        while (q.next()) {
            const qint64 key = q.value(0).toLongLong();
            for (; row < rows.size() && rows.at(row).value(usrdef::kKey).toLongLong() < key; ++row)
                if (const QString found = missing(rows.at(row)); !found.isEmpty())
                    return found;
            const bool there = row < rows.size() && rows.at(row).value(usrdef::kKey).toLongLong() == key;
            const QString change =
                q.isNull(3)
                    ? QCoreApplication::translate("ListHistory", "a change not sealed yet")
                    : QCoreApplication::translate("ListHistory", "change %1").arg(q.value(3).toLongLong());
            if (q.value(1).toString() == u"delete"_s) {
                if (there)
                    return QCoreApplication::translate(
                               "ListHistory", "row %1 of list %2 is in the lists, but its last recorded "
                                              "change (%3) deleted it: it came back with the recording off")
                        .arg(key)
                        .arg(rows.at(row).value(usrdef::kCode).toString(), change);
            } else if (!there) {
                return QCoreApplication::translate(
                           "ListHistory", "row %1 is not in the lists, but its last recorded change (%2) "
                                          "left it there: it was deleted with the recording off")
                    .arg(key)
                    .arg(change);
            } else if (!QJsonDocument::fromJson(q.value(2).toString().toUtf8()).isObject()) {
                return QCoreApplication::translate(
                           "ListHistory", "the row after of %1 (key %2) cannot be read: it was written by "
                                          "hand, not by the database's triggers")
                    .arg(change)
                    .arg(key);
            } else if (!sameRow(rows.at(row), rowOf(q.value(2).toString()))) {
                return QCoreApplication::translate(
                           "ListHistory", "row %1 of list %2 is not as its last recorded change (%3) "
                                          "left it: it was changed with the recording off")
                    .arg(key)
                    .arg(rows.at(row).value(usrdef::kCode).toString(), change);
            }
            if (there)
                ++row;
        }
        for (; row < rows.size(); ++row)
            if (const QString found = missing(rows.at(row)); !found.isEmpty())
                return found;
        if (last)
            return QString();
        after = upTo.toLongLong();
    }
}

} // namespace viVavazuruv::history
