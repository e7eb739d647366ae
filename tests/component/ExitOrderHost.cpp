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
// A crash at exit shows in about one run in four: the tests run it many times.
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/wkDatabases.h>

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;
using viVavazuruv::ReferenceHost;

namespace {

// Where the host's database is: a file in a folder that outlives every host
// (it is never removed, as a static's folder would be gone before the static),
// or the PostgreSQL address given, with a schema per mode: the modes may run
// side by side on one server.
QString databaseUrl(const QString& database, const QString& mode) {
    if (database.startsWith(u"postgres"_s))
        return database + (database.contains(u'?') ? u'&' : u'?') + u"schema=vv_exit_"_s +
               QString(mode).replace(u'-', u'_');
    static QTemporaryDir* folder = new QTemporaryDir; // never freed: statics may still use the file at exit
    folder->setAutoRemove(false);
    return u"sqlite:"_s + folder->filePath(u"office.db"_s);
}

// A request through the host and one through the connection it lends, so
// prepared statements, a kept statement and the driver all exist at exit.
void use(ReferenceHost& host) {
    host.setOption(u"ExitOrder"_s, u"1"_s);
    QSqlQuery q(host.GetConnection());
    if (!q.exec(u"SELECT COUNT(*) FROM UsrDefTable"_s) || !q.next())
        std::fprintf(stderr, "exit-order host: the lent connection did not answer\n");
}

std::shared_ptr<ReferenceHost> g_host; // global-static mode

} // namespace

int main(int argc, char** argv) {
    // The component's statics made before the application's.
    if (argc < 2 || qstrcmp(argv[1], "component") == 0)
        viVavazuruv::wkDatabases::SetDialogs(nullptr);
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0, u"component"_s);
    QString database = args.value(1, u"sqlite"_s);
    if (database == u"postgresql"_s) {
        database = qEnvironmentVariable("VIVAVAZURUV_TEST_PG_URL");
        if (database.isEmpty()) {
            std::fprintf(stderr, "exit-order host: VIVAVAZURUV_TEST_PG_URL is not set\n");
            return qEnvironmentVariable("CI") == u"true"_s ? 1 : 77;
        }
    }
    // A host that cannot be opened raises out of main: the run ends with a status other than 0.
    QTemporaryDir folder;
    viVavazuruv::wkDatabases component;
    if (mode == u"component"_s) {
        component.put_GIC(ReferenceHost::Open(databaseUrl(database, mode), {}, folder.path()));
        return 0;
    }
    if (mode == u"local-static"_s) {
        static ReferenceHost host(databaseUrl(database, mode));
        component.put_GIC(std::shared_ptr<ReferenceHost>(&host, [](ReferenceHost*) {}));
        use(host);
    } else { // global-static
        g_host = ReferenceHost::Open(databaseUrl(database, mode));
        component.put_GIC(g_host);
        use(*g_host);
    }
    component.put_GIC(nullptr);
    return 0;
}
