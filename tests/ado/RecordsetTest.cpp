#include <support/TestDatabase.h>

#include <ado/AdoConstants.h>
#include <ado/DriverRows.h>
#include <ado/PostgresRows.h>
#include <ado/Recordset.h>
#include <ado/VbStrings.h>
#include <viVavazuruv/AutomationError.h>

#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>

using namespace viVavazuruv;
using namespace viVavazuruv::ado;
using namespace viVavazuruv::test;
using namespace Qt::StringLiterals;

namespace {

// A client-side recordset open on sql.
Recordset openClient(const QSqlDatabase& db, const QString& sql, qint32 options = adCmdText) {
    Recordset rs;
    rs.setCursorLocation(adUseClient);
    rs.Open(sql, db, adOpenForwardOnly, adLockReadOnly, options);
    return rs;
}

// Every value of every row of sql, from a recordset and from the driver:
// the same NULLs, types, texts and number of rows.
void expectReadAsByTheDriver(const QSqlDatabase& db, const QString& sql, int expectedRows,
                             qint32 options = adCmdText) {
    // The driver reads first: rows that arrive while read keep the connection busy.
    QSqlQuery query(db);
    ASSERT_TRUE(query.exec(sql));
    const QSqlRecord record = query.record();
    QList<QVariantList> driverRows;
    while (query.next()) {
        driverRows.append(QVariantList());
        for (int c = 0; c < record.count(); ++c)
            driverRows.last() << query.value(c);
    }
    query.finish();
    ASSERT_EQ(driverRows.size(), expectedRows);
    Recordset rs = openClient(db, sql, options);
    for (int c = 0; c < record.count(); ++c)
        EXPECT_EQ(rs.FieldName(c), record.fieldName(c));
    const auto seen = [](const QVariant& v, const QString& text) {
        return std::tuple(v.isNull(), v.isNull() ? 0 : v.typeId(), v.toString(), text);
    };
    QString buffer;
    for (qsizetype row = 0; row < driverRows.size(); ++row, rs.MoveNext()) {
        ASSERT_FALSE(rs.Eof());
        for (int c = 0; c < record.count(); ++c) {
            const QVariant& driver = driverRows[row][c];
            EXPECT_EQ(seen(rs.Value(c), rs.CurrentText(c, buffer).toString()),
                      seen(driver, driver.toString()))
                << row << ":" << c;
        }
    }
    EXPECT_TRUE(rs.Eof());
}

// The first value sql gives through the driver; invalid when the connection
// cannot run it.
QVariant scalar(const QSqlDatabase& db, const QString& sql) {
    QSqlQuery query(db);
    return query.exec(sql) && query.next() ? query.value(0) : QVariant();
}

// An engine, and on PostgreSQL which driver: Qt's, which the component
// reads through libpq itself, or the reference host's, whose results it reads in place.
struct Way {
    Engine engine;
    bool qtDriver;
};

class RecordsetTest : public ::testing::TestWithParam<Way> {
protected:
    void SetUp() override {
        if (GetParam().qtDriver)
            VV_REQUIRE_QT_DRIVER_DATABASE(m_db, GetParam().engine);
        else
            VV_REQUIRE_DATABASE(m_db, GetParam().engine);
        m_db->exec(QStringLiteral(
            "CREATE TABLE ItemList (ItemCode VARCHAR(20), ItemText VARCHAR(200), ItemKey INTEGER)"));
        m_db->exec(
            u"INSERT INTO ItemList VALUES ('A', NULL, 1), ('B', '', 2), ('C', 'Zahnärztliche Füllung – 歯科', 3)"_s);
    }

    std::unique_ptr<TestDatabase> m_db;
};

TEST_P(RecordsetTest, DetachedRecordsetReadsOnAfterTheConnectionCloses) {
    {
        QSqlDatabase second = m_db->openAnother(u"detached"_s);
        Recordset rs = openClient(second, u"SELECT ItemCode FROM ItemList ORDER BY ItemKey"_s);
        rs.DetachConnection();
        second.close();
        QStringList codes;
        for (; !rs.Eof(); rs.MoveNext())
            codes << rs.Fields(u"ItemCode"_s).toString();
        EXPECT_EQ(codes, (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    }
    QSqlDatabase::removeDatabase(u"detached"_s);
}

// NULL against empty text: EveryValueMatchesWhatTheDriverReads. (Cursors, locks and options
// the component never asks for are refused too, and not tried here.)
TEST_P(RecordsetTest, FailuresRaiseTheirCodes) {
    // A missing field is named. (Names in any case: ListStoreTest's field shown twice.)
    Recordset read = openClient(m_db->db(), u"SELECT * FROM ItemList"_s);
    EXPECT_EQ(errorOf([&] { read.Fields(u"NoSuchField"_s); }), ErrorCode::ItemNotFound);
    Recordset empty = openClient(m_db->db(), u"SELECT * FROM ItemList WHERE ItemCode = 'none'"_s);
    EXPECT_TRUE(empty.Bof() && empty.Eof() && empty.RecordCount() == 0);
    EXPECT_EQ(errorOf([&] { openClient(m_db->db(), u"SELECT * FROM NoSuchTable"_s); }),
              ErrorCode::DatabaseError);
    // A statement without rows is no recordset.
    EXPECT_EQ(errorOf([&] { openClient(m_db->db(), u"UPDATE ItemList SET ItemKey = ItemKey"_s); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(errorOf([] { openClient(QSqlDatabase(), u"SELECT 1"_s); }), ErrorCode::ConnectionError);
    // A trailing semicolon is one statement, as the driver reads it.
    Recordset one = openClient(m_db->db(), u"SELECT ItemCode FROM ItemList WHERE ItemKey = 2;"_s);
    EXPECT_EQ(one.Fields(u"ItemCode"_s).toString(), u"B"_s);
}

// Long lists read block by block, whether values repeat or not.
TEST_P(RecordsetTest, EveryValueMatchesWhatTheDriverReads) {
    m_db->exec(u"CREATE TABLE Mixed (Whole INTEGER, Part REAL, Words VARCHAR(50), Absent VARCHAR(5))"_s);
    m_db->exec(u"INSERT INTO Mixed VALUES (-2147483648, 2.5, 'it''s ☕', NULL), (7, -0.125, '', '')"_s);
    expectReadAsByTheDriver(m_db->db(), u"SELECT * FROM Mixed ORDER BY Whole"_s, 2);
    expectReadAsByTheDriver(
        m_db->db(),
        u"SELECT CAST(9007199254740993 AS BIGINT) AS Big, CAST(-9007199254740993 AS BIGINT) AS Negative, "
        u"1 = 1 AS Truth, CAST(NULL AS VARCHAR(5)) AS Missing, '  spaced ☕ ' AS Words"_s,
        1);
    m_db->exec(
        u"WITH RECURSIVE n(i) AS (SELECT 10 UNION ALL SELECT i + 1 FROM n WHERE i < 3009) INSERT INTO "
        u"ItemList SELECT CASE i % 3 WHEN 0 THEN 'MO' WHEN 1 THEN 'Ä' END, 'entry ' || i || ' – 番号', i "
        u"FROM n"_s);
    QSqlDatabase db = m_db->db();
    expectReadAsByTheDriver(db, u"SELECT * FROM ItemList ORDER BY ItemKey"_s, 3003);
    expectReadAsByTheDriver(db, u"SELECT * FROM ItemList ORDER BY ItemKey"_s, 3003, adCmdText | adAsyncFetch);
    // The engine's own reader, which the recordset chooses first, leaves to the
    // driver a value of the driver's own conversions and, on PostgreSQL, a read
    // inside an open transaction; either way the values are the driver's.
    expectReadAsByTheDriver(
        db, u"SELECT CAST(2.5 AS DOUBLE PRECISION) AS Part, ItemKey > 1 AS Later FROM ItemList"_s, 3003);
    ASSERT_TRUE(db.transaction());
    expectReadAsByTheDriver(db, u"SELECT * FROM ItemList ORDER BY ItemKey"_s, 3003);
    db.rollback();
}

// Rows that arrive while they are read: no count and no detaching until the
// last has come, and a read given up early leaves the connection free.
TEST_P(RecordsetTest, RowsArrivingWhileReadLeaveTheConnectionFree) {
    QSqlDatabase db = m_db->db();
    // More rows than one block of them.
    for (int copies = 3; copies < 384; copies *= 2)
        m_db->exec(
            u"INSERT INTO ItemList SELECT ItemCode, ItemText, ItemKey + %1 FROM ItemList"_s.arg(copies));
    const QString sql = u"SELECT ItemKey FROM ItemList ORDER BY ItemKey"_s;
    {
        Recordset rs = openClient(db, sql, adCmdText | adAsyncFetch);
        EXPECT_EQ(rs.RecordCount(), -1);
        EXPECT_EQ(errorOf([&] { rs.DetachConnection(); }), ErrorCode::InvalidProcedureCall);
        rs.Close();
    }
    EXPECT_EQ(scalar(db, u"SELECT COUNT(*) FROM ItemList"_s).toInt(), 384);
    { Recordset abandoned = openClient(db, sql, adCmdText | adAsyncFetch); }
    // Every row's value as it arrives: EveryValueMatchesWhatTheDriverReads.
    Recordset rs = openClient(db, sql, adCmdText | adAsyncFetch);
    while (!rs.Eof())
        rs.MoveNext();
    EXPECT_EQ(rs.RecordCount(), 384);
    rs.DetachConnection();
    EXPECT_EQ(scalar(db, u"SELECT MAX(ItemKey) FROM ItemList"_s).toInt(), 384);
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordsetTest,
                         ::testing::Values(Way{Engine::SQLite, true}, Way{Engine::PostgreSQL, true},
                                           Way{Engine::PostgreSQL, false}),
                         [](const auto& info) {
                             return test::engineName(info.param.engine) +
                                    (info.param.qtDriver ? "" : "HostDriver");
                         });

// The host's driver keeps libpq's whole result: its rows are read where they
// are, unless a column's value is one of the driver's own conversions. (The
// values either way are the driver's: EveryValueMatchesWhatTheDriverReads.)
TEST(RecordsetHostDriver, ReadsTheDriversResultInPlaceUnlessAColumnIsTheDriversOwnConversion) {
    std::unique_ptr<TestDatabase> db;
    VV_REQUIRE_DATABASE(db, Engine::PostgreSQL);
    QSqlQuery plain = DriverRows::run(u"SELECT 1 AS One, 'a' AS Letter, TRUE AS Yes"_s, db->db());
    EXPECT_TRUE(PostgresRows::held(plain));
    QSqlQuery dated = DriverRows::run(u"SELECT CURRENT_DATE AS Day, 'a' AS Letter"_s, db->db());
    EXPECT_FALSE(PostgresRows::held(dated));
}

// Bytes another program may have stored in an SQLite text column: a NUL
// inside, malformed UTF-8, a long run outside ASCII. They read exactly as the
// driver reads them, and nothing is cut short.
TEST(RecordsetSqliteBytes, StoredBytesReadAsTheDriverReadsThem) {
    std::unique_ptr<TestDatabase> db;
    VV_REQUIRE_DATABASE(db, Engine::SQLite);
    db->exec(u"CREATE TABLE Raw (Num INTEGER, Words TEXT)"_s);
    db->exec(
        u"INSERT INTO Raw VALUES (1, 'before' || char(0) || 'after'), (2, CAST(x'41ff80c3287a' AS TEXT)), "
        "(3, CAST(x'e29882f09fa6b7c0af' AS TEXT)), (4, '%1'), (5, 'it''s \"quoted\"')"_s.arg(
            QString(20000, QChar(0x6B6F))));
    expectReadAsByTheDriver(db->db(), u"SELECT * FROM Raw ORDER BY Num"_s, 5);
}

// One text for each way the reading goes on or stops.
TEST(VbNumbersTest, ValReadsTheLeadingNumber) {
    const std::pair<const char16_t*, double> cases[] = {
        {u"  12abc", 12}, {u"1 2 3", 123}, {u"-7", -7}, {u"1.2.3", 1.2},    {u"2D2", 200}, {u"1e", 1},
        {u"CRECARD", 0},  {u"\t\n42", 42}, {u"٣", 0},   {u"12\u00A03", 12}, {u"1e999", 0}};
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(vb::Val(QString::fromUtf16(text)), value) << QString::fromUtf16(text).toStdString();
}

TEST(VbNumbersTest, RoundHalfToEvenAndOverflow) {
    // KeyOf("7ALERT") is why an unsaved line's key cell is dangerous.
    EXPECT_EQ((QList<qint32>{vb::CLng(2.5), vb::CLng(3.5), vb::CLng(-2.5), vb::CInt(32767.4),
                             vb::KeyOf(u"  12 "_s), vb::KeyOf(u"7ALERT"_s)}),
              (QList<qint32>{2, 4, -2, 32767, 12, 7}));
    for (double tooBig : {2147483648.0, -2147483649.0, std::nan("")})
        EXPECT_EQ(test::errorOf([=] { vb::CLng(tooBig); }), ErrorCode::Overflow) << tooBig;
    EXPECT_THROW(vb::CInt(32767.5), AutomationError);
}

TEST(VbTextTest, TrimRemovesBlanksOnlyAndPositionsCountFromOne) {
    EXPECT_EQ(QStringList({vb::Trim(u"\t Visa  \n"_s), vb::Trim(u"     "_s), vb::LTrim(u"  a b "_s),
                           vb::Mid(u"Credit Card"_s, 12), vb::Mid(u"|CARIES"_s, 1, 3)}),
              QStringList({u"\t Visa  \n"_s, QString(), u"a b "_s, QString(), u"|CA"_s}));
    EXPECT_EQ(std::pair(vb::InStr(10, u"Filling |T# |SF"_s, u"|"_s), vb::InStr(99, u"abc"_s, u"a"_s)),
              std::pair(13, 0));
}

} // namespace
