#include "Recordset.h"

#include "AdoConstants.h"
#include "Connection.h"

#include <viVavazuruv/AutomationError.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

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

void Recordset::Open(const QString& source, const QSqlDatabase& activeConnection, qint32 cursorType,
                     qint32 lockType, qint32 options) {
    if (m_open)
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("The recordset is already open."));
    if (cursorType != adOpenForwardOnly || lockType != adLockReadOnly || options != adCmdText)
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("Only forward-only, read-only recordsets over command text are "
                                             "supported (cursor %1, lock %2, options %3).")
                                  .arg(cursorType)
                                  .arg(lockType)
                                  .arg(options));
    requireOpen(activeConnection);

    QSqlQuery query(activeConnection);
    query.setForwardOnly(true);
    if (!query.exec(source))
        throw AutomationError(ErrorCode::DatabaseError,
                              QStringLiteral("The query failed: %1").arg(query.lastError().text()));
    if (!query.isSelect())
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("The statement returns no rows to open a recordset on."));

    const QSqlRecord record = query.record();
    const int columns = record.count();
    m_fieldNames.resize(columns);
    m_fieldIndex.clear();
    for (int c = 0; c < columns; ++c) {
        m_fieldNames[c] = record.fieldName(c);
    }
    // Filled backwards so the first of two equally named columns wins.
    for (int c = columns - 1; c >= 0; --c)
        m_fieldIndex.insert(m_fieldNames[c].toLower(), c);

    m_chunks.clear();
    m_rowCount = 0;
    while (query.next()) {
        if (m_rowCount % kChunkRows == 0) {
            m_chunks.emplace_back();
            m_chunks.back().reserve(size_t(kChunkRows) * size_t(columns));
        }
        std::vector<QVariant>& chunk = m_chunks.back();
        for (int c = 0; c < columns; ++c)
            chunk.push_back(query.value(c));
        ++m_rowCount;
    }
    if (query.lastError().isValid())
        throw AutomationError(ErrorCode::DatabaseError,
                              QStringLiteral("Reading the rows failed: %1").arg(query.lastError().text()));
    m_position = 0;
    m_open = true;
    m_connected = true;
}

void Recordset::DetachConnection() {
    if (m_open && m_cursorLocation != adUseClient)
        throw AutomationError(
            ErrorCode::InvalidProcedureCall,
            QStringLiteral("Only a client-side recordset can be detached from its connection."));
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
}

void Recordset::Close() {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject,
                              QStringLiteral("The recordset is not open."));
    m_open = false;
    m_connected = false;
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_rowCount = 0;
    m_position = 0;
}

qint32 Recordset::RecordCount() const {
    if (!m_open)
        throw AutomationError(ErrorCode::OperationOnClosedObject, QStringLiteral("The recordset is closed."));
    return m_rowCount;
}

int Recordset::FieldIndex(const QString& name) const {
    return m_fieldIndex.value(name.toLower(), -1);
}

void Recordset::requireCurrentRow() const {
    if (Bof() || Eof())
        throw AutomationError(ErrorCode::NoCurrentRecord, QStringLiteral("There is no current row."));
}

QVariant Recordset::Value(int index) const {
    requireCurrentRow();
    if (index < 0 || index >= m_fieldNames.size())
        throw AutomationError(ErrorCode::ItemNotFound,
                              QStringLiteral("Field number %1 does not exist in the recordset.").arg(index));
    const std::vector<QVariant>& chunk = m_chunks[size_t(m_position / kChunkRows)];
    return chunk[size_t(m_position % kChunkRows) * size_t(m_fieldNames.size()) + size_t(index)];
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
