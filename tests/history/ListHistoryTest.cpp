// The list history on both engines: who changed what, whatever wrote it;
// a restore; the chain of seals and what breaks it.
#include "HistorySupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using namespace viVavazuruv;
using namespace viVavazuruv::test;

namespace {

class ListHistoryTest : public HistoryTest {};
VV_ON_BOTH_ENGINES(ListHistoryTest);

// A run of saves as the picker's Done makes it, a run rolled back, a save
// alone, another program's write and the picker's delete: each kept change
// carries its user and the rows it left, though they changed before the seal.
TEST_P(ListHistoryTest, EveryWriteIsRecordedWithItsUserAndTheRowsItLeftWhoeverMakesIt) {
    qint32 key = 0;
    ASSERT_TRUE(host().BeginSaveRecords());
    ASSERT_TRUE(saveEntry(key, {u"UsrDefCod"_s, u"usrdefDes"_s}, {u"ALERT"_s, u"Penicillin"_s}));
    host().EndSaveRecords(true);
    ASSERT_TRUE(host().BeginSaveRecords()); // rolled back: nothing of it is kept
    ASSERT_TRUE(describe(key, u"Never saved"_s));
    host().EndSaveRecords(false);
    ASSERT_TRUE(describe(key, u"Penicillin, severe"_s));
    // Another program's connection knows nothing of the host and still writes.
    m_db->exec(
        u"UPDATE UsrDefTable SET usrdefSeqCod = 'PEN', usrdefDes = 'All' WHERE usrdefInd = %1"_s.arg(key));
    deleteAsThePickerDoes(key);

    const QList<ListChange> changes = changesOf(key);
    ASSERT_EQ(changes.size(), 4);
    const QStringList actions{changes[0].action, changes[1].action, changes[2].action, changes[3].action};
    EXPECT_EQ(actions, QStringList({u"insert"_s, u"update"_s, u"update"_s, u"delete"_s}));
    const QStringList users{changes[0].user, changes[1].user, changes[2].user, changes[3].user};
    EXPECT_EQ(users, QStringList({u"DR_SMITH"_s, u"DR_SMITH"_s, QString(), u"DR_SMITH"_s}));
    EXPECT_EQ(std::pair(changes[0].workstation, changes[1].workstation),
              std::pair(host().workstationName(), host().workstationName()));
    EXPECT_EQ(field(changes[0].after, u"usrdefDes"_s), u"Penicillin"_s);
    EXPECT_EQ(field(changes[1].before, u"usrdefDes"_s), u"Penicillin"_s);
    EXPECT_EQ(field(changes[1].after, u"usrdefDes"_s), u"Penicillin, severe"_s);
    EXPECT_EQ(field(changes[2].after, u"usrdefDes"_s), u"All"_s);
    EXPECT_EQ(field(changes[3].before, u"usrdefSeqCod"_s), u"PEN"_s);
    EXPECT_TRUE(changes[0].before.isEmpty() && changes[3].after.isEmpty());
    for (const ListChange& c : changes)
        EXPECT_EQ(std::tuple(c.list, c.key, c.office), std::tuple(u"ALERT"_s, key, 1)) << c.change;
    EXPECT_TRUE(changes[0].at.endsWith(u'Z') && changes[0].at <= changes[3].at);
    EXPECT_TRUE(intact(history().verify()));
    // The host's LastChange from these changes: ConflictCheckTest's question names who and when.
}

TEST_P(ListHistoryTest, AHostWithoutUserInItsEnvironmentIsNamedByItsAccount) {
    const QByteArray user = qgetenv("USER");
    qunsetenv("USER");
    const auto unnamed = anotherHost();
    qputenv("USER", user);
    const passwd* self = getpwuid(geteuid());
    ASSERT_TRUE(self);
    // Its changes carry its login as every host's do (EveryWriteIsRecorded...); their account: ListToolsTest.
    EXPECT_EQ(unnamed->loginName(), QString::fromLocal8Bit(self->pw_name));
}

// Two workstations saving in turn, alone and in runs: behind a pooler their
// statements share server connections, and each change still carries the
// name of the workstation that made it.
TEST_P(ListHistoryTest, WorkstationsSavingInTurnEachRecordTheirOwnName) {
    const auto other = anotherHost();
    other->setLoginName(u"DR_JONES"_s);
    QHash<qint32, QString> madeBy;
    for (int i = 0; i < 12; ++i) {
        ReferenceHost* h = i % 2 ? other.get() : &host();
        const bool run = i % 3 == 0;
        ASSERT_TRUE(!run || h->BeginSaveRecords());
        madeBy.insert(addEntry(u"ALERT"_s, u"entry %1"_s.arg(i), h), i % 2 ? u"DR_JONES"_s : u"DR_SMITH"_s);
        if (run)
            h->EndSaveRecords(true);
    }
    for (auto it = madeBy.cbegin(); it != madeBy.cend(); ++it)
        EXPECT_EQ(changesOf(it.key()).value(0).user, it.value()) << "key " << it.key();
}

TEST_P(ListHistoryTest, AnUpdateThatWaitedForAnotherSessionRecordsTheRowItReplaced) {
    if (GetParam() != Engine::PostgreSQL)
        GTEST_SKIP() << "SQLite lets one connection write at a time";
    const qint32 key = addEntry(u"ALERT"_s, u"Iodine"_s);
    std::atomic<bool> holding = false;
    std::thread other([&] {
        auto second = anotherHost(); // a connection of this thread's own
        QSqlDatabase db = second->GetConnection();
        db.transaction();
        QSqlQuery(db).exec(
            u"UPDATE UsrDefTable SET usrdefDes = 'Iodine, severe' WHERE usrdefInd = %1"_s.arg(key));
        holding = true;
        QThread::msleep(300); // the run's update starts meanwhile and waits for the row
        db.commit();
    });
    while (!holding)
        QThread::msleep(5);
    ASSERT_TRUE(host().BeginSaveRecords());
    const bool saved = describe(key, u"Iodine, mild"_s);
    host().EndSaveRecords(true);
    other.join();

    EXPECT_TRUE(saved);
    const QList<ListChange> changes = changesOf(key);
    ASSERT_EQ(changes.size(), 3);
    EXPECT_EQ(field(changes[2].before, u"usrdefDes"_s), u"Iodine, severe"_s);
    EXPECT_EQ(field(changes[2].after, u"usrdefDes"_s), u"Iodine, mild"_s);
}

TEST_P(ListHistoryTest, ARestoreBringsBackADeletedRowOnlyWhileNothingMovedOn) {
    const qint32 key = addEntry(u"ALERT"_s, u"Latex"_s);
    deleteAsThePickerDoes(key);
    const qint64 deleted = changesOf(key).last().change;
    // Its preview changes nothing, and the row comes back as it was: the desk's ListHistoryWindowTest.
    history().restore(deleted);
    const ListChange restored = changesOf(key).last();
    EXPECT_EQ(std::tuple(restored.action, restored.user), std::tuple(u"insert"_s, u"DR_SMITH"_s));
    EXPECT_THROW(history().restore(deleted), RestoreRefused); // the key is in use again

    describe(key, u"Latex gloves"_s);
    const qint64 edited = changesOf(key).last().change;
    describe(key, u"Latex, all"_s);
    EXPECT_THROW(history().restore(edited), RestoreRefused); // changed again since
    history().restore(changesOf(key).last().change);
    EXPECT_EQ(description(key), u"Latex gloves"_s);
}

TEST_P(ListHistoryTest, VerifyFindsAnAlteredARemovedAndAReorderedChangeAndPruningKeepsItIntact) {
    for (int i = 0; i < 5; ++i) {
        if (i == 3)
            QThread::msleep(5); // the prune's boundary falls between the third and fourth change
        addEntry(u"ALERT"_s, u"Entry %1"_s.arg(i));
    }
    ASSERT_TRUE(intact(history().verify(), 5));
    const qint64 first = scalar(u"SELECT MIN(SealNo) FROM UsrDefHistory"_s);

    const QString tampering[] = {
        u"UPDATE UsrDefHistory SET RowAfter = replace(RowAfter, 'Entry 2', 'Entry 9') WHERE SealNo = %1"_s,
        u"DELETE FROM UsrDefHistory WHERE SealNo = %1"_s,
        u"UPDATE UsrDefHistory SET SealNo = -SealNo WHERE SealNo IN (%1, %1 + 1); UPDATE UsrDefHistory SET "
        u"SealNo = CASE WHEN SealNo = -%1 THEN %1 + 1 ELSE %1 END WHERE SealNo < 0"_s,
    };
    const qint64 target = first + 2;
    for (const QString& statements : tampering)
        tampered(statements.arg(target), [&] {
            const HistoryCheck broken = history().verify();
            // The change tampered with, or the one that no longer links to it.
            EXPECT_TRUE(!broken.intact && (broken.firstBroken == target || broken.firstBroken == target + 1))
                << statements.toStdString() << ": " << broken.reason.toStdString();
        });

    ASSERT_TRUE(history().verify().intact);
    EXPECT_EQ(history().pruneBefore(history().change(first + 3)->at), 3);
    addEntry(u"ALERT"_s, u"After the prune"_s);
    EXPECT_TRUE(intact(history().verify(), 3));
    m_db->exec(u"DELETE FROM UsrDefHistory WHERE SealNo = %1"_s.arg(first + 3));
    EXPECT_FALSE(history().verify().intact); // the first change after the checkpoint is watched too
}

TEST_P(ListHistoryTest, AHeadKeptOutsideFindsAHistoryCutShortEmptiedOrMadeAgainAndHostileEntriesAreFindings) {
    // The host keeps every new head in a file of its data folder; a row saved
    // alone is sealed (and its head kept) once the host is idle again.
    host().setHistoryAnchorFile(u"anchors.txt"_s);
    QList<qint32> keys;
    for (int i = 0; i < 5; ++i) {
        keys << addEntry(u"ALERT"_s, u"Entry %1"_s.arg(i));
        QCoreApplication::processEvents();
        EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefHistory WHERE SealNo IS NULL"_s, true), 0) << i;
    }
    const HistoryCheck before = history().verify();
    ASSERT_TRUE(before.intact) << before.reason.toStdString();
    const HistoryHead head = before.head;
    EXPECT_EQ(head.change, 5);
    QFile anchors(host().historyAnchorFile());
    ASSERT_TRUE(anchors.open(QIODevice::ReadOnly)) << anchors.fileName().toStdString();
    QList<HistoryHead> kept;
    for (const QByteArray& line : anchors.readAll().split('\n'))
        if (const auto h = HistoryHead::parse(QString::fromUtf8(line)))
            kept << *h;
    ASSERT_EQ(kept.size(), 5);
    EXPECT_EQ(kept.last().text(), head.text());
    EXPECT_TRUE(history().verify(kept).intact);

    const struct {
        QString statements;
        QString found; // with the head kept outside; without, the lists no longer match their history
    } attacks[] = {
        // Unsealed, one change deleted, sealed again by the next reader.
        {u"UPDATE UsrDefHistory SET SealNo = NULL, Hash = NULL WHERE SealNo >= 3; DELETE FROM UsrDefHistory "
         u"WHERE usrdefInd = %1"_s.arg(keys.at(3)),
         u"changes were removed from its end"_s},
        // The newest changes deleted.
        {u"DELETE FROM UsrDefHistory WHERE SealNo >= 4"_s, u"changes were removed from its end"_s},
        // A change altered and the whole chain sealed again from the start.
        {u"UPDATE UsrDefHistory SET RowAfter = replace(RowAfter, 'Entry 1', 'Entry 9'), "
         u"SealNo = NULL, Hash = NULL"_s,
         u"made again from there"_s},
        // The whole history deleted, while the lists hold rows.
        {u"DELETE FROM UsrDefHistory"_s, u"history was removed"_s},
    };
    for (const auto& attack : attacks)
        tampered(attack.statements, [&] {
            EXPECT_FALSE(history().verify().intact) << attack.statements.toStdString();
            EXPECT_TRUE(broken(history().verify({head}), {attack.found})) << attack.statements.toStdString();
        });
    ASSERT_TRUE(history().verify({head}).intact);

    // Entries written by hand that no trigger writes: a range of keys never
    // given out, and text that is no JSON. Each is sealed as found, never
    // dropped, and named by the check; nothing runs out of memory.
    for (const QString& entry : {u"{\"changes\":[[\"inserts\",1,4000000000]]}"_s, u"{not json"_s}) {
        SCOPED_TRACE(entry.toStdString());
        plant(entry);
        EXPECT_TRUE(broken(history().verify({head}), {u"cannot be read"_s}));
        EXPECT_EQ(
            scalar(u"SELECT COUNT(*) FROM UsrDefHistory WHERE Action = 'pack' AND SealNo IS NOT NULL"_s), 1);
        EXPECT_THROW(history().restore(scalar(u"SELECT SealNo FROM UsrDefHistory WHERE Action = 'pack'"_s)),
                     RestoreRefused);
        m_db->exec(u"DELETE FROM UsrDefHistory WHERE Action = 'pack'"_s);
    }

    // The history's table dropped: a workstation still opens and reads the
    // lists, verify names what is gone, and a save fails rather than go unrecorded.
    m_host.reset();
    m_db->exec(u"DROP TABLE UsrDefHistory"_s);
    m_host = anotherHost();
    EXPECT_EQ(load(u"ALERT"_s).size(), 5);
    EXPECT_TRUE(broken(history().verify({head}), {u"UsrDefHistory is missing"_s}));
    EXPECT_NE(errorOf([&] { describe(keys.first(), u"Unrecorded"_s); }), 0);
    EXPECT_EQ(description(keys.first()), u"Entry 0"_s);
}

// The database's owner on PostgreSQL, anyone with the file on SQLite, can
// write with the triggers off; the chain stays whole, the lists no longer
// match it, and verify says which row and how.
TEST_P(ListHistoryTest, AChangeMadeWithTheRecordingOffIsFoundByTheRowItLeft) {
    const qint32 kept = addEntry(u"ALERT"_s, u"Iodine"_s);
    const qint32 other = addEntry(u"ALERT"_s, u"Latex"_s);
    ASSERT_TRUE(history().verify().intact);
    const struct {
        QString change, undo, found;
    } unrecorded[] = {
        {u"UPDATE UsrDefTable SET usrdefDes = 'Iodine, severe' WHERE usrdefInd = %1"_s.arg(kept),
         u"UPDATE UsrDefTable SET usrdefDes = 'Iodine' WHERE usrdefInd = %1"_s.arg(kept),
         u"row %1 of list ALERT is not as its last recorded change (change 1) left it"_s.arg(kept)},
        {u"INSERT INTO UsrDefTable (UsrDefCod, usrdefDes, OfficeID) VALUES ('ALERT', 'Planted', 1)"_s,
         u"DELETE FROM UsrDefTable WHERE usrdefDes = 'Planted'"_s, u"no change of it was recorded"_s},
        {u"DELETE FROM UsrDefTable WHERE usrdefInd = %1"_s.arg(other),
         u"INSERT INTO UsrDefTable (UsrDefCod, usrdefDes, OfficeID, usrdefInd) "
         u"VALUES ('ALERT', 'Latex', 1, %1)"_s.arg(other),
         u"row %1 is not in the lists, but its last recorded change (change 2) left it there"_s.arg(other)},
    };
    const auto recording = [&](bool on) {
        if (postgres())
            m_db->exec(u"ALTER TABLE UsrDefTable %1 TRIGGER USER"_s.arg(on ? u"ENABLE"_s : u"DISABLE"_s));
        else if (on)
            anotherHost(); // a host opening the file makes the triggers again
        else
            for (const QString& kind : {u"Insert"_s, u"Update"_s, u"Delete"_s})
                m_db->exec(u"DROP TRIGGER UsrDefHistory_"_s + kind);
    };
    for (const auto& c : unrecorded) {
        SCOPED_TRACE(c.change.toStdString());
        recording(false);
        m_db->exec(c.change);
        EXPECT_TRUE(broken(history().verify(), {c.found, u"recording off"_s}));
        m_db->exec(c.undo);
        recording(true);
        EXPECT_TRUE(history().verify().intact);
    }
    // Recorded again, the same changes are the history's and nothing is found.
    m_db->exec(unrecorded[0].change);
    EXPECT_TRUE(history().verify().intact);
    // A change written by hand whose row after is no JSON tells nothing to compare: a finding, named.
    m_db->exec(u"INSERT INTO UsrDefHistory (ChangedAt, Action, usrdefInd, RowAfter) VALUES ('2026-12-07', "
               u"'update', %1, '{not json')"_s.arg(kept));
    EXPECT_TRUE(broken(history().verify(), {u"(key %1) cannot be read"_s.arg(kept)}));
}

TEST_P(ListHistoryTest, AnAddedColumnIsKeptAndAConnectionMadeAgainStillNamesItsUser) {
    m_db->exec(u"ALTER TABLE UsrDefTable ADD COLUMN Fee integer"_s);
    auto reopened = anotherHost(); // makes the triggers again, with the new column
    reopened->setLoginName(u"DR_JONES"_s);
    qint32 key = 0;
    ASSERT_TRUE(saveEntry(key, {u"UsrDefCod"_s, u"usrdefDes"_s, u"Fee"_s}, {u"FEES"_s, u"Exam"_s, u"45"_s},
                          reopened.get()));
    reopened->GetConnection().close(); // the next statement makes the connection again
    ASSERT_TRUE(saveEntry(key, {u"Fee"_s}, {u"50"_s}, reopened.get()));

    const QList<ListChange> changes = changesOf(key);
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(std::tuple(field(changes[0].after, u"Fee"_s), field(changes[1].after, u"Fee"_s)),
              std::tuple(u"45"_s, u"50"_s));
    EXPECT_EQ(std::pair(changes[0].user, changes[1].user), std::pair(u"DR_JONES"_s, u"DR_JONES"_s));
}

TEST_P(ListHistoryTest, FiltersARestoredInsertAndAnotherOfficesChange) {
    // A list's changes by its code in any case: the desk's ListHistoryWindowTest.
    const qint32 key = addEntry(u"ALERT"_s, u"Aspirin"_s);
    EXPECT_TRUE(history().changes({{}, {}, u"2999-01-01"_s, {}}).isEmpty()); // since a day to come
    EXPECT_TRUE(history().changes({{}, {}, {}, 2}).isEmpty());               // office 2

    const qint64 inserted = changesOf(key).first().change;
    host().setOfficeMode(7);
    host().setOfficeID(2);
    EXPECT_THROW(history().restore(inserted), RestoreRefused); // office 1's change
    host().setOfficeID(1);
    history().restore(inserted); // undoing an insert deletes the row
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefTable WHERE usrdefInd = %1"_s.arg(key)), 0);
    EXPECT_EQ(changesOf(key).last().action, u"delete"_s);
}

} // namespace
