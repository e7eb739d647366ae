#include "HostTables.h"

#include "RecordSink.h"
#include "RecordSource.h"

#include <viVavazuruv/AutomationError.h>

#include <QSqlError>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

namespace {

struct HostTable {
    QString name;
    QStringList columns;
    int list; // the column naming the list the row is about
};

// As the reference host creates them (src/refhost/HostSchema.cpp).
const QList<HostTable>& hostTables() {
    static const QList<HostTable> tables{
        {u"CodeListKey"_s, {u"ListReference"_s, u"UsrDefCod"_s}, 1},
        {u"ListJoinWords"_s,
         {u"ListCode"_s, u"JoinBetween"_s, u"JoinBeforeLast"_s, u"JoinAfterLast"_s, u"CodeJoin"_s},
         0},
        {u"InsertEachItem"_s, {u"ListCode"_s, u"EachItem"_s}, 0},
        {u"PipeVariableList"_s, {u"VariableName"_s, u"ListCode"_s}, 1},
    };
    return tables;
}

// The table whose section a record heads, -1 for none.
int headedTable(const CsvRecord& record) {
    const QString first = record.fields.value(0).trimmed();
    for (int t = 0; t < hostTables().size(); ++t)
        if (first.startsWith(hostTables()[t].name + u'.', Qt::CaseInsensitive))
            return t;
    return -1;
}

bool concerns(const QStringList& codes, const QString& list) {
    if (codes.isEmpty())
        return true;
    return std::any_of(codes.begin(), codes.end(),
                       [&](const QString& code) { return isSameList(code, list); });
}

} // namespace

void writeHostTables(ReferenceHost& host, const QStringList& codes, RecordSink& sink) {
    for (const HostTable& table : hostTables()) {
        QSqlQuery q(host.GetConnection());
        q.setForwardOnly(true);
        if (!q.exec(u"select %1 from %2 order by %3"_s.arg(table.columns.join(u", "_s), table.name,
                                                           table.columns.first())))
            throw AutomationError(ErrorCode::DatabaseError,
                                  u"Reading %1 failed: %2"_s.arg(table.name, q.lastError().text()));
        bool headed = false;
        while (q.next()) {
            if (!concerns(codes, q.value(table.list).toString()))
                continue;
            if (!headed) {
                sink.beginTable(table.name);
                QStringList header;
                for (const QString& column : table.columns)
                    header << table.name + u'.' + column;
                sink.write(header);
                headed = true;
            }
            QStringList values;
            for (int c = 0; c < table.columns.size(); ++c)
                values << q.value(c).toString();
            sink.write(values);
        }
    }
}

bool headsHostTable(const CsvRecord& record) {
    return headedTable(record) >= 0;
}

qsizetype hostTablesStart(const QList<CsvRecord>& records) {
    for (qsizetype r = 1; r < records.size(); ++r)
        if (headedTable(records.at(r)) >= 0)
            return r;
    return records.size();
}

QList<HostTableRow> readHostTables(const QList<CsvRecord>& records, qsizetype from,
                                   const std::optional<QString>& replace) {
    QList<HostTableRow> rows;
    int table = -1;
    QList<qsizetype> order; // the file's field of each of the table's columns
    for (qsizetype r = from; r < records.size(); ++r) {
        const CsvRecord& record = records.at(r);
        QStringList fields = record.fields;
        if (const int headed = headedTable(record); headed >= 0) {
            table = headed;
            const HostTable& t = hostTables()[table];
            dropTrailingEmpty(fields, t.columns.size());
            order.clear();
            for (const QString& column : t.columns) {
                const auto at = std::find_if(fields.begin(), fields.end(), [&](const QString& f) {
                    return f.trimmed().compare(t.name + u'.' + column, Qt::CaseInsensitive) == 0;
                });
                if (at == fields.end())
                    throw FileFault::at(record, u"the header of %1 names no %2 column"_s.arg(t.name, column));
                order << (at - fields.begin());
            }
            if (fields.size() != t.columns.size())
                throw FileFault::at(record,
                                    u"the header of %1 has %2 fields; the table has %3 columns"_s.arg(t.name)
                                        .arg(fields.size())
                                        .arg(t.columns.size()));
            continue;
        }
        const HostTable& t = hostTables()[table];
        dropTrailingEmpty(fields, t.columns.size());
        if (fields.size() != t.columns.size())
            throw FileFault::at(record, u"%1 fields where the header of %2 names %3"_s.arg(fields.size())
                                            .arg(t.name)
                                            .arg(t.columns.size()));
        HostTableRow row{table, &record, {}};
        bool number = true;
        for (qsizetype c = 0; c < t.columns.size(); ++c) {
            const QString& value = fields.at(order.at(c));
            if (const QString fault = unstorablePart(value); !fault.isEmpty())
                throw FileFault::at(
                    record, u"%1.%2 holds %3, which cannot be stored"_s.arg(t.name, t.columns.at(c), fault));
            row.values << value;
        }
        if (table == 2 && (row.values.at(1).trimmed().toInt(&number), !number))
            throw FileFault::at(record,
                                u"InsertEachItem.EachItem is a number, not \"%1\""_s.arg(row.values.at(1)));
        if (replace && !isSameList(row.values.at(t.list), *replace))
            continue;
        rows << row;
    }
    return rows;
}

void storeHostTables(ReferenceHost& host, const QList<HostTableRow>& rows) {
    for (const HostTableRow& row : rows) {
        const QStringList& v = row.values;
        try {
            switch (row.table) {
            case 0:
                host.setCodeListKey(v[0], v[1]);
                break;
            case 1:
                host.setListJoinWords(v[0], v[1], v[2], v[3], v[4]);
                break;
            case 2:
                host.setInsertEachItem(v[0], v[1].trimmed().toInt() != 0);
                break;
            default:
                host.setPipeVariable(v[0], v[1]);
            }
        } catch (const AutomationError& e) {
            if (e.code() == ErrorCode::DatabaseError || e.code() == ErrorCode::ConnectionError)
                throw;
            throw FileFault::at(*row.record, e.message());
        }
    }
}

} // namespace viVavazuruv::lists
