#include "FailingHost.h"

#include <viVavazuruv/AutomationError.h>

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace viVavazuruv::test {

void FailingHost::breakIfAsked(Service service, const char* name) const {
    const Failure how = m_services.value(service, Failure::None);
    if (how == Failure::Foreign)
        throw 42;
    if (how != Failure::None)
        throw AutomationError(ErrorCode::HostError, QLatin1String(name) + u" is down"_s);
}

bool FailingHost::SaveRecord(qint16 Mode, const QString& Table, const QString& KeyField, qint32& Key,
                             const QStringList& FieldNames, const QStringList& Values, bool Required) {
    if (m_saveToFail > 0 && --m_saveToFail == 0 && m_saveFailure != Failure::None) {
        if (m_saveFailure == Failure::False)
            return false;
        if (m_saveFailure == Failure::Foreign)
            throw 42;
        QSqlQuery(GetConnection()).exec(u"UPDATE NoSuchTable SET a = 1"_s);
        throw AutomationError(ErrorCode::DatabaseError, u"disk full while saving"_s);
    }
    return ReferenceHost::SaveRecord(Mode, Table, KeyField, Key, FieldNames, Values, Required);
}

QString FailingHost::TranslateSql(QString Statement, qint16 Mode, qint16 Reserved) {
    if (!m_replacement.isEmpty() && Statement.startsWith(m_prefix, Qt::CaseInsensitive))
        return m_replacement;
    return ReferenceHost::TranslateSql(Statement, Mode, Reserved);
}

qint16 FailingHost::AskMessage(const QString& Code, const QString& Arg1, const QString& Arg2) {
    breakIfAsked(Service::AskMessage, __func__);
    return ReferenceHost::AskMessage(Code, Arg1, Arg2);
}

QString FailingHost::CaptionText(const QString& Title) {
    breakIfAsked(Service::CaptionText, __func__);
    return ReferenceHost::CaptionText(Title);
}

QSqlDatabase FailingHost::GetConnection() {
    breakIfAsked(Service::GetConnection, __func__);
    return ReferenceHost::GetConnection();
}

bool FailingHost::LetterColumnsOff() {
    breakIfAsked(Service::LetterColumnsOff, __func__);
    return ReferenceHost::LetterColumnsOff();
}

} // namespace viVavazuruv::test
