// Through a pooler handing each transaction to whichever server connection
// is free: every client still sees its own settings, and only its own.
#include "PgDriverSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QSqlError>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace viVavazuruv::pgdriver::test {
namespace {

using namespace Qt::StringLiterals;

const QString kPooler = u"/usr/sbin/pgbouncer"_s;

int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

class Pooling : public PgDriverTest {
protected:
    void SetUp() override {
        if (!QFileInfo(kPooler).isExecutable())
            GTEST_SKIP() << "pgbouncer is not installed";
        PgDriverTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(m_dir.isValid());
        const QUrl server(serverUrl());
        m_port = freePort();
        write(u"userlist.txt"_s, u"\"%1\" \"%2\"\n"_s.arg(server.userName(), serverPassword()));
        write(u"pooler.ini"_s,
              u"[databases]\n"
              "pooled = host=%1 port=%2 dbname=%3\n"
              "[pgbouncer]\n"
              "listen_addr = 127.0.0.1\nlisten_port = %4\nunix_socket_dir =\n"
              "auth_type = trust\nauth_file = %5\n"
              "pool_mode = transaction\ndefault_pool_size = 2\nmax_client_conn = 20\n"
              "logfile = %6\n"_s.arg(server.host(), QString::number(server.port()), server.path().mid(1),
                                     QString::number(m_port), m_dir.filePath(u"userlist.txt"_s),
                                     m_dir.filePath(u"pooler.log"_s)));
        QStringList args;
        // It refuses to run as root.
        if (::geteuid() == 0) {
            QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                    QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
            args << u"-u"_s << u"postgres"_s;
        }
        m_pooler.start(kPooler, args << m_dir.filePath(u"pooler.ini"_s));
        ASSERT_TRUE(m_pooler.waitForStarted());
    }
    void TearDown() override {
        PgDriverTest::TearDown();
        if (m_pooler.state() != QProcess::NotRunning) {
            m_pooler.terminate();
            if (!m_pooler.waitForFinished(5000))
                m_pooler.kill();
        }
    }
    void write(const QString& name, const QString& text) {
        QFile f(m_dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    }
    QSqlDatabase pooled(const QString& label) {
        const QUrl server(serverUrl());
        QSqlDatabase db = connect(label, false);
        db.setDatabaseName(
            u"host=127.0.0.1 port=%1 dbname=pooled user=%2 connect_timeout=2"_s.arg(m_port).arg(
                server.userName()));
        for (int tries = 0; tries < 50 && !db.open(); ++tries)
            QThread::msleep(100);
        if (!db.isOpen())
            ADD_FAILURE() << db.lastError().text().toStdString();
        return db;
    }

    QTemporaryDir m_dir;
    QProcess m_pooler;
    int m_port = 0;
};

TEST_F(Pooling, InterleavedClientsEachSeeTheirOwnSettings) {
    QSqlDatabase a = pooled(u"a"_s), b = pooled(u"b"_s), c = pooled(u"c"_s);
    ASSERT_TRUE(a.isOpen() && b.isOpen() && c.isOpen());
    driverOf(a)->setTransactionSettings({{u"vv.x"_s, u"a"_s}, {u"search_path"_s, u"pg_catalog"_s}});
    driverOf(b)->setTransactionSettings({{u"vv.x"_s, u"b"_s}});
    const QString sql =
        u"SELECT coalesce(current_setting('vv.x', true), '') || '/' || current_setting('search_path')"_s;
    QSet<qlonglong> servers;
    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(a.transaction());
        ASSERT_TRUE(b.transaction());
        EXPECT_EQ(scalar(a, sql), QVariant(u"a/pg_catalog"_s));
        EXPECT_EQ(scalar(b, sql), QVariant(u"b/\"$user\", public"_s));
        // Both pooled connections are taken until a's block ends; c then gets the one a leaves.
        ASSERT_TRUE(round % 2 ? a.commit() : a.rollback());
        // Prepared and bound, as the host's code runs: no named statement to go missing.
        QSqlQuery q =
            bound(c, u"SELECT coalesce(current_setting('vv.x', true), '') || ?, pg_backend_pid()"_s, {round});
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0), QVariant(QString::number(round)));
        servers.insert(q.value(1).toLongLong());
        EXPECT_EQ(scalar(b, sql), QVariant(u"b/\"$user\", public"_s));
        ASSERT_TRUE(b.commit());
        EXPECT_EQ(scalar(a, sql), QVariant(u"a/pg_catalog"_s));
        EXPECT_EQ(scalar(c, sql), QVariant(u"/\"$user\", public"_s));
    }
    EXPECT_LE(servers.size(), 2); // the pool's own connections, no more
}

} // namespace
} // namespace viVavazuruv::pgdriver::test
