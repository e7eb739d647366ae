#pragma once

#include <viVavazuruv/ReferenceHost.h>

#include <QMap>
#include <QString>
#include <QStringList>

#include <tuple>

namespace viVavazuruv::test {

// The reference host, failing where a test tells it to, so a test follows a
// host's trouble through the component; whatever it is not told to break is
// the reference host's own.
class FailingHost : public ReferenceHost {
public:
    using ReferenceHost::ReferenceHost;

    enum class Failure {
        None,       // works as the reference host does
        False,      // SaveRecord answers false and writes nothing; another service raises
        Automation, // raises AutomationError
        Foreign,    // throws an int: neither an AutomationError nor a standard exception
    };
    // The services failService can break.
    enum class Service { AskMessage, CaptionText, GetConnection, LetterColumnsOff };

    // The nth SaveRecord from now (1: the next one) fails; the others save.
    // Automation first runs a failing statement on the host's connection (on
    // PostgreSQL that spoils any open transaction), then raises DatabaseError
    // "disk full while saving".
    void failSave(int nth, Failure how) { std::tie(m_saveToFail, m_saveFailure) = std::tuple(nth, how); }
    // Every later call of service fails (HostError "<service> is down" for
    // Automation); None mends it.
    void failService(Service service, Failure how) { m_services.insert(service, how); }
    // A statement starting with prefix (without regard to case; "" for every
    // statement) translates to replacement instead: rows the component must
    // cope with, or a statement that fails when run. An empty replacement
    // ends it.
    void replaceStatements(const QString& prefix, const QString& replacement) {
        std::tie(m_prefix, m_replacement) = std::tuple(prefix, replacement);
    }

    bool SaveRecord(qint16 Mode, const QString& Table, const QString& KeyField, qint32& Key,
                    const QStringList& FieldNames, const QStringList& Values, bool Required) override;
    QString TranslateSql(QString Statement, qint16 Mode, qint16 Reserved) override;
    qint16 AskMessage(const QString& Code, const QString& Arg1, const QString& Arg2) override;
    QString CaptionText(const QString& Title) override;
    QSqlDatabase GetConnection() override;
    bool LetterColumnsOff() override;

private:
    // Raises as the service's failure says; returns when it has none.
    void breakIfAsked(Service service, const char* name) const;

    int m_saveToFail = 0;
    Failure m_saveFailure = Failure::None;
    QMap<Service, Failure> m_services;
    QString m_prefix, m_replacement;
};

} // namespace viVavazuruv::test
