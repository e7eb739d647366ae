#pragma once

#include <viVavazuruv/HostTextRules.h>

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

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

// fieldAt for a caller that reads a text piece after piece, as a composition
// reads each output line by line: each of the last few texts read keeps where
// its last piece began, so the next piece is looked for from there instead of
// from the text's start. A text is known again only while it shares the copy
// kept here, which no one can change in place: a caller that changes its text
// gets a buffer of its own, which is then read from its start.
class FieldReader {
public:
    QString fieldAt(const QString& text, const QString& separator, int index);

private:
    struct Place {
        QString text, separator;
        int index = 1;
        qsizetype from = 0; // where piece index begins
    };
    // Latest first. A composition reads five outputs in turn.
    std::array<Place, 8> m_places;
};

// replaceFrom on the caller's text in place, for a caller that replaces one
// occurrence after another in the same long text, as a composition fills
// variable after variable in its note and puts join words in mark by mark.
// Each search tells where a find is not: no occurrence between its start and
// the one replaced (or the end), which stays so before the place of any later
// replacement. The next search for the same find in the same text, from no
// earlier a start, begins past what is known. Texts are known again as
// FieldReader knows them.
class TextReplacer {
public:
    void replace(QString& text, const QString& find, const QString& replacement, int count, int start);

private:
    struct Clear {
        QString find;
        qsizetype begin = 0, end = 0; // no occurrence of find begins in [begin, end)
    };
    struct Known {
        QString text;
        std::vector<Clear> clear;
    };
    // Latest first: a note, and the level texts joined for it.
    std::array<Known, 4> m_texts;
    static constexpr size_t kFinds = 16; // a note's variables, each with its own find
};

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
