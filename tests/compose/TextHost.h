#pragma once

#include <support/RecordingHost.h>
#include <support/RefusingHost.h>

#include <refhost/TextRules.h>

#include <QHash>
#include <QStringList>

#include <functional>
#include <tuple>

namespace viVavazuruv::test {

// A host without a database for composing chart notes: join words, each-item
// answers and variables are kept in memory, the text services follow the
// reference host's rules unless a test gives its own, and every call is
// written down in calls, one line each: its name and arguments, texts quoted
// as the recording host quotes them. Anything else raises.
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

    QString GetField(const QString& Text, const QString& Separator, qint16 Index, qint16) override {
        calls << RecordingHost::callOf("GetField", Text, Separator, Index);
        return getField(Text, Separator, Index);
    }
    void SplitText(const QString& Text, const QString& Separator, QStringList& Pieces,
                   qint16& Count) override {
        calls << RecordingHost::callOf("SplitText", Text, Separator);
        Pieces = splitText(Text, Separator);
        Count = qint16(Pieces.size());
    }
    void ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement, qint16 Count,
                         qint32 Start, qint16) override {
        calls << RecordingHost::callOf("ReplaceVariable", Text, Find, Replacement, Count, Start);
        Text = replaceVariable(Text, Find, Replacement, Count, Start);
    }
    void PipeVariableList(const QString& VariableText, QString& ListCode) override {
        calls << RecordingHost::callOf("PipeVariableList", VariableText);
        ListCode = listOfVariable.value(refhost::pipeVariableName(VariableText).toUpper());
    }
    void ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast, QString& AfterLast,
                       QString& CodeJoin) override {
        calls << RecordingHost::callOf("ListJoinWords", ListCode);
        const Words words = joinWords.value(refhost::normalizedListKey(ListCode));
        std::tie(Between, BeforeLast, AfterLast, CodeJoin) =
            std::tie(words.between, words.beforeLast, words.afterLast, words.codeJoin);
    }
    bool InsertEachItem(const QString& ListCode) override {
        calls << RecordingHost::callOf("InsertEachItem", ListCode);
        return eachItem.value(refhost::normalizedListKey(ListCode));
    }
};

} // namespace viVavazuruv::test
