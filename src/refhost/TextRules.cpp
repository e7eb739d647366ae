#include "TextRules.h"

#include <viVavazuruv/AutomationError.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QStringView>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace viVavazuruv::refhost {

QString fieldAt(const QString& text, const QString& separator, int index) {
    if (index < 1)
        return {};
    if (separator.isEmpty())
        return index == 1 ? text : QString();
    qsizetype from = 0;
    for (int piece = 1; piece < index; ++piece) {
        const qsizetype at = text.indexOf(separator, from);
        if (at < 0)
            return {};
        from = at + separator.size();
    }
    const qsizetype end = text.indexOf(separator, from);
    return end < 0 ? text.mid(from) : text.mid(from, end - from);
}

QStringList splitPieces(const QString& text, const QString& separator) {
    if (text.isEmpty())
        return {};
    if (separator.isEmpty())
        return {text};
    QStringList pieces;
    qsizetype from = 0;
    while (pieces.size() < kMaxPieces - 1) {
        const qsizetype at = text.indexOf(separator, from);
        if (at < 0)
            break;
        pieces.append(text.mid(from, at - from));
        from = at + separator.size();
    }
    pieces.append(text.mid(from));
    return pieces;
}

QString replaceFrom(const QString& text, const QString& find, const QString& replacement, int count,
                    int start) {
    const qsizetype begin = start < 1 ? 0 : qsizetype(start) - 1;
    if (find.isEmpty() || begin >= text.size())
        return text;
    QString result = text.left(begin);
    qsizetype from = begin;
    int replaced = 0;
    while (count <= 0 || replaced < count) {
        const qsizetype at = text.indexOf(find, from);
        if (at < 0)
            break;
        result += QStringView(text).mid(from, at - from);
        result += replacement;
        from = at + find.size();
        ++replaced;
    }
    result += QStringView(text).mid(from);
    return result;
}

namespace {

// The text kept is the caller's only while they share one buffer: whoever
// changes either gets a buffer of its own, so sharing means equal.
bool sameText(const QString& text, const QString& kept) {
    return text.isSharedWith(kept) && text.constData() == kept.constData() && text.size() == kept.size();
}

} // namespace

QString FieldReader::fieldAt(const QString& text, const QString& separator, int index) {
    if (index < 1 || separator.isEmpty())
        return refhost::fieldAt(text, separator, index);
    // The text read last comes first; one not known takes the place of the longest unread.
    const auto found = std::find_if(m_places.begin(), m_places.end(), [&](const Place& p) {
        return sameText(text, p.text) && separator == p.separator;
    });
    const bool known = found != m_places.end();
    std::rotate(m_places.begin(), known ? found : m_places.end() - 1,
                (known ? found : m_places.end() - 1) + 1);
    Place* const place = &m_places.front();
    if (!known || index < place->index)
        *place = {text, separator, 1, 0};
    qsizetype from = place->from;
    for (int piece = place->index; piece < index; ++piece) {
        const qsizetype at = text.indexOf(separator, from);
        if (at < 0)
            return {}; // the place stays at the last piece there is
        from = at + separator.size();
    }
    place->index = index;
    place->from = from;
    const qsizetype end = text.indexOf(separator, from);
    return end < 0 ? text.mid(from) : text.mid(from, end - from);
}

void TextReplacer::replace(QString& text, const QString& find, const QString& replacement, int count,
                           int start) {
    const qsizetype begin = start < 1 ? 0 : qsizetype(start) - 1;
    if (find.isEmpty() || begin >= text.size())
        return;
    const auto found =
        std::find_if(m_texts.begin(), m_texts.end(), [&](const Known& k) { return sameText(text, k.text); });
    const auto latest = found != m_texts.end() ? found : m_texts.end() - 1;
    std::rotate(m_texts.begin(), latest, latest + 1);
    Known* const known = &m_texts.front();
    if (found == m_texts.end())
        known->clear.clear();
    auto clear = std::find_if(known->clear.begin(), known->clear.end(),
                              [&](const Clear& c) { return c.find == find; });
    if (clear == known->clear.end()) {
        if (known->clear.size() == kFinds)
            known->clear.erase(known->clear.begin());
        clear = known->clear.insert(known->clear.end(), Clear{find, begin, begin});
    } else if (begin < clear->begin || begin > clear->end) {
        *clear = {find, begin, begin};
    }
    const qsizetype at = text.indexOf(find, clear->end);
    // Let go of the copy first, so that the caller's text can be changed in place.
    known->text.clear();
    if (at < 0) {
        clear->end = text.size();
        known->text = text;
        return;
    }
    if (count != 1) {
        // Changed in places not followed here: nothing is known of the result.
        text = text.left(at) + replaceFrom(text.mid(at), find, replacement, count, 1);
        known->clear.clear();
        return;
    }
    clear->end = at;
    text.replace(at, find.size(), replacement);
    // An occurrence that begins before at - size + 1 lies wholly in the text
    // before at, which is as it was; one reaching into the replacement may be new.
    for (Clear& c : known->clear)
        c.end = std::min(c.end, std::max(c.begin, at - c.find.size() + 1));
    known->text = text;
}

QString normalizedListKey(const QString& reference) {
    QString key = reference.trimmed();
    qsizetype bars = 0;
    while (bars < key.size() && key.at(bars) == u'|')
        ++bars;
    return key.mid(bars).trimmed().toUpper();
}

namespace {

// Calls f(codePoint, utf16Length) for each code point of text; a lone
// surrogate comes through as itself so callers can reject it.
template <typename F> void forEachCodePoint(QStringView text, F&& f) {
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            f(QChar::surrogateToUcs4(c, text.at(i + 1)), 2);
            i += 2;
        } else {
            f(char32_t(c.unicode()), 1);
            ++i;
        }
    }
}

bool isSurrogate(char32_t cp) {
    return cp >= 0xD800 && cp <= 0xDFFF;
}

} // namespace

QString pipeVariableName(const QString& text) {
    if (!text.startsWith(u'|'))
        return {};
    const QStringView rest = QStringView(text).mid(1);
    qsizetype length = 0;
    bool stopped = false;
    forEachCodePoint(rest, [&](char32_t cp, int units) {
        if (stopped)
            return;
        if ((!isSurrogate(cp) && QChar::isLetterOrNumber(cp)) || cp == U'#' || cp == U'?')
            length += units;
        else
            stopped = true;
    });
    return rest.left(length).toString();
}

namespace {

QString sanitizedNamePart(const QString& part) {
    QString out;
    out.reserve(part.size());
    forEachCodePoint(part, [&](char32_t cp, int units) {
        const bool keep = (!isSurrogate(cp) && QChar::isLetterOrNumber(cp)) || cp == U'-' || cp == U'_';
        if (keep)
            out += QStringView(part).mid(out.size(), units);
        else
            out += QString(units, u'_'); // same length keeps the copy offsets aligned
    });
    return out;
}

bool isReservedDeviceName(const QString& name) {
    const QString base = name.toUpper();
    static const QStringList fixed{u"CON"_s, u"PRN"_s, u"AUX"_s, u"NUL"_s};
    if (fixed.contains(base))
        return true;
    return base.size() == 4 && (base.startsWith(u"COM"_s) || base.startsWith(u"LPT"_s)) &&
           base.at(3) >= u'1' && base.at(3) <= u'9';
}

} // namespace

QString layoutFileNameFor(const QString& listCode, const QString& extra) {
    if (listCode.isEmpty() && extra.isEmpty())
        return u"_unnamed"_s;
    const QString wanted = extra.isEmpty() ? listCode : listCode + u'_' + extra;
    QString name = extra.isEmpty() ? sanitizedNamePart(listCode)
                                   : sanitizedNamePart(listCode) + u'_' + sanitizedNamePart(extra);
    bool changed = name != wanted;
    if (isReservedDeviceName(name)) {
        name.prepend(u'_');
        changed = true;
    }
    if (name.size() > kMaxLayoutNameLength) {
        qsizetype cut = kMaxLayoutNameLength;
        if (name.at(cut - 1).isHighSurrogate())
            --cut;
        name.truncate(cut);
        changed = true;
    }
    if (changed) {
        // Keyed on the original text so two codes that clean up alike still differ.
        const QByteArray source = listCode.toUtf8() + '\x1f' + extra.toUtf8();
        const QByteArray digest = QCryptographicHash::hash(source, QCryptographicHash::Sha1).toHex().left(8);
        name += u'~' + QString::fromLatin1(digest);
    }
    return name;
}

QString unstorablePart(const QString& text) {
    if (text.contains(QChar(u'\0')))
        return QCoreApplication::translate("TextRules", "a NUL character");
    if (!QStringView(text).isValidUtf16())
        return QCoreApplication::translate("TextRules", "an unpaired UTF-16 surrogate");
    return {};
}

void requireStorable(const QString& text) {
    if (const QString fault = unstorablePart(text); !fault.isEmpty())
        throw AutomationError(
            ErrorCode::InvalidProcedureCall,
            QCoreApplication::translate(
                "TextRules", "A text holding %1 is not allowed as an SQL value: no database stores it.")
                .arg(fault));
}

QString sqlLiteral(const QString& text, bool emptyAsNull) {
    requireStorable(text);
    if (text.isEmpty() && emptyAsNull)
        return u"NULL"_s;
    QString literal = text;
    literal.replace(u'\'', u"''"_s);
    return u'\'' + literal + u'\'';
}

QString asciiLower(QString text) {
    for (QChar& c : text)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return text;
}

bool isStorableListCode(const QString& code) {
    return asciiLower(code) == asciiLower(code.toUpper());
}

std::optional<qint16> parseFlag(const QString& value) {
    const QString v = value.trimmed().toLower();
    bool isNumber = false;
    const qlonglong number = v.toLongLong(&isNumber);
    if (isNumber)
        return qint16(number != 0 ? -1 : 0);
    if (v == u"true"_s || v == u"yes"_s || v == u"on"_s)
        return qint16(-1);
    if (v == u"false"_s || v == u"no"_s || v == u"off"_s)
        return qint16(0);
    return std::nullopt;
}

qsizetype descriptionLength(const QString& text) {
    qsizetype surrogatePairs = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate())
            ++surrogatePairs, ++i;
    return text.size() - surrogatePairs;
}

} // namespace viVavazuruv::refhost
