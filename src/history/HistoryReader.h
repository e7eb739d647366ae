#pragma once

#include <viVavazuruv/ListHistory.h>

#include <QJsonObject>
#include <QJsonValue>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>

#include <optional>

// Reading the history's rows back: changes, their times and rows, and the
// lists compared with what the history says of them.
namespace viVavazuruv::history {

// A change is known by its seal's number: the order changes were made in
// (on PostgreSQL, the order they became visible in), and the one an entry
// of several changes gets when it is unpacked. Readers seal first.
inline const QString kChangeColumns = QStringLiteral(
    "SealNo, ChangedAt, LoginName, Workstation, OfficeID, Action, UsrDefCod, usrdefInd, RowBefore, RowAfter, "
    "Account");

// The change a row of kChangeColumns holds.
ListChange changeOf(const QSqlQuery& q);

// A date or a time as the history's own text: UTC, "YYYY-MM-DDTHH:MM:SS.mmmZ".
// A date alone is that day's start; a time without a zone is UTC. Raises
// AutomationError (InvalidProcedureCall) for text that is neither.
QString historyTime(const QString& text);

// A row's JSON text as an object; empty for text that is no JSON object.
QJsonObject rowOf(const QString& json);
// A value of a row's JSON as the text the host stores (numbers whole where they are).
QString jsonText(const QJsonValue& v);
// Whether the stored row is the row the JSON object shows, column by column
// (NULL and "" alike, numbers by their value).
bool sameRow(const QSqlRecord& stored, const QJsonObject& shown);

// The lists as they stand against the history: every row must be as its
// last recorded change left it, so a change made with the recording off (a
// file edited with the triggers dropped, another program's connection
// without them) is found though the chain itself is whole. Read a page of
// keys at a time in one snapshot, so memory stays bounded. Gives the first
// difference, "" for none; nullopt when the history keeps changing too fast to
// be compared (an entry of several changes waits for its seal).
std::optional<QString> unrecordedDifference(const QSqlDatabase& db, bool postgres);

} // namespace viVavazuruv::history
