#pragma once

#include <QtGlobal>

namespace viVavazuruv::ado {

// The ADO numbers the component passes, kept so calls read as they always have.
inline constexpr qint32 adUseServer = 2;
inline constexpr qint32 adUseClient = 3;
inline constexpr qint32 adOpenForwardOnly = 0;
inline constexpr qint32 adLockReadOnly = 1;
inline constexpr qint32 adCmdText = 1;
// Rows arrive while the recordset is read; RecordCount is -1 until the last one has.
inline constexpr qint32 adAsyncFetch = 0x20;
inline constexpr qint32 adExecuteNoRecords = 128;

} // namespace viVavazuruv::ado
