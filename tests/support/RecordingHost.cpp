#include "RecordingHost.h"

#include <viVavazuruv/AutomationError.h>

#include <QDateTime>

#include <type_traits>

namespace viVavazuruv::test {

namespace {

QString shown(const QString& text) {
    return RecordingHost::quoted(text);
}
QString shown(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}
template <typename Number, std::enable_if_t<std::is_integral_v<Number>, int> = 0>
QString shown(Number value) {
    return QString::number(value);
}
QString shown(const QStringList& list) {
    QStringList items;
    for (const QString& item : list)
        items << RecordingHost::quoted(item);
    return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
}

template <typename... Args> QString callOf(const char* name, const Args&... args) {
    QStringList shownArgs;
    (shownArgs.append(shown(args)), ...);
    return QLatin1String(name) + QLatin1Char('(') + shownArgs.join(QStringLiteral(", ")) + QLatin1Char(')');
}

const QString kNotifyWait = QStringLiteral("NotifyHost(1)");

} // namespace

QString RecordingHost::quoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

QStringList RecordingHost::calls() const {
    QStringList lines;
    for (const Call& c : m_calls)
        lines << c.call;
    return lines;
}

QString RecordingHost::transcript() const {
    QStringList lines;
    for (const Call& c : m_calls)
        lines << c.call + QStringLiteral(" -> ") + c.answer;
    return lines.join(QLatin1Char('\n'));
}

template <typename Body> auto RecordingHost::record(const QString& call, Body&& body) -> decltype(body()) {
    // Appended before the call runs: a call the host makes back into the
    // component (a nested wait) comes after the call that caused it.
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

QSqlDatabase RecordingHost::GetConnection() {
    m_calls.append({callOf("GetConnection"), QString()});
    return m_inner->GetConnection();
}

QString RecordingHost::TranslateSql(QString Statement, qint16 Mode, qint16 Reserved) {
    return record(callOf("TranslateSql", Statement, Mode, Reserved),
                  [&] { return m_inner->TranslateSql(Statement, Mode, Reserved); });
}

QString RecordingHost::SqlValue(QString Text, bool EmptyAsNull, qint16 Mode, qint16 Reserved) {
    return record(callOf("SqlValue", Text, EmptyAsNull, Mode, Reserved),
                  [&] { return m_inner->SqlValue(Text, EmptyAsNull, Mode, Reserved); });
}

qint32 RecordingHost::GetOfficeMode() {
    return record(callOf("GetOfficeMode"), [&] { return m_inner->GetOfficeMode(); });
}

qint32 RecordingHost::GetOfficeID() {
    return record(callOf("GetOfficeID"), [&] { return m_inner->GetOfficeID(); });
}

bool RecordingHost::SaveRecord(qint16 Mode, const QString& Table, const QString& KeyField, qint32& Key,
                               const QStringList& FieldNames, const QStringList& Values, bool Required) {
    const bool written =
        record(callOf("SaveRecord", Mode, Table, KeyField, Key, FieldNames, Values, Required),
               [&] { return m_inner->SaveRecord(Mode, Table, KeyField, Key, FieldNames, Values, Required); });
    m_calls.last().answer += QStringLiteral(", key %1").arg(Key);
    return written;
}

qint16 RecordingHost::AskMessage(const QString& Code, const QString& Arg1, const QString& Arg2) {
    return record(callOf("AskMessage", Code, Arg1, Arg2),
                  [&] { return m_inner->AskMessage(Code, Arg1, Arg2); });
}

QString RecordingHost::GetField(const QString& Text, const QString& Separator, qint16 Index,
                                qint16 Reserved) {
    return record(callOf("GetField", Text, Separator, Index, Reserved),
                  [&] { return m_inner->GetField(Text, Separator, Index, Reserved); });
}

void RecordingHost::SplitText(const QString& Text, const QString& Separator, QStringList& Pieces,
                              qint16& Count) {
    record(callOf("SplitText", Text, Separator), [&] { m_inner->SplitText(Text, Separator, Pieces, Count); });
    m_calls.last().answer = shown(Pieces) + QStringLiteral(", count %1").arg(Count);
}

void RecordingHost::ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement,
                                    qint16 Count, qint32 Start, qint16 Reserved) {
    record(callOf("ReplaceVariable", Text, Find, Replacement, Count, Start, Reserved),
           [&] { m_inner->ReplaceVariable(Text, Find, Replacement, Count, Start, Reserved); });
    m_calls.last().answer = shown(Text);
}

QString RecordingHost::CaptionText(const QString& Title) {
    return record(callOf("CaptionText", Title), [&] { return m_inner->CaptionText(Title); });
}

QString RecordingHost::KeyPrefix() {
    return record(callOf("KeyPrefix"), [&] { return m_inner->KeyPrefix(); });
}

QString RecordingHost::CodeListKey(const QString& ListReference) {
    return record(callOf("CodeListKey", ListReference), [&] { return m_inner->CodeListKey(ListReference); });
}

void RecordingHost::PipeVariableList(const QString& VariableText, QString& ListCode) {
    record(callOf("PipeVariableList", VariableText),
           [&] { m_inner->PipeVariableList(VariableText, ListCode); });
    m_calls.last().answer = shown(ListCode);
}

void RecordingHost::ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast,
                                  QString& AfterLast, QString& CodeJoin) {
    record(callOf("ListJoinWords", ListCode),
           [&] { m_inner->ListJoinWords(ListCode, Between, BeforeLast, AfterLast, CodeJoin); });
    m_calls.last().answer = shown(QStringList{Between, BeforeLast, AfterLast, CodeJoin});
}

bool RecordingHost::InsertEachItem(const QString& ListCode) {
    return record(callOf("InsertEachItem", ListCode), [&] { return m_inner->InsertEachItem(ListCode); });
}

bool RecordingHost::LetterColumnsOff() {
    return record(callOf("LetterColumnsOff"), [&] { return m_inner->LetterColumnsOff(); });
}

bool RecordingHost::CanModifyLists() {
    return record(callOf("CanModifyLists"), [&] { return m_inner->CanModifyLists(); });
}

QString RecordingHost::GetHostPath() {
    return record(callOf("GetHostPath"), [&] { return m_inner->GetHostPath(); });
}

QString RecordingHost::LayoutFileName(const QString& ListCode, const QString& Extra) {
    return record(callOf("LayoutFileName", ListCode, Extra),
                  [&] { return m_inner->LayoutFileName(ListCode, Extra); });
}

void RecordingHost::ReadOptionFlag(const QString& Key, qint16 Default, QSqlDatabase* Connection,
                                   qint16 Reserved, qint16& Flag) {
    const QString connection = Connection ? QStringLiteral("connection") : QStringLiteral("null");
    m_calls.append({QStringLiteral("ReadOptionFlag(%1, %2, %3, %4)")
                        .arg(quoted(Key), QString::number(Default), connection, QString::number(Reserved)),
                    QString()});
    m_inner->ReadOptionFlag(Key, Default, Connection, Reserved, Flag);
    m_calls.last().answer = QString::number(Flag);
}

void RecordingHost::SetCurrentPatientID(qint32 Id) {
    record(callOf("SetCurrentPatientID", Id), [&] { m_inner->SetCurrentPatientID(Id); });
}

qint32 RecordingHost::GetCurrentPatientID() {
    return record(callOf("GetCurrentPatientID"), [&] { return m_inner->GetCurrentPatientID(); });
}

QString RecordingHost::PatientLookup(qint32 Id, QString& LastName, QString& FirstName, QString& ChartNumber,
                                     QString& ProviderText) {
    return record(callOf("PatientLookup", Id),
                  [&] { return m_inner->PatientLookup(Id, LastName, FirstName, ChartNumber, ProviderText); });
}

qint32 RecordingHost::GetDefaultProvider() {
    return record(callOf("GetDefaultProvider"), [&] { return m_inner->GetDefaultProvider(); });
}

void RecordingHost::IsValidFeeType(qint16 FeeType, bool& Valid) {
    record(callOf("IsValidFeeType", FeeType), [&] { m_inner->IsValidFeeType(FeeType, Valid); });
    m_calls.last().answer = shown(Valid);
}

void RecordingHost::ResetHostText(const QString& Text) {
    record(callOf("ResetHostText", Text), [&] { m_inner->ResetHostText(Text); });
}

void RecordingHost::NotifyHost(qint16 Mode) {
    // A wait for a nested level asks again and again, as long as the person
    // takes there: one line for the whole wait, the count in its answer.
    if (Mode == 1 && !m_calls.isEmpty() && m_calls.last().call == kNotifyWait) {
        m_inner->NotifyHost(Mode);
        m_calls.last().answer =
            QStringLiteral("%1 times").arg(m_calls.last().answer.section(QLatin1Char(' '), 0, 0).toInt() + 1);
        return;
    }
    record(callOf("NotifyHost", Mode), [&] { m_inner->NotifyHost(Mode); });
    m_calls.last().answer = QStringLiteral("1 times");
}

bool RecordingHost::BeginSaveRecords() {
    return record(callOf("BeginSaveRecords"), [&] { return m_inner->BeginSaveRecords(); });
}

void RecordingHost::EndSaveRecords(bool Write) {
    record(callOf("EndSaveRecords", Write), [&] { m_inner->EndSaveRecords(Write); });
}

bool RecordingHost::LastChange(const QString& Table, qint32 Key, QString& ChangedBy, QDateTime& ChangedAt) {
    const bool known = record(callOf("LastChange", Table, Key),
                              [&] { return m_inner->LastChange(Table, Key, ChangedBy, ChangedAt); });
    if (known)
        m_calls.last().answer +=
            QStringLiteral(", %1 at %2").arg(quoted(ChangedBy), ChangedAt.toString(Qt::ISODate));
    return known;
}

} // namespace viVavazuruv::test
