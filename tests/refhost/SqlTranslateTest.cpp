// TranslateSql: the dialect rewrite row by row, then the rewritten statements
// run for real on both engines.
#include "RefhostSupport.h"

#include <platform/Connection.h>
#include <platform/Recordset.h>
#include <refhost/SqlTranslate.h>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;
using viVavazuruv::test::HostTest;

namespace {

struct TranslateRow {
    QString input, expected;
};

class RefhostTranslate : public ::testing::TestWithParam<TranslateRow> {};

TEST_P(RefhostTranslate, RewritesOnlyOutsideQuotes) {
    EXPECT_EQ(refhost::translateStatement(GetParam().input), GetParam().expected);
}

TranslateRow same(const QString& s) {
    return {s, s};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RefhostTranslate,
    ::testing::Values(
        TranslateRow{u"Delete * from UsrDefTable where UsrDefInd=12"_s,
                     u"Delete from UsrDefTable where UsrDefInd=12"_s},
        TranslateRow{u"DELETE * FROM t"_s, u"DELETE FROM t"_s},
        TranslateRow{u"dElEtE\t*\nfRoM t"_s, u"dElEtE\tfRoM t"_s},
        TranslateRow{u"DELETE*FROM t"_s, u"DELETE FROM t"_s},
        TranslateRow{u"Delete t.* from t where a=1"_s, u"Delete from t where a=1"_s},
        TranslateRow{u"DELETE /* why */ * FROM t"_s, u"DELETE /* why */ FROM t"_s},
        TranslateRow{u"Delete * from a; Delete * from b"_s, u"Delete from a; Delete from b"_s},
        TranslateRow{u"Delete * from t -- Delete * from u"_s, u"Delete from t -- Delete * from u"_s},
        same(u"DELETE FROM t"_s), same(u"select * from t"_s), same(u"select count(*) from t where a*2 > 1"_s),
        same(u"DELETE * , x FROM t"_s), // not the dialect's form: left for the engine to judge
        same(u"select * from t where a = 'Delete * from t'"_s),
        same(u"update t set a = 'It''s -- not ; a comment' where b = 1"_s),
        same(u"select \"Delete * from\" from t"_s),
        same(u"select 'a\\' from t where b = 'Delete * from t'"_s), same(u"select '[x]', 'True' from t"_s),
        same(u"select t.True, True() from t"_s), same(u"select 'unterminated Delete * from t"_s),
        same(u"select \"unterminated"_s),
        TranslateRow{u"Delete * from t where x = 'ünïcødé 名前 🦷' and y = '''; DROP TABLE t; --'"_s,
                     u"Delete from t where x = 'ünïcødé 名前 🦷' and y = '''; DROP TABLE t; --'"_s},
        TranslateRow{u"select [Field Name], [pID] from [paTable]"_s,
                     u"select \"Field Name\", pID from paTable"_s},
        TranslateRow{u"select [a\"b] from t"_s, u"select \"a\"\"b\" from t"_s},
        TranslateRow{u"select * from t where flag = True and other=false"_s,
                     u"select * from t where flag = -1 and other=0"_s},
        same(QString()), same(u"   "_s), same(u"名前"_s)));

// The component's own statements, rewritten and run on each engine.
class RefhostTranslateRun : public HostTest {
protected:
    qint32 run(const QString& statement) {
        qint32 affected = -1;
        ado::Connection(host().GetConnection()).Execute(host().TranslateSql(statement, 1, 0), &affected);
        return affected;
    }
};

TEST_P(RefhostTranslateRun, DialectStatementsRunAndTouchOnlyTheirRows) {
    const QString trap = u"Delete * from UsrDefTable; --'\"\\"_s;
    const qint32 victim = addEntry(u"X"_s, trap);
    const qint32 keeper = addEntry(u"X"_s, u"keep"_s);
    addEntry(trap, u"list named like a statement"_s);

    EXPECT_EQ(run(u"Delete * from UsrDefTable where UsrDefInd=%1"_s.arg(victim)), 1);
    EXPECT_EQ(run(u"DELETE * FROM UsrDefTable WHERE usrdefDes = "_s + host().SqlValue(trap, false, 1, 0)), 0);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefTable"_s), 2);

    ado::Recordset rs;
    rs.Open(host().TranslateSql(
                u"select * from UsrDefTable where UsrDefCod = "_s + host().SqlValue(trap, false, 1, 0), 1, 0),
            host().GetConnection(), 0, 1, 1);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields(u"UsrDefCod"_s).toString(), trap);

    EXPECT_EQ(run(u"Update UsrDefTable set usrdefDes='done' Where [UsrDefInd]=%1"_s.arg(keeper)), 1);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefTable WHERE usrdefDes = 'done'"_s), 1);
}

TEST_P(RefhostTranslateRun, PatientFeeTypeUpdateRuns) {
    qint32 id = 0;
    ASSERT_TRUE(host().SaveRecord(1, u"paTable"_s, u"pID"_s, id, {u"pLASNAM"_s}, {u"Ng"_s}, true));
    EXPECT_EQ(run(u"Update PaTable set pGPDenFeeTypPerm=1, pGPDenFeeTyp=1 Where pID=%1"_s.arg(id)), 1);
    EXPECT_EQ(scalar(u"SELECT pGPDenFeeTypPerm + pGPDenFeeTyp FROM paTable"_s), 2);
}

VV_ON_BOTH_ENGINES(RefhostTranslateRun);

} // namespace
