#pragma once

#include "ChangeRecorder.h"
#include "RunObserver.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <memory>

// The list history as a host keeps it: it records the changes of the host's
// runs (SQLite; PostgreSQL's triggers record every change themselves), seals
// them once the host is idle again, and appends each new head of the chain to
// the anchor file. It learns of the host's writes through RunObserver alone.
namespace viVavazuruv::history {

class HistoryKeeper final : public RunObserver {
public:
    // connection gives the host's connection, checked, when a seal is due;
    // transactionOpen tells whether a transaction someone else began is open
    // on a PostgreSQL connection (its end, and a seal inside it, are theirs).
    HistoryKeeper(bool postgres, std::function<const QSqlDatabase&()> connection,
                  std::function<bool(const QSqlDatabase&)> transactionOpen);
    ~HistoryKeeper() override;
    HistoryKeeper(const HistoryKeeper&) = delete;
    HistoryKeeper& operator=(const HistoryKeeper&) = delete;

    // The names the host claims for its user and workstation, recorded with
    // every change of a session from now on (see startHistorySession).
    void setWorker(const QString& login, const QString& workstation);
    // A new session of the host's connection: tells it who is working.
    void startSession(const QSqlDatabase& db);
    // PostgreSQL: the names to set inside each transaction (none on SQLite).
    QList<std::pair<QString, QString>> transactionSettings() const;

    // Seals what waits for its seal (as sealChanges; nothing while a
    // transaction is open on db) and appends the chain's new head to the
    // anchor file when anything was sealed. Raises AutomationError.
    qint64 seal(const QSqlDatabase& db, bool wait);
    // Seals once the host is idle again (the event loop's next turn), off
    // the path of the person who saved; a failure is logged, and the next
    // seal takes the changes.
    void sealSoon();

    // Where each new head is appended: an absolute path, "" for nowhere.
    const QString& anchorFile() const { return m_anchorFile; }
    void setAnchorFile(const QString& path) { m_anchorFile = path; }

    void runBegun(const QSqlDatabase& db) override;
    void rowWritten(const QString& table, qint32 key, bool inRun) override;
    void beforeCommit() override;
    void committed() override;
    void abandoned() noexcept override;

private:
    const bool m_postgres;
    std::function<const QSqlDatabase&()> m_connection;
    std::function<bool(const QSqlDatabase&)> m_transactionOpen;
    ChangeRecorder m_recorder;
    QString m_login, m_workstation, m_anchorFile;
    bool m_sealQueued = false;
    // A seal queued for later runs only while the keeper is there.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace viVavazuruv::history
