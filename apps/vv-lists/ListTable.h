#pragma once

#include <viVavazuruv/HostTextRules.h>
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What export, import and check share: UsrDefTable's columns, the rows of an
// office's lists, and the host's rules for text it will store.
namespace viVavazuruv::lists {

inline const QString kTitlePrefix = QStringLiteral("$-");

// The text columns the host creates UsrDefTable with.
inline const QStringList kTextColumns{usrdef::kCode,     usrdef::kGroup,         usrdef::kDescription,
                                      usrdef::kDrawFlag, usrdef::kProcedureCode, usrdef::kLetterFile};

// Called with the number of rows done, every kProgressStep rows.
using Progress = std::function<void(qint64 rows)>;
inline constexpr qint64 kProgressStep = 10000;

// The host's own spelling of a UsrDefTable column (PostgreSQL reports them in
// lower case), so a file reads the same whichever engine wrote it; other
// columns keep the name they were given.
QString columnName(const QString& name);

// A workstation of that office: office mode 7, so every statement keeps to it.
void useOffice(ReferenceHost& host, std::optional<qint32> office);

// Every column of the rows of the lists codes (all lists when empty) that the
// host's office sees, by list code (A-Z without regard to case) then key.
QSqlQuery selectRows(ReferenceHost& host, const QStringList& codes);

// Whether list code has rows in the host's office.
bool listHasRows(ReferenceHost& host, const QString& code);

// "UsrDefCod = 'X' or ..." in the component's dialect, and the office
// condition in office mode 7; "" for no codes or no office.
QString codeCondition(ReferenceHost& host, const QStringList& codes);
QString officeCondition(ReferenceHost& host);

// The host's own rules for the text it stores and for list codes.
using refhost::asciiLower;
using refhost::descriptionLength;
using refhost::isStorableListCode;
using refhost::kMaxDescriptionLength;
using refhost::unstorablePart;
// Whether two codes name one list, as the host finds them.
bool isSameList(const QString& a, const QString& b);

// The longest list code a file may bring, in characters as descriptions are
// counted: the desktop suite's text fields hold no more.
inline constexpr qsizetype kMaxListCodeLength = 255;

// Why a write gave up waiting for another session that holds list code
// (every list when ""), in one text whichever engine and step waited.
QString listBusy(const QString& code = {});
// Whether a statement failed waiting for another session's lock.
bool waitedForLock(const QSqlError& error);

// A description (not a title line) whose last bar opens no variable, which
// the window never fills; check reports it and import refuses it.
bool endsWithBar(const QString& description);

} // namespace viVavazuruv::lists
