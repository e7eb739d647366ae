// The list history against the people who can reach the database: a
// workstation's role on PostgreSQL (ordinary rights, set up by vv-lists
// setup) tries every way to keep a change out of the history or take one
// back out, and a reader checks it with SELECT alone.
#include "HistorySupport.h"

#include <pgdriver/PgDriver.h>

#include <QSqlError>
#include <QUrl>
#include <QUrlQuery>

namespace viVavazuruv::test {
namespace {

const QString kRoles[] = {u"owner"_s, u"clerk"_s, u"auditor"_s};

class HistoryPrivileges : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        if (IsSkipped())
            return;
        m_suffix = QUrlQuery(QUrl(m_db->url())).queryItemValue(u"schema"_s);
        for (const QString& who : kRoles)
            m_db->exec(u"CREATE ROLE %1 LOGIN PASSWORD 'pw-%2'"_s.arg(role(who), who));
        m_granted = ListHistory(host()).setUpRoles({role(u"owner"_s), role(u"clerk"_s), role(u"auditor"_s)});
    }

    void TearDown() override {
        QSqlDatabase::removeDatabase(u"privileges"_s);
        if (m_suffix.isEmpty())
            return;
        m_db->exec(u"DROP OWNED BY %1, %2, %3 CASCADE"_s.arg(role(u"owner"_s), role(u"clerk"_s),
                                                             role(u"auditor"_s)));
        for (const QString& who : kRoles)
            m_db->exec(u"DROP ROLE IF EXISTS "_s + role(who));
    }

    QString role(const QString& who) const { return who + u'_' + m_suffix; }

    QString urlAs(const QString& who) const {
        QUrl url(m_db->url());
        url.setUserName(role(who));
        url.setPassword(u"pw-"_s + who);
        return url.toString();
    }

    // A connection of the role's own, as psql would give it, on the test's schema; one per test.
    QSqlDatabase connectAs(const QString& who) {
        pgdriver::registerPgDriver();
        QSqlDatabase db = QSqlDatabase::addDatabase(u"VVPSQL"_s, u"privileges"_s);
        QUrl url(urlAs(who));
        url.setQuery(QString()); // the schema is the host's setting, not libpq's
        db.setDatabaseName(url.toString());
        qobject_cast<pgdriver::PgDriver*>(db.driver())
            ->setTransactionSettings({{u"search_path"_s, m_suffix}});
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        return db;
    }

    // Runs each statement on db; gives the driver's reason for each refused, "" for one that ran.
    static QStringList refusals(const QSqlDatabase& db, const QStringList& statements) {
        QStringList reasons;
        for (const QString& statement : statements) {
            QSqlQuery q(db);
            reasons << (q.exec(statement) ? QString() : q.lastError().databaseText());
        }
        return reasons;
    }

    QString m_suffix;
    QString m_granted;
};

TEST_P(HistoryPrivileges, AWorkstationRoleCannotKeepAChangeOutOfTheHistoryNorTakeOneBackOut) {
    ASSERT_TRUE(m_granted.contains(role(u"owner"_s))) << m_granted.toStdString();
    // The host as the clerk's workstation opens it: it makes nothing, and its saves are recorded.
    ReferenceHost clerkHost(urlAs(u"clerk"_s), nullptr, m_folder.path());
    const qint32 visa = addEntry(u"CRDCARD"_s, u"Visa"_s, &clerkHost);
    const qint32 amex = addEntry(u"CRDCARD"_s, u"Amex"_s, &clerkHost);
    ListHistory history(clerkHost);
    const HistoryHead before = history.head();

    const QSqlDatabase clerk = connectAs(u"clerk"_s);
    EXPECT_EQ(refusals(clerk,
                       {// What turned recording off, and claimed another's name, before.
                        u"BEGIN"_s, u"SELECT set_config('viVavazuruv.recorded', 'on', true)"_s,
                        u"SELECT set_config('viVavazuruv.login', 'dr_smith', true)"_s,
                        u"UPDATE UsrDefTable SET usrdefDes = 'Visa Gold' WHERE usrdefInd = %1"_s.arg(visa),
                        u"INSERT INTO UsrDefTable (UsrDefCod, usrdefDes, OfficeID) VALUES ('CRDCARD', "
                        u"'Planted', 1)"_s,
                        u"COMMIT"_s,
                        // A writer whose search path names no schema of the lists still writes into
                        // this schema's history.
                        u"SET search_path = pg_catalog"_s,
                        u"DELETE FROM %1.UsrDefTable WHERE usrdefInd = %2"_s.arg(m_suffix).arg(amex),
                        u"SET search_path = "_s + m_suffix}),
              QStringList(9, QString()));

    // Every way at the history itself is refused by the server.
    const QStringList attacks{
        u"UPDATE UsrDefHistory SET SealNo = NULL, Hash = NULL"_s,
        u"DELETE FROM UsrDefHistory WHERE Action = 'delete'"_s,
        u"INSERT INTO UsrDefHistory (ChangedAt, Action) VALUES ('2026-01-01', 'insert')"_s,
        u"TRUNCATE UsrDefHistory"_s,
        u"DROP TABLE UsrDefHistory"_s,
        u"DELETE FROM UsrDefHistoryCheckpoint"_s,
        u"INSERT INTO UsrDefHistoryCheckpoint VALUES (1, 'x', 'now')"_s,
        u"ALTER TABLE UsrDefTable DISABLE TRIGGER ALL"_s,
        u"DROP TRIGGER UsrDefHistory_Update ON UsrDefTable"_s,
        u"CREATE OR REPLACE FUNCTION UsrDefHistory_Record() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN "
        u"RETURN NULL; END$$"_s,
        u"SET session_replication_role = replica"_s,
        u"CREATE TABLE UsrDefHistory2 (x int)"_s,
        u"TRUNCATE UsrDefTable"_s,
    };
    const QStringList refused = refusals(clerk, attacks);
    for (qsizetype i = 0; i < attacks.size(); ++i)
        EXPECT_TRUE(refused.at(i).contains(u"permission denied"_s) ||
                    refused.at(i).contains(u"must be owner"_s))
            << attacks.at(i).toStdString() << ": " << refused.at(i).toStdString();

    // The seal is the owner's work, which the clerk may ask for and cannot bend.
    EXPECT_EQ(refusals(clerk, {u"SELECT UsrDefHistory_Seal(true)"_s}), QStringList{QString()});

    EXPECT_TRUE(intact(history.verify({before})));
    const QList<ListChange> changes = history.changes({{u"CRDCARD"_s}, {}, {}, {}});
    ASSERT_EQ(changes.size(), 5);
    const ListChange& gold = changes.at(2);
    EXPECT_TRUE(gold.action == u"update"_s && gold.key == visa && gold.after.contains(u"Visa Gold"_s) &&
                gold.user == u"dr_smith"_s);
    EXPECT_TRUE(changes.at(3).action == u"insert"_s && changes.at(3).after.contains(u"Planted"_s));
    EXPECT_TRUE(changes.at(4).action == u"delete"_s && changes.at(4).key == amex);
    for (const ListChange& c : changes)
        EXPECT_EQ(c.account, role(u"clerk"_s));
}

TEST_P(HistoryPrivileges, AReaderChecksTheHistoryAndWritesNothing) {
    addEntry(u"SXTITLE"_s, u"Mr."_s);
    ReferenceHost reader(urlAs(u"auditor"_s), nullptr, m_folder.path(), ReferenceHost::Tables::MustExist);
    ListHistory history(reader);
    EXPECT_TRUE(intact(history.verify(), 1));
    EXPECT_EQ(history.changes({}).size(), 1);
    qint32 key = 0;
    expectError(
        [&] {
            reader.SaveRecord(1, u"UsrDefTable"_s, u"usrdefInd"_s, key, {u"UsrDefCod"_s}, {u"X"_s}, true);
        },
        ErrorCode::DatabaseError, u"permission denied"_s);
    const auto refused = [&](const QString& owner, const QString& clerk, const QString& named) {
        expectError(
            [&] {
                ListHistory(host()).setUpRoles({owner, clerk, {}});
            },
            ErrorCode::InvalidProcedureCall, named);
    };
    // The owner's role is a role of its own, and roles that are not there are named.
    refused(role(u"clerk"_s), role(u"clerk"_s), u"a role of its own"_s);
    refused(role(u"owner"_s), u"nobody_here"_s, u"\"nobody_here\""_s);
    // A workstation that may make objects anywhere could shadow what the trigger uses.
    const QString open = m_suffix + u"_open"_s;
    m_db->exec(u"CREATE SCHEMA %1"_s.arg(open));
    m_db->exec(u"GRANT CREATE ON SCHEMA %1 TO %2"_s.arg(open, role(u"clerk"_s)));
    refused(role(u"owner"_s), role(u"clerk"_s), u"may make objects in schema "_s + open);
    m_db->exec(u"DROP SCHEMA %1"_s.arg(open));
}

INSTANTIATE_TEST_SUITE_P(Engines, HistoryPrivileges, ::testing::Values(Engine::PostgreSQL),
                         [](const auto& info) { return engineName(info.param); });

} // namespace
} // namespace viVavazuruv::test
