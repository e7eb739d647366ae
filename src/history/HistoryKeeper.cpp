#include "HistoryKeeper.h"

#include "ChangeSeal.h"
#include "HistorySchema.h"

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QLoggingCategory>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace viVavazuruv::history {

namespace {
// The history's own category of the host's diagnostics.
Q_LOGGING_CATEGORY(lcHistory, "viVavazuruv.host.history", QtCriticalMsg)
} // namespace

HistoryKeeper::HistoryKeeper(bool postgres, std::function<const QSqlDatabase&()> connection,
                             std::function<bool(const QSqlDatabase&)> transactionOpen)
    : m_postgres(postgres), m_connection(std::move(connection)),
      m_transactionOpen(std::move(transactionOpen)) {}

HistoryKeeper::~HistoryKeeper() = default;

void HistoryKeeper::setWorker(const QString& login, const QString& workstation) {
    m_login = login;
    m_workstation = workstation;
}

void HistoryKeeper::startSession(const QSqlDatabase& db) {
    startHistorySession(db, m_postgres, m_login, m_workstation);
}

QList<std::pair<QString, QString>> HistoryKeeper::transactionSettings() const {
    return historyNames(m_login, m_workstation, m_postgres);
}

qint64 HistoryKeeper::seal(const QSqlDatabase& db, bool wait) {
    if (m_postgres && m_transactionOpen(db))
        return 0;
    const qint64 sealed = sealChanges(db, m_postgres, wait);
    if (sealed == 0 || m_anchorFile.isEmpty())
        return sealed;
    const ChainHead head = chainHead(db);
    QFile file(m_anchorFile);
    const QByteArray line = u"%1 %2 %3\n"_s.arg(head.seal)
                                .arg(head.hash, QDateTime::currentDateTimeUtc().toString(Qt::ISODate))
                                .toUtf8();
    // A head that cannot be kept is told, never a reason to refuse a save.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size() ||
        !file.flush())
        qCWarning(lcHistory).noquote() << "the list history's head" << head.seal << "could not be kept in"
                                       << m_anchorFile << ":" << file.errorString();
    return sealed;
}

void HistoryKeeper::sealSoon() {
    if (m_sealQueued || !QCoreApplication::instance())
        return;
    m_sealQueued = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [this, alive = std::weak_ptr<int>(m_alive)] {
        if (alive.expired())
            return;
        m_sealQueued = false;
        try {
            seal(m_connection(), false);
        } catch (const AutomationError& e) {
            // The next run of saves, or the next reader, seals them.
            qCWarning(lcHistory) << "sealing the list history was put off:" << e.message();
        }
    });
}

void HistoryKeeper::runBegun(const QSqlDatabase& db) {
    m_recorder.begin(db, m_postgres);
}

void HistoryKeeper::rowWritten(const QString& table, qint32, bool inRun) {
    // A run's rows are sealed once it commits; a row written alone, now.
    if (!inRun && table.compare(usrdef::kTable, Qt::CaseInsensitive) == 0)
        sealSoon();
}

void HistoryKeeper::beforeCommit() {
    if (m_recorder.recording())
        m_recorder.finish(m_login, m_workstation);
}

void HistoryKeeper::committed() {
    // Sealed outside the run's transaction, so sealers take turns without
    // holding up each other's saves.
    sealSoon();
}

void HistoryKeeper::abandoned() noexcept {
    m_recorder.abandon();
}

} // namespace viVavazuruv::history
