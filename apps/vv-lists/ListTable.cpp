#include "ListTable.h"

#include <viVavazuruv/AutomationError.h>

#include <QSqlError>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

QString columnName(const QString& name) {
    for (const QString& own : kTextColumns + QStringList{usrdef::kKey, usrdef::kOffice})
        if (own.compare(name, Qt::CaseInsensitive) == 0)
            return own;
    return name;
}

void useOffice(ReferenceHost& host, std::optional<qint32> office) {
    if (!office)
        return;
    host.setOfficeMode(7);
    host.setOfficeID(*office);
}

QString codeCondition(ReferenceHost& host, const QStringList& codes) {
    QStringList each;
    for (const QString& code : codes)
        each << usrdef::kCode + u" = "_s + host.SqlValue(code, false, 1, 0);
    return each.isEmpty() ? QString() : u'(' + each.join(u" or "_s) + u')';
}

QString officeCondition(ReferenceHost& host) {
    return host.GetOfficeMode() == 7 ? usrdef::kOffice + u" = "_s + QString::number(host.GetOfficeID())
                                     : QString();
}

QSqlQuery selectRows(ReferenceHost& host, const QStringList& codes) {
    QStringList conditions{codeCondition(host, codes), officeCondition(host)};
    conditions.removeAll(QString());
    QString sql = u"select * from "_s + usrdef::kTable;
    if (!conditions.isEmpty())
        sql += u" where "_s + conditions.join(u" and "_s);
    // The host makes the code conditions case-free on A-Z; the order follows
    // the same rule on both engines (SQLite's column is NOCASE).
    const QString byCode = host.engine() == ReferenceHost::Engine::PostgreSQL
                               ? u"lower(%1 collate \"C\")"_s.arg(usrdef::kCode)
                               : usrdef::kCode;
    sql = host.TranslateSql(sql, 1, 0) + u" order by "_s + byCode + u", "_s + usrdef::kKey;
    QSqlQuery q(host.GetConnection());
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw AutomationError(ErrorCode::DatabaseError,
                              u"Reading the lists failed: %1"_s.arg(q.lastError().text()));
    return q;
}

bool listHasRows(ReferenceHost& host, const QString& code) {
    QStringList conditions{codeCondition(host, {code}), officeCondition(host)};
    conditions.removeAll(QString());
    QSqlQuery q(host.GetConnection());
    if (!q.exec(host.TranslateSql(u"select count(*) from "_s + usrdef::kTable + u" where "_s +
                                      conditions.join(u" and "_s),
                                  1, 0)) ||
        !q.next())
        throw AutomationError(ErrorCode::DatabaseError,
                              u"Reading list %1 failed: %2"_s.arg(code, q.lastError().text()));
    return q.value(0).toLongLong() > 0;
}

bool isSameList(const QString& a, const QString& b) {
    // The host also finds a code's upper case when it differs beyond A-Z.
    const QString lowerA = asciiLower(a);
    const QString lowerB = asciiLower(b);
    return lowerA == lowerB || lowerA == asciiLower(b.toUpper()) || asciiLower(a.toUpper()) == lowerB;
}

QString listBusy(const QString& code) {
    return u"%1 being changed by another session (another import, or a workstation saving) for longer "
           u"than the wait allows; nothing was written. Try again once it is done"_s.arg(
               code.isEmpty() ? u"the lists are"_s : u"list %1 is"_s.arg(code));
}

bool waitedForLock(const QSqlError& error) {
    // PostgreSQL's lock_not_available (lock_timeout); SQLite's BUSY and LOCKED.
    const QString code = error.nativeErrorCode();
    return code == u"55P03"_s || code == u"5"_s || code == u"6"_s;
}

bool endsWithBar(const QString& description) {
    const QString text = description.trimmed();
    return text.endsWith(u'|') && !text.startsWith(kTitlePrefix);
}

} // namespace viVavazuruv::lists
