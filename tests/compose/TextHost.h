#pragma once

#include <support/RefusingHost.h>

#include <refhost/TextRules.h>

#include <QHash>

#include <functional>

namespace viVavazuruv::test {

// A host without a database for composing chart notes: join words, each-item
// answers and variables are kept in memory, the text services follow the
// reference host's rules unless a test gives its own, and the characters lent
// to the text services are counted. Anything else raises.
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
    qint64 charactersLent = 0;

    QString GetField(const QString& Text, const QString& Separator, qint16 Index, qint16) override {
        charactersLent += Text.size();
        return getField(Text, Separator, Index);
    }
    void SplitText(const QString& Text, const QString& Separator, QStringList& Pieces,
                   qint16& Count) override {
        charactersLent += Text.size();
        Pieces = splitText(Text, Separator);
        Count = qint16(Pieces.size());
    }
    void ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement, qint16 Count,
                         qint32 Start, qint16) override {
        charactersLent += Text.size();
        Text = replaceVariable(Text, Find, Replacement, Count, Start);
    }
    void PipeVariableList(const QString& VariableText, QString& ListCode) override {
        ListCode = listOfVariable.value(refhost::pipeVariableName(VariableText).toUpper());
    }
    void ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast, QString& AfterLast,
                       QString& CodeJoin) override {
        const Words words = joinWords.value(refhost::normalizedListKey(ListCode));
        Between = words.between;
        BeforeLast = words.beforeLast;
        AfterLast = words.afterLast;
        CodeJoin = words.codeJoin;
    }
    bool InsertEachItem(const QString& ListCode) override {
        return eachItem.value(refhost::normalizedListKey(ListCode));
    }
};

} // namespace viVavazuruv::test
