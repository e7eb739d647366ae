// Who may do what with the host's schema on an office's PostgreSQL server:
// the owner alone may alter the history; the workstations write the lists,
// and their changes reach the history through the owner's triggers only.
#include <viVavazuruv/ListHistory.h>

#include "ReferenceHostImpl.h"
#include <history/HistorySchema.h>

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/Transaction.h>

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace viVavazuruv {

namespace {

QString quotedRole(QString name) {
    return u'"' + name.replace(u'"', u"\"\""_s) + u'"';
}

QSqlQuery exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // Statements of the catalogue's commands cannot be prepared: those run as they are.
    bool done = values.isEmpty() || q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!done || !(values.isEmpty() ? q.exec(sql) : q.exec()))
        throw AutomationError(
            ErrorCode::DatabaseError,
            QCoreApplication::translate("ListHistory", "Setting up the database's roles failed: %1")
                .arg(q.lastError().text()));
    return q;
}

} // namespace

QString ListHistory::setUpRoles(const DatabaseRoles& roles) {
    if (!m_host.d->postgres())
        throw AutomationError(
            ErrorCode::InvalidProcedureCall,
            QCoreApplication::translate("ListHistory",
                                        "an SQLite database has no roles: who may read or change it is "
                                        "decided by the file's owner and permissions"));
    if (roles.owner.isEmpty() || roles.workstations.isEmpty())
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QCoreApplication::translate(
                                  "ListHistory", "the owner's and the workstations' roles are both needed"));
    if (roles.owner == roles.workstations || roles.owner == roles.readers)
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QCoreApplication::translate(
                                  "ListHistory",
                                  "the owner's role must be a role of its own: a workstation that owned "
                                  "the history could rewrite it"));
    const QSqlDatabase db = m_host.GetConnection();
    QStringList named{roles.owner, roles.workstations};
    if (!roles.readers.isEmpty())
        named << roles.readers;
    for (const QString& role : std::as_const(named)) {
        QSqlQuery found = exec(db, u"SELECT 1 FROM pg_roles WHERE rolname = ?"_s, {role});
        if (!found.next())
            throw AutomationError(
                ErrorCode::InvalidProcedureCall,
                QCoreApplication::translate("ListHistory", "there is no database role \"%1\"").arg(role));
    }
    // A role that may make objects in a schema could put an operator of its own
    // ahead of the built-in ones in its search path when the history's trigger runs.
    for (const QString& role : named.mid(1)) {
        QSqlQuery creates =
            exec(db,
                 u"SELECT nspname FROM pg_namespace WHERE has_schema_privilege(?, oid, 'CREATE') AND "
                 u"nspname NOT LIKE 'pg\\_%' AND nspname <> 'information_schema' AND oid <> "
                 u"current_schema()::regnamespace ORDER BY 1 LIMIT 1"_s,
                 {role});
        if (creates.next())
            throw AutomationError(ErrorCode::InvalidProcedureCall,
                                  QCoreApplication::translate(
                                      "ListHistory", "the role \"%1\" may make objects in schema %2; take "
                                                     "that right away first (REVOKE CREATE ON SCHEMA %2 "
                                                     "FROM %1)")
                                      .arg(role, creates.value(0).toString()));
    }
    const QString owner = quotedRole(roles.owner);
    const QString workstations = quotedRole(roles.workstations);
    const QString readers = roles.readers.isEmpty() ? QString() : quotedRole(roles.readers);
    const QString others = u"PUBLIC, "_s + workstations + (readers.isEmpty() ? QString() : u", "_s + readers);
    const auto grantRead = [&](const QString& what, const QString& object) {
        exec(db, u"GRANT %1 ON %2 TO %3"_s.arg(what, object, workstations));
        if (!readers.isEmpty())
            exec(db, u"GRANT %1 ON %2 TO %3"_s.arg(what, object, readers));
    };

    refhost::Transaction transaction(db);
    exec(db, u"SET LOCAL client_min_messages = warning"_s);
    exec(db, u"SELECT pg_advisory_xact_lock(7605250)"_s); // no host makes the schema meanwhile
    QSqlQuery schemaName = exec(db, u"SELECT quote_ident(current_schema())"_s);
    const QString schema = schemaName.next() ? schemaName.value(0).toString() : QString();
    // The owner needs the right to make objects in the schema to own them; nobody else has it.
    exec(db, u"REVOKE CREATE ON SCHEMA %1 FROM %2"_s.arg(schema, others));
    exec(db, u"GRANT USAGE, CREATE ON SCHEMA %1 TO %2"_s.arg(schema, owner));
    grantRead(u"USAGE"_s, u"SCHEMA "_s + schema);

    QSqlQuery objects =
        exec(db, u"SELECT quote_ident(c.relname), c.relkind, lower(c.relname) FROM pg_class c "
                 u"WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind IN ('r', "
                 u"'p', 'v', 'S') ORDER BY c.relkind <> 'S', c.relname"_s);
    QList<std::tuple<QString, QString, QString>> found;
    while (objects.next())
        found.append({objects.value(0).toString(), objects.value(1).toString(), objects.value(2).toString()});
    objects.finish();
    const QString historyTable = history::kHistoryTable.toLower();
    const QString checkpoint = history::kCheckpointTable.toLower();
    int tables = 0;
    for (const auto& [name, kind, lower] : std::as_const(found)) {
        const QString object = schema + u'.' + name;
        if (kind == u"S"_s) {
            exec(db, u"REVOKE ALL ON SEQUENCE %1 FROM %2"_s.arg(object, others));
            // The history's numbers are drawn by its owner's triggers only.
            if (!lower.startsWith(historyTable))
                grantRead(u"USAGE, SELECT"_s, u"SEQUENCE "_s + object);
            continue;
        }
        ++tables;
        exec(db, u"ALTER TABLE %1 OWNER TO %2"_s.arg(object, owner)); // its sequences go with it
        exec(db, u"REVOKE ALL ON %1 FROM %2"_s.arg(object, others));
        const bool readOnly = lower == historyTable || lower == checkpoint || lower == u"hostschemaversion"_s;
        exec(db, u"GRANT %1 ON %2 TO %3"_s.arg(readOnly ? u"SELECT"_s : u"SELECT, INSERT, UPDATE, DELETE"_s,
                                               object, workstations));
        if (!readers.isEmpty())
            exec(db, u"GRANT SELECT ON %1 TO %2"_s.arg(object, readers));
    }
    QSqlQuery functions =
        exec(db,
             u"SELECT p.oid::regprocedure::text, lower(p.proname) FROM pg_proc p WHERE p.pronamespace = "
             u"current_schema()::regnamespace AND lower(p.proname) LIKE ? ORDER BY 1"_s,
             {historyTable + u"\\_%"_s});
    QList<std::pair<QString, QString>> routines;
    while (functions.next())
        routines.append({functions.value(0).toString(), functions.value(1).toString()});
    functions.finish();
    for (const auto& [signature, name] : std::as_const(routines)) {
        // regprocedure names the function as the connection's search path finds it.
        const QString function = signature.contains(u'.') ? signature : schema + u'.' + signature;
        exec(db, u"ALTER FUNCTION %1 OWNER TO %2"_s.arg(function, owner));
        exec(db, u"REVOKE ALL ON FUNCTION %1 FROM %2"_s.arg(function, others));
        if (name == historyTable + u"_seal"_s)
            grantRead(u"EXECUTE"_s, u"FUNCTION "_s + function);
    }
    transaction.commit();
    return QCoreApplication::translate(
               "ListHistory", "%1 tables and %2 functions of schema %3 belong to %4; %5 may read and "
                              "write the lists, and read and seal the history%6")
        .arg(tables)
        .arg(routines.size())
        .arg(schema, roles.owner, roles.workstations,
             roles.readers.isEmpty()
                 ? QString()
                 : QCoreApplication::translate("ListHistory", "; %1 may read everything").arg(roles.readers));
}

} // namespace viVavazuruv
