#include "RecordingHost.h"

#include <viVavazuruv/AutomationError.h>

#include <QDateTime>

namespace viVavazuruv::test {

QString RecordingHost::quoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        const qsizetype escaped = QStringView(u"\n\r\t\"\\").indexOf(c);
        if (escaped >= 0)
            out.append(u'\\').append(QChar(u"nrt\"\\"[escaped]));
        else if (c.unicode() < 0x20)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
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

QSqlDatabase RecordingHost::GetConnection() {
    m_calls.append({callOf("GetConnection"), QString()});
    return m_inner->GetConnection();
}

bool RecordingHost::SaveRecord(qint16 Mode, const QString& Table, const QString& KeyField, qint32& Key,
                               const QStringList& FieldNames, const QStringList& Values, bool Required) {
    const bool written =
        record(callOf("SaveRecord", Mode, Table, KeyField, Key, FieldNames, Values, Required),
               [&] { return m_inner->SaveRecord(Mode, Table, KeyField, Key, FieldNames, Values, Required); });
    m_calls.last().answer += QStringLiteral(", key %1").arg(Key);
    return written;
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

void RecordingHost::ReadOptionFlag(const QString& Key, qint16 Default, QSqlDatabase* Connection,
                                   qint16 Reserved, qint16& Flag) {
    record(callOf("ReadOptionFlag", Key, Default, Connection, Reserved),
           [&] { m_inner->ReadOptionFlag(Key, Default, Connection, Reserved, Flag); });
    m_calls.last().answer = shown(Flag);
}

QString RecordingHost::PatientLookup(qint32 Id, QString& LastName, QString& FirstName, QString& ChartNumber,
                                     QString& ProviderText) {
    return record(callOf("PatientLookup", Id),
                  [&] { return m_inner->PatientLookup(Id, LastName, FirstName, ChartNumber, ProviderText); });
}

void RecordingHost::IsValidFeeType(qint16 FeeType, bool& Valid) {
    record(callOf("IsValidFeeType", FeeType), [&] { m_inner->IsValidFeeType(FeeType, Valid); });
    m_calls.last().answer = shown(Valid);
}

void RecordingHost::NotifyHost(qint16 Mode) {
    // A wait for a nested level asks again and again, as long as the person
    // takes there: one line for the whole wait, the count in its answer.
    if (Mode == 1 && !m_calls.isEmpty() && m_calls.last().call == QLatin1String("NotifyHost(1)")) {
        m_inner->NotifyHost(Mode);
        m_calls.last().answer =
            QStringLiteral("%1 times").arg(m_calls.last().answer.section(QLatin1Char(' '), 0, 0).toInt() + 1);
        return;
    }
    record(callOf("NotifyHost", Mode), [&] { m_inner->NotifyHost(Mode); });
    m_calls.last().answer = QStringLiteral("1 times");
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
