#pragma once

#include <QAnyStringView>
#include <QString>
#include <QVariant>
#include <QVector>

namespace viVavazuruv::ado {

// The rows of one result as a recordset reads them, whichever way they came:
// copied by Qt's driver (DriverRows), copied from SQLite through the
// connection's own handle (SqliteRows), or kept as libpq's own client-side
// copy (PostgresRows). Every way gives the values and types the driver gives.
// The recordset picks the way when it opens (Recordset::Open) and reads
// through this interface only; a caller that reads forward once may let the
// rows arrive while it reads them (fetchMore), so the engine's work and the
// caller's overlap and no copy of the whole result is kept; rows and columns are never out of range here
// (the recordset checks them).
class EngineRows {
public:
    virtual ~EngineRows() = default;
    EngineRows(const EngineRows&) = delete;
    EngineRows& operator=(const EngineRows&) = delete;

    const QVector<QString>& names() const { return m_names; }
    qint32 rowCount() const { return m_rowCount; }

    // The value at row and column: slot, filled with it, or a value the rows
    // keep themselves (valid as long as that row is).
    virtual const QVariant& value(qint32 row, int column, QVariant& slot) const = 0;
    // The same as text (NULL gives ""), without making a string when it can:
    // a view of the stored bytes, or of buffer written with the text. Valid
    // until the row is passed or buffer changes.
    virtual QAnyStringView text(qint32 row, int column, QString& buffer) const = 0;
    // The cursor has moved on to row and never comes back: the rows before it
    // may be freed.
    virtual void passed(qint32 row) { Q_UNUSED(row); }
    // Rows read while they are being read (an open with adAsyncFetch) arrive
    // as the cursor asks: false while more may come.
    bool complete() const { return m_complete; }
    // Reads the next rows into the count; false, and complete, when there
    // are no more. Rows already passed may be gone.
    virtual bool fetchMore() { return false; }

protected:
    EngineRows() = default;

    QVector<QString> m_names;
    qint32 m_rowCount = 0;
    bool m_complete = true;
};

} // namespace viVavazuruv::ado
