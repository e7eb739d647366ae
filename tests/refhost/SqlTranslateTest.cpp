// TranslateSql: the dialect rewrite row by row. The rewritten statements run on
// both engines in RefhostOffice, RefhostSqlInjection and RefhostListCode.
#include "RefhostSupport.h"

#include <refhost/SqlTranslate.h>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;

namespace {

QString translated(const QString& statement, bool postgres = false) {
    return refhost::translateStatement(statement,
                                       postgres ? refhost::Dialect::PostgreSQL : refhost::Dialect::SQLite);
}

TEST(RefhostTranslate, RewritesTheDialectOnlyOutsideQuotesAndComments) {
    for (const auto& [input, expected] :
         {std::pair{u"dElEtE\t*\nfRoM t where a=1"_s, u"dElEtE\tfRoM t where a=1"_s},
          std::pair{u"DELETE*FROM t"_s, u"DELETE FROM t"_s},
          std::pair{u"Delete t.* from t where a=1"_s, u"Delete from t where a=1"_s},
          std::pair{u"DELETE /* why */ * FROM t"_s, u"DELETE /* why */ FROM t"_s},
          std::pair{u"Delete * from t -- Delete * from u"_s, u"Delete from t -- Delete * from u"_s},
          std::pair{u"select [Field Name], [pID] from [paTable]"_s,
                    u"select \"Field Name\", pID from paTable"_s},
          std::pair{u"select [a\"b] from t"_s, u"select \"a\"\"b\" from t"_s},
          std::pair{u"select * from t where flag = True and other=false"_s,
                    u"select * from t where flag = -1 and other=0"_s}})
        for (const bool postgres : {false, true})
            EXPECT_EQ(translated(input, postgres), expected);

    for (const QString& same :
         {u"DELETE * , x FROM t"_s, // not the dialect's form: left for the engine to judge
          u"update t set a = 'It''s -- not ; a comment' where b = 'Delete * from t'"_s,
          u"select \"Delete * from\" from t"_s, u"select 'a\\' from t where b = 'Delete * from t'"_s,
          u"select '[x]', 'True' from t"_s, u"select t.True, True() from t"_s,
          u"select 'unterminated Delete * from t"_s,
          u"update UsrDefTable set UsrDefCod = 'a' where usrdefInd = 1"_s, // not a condition
          u"select * from t where UsrDefCod = 'a' || 'b'"_s, u"select * from t where UsrDefCod = 'a"_s})
        for (const bool postgres : {false, true})
            EXPECT_EQ(translated(same, postgres), same);
}

// List codes in conditions: on PostgreSQL through the index expression.
TEST(RefhostTranslate, ComparesListCodesIgnoringTheCaseOfAToZ) {
    const QString plain = u"select * from t where UsrDefCod = 'Do''cs' and (OfficeID=1)"_s;
    EXPECT_EQ(translated(plain), plain); // SQLite's column ignores the case of A-Z itself
    EXPECT_EQ(translated(plain, true),
              u"select * from t where lower(UsrDefCod COLLATE \"C\") = 'do''cs' and (OfficeID=1)"_s);
    const QString qualified = u"delete from t where (t.usrdefcod='ÄB')"_s;
    EXPECT_EQ(translated(qualified), qualified);
    EXPECT_EQ(translated(qualified, true), u"delete from t where (lower(t.usrdefcod COLLATE \"C\")='Äb')"_s);
    const QString twoSpellings = u"select * from t where UsrDefCod = 'straße'"_s;
    EXPECT_EQ(translated(twoSpellings), u"select * from t where UsrDefCod IN ('straße', 'STRASSE')"_s);
    EXPECT_EQ(translated(twoSpellings, true),
              u"select * from t where lower(UsrDefCod COLLATE \"C\") IN ('straße', 'strasse')"_s);
}

// A read that locks its rows for the run of saves: SQLite's run holds the
// whole database already; only a trailing lock clause goes.
TEST(RefhostTranslate, DropsTheRowLockOnlyOnSQLite) {
    for (const auto& [input, sqlite] :
         {std::pair{u"select * from t where a=1 for update"_s, u"select * from t where a=1"_s},
          std::pair{u"select * from t FOR\n UPDATE;"_s, u"select * from t;"_s},
          std::pair{u"select 'for update' from t"_s, u"select 'for update' from t"_s},
          std::pair{u"select * from t -- for update"_s, u"select * from t -- for update"_s}}) {
        EXPECT_EQ(translated(input), sqlite);
        EXPECT_EQ(translated(input, true), input);
    }
}

} // namespace
