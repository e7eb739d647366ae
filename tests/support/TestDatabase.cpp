#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <pgdriver/PgDriver.h>

#include <QAtomicInt>
#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

namespace viVavazuruv::test {

namespace {
QAtomicInt g_counter;

QString uniqueSuffix() {
    return QStringLiteral("%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(g_counter.fetchAndAddRelaxed(1))
        .arg(QRandomGenerator::global()->generate() % 1000000);
}
} // namespace

std::string engineName(Engine engine) {
    return engine == Engine::SQLite ? "SQLite" : "PostgreSQL";
}

std::unique_ptr<TestDatabase> TestDatabase::create(Engine engine, bool qtDriver) {
    std::unique_ptr<TestDatabase> t(new TestDatabase);
    t->m_engine = engine;
    t->m_qtDriver = qtDriver;
    t->m_connectionName = QStringLiteral("vvtest_") + uniqueSuffix();
    if (engine == Engine::SQLite) {
        t->m_dir = std::make_unique<QTemporaryDir>();
        t->m_url = QStringLiteral("sqlite:") + t->m_dir->filePath(QStringLiteral("test.db"));
    } else {
        const QString server = qEnvironmentVariable("VIVAVAZURUV_TEST_PG_URL");
        if (server.isEmpty()) {
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                ADD_FAILURE()
                    << "CI=true but VIVAVAZURUV_TEST_PG_URL is not set: PostgreSQL cases must run in CI";
            return nullptr;
        }
        t->m_schema = QStringLiteral("t_") + uniqueSuffix();
        QUrl url(server);
        QUrlQuery query(url);
        query.removeAllQueryItems(QStringLiteral("schema"));
        query.addQueryItem(QStringLiteral("schema"), t->m_schema);
        url.setQuery(query);
        t->m_url = url.toString();
    }
    return t->openConnection(t->m_connectionName) ? std::move(t) : nullptr;
}

bool TestDatabase::openConnection(const QString& name) const {
    const QUrl server(qEnvironmentVariable("VIVAVAZURUV_TEST_PG_URL"));
    QSqlDatabase db;
    if (m_engine == Engine::SQLite) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(m_url.mid(QStringLiteral("sqlite:").size()));
    } else if (m_qtDriver) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setConnectOptions(
            QStringLiteral("options='-csearch_path=%1 -cclient_min_messages=warning'").arg(m_schema));
        db.setHostName(server.host());
        db.setPort(server.port(5432));
        db.setUserName(server.userName());
        db.setPassword(server.password()); // empty: libpq's password file
        db.setDatabaseName(server.path().mid(1));
    } else {
        // The host's own driver, so a test's connection works wherever the host's
        // does (through a pooler in transaction mode too): the schema goes with
        // every transaction, never on the session.
        pgdriver::registerPgDriver();
        db = QSqlDatabase::addDatabase(QStringLiteral("VVPSQL"), name);
        db.setDatabaseName(server.toString());
        qobject_cast<pgdriver::PgDriver*>(db.driver())
            ->setTransactionSettings({{QStringLiteral("search_path"), m_schema},
                                      {QStringLiteral("client_min_messages"), QStringLiteral("warning")}});
    }
    if (!db.open()) {
        ADD_FAILURE() << db.lastError().text().toStdString();
        return false;
    }
    QSqlQuery q(db);
    if (m_engine == Engine::PostgreSQL &&
        !q.exec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS ") + m_schema)) {
        ADD_FAILURE() << "PostgreSQL schema: " << q.lastError().text().toStdString();
        return false;
    }
    return true;
}

QSqlDatabase TestDatabase::db() const {
    return QSqlDatabase::database(m_connectionName, false);
}

QSqlDatabase TestDatabase::openAnother(const QString& connectionName) const {
    return openConnection(connectionName) ? QSqlDatabase::database(connectionName, false) : QSqlDatabase();
}

void TestDatabase::exec(const QString& statement) const {
    QSqlQuery q(db());
    if (!q.exec(statement))
        ADD_FAILURE() << statement.toStdString() << ": " << q.lastError().text().toStdString();
}

TestDatabase::~TestDatabase() {
    if (m_engine == Engine::PostgreSQL && !m_schema.isEmpty() && db().isOpen())
        QSqlQuery(db()).exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema));
    db().close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

} // namespace viVavazuruv::test
