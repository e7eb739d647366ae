// Single-row inserts and updates for the host's SaveRecord.
#include "RecordWriter.h"

#include "TextRules.h"

#include <pgdriver/PgValues.h>

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

#include <limits>

using namespace Qt::StringLiterals;

namespace viVavazuruv::refhost {

namespace {

QString quotedName(QString name) {
    name.replace(u'"', u"\"\""_s);
    return u'"' + name + u'"';
}

ValueKind sqliteKind(const QString& declared) {
    // SQLite's own affinity rules, plus dates kept as text.
    const QString t = declared.toUpper();
    if (t.contains(u"INT"_s))
        return ValueKind::Integer;
    if (t.contains(u"CHAR"_s) || t.contains(u"CLOB"_s) || t.contains(u"TEXT"_s) || t.isEmpty())
        return ValueKind::Text;
    if (t.contains(u"REAL"_s) || t.contains(u"FLOA"_s) || t.contains(u"DOUB"_s))
        return ValueKind::Real;
    if (t.contains(u"DATE"_s) || t.contains(u"TIME"_s))
        return ValueKind::Date;
    if (t.contains(u"BOOL"_s))
        return ValueKind::Integer;
    return ValueKind::Numeric;
}

ValueKind postgresKind(const QString& dataType) {
    if (dataType == u"smallint"_s || dataType == u"integer"_s || dataType == u"bigint"_s)
        return ValueKind::Integer;
    if (dataType == u"real"_s || dataType == u"double precision"_s)
        return ValueKind::Real;
    if (dataType == u"numeric"_s)
        return ValueKind::Numeric;
    if (dataType == u"boolean"_s)
        return ValueKind::Boolean;
    if (dataType.startsWith(u"timestamp"_s) || dataType.startsWith(u"time"_s) || dataType == u"date"_s)
        return ValueKind::Date;
    return ValueKind::Text;
}

QVariant nullOf(QMetaType::Type type) {
    return QVariant(QMetaType(type));
}

// The text the component passes, as the value the column takes. Messages
// name the table and field as the caller spelt them.
QVariant columnValue(const QString& table, const QString& field, ValueKind kind, const QString& text) {
    if (const QString fault = refhost::unstorablePart(text); !fault.isEmpty())
        throw AutomationError(
            ErrorCode::InvalidProcedureCall,
            QCoreApplication::translate(
                "RecordWriter",
                "The value for field %1 of %2 holds %3, which is not allowed: no database stores it.")
                .arg(field, table, fault));
    const QString trimmed = text.trimmed();
    auto mismatch = [&](const QString& what) {
        return AutomationError(ErrorCode::TypeMismatch,
                               QCoreApplication::translate(
                                   "RecordWriter", "The value for field %1 of %2 must be %3, not \"%4\".")
                                   .arg(field, table, what, text.left(40)));
    };
    bool ok = false;
    switch (kind) {
    case ValueKind::Text:
        // The component has no NULL text: an unset string is "", never NULL.
        return text.isNull() ? QString(u""_s) : text;
    case ValueKind::Integer: {
        if (trimmed.isEmpty())
            return nullOf(QMetaType::LongLong);
        const qlonglong n = trimmed.toLongLong(&ok);
        if (!ok)
            throw mismatch(QCoreApplication::translate("RecordWriter", "a whole number"));
        return n;
    }
    case ValueKind::Real: {
        if (trimmed.isEmpty())
            return nullOf(QMetaType::Double);
        const double v = trimmed.toDouble(&ok);
        if (!ok)
            throw mismatch(QCoreApplication::translate("RecordWriter", "a number"));
        return v;
    }
    case ValueKind::Numeric:
        if (trimmed.isEmpty())
            return nullOf(QMetaType::QString);
        trimmed.toDouble(&ok);
        if (!ok)
            throw mismatch(QCoreApplication::translate("RecordWriter", "a number"));
        return trimmed; // as text, so no digit is lost on the way
    case ValueKind::Date:
        return trimmed.isEmpty() ? nullOf(QMetaType::QString) : QVariant(trimmed);
    case ValueKind::Boolean: {
        if (trimmed.isEmpty())
            return nullOf(QMetaType::Bool);
        const auto flag = refhost::parseFlag(trimmed);
        if (!flag)
            throw mismatch(QCoreApplication::translate("RecordWriter", "true or false"));
        return *flag != 0;
    }
    }
    return text;
}

} // namespace

RecordWriter::RecordWriter(HostConnection& connection) : m_connection(connection) {
    m_connection.setHeldStatements([this](bool discard) { return releaseHeld(discard); });
}

RecordWriter::~RecordWriter() {
    m_connection.setHeldStatements({});
}

bool RecordWriter::hold(const Pairs& pairs, qint32 key, std::optional<qint32> office) {
    QJsonObject row;
    for (qsizetype i = 0; i < pairs.names.size(); ++i) {
        const pgdriver::PgParam p = pgdriver::PgValues::toParam(pairs.values.at(i));
        if (p.binary)
            return false;
        row.insert(pairs.names.at(i), p.null ? QJsonValue() : QJsonValue(QString::fromUtf8(p.bytes)));
    }
    row.insert(pairs.key.name, key);
    if (office)
        row.insert(pairs.office->name, *office);
    const QString officeName = office ? pairs.office->name : QString();
    // One statement changes a row once: a second change of it waits for the
    // next. A long run goes in parts, each well within the statement limit.
    constexpr qsizetype kMostHeld = 5000;
    if (m_held &&
        (m_held->table != pairs.table || m_held->names != pairs.names || m_held->office != officeName ||
         m_held->keys.contains(key) || m_held->rows.size() >= kMostHeld))
        writeHeld();
    if (!m_held)
        m_held = HeldUpdates{pairs.table, pairs.key.name, officeName, pairs.names, {}, {}};
    m_held->rows.append(row);
    m_held->keys.insert(key);
    return true;
}

void RecordWriter::writeHeld() {
    if (!m_held)
        return;
    const HeldUpdates held = std::move(*m_held);
    m_held.reset();
    // The table's own row type reads each value as its column takes it.
    QStringList sets;
    for (const QString& n : held.names)
        sets << quotedName(n) + u" = v."_s + quotedName(n);
    QString sql = u"UPDATE "_s + quotedName(held.table) + u" AS t SET "_s + sets.join(u", "_s) +
                  u" FROM (SELECT * FROM jsonb_populate_recordset(NULL::"_s + quotedName(held.table) +
                  u", CAST(? AS jsonb)) WITH ORDINALITY AS r ORDER BY r.ordinality) AS v WHERE t."_s +
                  quotedName(held.key) + u" = v."_s + quotedName(held.key);
    if (!held.office.isEmpty())
        sql += u" AND t."_s + quotedName(held.office) + u" = v."_s + quotedName(held.office);
    // The rows change in the order they were saved, as one statement each
    // would change them (the history keeps that order): a nested loop over
    // the held rows in turn, for this statement only.
    QSqlQuery before = m_connection.prepare(
        u"SELECT current_setting('enable_hashjoin'), current_setting('enable_mergejoin')"_s);
    m_connection.run(before);
    const QString hashJoin = before.next() ? before.value(0).toString() : u"on"_s;
    const QString mergeJoin = before.value(1).isValid() ? before.value(1).toString() : u"on"_s;
    QSqlQuery setJoins = m_connection.prepare(
        u"SELECT set_config('enable_hashjoin', ?, true), set_config('enable_mergejoin', ?, true)"_s);
    const auto joins = [&](const QString& hash, const QString& merge) {
        setJoins.addBindValue(hash);
        setJoins.addBindValue(merge);
        m_connection.run(setJoins);
    };
    joins(u"off"_s, u"off"_s);
    QSqlQuery q = m_connection.prepare(sql);
    q.addBindValue(QString::fromUtf8(QJsonDocument(held.rows).toJson(QJsonDocument::Compact)));
    m_connection.run(q);
    joins(hashJoin, mergeJoin);
}

QString RecordWriter::releaseHeld(bool discard) {
    if (discard) {
        m_held.reset();
        return {};
    }
    try {
        writeHeld();
    } catch (const AutomationError& e) {
        return e.message();
    } catch (const std::exception& e) {
        // Called from inside Qt's driver, which nothing may unwind through.
        return QString::fromLocal8Bit(e.what());
    }
    return {};
}

// The table's real name and columns, from the engine's catalogue.
std::optional<TableLayout> RecordWriter::readLayout(const QString& table) {
    TableLayout layout;
    if (m_connection.postgres()) {
        QSqlQuery t = m_connection.prepare(
            u"SELECT table_name FROM information_schema.tables WHERE table_schema = "
            u"current_schema() AND lower(table_name) = lower(?) ORDER BY table_name = ? DESC"_s);
        t.addBindValue(table);
        t.addBindValue(table);
        m_connection.run(t);
        if (!t.next())
            return std::nullopt;
        layout.name = t.value(0).toString();
        QSqlQuery c = m_connection.prepare(
            u"SELECT column_name, data_type FROM information_schema.columns WHERE "
            u"table_schema = current_schema() AND table_name = ? ORDER BY ordinal_position"_s);
        c.addBindValue(layout.name);
        m_connection.run(c);
        while (c.next())
            layout.columns.append({c.value(0).toString(), postgresKind(c.value(1).toString())});
    } else {
        QSqlQuery t = m_connection.prepare(
            u"SELECT name FROM sqlite_master WHERE type = 'table' AND lower(name) = lower(?)"_s);
        t.addBindValue(table);
        m_connection.run(t);
        if (!t.next())
            return std::nullopt;
        layout.name = t.value(0).toString();
        QSqlQuery c = m_connection.prepare(u"SELECT name, type FROM pragma_table_info(?) ORDER BY cid"_s);
        c.addBindValue(layout.name);
        m_connection.run(c);
        while (c.next())
            layout.columns.append({c.value(0).toString(), sqliteKind(c.value(1).toString())});
    }
    return layout;
}

// Cached, since single-row saves are frequent and tables rarely change;
// refresh drops the cached copy first (a column may have been added).
const TableLayout& RecordWriter::layoutOf(const QString& table, bool refresh) {
    const QString key = table.toLower();
    if (refresh)
        m_layouts.remove(key);
    if (auto it = m_layouts.constFind(key); it != m_layouts.constEnd())
        return *it;
    std::optional<TableLayout> read = readLayout(table);
    if (!read)
        throw AutomationError(ErrorCode::ItemNotFound, u"The database has no table \"%1\"."_s.arg(table));
    return *m_layouts.insert(key, std::move(*read));
}

const Column& RecordWriter::columnOf(const QString& table, const QString& field) {
    if (const Column* c = layoutOf(table).find(field))
        return *c;
    const TableLayout& fresh = layoutOf(table, true);
    if (const Column* c = fresh.find(field))
        return *c;
    throw AutomationError(ErrorCode::ItemNotFound,
                          u"The table \"%1\" has no field \"%2\"."_s.arg(table, field));
}

RecordWriter::Pairs RecordWriter::pairsFor(const QString& Table, const QString& KeyField,
                                           const QStringList& FieldNames, const QStringList& Values) {
    if (FieldNames.size() != Values.size())
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              u"SaveRecord on %1 got %2 field names but %3 values."_s.arg(
                                  Table, QString::number(FieldNames.size()), QString::number(Values.size())));
    Pairs pairs{columnOf(Table, KeyField), std::nullopt, {}, {}, {}};
    if (const Column* officeColumn = layoutOf(Table).find(u"OfficeID"_s))
        pairs.office = *officeColumn;
    pairs.table = layoutOf(Table).name;
    const bool lists = pairs.table.compare(usrdef::kTable, Qt::CaseInsensitive) == 0;

    for (qsizetype i = 0; i < FieldNames.size(); ++i) {
        const Column column = columnOf(Table, FieldNames.at(i));
        if (pairs.office && column.name == pairs.office->name)
            continue; // the host decides the office
        if (column.name == pairs.key.name)
            throw AutomationError(ErrorCode::InvalidProcedureCall,
                                  u"The key field %1 of %2 cannot be written through SaveRecord."_s.arg(
                                      FieldNames.at(i), Table));
        if (pairs.names.contains(column.name))
            throw AutomationError(ErrorCode::InvalidProcedureCall,
                                  u"The field %1 of %2 is named twice."_s.arg(FieldNames.at(i), Table));
        pairs.names << column.name;
        pairs.values << columnValue(Table, FieldNames.at(i), column.kind, Values.at(i));
        if (lists && column.name.compare(usrdef::kCode, Qt::CaseInsensitive) == 0 &&
            !refhost::isStorableListCode(Values.at(i)))
            throw AutomationError(
                ErrorCode::InvalidProcedureCall,
                QCoreApplication::translate(
                    "RecordWriter",
                    "The list code \"%1\" cannot be stored: list codes are told apart without "
                    "regard to the case of A-Z only, so other letters must be stored in upper "
                    "case (\"%2\"), as the component stores them.")
                    .arg(Values.at(i), Values.at(i).toUpper()));
        if (lists && column.name.compare(usrdef::kDescription, Qt::CaseInsensitive) == 0 &&
            descriptionLength(Values.at(i)) > kMaxDescriptionLength)
            throw AutomationError(ErrorCode::InvalidProcedureCall,
                                  QCoreApplication::translate("RecordWriter",
                                                              "The description is %1 characters long; a list "
                                                              "entry's description holds %2 at most.")
                                      .arg(descriptionLength(Values.at(i)))
                                      .arg(kMaxDescriptionLength));
    }
    return pairs;
}

qint32 RecordWriter::insert(const Pairs& pairs) {
    writeHeld();
    QStringList quoted;
    for (const QString& n : std::as_const(pairs.names))
        quoted << quotedName(n);
    QString sql = u"INSERT INTO "_s + quotedName(pairs.table);
    sql += pairs.names.isEmpty() ? u" DEFAULT VALUES"_s
                                 : u" ("_s + quoted.join(u", "_s) + u") VALUES ("_s +
                                       QStringList(pairs.names.size(), u"?"_s).join(u", "_s) + u')';
    if (m_connection.postgres())
        sql += u" RETURNING "_s + quotedName(pairs.key.name);
    QSqlQuery& q = m_connection.reusable(sql);
    for (int i = 0; i < pairs.values.size(); ++i)
        q.bindValue(i, pairs.values.at(i));
    m_connection.run(q);
    const QVariant newKey = m_connection.postgres() ? (q.next() ? q.value(0) : QVariant()) : q.lastInsertId();
    // A kept statement must not hold its result (and SQLite its lock) until the next use.
    m_connection.done(q);
    bool ok = false;
    const qlonglong k = newKey.toLongLong(&ok);
    if (!ok || k <= 0 || k > std::numeric_limits<qint32>::max())
        throw AutomationError(
            ErrorCode::DatabaseError,
            QCoreApplication::translate(
                "RecordWriter", "The new row of %1 got no usable key in %2 (the key must be generated).")
                .arg(pairs.table, pairs.key.name));
    m_connection.wrote(pairs.table, qint32(k));
    return qint32(k);
}

void RecordWriter::insertAs(const QString& Table, const QString& KeyField, qint32 Key, qint32 Office,
                            const QStringList& FieldNames, const QStringList& Values) {
    Pairs pairs = pairsFor(Table, KeyField, FieldNames, Values);
    pairs.names << pairs.key.name;
    pairs.values << Key;
    if (pairs.office) {
        pairs.names << pairs.office->name;
        pairs.values << Office;
    }
    insert(pairs);
}

bool RecordWriter::save(IHostServices& host, const QString& Table, const QString& KeyField, qint32& Key,
                        const QStringList& FieldNames, const QStringList& Values) {
    Pairs pairs = pairsFor(Table, KeyField, FieldNames, Values);
    if (Key == 0) {
        if (pairs.office) {
            pairs.names << pairs.office->name;
            pairs.values << QVariant(host.GetOfficeID());
        }
        Key = insert(pairs);
        return true;
    }
    const Column& key = pairs.key;
    const std::optional<Column>& office = pairs.office;
    const QString& table = pairs.table;
    const QStringList& names = pairs.names;
    const QVariantList& values = pairs.values;

    const bool officeClause = office && host.GetOfficeMode() == 7;
    QString where = u" WHERE "_s + quotedName(key.name) + u" = ?"_s;
    if (officeClause)
        where += u" AND "_s + quotedName(office->name) + u" = ?"_s;
    QString sql;
    if (names.isEmpty()) { // nothing to write: tell whether the row is there
        sql = u"SELECT COUNT(*) FROM "_s + quotedName(table) + where;
    } else {
        QStringList sets;
        for (const QString& n : std::as_const(names))
            sets << quotedName(n) + u" = ?"_s;
        sql = u"UPDATE "_s + quotedName(table) + u" SET "_s + sets.join(u", "_s) + where;
    }
    if (!names.isEmpty() && m_connection.holdsStatements() &&
        hold(pairs, Key, officeClause ? std::optional<qint32>(host.GetOfficeID()) : std::nullopt)) {
        m_connection.wrote(table, Key);
        return true;
    }
    // Held updates go first, in the order they came.
    writeHeld();
    QSqlQuery& q = m_connection.reusable(sql);
    int at = 0;
    for (const QVariant& v : std::as_const(values))
        q.bindValue(at++, v);
    q.bindValue(at++, Key);
    if (officeClause)
        q.bindValue(at++, host.GetOfficeID());
    m_connection.run(q);
    const bool written = names.isEmpty() ? q.next() && q.value(0).toInt() == 1 : q.numRowsAffected() == 1;
    m_connection.done(q);
    if (written && !names.isEmpty())
        m_connection.wrote(table, Key);
    return written;
}

} // namespace viVavazuruv::refhost
