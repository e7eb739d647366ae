#pragma once

#include <viVavazuruv/IHostServices.h>

#include <QString>
#include <QStringList>

#include <memory>

namespace viVavazuruv::test {

// Any host, and a log of what the component asked of it: every call, in
// order, with its arguments as the component passed them and the answer the
// host gave (or the error it raised). Tests compare the calls with the ones a
// host of the suite expects, so a change that asks the host something else,
// more often or in another order fails even when the outputs stay the same.
class RecordingHost final : public IHostServices {
public:
    explicit RecordingHost(std::shared_ptr<IHostServices> inner) : m_inner(std::move(inner)) {}

    struct Call {
        QString call;   // e.g. TranslateSql("select ...", 1, 0)
        QString answer; // e.g. "SELECT ..." or "raised: <message>"
    };

    // The calls since the last clear(), one line each. NotifyHost(1) calls in
    // a row (a wait for a nested level, as long as the person takes) are one line.
    QStringList calls() const;
    // The same with each answer after " -> ", for a failure's message.
    QString transcript() const;
    const QList<Call>& recorded() const { return m_calls; }
    void clear() { m_calls.clear(); }

    // Text as a call line shows it: quoted, control characters escaped.
    static QString quoted(const QString& text);

    QSqlDatabase GetConnection() override;
    QString TranslateSql(QString Statement, qint16 Mode, qint16 Reserved) override;
    QString SqlValue(QString Text, bool EmptyAsNull, qint16 Mode, qint16 Reserved) override;
    qint32 GetOfficeMode() override;
    qint32 GetOfficeID() override;
    bool SaveRecord(qint16 Mode, const QString& Table, const QString& KeyField, qint32& Key,
                    const QStringList& FieldNames, const QStringList& Values, bool Required) override;
    qint16 AskMessage(const QString& Code, const QString& Arg1, const QString& Arg2) override;
    QString GetField(const QString& Text, const QString& Separator, qint16 Index, qint16 Reserved) override;
    void SplitText(const QString& Text, const QString& Separator, QStringList& Pieces,
                   qint16& Count) override;
    void ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement, qint16 Count,
                         qint32 Start, qint16 Reserved) override;
    QString CaptionText(const QString& Title) override;
    QString KeyPrefix() override;
    QString CodeListKey(const QString& ListReference) override;
    void PipeVariableList(const QString& VariableText, QString& ListCode) override;
    void ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast, QString& AfterLast,
                       QString& CodeJoin) override;
    bool InsertEachItem(const QString& ListCode) override;
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
    bool BeginSaveRecords() override;
    void EndSaveRecords(bool Write) override;
    bool LastChange(const QString& Table, qint32 Key, QString& ChangedBy, QDateTime& ChangedAt) override;

private:
    // Records name(args), runs the inner call, records its answer; a raise is recorded and passed on.
    template <typename Body> auto record(const QString& call, Body&& body) -> decltype(body());

    std::shared_ptr<IHostServices> m_inner;
    QList<Call> m_calls;
};

} // namespace viVavazuruv::test
