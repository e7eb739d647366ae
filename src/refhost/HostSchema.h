#pragma once

#include <QSqlDatabase>
#include <QString>

#include <span>

namespace viVavazuruv::refhost {

enum class ColumnType { Text, Integer, SmallInt, Real, Numeric, Timestamp };

struct ColumnDef {
    const char16_t* name;
    ColumnType type;
};

// paTable's named columns in table order (pID first; OfficeID follows them).
std::span<const ColumnDef> patientColumns();

// The layout this build of the host writes; HostSchemaVersion records the
// layout a database has, so a later build knows which steps to add.
// Version 2 compares list codes (UsrDefCod) without regard to the case of A-Z;
// version 3 keeps the history of UsrDefTable's changes; version 4 records
// in it the role (or account) that made each change.
inline constexpr int kHostSchemaVersion = 4;

// Creates or brings up to date every table the host uses, in one transaction,
// up to upToVersion (below kHostSchemaVersion only to make an older layout).
// Running it again changes nothing. Throws AutomationError when a statement
// fails or the database was made by a newer host.
void createHostSchema(const QSqlDatabase& db, bool postgres, int upToVersion = kHostSchemaVersion);

// The version recorded in HostSchemaVersion, 0 when there is none.
int storedSchemaVersion(const QSqlDatabase& db);

} // namespace viVavazuruv::refhost
