#pragma once

#include <viVavazuruv/ReferenceHost.h>

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace viVavazuruv::test {

// scripts/pg-server for a server of the test's own, so stopping, restarting
// or failing it over never disturbs the tests beside it on the shared one.
struct ThrowawayServer {
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
        return QRegularExpression(name + QStringLiteral("='([^']*)'")).match(exports).captured(1);
    }
    // The script's exit status, its output left to show.
    static int run(const QStringList& arguments) {
        return QProcess::execute(QStringLiteral(VIVAVAZURUV_PG_SERVER_SCRIPT), arguments);
    }
    static void stop(const QString& dir) {
        if (!dir.isEmpty())
            run({QStringLiteral("stop"), dir});
    }
};

// A fixture that starts a throwaway server; its password file is the one
// libpq reads until TearDown puts the one named before back.
class ThrowawayServerTest : public ::testing::Test, protected ThrowawayServer {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("VIVAVAZURUV_TEST_PG_URL")) {
            if (qEnvironmentVariable("CI") == QStringLiteral("true"))
                FAIL() << "CI never skips the PostgreSQL cases";
            GTEST_SKIP() << "no PostgreSQL test server (run scripts/test)";
        }
        m_exports = script({QStringLiteral("start")});
        m_dir = exported(m_exports, QStringLiteral("VIVAVAZURUV_TEST_PG_DIR"));
        ASSERT_FALSE(m_dir.isEmpty());
        m_passwords = qgetenv("PGPASSFILE");
        qputenv("PGPASSFILE", exported(m_exports, QStringLiteral("PGPASSFILE")).toLocal8Bit());
    }
    void TearDown() override {
        stop(m_dir);
        qputenv("PGPASSFILE", m_passwords);
    }
    QString url() const { return exported(m_exports, QStringLiteral("VIVAVAZURUV_TEST_PG_URL")); }

    // A list row of code saved through host: its key; throws when it was not written.
    static qint32 add(ReferenceHost& host, const QString& code) {
        qint32 key = 0;
        if (!host.SaveRecord(1, QStringLiteral("UsrDefTable"), QStringLiteral("usrdefInd"), key,
                             {QStringLiteral("UsrDefCod")}, {code}, true))
            throw std::runtime_error("not written");
        return key;
    }
    // Every row's code, in key order, read on the connection host lends.
    static QStringList codes(ReferenceHost& host) {
        QSqlQuery q(QStringLiteral("SELECT UsrDefCod FROM UsrDefTable ORDER BY usrdefInd"),
                    host.GetConnection());
        QStringList all;
        while (q.next())
            all << q.value(0).toString();
        return all;
    }

    QString m_exports, m_dir;
    QByteArray m_passwords; // the password file named before
};

} // namespace viVavazuruv::test
