#include "SqlTranslate.h"

#include "TextRules.h"

#include <viVavazuruv/UsrDefTable.h>

#include <QList>
#include <QStringView>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace viVavazuruv::refhost {

namespace {

enum class Kind { Space, Word, Literal, QuotedName, Bracketed, Comment, Symbol };

struct Token {
    Kind kind;
    QString text;
};

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.isSurrogate();
}

// Ends a quoted run that opened at 'from' with quote q; a doubled quote stays
// inside. An unterminated run takes the rest of the text.
qsizetype quotedEnd(QStringView s, qsizetype from, QChar q) {
    qsizetype i = from + 1;
    while (i < s.size()) {
        if (s.at(i) == q) {
            if (i + 1 < s.size() && s.at(i + 1) == q) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return s.size();
}

QList<Token> tokenize(QStringView s) {
    QList<Token> tokens;
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s.at(i);
        qsizetype end = i + 1;
        Kind kind = Kind::Symbol;
        if (c.isSpace()) {
            kind = Kind::Space;
            while (end < s.size() && s.at(end).isSpace())
                ++end;
        } else if (c == u'\'') {
            kind = Kind::Literal;
            end = quotedEnd(s, i, c);
        } else if (c == u'"') {
            kind = Kind::QuotedName;
            end = quotedEnd(s, i, c);
        } else if (c == u'[') {
            const qsizetype close = s.indexOf(u']', i + 1);
            if (close >= 0) {
                kind = Kind::Bracketed;
                end = close + 1;
            }
        } else if (c == u'-' && i + 1 < s.size() && s.at(i + 1) == u'-') {
            kind = Kind::Comment;
            end = s.indexOf(u'\n', i);
            end = end < 0 ? s.size() : end;
        } else if (c == u'/' && i + 1 < s.size() && s.at(i + 1) == u'*') {
            kind = Kind::Comment;
            end = s.indexOf(u"*/", i + 2);
            end = end < 0 ? s.size() : end + 2;
        } else if (isWordChar(c)) {
            kind = Kind::Word;
            while (end < s.size() && isWordChar(s.at(end)))
                ++end;
        }
        tokens.append(Token{kind, s.mid(i, end - i).toString()});
        i = end;
    }
    return tokens;
}

bool isWord(const Token& t, QStringView word) {
    return t.kind == Kind::Word && t.text.compare(word, Qt::CaseInsensitive) == 0;
}

bool isSymbol(const Token& t, QChar c) {
    return t.kind == Kind::Symbol && t.text.size() == 1 && t.text.at(0) == c;
}

constexpr QStringView kConditionWords[] = {u"WHERE", u"AND", u"OR", u"NOT", u"ON", u"HAVING", u"WHEN"};

bool isGap(const Token& t) {
    return t.kind == Kind::Space || t.kind == Kind::Comment;
}

qsizetype nextSolid(const QList<Token>& tokens, qsizetype from) {
    while (from < tokens.size() && isGap(tokens.at(from)))
        ++from;
    return from;
}

// DELETE [t.]* FROM: drops the star (and its table prefix) with the blanks
// after it, keeping one blank between DELETE and FROM.
void dropDeleteStar(QList<Token>& tokens, qsizetype deleteAt) {
    qsizetype first = nextSolid(tokens, deleteAt + 1);
    qsizetype star = first;
    if (first + 1 < tokens.size() &&
        (tokens.at(first).kind == Kind::Word || tokens.at(first).kind == Kind::QuotedName ||
         tokens.at(first).kind == Kind::Bracketed) &&
        isSymbol(tokens.at(first + 1), u'.'))
        star = first + 2;
    if (star >= tokens.size() || !isSymbol(tokens.at(star), u'*'))
        return;
    const qsizetype from = nextSolid(tokens, star + 1);
    if (from >= tokens.size() || !isWord(tokens.at(from), u"FROM"))
        return;
    qsizetype removeEnd = star + 1;
    while (removeEnd < from && tokens.at(removeEnd).kind == Kind::Space)
        ++removeEnd;
    tokens.remove(first, removeEnd - first);
    if (first > 0 && !isGap(tokens.at(first - 1)) && first < tokens.size() && !isGap(tokens.at(first)))
        tokens.insert(first, Token{Kind::Space, u" "_s});
}

bool isPlainName(QStringView name) {
    if (name.isEmpty() || name.at(0).isDigit())
        return false;
    for (QChar c : name)
        if (!(c.isLetterOrNumber() || c == u'_'))
            return false;
    return true;
}

QString bracketedAsName(const QString& token) {
    const QStringView inner = QStringView(token).mid(1, token.size() - 2);
    if (isPlainName(inner))
        return inner.toString();
    QString quoted = inner.toString();
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

bool isName(const Token& t) {
    return t.kind == Kind::Word || t.kind == Kind::QuotedName || t.kind == Kind::Bracketed;
}

qsizetype previousSolid(const QList<Token>& tokens, qsizetype from) {
    while (from >= 0 && isGap(tokens.at(from)))
        --from;
    return from;
}

QString quotedLiteral(QString text) {
    text.replace(u'\'', u"''"_s);
    return u'\'' + text + u'\'';
}

// UsrDefCod = 'code' in a condition, at the column's token; see translateStatement.
void foldCodeComparison(QList<Token>& tokens, qsizetype column, Dialect dialect) {
    const qsizetype first =
        column >= 2 && isSymbol(tokens.at(column - 1), u'.') && isName(tokens.at(column - 2)) ? column - 2
                                                                                              : column;
    const qsizetype before = previousSolid(tokens, first - 1);
    const bool inCondition =
        before >= 0 && (isSymbol(tokens.at(before), u'(') ||
                        std::any_of(std::begin(kConditionWords), std::end(kConditionWords),
                                    [&](QStringView w) { return isWord(tokens.at(before), w); }));
    const qsizetype equals = nextSolid(tokens, column + 1);
    const qsizetype literal = nextSolid(tokens, equals + 1);
    if (!inCondition || literal >= tokens.size() || !isSymbol(tokens.at(equals), u'=') ||
        tokens.at(literal).kind != Kind::Literal)
        return;
    const QString quoted = tokens.at(literal).text;
    if (quoted.size() < 2 || !quoted.endsWith(u'\''))
        return; // unterminated: left for the engine to refuse
    // Only a literal standing alone: 'a' || 'b' or 'a' COLLATE x would change meaning.
    const qsizetype after = nextSolid(tokens, literal + 1);
    if (after < tokens.size() && !isSymbol(tokens.at(after), u')') && !isSymbol(tokens.at(after), u';') &&
        (tokens.at(after).kind != Kind::Word || isWord(tokens.at(after), u"COLLATE")))
        return;

    const QString code = quoted.mid(1, quoted.size() - 2).replace(u"''"_s, u"'"_s);
    const QString upper = code.toUpper();
    const bool upperDiffers = asciiLower(upper) != asciiLower(code);
    if (dialect == Dialect::SQLite) {
        if (upperDiffers) {
            tokens[equals].text = u"IN"_s;
            tokens[literal].text = u'(' + quoted + u", "_s + quotedLiteral(upper) + u')';
        }
        return;
    }
    QString columnText;
    for (qsizetype i = first; i <= column; ++i)
        columnText += std::exchange(tokens[i].text, QString());
    tokens[first].text = u"lower("_s + columnText + u" COLLATE \"C\")"_s;
    if (upperDiffers) {
        tokens[equals].text = u"IN"_s;
        tokens[literal].text =
            u'(' + quotedLiteral(asciiLower(code)) + u", "_s + quotedLiteral(asciiLower(upper)) + u')';
    } else {
        tokens[literal].text = quotedLiteral(asciiLower(code));
    }
}

// SQLite locks no single rows: a run of saves takes the database's write
// lock as it begins, so "... FOR UPDATE" reads are serialised already.
void dropRowLocking(QList<Token>& tokens) {
    qsizetype last = previousSolid(tokens, tokens.size() - 1);
    if (last >= 0 && isSymbol(tokens.at(last), u';'))
        last = previousSolid(tokens, last - 1);
    const qsizetype before = last >= 0 ? previousSolid(tokens, last - 1) : -1;
    if (before < 0 || !isWord(tokens.at(last), u"UPDATE") || !isWord(tokens.at(before), u"FOR"))
        return;
    for (qsizetype i = previousSolid(tokens, before - 1) + 1; i <= last; ++i)
        tokens[i].text.clear();
}

} // namespace

QString translateStatement(const QString& statement, Dialect dialect) {
    QList<Token> tokens = tokenize(statement);
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        Token& t = tokens[i];
        if (isWord(t, u"DELETE")) {
            dropDeleteStar(tokens, i);
        } else if (isWord(t, usrdef::kCode)) {
            foldCodeComparison(tokens, i, dialect);
        } else if (t.kind == Kind::Bracketed) {
            t.text = bracketedAsName(t.text);
        } else if (isWord(t, u"TRUE") || isWord(t, u"FALSE")) {
            // Only the bare value: not a qualified name (t.True) nor a call (True()).
            const bool qualified = i > 0 && isSymbol(tokens.at(i - 1), u'.');
            const qsizetype next = nextSolid(tokens, i + 1);
            const bool call = next < tokens.size() && isSymbol(tokens.at(next), u'(');
            if (!qualified && !call)
                t.text = isWord(t, u"TRUE") ? u"-1"_s : u"0"_s;
        }
    }
    if (dialect == Dialect::SQLite)
        dropRowLocking(tokens);
    QString out;
    out.reserve(statement.size());
    for (const Token& t : tokens)
        out += t.text;
    return out;
}

} // namespace viVavazuruv::refhost
