#include "HistorySchema.h"

#include "TextRules.h"

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/Transaction.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace viVavazuruv::refhost {

namespace {

void run(QSqlQuery& q, const QString& statement) {
    if (!q.exec(statement))
        throw AutomationError(ErrorCode::DatabaseError,
                              u"Making the list history failed: %1"_s.arg(q.lastError().text()));
}

} // namespace

QList<std::pair<QString, QString>> historyColumns(const QSqlDatabase& db, bool postgres) {
    QSqlQuery q(db);
    // The catalogue itself: its information_schema view costs milliseconds, once a run of saves.
    run(q, postgres
               ? u"SELECT attname FROM pg_attribute WHERE attrelid = 'usrdeftable'::regclass AND attnum > 0 "
                 u"AND NOT attisdropped ORDER BY attnum"_s
               : u"SELECT name FROM pragma_table_info('%1') ORDER BY cid"_s.arg(usrdef::kTable));
    const QStringList own{usrdef::kCode,     usrdef::kGroup,         usrdef::kDescription,
                          usrdef::kDrawFlag, usrdef::kProcedureCode, usrdef::kLetterFile,
                          usrdef::kKey,      usrdef::kOffice};
    QList<std::pair<QString, QString>> columns;
    while (q.next()) {
        const QString name = q.value(0).toString();
        QString shown = name;
        for (const QString& o : own)
            if (o.compare(name, Qt::CaseInsensitive) == 0)
                shown = o;
        columns.append({name, shown});
    }
    return columns;
}

QString historyNow() {
    return QDateTime::currentDateTimeUtc().toString(u"yyyy-MM-ddTHH:mm:ss.zzz'Z'"_s);
}

namespace {

QString quotedName(QString name) {
    return u'"' + name.replace(u'"', u"\"\""_s) + u'"';
}

} // namespace

QString rowJson(const QList<std::pair<QString, QString>>& columns, const QString& row, bool postgres) {
    QStringList pairs;
    for (const auto& [name, shown] : columns)
        pairs << sqlLiteral(shown, false) + u", "_s + row + u'.' + quotedName(name);
    return (postgres ? u"json_build_object("_s : u"json_object("_s) + pairs.join(u", "_s) +
           (postgres ? u")::text"_s : u")"_s);
}

QString rowValuesJson(const QList<std::pair<QString, QString>>& columns, const QString& row) {
    QStringList values;
    for (const auto& column : columns)
        values << row + u'.' + quotedName(column.first);
    return u"json_build_array("_s + values.join(u", "_s) + u")::text"_s;
}

namespace {

const QString kColumns =
    u"ChangedAt, LoginName, Workstation, OfficeID, Action, UsrDefCod, usrdefInd, RowBefore, RowAfter"_s;

// SQLite: one trigger a kind of change, a row at a time. The names are left
// empty here: another program's connection has nothing to fill them with.
QStringList sqliteTriggers(const QList<std::pair<QString, QString>>& columns) {
    const QString at = u"strftime('%Y-%m-%dT%H:%M:%fZ', 'now')"_s;
    const QString before = rowJson(columns, u"OLD"_s, false);
    const QString after = rowJson(columns, u"NEW"_s, false);
    const auto trigger = [&](const QString& kind, const QString& row, const QString& json1,
                             const QString& json2) {
        return u"CREATE TRIGGER %1_%2 AFTER %3 ON %4 BEGIN INSERT INTO %1 (%5) VALUES (%6, '', '', "
               u"%7.OfficeID, '%8', %7.UsrDefCod, %7.usrdefInd, %9, %10); END"_s
                   .arg(kHistoryTable, kind, kind.toUpper(), usrdef::kTable, kColumns, at, row,
                        kind.toLower(), json1)
                   .arg(json2);
    };
    return {trigger(u"Insert"_s, u"NEW"_s, u"NULL"_s, after), trigger(u"Update"_s, u"NEW"_s, before, after),
            trigger(u"Delete"_s, u"OLD"_s, before, u"NULL"_s)};
}

// PostgreSQL: one function for the three kinds of statement, a statement at
// a time over its transition tables, so an import of many rows a statement
// records them in one insert. A key changed by an update is recorded as the
// old row's delete and the new row's insert.
QString postgresFunctionBody(const QList<std::pair<QString, QString>>& columns) {
    const QString oldJson = rowJson(columns, u"o"_s, true);
    const QString newJson = rowJson(columns, u"n"_s, true);
    return uR"(
-- A run that records itself (ChangeRecorder) passes over its inserts and updates.
DECLARE
    at text := to_char(clock_timestamp() AT TIME ZONE 'UTC', 'YYYY-MM-DD"T"HH24:MI:SS.MS"Z"');
    login text := coalesce(current_setting('viVavazuruv.login', true), '');
    station text := coalesce(current_setting('viVavazuruv.workstation', true), '');
BEGIN
    IF TG_OP = 'INSERT' THEN
        INSERT INTO %1 (ChangedAt, LoginName, Workstation, Action, RowAfter) SELECT at, login, station, 'pack',
            json_agg(json_build_array('insert', n.usrdefInd) ORDER BY n.usrdefInd)::text FROM %1_New n
            HAVING count(*) > 0;
    ELSIF TG_OP = 'DELETE' THEN
        INSERT INTO %1 (%2) SELECT at, login, station, o.OfficeID, 'delete', o.UsrDefCod, o.usrdefInd,
            %4, NULL FROM %1_Old o ORDER BY o.usrdefInd;
    ELSE
        INSERT INTO %1 (%2) SELECT at, login, station, coalesce(n.OfficeID, o.OfficeID),
            CASE WHEN o.usrdefInd IS NULL THEN 'insert' WHEN n.usrdefInd IS NULL THEN 'delete' ELSE 'update' END,
            coalesce(n.UsrDefCod, o.UsrDefCod), coalesce(n.usrdefInd, o.usrdefInd),
            CASE WHEN o.usrdefInd IS NOT NULL THEN %4 END, CASE WHEN n.usrdefInd IS NOT NULL THEN %3 END
            FROM %1_Old o FULL JOIN %1_New n ON n.usrdefInd = o.usrdefInd
            ORDER BY coalesce(n.usrdefInd, o.usrdefInd), o.usrdefInd NULLS LAST;
    END IF;
    RETURN NULL;
END
)"_s.arg(kHistoryTable, kColumns, newJson, oldJson);
}

QStringList postgresTriggers() {
    const auto trigger = [](const QString& kind, const QString& tables, const QString& when = {}) {
        return u"CREATE TRIGGER %1_%2 AFTER %3 ON %4 REFERENCING %5 FOR EACH STATEMENT %6EXECUTE FUNCTION "
               u"%1_Record()"_s.arg(kHistoryTable, kind, kind.toUpper(), usrdef::kTable, tables, when);
    };
    // A run that records its own updates (ChangeRecorder) says so for its transaction.
    const QString unlessRecorded =
        u"WHEN (current_setting('viVavazuruv.recorded', true) IS DISTINCT FROM 'on') "_s;
    const QString oldTable = u"OLD TABLE AS %1_Old"_s.arg(kHistoryTable);
    const QString newTable = u"NEW TABLE AS %1_New"_s.arg(kHistoryTable);
    return {trigger(u"Insert"_s, newTable, unlessRecorded),
            trigger(u"Update"_s, oldTable + u' ' + newTable, unlessRecorded), trigger(u"Delete"_s, oldTable)};
}

} // namespace

void createHistoryTables(const QSqlDatabase& db, bool postgres) {
    QSqlQuery q(db);
    run(q,
        postgres
            ? u"SELECT to_regclass('%1') IS NOT NULL"_s.arg(kHistoryTable.toLower())
            : u"SELECT count(*) > 0 FROM sqlite_master WHERE type = 'table' AND name = '%1' COLLATE NOCASE"_s
                  .arg(kHistoryTable));
    const bool existed = q.next() && q.value(0).toBool();
    // UsrDefCod compares as in UsrDefTable, so a list's changes are asked for as its rows are.
    run(q, u"CREATE TABLE IF NOT EXISTS %1 (ChangeNo %2, ChangedAt text NOT NULL, LoginName text, "
           u"Workstation text, OfficeID integer, Action text NOT NULL, UsrDefCod text%3, usrdefInd integer, "
           u"RowBefore text, RowAfter text, SealNo bigint, Hash text)"_s.arg(
               kHistoryTable,
               postgres ? u"bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"_s : u"INTEGER PRIMARY KEY"_s,
               postgres ? QString() : u" COLLATE NOCASE"_s));
    run(q, u"CREATE INDEX IF NOT EXISTS %1_Key ON %1 (usrdefInd)"_s.arg(kHistoryTable));
    run(q, u"CREATE UNIQUE INDEX IF NOT EXISTS %1_Seal ON %1 (SealNo)"_s.arg(kHistoryTable));
    run(q, u"CREATE TABLE IF NOT EXISTS %1 (SealNo bigint NOT NULL, Hash text NOT NULL, PrunedAt text "
           u"NOT NULL)"_s.arg(kCheckpointTable));
    // Lists that hold rows before their history begins: the chain starts at a
    // checkpoint of its own, so an empty history beside them is no finding
    // here, and one emptied later still is.
    if (!existed)
        run(q, u"INSERT INTO %1 (SealNo, Hash, PrunedAt) SELECT 0, '', '%3' WHERE EXISTS (SELECT 1 FROM %2)"_s
                   .arg(kCheckpointTable, usrdef::kTable,
                        QDateTime::currentDateTimeUtc().toString(u"yyyy-MM-ddTHH:mm:ss.zzz'Z'"_s)));
}

void installHistoryTriggers(const QSqlDatabase& db, bool postgres) {
    QSqlQuery q(db);
    const auto columns = historyColumns(db, postgres);
    if (!postgres) {
        const QStringList wanted = sqliteTriggers(columns);
        QStringList present;
        run(q, u"SELECT sql FROM sqlite_master WHERE type = 'trigger' AND lower(name) IN ('%1_insert', "
               u"'%1_update', '%1_delete') ORDER BY name = '%2_Insert' DESC, name = '%2_Update' DESC"_s.arg(
                   kHistoryTable.toLower(), kHistoryTable));
        while (q.next())
            present << q.value(0).toString();
        if (present == wanted)
            return;
        Transaction transaction(db);
        for (const QString& kind : {u"Insert"_s, u"Update"_s, u"Delete"_s})
            run(q, u"DROP TRIGGER IF EXISTS %1_%2"_s.arg(kHistoryTable, kind));
        for (const QString& statement : wanted)
            run(q, statement);
        transaction.commit();
        return;
    }
    const QString body = postgresFunctionBody(columns);
    q.prepare(u"SELECT (SELECT prosrc FROM pg_proc WHERE proname = lower(?) AND pronamespace = "
              u"(SELECT oid FROM pg_namespace WHERE nspname = current_schema())), (SELECT count(*) FROM "
              u"pg_trigger WHERE tgrelid = "
              u"lower(?)::regclass AND tgname LIKE lower(?) AND tgenabled <> 'D')"_s);
    q.addBindValue(kHistoryTable + u"_Record"_s);
    q.addBindValue(usrdef::kTable);
    q.addBindValue(kHistoryTable + u"\\_%"_s);
    if (!q.exec() || !q.next())
        throw AutomationError(ErrorCode::DatabaseError,
                              u"Reading the list history's triggers failed: %1"_s.arg(q.lastError().text()));
    if (q.value(0).toString() == body && q.value(1).toInt() == 3)
        return;
    Transaction transaction(db);
    run(q, u"SET LOCAL client_min_messages = warning"_s);
    run(q, u"SELECT pg_advisory_xact_lock(7605250)"_s); // as the schema's steps: one host at a time
    run(q, u"CREATE OR REPLACE FUNCTION %1_Record() RETURNS trigger LANGUAGE plpgsql AS $vv$%2$vv$"_s.arg(
               kHistoryTable, body));
    for (const QString& kind : {u"Insert"_s, u"Update"_s, u"Delete"_s})
        run(q, u"DROP TRIGGER IF EXISTS %1_%2 ON %3"_s.arg(kHistoryTable, kind, usrdef::kTable));
    for (const QString& statement : postgresTriggers())
        run(q, statement);
    transaction.commit();
}

void startHistorySession(const QSqlDatabase& db, bool postgres, const QString& login,
                         const QString& workstation) {
    QSqlQuery q(db);
    if (postgres) {
        q.prepare(u"SELECT set_config('viVavazuruv.login', ?, false), "
                  u"set_config('viVavazuruv.workstation', ?, false)"_s);
        q.addBindValue(login);
        q.addBindValue(workstation);
        if (!q.exec())
            throw AutomationError(
                ErrorCode::DatabaseError,
                u"Naming the session for the list history failed: %1"_s.arg(q.lastError().text()));
        // Where a run's updates leave their rows before (ChangeRecorder): the session's own, emptied as each
        // transaction ends.
        run(q, u"SELECT to_regclass('%1') IS NULL"_s.arg(kRunTable.toLower()));
        if (q.next() && q.value(0).toBool())
            run(q,
                u"CREATE TEMP TABLE %1 (Seq bigserial, usrdefInd integer, RowBefore text, Mine boolean) ON "
                u"COMMIT DELETE ROWS"_s.arg(kRunTable));
        return;
    }
    // A temporary trigger may act on the main database's tables; it lives as
    // long as this connection, and only this connection's changes fire it.
    run(q, u"DROP TRIGGER IF EXISTS temp.%1_Who"_s.arg(kHistoryTable));
    // A change the sealer writes out of another's entry comes sealed, with its own names.
    run(q, u"CREATE TEMP TRIGGER %1_Who AFTER INSERT ON main.%1 WHEN NEW.SealNo IS NULL BEGIN UPDATE %1 SET "
           u"LoginName = %2, Workstation = %3 WHERE ChangeNo = NEW.ChangeNo; END"_s.arg(
               kHistoryTable, sqlLiteral(login, false), sqlLiteral(workstation, false)));
}

} // namespace viVavazuruv::refhost
