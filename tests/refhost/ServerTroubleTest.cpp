// A PostgreSQL server that restarts or fails over under the host: the first
// request after a restart or a promotion succeeds, a run of saves a restart
// broke says so, and nothing acknowledged is lost. (A lock another session
// holds: RefhostPostgres, in ReferenceHostTest.)
#include <support/QtPrinting.h>

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/ListHistory.h>
#include <viVavazuruv/ReferenceHost.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <stdexcept>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;

namespace {

// A server of the test's own from scripts/pg-server, so stopping, restarting
// or failing it over never disturbs the tests beside it on the shared one.
// Its password file is the one libpq reads until TearDown puts the one named before back.
class RefhostServerTrouble : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("VIVAVAZURUV_TEST_PG_URL")) {
            if (qEnvironmentVariable("CI") == u"true"_s)
                FAIL() << "CI never skips the PostgreSQL cases";
            GTEST_SKIP() << "no PostgreSQL test server (run scripts/test)";
        }
        m_exports = script({u"start"_s});
        m_dir = exported(m_exports, u"VIVAVAZURUV_TEST_PG_DIR"_s);
        ASSERT_FALSE(m_dir.isEmpty());
        m_passwords = qgetenv("PGPASSFILE");
        qputenv("PGPASSFILE", exported(m_exports, u"PGPASSFILE"_s).toLocal8Bit());
    }
    void TearDown() override {
        for (const QString& dir : {m_standbyDir, m_dir})
            if (!dir.isEmpty())
                run({u"stop"_s, dir});
        qputenv("PGPASSFILE", m_passwords);
    }

    // What the script printed (its exports); fails the test and gives "" when it failed.
    static QString script(const QStringList& arguments) {
        QProcess p;
        p.start(QStringLiteral(VIVAVAZURUV_PG_SERVER_SCRIPT), arguments);
        const bool done = p.waitForFinished(180000) && p.exitCode() == 0;
        EXPECT_TRUE(done) << arguments.join(u' ').toStdString() << ": "
                          << p.readAllStandardError().toStdString();
        return done ? QString::fromLocal8Bit(p.readAllStandardOutput()) : QString();
    }
    static QString exported(const QString& exports, const QString& name) {
        return QRegularExpression(name + u"='([^']*)'"_s).match(exports).captured(1);
    }
    // The script's exit status, its output left to show.
    static int run(const QStringList& arguments) {
        return QProcess::execute(QStringLiteral(VIVAVAZURUV_PG_SERVER_SCRIPT), arguments);
    }
    QString url() const { return exported(m_exports, u"VIVAVAZURUV_TEST_PG_URL"_s); }

    // A list row of code saved through host: its key; throws when it was not written.
    static qint32 add(ReferenceHost& host, const QString& code) {
        qint32 key = 0;
        if (!host.SaveRecord(1, u"UsrDefTable"_s, u"usrdefInd"_s, key, {u"UsrDefCod"_s}, {code}, true))
            throw std::runtime_error("not written");
        return key;
    }
    // Every row's code, in key order, read on the connection host lends.
    static QStringList codes(ReferenceHost& host) {
        QSqlQuery q(u"SELECT UsrDefCod FROM UsrDefTable ORDER BY usrdefInd"_s, host.GetConnection());
        QStringList all;
        while (q.next())
            all << q.value(0).toString();
        return all;
    }

    QString m_exports, m_dir, m_standbyDir;
    QByteArray m_passwords; // the password file named before
};

// A restart is a fast shutdown: every session is ended, and the script waits until the server answers again.
TEST_F(RefhostServerTrouble, TheFirstRequestAfterARestartSucceedsAndARunItBrokeWritesNothing) {
    ReferenceHost host(url() + u"?schema=office"_s);
    host.setOption(u"Restarts"_s, u"0"_s);
    add(host, u"BEFORE"_s);
    // Each kind of first request: the host's own read, a kept statement (a
    // save), a statement on the connection the host lends, a read of an option.
    const auto first = [&](const char* what, const std::function<void()>& request) {
        ASSERT_EQ(run({u"restart"_s, m_dir}), 0) << what;
        EXPECT_NO_THROW((request(), host.option(u"Restarts"_s))) << what; // and the next one too
    };
    first("a host read", [&] { EXPECT_EQ(host.CodeListKey(u"|procs"_s), u"PROCS"_s); });
    first("a save", [&] { EXPECT_GT(add(host, u"AFTER"_s), 0); });
    const QStringList both{u"BEFORE"_s, u"AFTER"_s};
    first("the lent connection", [&] { EXPECT_EQ(codes(host), both); });
    first("an option", [&] { EXPECT_EQ(host.option(u"Restarts"_s), u"0"_s); });
    first("a flag on the lent connection", [&] {
        qint16 flag = 0;
        QSqlDatabase lent = host.GetConnection();
        host.ReadOptionFlag(u"LIST_CONFLICT_CHECK"_s, 0, &lent, 0, flag);
        EXPECT_EQ(flag, -1);
    });
    EXPECT_EQ(codes(host), both);

    ASSERT_TRUE(host.BeginSaveRecords());
    add(host, u"RUN1"_s);
    ASSERT_EQ(run({u"restart"_s, m_dir}), 0);
    EXPECT_THROW((add(host, u"RUN2"_s), host.EndSaveRecords(true)), AutomationError)
        << "the run was reported written";
    host.EndSaveRecords(false);
    // Nothing of the run was kept, and the next request works.
    EXPECT_EQ(codes(host), both);
    add(host, u"LAST"_s);
    EXPECT_EQ(codes(host), both + QStringList{u"LAST"_s});
}

// A primary and its streaming standby, the workstation given both with
// target_session_attrs=read-write: the primary goes, the standby is
// promoted, and nothing acknowledged is lost, nothing reported failed is
// written, and the history still verifies.
TEST_F(RefhostServerTrouble, AFailoverLosesNothingAcknowledgedAndTheFirstRequestAfterPromotionSucceeds) {
    // A copy of its password file, which outlives the primary's folder; the standby takes the same.
    QTemporaryDir folder;
    const QString passwords = folder.filePath(u"pgpass"_s);
    ASSERT_TRUE(QFile::copy(exported(m_exports, u"PGPASSFILE"_s), passwords));
    qputenv("PGPASSFILE", passwords.toLocal8Bit());
    const QString standby = script({u"standby"_s, m_dir});
    m_standbyDir = exported(standby, u"VIVAVAZURUV_TEST_PG_STANDBY_DIR"_s);
    ASSERT_FALSE(m_standbyDir.isEmpty());
    const QUrl primary(url());
    ReferenceHost host(
        u"postgresql://%1@127.0.0.1:%2,127.0.0.1:%3/%4?target_session_attrs=read-write&schema=office"_s.arg(
            primary.userName(), QString::number(primary.port()),
            exported(standby, u"VIVAVAZURUV_TEST_PG_STANDBY_PORT"_s), primary.path().mid(1)));

    QStringList acknowledged;
    for (int i = 0; i < 20; ++i)
        add(host, acknowledged.emplace_back(u"ONE%1"_s.arg(i)));
    ASSERT_TRUE(host.BeginSaveRecords());
    add(host, acknowledged.emplace_back(u"RUN1"_s));
    add(host, acknowledged.emplace_back(u"RUN2"_s));
    host.EndSaveRecords(true);

    // The primary goes. Until the standby is promoted there is nowhere to
    // write: the request says so, and what it asked is never written later.
    ASSERT_EQ(run({u"stop"_s, std::exchange(m_dir, QString())}), 0);
    EXPECT_THROW(add(host, u"REFUSED"_s), AutomationError);
    ASSERT_EQ(run({u"promote"_s, m_standbyDir}), 0);

    EXPECT_NO_THROW(add(host, u"AFTER"_s)) << "the first request after the promotion";
    EXPECT_EQ(codes(host), acknowledged + QStringList{u"AFTER"_s});
    const HistoryCheck check = ListHistory(host).verify();
    EXPECT_TRUE(check.intact) << check.reason.toStdString();
    EXPECT_EQ(check.changes, acknowledged.size() + 1);
}

} // namespace
