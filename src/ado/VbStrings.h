#pragma once

#include <QString>
#include <QStringView>

#include <QtGlobal>

// The string and number rules the component's texts were written against:
// blanks-only trimming, 1-based positions, the lenient leading-number parse and
// rounding half to even. Kept in one place so every caller agrees.
namespace viVavazuruv::vb {

// Removes leading and trailing blanks (character 32 only; tabs and line breaks stay).
QString Trim(const QString& text);
// The same, handing the text on without a copy when there is nothing to trim.
QString Trim(QString&& text);
QAnyStringView Trim(QAnyStringView text);
QString LTrim(const QString& text);

// The numeric value of the leading number in text, as a 64-bit float: blanks,
// tabs and line feeds anywhere are passed over, then an optional sign, digits,
// an optional fraction and exponent; reading stops at the first other
// character. A text without a leading number gives 0.
double Val(const QString& text);

// Rounds half to even into 32 or 16 bits; out of range raises Overflow (6).
qint32 CLng(double value);
qint16 CInt(double value);

// A text read as a 32-bit key: Val then CLng.
inline qint32 KeyOf(const QString& text) {
    return CLng(Val(text));
}

// 1-based position of what in text from 1-based start; 0 when absent.
int InStr(int start, const QString& text, const QString& what);
inline int InStr(const QString& text, const QString& what) {
    return InStr(1, text, what);
}

// Whether text, blanks trimmed, contains upperKey (already in upper case),
// each character of text taken in its upper-case form. Allocates nothing:
// searches run it over every cell of a list.
bool TrimmedContainsUpper(QStringView text, QStringView upperKey);

// 1-based substring; length < 0 means to the end.
QString Mid(const QString& text, int start, int length = -1);

} // namespace viVavazuruv::vb
