#pragma once

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/IHostServices.h>

namespace viVavazuruv::test {

// A host that offers nothing: every service raises HostError naming itself, so
// a test host overrides only what the code under test has any business calling.
class RefusingHost : public IHostServices {
public:
    QSqlDatabase GetConnection() override { refuse(__func__); }
    QString TranslateSql(QString, qint16, qint16) override { refuse(__func__); }
    QString SqlValue(QString, bool, qint16, qint16) override { refuse(__func__); }
    qint32 GetOfficeMode() override { refuse(__func__); }
    qint32 GetOfficeID() override { refuse(__func__); }
    bool SaveRecord(qint16, const QString&, const QString&, qint32&, const QStringList&, const QStringList&,
                    bool) override {
        refuse(__func__);
    }
    qint16 AskMessage(const QString&, const QString&, const QString&) override { refuse(__func__); }
    QString GetField(const QString&, const QString&, qint16, qint16) override { refuse(__func__); }
    void SplitText(const QString&, const QString&, QStringList&, qint16&) override { refuse(__func__); }
    void ReplaceVariable(QString&, const QString&, const QString&, qint16, qint32, qint16) override {
        refuse(__func__);
    }
    QString CaptionText(const QString&) override { refuse(__func__); }
    QString KeyPrefix() override { refuse(__func__); }
    QString CodeListKey(const QString&) override { refuse(__func__); }
    void PipeVariableList(const QString&, QString&) override { refuse(__func__); }
    void ListJoinWords(const QString&, QString&, QString&, QString&, QString&) override { refuse(__func__); }
    bool InsertEachItem(const QString&) override { refuse(__func__); }
    bool LetterColumnsOff() override { refuse(__func__); }
    bool CanModifyLists() override { refuse(__func__); }
    QString GetHostPath() override { refuse(__func__); }
    QString LayoutFileName(const QString&, const QString&) override { refuse(__func__); }
    void ReadOptionFlag(const QString&, qint16, QSqlDatabase*, qint16, qint16&) override { refuse(__func__); }
    void SetCurrentPatientID(qint32) override { refuse(__func__); }
    qint32 GetCurrentPatientID() override { refuse(__func__); }
    QString PatientLookup(qint32, QString&, QString&, QString&, QString&) override { refuse(__func__); }
    qint32 GetDefaultProvider() override { refuse(__func__); }
    void IsValidFeeType(qint16, bool&) override { refuse(__func__); }
    void ResetHostText(const QString&) override { refuse(__func__); }
    void NotifyHost(qint16) override { refuse(__func__); }

protected:
    [[noreturn]] static void refuse(const char* service) {
        throw AutomationError(ErrorCode::HostError,
                              QLatin1String(service) + QStringLiteral(" is not offered by this host"));
    }
};

} // namespace viVavazuruv::test
