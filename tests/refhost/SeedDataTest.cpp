// The demo office: loads into an empty database on both engines, refuses to
// load twice, and holds what the entry points and the pipe-sign chain need.
#include "RefhostSupport.h"

#include <viVavazuruv/SeedData.h>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;
using viVavazuruv::test::HostTest;

namespace {

class RefhostSeed : public HostTest {
protected:
    // The lists that variables in a list's descriptions open.
    QStringList listsOpenedBy(const QString& listCode) {
        QStringList opened;
        for (const QString& description : load(listCode, u"usrdefDes"_s))
            for (qsizetype at = description.indexOf(u'|'); at >= 0; at = description.indexOf(u'|', at + 1))
                host().PipeVariableList(description.mid(at, 15), opened.emplace_back());
        opened.removeAll(QString()); // variables without a list, such as |PN
        opened.removeDuplicates();
        opened.sort();
        return opened;
    }
};

TEST_P(RefhostSeed, FillsEveryEntryPointsListAndThreeLevelsOfNestedLists) {
    refhost::seedDemoData(host());
    for (const QString& list : {u"SXTITLE"_s, u"TITLE"_s, u"DRSXTTL"_s, u"DRTTL"_s, u"CRECARD"_s, u"ALERT"_s,
                                u"DOCLIST"_s, u"PROCS"_s, u"TXNOTES"_s, u"MATERIALS"_s, u"SHADES"_s}) {
        EXPECT_GE(load(list).size(), 4) << list.toStdString();
        // Every entry point shows the group in a column three characters wide.
        for (const QString& group : load(list, u"usrdefSeqCod"_s))
            EXPECT_LE(group.size(), 3) << list.toStdString() << ' ' << group.toStdString();
    }

    const QString notes = load(u"TXNOTES"_s, u"usrdefDes"_s).join(u'\n');
    for (const QString& variable : {u"|PN"_s, u"|1AB"_s, u"|??"_s, u"|T#"_s, u"|CARIES"_s, u"|MISSING"_s})
        EXPECT_TRUE(notes.contains(variable)) << variable.toStdString();
    // PROCS opens three lists, MATERIALS a third level, SURFACES and SHADES none.
    EXPECT_EQ(listsOpenedBy(u"PROCS"_s) + listsOpenedBy(u"SURFACES"_s) + listsOpenedBy(u"MATERIALS"_s) +
                  listsOpenedBy(u"SHADES"_s),
              QStringList({u"MATERIALS"_s, u"SURFACES"_s, u"TEETH"_s, u"SHADES"_s}));
    QString opened;
    host().PipeVariableList(u"|PROCS"_s, opened); // a code list's own reference, where a note starts
    EXPECT_EQ(opened, u"PROCS"_s);
    EXPECT_TRUE(load(u"TEETH"_s).size() == 32 && host().InsertEachItem(u"TXNOTES"_s));

    // A picker shows a list in the order of its group codes as texts: the teeth in the mouth's order.
    QStringList teeth, mouth;
    QSqlQuery q(host().GetConnection());
    ASSERT_TRUE(
        q.exec(u"SELECT usrdefDes FROM UsrDefTable WHERE UsrDefCod = 'TEETH' ORDER BY usrdefSeqCod"_s));
    while (q.next())
        teeth << q.value(0).toString().section(u' ', 0, 0);
    for (int tooth = 1; tooth <= 32; ++tooth)
        mouth << u"#"_s + QString::number(tooth);
    EXPECT_EQ(teeth, mouth);
}

TEST_P(RefhostSeed, RefusesAFilledDatabaseUnlessToldAndAFailedSeedLeavesNothing) {
    const qint64 lists = refhost::seedDemoData(host()).listEntries; // the summary counts what it loaded
    EXPECT_THROW(refhost::seedDemoData(host()), AutomationError);
    refhost::seedDemoData(host(), true);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefTable"_s), lists);

    // Fails halfway, after replacing the lists: the old rows stay, with their keys.
    const qint64 keys = scalar(u"SELECT SUM(usrdefInd) FROM UsrDefTable"_s);
    m_db->exec(u"DROP TABLE FeeTypes"_s);
    EXPECT_THROW(refhost::seedDemoData(host(), true), AutomationError);
    EXPECT_EQ(scalar(u"SELECT SUM(usrdefInd) FROM UsrDefTable"_s), keys);
}

VV_ON_BOTH_ENGINES(RefhostSeed);

} // namespace
