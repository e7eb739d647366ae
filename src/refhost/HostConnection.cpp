// The reference host's connection: opening what an address names, and keeping
// it usable from one statement to the next.
#include "HostConnection.h"

#include "TextRules.h"

#include <viVavazuruv/AutomationError.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace viVavazuruv::refhost {

namespace {

[[noreturn]] void connectionFailed(const QString& message) {
    throw AutomationError(ErrorCode::ConnectionError, message);
}

// How long past statement_timeout the client waits before it stops waiting for
// a server that cannot cancel the statement itself.
constexpr int kAnswerGraceMs = 2000;

std::atomic<quint64> g_connectionCounter{0};

// What tells a file from one put at its path later. The birth time, where the
// file system keeps one, tells them apart even when the new file gets the
// inode number the old one freed.
std::optional<std::tuple<quint32, quint32, quint64, qint64, quint32>> identityOf(const QString& path) {
    struct statx st {};
    if (statx(AT_FDCWD, QFile::encodeName(path).constData(), 0, STATX_INO | STATX_BTIME, &st) != 0)
        return std::nullopt;
    const bool born = st.stx_mask & STATX_BTIME;
    return std::tuple(st.stx_dev_major, st.stx_dev_minor, quint64(st.stx_ino), born ? st.stx_btime.tv_sec : 0,
                      born ? st.stx_btime.tv_nsec : 0u);
}

} // namespace

// ---- Leaving before Qt SQL does ----------------------------------------------------------

// Every connection not yet released. Never destroyed: it is used at exit,
// after statics made later than it are gone.
struct LiveConnections {
    std::mutex mutex;
    std::unordered_set<HostConnection*> all;
    // What a released connection keeps in place of its own: an invalid
    // connection that is never the last copy, so destroying it later, whenever
    // that is, touches nothing of Qt's.
    QSqlDatabase* parked = nullptr;
    bool postRoutine = false;

    static LiveConnections& instance() {
        static auto* live = new LiveConnections;
        return *live;
    }
};

void HostConnection::enlist() {
    LiveConnections& live = LiveConnections::instance();
    const std::lock_guard lock(live.mutex);
    if (!live.parked) {
        // Qt SQL's statics (the connection registry, the invalid connection,
        // the driver loader) are made now, before the release at exit is
        // registered, so they are destroyed after it has run: exit handlers
        // and static destructors run in the reverse order of their making.
        QSqlDatabase::connectionNames();
        QSqlDatabase::drivers();
        live.parked = new QSqlDatabase;
        std::atexit(&HostConnection::releaseEveryConnection);
    }
    // Earlier still when the application object goes: Qt's own post routines
    // and the plugins' unloading follow it.
    if (!live.postRoutine && QCoreApplication::instance()) {
        qAddPostRoutine(&HostConnection::releaseEveryConnection);
        live.postRoutine = true;
    }
    live.all.insert(this);
}

void HostConnection::releaseEveryConnection() {
    LiveConnections& live = LiveConnections::instance();
    const std::lock_guard lock(live.mutex);
    live.postRoutine = false; // a later application object registers again
    for (HostConnection* connection : live.all)
        connection->release();
    live.all.clear();
}

HostConnection::HostConnection(const DatabaseAddress& address)
    : m_connectionName(u"vv_refhost_%1"_s.arg(g_connectionCounter.fetch_add(1))), m_engine(address.engine),
      m_description(address.description), m_password(address.password),
      m_lockTimeoutMs(address.lockTimeoutMs), m_statementTimeoutMs(address.statementTimeoutMs),
      m_readOnly(address.readOnly) {
    enlist();
    try {
        if (address.engine == ReferenceHost::Engine::SQLite)
            openSqlite(address);
        else
            openPostgres(address);
    } catch (...) {
        // No destructor runs for a connection that was never made: it leaves the list here.
        {
            LiveConnections& live = LiveConnections::instance();
            const std::lock_guard lock(live.mutex);
            live.all.erase(this);
        }
        release();
        throw;
    }
}

HostConnection::~HostConnection() {
    LiveConnections& live = LiveConnections::instance();
    const std::lock_guard lock(live.mutex);
    live.all.erase(this);
    release();
}

void HostConnection::release() {
    if (m_released)
        return; // released at exit already: Qt SQL may be gone by now
    m_released = true;
    m_reusable.clear();
    if (db.isValid())
        db.close();
    db = *LiveConnections::instance().parked; // the connection's last copy goes with its name
    QSqlDatabase::removeDatabase(m_connectionName);
}

void HostConnection::watchAnswers(int statementTimeoutMs) {
    if (!postgres() || statementTimeoutMs <= 0)
        return;
    m_answerLimitMs = statementTimeoutMs + kAnswerGraceMs;
    if (pgdriver::PgDriver* driver = pgDriver())
        driver->setAnswerLimit(std::chrono::milliseconds(m_answerLimitMs),
                               std::chrono::milliseconds(kAnswerGraceMs));
}

void HostConnection::setTransactionSetting(const QString& name, const QString& value) {
    const auto it =
        std::find_if(m_settings.begin(), m_settings.end(), [&](const auto& s) { return s.first == name; });
    if (it == m_settings.end())
        m_settings.emplace_back(name, value);
    else
        it->second = value;
    applySettings();
}

void HostConnection::applySettings() {
    pgdriver::PgDriver* driver = pgDriver();
    if (!driver)
        return;
    driver->setTransactionSettings(m_settings);
    if (!m_heldStatements) {
        driver->setHeldStatements({});
        return;
    }
    driver->setHeldStatements([release = m_heldStatements](bool discard) {
        // The server's reason as it stands; the statement it surfaces on adds its own words.
        const QString reason = release(discard);
        return reason.isEmpty() ? QSqlError() : QSqlError(QString(), reason, QSqlError::StatementError);
    });
}

void HostConnection::setHeldStatements(std::function<QString(bool)> release) {
    m_heldStatements = std::move(release);
    applySettings();
}

pgdriver::PgDriver* HostConnection::pgDriver() const {
    return postgres() ? qobject_cast<pgdriver::PgDriver*>(db.driver()) : nullptr;
}

bool HostConnection::answerCut() const {
    const pgdriver::PgDriver* driver = pgDriver();
    return driver && driver->answerCutPending();
}

// The way to the connection before each statement, the host's own or one
// it lends out: refuses a database file that is no longer the one opened,
// and makes a lost connection again, once, but never inside a transaction.
QSqlDatabase& HostConnection::usable() {
    if (m_released)
        connectionFailed(QCoreApplication::translate(
                             "HostConnection", "The connection to %1 was closed as the application ended.")
                             .arg(m_description));
    if (!sqliteFile.isEmpty() && identityOf(sqliteFile) != fileIdentity)
        connectionFailed(QCoreApplication::translate(
                             "HostConnection",
                             "The database file \"%1\" was removed or replaced while the host had it "
                             "open; the host writes nothing more to it. Restore the file, then start "
                             "again.")
                             .arg(sqliteFile));
    if (db.isOpen() && (!postgres() || (!pgDriver()->broken() && pg::stateOf(db) != pg::State::Broken)))
        return db;
    // Statements of the run on a new connection would be written at once
    // while those before were lost with the old one.
    if (m_run)
        connectionFailed(QCoreApplication::translate(
                             "HostConnection", "The connection to %1 was lost while rows were being saved.")
                             .arg(m_description));
    // Prepared on the connection that is gone. A caller may hold one of them
    // (a statement run again after the loss), so each is emptied, not destroyed,
    // and prepared again on its next use.
    for (auto& [sql, kept] : m_reusable)
        if (kept) // null while reusable() is making it
            *kept = QSqlQuery(db);
    db.close();
    if (!db.open())
        connectionFailed(withoutPassword(
            QCoreApplication::translate("HostConnection",
                                        "The connection to %1 was lost and could not be made again: %2")
                .arg(m_description, db.lastError().text()),
            m_password));
    if (!postgres())
        startSqliteSession(sqliteFile);
    if (m_sessionSetup)
        m_sessionSetup(db);
    return db;
}

void HostConnection::setSessionSetup(std::function<void(QSqlDatabase&)> setup) {
    m_sessionSetup = std::move(setup);
    if (m_sessionSetup && db.isOpen())
        m_sessionSetup(db);
}

QSqlQuery HostConnection::prepare(const QString& sql, QSqlDatabase on) {
    const bool ours = on.connectionName() == m_connectionName;
    if (ours)
        on = usable();
    QSqlQuery q(on);
    q.setForwardOnly(true);
    const bool wasIdle = ours && postgres() && !m_run && !pg::transactionOpen(db);
    if (q.prepare(sql))
        return q;
    // A connection found lost only now is made again, once, outside a
    // transaction (preparing writes nothing).
    if (wasIdle && !answerCut() && (pgDriver()->broken() || pg::stateOf(db) == pg::State::Broken)) {
        q = QSqlQuery(usable());
        q.setForwardOnly(true);
        if (q.prepare(sql))
            return q;
    }
    throw AutomationError(
        ErrorCode::DatabaseError,
        QCoreApplication::translate("HostConnection", "The host could not prepare a statement: %1")
            .arg(q.lastError().text()));
}

QSqlQuery& HostConnection::reusable(const QString& sql) {
    QSqlDatabase& on = usable();
    // A long-lived host writing many kinds of rows keeps only so many.
    if (m_reusable.size() > 64)
        m_reusable.clear();
    auto& kept = m_reusable[sql];
    if (!kept)
        kept = std::make_unique<QSqlQuery>(prepare(sql, on));
    else if (kept->lastQuery().isEmpty()) // emptied when the connection was made again
        *kept = prepare(sql, on);
    return *kept;
}

std::optional<QString> HostConnection::keptValue(const QString& sql, const QString& value) {
    QSqlQuery& q = reusable(sql);
    q.bindValue(0, value);
    run(q);
    std::optional<QString> text;
    if (q.next() && !q.isNull(0))
        text = q.value(0).toString();
    done(q);
    return text;
}

void HostConnection::done(QSqlQuery& q) {
    if (q.isActive() && q.isSelect())
        while (q.next()) {
        }
    q.finish();
}

void HostConnection::run(QSqlQuery& q) {
    // Refused alike on both engines: QPSQL would cut the text at a NUL
    // ("unterminated quoted string"), SQLite would store it.
    const QVariantList values = q.boundValues();
    for (const QVariant& value : values)
        if (value.typeId() == QMetaType::QString)
            requireStorable(value.toString());
    const bool ours = !m_released && q.driver() && q.driver() == db.driver();
    const bool wasIdle = ours && postgres() && !m_run && !pg::transactionOpen(db);
    if (q.exec())
        return;
    if (ours && retryable(q, wasIdle)) {
        // Once, on a connection made again; the statement is prepared anew in
        // place, so a kept statement the caller holds stays the one it holds.
        const QString sql = q.lastQuery();
        q = QSqlQuery(db);
        q = prepare(sql, db); // makes the connection again
        for (qsizetype i = 0; i < values.size(); ++i)
            q.bindValue(int(i), values.at(i));
        if (q.exec())
            return;
    }
    throw AutomationError(ErrorCode::DatabaseError, u"A host statement failed: %1"_s.arg(failureReason(q)));
}

// Whether a statement that failed may run once more on a new connection: the
// connection is gone now, it was not inside a transaction or a run (whose
// earlier statements went with the connection), the host did not cut it
// itself (a server that stopped answering would only be waited for again),
// and it cannot have written anything: the server ended the session (class
// 57P: an unfinished statement is rolled back with it), the statement never
// reached it, or it only reads.
bool HostConnection::retryable(const QSqlQuery& q, bool wasIdle) {
    if (!wasIdle || answerCut())
        return false;
    if (!pgDriver()->broken() && pg::stateOf(db) != pg::State::Broken)
        return false;
    const QSqlError error = q.lastError();
    if (error.nativeErrorCode().startsWith(u"57P"_s))
        return true;
    if (error.databaseText().contains(u"no connection to the server"_s))
        return true;
    static const QRegularExpression reads(u"^\\s*(SELECT|SHOW)\\b"_s,
                                          QRegularExpression::CaseInsensitiveOption);
    return reads.match(q.lastQuery()).hasMatch();
}

// The reason a statement failed, in words a person can act on.
QString HostConnection::failureReason(const QSqlQuery& q) {
    if (pgdriver::PgDriver* driver = pgDriver(); driver && driver->takeAnswerCut())
        return u"the server did not answer within %1 ms, nor the request to cancel, so the host closed the "
               u"connection; the next request connects again"_s.arg(m_answerLimitMs);
    const QSqlError error = q.lastError();
    const QString code = error.nativeErrorCode();
    if (code == u"55P03"_s) // lock_not_available: lock_timeout
        return u"it waited %1 ms for a lock that another session (another workstation saving the same "
               u"rows, or a program holding the table) keeps, and gave up (the address setting "
               u"lock_timeout); nothing was written. Try again once the other session is done. (%2)"_s.arg(
                   QString::number(m_lockTimeoutMs), error.text());
    if (code == u"57014"_s && error.databaseText().contains(u"statement timeout"_s))
        return u"it ran longer than %1 ms, the address setting statement_timeout (a slow statement, or a "
               u"wait for a lock another session keeps); nothing was written. (%2)"_s.arg(
                   QString::number(m_statementTimeoutMs), error.text());
    return error.text();
}

bool HostConnection::beginRun() {
    if (m_run)
        return false;
    QSqlDatabase& on = usable();
    // PostgreSQL would begin inside a caller's transaction with a mere
    // warning; SQLite refuses, which answers the same question.
    if (postgres()) {
        // A run taken for one inside a caller's transaction would leave its
        // rows, and the rows a conflict check reads, unlocked until the end.
        pg::finishPendingStatement(on);
        if (pg::stateOf(on) != pg::State::Idle)
            return false;
        m_run = on.transaction();
        if (m_run)
            recordRun(on);
        return m_run;
    }
    // The write lock from the start: a run that reads rows to compare them
    // before writing must not let another workstation write in between, and
    // two deferred runs would each hold a read lock the other waits on.
    QSqlQuery begin(on);
    if (begin.exec(u"BEGIN IMMEDIATE"_s)) {
        m_run = true;
        recordRun(on);
        return true;
    }
    if (begin.lastError().nativeErrorCode() == u"5"_s || begin.lastError().nativeErrorCode() == u"6"_s)
        throw AutomationError(ErrorCode::DatabaseError,
                              QCoreApplication::translate(
                                  "HostConnection",
                                  "The list could not be saved: another workstation kept the database busy "
                                  "for too long (%1).")
                                  .arg(begin.lastError().text()));
    return false; // a caller's transaction is open: its rows are written as it commits
}

void HostConnection::recordRun(QSqlDatabase& on) {
    if (!m_observer)
        return;
    try {
        m_observer->runBegun(on);
    } catch (...) {
        m_run = false;
        on.rollback();
        throw;
    }
}

void HostConnection::endRun(bool write) {
    if (!m_run)
        return;
    m_run = false;
    const auto abandon = [&] {
        if (m_heldStatements)
            m_heldStatements(true); // never written
        if (m_observer)
            m_observer->abandoned();
        db.rollback();
    };
    if (!write) {
        abandon();
        return;
    }
    try {
        if (m_observer)
            m_observer->beforeCommit();
    } catch (...) {
        abandon();
        throw;
    }
    if (!db.commit()) {
        const QString reason = db.lastError().text();
        abandon();
        throw AutomationError(
            ErrorCode::DatabaseError,
            QCoreApplication::translate("HostConnection", "The saved rows could not be committed: %1")
                .arg(reason));
    }
    if (m_observer)
        m_observer->committed();
}

void HostConnection::wrote(const QString& table, qint32 key) {
    if (m_observer)
        m_observer->rowWritten(table, key, m_run);
}

void HostConnection::startSqliteSession(const QString& path) {
    if (m_readOnly)
        return; // the journal mode is the writers' choice, and switching it writes the file
    QSqlQuery q(db);
    // WAL keeps one-row saves cheap and lets readers work while a save runs.
    const bool ok = q.exec(u"PRAGMA journal_mode=WAL"_s) && q.exec(u"PRAGMA synchronous=NORMAL"_s) &&
                    q.exec(u"PRAGMA foreign_keys=ON"_s);
    if (!ok)
        connectionFailed(
            QCoreApplication::translate("HostConnection", "\"%1\" cannot be used as an SQLite database: %2")
                .arg(path, q.lastError().text()));
}

void HostConnection::openSqlite(const DatabaseAddress& t) {
    if (t.path != u":memory:"_s) {
        const QFileInfo file(t.path);
        if (!file.absoluteDir().exists())
            connectionFailed(
                QCoreApplication::translate("HostConnection",
                                            "The folder \"%1\" for the SQLite database does not exist.")
                    .arg(file.absolutePath()));
        if (file.isDir())
            connectionFailed(QCoreApplication::translate("HostConnection",
                                                         "\"%1\" is a folder, not an SQLite database file.")
                                 .arg(t.path));
    }
    db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connectionName);
    if (!db.isValid())
        connectionFailed(
            QCoreApplication::translate("HostConnection", "The SQLite driver (QSQLITE) is not available."));
    // Absolute, so a connection made again finds the same file whatever the working folder.
    const QString file = t.path == u":memory:"_s ? t.path : QFileInfo(t.path).absoluteFilePath();
    db.setDatabaseName(file);
    db.setConnectOptions(m_readOnly ? u"QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY"_s
                                    : u"QSQLITE_BUSY_TIMEOUT=5000"_s);
    if (!db.open())
        connectionFailed(
            QCoreApplication::translate("HostConnection", "Cannot open the SQLite database \"%1\": %2")
                .arg(t.path, db.lastError().text()));
    startSqliteSession(t.path);
    // The file as opened: one put in its place later is another database.
    if (t.path != u":memory:"_s) {
        sqliteFile = file;
        fileIdentity = identityOf(file);
        if (!fileIdentity)
            connectionFailed(
                QCoreApplication::translate("HostConnection",
                                            "The SQLite database \"%1\" cannot be found after opening it.")
                    .arg(t.path));
    }
}

void HostConnection::openPostgres(const DatabaseAddress& t) {
    pgdriver::registerPgDriver();
    db = QSqlDatabase::addDatabase(u"VVPSQL"_s, m_connectionName);
    pgdriver::PgDriver* driver = pgDriver();
    if (!driver)
        connectionFailed(QCoreApplication::translate("HostConnection",
                                                     "The PostgreSQL driver (VVPSQL) is not available."));
    driver->setConnectionParameters(t.parameters);
    // What every transaction gets, so a pooled server connection that served
    // another practice a moment ago serves this one right: literal
    // backslashes, the statement and lock limits, and the schema, which must
    // never fall back to another practice's tables.
    m_settings = {{u"standard_conforming_strings"_s, u"on"_s},
                  {u"statement_timeout"_s, QString::number(t.statementTimeoutMs)},
                  {u"lock_timeout"_s, QString::number(t.lockTimeoutMs)}};
    if (!t.schema.isEmpty())
        m_settings.emplace_back(u"search_path"_s, t.schema); // checked to be a plain name
    applySettings();
    const QString where = t.description;
    if (!db.open())
        connectionFailed(
            withoutPassword(QCoreApplication::translate("HostConnection", "Cannot connect to %1: %2")
                                .arg(where, db.lastError().text()),
                            t.password));
    QSqlQuery q(db);
    if (t.schema.isEmpty())
        return;
    // Created only when missing: an existing schema needs no CREATE right.
    QSqlQuery exists = prepare(u"SELECT 1 FROM pg_namespace WHERE nspname = lower(?)"_s);
    exists.addBindValue(t.schema);
    run(exists);
    const QString schema = t.schema; // checked to be a plain name by parseUrl
    if (!exists.next() && !m_readOnly && !q.exec(u"CREATE SCHEMA IF NOT EXISTS "_s + schema))
        connectionFailed(
            QCoreApplication::translate("HostConnection", "Cannot create the schema \"%1\" in %2: %3")
                .arg(schema, where, q.lastError().text()));
}

} // namespace viVavazuruv::refhost
