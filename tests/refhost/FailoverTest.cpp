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

class RefhostFailover : public ::testing::Test, protected test::ThrowawayServer {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("VIVAVAZURUV_TEST_PG_URL")) {
            if (qEnvironmentVariable("CI") == u"true"_s)
                FAIL() << "CI never skips the PostgreSQL cases";
            GTEST_SKIP() << "no PostgreSQL test server (run scripts/test)";
        }
        const QString primary = script({u"start"_s});
        m_primaryDir = exported(primary, u"VIVAVAZURUV_TEST_PG_DIR"_s);
        ASSERT_FALSE(m_primaryDir.isEmpty());
        // A copy of its password file, which outlives the primary's folder; the standby takes the same.
        m_passwords = qgetenv("PGPASSFILE");
        const QString passwords = m_folder.filePath(u"pgpass"_s);
        ASSERT_TRUE(QFile::copy(exported(primary, u"PGPASSFILE"_s), passwords));
        qputenv("PGPASSFILE", passwords.toLocal8Bit());
        const QString standby = script({u"standby"_s, m_primaryDir});
        m_standbyDir = exported(standby, u"VIVAVAZURUV_TEST_PG_STANDBY_DIR"_s);
        ASSERT_FALSE(m_standbyDir.isEmpty());
        const QUrl first(exported(primary, u"VIVAVAZURUV_TEST_PG_URL"_s));
        m_url =
            u"postgresql://%1@127.0.0.1:%2,127.0.0.1:%3/%4?target_session_attrs=read-write&schema=office"_s
                .arg(first.userName(), QString::number(first.port()),
                     exported(standby, u"VIVAVAZURUV_TEST_PG_STANDBY_PORT"_s), first.path().mid(1));
    }
    void TearDown() override {
        for (const QString& dir : {m_primaryDir, m_standbyDir})
            stop(dir);
        qputenv("PGPASSFILE", m_passwords);
    }

    static void save(ReferenceHost& host, const QString& code) {
        qint32 key = 0;
        if (!host.SaveRecord(1, u"UsrDefTable"_s, u"usrdefInd"_s, key, {u"UsrDefCod"_s}, {code}, true))
            throw std::runtime_error("not written");
    }
    static QStringList codes(ReferenceHost& host) {
        QSqlQuery q(u"SELECT UsrDefCod FROM UsrDefTable ORDER BY usrdefInd"_s, host.GetConnection());
        QStringList all;
        while (q.next())
            all << q.value(0).toString();
        return all;
    }

    QTemporaryDir m_folder;
    QString m_primaryDir, m_standbyDir, m_url;
    QByteArray m_passwords; // the password file named before
};

TEST_F(RefhostFailover, NothingAcknowledgedIsLostAndTheFirstRequestAfterPromotionSucceeds) {
    ReferenceHost host(m_url);
    QStringList acknowledged;
    for (int i = 0; i < 20; ++i) {
        save(host, u"ONE%1"_s.arg(i));
        acknowledged << u"ONE%1"_s.arg(i);
    }
    ASSERT_TRUE(host.BeginSaveRecords());
    save(host, u"RUN1"_s);
    save(host, u"RUN2"_s);
    host.EndSaveRecords(true);
    acknowledged << u"RUN1"_s << u"RUN2"_s;

    // The primary goes. Until the standby is promoted there is nowhere to
    // write: the request says so, and what it asked is never written later.
    ASSERT_EQ(run({u"stop"_s, m_primaryDir}), 0);
    m_primaryDir.clear();
    EXPECT_THROW(save(host, u"REFUSED"_s), AutomationError);
    ASSERT_EQ(run({u"promote"_s, m_standbyDir}), 0);

    EXPECT_NO_THROW(save(host, u"AFTER"_s)) << "the first request after the promotion";
    EXPECT_EQ(codes(host), acknowledged + QStringList{u"AFTER"_s});
    const HistoryCheck check = ListHistory(host).verify();
    EXPECT_TRUE(check.intact) << check.reason.toStdString();
    EXPECT_EQ(check.changes, acknowledged.size() + 1);
}

} // namespace
