#pragma once

#include "HostConnection.h"

#include <viVavazuruv/IHostServices.h>

#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace viVavazuruv::refhost {

enum class ValueKind { Text, Integer, Real, Numeric, Date, Boolean };

struct Column {
    QString name; // as the catalogue spells it
    ValueKind kind = ValueKind::Text;
};

struct TableLayout {
    QString name;
    QList<Column> columns;
    const Column* find(const QString& wanted) const {
        for (const Column& c : columns)
            if (c.name.compare(wanted, Qt::CaseInsensitive) == 0)
                return &c;
        return nullptr;
    }
};

// Writes one row for SaveRecord: field names are matched, without regard to
// case, against the table's real columns (read from the engine's catalogue
// once per table and read again when a name is not found), values are bound
// as the column's type wants them, and the office is the host's business.
class RecordWriter {
public:
    explicit RecordWriter(HostConnection& connection);
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // Key 0 inserts and returns the new key through Key; another key updates
    // that row, in office mode 7 only within the host's office. True when the
    // row was written. Raises naming the table or field that was wrong.
    // Inside a run on PostgreSQL an update is held back and written with the
    // run's next updates as one statement, before any other statement runs;
    // true then means it is part of the run: a row that is gone by then is
    // not written, and a failure fails the run's commit.
    bool save(IHostServices& host, const QString& Table, const QString& KeyField, qint32& Key,
              const QStringList& FieldNames, const QStringList& Values);
    // Inserts a row under a key and office of the caller's (a deleted row put
    // back as it was), by the same rules as save. Raises when it is not written.
    void insertAs(const QString& Table, const QString& KeyField, qint32 Key, qint32 Office,
                  const QStringList& FieldNames, const QStringList& Values);

private:
    struct Pairs {
        Column key;
        std::optional<Column> office;
        QString table;
        QStringList names;
        QVariantList values;
    };
    // The pairs as the table's columns take them, checked by the host's rules.
    Pairs pairsFor(const QString& Table, const QString& KeyField, const QStringList& FieldNames,
                   const QStringList& Values);
    // INSERT of the pairs; gives the new key.
    qint32 insert(const Pairs& pairs);

    std::optional<TableLayout> readLayout(const QString& table);
    const TableLayout& layoutOf(const QString& table, bool refresh = false);
    const Column& columnOf(const QString& table, const QString& field);

    // Updates of one table and of the same fields held back in a run, each row's values as JSON.
    struct HeldUpdates {
        QString table;
        QString key;
        QString office; // "" without the office clause
        QStringList names;
        QJsonArray rows;
        QSet<qint32> keys;
    };
    // False when the update cannot be held (its values are not text); writes
    // what was held first when this one is of another shape or row.
    bool hold(const Pairs& pairs, qint32 key, std::optional<qint32> office);
    // Raises when the held updates fail; nothing is held afterwards either way.
    void writeHeld();
    QString releaseHeld(bool discard);

    HostConnection& m_connection;
    QHash<QString, TableLayout> m_layouts; // key: lower-case table name
    std::optional<HeldUpdates> m_held;
};

} // namespace viVavazuruv::refhost
