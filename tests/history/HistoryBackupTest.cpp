// The list history through the backups an office really makes: pg_dump and
// pg_restore (whole, schema then data, one schema) and SQLite's .backup and
// VACUUM INTO. A copy keeps a history that verifies against the head kept
// before it and goes on recording; a copy that lost committed changes fails.
#include "HistorySupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <QUrlQuery>

namespace viVavazuruv::test {
namespace {

class HistoryBackup : public HostTest {
protected:
    // A few changes of each kind, sealed; gives the head kept outside.
    HistoryHead makeHistory() {
        const qint32 visa = addEntry(u"CRDCARD"_s, u"Visa"_s);
        const qint32 amex = addEntry(u"CRDCARD"_s, u"Amex"_s);
        EXPECT_TRUE(describe(visa, u"Visa Gold"_s));
        run(u"Delete * from UsrDefTable where UsrDefInd=%1"_s.arg(amex)); // as the picker deletes
        return ListHistory(host()).head();
    }

    // The copy verifies against the head and records a save after it; or, when it lost committed
    // changes, fails.
    static void expectCopy(const QString& url, const HistoryHead& head, const QString& folder,
                           bool whole = true) {
        ReferenceHost copy(url, nullptr, folder, ReferenceHost::Tables::MustExist);
        ListHistory history(copy);
        if (!whole) {
            EXPECT_TRUE(broken(history.verify({head}), {u"changes were removed from its end"_s}));
            return;
        }
        HistoryCheck check = history.verify({head});
        EXPECT_TRUE(check.intact && check.head.change == head.change) << check.reason.toStdString();
        qint32 key = 0;
        EXPECT_TRUE(copy.SaveRecord(1, u"UsrDefTable"_s, u"usrdefInd"_s, key,
                                    {u"UsrDefCod"_s, u"usrdefDes"_s}, {u"CRDCARD"_s, u"Diners"_s}, true));
        check = history.verify({head});
        EXPECT_TRUE(check.intact && check.head.change == head.change + 1) << check.reason.toStdString();
    }

    // Runs a tool of the server's, the password in its environment or password file (never on its
    // command line).
    void tool(const QString& program, QStringList arguments) {
        // Straight to the server, as an office takes its backups, never through a pooler.
        const QString direct = qEnvironmentVariable("VIVAVAZURUV_TEST_PG_SERVER_URL");
        const QUrl url(direct.isEmpty() ? m_db->url() : direct);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!url.password().isEmpty())
            env.insert(u"PGPASSWORD"_s, url.password());
        p.setProcessEnvironment(env);
        arguments << u"-h"_s << url.host() << u"-p"_s << QString::number(url.port()) << u"-U"_s
                  << url.userName();
        p.start(program, arguments);
        ASSERT_TRUE(p.waitForFinished(60000)) << program.toStdString();
        EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << ' ' << arguments.join(u' ').toStdString()
                                   << ": " << p.readAllStandardError().toStdString();
    }

    QString schema() const { return QUrlQuery(QUrl(m_db->url())).queryItemValue(u"schema"_s); }
};

TEST_P(HistoryBackup, ACopyVerifiesAgainstTheHeadKeptBeforeAndACopyMissingChangesFails) {
    const HistoryHead head = makeHistory();
    ASSERT_EQ(head.change, 4);
    const QString dir = m_folder.path();
    if (!postgres()) {
        const QString file = m_db->url().mid(u"sqlite:"_s.size());
        // The shell's online backup, and VACUUM INTO, while the host has the file open.
        QProcess shell;
        shell.start(u"sqlite3"_s, {file, u".backup '%1/backup.db'"_s.arg(dir)});
        ASSERT_TRUE(shell.waitForFinished(60000) && shell.exitCode() == 0)
            << shell.readAllStandardError().toStdString();
        QSqlQuery(host().GetConnection()).exec(u"VACUUM INTO '%1/vacuumed.db'"_s.arg(dir));
        ASSERT_TRUE(QFile::copy(u"%1/backup.db"_s.arg(dir), u"%1/older.db"_s.arg(dir)));
        // The file copied without its write-ahead log, and a backup older than the head.
        QSqlQuery(host().GetConnection()).exec(u"PRAGMA wal_checkpoint(TRUNCATE)"_s);
        addEntry(u"CRDCARD"_s, u"Discover"_s); // in the log only
        const HistoryHead newer = ListHistory(host()).head();
        ASSERT_TRUE(QFile::copy(file, u"%1/without-wal.db"_s.arg(dir)));
        for (const auto& [copy, kept, whole] :
             {std::tuple(u"backup.db"_s, head, true), std::tuple(u"vacuumed.db"_s, head, true),
              std::tuple(u"older.db"_s, newer, false), std::tuple(u"without-wal.db"_s, newer, false)}) {
            SCOPED_TRACE(copy.toStdString());
            expectCopy(u"sqlite:%1/%2"_s.arg(dir, copy), kept, dir, whole);
        }
        return;
    }
    const QString dump = dir + u"/lists.dump"_s;
    tool(u"pg_dump"_s, {u"-Fc"_s, u"-n"_s, schema(), u"-f"_s, dump, QUrl(m_db->url()).path().mid(1)});
    const QString copy = u"%1_copy"_s.arg(schema());
    QUrl copyUrl(m_db->url()); // another database of the same server
    copyUrl.setPath(u'/' + copy);
    const auto drop = [&] { // a pooler keeps its connections
        m_db->exec(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(copy));
    };
    const auto all = [&] {
        tool(u"pg_restore"_s, {u"-d"_s, copy, dump});
    };
    const auto restored = [&](const char* how, const HistoryHead& kept, bool whole,
                              const std::function<void()>& restore) {
        SCOPED_TRACE(how);
        drop();
        m_db->exec(u"CREATE DATABASE "_s + copy);
        restore();
        expectCopy(copyUrl.toString(), kept, dir, whole);
    };
    restored("whole", head, true, all);
    // The data alone goes in as it was: the triggers that would record it again stay off.
    restored("schema, then data", head, true, [&] {
        tool(u"pg_restore"_s, {u"--schema-only"_s, u"-d"_s, copy, dump});
        tool(u"pg_restore"_s, {u"--data-only"_s, u"--disable-triggers"_s, u"-d"_s, copy, dump});
    });
    restored("one schema of a database holding others", head, true, [&] {
        // -n restores what is in the schema, not the schema itself.
        tool(u"psql"_s,
             {u"-q"_s, u"-d"_s, copy, u"-c"_s, u"CREATE SCHEMA other; CREATE SCHEMA %1"_s.arg(schema())});
        tool(u"pg_restore"_s, {u"-n"_s, schema(), u"-d"_s, copy, dump});
    });
    addEntry(u"CRDCARD"_s, u"Discover"_s);
    restored("a dump from before the newest change", ListHistory(host()).head(), false, all);
    drop();
}

VV_ON_BOTH_ENGINES(HistoryBackup);

} // namespace
} // namespace viVavazuruv::test
