#include "HistorySchema.h"

#include "ChangeSeal.h"

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/HostTextRules.h>
#include <viVavazuruv/Transaction.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <pwd.h>
#include <unistd.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace viVavazuruv::history {

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

// A name the history records: what no engine stores (a NUL) is refused, as
// the host refuses it in a value.
void requireRecordable(const QString& text) {
    if (const QString fault = refhost::unstorablePart(text); !fault.isEmpty())
        throw AutomationError(
            ErrorCode::InvalidProcedureCall,
            u"The name \"%1\" holds %2: the list history cannot record it."_s.arg(text, fault));
}

// A name or account as an SQL literal.
QString literal(QString text) {
    requireRecordable(text);
    return u'\'' + text.replace(u'\'', u"''"_s) + u'\'';
}

} // namespace

QString rowJson(const QList<std::pair<QString, QString>>& columns, const QString& row, bool postgres) {
    QStringList pairs;
    for (const auto& [name, shown] : columns)
        pairs << literal(shown) + u", "_s + row + u'.' + quotedName(name);
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
const QString kServerColumns =
    u"ChangedAt, LoginName, Workstation, Account, OfficeID, Action, UsrDefCod, usrdefInd, RowBefore, RowAfter"_s;

// The content of the change r as the seal hashes it: each of the sealed
// columns as its length and text, "~;" for NULL, the account only when it
// holds one (changes sealed before it was kept keep their hashes).
QString sealedContent(const QString& row, const QStringList& overrides = {}) {
    QStringList parts;
    const auto part = [](const QString& v) {
        return u"CASE WHEN %1 IS NULL THEN '~;' ELSE octet_length(convert_to(%1, 'UTF8')) || ':' || %1 || "
               u"';' END"_s.arg(v);
    };
    parts << part(u"last::text"_s);
    const QStringList columns = kSealedColumns.split(u", "_s).mid(1);
    for (qsizetype i = 0; i < columns.size(); ++i) {
        // A value of its own for the columns an unpacked change does not take from its entry.
        const QString value =
            i < overrides.size() && !overrides.at(i).isEmpty() ? overrides.at(i) : row + u'.' + columns.at(i);
        if (columns.at(i) == u"Account"_s)
            parts << u"CASE WHEN %1 IS NULL THEN '' ELSE %2 END"_s.arg(value, part(value + u"::text"_s));
        else
            parts << part(value + u"::text"_s);
    }
    return parts.join(u" || "_s);
}

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
// old row's delete and the new row's insert. It runs as its owner (the
// workstations may not write the history themselves) and records the role
// that made the change beside the names the host claims for the session.
QString postgresFunctionBody(const QString& history, const QList<std::pair<QString, QString>>& columns) {
    const QString oldJson = rowJson(columns, u"o"_s, true);
    const QString newJson = rowJson(columns, u"n"_s, true);
    const QString oldRow = rowJson(columns, u"OLD"_s, true);
    const QString newRow = rowJson(columns, u"NEW"_s, true);
    return uR"(
DECLARE
    at text := to_char(clock_timestamp() AT TIME ZONE 'UTC', 'YYYY-MM-DD"T"HH24:MI:SS.MS"Z"');
    login text := coalesce(current_setting('viVavazuruv.login', true), '');
    station text := coalesce(current_setting('viVavazuruv.workstation', true), '');
    account text := session_user;
BEGIN
    -- An update a row at a time: the statements a save sends write one row
    -- each, and a statement's transition tables cost more than the row.
    IF TG_LEVEL = 'ROW' THEN
        IF OLD.usrdefInd IS NOT DISTINCT FROM NEW.usrdefInd THEN
            INSERT INTO %1 (%2) VALUES (at, login, station, account, NEW.OfficeID, 'update', NEW.UsrDefCod,
                NEW.usrdefInd, %6, %5);
        ELSE
            INSERT INTO %1 (%2) VALUES (at, login, station, account, OLD.OfficeID, 'delete', OLD.UsrDefCod,
                OLD.usrdefInd, %6, NULL), (at, login, station, account, NEW.OfficeID, 'insert', NEW.UsrDefCod,
                NEW.usrdefInd, NULL, %5);
        END IF;
        RETURN NULL;
    END IF;
    IF TG_OP = 'INSERT' THEN
        -- The keys alone: the seal takes each row after (a row's JSON here would cost an import more than its row).
        INSERT INTO %1 (ChangedAt, LoginName, Workstation, Account, Action, RowAfter) SELECT at, login, station,
            account, 'pack', json_agg(json_build_array('insert', n.usrdefInd) ORDER BY n.usrdefInd)::text
            FROM UsrDefHistory_New n HAVING count(*) > 0;
    ELSIF TG_OP = 'DELETE' THEN
        INSERT INTO %1 (%2) SELECT at, login, station, account, o.OfficeID, 'delete', o.UsrDefCod, o.usrdefInd,
            %4, NULL FROM UsrDefHistory_Old o ORDER BY o.usrdefInd;
    ELSE
        INSERT INTO %1 (%2) SELECT at, login, station, account, coalesce(n.OfficeID, o.OfficeID),
            CASE WHEN o.usrdefInd IS NULL THEN 'insert' WHEN n.usrdefInd IS NULL THEN 'delete' ELSE 'update' END,
            coalesce(n.UsrDefCod, o.UsrDefCod), coalesce(n.usrdefInd, o.usrdefInd),
            CASE WHEN o.usrdefInd IS NOT NULL THEN %4 END, CASE WHEN n.usrdefInd IS NOT NULL THEN %3 END
            FROM UsrDefHistory_Old o FULL JOIN UsrDefHistory_New n ON n.usrdefInd = o.usrdefInd
            ORDER BY coalesce(n.usrdefInd, o.usrdefInd), o.usrdefInd NULLS LAST;
    END IF;
    RETURN NULL;
END
)"_s.arg(history, kServerColumns, newJson, oldJson, newRow, oldRow);
}

// PostgreSQL: the seal, on the server as its owner, so sealing needs no
// right to alter the history: each change without a seal, in change order,
// gets the next seal number and the SHA-256 over the hash before it and its
// content (as changeHash takes them). Sealers take turns on a lock of the
// transaction; with wait false one that finds another at work seals nothing.
// The changes are read a few at a time and their seals written a batch at a
// time, so memory stays bounded at any length of history.
QString postgresSealBody(const QString& history, const QString& checkpoint, const QString& lists,
                         const QList<std::pair<QString, QString>>& columns) {
    // An entry of a statement's inserts is unpacked into one change a key,
    // each taking its row after from the next change of the key (its row
    // before), else from the table: an import records its keys alone.
    const QString unpacked = sealedContent(
        u"r"_s,
        {u"c"_s, {}, {}, {}, u"office"_s, u"'insert'"_s, u"list"_s, u"k"_s, u"NULL::text"_s, u"after"_s});
    const QString writeUnpacked =
        u"INSERT INTO %1 (ChangeNo, ChangedAt, LoginName, Workstation, Account, OfficeID, Action, UsrDefCod, "
        u"usrdefInd, RowBefore, RowAfter, SealNo, Hash) SELECT w.c, r.ChangedAt, r.LoginName, r.Workstation, "
        u"r.Account, w.o, 'insert', w.l, w.k, NULL, w.a, w.s, w.h FROM unnest(uc, uk, uo, ul, ua, us, uh) AS "
        u"w(c, k, "
        u"o, l, a, s, h); uc := '{}'; uk := '{}'; uo := '{}'; ul := '{}'; ua := '{}'; us := '{}'; uh := '{}';"_s
            .arg(history);
    return uR"(
DECLARE
    keys integer[];
    numbers regclass := pg_get_serial_sequence('%1', 'changeno');
    u record;
    uc bigint[] := '{}';
    uk integer[] := '{}';
    uo integer[] := '{}';
    ul text[] := '{}';
    ua text[] := '{}';
    us bigint[] := '{}';
    uh text[] := '{}';
    k integer;
    c bigint;
    after text;
    office integer;
    list text;
    lockKey bigint := (7605251::bigint << 32) | '%1'::regclass::oid::bigint;
    last bigint;
    chain text;
    sealed bigint := 0;
    r record;
    changes bigint[] := '{}';
    seals bigint[] := '{}';
    hashes text[] := '{}';
BEGIN
    IF wait THEN
        PERFORM pg_advisory_xact_lock(lockKey);
    ELSIF NOT pg_try_advisory_xact_lock(lockKey) THEN
        RETURN 0;
    END IF;
    SELECT e.s, e.h INTO last, chain FROM (SELECT SealNo AS s, Hash AS h FROM %1 WHERE SealNo = (SELECT max(SealNo)
        FROM %1) UNION ALL SELECT SealNo, Hash FROM %2) e ORDER BY 1 DESC LIMIT 1;
    last := coalesce(last, 0);
    chain := coalesce(chain, '');
    FOR r IN SELECT * FROM %1 WHERE SealNo IS NULL ORDER BY ChangeNo LOOP
        IF r.Action = 'pack' THEN
            BEGIN
                keys := ARRAY(SELECT (e->>1)::integer FROM json_array_elements(r.RowAfter::json) WITH ORDINALITY
                    AS x(e, i) ORDER BY i);
            EXCEPTION WHEN others THEN
                keys := NULL; -- written by hand: sealed as it was found, and verify names it
            END;
            IF keys IS NOT NULL THEN
                IF cardinality(keys) > 10000 THEN
                    ANALYZE %1; -- an import's history just grew: plan the look-ups below with what it holds
                END IF;
                -- Each key's row after in one statement (found through the key's index: "+ 0" keeps the
                -- planner from walking the change numbers' instead); the changes written 5,000 a statement.
                FOR u IN SELECT x.k, coalesce((SELECT n.RowBefore FROM %1 n WHERE n.usrdefInd = x.k AND n.ChangeNo >
                    r.ChangeNo AND n.RowBefore IS NOT NULL ORDER BY n.ChangeNo + 0 LIMIT 1), (SELECT %5 FROM %4 t WHERE
                    t.usrdefInd = x.k)) AS after FROM unnest(keys) WITH ORDINALITY AS x(k, i) ORDER BY x.i LOOP
                    k := u.k;
                    after := u.after;
                    office := (after::json->>'%6')::integer;
                    list := after::json->>'%7';
                    c := nextval(numbers);
                    last := last + 1;
                    chain := encode(sha256(convert_to(chain || E'\n' || %8, 'UTF8')), 'hex');
                    uc := uc || c;
                    uk := uk || k;
                    uo := uo || office;
                    ul := ul || list;
                    ua := ua || after;
                    us := us || last;
                    uh := uh || chain;
                    sealed := sealed + 1;
                    IF cardinality(uc) >= 5000 THEN
                        %9
                    END IF;
                END LOOP;
                %9
                DELETE FROM %1 WHERE ChangeNo = r.ChangeNo;
                CONTINUE;
            END IF;
        END IF;
        last := last + 1;
        chain := encode(sha256(convert_to(chain || E'\n' || %3, 'UTF8')), 'hex');
        changes := changes || r.ChangeNo;
        seals := seals || last;
        hashes := hashes || chain;
        sealed := sealed + 1;
        IF cardinality(changes) >= 5000 THEN
            UPDATE %1 h SET SealNo = s.seal, Hash = s.digest FROM unnest(changes, seals, hashes) AS s(change, seal,
                digest) WHERE h.ChangeNo = s.change;
            changes := '{}';
            seals := '{}';
            hashes := '{}';
        END IF;
    END LOOP;
    UPDATE %1 h SET SealNo = s.seal, Hash = s.digest FROM unnest(changes, seals, hashes) AS s(change, seal, digest)
        WHERE h.ChangeNo = s.change;
    RETURN sealed;
END
)"_s.arg(history, checkpoint, sealedContent(u"r"_s), lists, rowJson(columns, u"t"_s, true), usrdef::kOffice,
         usrdef::kCode, unpacked, writeUnpacked);
}

QStringList postgresTriggers(const QString& schema) {
    const auto trigger = [&](const QString& kind, const QString& tables) {
        return u"CREATE TRIGGER %1_%2 AFTER %3 ON %5.%4 %6 EXECUTE FUNCTION %5.%1_Record()"_s.arg(
            kHistoryTable, kind, kind.toUpper(), usrdef::kTable, schema, tables);
    };
    const QString oldTable = u"REFERENCING OLD TABLE AS %1_Old FOR EACH STATEMENT"_s.arg(kHistoryTable);
    const QString newTable = u"REFERENCING NEW TABLE AS %1_New FOR EACH STATEMENT"_s.arg(kHistoryTable);
    return {trigger(u"Insert"_s, newTable), trigger(u"Update"_s, u"FOR EACH ROW"_s),
            trigger(u"Delete"_s, oldTable)};
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
           u"RowBefore text, RowAfter text, SealNo bigint, Hash text, Account text)"_s.arg(
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

void addHistoryAccount(const QSqlDatabase& db, bool postgres) {
    QSqlQuery q(db);
    run(q, postgres
               ? u"ALTER TABLE %1 ADD COLUMN IF NOT EXISTS Account text"_s.arg(kHistoryTable)
               : u"SELECT 1 FROM pragma_table_info('%1') WHERE lower(name) = 'account'"_s.arg(kHistoryTable));
    if (!postgres && !q.next())
        run(q, u"ALTER TABLE %1 ADD COLUMN Account text"_s.arg(kHistoryTable));
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
        refhost::Transaction transaction(db);
        for (const QString& kind : {u"Insert"_s, u"Update"_s, u"Delete"_s})
            run(q, u"DROP TRIGGER IF EXISTS %1_%2"_s.arg(kHistoryTable, kind));
        for (const QString& statement : wanted)
            run(q, statement);
        transaction.commit();
        return;
    }
    run(q, u"SELECT current_schema()"_s);
    const QString schemaName = q.next() ? q.value(0).toString() : QString();
    if (schemaName.isEmpty())
        throw AutomationError(
            ErrorCode::DatabaseError,
            u"Making the list history failed: the connection's search path names no schema"_s);
    // Every name in the functions carries the schema: neither a writer's
    // search path nor a restore's empty one decides where a change goes.
    const QString schema = quotedName(schemaName);
    const QString history = schema + u'.' + kHistoryTable;
    const QString record = postgresFunctionBody(history, columns);
    const QString seal =
        postgresSealBody(history, schema + u'.' + kCheckpointTable, schema + u'.' + usrdef::kTable, columns);
    q.prepare(
        u"SELECT (SELECT count(*) FROM pg_proc p WHERE p.pronamespace = ?::regnamespace AND p.prosecdef AND "
        u"((p.proname = lower(?) AND p.prosrc = ?) OR (p.proname = lower(?) AND p.prosrc = ?))), "
        u"(SELECT count(*) FROM pg_trigger WHERE tgrelid = (? || '.' || lower(?))::regclass AND tgname LIKE "
        u"lower(?) AND tgenabled <> 'D')"_s);
    q.addBindValue(schema);
    q.addBindValue(kHistoryTable + u"_Record"_s);
    q.addBindValue(record);
    q.addBindValue(kHistoryTable + u"_Seal"_s);
    q.addBindValue(seal);
    q.addBindValue(schema);
    q.addBindValue(usrdef::kTable);
    q.addBindValue(kHistoryTable + u"\\_%"_s);
    if (!q.exec() || !q.next())
        throw AutomationError(ErrorCode::DatabaseError,
                              u"Reading the list history's triggers failed: %1"_s.arg(q.lastError().text()));
    if (q.value(0).toInt() == 2 && q.value(1).toInt() == 3)
        return; // current: nothing is made, so a role without the right to make objects works
    refhost::Transaction transaction(db);
    run(q, u"SET LOCAL client_min_messages = warning"_s);
    run(q, u"SELECT pg_advisory_xact_lock(7605250)"_s); // as the schema's steps: one host at a time
    // Both run as their owner. The seal never sees a caller's search path.
    // The trigger's function names every table with its schema and uses
    // built-in functions and operators only, found in pg_catalog before any
    // schema a caller could make objects in (setup refuses roles that may
    // make any); pinning its search path too would cost a quarter of its price
    // on every row written.
    const QString definer = u"SECURITY DEFINER SET search_path = pg_catalog, pg_temp"_s;
    run(q, u"CREATE OR REPLACE FUNCTION %1.%2_Record() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS "
           u"$vv$%3$vv$"_s.arg(schema, kHistoryTable, record));
    run(q, u"CREATE OR REPLACE FUNCTION %1.%2_Seal(wait boolean) RETURNS bigint LANGUAGE plpgsql %3 AS "
           u"$vv$%4$vv$"_s.arg(schema, kHistoryTable, definer, seal));
    // Nobody but the owner and the roles set up for it runs the seal.
    run(q, u"REVOKE ALL ON FUNCTION %1.%2_Seal(boolean) FROM PUBLIC"_s.arg(schema, kHistoryTable));
    for (const QString& kind : {u"Insert"_s, u"Update"_s, u"Delete"_s})
        run(q, u"DROP TRIGGER IF EXISTS %1_%2 ON %3.%4"_s.arg(kHistoryTable, kind, schema, usrdef::kTable));
    for (const QString& statement : postgresTriggers(schema))
        run(q, statement);
    transaction.commit();
}

QString operatingSystemAccount() {
    // The system's user database, not the environment: $USER is whatever the
    // caller set, and unset under cron and services.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    return u"uid %1"_s.arg(geteuid());
}

QList<std::pair<QString, QString>> historyNames(const QString& login, const QString& workstation,
                                                bool postgres) {
    if (!postgres)
        return {};
    requireRecordable(login);
    requireRecordable(workstation);
    return {{u"viVavazuruv.login"_s, login}, {u"viVavazuruv.workstation"_s, workstation}};
}

void startHistorySession(const QSqlDatabase& db, bool postgres, const QString& login,
                         const QString& workstation) {
    if (postgres)
        return; // its names are settings of each transaction (historyNames)
    QSqlQuery q(db);
    // A temporary trigger may act on the main database's tables; it lives as
    // long as this connection, and only this connection's changes fire it.
    run(q, u"DROP TRIGGER IF EXISTS temp.%1_Who"_s.arg(kHistoryTable));
    // A history taken away leaves the lists readable: verify names what is missing.
    run(q, u"SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = '%1' COLLATE NOCASE"_s.arg(
               kHistoryTable));
    if (!q.next())
        return;
    // A change the sealer writes out of another's entry comes sealed, with its
    // own names; a run's entry comes with this session's (rewriting it would
    // copy the whole run once more).
    run(q,
        u"CREATE TEMP TRIGGER %1_Who AFTER INSERT ON main.%1 WHEN NEW.SealNo IS NULL AND NEW.Action <> '%5' "
        u"BEGIN UPDATE %1 SET LoginName = %2, Workstation = %3, Account = %4 WHERE ChangeNo = NEW.ChangeNo; "
        u"END"_s.arg(kHistoryTable, literal(login), literal(workstation), literal(operatingSystemAccount()),
                     kPackAction));
}

} // namespace viVavazuruv::history
