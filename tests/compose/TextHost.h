#pragma once

#include <support/RefusingHost.h>

#include <refhost/TextRules.h>

#include <QHash>
#include <QStringList>

#include <functional>

namespace viVavazuruv::test {

// A host without a database for composing chart notes: join words, each-item
// answers and variables are kept in memory, the text services follow the
// reference host's rules unless a test gives its own, and every call is
// written down in calls, one line each: its name and arguments, texts quoted
// with their control characters escaped (see quoted). Anything else raises.
class TextHost final : public RefusingHost {
public:
    struct Words {
        QString between, beforeLast, afterLast, codeJoin;
    };
    QHash<QString, Words> joinWords;
    QHash<QString, bool> eachItem;
    QHash<QString, QString> listOfVariable; // variable name (no bar) -> list code

    std::function<QString(const QString& text, const QString& separator, qint16 index)> getField =
        &refhost::fieldAt;
    std::function<QStringList(const QString& text, const QString& separator)> splitText =
        &refhost::splitPieces;
    std::function<QString(const QString& text, const QString& find, const QString& replacement, qint16 count,
                          qint32 start)>
        replaceVariable = &refhost::replaceFrom;
    QStringList calls;

    // "text" with backslash, quote, CR, LF and other control characters as C escapes.
    static QString quoted(const QString& text) {
        QString out = QStringLiteral("\"");
        for (const QChar c : text) {
            if (c == u'\\' || c == u'"') {
                out += u'\\';
                out += c;
            } else if (c == u'\n')
                out += QStringLiteral("\\n");
            else if (c == u'\r')
                out += QStringLiteral("\\r");
            else if (c.unicode() < 0x20)
                out += QStringLiteral("\\x%1").arg(uint(c.unicode()), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
        return out + u'"';
    }

    QString GetField(const QString& Text, const QString& Separator, qint16 Index, qint16) override {
        calls << QStringLiteral("GetField(%1, %2, %3)").arg(quoted(Text), quoted(Separator)).arg(Index);
        return getField(Text, Separator, Index);
    }
    void SplitText(const QString& Text, const QString& Separator, QStringList& Pieces,
                   qint16& Count) override {
        calls << QStringLiteral("SplitText(%1, %2)").arg(quoted(Text), quoted(Separator));
        Pieces = splitText(Text, Separator);
        Count = qint16(Pieces.size());
    }
    void ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement, qint16 Count,
                         qint32 Start, qint16) override {
        calls << QStringLiteral("ReplaceVariable(%1, %2, %3, %4, %5)")
                     .arg(quoted(Text), quoted(Find), quoted(Replacement))
                     .arg(Count)
                     .arg(Start);
        Text = replaceVariable(Text, Find, Replacement, Count, Start);
    }
    void PipeVariableList(const QString& VariableText, QString& ListCode) override {
        calls << QStringLiteral("PipeVariableList(%1)").arg(quoted(VariableText));
        ListCode = listOfVariable.value(refhost::pipeVariableName(VariableText).toUpper());
    }
    void ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast, QString& AfterLast,
                       QString& CodeJoin) override {
        calls << QStringLiteral("ListJoinWords(%1)").arg(quoted(ListCode));
        const Words words = joinWords.value(refhost::normalizedListKey(ListCode));
        Between = words.between;
        BeforeLast = words.beforeLast;
        AfterLast = words.afterLast;
        CodeJoin = words.codeJoin;
    }
    bool InsertEachItem(const QString& ListCode) override {
        calls << QStringLiteral("InsertEachItem(%1)").arg(quoted(ListCode));
        return eachItem.value(refhost::normalizedListKey(ListCode));
    }
};

} // namespace viVavazuruv::test
