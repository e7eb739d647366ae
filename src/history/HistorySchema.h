#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <utility>

// The history of UsrDefTable: a table the engine's own triggers fill with
// every insert, update and delete, whoever makes it.
namespace viVavazuruv::history {

inline const QString kHistoryTable = QStringLiteral("UsrDefHistory");
inline const QString kCheckpointTable = QStringLiteral("UsrDefHistoryCheckpoint");
// The Action of an entry that holds several changes not yet unpacked. RowAfter:
// {"columns": [names], "changes": [[action, key, office, list, before]...]},
// before a JSON array of the row's values in the columns' order, or the
// changes' array alone; a missing value null or left off; ["inserts", from,
// to] the inserts of the keys from to to. The row after a change is taken
// when it is sealed.
inline const QString kPackAction = QStringLiteral("pack");

// UsrDefTable's columns as the engine has them, each with the name the
// history's rows give it: the host's own spelling for its columns (PostgreSQL
// reports them in lower case), the catalogue's for a column a host added.
QList<std::pair<QString, QString>> historyColumns(const QSqlDatabase& db, bool postgres);
// SQL for the row named row (an alias of UsrDefTable) as the history's JSON
// text, every column by its shown name, as the triggers write it.
QString rowJson(const QList<std::pair<QString, QString>>& columns, const QString& row, bool postgres);
// The same row as a JSON array of its values, in the columns' order (PostgreSQL).
QString rowValuesJson(const QList<std::pair<QString, QString>>& columns, const QString& row);
// Now, as the history writes a time: UTC, "YYYY-MM-DDTHH:MM:SS.mmmZ".
QString historyNow();

// The history's tables (one step of the host's schema, inside its transaction).
void createHistoryTables(const QSqlDatabase& db, bool postgres);

// Schema version 4: who made a change as the database knows it (the role on
// PostgreSQL, the operating-system account on SQLite), beside the names the host claims.
void addHistoryAccount(const QSqlDatabase& db, bool postgres);

// The account this process runs under, from the system's user database.
QString operatingSystemAccount();

// Makes the triggers that record UsrDefTable's changes, again when the table
// has gained or lost a column since they were made, so every column is kept.
// Throws AutomationError when a statement fails.
void installHistoryTriggers(const QSqlDatabase& db, bool postgres);

// Tells the database who is working on this connection. On PostgreSQL the
// names are settings each transaction gets (historyNames; the role is the
// server's own): a pooled server connection serves other workstations
// between two transactions, so nothing of the session may carry them.
// SQLite's main triggers cannot see a connection's own objects, so a
// temporary trigger of this connection fills the names and the account into
// each change it makes. Connections without it (another program's) still
// record their changes, with empty names.
QList<std::pair<QString, QString>> historyNames(const QString& login, const QString& workstation,
                                                bool postgres);
void startHistorySession(const QSqlDatabase& db, bool postgres, const QString& login,
                         const QString& workstation);

} // namespace viVavazuruv::history
