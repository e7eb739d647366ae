#include "StatementKind.h"

#include "SqlComments.h"

#include <QList>

namespace viVavazuruv::pgdriver {

namespace {

// Skips white space and comments; nested block comments as the server reads them.
qsizetype skipBlank(QStringView s, qsizetype i) {
    const qsizetype n = s.size();
    while (i < n) {
        if (s[i].isSpace()) {
            ++i;
        } else if (s[i] == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
        } else if (s[i] == u'/' && i + 1 < n && s[i + 1] == u'*') {
            i = skipBlockComment(s, i);
        } else {
            break;
        }
    }
    return i;
}

// The first few words, upper-cased; enough to tell the kinds apart.
QList<QString> leadingWords(QStringView s, int count) {
    QList<QString> words;
    qsizetype i = 0;
    while (words.size() < count) {
        i = skipBlank(s, i);
        const qsizetype start = i;
        while (i < s.size() && (s[i].isLetterOrNumber() || s[i] == u'_'))
            ++i;
        if (i == start)
            break;
        words.append(s.mid(start, i - start).toString().toUpper());
    }
    return words;
}

bool mentionsConcurrently(QStringView s) {
    return s.contains(u"CONCURRENTLY", Qt::CaseInsensitive);
}

} // namespace

StatementKind classifyStatement(QStringView sql) {
    const QList<QString> w = leadingWords(sql, 3);
    if (w.isEmpty())
        return StatementKind::Other;
    const QString& first = w[0];
    const QString second = w.size() > 1 ? w[1] : QString();
    if (first == u"BEGIN" || (first == u"START" && second == u"TRANSACTION"))
        return StatementKind::Begin;
    if (first == u"SET" && second == u"TRANSACTION")
        return StatementKind::Mode;
    if (first == u"COMMIT" || first == u"END")
        return second == u"PREPARED" ? StatementKind::Alone : StatementKind::Commit;
    if (first == u"ROLLBACK" || first == u"ABORT") {
        if (second == u"PREPARED")
            return StatementKind::Alone;
        // ROLLBACK TO [SAVEPOINT] stays inside the transaction.
        return second == u"TO" ? StatementKind::Other : StatementKind::Rollback;
    }
    // The server refuses these inside a transaction block or a pipeline.
    if (first == u"VACUUM" || (first == u"ALTER" && second == u"SYSTEM") ||
        ((first == u"CREATE" || first == u"DROP") && (second == u"DATABASE" || second == u"TABLESPACE")) ||
        (first == u"REINDEX" && (second == u"SYSTEM" || second == u"DATABASE")) ||
        ((first == u"CREATE" || first == u"DROP" || first == u"REINDEX") && mentionsConcurrently(sql)))
        return StatementKind::Alone;
    return StatementKind::Other;
}

} // namespace viVavazuruv::pgdriver
