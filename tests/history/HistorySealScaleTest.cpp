// Sealing a history of thousands of changes in one go, past the sizes the
// sealer writes a batch at a time: an import, runs of updates, another
// program's changes; every change comes out with the rows it left, in the
// order it was made. On SQLite also: entries that cannot be read keep their
// place, and a seal that fails half way leaves nothing of itself behind.
#include "HistorySupport.h"

#include <map>

using namespace viVavazuruv;
using namespace viVavazuruv::test;

namespace {

constexpr qint32 kImported = 2345;

class HistorySealScale : public HistoryTest {
protected:
    // What each change should show, in the order the changes were made: its number, action and key,
    // the descriptions before and after ("" for no row), its user, list and office.
    using Shown = std::tuple<qint64, QString, qint32, QString, QString, QString, QString, qint32>;
    QList<Shown> m_expected;
    std::map<qint32, QString> m_now; // each key's description as it stands

    void expect(const QString& action, qint32 key, const QString& after, const QString& user) {
        const QString before = m_now.count(key) ? m_now[key] : QString();
        m_expected << Shown(m_expected.size() + 1, action, key, before, after, user, u"PROCS"_s, 1);
        if (action == u"delete"_s)
            m_now.erase(key);
        else
            m_now[key] = after;
    }

    // One statement's import of rows in one run of saves: the keys it is given, in order.
    qint32 import(qint32 rows, const QString& tail = {}) {
        EXPECT_TRUE(host().BeginSaveRecords());
        QSqlQuery q(host().GetConnection());
        EXPECT_TRUE(q.exec(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                           u"INSERT INTO UsrDefTable (UsrDefCod, usrdefDes, OfficeID) "
                           u"SELECT 'PROCS', 'P' || i || '%2', 1 FROM n ORDER BY i"_s.arg(rows)
                               .arg(tail)))
            << q.lastError().text().toStdString();
        host().EndSaveRecords(true);
        EXPECT_TRUE(q.exec(u"SELECT usrdefInd, usrdefDes FROM UsrDefTable ORDER BY usrdefInd"_s));
        qint32 first = 0;
        while (q.next()) {
            first = first ? first : q.value(0).toInt();
            expect(u"insert"_s, q.value(0).toInt(), q.value(1).toString(), u"DR_SMITH"_s);
        }
        return first;
    }

    // SQLite: whether the seal's table of the host's connection outlived the seal.
    bool workTableLeft() const {
        return scalar(u"SELECT COUNT(*) FROM temp.sqlite_master WHERE name LIKE '%SealWork%'"_s) > 0;
    }

    // One seal writes every change out as it was made, and the chain holds.
    void expectSealedAsMade() {
        EXPECT_EQ(history().seal(), m_expected.size());
        const QList<ListChange> changes = history().changes(ChangeFilter{});
        ASSERT_EQ(changes.size(), m_expected.size());
        for (qsizetype i = 0, wrong = 0; i < changes.size() && wrong < 5; ++i) {
            const ListChange& c = changes.at(i);
            const Shown shown(c.change, c.action, c.key, field(c.before, u"usrdefDes"_s),
                              field(c.after, u"usrdefDes"_s), c.user, c.list, c.office);
            EXPECT_EQ(shown, m_expected.at(i)) << "change " << i + 1;
            wrong += shown != m_expected.at(i);
        }
        const HistoryCheck check = history().verify();
        EXPECT_TRUE(check.intact) << check.reason.toStdString();
        EXPECT_EQ(check.head.change, m_expected.size());
    }

    void update(qint32 key, const QString& description) {
        ASSERT_TRUE(describe(key, description));
        expect(u"update"_s, key, description, u"DR_SMITH"_s);
    }
};
VV_ON_BOTH_ENGINES(HistorySealScale);

TEST_P(HistorySealScale, ThousandsOfChangesSealedAtOnceShowTheRowsEachLeftInTheOrderTheyWereMade) {
    const qint32 first = import(kImported);
    ASSERT_EQ(m_now.size(), size_t(kImported));

    // A run of 250 updates, one key twice: the first one's row after is the second one's row before.
    ASSERT_TRUE(host().BeginSaveRecords());
    for (int i = 0; i < 250; ++i)
        update(first + i * 37 % kImported, u"A%1"_s.arg(i));
    update(first + 37, u"A again"_s);
    host().EndSaveRecords(true);

    // Another program, one change at a time in a transaction of its own.
    ASSERT_TRUE(m_db->db().transaction());
    for (qint32 key = first; key < first + 2100; ++key) {
        m_db->exec(u"UPDATE UsrDefTable SET usrdefDes = 'F%1' WHERE usrdefInd = %1"_s.arg(key));
        expect(u"update"_s, key, u"F%1"_s.arg(key), QString());
    }
    ASSERT_TRUE(m_db->db().commit());

    // A run that deletes a row, adds one and changes it, and changes the last imported one.
    ASSERT_TRUE(host().BeginSaveRecords());
    deleteAsThePickerDoes(first + 37);
    expect(u"delete"_s, first + 37, QString(), u"DR_SMITH"_s);
    qint32 added = 0;
    ASSERT_TRUE(saveEntry(added, {u"UsrDefCod"_s, u"usrdefDes"_s}, {u"PROCS"_s, u"New"_s}));
    expect(u"insert"_s, added, u"New"_s, u"DR_SMITH"_s);
    update(added, u"New, revised"_s);
    update(first + kImported - 1, u"Last"_s);
    host().EndSaveRecords(true);

    expectSealedAsMade();
    EXPECT_EQ(history().seal(), 0);
    if (postgres())
        return;
    // The entries' changes are numbered after every change before, in seal order. (An entry
    // left over shows in the changes above, or in the second seal.)
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM (SELECT ChangeNo, LAG(ChangeNo) OVER (ORDER BY SealNo) AS prev "
                     u"FROM UsrDefHistory WHERE LoginName = 'DR_SMITH') WHERE ChangeNo < prev"_s),
              0);
    EXPECT_FALSE(workTableLeft());
}

TEST_P(HistorySealScale, EntriesThatCannotBeReadKeepTheirPlaceAndAnEmptyOneGoes) {
    if (postgres())
        GTEST_SKIP() << "entries of several changes are SQLite's way of recording a run";
    const qint32 key = addEntry(u"ALERT"_s, u"Latex"_s);
    for (const QString& entry : {u"{not json"_s, u"{\"changes\":[]}"_s})
        plant(entry);
    ASSERT_TRUE(describe(key, u"Latex, severe"_s));

    EXPECT_EQ(history().seal(), 3);
    const QList<ListChange> changes = history().changes(ChangeFilter{});
    ASSERT_EQ(changes.size(), 3);
    EXPECT_EQ(QStringList({changes[0].action, changes[1].action, changes[2].action}),
              QStringList({u"insert"_s, u"pack"_s, u"update"_s}));
    EXPECT_EQ(field(changes[0].after, u"usrdefDes"_s), u"Latex"_s);
    EXPECT_EQ(field(changes[2].after, u"usrdefDes"_s), u"Latex, severe"_s);
    EXPECT_EQ(changes[1].after, u"{not json"_s);
    const HistoryCheck check = history().verify();
    EXPECT_TRUE(!check.intact && check.firstBroken == 2 && check.reason.contains(u"cannot be read"_s))
        << check.reason.toStdString();
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefHistory WHERE Action = 'pack'"_s), 1);
}

TEST_P(HistorySealScale, ASealThatFailsHalfWayLeavesTheHistoryAsItWasAndTheNextSealsItAll) {
    if (postgres())
        GTEST_SKIP() << "PostgreSQL seals in the server's function, one transaction whatever it meets";
    const qint32 first = import(300);
    m_db->exec(u"UPDATE UsrDefTable SET usrdefDes = 'Changed elsewhere' WHERE usrdefInd = %1"_s.arg(first));
    // Refuses a write past the first batch of the seal's.
    m_db->exec(u"CREATE TRIGGER Refuse BEFORE INSERT ON UsrDefHistory WHEN NEW.SealNo > 150 BEGIN SELECT "
               u"RAISE(ABORT, 'refused'); END"_s);
    const auto unsealed = [&] {
        return std::pair(scalar(u"SELECT COUNT(*) FROM UsrDefHistory WHERE SealNo IS NULL"_s),
                         scalar(u"SELECT COUNT(*) FROM UsrDefHistory"_s));
    };
    EXPECT_EQ(unsealed(), std::pair(2LL, 2LL));
    EXPECT_THROW(history().seal(), AutomationError);
    EXPECT_EQ(unsealed(), std::pair(2LL, 2LL));
    EXPECT_FALSE(workTableLeft());

    m_db->exec(u"DROP TRIGGER Refuse"_s);
    EXPECT_EQ(history().seal(), 301);
    EXPECT_TRUE(intact(history().verify(), 301));
}

TEST_P(HistorySealScale, ARunOfMoreChangesThanAnEntryHoldsIsWrittenInPartsAndSealedInOrder) {
    if (postgres())
        GTEST_SKIP() << "entries of several changes are SQLite's way of recording a run";
    // 1,500 before-images of a kilobyte each: more than one entry's worth.
    const qint32 first = import(1500, QString(1000, u'x'));
    ASSERT_TRUE(host().BeginSaveRecords());
    run(u"Delete * from UsrDefTable where UsrDefCod='PROCS'"_s);
    for (qint32 key = first; key < first + 1500; ++key)
        expect(u"delete"_s, key, QString(), u"DR_SMITH"_s);
    qint32 added = 0;
    ASSERT_TRUE(saveEntry(added, {u"UsrDefCod"_s, u"usrdefDes"_s}, {u"PROCS"_s, u"New"_s}));
    expect(u"insert"_s, added, u"New"_s, u"DR_SMITH"_s);
    host().EndSaveRecords(true);
    EXPECT_GE(scalar(u"SELECT COUNT(*) FROM UsrDefHistory WHERE Action = 'pack'"_s), 3);
    EXPECT_LT(scalar(u"SELECT MAX(LENGTH(RowAfter)) FROM UsrDefHistory"_s), 1100000);

    expectSealedAsMade();
}

} // namespace
