#include <support/TestDatabase.h>

#include <platform/AdoConstants.h>
#include <platform/Recordset.h>
#include <viVavazuruv/AutomationError.h>

#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QSqlRecord>

using namespace viVavazuruv;
using namespace viVavazuruv::ado;
using viVavazuruv::test::Engine;
using viVavazuruv::test::TestDatabase;

namespace {

// A client-side recordset open on sql.
Recordset openClient(const QSqlDatabase& db, const QString& sql) {
    Recordset rs;
    rs.setCursorLocation(adUseClient);
    rs.Open(sql, db, adOpenForwardOnly, adLockReadOnly, adCmdText);
    return rs;
}

// Every value of every row of sql, from a recordset and from the driver:
// the same NULLs, the same texts, the same number of rows.
void expectReadAsByTheDriver(const QSqlDatabase& db, const QString& sql, int expectedRows) {
    Recordset rs = openClient(db, sql);
    QSqlQuery query(db);
    ASSERT_TRUE(query.exec(sql));
    int rows = 0;
    while (query.next()) {
        ASSERT_FALSE(rs.Eof());
        for (int c = 0; c < query.record().count(); ++c) {
            const QVariant mine = rs.Value(c);
            const QVariant driver = query.value(c);
            EXPECT_EQ(mine.isNull(), driver.isNull()) << rows << ":" << c;
            EXPECT_EQ(mine.toString(), driver.toString()) << rows << ":" << c;
        }
        rs.MoveNext();
        ++rows;
    }
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rows, expectedRows);
}

class RecordsetTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        VV_REQUIRE_DATABASE(m_db, GetParam());
        m_db->exec(QStringLiteral(
            "CREATE TABLE ItemList (ItemCode VARCHAR(20), ItemText VARCHAR(200), ItemKey INTEGER)"));
        m_db->exec(QStringLiteral("INSERT INTO ItemList VALUES ('A', NULL, 1)"));
        m_db->exec(QStringLiteral("INSERT INTO ItemList VALUES ('B', '', 2)"));
        m_db->exec(QStringLiteral("INSERT INTO ItemList VALUES ('C', 'Zahnärztliche Füllung – 歯科', 3)"));
    }

    Recordset openOrdered(const QString& where = {}) {
        return openClient(m_db->db(), QStringLiteral("SELECT * FROM ItemList ") + where +
                                          QStringLiteral(" ORDER BY ItemKey"));
    }

    std::unique_ptr<TestDatabase> m_db;
};

TEST_P(RecordsetTest, NullStaysApartFromEmptyTextAndNonLatinTextSurvives) {
    Recordset rs = openOrdered();
    ASSERT_FALSE(rs.Bof());
    EXPECT_TRUE(rs.Fields(QStringLiteral("ItemText")).isNull());
    rs.MoveNext();
    const QVariant empty = rs.Fields(QStringLiteral("ItemText"));
    EXPECT_FALSE(empty.isNull());
    EXPECT_EQ(empty.toString(), QString());
    rs.MoveNext();
    EXPECT_EQ(rs.Fields(QStringLiteral("ItemText")).toString(),
              QStringLiteral("Zahnärztliche Füllung – 歯科"));
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_THROW(rs.MoveNext(), AutomationError);
}

TEST_P(RecordsetTest, FieldNamesMatchInAnyCase) {
    Recordset rs = openOrdered();
    EXPECT_EQ(rs.Fields(QStringLiteral("itemcode")).toString(), QStringLiteral("A"));
    EXPECT_EQ(rs.Fields(QStringLiteral("ITEMCODE")).toString(), QStringLiteral("A"));
    EXPECT_EQ(rs.Fields(QStringLiteral("ItemKey")).toInt(), 1);
    EXPECT_EQ(rs.FieldIndex(QStringLiteral("iTeMkEy")), rs.FieldIndex(QStringLiteral("ItemKey")));
}

TEST_P(RecordsetTest, DetachedRecordsetReadsOnAfterTheConnectionCloses) {
    const QString name = QStringLiteral("detach_") + QString::fromStdString(test::engineName(GetParam()));
    {
        QSqlDatabase second = m_db->openAnother(name);
        ASSERT_TRUE(second.isOpen());
        Recordset rs;
        rs.setCursorLocation(adUseClient);
        rs.Open(QStringLiteral("SELECT ItemCode FROM ItemList ORDER BY ItemKey"), second, adOpenForwardOnly,
                adLockReadOnly, adCmdText);
        rs.DetachConnection();
        EXPECT_FALSE(rs.IsConnected());
        second.close();
        QStringList codes;
        while (!rs.Eof()) {
            codes << rs.Fields(QStringLiteral("ItemCode")).toString();
            rs.MoveNext();
        }
        EXPECT_EQ(codes, (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
        rs.Close();
        EXPECT_FALSE(rs.IsOpen());
    }
    QSqlDatabase::removeDatabase(name);
}

TEST_P(RecordsetTest, MissingFieldRaisesItemNotFound) {
    Recordset rs = openOrdered();
    try {
        rs.Fields(QStringLiteral("NoSuchField"));
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::ItemNotFound);
        EXPECT_TRUE(e.message().contains(QStringLiteral("NoSuchField")));
    }
}

TEST_P(RecordsetTest, EmptyResultIsBofAndEofAndHasNoCurrentRow) {
    Recordset rs = openOrdered(QStringLiteral("WHERE ItemCode = 'none'"));
    EXPECT_TRUE(rs.Bof());
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.RecordCount(), 0);
    try {
        rs.Fields(QStringLiteral("ItemCode"));
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::NoCurrentRecord);
    }
}

TEST_P(RecordsetTest, FailingStatementRaisesTheDriversMessage) {
    Recordset rs;
    rs.setCursorLocation(adUseClient);
    try {
        rs.Open(QStringLiteral("SELECT * FROM NoSuchTable"), m_db->db(), adOpenForwardOnly, adLockReadOnly,
                adCmdText);
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::DatabaseError);
        EXPECT_TRUE(e.message().contains(QStringLiteral("nosuchtable"), Qt::CaseInsensitive)) << e.what();
    }
    EXPECT_FALSE(rs.IsOpen());
}

TEST_P(RecordsetTest, ClosedObjectsAndUnsupportedModesAreRefused) {
    Recordset rs;
    EXPECT_THROW(rs.Eof(), AutomationError);
    EXPECT_THROW(rs.Fields(QStringLiteral("ItemCode")), AutomationError);
    EXPECT_THROW(rs.Close(), AutomationError);
    EXPECT_THROW(rs.setCursorLocation(7), AutomationError);
    // A keyset cursor or an updatable lock would promise writes nobody implements.
    EXPECT_THROW(rs.Open(QStringLiteral("SELECT * FROM ItemList"), m_db->db(), 1, adLockReadOnly, adCmdText),
                 AutomationError);
    EXPECT_THROW(
        rs.Open(QStringLiteral("SELECT * FROM ItemList"), m_db->db(), adOpenForwardOnly, 3, adCmdText),
        AutomationError);

    Recordset server; // server-side cursors stay tied to their connection
    server.Open(QStringLiteral("SELECT * FROM ItemList"), m_db->db(), adOpenForwardOnly, adLockReadOnly,
                adCmdText);
    EXPECT_THROW(server.DetachConnection(), AutomationError);
}

TEST_P(RecordsetTest, OpeningOnAClosedConnectionIsAConnectionError) {
    Recordset rs;
    rs.setCursorLocation(adUseClient);
    try {
        rs.Open(QStringLiteral("SELECT 1"), QSqlDatabase(), adOpenForwardOnly, adLockReadOnly, adCmdText);
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::ConnectionError);
    }
}

TEST_P(RecordsetTest, EveryValueMatchesWhatTheDriverReads) {
    m_db->exec(QStringLiteral(
        "CREATE TABLE Mixed (Whole INTEGER, Part REAL, Words VARCHAR(50), Absent VARCHAR(5))"));
    m_db->exec(QStringLiteral("INSERT INTO Mixed VALUES (-2147483648, 2.5, 'it''s ☕', NULL)"));
    m_db->exec(QStringLiteral("INSERT INTO Mixed VALUES (7, -0.125, '', '')"));
    const QString sql = QStringLiteral("SELECT * FROM Mixed ORDER BY Whole");
    expectReadAsByTheDriver(m_db->db(), sql, 2);
    Recordset rs = openClient(m_db->db(), sql);
    EXPECT_EQ(rs.FieldName(2).toLower(), QStringLiteral("words"));
}

TEST_P(RecordsetTest, SeveralStatementsOrOneWithoutRowsAreHandledAsTheDriverDoes) {
    Recordset rs;
    rs.setCursorLocation(adUseClient);
    EXPECT_THROW(rs.Open(QStringLiteral("UPDATE ItemList SET ItemKey = ItemKey"), m_db->db(),
                         adOpenForwardOnly, adLockReadOnly, adCmdText),
                 AutomationError);
    EXPECT_FALSE(rs.IsOpen());
    rs.Open(QStringLiteral("SELECT ItemCode FROM ItemList WHERE ItemKey = 2;"), m_db->db(), adOpenForwardOnly,
            adLockReadOnly, adCmdText);
    EXPECT_EQ(rs.Fields(QStringLiteral("ItemCode")).toString(), QStringLiteral("B"));
}

TEST_P(RecordsetTest, LongListsReadBackExactlyWhetherValuesRepeatOrNot) {
    m_db->exec(QStringLiteral("CREATE TABLE LongList (Grp VARCHAR(5), Txt VARCHAR(40), Num INTEGER)"));
    QSqlDatabase db = m_db->db();
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO LongList VALUES (?, ?, ?)"));
    const QStringList groups{QStringLiteral("MO"), QStringLiteral("Ä"), QString()};
    for (int i = 0; i < 3000; ++i) {
        insert.addBindValue(groups.at(i % 3));
        insert.addBindValue(QStringLiteral("entry %1 – 番号").arg(i));
        insert.addBindValue(i);
        ASSERT_TRUE(insert.exec());
    }
    db.commit();
    Recordset rs = openClient(db, QStringLiteral("SELECT * FROM LongList ORDER BY Num"));
    ASSERT_EQ(rs.RecordCount(), 3000);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_FALSE(rs.Eof());
        EXPECT_EQ(rs.Fields(QStringLiteral("Grp")).toString(), groups.at(i % 3)) << i;
        EXPECT_EQ(rs.Fields(QStringLiteral("Txt")).toString(), QStringLiteral("entry %1 – 番号").arg(i)) << i;
        EXPECT_EQ(rs.Fields(QStringLiteral("Num")).toInt(), i);
        rs.MoveNext();
    }
}

// Taking a value's text hands the string over once; what stays reads as "".
// Numbers and NULL come as the texts their values print as.
TEST_P(RecordsetTest, TakingTextsHandsEachValueOverOnce) {
    m_db->exec(QStringLiteral(
        "CREATE TABLE Kinds (Words VARCHAR(40), Whole BIGINT, Part FLOAT, Absent VARCHAR(5))"));
    m_db->exec(QStringLiteral("INSERT INTO Kinds VALUES ('  padded  ', 9007199254740993, 0.5, NULL)"));
    Recordset rs = openClient(m_db->db(), QStringLiteral("SELECT * FROM Kinds"));
    const int words = rs.FieldIndex(QStringLiteral("Words"));
    const int whole = rs.FieldIndex(QStringLiteral("Whole"));
    const int part = rs.FieldIndex(QStringLiteral("Part"));
    const int absent = rs.FieldIndex(QStringLiteral("Absent"));
    EXPECT_EQ(rs.TakeText(words), QStringLiteral("  padded  "));
    EXPECT_EQ(rs.Value(words).toString(), QString()) << "the text was handed over";
    EXPECT_EQ(rs.TakeText(whole), QStringLiteral("9007199254740993"));
    EXPECT_EQ(rs.TakeText(whole), QStringLiteral("9007199254740993")) << "a number stays";
    EXPECT_EQ(rs.TakeText(part), QStringLiteral("0.5"));
    EXPECT_EQ(rs.TakeText(absent), QString());
    EXPECT_TRUE(rs.Value(absent).isNull());
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordsetTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return test::engineName(info.param); });

// Bytes another program may have stored in an SQLite text column: a NUL
// inside, malformed UTF-8, a long run outside ASCII. They read exactly as the
// driver reads them, and nothing is cut short.
TEST(RecordsetSqliteBytes, StoredBytesReadAsTheDriverReadsThem) {
    std::unique_ptr<TestDatabase> db;
    VV_REQUIRE_DATABASE(db, Engine::SQLite);
    db->exec(QStringLiteral("CREATE TABLE Raw (Num INTEGER, Words TEXT)"));
    db->exec(QStringLiteral("INSERT INTO Raw VALUES (1, 'before' || char(0) || 'after')"));
    db->exec(QStringLiteral("INSERT INTO Raw VALUES (2, CAST(x'41ff80c3287a' AS TEXT))"));
    db->exec(QStringLiteral("INSERT INTO Raw VALUES (3, CAST(x'e29882f09fa6b7c0af' AS TEXT))"));
    db->exec(QStringLiteral("INSERT INTO Raw VALUES (4, '%1')").arg(QString(20000, QChar(0x6B6F))));
    db->exec(QStringLiteral("INSERT INTO Raw VALUES (5, 'it''s \"quoted\"')"));
    const QString sql = QStringLiteral("SELECT * FROM Raw ORDER BY Num");
    expectReadAsByTheDriver(db->db(), sql, 5);
    Recordset rs = openClient(db->db(), sql);
    EXPECT_EQ(rs.Value(1).toString().size(), 12) << "the NUL and what follows it are kept";
}

} // namespace
