// Heads of the list history's chain kept outside the database: after every
// seal that sealed something, the new head is appended to the host's anchor
// file, where the database's writers cannot reach it, for verify --expect.
#include "ChangeSeal.h"
#include "ReferenceHostImpl.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>

using namespace Qt::StringLiterals;

namespace viVavazuruv {

namespace {
// The history's own category of the host's diagnostics.
Q_LOGGING_CATEGORY(lcHistory, "viVavazuruv.host.history", QtCriticalMsg)
} // namespace

qint64 ReferenceHost::Impl::seal(const QSqlDatabase& db, bool wait) {
    const qint64 sealed = refhost::sealChanges(db, postgres(), wait);
    if (sealed == 0 || anchorFile.isEmpty())
        return sealed;
    const refhost::ChainHead head = refhost::chainHead(db);
    QFile file(anchorFile);
    const QByteArray line = u"%1 %2 %3\n"_s.arg(head.seal)
                                .arg(head.hash, QDateTime::currentDateTimeUtc().toString(Qt::ISODate))
                                .toUtf8();
    // A head that cannot be kept is told, never a reason to refuse a save.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size() ||
        !file.flush())
        qCWarning(lcHistory).noquote() << "the list history's head" << head.seal << "could not be kept in"
                                       << anchorFile << ":" << file.errorString();
    return sealed;
}

QString ReferenceHost::historyAnchorFile() const {
    return d->anchorFile;
}

void ReferenceHost::setHistoryAnchorFile(const QString& path) {
    d->anchorFile = path.isEmpty() ? QString() : QDir(d->dataFolder).absoluteFilePath(path);
}

} // namespace viVavazuruv
