// The host's own tables that make code lists work (which list a reference
// names, its join words, whether each item is inserted, the pipe-sign
// variables) and the office's fee types: read for the component, set by the
// host application.
#include <viVavazuruv/ReferenceHost.h>

#include "ReferenceHostImpl.h"

#include <history/SqliteHandle.h>

#include <viVavazuruv/AutomationError.h>

#include <QSqlDriver>
#include <QSqlQuery>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace viVavazuruv {

namespace {
QString listCodeKey(const QString& code) {
    return code.trimmed().toUpper();
}

// The answer kept under key while the kept answers hold; else looked up, and
// kept when they hold.
template <typename Answer, typename LookUp>
Answer remembered(QHash<QString, Answer>& kept, bool hold, const QString& key, LookUp lookUp) {
    if (hold) {
        if (const auto found = kept.constFind(key); found != kept.constEnd())
            return *found;
    }
    Answer answer = lookUp();
    if (hold)
        kept.insert(key, answer);
    return answer;
}

} // namespace

// Whether the kept answers may be used; they are emptied first when the
// tables may have changed since. Only on SQLite, where one cheap statement
// tells: the data version changes with every commit of another connection
// (another workstation), the count of rows changed with every write of this
// one. Inside a transaction of this connection answers are read afresh, since
// what it writes may yet be rolled back; a connection made again (a caller
// closed it) starts from nothing. Still one statement per question, so a
// database file replaced meanwhile is refused as before.
bool ReferenceHost::Impl::answersHold() {
    if (postgres())
        return false;
    const bool wasOpen = connection.database().isOpen();
    QSqlQuery& q = connection.reusable(u"PRAGMA data_version"_s);
    connection.run(q);
    const qint64 dataVersion = q.next() ? q.value(0).toLongLong() : -1;
    connection.done(q);
    sqlite3* const handle = history::sqliteHandle(connection.database());
    if (dataVersion < 0 || !handle || !sqlite3_get_autocommit(handle))
        return false;
    const qint64 ownChanges = sqlite3_total_changes64(handle);
    // A long session asked about many texts starts afresh now and then.
    constexpr qsizetype kMostKept = 4096;
    if (!wasOpen || handle != answers.connection || dataVersion != answers.dataVersion ||
        ownChanges != answers.ownChanges || answers.variableLists.size() > kMostKept ||
        answers.listCodes.size() > kMostKept)
        answers = {handle, dataVersion, ownChanges, {}, {}, {}, {}};
    return true;
}

// The key of the ListJoinWords and InsertEachItem tables for a list code or
// reference, for their setters and getters alike: resolved as CodeListKey
// resolves it, in upper case.
static QString joinTableKey(ReferenceHost& host, const QString& listCode) {
    return listCodeKey(host.CodeListKey(listCode));
}

std::optional<QString> ReferenceHost::Impl::listCodeOf(const QString& reference, bool hold) {
    return remembered(answers.listCodes, hold, reference, [&] {
        return connection.keptValue(u"SELECT UsrDefCod FROM CodeListKey WHERE upper(ListReference) = ?"_s,
                                    reference);
    });
}

QString ReferenceHost::Impl::joinKey(const QString& listCode, bool hold) {
    const QString reference = refhost::normalizedListKey(listCode);
    return listCodeKey(listCodeOf(reference, hold).value_or(reference));
}

QString ReferenceHost::CodeListKey(const QString& ListReference) {
    const QString reference = refhost::normalizedListKey(ListReference);
    return d->listCodeOf(reference, d->answersHold()).value_or(reference);
}

void ReferenceHost::PipeVariableList(const QString& VariableText, QString& ListCode) {
    const QString name = refhost::pipeVariableName(VariableText).toUpper();
    ListCode = name.isEmpty()
                   ? QString()
                   : remembered(d->answers.variableLists, d->answersHold(), name, [&] {
                         return d->connection.keptValue(
                             u"SELECT ListCode FROM PipeVariableList WHERE upper(VariableName) = ?"_s, name);
                     }).value_or(QString());
}

void ReferenceHost::ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast,
                                  QString& AfterLast, QString& CodeJoin) {
    QString* words[] = {&Between, &BeforeLast, &AfterLast, &CodeJoin};
    const auto answer = [&](const std::array<std::optional<QString>, 4>& stored) {
        // A NULL word keeps its default; "" is a real (empty) word.
        static const QString defaults[] = {u","_s, u" and"_s, QString(), u" "_s};
        for (int i = 0; i < 4; ++i)
            *words[i] = stored[i].value_or(defaults[i]);
    };
    answer({});
    const bool hold = d->answersHold();
    const QString key = d->joinKey(ListCode, hold);
    answer(remembered(d->answers.joinWords, hold, key, [&] {
        QSqlQuery& q = d->connection.reusable(
            u"SELECT JoinBetween, JoinBeforeLast, JoinAfterLast, CodeJoin FROM ListJoinWords "
            u"WHERE upper(ListCode) = ?"_s);
        q.bindValue(0, key);
        d->run(q);
        std::array<std::optional<QString>, 4> stored;
        if (q.next()) {
            for (int i = 0; i < 4; ++i)
                if (!q.isNull(i))
                    stored[i] = q.value(i).toString();
        }
        d->connection.done(q);
        return stored;
    }));
}

bool ReferenceHost::InsertEachItem(const QString& ListCode) {
    const bool hold = d->answersHold();
    const QString key = d->joinKey(ListCode, hold);
    const std::optional<QString> value = remembered(d->answers.eachItem, hold, key, [&] {
        return d->connection.keptValue(u"SELECT EachItem FROM InsertEachItem WHERE upper(ListCode) = ?"_s,
                                       key);
    });
    return value && value->toInt() != 0;
}

void ReferenceHost::IsValidFeeType(qint16 FeeType, bool& Valid) {
    QSqlQuery q =
        d->prepare(u"SELECT COUNT(*), SUM(CASE WHEN FeeType = ? THEN 1 ELSE 0 END) FROM FeeTypes"_s);
    q.addBindValue(FeeType);
    d->run(q);
    q.next();
    Valid = q.value(0).toLongLong() == 0 ? FeeType > 0 : q.value(1).toLongLong() > 0;
}

namespace {
// One row per key in a host data table; both engines know ON CONFLICT.
void upsert(refhost::HostConnection& connection, const QString& sql, const QVariantList& values) {
    QSqlQuery q = connection.prepare(sql);
    // An unset QString is a real "" word here; NULL would mean "use the default".
    for (const QVariant& v : values)
        q.addBindValue(v.typeId() == QMetaType::QString && v.toString().isNull() ? QVariant(QString(u""_s))
                                                                                 : v);
    connection.run(q);
}
} // namespace

void ReferenceHost::setCodeListKey(const QString& listReference, const QString& listCode) {
    upsert(d->connection,
           u"INSERT INTO CodeListKey (ListReference, UsrDefCod) VALUES (?, ?) "
           u"ON CONFLICT (ListReference) DO UPDATE SET UsrDefCod = excluded.UsrDefCod"_s,
           {refhost::normalizedListKey(listReference), listCodeKey(listCode)});
}

void ReferenceHost::setListJoinWords(const QString& listCode, const QString& between,
                                     const QString& beforeLast, const QString& afterLast,
                                     const QString& codeJoin) {
    upsert(d->connection,
           u"INSERT INTO ListJoinWords (ListCode, JoinBetween, JoinBeforeLast, JoinAfterLast, CodeJoin) "
           u"VALUES (?, ?, ?, ?, ?) ON CONFLICT (ListCode) DO UPDATE SET JoinBetween = "
           u"excluded.JoinBetween, JoinBeforeLast = excluded.JoinBeforeLast, JoinAfterLast = "
           u"excluded.JoinAfterLast, CodeJoin = excluded.CodeJoin"_s,
           {joinTableKey(*this, listCode), between, beforeLast, afterLast, codeJoin});
}

void ReferenceHost::setInsertEachItem(const QString& listCode, bool eachItem) {
    upsert(d->connection,
           u"INSERT INTO InsertEachItem (ListCode, EachItem) VALUES (?, ?) "
           u"ON CONFLICT (ListCode) DO UPDATE SET EachItem = excluded.EachItem"_s,
           {joinTableKey(*this, listCode), eachItem ? -1 : 0});
}

void ReferenceHost::setPipeVariable(const QString& variableName, const QString& listCode) {
    // Stored as PipeVariableList reads it from a record: the name after the
    // bar, up to the first character a variable name cannot hold.
    const QString name = refhost::normalizedListKey(variableName);
    if (name.isEmpty() || refhost::pipeVariableName(u'|' + name) != name)
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              u"The variable name \"%1\" cannot be looked up: after its bar a variable holds "
                              u"letters, digits, '#' and '?' only."_s.arg(variableName));
    upsert(d->connection,
           u"INSERT INTO PipeVariableList (VariableName, ListCode) VALUES (?, ?) "
           u"ON CONFLICT (VariableName) DO UPDATE SET ListCode = excluded.ListCode"_s,
           {name, listCodeKey(listCode)});
}

void ReferenceHost::setFeeType(qint16 feeType, const QString& description) {
    upsert(d->connection,
           u"INSERT INTO FeeTypes (FeeType, Description) VALUES (?, ?) "
           u"ON CONFLICT (FeeType) DO UPDATE SET Description = excluded.Description"_s,
           {feeType, description});
}

} // namespace viVavazuruv
