#include "ListStore.h"

#include <ado/AdoConstants.h>
#include <ado/Connection.h>
#include <ado/Recordset.h>
#include <ado/VbStrings.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QVector>

#include <algorithm>

namespace viVavazuruv {

namespace {
// Text of a stored value; a text value is shared, not converted.
QString textOf(const QVariant& value) {
    if (value.typeId() == QMetaType::QString)
        return *static_cast<const QString*>(value.constData());
    return value.toString();
}

using usrdef::kCode;
using usrdef::kKey;
using usrdef::kKeyField;
using usrdef::kTable;

// Room made for a list whose length is not known yet.
constexpr qint32 kFirstExpected = 1024;
} // namespace

QString ListStore::OfficeClause() const {
    if (m_host.GetOfficeMode() != 7)
        return {};
    return QStringLiteral(" and (%1=%2)").arg(usrdef::kOffice, QString::number(m_host.GetOfficeID()));
}

QString ListStore::LoadStatement(const QString& listCode) const {
    // The literal is asked before the office: a host sees the questions in the statement's order.
    QString statement = QStringLiteral("select * from %1 where %2 = ").arg(kTable, kCode);
    statement += m_host.SqlValue(listCode, false, 1, 0);
    return statement + OfficeClause();
}

QString ListStore::DeleteStatement(qint32 key) const {
    return QStringLiteral("Delete * from %1 where %2=%3").arg(kTable, kKeyField, QString::number(key)) +
           OfficeClause();
}

qint32 ListStore::LoadList(const QString& listCode, const VbArray<QString>& fieldNames, qint16 columnCount,
                           IGridControl& grid, const RowLoaded& rowLoaded) const {
    class GridSink final : public RowSink {
    public:
        GridSink(IGridControl& grid, const RowLoaded& rowLoaded)
            : m_grid(grid), m_rowLoaded(rowLoaded), m_rowsBefore(grid.MaxRows()) {}
        // Room made ahead for rows that did not come goes again.
        void trim(qint32 rows) {
            const qint32 kept = std::max(rows, m_rowsBefore);
            if (m_grid.MaxRows() > kept)
                m_grid.setMaxRows(kept);
        }
        void expect(qint32 rows) override {
            if (m_grid.MaxRows() < rows)
                m_grid.setMaxRows(rows);
        }
        void cell(qint32 col, qint32 row, QAnyStringView text) override { m_grid.SetText(col, row, text); }
        void rowRead(qint32 row) override {
            if (m_rowLoaded)
                m_rowLoaded(row);
        }

    private:
        IGridControl& m_grid;
        const RowLoaded& m_rowLoaded;
        qint32 m_rowsBefore;
    } sink(grid, rowLoaded);
    const qint32 rows = ReadList(listCode, fieldNames, columnCount, sink);
    sink.trim(rows);
    return rows;
}

qint32 ListStore::ReadList(const QString& listCode, const VbArray<QString>& fieldNames, qint16 columnCount,
                           RowSink& sink) const {
    const QString sql = m_host.TranslateSql(LoadStatement(listCode), 1, 0);
    ado::Recordset rs;
    rs.setCursorLocation(ado::adUseClient);
    // The rows arrive while they are read: the engine's work on a row
    // overlaps the sink's on the one before, and no copy of the whole list
    // is kept beside the sink's.
    rs.Open(sql, m_host.GetConnection(), ado::adOpenForwardOnly, ado::adLockReadOnly,
            ado::adCmdText | ado::adAsyncFetch);

    qint32 row = 0;
    if (!(rs.Bof() && rs.Eof())) {
        // Names are resolved once; a field the table lacks stays -1 and its
        // cells stay empty, which is what skipping the failed read leaves.
        QVector<int> columnField(columnCount + 1, -1);
        for (int c = 1; c <= columnCount; ++c) {
            try {
                columnField[c] = rs.FieldIndex(fieldNames(c));
            } catch (const AutomationError&) {
            }
        }
        const int codeField = rs.FieldIndex(kCode);
        // Values go from the recordset into the sink as views: no string is
        // made for a value on the way.
        QString codeBuffer, textBuffer;
        const QString wanted = listCode.toUpper();
        // Until the last row has come the count is unknown: room is made
        // ahead, twice as much each time.
        qint32 expected = rs.RecordCount();
        if (expected >= 0)
            sink.expect(expected);

        while (!rs.Eof()) {
            if (codeField >= 0) {
                // Nearly every row carries the code exactly as asked; only the rest pay for upper-casing.
                const QAnyStringView code = rs.CurrentText(codeField, codeBuffer);
                if (code != listCode && code.toString().toUpper() != wanted)
                    break;
            }
            ++row;
            if (row > expected) {
                expected = row > kFirstExpected ? qint32(std::min<qint64>(qint64(row) * 2, INT32_MAX))
                                                : kFirstExpected;
                sink.expect(expected);
            }
            for (int c = 1; c <= columnCount; ++c) {
                if (columnField[c] < 0)
                    continue;
                try {
                    sink.cell(c, row, vb::Trim(rs.CurrentText(columnField[c], textBuffer)));
                } catch (const AutomationError&) {
                }
            }
            try {
                sink.rowRead(row);
            } catch (const AutomationError&) {
            }
            rs.MoveNext();
        }
    }
    // Also ends a read stopped early by a different code.
    rs.Close();
    return row;
}

namespace {
// Reads every row a statement gives into texts of fields 1..count, by key.
QHash<qint32, QStringList> readRows(IHostServices& host, const QString& statement,
                                    const VbArray<QString>& fieldNames, qint16 count,
                                    const QString& listCode) {
    ado::Recordset rs;
    rs.setCursorLocation(ado::adUseClient);
    // Translated first, then the connection: the order a host sees (arguments have none of their own).
    const QString sql = host.TranslateSql(statement, 1, 0);
    rs.Open(sql, host.GetConnection(), ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdText);
    rs.DetachConnection();
    QHash<qint32, QStringList> rows;
    const int keyField = rs.FieldIndex(kKey);
    const int codeField = rs.FieldIndex(kCode);
    QVector<int> fields;
    for (int c = 1; c <= count; ++c)
        fields << rs.FieldIndex(fieldNames(c));
    for (; keyField >= 0 && !rs.Eof(); rs.MoveNext()) {
        // The same rows a load shows: its list, in any case of the code.
        if (!listCode.isEmpty() && codeField >= 0 &&
            textOf(rs.CurrentValue(codeField)).toUpper() != listCode.toUpper())
            continue;
        QStringList values;
        for (const int field : std::as_const(fields))
            values << (field >= 0 ? vb::Trim(textOf(rs.CurrentValue(field))) : QString());
        rows.insert(qint32(rs.CurrentValue(keyField).toLongLong()), values);
    }
    rs.Close();
    return rows;
}
} // namespace

QHash<qint32, QStringList> ListStore::StoredRows(const QString& listCode, const QList<qint32>& keys,
                                                 const VbArray<QString>& fieldNames, qint16 count,
                                                 bool lock) const {
    if (keys.isEmpty())
        return {};
    QString statement = LoadStatement(listCode) + QStringLiteral(" and %1 in (").arg(kKeyField);
    for (qsizetype i = 0; i < keys.size(); ++i)
        statement += (i ? QStringLiteral(",") : QString()) + QString::number(keys.at(i));
    statement += QStringLiteral(") order by %1").arg(kKeyField);
    if (lock)
        statement += QStringLiteral(" for update");
    return readRows(m_host, statement, fieldNames, count, listCode);
}

std::optional<QStringList> ListStore::StoredRow(qint32 key, const VbArray<QString>& fieldNames,
                                                qint16 count) const {
    const QString statement =
        QStringLiteral("select * from %1 where %2=%3").arg(kTable, kKeyField, QString::number(key)) +
        OfficeClause();
    const QHash<qint32, QStringList> rows = readRows(m_host, statement, fieldNames, count, {});
    if (!rows.contains(key))
        return std::nullopt;
    return rows.value(key);
}

bool ListStore::RowExists(qint32 key) const {
    // No office clause: a row another office now holds is still not deleted.
    const QString statement =
        QStringLiteral("select %2 from %1 where %2=%3").arg(kTable, kKeyField, QString::number(key));
    ado::Recordset rs;
    rs.setCursorLocation(ado::adUseClient);
    const QString sql = m_host.TranslateSql(statement, 1, 0);
    rs.Open(sql, m_host.GetConnection(), ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdText);
    rs.DetachConnection();
    const bool found = !rs.Eof();
    rs.Close();
    return found;
}

void ListStore::DeleteRow(qint32 key) const {
    const QString sql = m_host.TranslateSql(DeleteStatement(key), 1, 0);
    ado::Connection(m_host.GetConnection()).Execute(sql, nullptr, ado::adCmdText | ado::adExecuteNoRecords);
}

bool ListStore::SaveRow(qint32& key, const QStringList& fieldNames, const QStringList& values) const {
    return m_host.SaveRecord(1, kTable, kKeyField, key, fieldNames, values, true);
}

bool ListStore::BeginSaveRun() const {
    return m_host.BeginSaveRecords();
}

void ListStore::EndSaveRun(bool write) const {
    m_host.EndSaveRecords(write);
}

} // namespace viVavazuruv
