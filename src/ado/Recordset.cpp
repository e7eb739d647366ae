#include "Recordset.h"

#include "AdoConstants.h"
#include "Connection.h"
#include "DriverRows.h"
#include "PostgresRows.h"
#include "SqliteRows.h"

#include <core/Logging.h>
#include <viVavazuruv/AutomationError.h>

namespace viVavazuruv::ado {

void Recordset::setCursorLocation(qint32 location) {
    if (location != adUseClient && location != adUseServer)
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("Cursor location %1 is not supported.").arg(location));
    if (m_open)
        throw AutomationError(
            ErrorCode::InvalidProcedureCall,
            QStringLiteral("The cursor location cannot change while the recordset is open."));
    m_cursorLocation = location;
}

namespace {

// The way a result is read: the engine's own reader where it takes the
// connection and the statement, Qt's driver otherwise.
// The engine's readers, and the host's driver read in place, may let the
// rows arrive while they are read (streamed); other drivers' rows are all
// copied first.
std::unique_ptr<EngineRows> readRows(const QString& source, const QSqlDatabase& db, bool streamed) {
    std::unique_ptr<EngineRows> rows;
    const QString driver = db.driverName();
    if (driver == QLatin1String("QSQLITE"))
        rows = SqliteRows::read(source, db, streamed);
    else if (driver == QLatin1String("QPSQL"))
        rows = PostgresRows::read(source, db, streamed);
    if (rows)
        return rows;
    QSqlQuery query = DriverRows::run(source, db, streamed);
    rows = PostgresRows::held(query);
    return rows ? std::move(rows) : DriverRows::copy(query);
}

} // namespace

void Recordset::Open(const QString& source, const QSqlDatabase& activeConnection, qint32 cursorType,
                     qint32 lockType, qint32 options) {
    if (m_open)
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("The recordset is already open."));
    if (cursorType != adOpenForwardOnly || lockType != adLockReadOnly ||
        (options != adCmdText && options != (adCmdText | adAsyncFetch)))
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("Only forward-only, read-only recordsets over command text are "
                                             "supported (cursor %1, lock %2, options %3).")
                                  .arg(cursorType)
                                  .arg(lockType)
                                  .arg(options));
    requireOpen(activeConnection);
    qCDebug(lcSql).noquote() << "open:" << source;
    std::unique_ptr<EngineRows> rows = readRows(source, activeConnection, options & adAsyncFetch);
    m_fieldNames = rows->names();
    const int columns = m_fieldNames.size();
    m_fieldIndex.clear();
    // Filled backwards so the first of two equally named columns wins.
    for (int c = columns - 1; c >= 0; --c)
        m_fieldIndex.insert(m_fieldNames[c].toLower(), c);
    m_rowCount = rows->rowCount();
    m_rows = std::move(rows);
    m_values.assign(size_t(columns), QVariant());
    m_valueRow.assign(size_t(columns), -1);
    m_position = 0;
    m_open = true;
    m_connected = true;
}

void Recordset::DetachConnection() {
    if (m_open && m_cursorLocation != adUseClient)
        throw AutomationError(
            ErrorCode::InvalidProcedureCall,
            QStringLiteral("Only a client-side recordset can be detached from its connection."));
    if (m_open && !m_rows->complete())
        throw AutomationError(
            ErrorCode::InvalidProcedureCall,
            QStringLiteral("A recordset cannot be detached while its rows are still arriving."));
    m_connected = false;
}

bool Recordset::Bof() const {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject, QStringLiteral("The recordset is closed."));
    return m_rowCount == 0 || m_position < 0;
}

bool Recordset::Eof() const {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject, QStringLiteral("The recordset is closed."));
    return m_position >= m_rowCount;
}

void Recordset::MoveNext() {
    if (Eof())
        throw AutomationError(ErrorCode::NoCurrentRecord,
                              QStringLiteral("There is no row after the last one."));
    ++m_position;
    // The cursor only moves forward: the rows may free what it has left.
    m_rows->passed(m_position);
    if (m_position >= m_rowCount && m_rows->fetchMore())
        m_rowCount = m_rows->rowCount();
}

void Recordset::Close() {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject,
                              QStringLiteral("The recordset is not open."));
    m_open = false;
    m_connected = false;
    m_rows.reset();
    m_values.clear();
    m_valueRow.clear();
    m_rowCount = 0;
    m_position = 0;
}

qint32 Recordset::RecordCount() const {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject, QStringLiteral("The recordset is closed."));
    return m_rows->complete() ? m_rowCount : -1;
}

int Recordset::FieldIndex(const QString& name) const {
    return m_fieldIndex.value(name.toLower(), -1);
}

void Recordset::requireCurrentRow() const {
    if (Bof() || Eof())
        throw AutomationError(ErrorCode::NoCurrentRecord, QStringLiteral("There is no current row."));
}

const QVariant& Recordset::ValueRef(int index) const {
    requireCurrentRow();
    if (index < 0 || index >= m_fieldNames.size())
        throw AutomationError(ErrorCode::ItemNotFound,
                              QStringLiteral("Field number %1 does not exist in the recordset.").arg(index));
    return CurrentValue(index);
}

const QVariant& Recordset::CurrentValue(int index) const {
    QVariant& value = m_values[size_t(index)];
    if (m_valueRow[size_t(index)] == m_position)
        return value;
    const QVariant& read = m_rows->value(m_position, index, value);
    // A value the rows keep themselves is not copied into the cache.
    if (&read == &value)
        m_valueRow[size_t(index)] = m_position;
    return read;
}

QAnyStringView Recordset::CurrentText(int index, QString& buffer) const {
    return m_rows->text(m_position, index, buffer);
}

QVariant Recordset::Fields(const QString& name) const {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject, QStringLiteral("The recordset is closed."));
    const int index = FieldIndex(name);
    if (index < 0)
        throw AutomationError(ErrorCode::ItemNotFound,
                              QStringLiteral("The recordset has no field named \"%1\".").arg(name));
    return Value(index);
}

} // namespace viVavazuruv::ado
