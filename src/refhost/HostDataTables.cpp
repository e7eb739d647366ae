// The host's own tables that make code lists work (which list a reference
// names, its join words, whether each item is inserted, the pipe-sign
// variables) and the office's fee types: read for the component, set by the
// host application.
#include <viVavazuruv/ReferenceHost.h>

#include "ReferenceHostImpl.h"

#include <viVavazuruv/AutomationError.h>

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace viVavazuruv {

namespace {
QString listCodeKey(const QString& code) {
    return code.trimmed().toUpper();
}
} // namespace

// The key of the ListJoinWords and InsertEachItem tables for a list code or
// reference, for their setters and getters alike: resolved as CodeListKey
// resolves it, in upper case.
static QString joinTableKey(ReferenceHost& host, const QString& listCode) {
    return listCodeKey(host.CodeListKey(listCode));
}

QString ReferenceHost::CodeListKey(const QString& ListReference) {
    const QString key = refhost::normalizedListKey(ListReference);
    return d->lookup(u"SELECT UsrDefCod FROM CodeListKey WHERE upper(ListReference) = ?"_s, key)
        .value_or(key);
}

void ReferenceHost::PipeVariableList(const QString& VariableText, QString& ListCode) {
    const QString name = refhost::pipeVariableName(VariableText).toUpper();
    ListCode = name.isEmpty()
                   ? QString()
                   : d->lookup(u"SELECT ListCode FROM PipeVariableList WHERE upper(VariableName) = ?"_s, name)
                         .value_or(QString());
}

void ReferenceHost::ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast,
                                  QString& AfterLast, QString& CodeJoin) {
    Between = u","_s;
    BeforeLast = u" and"_s;
    AfterLast = QString();
    CodeJoin = u" "_s;
    QSqlQuery q =
        d->prepare(u"SELECT JoinBetween, JoinBeforeLast, JoinAfterLast, CodeJoin FROM ListJoinWords "
                   u"WHERE upper(ListCode) = ?"_s);
    q.addBindValue(joinTableKey(*this, ListCode));
    d->run(q);
    if (!q.next())
        return;
    // A NULL word keeps its default; "" is a real (empty) word.
    QString* words[] = {&Between, &BeforeLast, &AfterLast, &CodeJoin};
    for (int i = 0; i < 4; ++i)
        if (!q.isNull(i))
            *words[i] = q.value(i).toString();
}

bool ReferenceHost::InsertEachItem(const QString& ListCode) {
    const auto value = d->lookup(u"SELECT EachItem FROM InsertEachItem WHERE upper(ListCode) = ?"_s,
                                 joinTableKey(*this, ListCode));
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
