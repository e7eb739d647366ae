#pragma once

// What the reference host keeps, shared by the files that implement it.

#include "HistorySchema.h"
#include "HostConnection.h"
#include "RecordWriter.h"
#include "TextRules.h"

#include <viVavazuruv/IDialogs.h>
#include <viVavazuruv/ReferenceHost.h>

#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QSysInfo>

#include <array>
#include <memory>
#include <optional>

struct sqlite3;

namespace viVavazuruv {

struct ReferenceHost::Impl {
    explicit Impl(const refhost::DatabaseAddress& address) : connection(address), writer(connection) {}

    refhost::HostConnection connection;
    refhost::RecordWriter writer;
    std::shared_ptr<IDialogs> dialogs;
    QString dataFolder; // absolute, ends with '/'
    std::optional<qint32> officeMode;
    std::optional<qint32> officeId;
    // The stored office settings, read once for a run of saves.
    std::optional<qint32> runOfficeMode;
    std::optional<qint32> runOfficeId;
    qint32 currentPatient = 0;
    // Where the text services left off, so that reading or filling a long
    // text piece by piece does not start at its beginning every time.
    refhost::FieldReader fields;
    refhost::TextReplacer replacer;
    // The answers of the code-list tables (CodeListKey, PipeVariableList,
    // ListJoinWords, InsertEachItem), kept while nothing can have changed
    // them; see answersHold().
    struct HostDataAnswers {
        sqlite3* connection = nullptr;
        qint64 dataVersion = -1, ownChanges = -1;
        QHash<QString, std::optional<QString>> listCodes, variableLists, eachItem;
        QHash<QString, std::array<std::optional<QString>, 4>> joinWords;
    } answers;
    bool answersHold();
    // The UsrDefCod a normalized list reference names, when CodeListKey holds one.
    std::optional<QString> listCodeOf(const QString& reference, bool hold);
    // The key of ListJoinWords and InsertEachItem for a list code or reference,
    // resolved as CodeListKey resolves it, in upper case.
    QString joinKey(const QString& listCode, bool hold);
    QString hostText;
    QString login;
    QString workstation = QSysInfo::machineHostName();
    // Outlives nothing of the host: a seal queued for later runs only while it is there.
    std::shared_ptr<int> alive = std::make_shared<int>(0);
    bool sealQueued = false;

    void startSession(QSqlDatabase& db) {
        connection.setWorker(login, workstation);
        refhost::startHistorySession(db, postgres(), login, workstation);
    }

    // Seals the changes a statement of the component's own made (a delete),
    // once the statement has run: when the host is next idle.
    void sealLater();
    // Where each new head of the history's chain is appended, "" for nowhere.
    QString anchorFile;
    // Seals what waits for its seal (as refhost::sealChanges) and appends the
    // chain's new head to the anchor file when anything was sealed.
    qint64 seal(const QSqlDatabase& db, bool wait);

    bool postgres() const { return connection.postgres(); }
    QSqlQuery prepare(const QString& sql) { return connection.prepare(sql); }
    void run(QSqlQuery& q) { connection.run(q); }

    std::optional<QString> readOption(const QSqlDatabase& on, const QString& rawName) {
        const QString name = rawName.trimmed(); // stored trimmed by setOption
        const QString sql =
            QStringLiteral("SELECT OptionValue FROM HostOptions WHERE lower(OptionName) = lower(?)");
        // Asked for every row a save writes: on the host's own connection the
        // statement is kept, one round trip instead of three on PostgreSQL.
        if (on.connectionName() == connection.database().connectionName())
            return connection.keptValue(sql, name);
        QSqlQuery q = connection.prepare(sql, on);
        q.addBindValue(name);
        connection.run(q);
        if (!q.next() || q.isNull(0))
            return std::nullopt;
        return q.value(0).toString();
    }

    qint32 intOption(const QString& name, qint32 fallback) {
        bool ok = false;
        const qint32 value = readOption(connection.database(), name).value_or(QString()).trimmed().toInt(&ok);
        return ok ? value : fallback;
    }

    qint16 flagOption(const QString& name, qint16 fallback, const QSqlDatabase& on) {
        const std::optional<QString> value = readOption(on, name);
        if (!value)
            return fallback;
        return refhost::parseFlag(*value).value_or(fallback);
    }
};

} // namespace viVavazuruv
