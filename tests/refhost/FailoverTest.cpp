// A primary and its streaming standby, the workstation given both with
// target_session_attrs=read-write: the primary goes, the standby is
// promoted, and nothing acknowledged is lost, nothing reported failed is
// written, the first request after the promotion succeeds and the history
// still verifies.
#include "RefhostSupport.h"
#include "ThrowawayServer.h"

#include <viVavazuruv/ListHistory.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;

namespace {

class RefhostFailover : public test::ThrowawayServerTest {
protected:
    void SetUp() override {
        ThrowawayServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // A copy of its password file, which outlives the primary's folder; the standby takes the same.
        const QString passwords = m_folder.filePath(u"pgpass"_s);
        ASSERT_TRUE(QFile::copy(exported(m_exports, u"PGPASSFILE"_s), passwords));
        qputenv("PGPASSFILE", passwords.toLocal8Bit());
        const QString standby = script({u"standby"_s, m_dir});
        m_standbyDir = exported(standby, u"VIVAVAZURUV_TEST_PG_STANDBY_DIR"_s);
        ASSERT_FALSE(m_standbyDir.isEmpty());
        const QUrl first(url());
        m_url =
            u"postgresql://%1@127.0.0.1:%2,127.0.0.1:%3/%4?target_session_attrs=read-write&schema=office"_s
                .arg(first.userName(), QString::number(first.port()),
                     exported(standby, u"VIVAVAZURUV_TEST_PG_STANDBY_PORT"_s), first.path().mid(1));
    }
    void TearDown() override {
        stop(m_standbyDir);
        ThrowawayServerTest::TearDown();
    }

    QTemporaryDir m_folder;
    QString m_standbyDir, m_url;
};

TEST_F(RefhostFailover, NothingAcknowledgedIsLostAndTheFirstRequestAfterPromotionSucceeds) {
    ReferenceHost host(m_url);
    QStringList acknowledged;
    for (int i = 0; i < 20; ++i)
        add(host, acknowledged.emplace_back(u"ONE%1"_s.arg(i)));
    ASSERT_TRUE(host.BeginSaveRecords());
    add(host, acknowledged.emplace_back(u"RUN1"_s));
    add(host, acknowledged.emplace_back(u"RUN2"_s));
    host.EndSaveRecords(true);

    // The primary goes. Until the standby is promoted there is nowhere to
    // write: the request says so, and what it asked is never written later.
    ASSERT_EQ(run({u"stop"_s, m_dir}), 0);
    m_dir.clear();
    EXPECT_THROW(add(host, u"REFUSED"_s), AutomationError);
    ASSERT_EQ(run({u"promote"_s, m_standbyDir}), 0);

    EXPECT_NO_THROW(add(host, u"AFTER"_s)) << "the first request after the promotion";
    EXPECT_EQ(codes(host), acknowledged + QStringList{u"AFTER"_s});
    const HistoryCheck check = ListHistory(host).verify();
    EXPECT_TRUE(check.intact) << check.reason.toStdString();
    EXPECT_EQ(check.changes, acknowledged.size() + 1);
}

} // namespace
