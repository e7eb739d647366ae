#pragma once

#include <viVavazuruv/HostTextRules.h>

#include <QString>
#include <QStringList>

#include <optional>

// The reference host's text services as plain functions, so the rules can be
// tested row by row without a database; ReferenceHost forwards to them.
// The rules a host's own tools share are public: viVavazuruv/HostTextRules.h.
namespace viVavazuruv::refhost {

// Piece index (from 1) of text cut at separator; "" past the end or below 1.
// An empty separator leaves the text whole (one piece).
QString fieldAt(const QString& text, const QString& separator, int index);

inline constexpr int kMaxPieces = 100;
// At most kMaxPieces pieces; the last one keeps whatever follows the 99th
// separator so no text is lost. "" gives no pieces.
QStringList splitPieces(const QString& text, const QString& separator);

// Replaces find by replacement from 1-based start (below 1 means 1); count <= 0
// replaces every occurrence, count N at most N. Text before start is kept;
// replaced text is never searched again. An empty find changes nothing.
QString replaceFrom(const QString& text, const QString& find, const QString& replacement, int count,
                    int start);

// A list reference as a list code: trimmed, leading bars removed, upper case.
QString normalizedListKey(const QString& reference);

// The variable name at the start of text (after its bar): the letters, digits,
// '#' and '?' up to the first other character. "" when text does not start
// with a bar or the bar is followed by nothing usable.
QString pipeVariableName(const QString& text);

inline constexpr int kMaxLayoutNameLength = 60;
// A file name for the list's layout settings that cannot leave its folder:
// only letters, digits, '-' and '_' survive; everything else (dots, path
// separators, controls, NUL) becomes '_'; reserved device names get a leading
// '_'. The window cuts the name at its first dot, so there is none. When the
// name had to be changed or shortened, '~' and 8 hex digits of a hash of the
// original are appended, so distinct codes keep distinct files. "" gives
// "_unnamed".
QString layoutFileNameFor(const QString& listCode, const QString& extra);

// Throws AutomationError (InvalidProcedureCall) for text that unstorablePart()
// objects to, with the one message every engine gives: a literal, a bound
// value and a lookup key are refused alike, before any statement is made.
void requireStorable(const QString& text);

// 'text' with single quotes doubled, or NULL for "" when emptyAsNull.
// Throws AutomationError for text that unstorablePart() objects to.
QString sqlLiteral(const QString& text, bool emptyAsNull);

// An option value as a flag: -1 for on, 0 for off; nothing when the text is
// neither a number nor one of true/false, yes/no, on/off.
std::optional<qint16> parseFlag(const QString& value);

} // namespace viVavazuruv::refhost
