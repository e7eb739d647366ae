#include "Placeholders.h"

#include "SqlComments.h"

#include <QList>

namespace viVavazuruv::pgdriver {

namespace {

bool isIdentStart(QChar c) {
    return c.isLetter() || c == u'_' || c.unicode() >= 0x80;
}
bool isIdentChar(QChar c) {
    return isIdentStart(c) || c.isDigit() || c == u'$';
}
// The characters Qt itself accepts in a `:name` placeholder.
bool isNameChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_';
}

struct Mark {
    qsizetype at;
    qsizetype length; // 1 for `?`, 1 + name for `:name`
    bool positional;
};

// End of a quoted run that began at `i` (the opening quote), doubled quotes
// standing for one; backslashes escape in E'...' strings.
qsizetype skipQuoted(QStringView s, qsizetype i, QChar quote, bool backslashes) {
    const qsizetype n = s.size();
    for (++i; i < n; ++i) {
        if (backslashes && s[i] == u'\\') {
            ++i;
        } else if (s[i] == quote) {
            if (i + 1 < n && s[i + 1] == quote)
                ++i;
            else
                return i + 1;
        }
    }
    return n;
}

// The $tag$ opening at `i`, or an empty view when `$` does not open a dollar quote there.
QStringView dollarTag(QStringView s, qsizetype i) {
    qsizetype j = i + 1;
    if (j < s.size() && s[j] != u'$') {
        if (!isIdentStart(s[j]))
            return {};
        while (j < s.size() && isIdentChar(s[j]) && s[j] != u'$')
            ++j;
    }
    if (j >= s.size() || s[j] != u'$')
        return {};
    return s.mid(i, j - i + 1);
}

QList<Mark> findMarks(QStringView s) {
    QList<Mark> marks;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        const QChar next = i + 1 < n ? s[i + 1] : QChar();
        const bool afterIdent = i > 0 && isIdentChar(s[i - 1]);
        if (c == u'\'') {
            // E'...' (any case) takes backslash escapes; a word ending in E does not.
            const bool escaped =
                i > 0 && (s[i - 1] == u'E' || s[i - 1] == u'e') && !(i > 1 && isIdentChar(s[i - 2]));
            i = skipQuoted(s, i, c, escaped);
        } else if (c == u'"') {
            i = skipQuoted(s, i, c, false);
        } else if (c == u'-' && next == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
        } else if (c == u'/' && next == u'*') {
            i = skipBlockComment(s, i);
        } else if (c == u'$' && !afterIdent && !dollarTag(s, i).isEmpty()) {
            const QStringView tag = dollarTag(s, i);
            const qsizetype end = s.indexOf(tag, i + tag.size());
            i = end < 0 ? n : end + tag.size();
        } else if (c == u':' && next == u':') {
            i += 2;
            while (i < n && s[i] == u':')
                ++i;
        } else if (c == u':' && isNameChar(next)) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(s[j]))
                ++j;
            marks.append({i, j - i, false});
            i = j;
        } else if (c == u'?') {
            marks.append({i, 1, true});
            ++i;
        } else if (isIdentStart(c)) {
            // A whole word at once, so a `$` inside it is not taken for a dollar quote.
            while (i < n && isIdentChar(s[i]))
                ++i;
        } else {
            ++i;
        }
    }
    return marks;
}

} // namespace

Placeholders Placeholders::rewrite(QStringView sql) {
    const QList<Mark> all = findMarks(sql);
    // Text with `?` is positional throughout: a `:word` in it is then left
    // alone (an array slice such as a[1:n]), as callers never mix the two.
    bool positional = false;
    for (const Mark& m : all)
        positional = positional || m.positional;

    Placeholders p;
    p.m_text.reserve(sql.size() + 8);
    qsizetype copied = 0;
    for (const Mark& m : all) {
        if (m.positional != positional)
            continue;
        p.m_text += sql.mid(copied, m.at - copied);
        int number = 0;
        if (positional) {
            number = ++p.m_count;
        } else {
            const QString name = sql.mid(m.at + 1, m.length - 1).toString();
            number = int(p.m_names.indexOf(name)) + 1;
            if (number == 0) {
                p.m_names.append(name);
                number = ++p.m_count;
            }
        }
        p.m_text += u'$' + QString::number(number);
        copied = m.at + m.length;
    }
    p.m_text += sql.mid(copied);
    return p;
}

} // namespace viVavazuruv::pgdriver
