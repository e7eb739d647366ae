// Hosts that leave the reference host (and the connection it lends) where
// statics die in an order nobody chose: the process must still exit cleanly.
//
//   vv_exit_order_host [MODE [DATABASE]]
//     MODE  component      (default) the component touched before anything else
//                          holds the host when the program leaves, no null put
//           local-static   the host lives in a function-local static made after
//                          the application object; null is put before leaving
//           global-static  the host lives in a global static (made before main);
//                          null is put before leaving
//     DATABASE sqlite (default), postgresql (the test server named by
//              VIVAVAZURUV_TEST_PG_URL; exits 77, "skipped", without one unless
//              CI=true) or a postgresql:// address
//   vv_exit_order_host --repeat N MODE [DATABASE]
//     runs the program N times in MODE and exits 0 only when every run exited
//     normally with 0 (a crash at exit shows in about one run in four).
#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/wkDatabases.h>

#include <QCoreApplication>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using viVavazuruv::ReferenceHost;

namespace {

// Where the host's database is: a file in a folder that outlives every host
// (it is never removed, as a static's folder would be gone before the static),
// or the PostgreSQL address given.
QString databaseUrl(const QString& database, const QString& mode) {
    if (database.startsWith(QStringLiteral("postgres"))) {
        // A schema per mode: the modes may run side by side on one server.
        const QChar joint = database.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
        return database + joint + QStringLiteral("schema=vv_exit_") + QString(mode).replace(u'-', u'_');
    }
    static QTemporaryDir* folder = [] {
        auto* dir = new QTemporaryDir; // never freed: statics may still use the file at exit
        dir->setAutoRemove(false);
        return dir;
    }();
    return QStringLiteral("sqlite:") + folder->filePath(QStringLiteral("office.db"));
}

// A request through the host and one through the connection it lends, so
// prepared statements, a kept statement and the driver all exist at exit.
void use(ReferenceHost& host) {
    host.setOption(QStringLiteral("ExitOrder"), QStringLiteral("1"));
    QSqlQuery q(host.GetConnection());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM UsrDefTable")) || !q.next())
        std::fprintf(stderr, "exit-order host: the lent connection did not answer\n");
}

std::shared_ptr<ReferenceHost> g_host; // global-static mode

ReferenceHost& localHost(const QString& url) {
    static ReferenceHost host(url);
    return host;
}

int repeat(int times, const QStringList& arguments) {
    for (int run = 1; run <= times; ++run) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), arguments);
        if (!child.waitForFinished(60000)) {
            std::fprintf(stderr, "exit-order host: run %d did not finish\n", run);
            return 1;
        }
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            std::fprintf(stderr, "exit-order host: run %d of %s ended %s (code %d)\n", run,
                         qPrintable(arguments.join(u' ')),
                         child.exitStatus() == QProcess::NormalExit ? "normally" : "by a signal",
                         child.exitCode());
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("component");
    if (mode == QStringLiteral("--repeat") && argc > 3) {
        if (argc > 4 && qstrcmp(argv[4], "postgresql") == 0 && qEnvironmentVariableIsEmpty("VIVAVAZURUV_TEST_PG_URL"))
            return qEnvironmentVariable("CI") == QStringLiteral("true") ? 1 : 77;
        QCoreApplication app(argc, argv);
        QStringList arguments = app.arguments().mid(3);
        return repeat(QString::fromLocal8Bit(argv[2]).toInt(), arguments);
    }
    QString database = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("sqlite");
    if (database == QStringLiteral("postgresql")) {
        database = qEnvironmentVariable("VIVAVAZURUV_TEST_PG_URL");
        if (database.isEmpty()) {
            std::fprintf(stderr, "exit-order host: VIVAVAZURUV_TEST_PG_URL is not set\n");
            return qEnvironmentVariable("CI") == QStringLiteral("true") ? 1 : 77;
        }
    }
    try {
        if (mode == QStringLiteral("component")) {
            viVavazuruv::wkDatabases::SetDialogs(nullptr);
            QCoreApplication app(argc, argv);
            QTemporaryDir folder;
            viVavazuruv::wkDatabases component;
            component.put_GIC(ReferenceHost::Open(databaseUrl(database, mode), {}, folder.path()));
            return 0;
        }
        QCoreApplication app(argc, argv);
        viVavazuruv::wkDatabases component;
        if (mode == QStringLiteral("local-static")) {
            ReferenceHost& host = localHost(databaseUrl(database, mode));
            component.put_GIC(std::shared_ptr<ReferenceHost>(&host, [](ReferenceHost*) {}));
            use(host);
        } else if (mode == QStringLiteral("global-static")) {
            g_host = ReferenceHost::Open(databaseUrl(database, mode));
            component.put_GIC(g_host);
            use(*g_host);
        } else {
            std::fprintf(stderr, "exit-order host: unknown mode %s\n", qPrintable(mode));
            return 2;
        }
        component.put_GIC(nullptr);
        return 0;
    } catch (const viVavazuruv::AutomationError& e) {
        std::fprintf(stderr, "exit-order host: %s\n", qPrintable(e.message()));
        return 1;
    }
}
