#pragma once

#include "DatabaseAddress.h"
#include "PgLink.h"

#include <pgdriver/PgDriver.h>

#include <history/RunObserver.h>
#include <viVavazuruv/ReferenceHost.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <unordered_map>

namespace viVavazuruv::refhost {

// The host's own connection, opened from an address. Before each statement
// it refuses a database file that is no longer the one opened, and makes a
// lost connection again, once, never inside a transaction. A statement of its
// own that failed because the server had ended the connection is run once
// more on a new one, unless it was part of a transaction or may have written.
//
// Every connection is closed and removed before Qt SQL's statics go: when the
// application object is destroyed, or at exit, whichever comes first. A
// destructor that runs later (a host kept in a static) then does nothing.
class HostConnection {
public:
    explicit HostConnection(const DatabaseAddress& address);
    ~HostConnection();
    HostConnection(const HostConnection&) = delete;
    HostConnection& operator=(const HostConnection&) = delete;

    ReferenceHost::Engine engine() const { return m_engine; }
    bool postgres() const { return m_engine == ReferenceHost::Engine::PostgreSQL; }
    bool readOnly() const { return m_readOnly; }
    // The address without its password.
    const QString& description() const { return m_description; }
    // The connection as it stands, unchecked (the schema's first steps).
    QSqlDatabase& database() { return db; }
    // The connection, checked and made again where needed.
    QSqlDatabase& usable();
    // From now on a statement the server does not answer within the
    // statement limit and a grace is cancelled, and the connection closed
    // when the cancel goes unanswered too; PostgreSQL only.
    void watchAnswers(int statementTimeoutMs);
    // PostgreSQL: a setting every transaction gets, beside the address's own
    // (schema, limits); never one of the session, which a pooler hands to
    // other workstations between two transactions.
    void setTransactionSetting(const QString& name, const QString& value);
    // What each session needs once the host's tables exist (who is working,
    // for the list history): run now and on every connection made again.
    void setSessionSetup(std::function<void(QSqlDatabase&)> setup);

    // Statements on this connection, or on one the host was handed.
    QSqlQuery prepare(const QString& sql, QSqlDatabase on);
    QSqlQuery prepare(const QString& sql) { return prepare(sql, db); }
    // A statement prepared once and kept for the next call with the same text
    // (prepared anew after the connection was made again); bind by position.
    // Saves a round trip or two to the server for each row written.
    QSqlQuery& reusable(const QString& sql);
    // Ends a kept statement once read: reads what the server still has for it,
    // so the connection is idle again (libpq's single-row reads otherwise
    // leave it busy, where a lost connection is not seen and no run begins).
    void done(QSqlQuery& q);
    // The text of the first column of the first row a kept statement with
    // one bound value gives; empty for no row or NULL.
    std::optional<QString> keptValue(const QString& sql, const QString& value);
    // Raises DatabaseError with the driver's reason (a lock wait or the
    // statement limit named as such). A statement on this connection that
    // failed because the connection was lost before it could write anything
    // (the server ended the session, or it is a plain read) is run once more
    // on a new connection, outside a transaction or run only. A bound text
    // no engine stores raises InvalidProcedureCall before anything is sent.
    void run(QSqlQuery& q);

    // A run of saves in one transaction. False when a transaction is open
    // already (the caller's to end) or none can be begun.
    bool beginRun();
    // Commits (write) or rolls back the run; raises, having kept nothing of
    // it, when the commit fails. A connection lost during the run is made
    // again only after it: its statements raise instead.
    void endRun(bool write);
    bool inRun() const { return m_run; }
    // Who is told of the runs and of the rows the host writes (the list
    // history); not owned, outlives the connection's runs.
    void setRunObserver(history::RunObserver* observer) { m_observer = observer; }
    // The host wrote a row of table, in the run if one is open.
    void wrote(const QString& table, qint32 key);
    // PostgreSQL: what writes the statements a run holds back before any
    // other statement goes (discard: before a rollback, dropping them); it
    // answers with the reason they failed, empty when they did not.
    void setHeldStatements(std::function<QString(bool discard)> release);
    // Statements may be held back now: a run is open on PostgreSQL.
    bool holdsStatements() const { return m_run && pgDriver(); }

private:
    friend struct LiveConnections;
    // Closes and removes every connection still open (exit, end of the application object).
    static void releaseEveryConnection();
    void enlist();
    bool retryable(const QSqlQuery& q, bool wasIdle);
    QString failureReason(const QSqlQuery& q);

    using FileIdentity = std::optional<std::tuple<quint32, quint32, quint64, qint64, quint32>>;

    void release();
    void recordRun(QSqlDatabase& on);
    pgdriver::PgDriver* pgDriver() const;
    bool answerCut() const;
    void applySettings();
    void startSqliteSession(const QString& path);
    void openSqlite(const DatabaseAddress& t);
    void openPostgres(const DatabaseAddress& t);

    QString m_connectionName;
    ReferenceHost::Engine m_engine;
    QString m_description;
    QString m_password; // only to keep it out of messages
    QSqlDatabase db;
    QString sqliteFile; // absolute; "" for PostgreSQL and :memory:
    FileIdentity fileIdentity;
    int m_answerLimitMs = 0;                       // 0: not watched
    QList<std::pair<QString, QString>> m_settings; // each transaction's
    std::unordered_map<QString, std::unique_ptr<QSqlQuery>> m_reusable;
    std::function<void(QSqlDatabase&)> m_sessionSetup;
    std::function<QString(bool)> m_heldStatements;
    bool m_run = false;
    history::RunObserver* m_observer = nullptr;
    bool m_released = false; // closed and removed; nothing is done with it any more
    int m_lockTimeoutMs = 0;
    int m_statementTimeoutMs = 0;
    bool m_readOnly = false;
};

} // namespace viVavazuruv::refhost
