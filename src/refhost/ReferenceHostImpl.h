#pragma once

// What the reference host keeps, shared by the files that implement it.

#include "HostConnection.h"
#include "PgLink.h"
#include "RecordWriter.h"
#include "TextRules.h"

#include <history/HistoryKeeper.h>

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
    explicit Impl(const refhost::DatabaseAddress& address)
        : connection(address), writer(connection),
          historyKeeper(
              connection.postgres(), [this]() -> const QSqlDatabase& { return connection.usable(); },
              [](const QSqlDatabase& db) {
                  refhost::pg::finishPendingStatement(db);
                  return refhost::pg::transactionOpen(db);
              }) {
        connection.setRunObserver(&historyKeeper);
    }

    refhost::HostConnection connection;
    refhost::RecordWriter writer;
    // Told of the connection's runs; gone before the connection, which
    // starts no run of its own as it closes.
    history::HistoryKeeper historyKeeper;
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

    void startSession(QSqlDatabase& db) {
        historyKeeper.setWorker(login, workstation);
        // PostgreSQL: the names the history records go with each transaction.
        for (const auto& [name, value] : historyKeeper.transactionSettings())
            connection.setTransactionSetting(name, value);
        historyKeeper.startSession(db);
    }

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
