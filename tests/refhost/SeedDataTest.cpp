// The demo office: loads into an empty database on both engines, refuses to
// load twice, and holds what the entry points and the pipe-sign chain need.
#include "RefhostSupport.h"

#include <refhost/SeedData.h>
#include <refhost/TextRules.h>
#include <viVavazuruv/AutomationError.h>

#include <QRegularExpression>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;
using viVavazuruv::test::HostTest;

namespace {

class RefhostSeed : public HostTest {
protected:
    QStringList column(const QString& listCode, const QString& field) {
        QSqlQuery q(host().GetConnection());
        q.prepare(u"SELECT "_s + field + u" FROM UsrDefTable WHERE UsrDefCod = ? ORDER BY usrdefInd"_s);
        q.addBindValue(listCode);
        EXPECT_TRUE(q.exec());
        QStringList values;
        while (q.next())
            values << q.value(0).toString();
        return values;
    }
    // The lists that variables in a list's descriptions open.
    QStringList listsOpenedBy(const QString& listCode) {
        QStringList opened;
        for (const QString& description : column(listCode, u"usrdefDes"_s)) {
            for (qsizetype at = description.indexOf(u'|'); at >= 0; at = description.indexOf(u'|', at + 1)) {
                QString code;
                host().PipeVariableList(description.mid(at, 15), code);
                if (!code.isEmpty() && !opened.contains(code))
                    opened << code;
            }
        }
        return opened;
    }
};

TEST_P(RefhostSeed, FillsAnEmptyDatabaseWithEveryEntryPointsList) {
    ASSERT_FALSE(refhost::hasUserData(host()));
    const refhost::SeedSummary summary = refhost::seedDemoData(host());
    EXPECT_EQ(summary.listEntries, scalar(u"SELECT COUNT(*) FROM UsrDefTable"_s));
    EXPECT_LT(summary.listEntries + summary.patients + summary.providers, 300);
    EXPECT_TRUE(refhost::hasUserData(host()));

    for (const QString& list : {u"SXTITLE"_s, u"TITLE"_s, u"DRSXTTL"_s, u"DRTTL"_s, u"CRECARD"_s, u"ALERT"_s,
                                u"DOCLIST"_s, u"PROCS"_s, u"TXNOTES"_s})
        EXPECT_GE(column(list, u"usrdefDes"_s).size(), 4) << list.toStdString();
    const QStringList groups = column(u"SXTITLE"_s, u"usrdefSeqCod"_s);
    for (const QString& g : {u"M"_s, u"F"_s, u"MR"_s, u"MRS"_s, u"MS"_s, u"DR"_s})
        EXPECT_TRUE(groups.contains(g)) << g.toStdString();
    EXPECT_TRUE(column(u"CRECARD"_s, u"usrdefSeqCod"_s).contains(u"AX"_s));
    for (const QString& letter : column(u"DOCLIST"_s, u"usrdefLetNam"_s))
        EXPECT_TRUE(letter.endsWith(u".RTF"_s)) << letter.toStdString();
    EXPECT_GE(column(u"PROCS"_s, u"usrdefDes"_s).filter(QRegularExpression(u"^\\$-"_s)).size(), 3);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefTable WHERE OfficeID <> 1"_s), 0);
}

TEST_P(RefhostSeed, PipeSignListAndThreeLevelsOfNestedLists) {
    refhost::seedDemoData(host());
    const QStringList notes = column(u"TXNOTES"_s, u"usrdefDes"_s);
    ASSERT_FALSE(notes.isEmpty());
    EXPECT_TRUE(notes.first().startsWith(u"$-"_s));
    EXPECT_EQ(column(u"TXNOTES"_s, u"usrdefSeqCod"_s).first(), u"*M"_s);
    const QString all = notes.join(u'\n');
    for (const QString& variable : {u"|PN"_s, u"|1AB"_s, u"|??"_s, u"|T#"_s, u"|CARIES"_s, u"|MISSING"_s})
        EXPECT_TRUE(all.contains(variable)) << variable.toStdString();

    EXPECT_TRUE(column(u"PROCS"_s, u"usrdefDes"_s).contains(u"Composite filling |T# |SF"_s));
    EXPECT_EQ(listsOpenedBy(u"PROCS"_s), QStringList({u"TEETH"_s, u"SURFACES"_s, u"MATERIALS"_s}));
    EXPECT_EQ(listsOpenedBy(u"SURFACES"_s), QStringList({u"MATERIALS"_s}));
    EXPECT_EQ(listsOpenedBy(u"MATERIALS"_s), QStringList({u"SHADES"_s}));
    EXPECT_TRUE(listsOpenedBy(u"SHADES"_s).isEmpty());
    EXPECT_EQ(column(u"TEETH"_s, u"usrdefDes"_s).size(), 32);

    QString between, beforeLast, afterLast, codeJoin;
    host().ListJoinWords(u"SURFACES"_s, between, beforeLast, afterLast, codeJoin);
    EXPECT_EQ(codeJoin, QString()); // surfaces compose as "MOD"
    EXPECT_TRUE(host().InsertEachItem(u"TXNOTES"_s));
}

TEST_P(RefhostSeed, PatientsProvidersAndFeeTypes) {
    refhost::seedDemoData(host());
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM paTable WHERE pPROIND = 0 AND pTypPat = 'Y'"_s), 1);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM paTable WHERE pGPDenFeeTypPerm = 0"_s), 1);
    const qint64 provider = scalar(
        u"SELECT COUNT(*) FROM paTable WHERE pTypDoc = 'Y' AND pID = %1"_s.arg(host().GetDefaultProvider()));
    EXPECT_EQ(provider, 1);
    bool valid = true;
    host().IsValidFeeType(0, valid);
    EXPECT_FALSE(valid);
    host().IsValidFeeType(1, valid);
    EXPECT_TRUE(valid);

    const qint32 obrien = qint32(scalar(u"SELECT pID FROM paTable WHERE pChaNum = 'O1004'"_s));
    QString last, first, chart, providerText;
    EXPECT_EQ(host().PatientLookup(obrien, last, first, chart, providerText), u"O'Brien, Thomas"_s);
}

TEST_P(RefhostSeed, RefusesAFilledDatabaseUnlessToldToReplace) {
    const refhost::SeedSummary first = refhost::seedDemoData(host());
    const qint64 lists = scalar(u"SELECT COUNT(*) FROM UsrDefTable"_s);
    const qint64 patients = scalar(u"SELECT COUNT(*) FROM paTable"_s);
    EXPECT_THROW(refhost::seedDemoData(host()), AutomationError);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefTable"_s), lists);

    const refhost::SeedSummary again = refhost::seedDemoData(host(), true);
    EXPECT_EQ(again.listEntries, first.listEntries);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefTable"_s), lists);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM paTable"_s), patients);

    // Replacing in another office leaves this office's rows alone.
    auto elsewhere = anotherHost();
    elsewhere->setOfficeID(2);
    refhost::seedDemoData(*elsewhere, true);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefTable WHERE OfficeID = 1"_s), lists);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefTable WHERE OfficeID = 2"_s), lists);
}

TEST_P(RefhostSeed, AFailedSeedLeavesNothingBehind) {
    m_db->exec(u"DROP TABLE FeeTypes"_s); // fails halfway, after the lists
    EXPECT_THROW(refhost::seedDemoData(host()), AutomationError);
    EXPECT_FALSE(refhost::hasUserData(host()));
}

VV_ON_BOTH_ENGINES(RefhostSeed);

} // namespace
