#pragma once

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/IHostServices.h>

#include <QString>
#include <QStringList>

#include <memory>
#include <type_traits>

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

private:
    // Arguments and answers as a call line shows them.
    static QString shown(const QString& text) { return quoted(text); }
    static QString shown(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }
    static QString shown(const QSqlDatabase* c) {
        return c ? QStringLiteral("connection") : QStringLiteral("null");
    }
    template <typename Number, std::enable_if_t<std::is_integral_v<Number>, int> = 0>
    static QString shown(Number value) {
        return QString::number(value);
    }
    static QString shown(const QStringList& list) {
        QStringList items;
        for (const QString& item : list)
            items << quoted(item);
        return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    // Records call, runs the inner call, records its answer; a raise is recorded and passed on.
    // Appended before the call runs: a call the host makes back into the
    // component (a nested wait) comes after the call that caused it.
    template <typename Body> auto record(const QString& call, Body&& body) -> decltype(body()) {
        m_calls.append({call, QString()});
        const qsizetype at = m_calls.size() - 1;
        try {
            if constexpr (std::is_void_v<decltype(body())>) {
                body();
                return;
            } else {
                auto answer = body();
                m_calls[at].answer = shown(answer);
                return answer;
            }
        } catch (const AutomationError& e) {
            m_calls[at].answer = QStringLiteral("raised: ") + e.message();
            throw;
        } catch (...) {
            m_calls[at].answer = QStringLiteral("raised");
            throw;
        }
    }

    std::shared_ptr<IHostServices> m_inner;
    QList<Call> m_calls;

public:
    // The calls since the last clear(), one line each. NotifyHost(1) calls in
    // a row (a wait for a nested level, as long as the person takes) are one line.
    QStringList calls() const;
    // The same with each answer after " -> ", for a failure's message.
    QString transcript() const;
    void clear() { m_calls.clear(); }

    // Text as a call line shows it: quoted, control characters escaped.
    static QString quoted(const QString& text);
    // A call line: name(arguments), each shown as the log shows it.
    template <typename... Args> static QString callOf(const char* name, const Args&... args) {
        QStringList shownArgs;
        (shownArgs.append(shown(args)), ...);
        return QLatin1String(name) + QLatin1Char('(') + shownArgs.join(QStringLiteral(", ")) +
               QLatin1Char(')');
    }

// An override that records Name(args) with its answer and passes the call on to the inner host.
#define VV_RECORDED(Type, Name, Params, ...)                                                                 \
    Type Name Params override {                                                                              \
        return record(callOf(#Name __VA_OPT__(, ) __VA_ARGS__), [&] { return m_inner->Name(__VA_ARGS__); }); \
    }
    VV_RECORDED(QString, TranslateSql, (QString Statement, qint16 Mode, qint16 Reserved), Statement, Mode,
                Reserved)
    VV_RECORDED(QString, SqlValue, (QString Text, bool EmptyAsNull, qint16 Mode, qint16 Reserved), Text,
                EmptyAsNull, Mode, Reserved)
    VV_RECORDED(qint32, GetOfficeMode, ())
    VV_RECORDED(qint32, GetOfficeID, ())
    VV_RECORDED(qint16, AskMessage, (const QString& Code, const QString& Arg1, const QString& Arg2), Code,
                Arg1, Arg2)
    VV_RECORDED(QString, GetField,
                (const QString& Text, const QString& Separator, qint16 Index, qint16 Reserved), Text,
                Separator, Index, Reserved)
    VV_RECORDED(QString, CaptionText, (const QString& Title), Title)
    VV_RECORDED(QString, KeyPrefix, ())
    VV_RECORDED(QString, CodeListKey, (const QString& ListReference), ListReference)
    VV_RECORDED(bool, InsertEachItem, (const QString& ListCode), ListCode)
    VV_RECORDED(bool, LetterColumnsOff, ())
    VV_RECORDED(bool, CanModifyLists, ())
    VV_RECORDED(QString, GetHostPath, ())
    VV_RECORDED(QString, LayoutFileName, (const QString& ListCode, const QString& Extra), ListCode, Extra)
    VV_RECORDED(void, SetCurrentPatientID, (qint32 Id), Id)
    VV_RECORDED(qint32, GetCurrentPatientID, ())
    VV_RECORDED(qint32, GetDefaultProvider, ())
    VV_RECORDED(void, ResetHostText, (const QString& Text), Text)
    VV_RECORDED(bool, BeginSaveRecords, ())
    VV_RECORDED(void, EndSaveRecords, (bool Write), Write)
#undef VV_RECORDED
    // Recorded by hand: answers given through arguments, a connection (not shown), a repeated wait.
    QSqlDatabase GetConnection() override;
    bool SaveRecord(qint16 Mode, const QString& Table, const QString& KeyField, qint32& Key,
                    const QStringList& FieldNames, const QStringList& Values, bool Required) override;
    void SplitText(const QString& Text, const QString& Separator, QStringList& Pieces,
                   qint16& Count) override;
    void ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement, qint16 Count,
                         qint32 Start, qint16 Reserved) override;
    void PipeVariableList(const QString& VariableText, QString& ListCode) override;
    void ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast, QString& AfterLast,
                       QString& CodeJoin) override;
    void ReadOptionFlag(const QString& Key, qint16 Default, QSqlDatabase* Connection, qint16 Reserved,
                        qint16& Flag) override;
    QString PatientLookup(qint32 Id, QString& LastName, QString& FirstName, QString& ChartNumber,
                          QString& ProviderText) override;
    void IsValidFeeType(qint16 FeeType, bool& Valid) override;
    void NotifyHost(qint16 Mode) override;
    bool LastChange(const QString& Table, qint32 Key, QString& ChangedBy, QDateTime& ChangedAt) override;
};

} // namespace viVavazuruv::test
