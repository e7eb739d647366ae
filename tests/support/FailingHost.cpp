#include "FailingHost.h"

#include <viVavazuruv/AutomationError.h>

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace viVavazuruv::test {

void FailingHost::breakIfAsked(Service service) const {
    switch (m_services.value(service, Failure::None)) {
    case Failure::None:
        return;
    case Failure::Foreign:
        throw 42;
    case Failure::False:
    case Failure::Automation:
        // In the order of FailingHost::Service.
        static const char* const names[] = {"AskMessage", "CaptionText", "CodeListKey", "GetConnection",
                                            "PatientLookup"};
        throw AutomationError(ErrorCode::HostError, QLatin1String(names[int(service)]) + u" is down"_s);
    }
}

bool FailingHost::SaveRecord(qint16 Mode, const QString& Table, const QString& KeyField, qint32& Key,
                             const QStringList& FieldNames, const QStringList& Values, bool Required) {
    if (m_saveToFail > 0 && --m_saveToFail == 0) {
        switch (m_saveFailure) {
        case Failure::None:
            break;
        case Failure::False:
            return false;
        case Failure::Automation:
            QSqlQuery(GetConnection()).exec(u"UPDATE NoSuchTable SET a = 1"_s);
            throw AutomationError(ErrorCode::DatabaseError, u"disk full while saving"_s);
        case Failure::Foreign:
            throw 42;
        }
    }
    return ReferenceHost::SaveRecord(Mode, Table, KeyField, Key, FieldNames, Values, Required);
}

QString FailingHost::TranslateSql(QString Statement, qint16 Mode, qint16 Reserved) {
    if (!m_replacement.isEmpty() && Statement.startsWith(m_prefix, Qt::CaseInsensitive))
        return m_replacement;
    return ReferenceHost::TranslateSql(Statement, Mode, Reserved);
}

qint16 FailingHost::AskMessage(const QString& Code, const QString& Arg1, const QString& Arg2) {
    breakIfAsked(Service::AskMessage);
    return ReferenceHost::AskMessage(Code, Arg1, Arg2);
}

QString FailingHost::CaptionText(const QString& Title) {
    breakIfAsked(Service::CaptionText);
    return ReferenceHost::CaptionText(Title);
}

QString FailingHost::CodeListKey(const QString& ListReference) {
    breakIfAsked(Service::CodeListKey);
    return ReferenceHost::CodeListKey(ListReference);
}

QSqlDatabase FailingHost::GetConnection() {
    breakIfAsked(Service::GetConnection);
    return ReferenceHost::GetConnection();
}

QString FailingHost::PatientLookup(qint32 Id, QString& LastName, QString& FirstName, QString& ChartNumber,
                                   QString& ProviderText) {
    breakIfAsked(Service::PatientLookup);
    return ReferenceHost::PatientLookup(Id, LastName, FirstName, ChartNumber, ProviderText);
}

} // namespace viVavazuruv::test
