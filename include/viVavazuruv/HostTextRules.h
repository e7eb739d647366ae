#pragma once

#include "ReferenceHost.h" // the reference host library's export mark

#include <QString>

// The reference host's rules for the text it stores and the list codes it
// finds, for a host's own tools that must refuse beforehand what SaveRecord
// would refuse, and compare list codes as TranslateSql does. Plain functions
// of their arguments: no database, no host object, nothing raised.
namespace viVavazuruv::refhost {

// What makes text unfit for a database, "" when nothing does: a NUL character,
// which no engine stores, or an unpaired UTF-16 surrogate, which has no UTF-8
// form (SQLite's conversion merges it with the character after it).
VIVAVAZURUV_REFHOST_EXPORT QString unstorablePart(const QString& text);

// A-Z as a-z and every other character as it is: the case rule both engines
// apply to list codes, since SQLite's NOCASE knows no other.
VIVAVAZURUV_REFHOST_EXPORT QString asciiLower(QString text);

// Whether a list code can be stored so that every later request for its list
// finds it. The component asks for a list by any spelling and stores new rows
// under the spelling's upper case, so a stored code must match its own upper
// case under asciiLower: letters outside A-Z must already be upper case.
VIVAVAZURUV_REFHOST_EXPORT bool isStorableListCode(const QString& code);

// The longest description (usrdefDes) the host stores, in characters: the
// desktop suite's text fields hold 255, and a list moved back to one must fit.
// SaveRecord refuses a longer one, so the picker's save does too, and an
// import refuses the file naming the line.
inline constexpr qsizetype kMaxDescriptionLength = 255;
// The length of a description as kMaxDescriptionLength counts it: characters,
// a pair of UTF-16 surrogates being one.
VIVAVAZURUV_REFHOST_EXPORT qsizetype descriptionLength(const QString& text);

} // namespace viVavazuruv::refhost
