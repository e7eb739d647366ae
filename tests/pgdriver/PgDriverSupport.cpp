#include "PgDriverSupport.h"

#include <QAtomicInt>
#include <QFile>
#include <QSqlError>
#include <QUrl>

namespace viVavazuruv::pgdriver::test {

namespace {
QAtomicInt g_counter;
} // namespace

QString serverUrl() {
    // The driver's own cases want the server itself (temporary tables, backend
    // ids); behind a pooler they take the server's address, and the pooling
    // case starts a pooler of its own.
    const QString direct = qEnvironmentVariable("VIVAVAZURUV_TEST_PG_SERVER_URL");
    return direct.isEmpty() ? qEnvironmentVariable("VIVAVAZURUV_TEST_PG_URL") : direct;
}

QString serverPassword() {
    const QUrl url(serverUrl());
    if (!url.password().isEmpty())
        return url.password();
    QFile file(qEnvironmentVariable("PGPASSFILE"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // host:port:database:user:password, as libpq reads it (no escaped colons in ours)
    while (!file.atEnd()) {
        const QStringList fields = QString::fromUtf8(file.readLine().trimmed()).split(u':');
        if (fields.size() == 5 && fields[3] == url.userName())
            return fields[4];
    }
    return {};
}

void PgDriverTest::SetUp() {
    if (serverUrl().isEmpty()) {
        // In CI a missing server is a failure, so these cases never go quietly unrun there.
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            FAIL() << "CI=true but VIVAVAZURUV_TEST_PG_URL is not set";
        GTEST_SKIP() << "PostgreSQL is not available (set VIVAVAZURUV_TEST_PG_URL, or run scripts/test)";
    }
    registerPgDriver();
    m_db = connect(QStringLiteral("main"));
    ASSERT_TRUE(m_db.isOpen());
}

void PgDriverTest::TearDown() {
    m_db = QSqlDatabase();
    for (const QString& name : std::as_const(m_names)) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}

QSqlDatabase PgDriverTest::connect(const QString& label, bool open) {
    const QString name = QStringLiteral("vvpg_%1_%2").arg(label).arg(g_counter.fetchAndAddRelaxed(1));
    m_names.append(name);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("VVPSQL"), name);
    db.setDatabaseName(serverUrl());
    if (open && !db.open())
        ADD_FAILURE() << db.lastError().text().toStdString();
    return db;
}

PgDriver* PgDriverTest::driverOf(const QSqlDatabase& db) const {
    return qobject_cast<PgDriver*>(db.driver());
}

QVariant PgDriverTest::scalar(const QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next()) {
        ADD_FAILURE() << sql.toStdString() << ": " << q.lastError().text().toStdString();
        return {};
    }
    return q.value(0);
}

QSqlQuery PgDriverTest::bound(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
    QSqlQuery q(db);
    EXPECT_TRUE(q.prepare(sql)) << sql.toStdString();
    for (const QVariant& value : values)
        q.addBindValue(value);
    EXPECT_TRUE(q.exec()) << sql.toStdString() << ": " << q.lastError().text().toStdString();
    return q;
}

void PgDriverTest::run(const QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        ADD_FAILURE() << sql.toStdString() << ": " << q.lastError().text().toStdString();
}

} // namespace viVavazuruv::pgdriver::test
