#pragma once

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/IHostServices.h>

namespace viVavazuruv::test {

// A host object whose every operation raises a host error: stands in where a
// test needs a GIC identity, or needs to prove that a host failure reaches the
// caller as an automation error.
class FailingHost : public IHostServices {
public:
    [[noreturn]] static void fail(const char* operation) {
        throw AutomationError(ErrorCode::HostError,
                              QStringLiteral("host operation %1 failed").arg(QLatin1String(operation)));
    }
    QSqlDatabase GetConnection() override { fail("GetConnection"); }
    QString TranslateSql(QString, qint16, qint16) override { fail("TranslateSql"); }
    QString SqlValue(QString, bool, qint16, qint16) override { fail("SqlValue"); }
    qint32 GetOfficeMode() override { fail("GetOfficeMode"); }
    qint32 GetOfficeID() override { fail("GetOfficeID"); }
    bool SaveRecord(qint16, const QString&, const QString&, qint32&, const QStringList&, const QStringList&,
                    bool) override {
        fail("SaveRecord");
    }
    qint16 AskMessage(const QString&, const QString&, const QString&) override { fail("AskMessage"); }
    QString GetField(const QString&, const QString&, qint16, qint16) override { fail("GetField"); }
    void SplitText(const QString&, const QString&, QStringList&, qint16&) override { fail("SplitText"); }
    void ReplaceVariable(QString&, const QString&, const QString&, qint16, qint32, qint16) override {
        fail("ReplaceVariable");
    }
    QString CaptionText(const QString&) override { fail("CaptionText"); }
    QString KeyPrefix() override { fail("KeyPrefix"); }
    QString CodeListKey(const QString&) override { fail("CodeListKey"); }
    void PipeVariableList(const QString&, QString&) override { fail("PipeVariableList"); }
    void ListJoinWords(const QString&, QString&, QString&, QString&, QString&) override {
        fail("ListJoinWords");
    }
    bool InsertEachItem(const QString&) override { fail("InsertEachItem"); }
    bool LetterColumnsOff() override { fail("LetterColumnsOff"); }
    bool CanModifyLists() override { fail("CanModifyLists"); }
    QString GetHostPath() override { fail("GetHostPath"); }
    QString LayoutFileName(const QString&, const QString&) override { fail("LayoutFileName"); }
    void ReadOptionFlag(const QString&, qint16, QSqlDatabase*, qint16, qint16&) override {
        fail("ReadOptionFlag");
    }
    void SetCurrentPatientID(qint32) override { fail("SetCurrentPatientID"); }
    qint32 GetCurrentPatientID() override { fail("GetCurrentPatientID"); }
    QString PatientLookup(qint32, QString&, QString&, QString&, QString&) override { fail("PatientLookup"); }
    qint32 GetDefaultProvider() override { fail("GetDefaultProvider"); }
    void IsValidFeeType(qint16, bool&) override { fail("IsValidFeeType"); }
    void ResetHostText(const QString&) override { fail("ResetHostText"); }
    void NotifyHost(qint16) override { fail("NotifyHost"); }
};

} // namespace viVavazuruv::test
