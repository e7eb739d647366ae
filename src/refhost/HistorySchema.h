#pragma once

#include <QSqlDatabase>
#include <QString>

// The history of UsrDefTable: a table the engine's own triggers fill with
// every insert, update and delete, whoever makes it.
namespace viVavazuruv::refhost {

inline const QString kHistoryTable = QStringLiteral("UsrDefHistory");
inline const QString kCheckpointTable = QStringLiteral("UsrDefHistoryCheckpoint");

// The history's tables (one step of the host's schema, inside its transaction).
void createHistoryTables(const QSqlDatabase& db, bool postgres);

// Makes the triggers that record UsrDefTable's changes, again when the table
// has gained or lost a column since they were made, so every column is kept.
// Throws AutomationError when a statement fails.
void installHistoryTriggers(const QSqlDatabase& db, bool postgres);

// Tells the database who is working on this connection. PostgreSQL keeps it
// as session settings the triggers read; SQLite's main triggers cannot see a
// connection's own objects, so a temporary trigger of this connection fills
// the names into each change it makes. Connections without it (another
// program's) still record their changes, with empty names.
void startHistorySession(const QSqlDatabase& db, bool postgres, const QString& login,
                         const QString& workstation);

} // namespace viVavazuruv::refhost
