#pragma once

#include <viVavazuruv/IHostServices.h>

#include <QHash>

#include <functional>

namespace viVavazuruv::test {

// A host without a database for composing chart notes: join words, each-item
// answers and variables are kept in memory, the text services follow the
// reference host's rules unless a test gives its own, and the characters lent
// to the text services are counted. Anything else a composition has no
// business calling raises.
class TextHost final : public IHostServices {
public:
    struct Words {
        QString between, beforeLast, afterLast, codeJoin;
    };
    QHash<QString, Words> joinWords;
    QHash<QString, bool> eachItem;
    QHash<QString, QString> listOfVariable; // variable name (no bar) -> list code

    std::function<QString(const QString& text, const QString& separator, qint16 index)> getField;
    std::function<QStringList(const QString& text, const QString& separator)> splitText;
    std::function<QString(const QString& text, const QString& find, const QString& replacement, qint16 count,
                          qint32 start)>
        replaceVariable;
    qint64 charactersLent = 0;

    TextHost();

    QString GetField(const QString& Text, const QString& Separator, qint16 Index, qint16 Reserved) override;
    void SplitText(const QString& Text, const QString& Separator, QStringList& Pieces,
                   qint16& Count) override;
    void ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement, qint16 Count,
                         qint32 Start, qint16 Reserved) override;
    void PipeVariableList(const QString& VariableText, QString& ListCode) override;
    void ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast, QString& AfterLast,
                       QString& CodeJoin) override;
    bool InsertEachItem(const QString& ListCode) override;

    QSqlDatabase GetConnection() override;
    QString TranslateSql(QString Statement, qint16 Mode, qint16 Reserved) override;
    QString SqlValue(QString Text, bool EmptyAsNull, qint16 Mode, qint16 Reserved) override;
    qint32 GetOfficeMode() override;
    qint32 GetOfficeID() override;
    bool SaveRecord(qint16 Mode, const QString& Table, const QString& KeyField, qint32& Key,
                    const QStringList& FieldNames, const QStringList& Values, bool Required) override;
    qint16 AskMessage(const QString& Code, const QString& Arg1, const QString& Arg2) override;
    QString CaptionText(const QString& Title) override;
    QString KeyPrefix() override;
    QString CodeListKey(const QString& ListReference) override;
    bool LetterColumnsOff() override;
    bool CanModifyLists() override;
    QString GetHostPath() override;
    QString LayoutFileName(const QString& ListCode, const QString& Extra) override;
    void ReadOptionFlag(const QString& Key, qint16 Default, QSqlDatabase* Connection, qint16 Reserved,
                        qint16& Flag) override;
    void SetCurrentPatientID(qint32 Id) override;
    qint32 GetCurrentPatientID() override;
    QString PatientLookup(qint32 Id, QString& LastName, QString& FirstName, QString& ChartNumber,
                          QString& ProviderText) override;
    qint32 GetDefaultProvider() override;
    void IsValidFeeType(qint16 FeeType, bool& Valid) override;
    void ResetHostText(const QString& Text) override;
    void NotifyHost(qint16 Mode) override;
};

} // namespace viVavazuruv::test
