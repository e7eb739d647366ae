#pragma once

#include "EngineRows.h"

#include <QAnyStringView>
#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>
#include <vector>

namespace viVavazuruv::ado {

// A read-only recordset over command text. Every row is copied when it opens
// (the client-side cursor), so it can be detached from its connection and read
// after the connection is gone. A NULL value (isNull() true) stays apart from "".
class Recordset final {
public:
    Recordset() = default;
    Q_DISABLE_COPY(Recordset)
    Recordset(Recordset&&) noexcept = default;
    Recordset& operator=(Recordset&&) noexcept = default;

    qint32 CursorLocation() const { return m_cursorLocation; }
    void setCursorLocation(qint32 location);

    // Opens source on connection. The component passes forward-only (0),
    // read-only (1) and command text (1), with or without adAsyncFetch (the
    // rows arrive while they are read, and the connection stays busy until
    // the last has or the recordset closes); other cursor and lock types are
    // refused, since nothing here may write through a recordset.
    // Throws AutomationError with the driver's message when the query fails.
    void Open(const QString& source, const QSqlDatabase& activeConnection, qint32 cursorType, qint32 lockType,
              qint32 options);

    // Setting the active connection to nothing detaches a client-side recordset;
    // reading goes on from the copy. Refused while rows are still arriving.
    void DetachConnection();
    bool IsConnected() const { return m_connected; }

    bool IsOpen() const { return m_open; }
    bool Bof() const;
    bool Eof() const;
    void MoveNext();
    void Close();

    // Number of rows copied at open; -1 while rows are still arriving.
    qint32 RecordCount() const;

    // The value of a field of the current row, its name matched without regard
    // to case. Throws AutomationError when no such field exists, when the
    // recordset is closed, or when there is no current row.
    QVariant Fields(const QString& name) const;
    // Column index of a field, -1 when there is none; lets a loop resolve names once.
    int FieldIndex(const QString& name) const;
    QVariant Value(int index) const { return ValueRef(index); }
    // The same without a copy, valid until the recordset moves or closes.
    const QVariant& ValueRef(int index) const;
    // The same for a caller that has checked there is a current row and that
    // the index names a field (FieldIndex): no checks, for long read loops.
    const QVariant& CurrentValue(int index) const;
    // The current value as text (NULL gives ""), without making a string
    // when it can: a view of the stored bytes (Latin-1, UTF-8 or UTF-16), or
    // of buffer written with the text. Valid until the recordset moves or
    // buffer changes. No checks, as for CurrentValue.
    QAnyStringView CurrentText(int index, QString& buffer) const;
    int FieldCount() const { return m_fieldNames.size(); }
    QString FieldName(int index) const { return m_fieldNames.value(index); }

private:
    void requireCurrentRow() const;

    qint32 m_cursorLocation = 2;
    bool m_open = false;
    bool m_connected = false;
    QVector<QString> m_fieldNames;
    QHash<QString, int> m_fieldIndex; // lower-cased name -> column
    // The rows, read the way the recordset chose at open (EngineRows.h).
    std::unique_ptr<EngineRows> m_rows;
    qint32 m_rowCount = 0;
    qint32 m_position = 0;
    // The current row's values once read, by column, and the row each is of.
    mutable std::vector<QVariant> m_values;
    mutable std::vector<qint32> m_valueRow;
};

} // namespace viVavazuruv::ado
