#include <support/TestDatabase.h>

#include <component/RequestState.h>
#include <platform/GridControl.h>
#include <store/ListStore.h>
#include <viVavazuruv/ReferenceHost.h>

#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QTemporaryDir>

using namespace viVavazuruv;
using viVavazuruv::test::Engine;
using viVavazuruv::test::TestDatabase;

namespace {

// The reference host, with every translated statement kept for inspection
// and an optional replacement statement to make the table deliver rows the
// load must cope with.
class RecordingHost final : public ReferenceHost {
public:
    using ReferenceHost::ReferenceHost;
    QString TranslateSql(QString Statement, qint16 Mode, qint16 Reserved) override {
        statements << Statement;
        if (!replacement.isEmpty())
            return replacement;
        return ReferenceHost::TranslateSql(Statement, Mode, Reserved);
    }
    QStringList statements;
    QString replacement;
};

class ListStoreTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        VV_REQUIRE_DATABASE(m_db, GetParam());
        m_host = std::make_unique<RecordingHost>(m_db->url(), nullptr, m_data.path());
        qint16 n = 6;
        m_fields.Redim(6);
        RequestState state;
        state.InitFieldNames(n);
        m_fields = state.FieldNames;
        m_grid.setMaxCols(7);
    }

    qint32 add(const QString& code, const QString& group, const QString& description, qint32 office = 0) {
        if (office)
            m_host->setOfficeID(office);
        qint32 key = 0;
        EXPECT_TRUE(m_host->SaveRecord(
            1, QStringLiteral("UsrDefTable"), QStringLiteral("UsrDefInd"), key,
            {QStringLiteral("UsrDefCod"), QStringLiteral("usrdefSeqCod"), QStringLiteral("usrdefDes")},
            {code, group, description}, true));
        return key;
    }

    qint32 load(const QString& code) { return ListStore(*m_host).LoadList(code, m_fields, 6, m_grid); }

    std::unique_ptr<TestDatabase> m_db;
    QTemporaryDir m_data;
    std::unique_ptr<RecordingHost> m_host;
    VbArray<QString> m_fields;
    platform::GridControl m_grid;
};

TEST_P(ListStoreTest, StatementsAreTheDesktopTextsWithTheOfficeClauseOnlyInMode7) {
    ListStore store(*m_host);
    EXPECT_EQ(store.LoadStatement(QStringLiteral("CRECARD")),
              QStringLiteral("select * from UsrDefTable where UsrDefCod = 'CRECARD'"));
    EXPECT_EQ(store.DeleteStatement(12), QStringLiteral("Delete * from UsrDefTable where UsrDefInd=12"));
    EXPECT_EQ(store.LoadStatement(QStringLiteral("O'Brien")),
              QStringLiteral("select * from UsrDefTable where UsrDefCod = 'O''Brien'"));

    m_host->setOfficeMode(7);
    m_host->setOfficeID(3);
    EXPECT_EQ(store.DeleteStatement(12),
              QStringLiteral("Delete * from UsrDefTable where UsrDefInd=12 and (OfficeID=3)"));
    m_host->setOfficeID(12);
    EXPECT_EQ(store.LoadStatement(QStringLiteral("ALERT")),
              QStringLiteral("select * from UsrDefTable where UsrDefCod = 'ALERT' and (OfficeID=12)"));
    m_host->setOfficeMode(6);
    EXPECT_FALSE(store.LoadStatement(QStringLiteral("ALERT")).contains(QStringLiteral("OfficeID")));
}

TEST_P(ListStoreTest, LoadsOneListTrimmedAndAnEmptyListGivesNoRows) {
    const qint32 visa = add(QStringLiteral("CRECARD"), QStringLiteral("  V "), QStringLiteral("  Visa   "));
    add(QStringLiteral("CRECARD"), QStringLiteral("MC"), QStringLiteral("MasterCard"));
    add(QStringLiteral("ALERT"), QStringLiteral("P"), QStringLiteral("Penicillin allergy"));

    qint32 rowsSeen = 0;
    const qint32 rows = ListStore(*m_host).LoadList(QStringLiteral("CRECARD"), m_fields, 6, m_grid,
                                                    [&](qint32) { ++rowsSeen; });
    ASSERT_EQ(rows, 2);
    EXPECT_EQ(rowsSeen, 2);
    QStringList descriptions{m_grid.GetText(2, 1), m_grid.GetText(2, 2)};
    descriptions.sort();
    EXPECT_EQ(descriptions, (QStringList{QStringLiteral("MasterCard"), QStringLiteral("Visa")}));
    const qint32 visaRow = m_grid.GetText(2, 1) == QLatin1String("Visa") ? 1 : 2;
    EXPECT_EQ(m_grid.GetText(1, visaRow), QStringLiteral("V"));
    EXPECT_EQ(m_grid.GetText(6, visaRow), QString::number(visa));
    EXPECT_EQ(m_grid.GetText(3, visaRow), QString()); // NULL reaches the grid as ""
    EXPECT_EQ(m_host->statements.last(),
              QStringLiteral("select * from UsrDefTable where UsrDefCod = 'CRECARD'"));

    EXPECT_EQ(load(QStringLiteral("NOSUCHLIST")), 0);
}

TEST_P(ListStoreTest, ReadingStopsAtTheFirstRowOfAnotherListButNotAtADifferentCase) {
    add(QStringLiteral("CRECARD"), QStringLiteral("V"), QStringLiteral("Visa"));
    add(QStringLiteral("crecard"), QStringLiteral("D"), QStringLiteral("Discover"));
    add(QStringLiteral("ALERT"), QStringLiteral("P"), QStringLiteral("Penicillin allergy"));
    add(QStringLiteral("CRECARD"), QStringLiteral("MC"), QStringLiteral("MasterCard"));
    // Rows as a careless translation might deliver them: every list, in key order.
    m_host->replacement = QStringLiteral("SELECT * FROM UsrDefTable ORDER BY usrdefInd");
    ASSERT_EQ(load(QStringLiteral("CreCard")), 2);
    EXPECT_EQ(m_grid.GetText(2, 1), QStringLiteral("Visa"));
    EXPECT_EQ(m_grid.GetText(2, 2), QStringLiteral("Discover"));
}

TEST_P(ListStoreTest, AMissingFieldLoadsWhatItCan) {
    add(QStringLiteral("DOCLIST"), QStringLiteral("R"), QStringLiteral("Recall letter"));
    m_host->replacement = QStringLiteral("SELECT UsrDefCod, usrdefDes FROM UsrDefTable");
    ASSERT_EQ(load(QStringLiteral("DOCLIST")), 1);
    EXPECT_EQ(m_grid.GetText(2, 1), QStringLiteral("Recall letter"));
    EXPECT_EQ(m_grid.GetText(1, 1), QString());
    EXPECT_EQ(m_grid.GetText(6, 1), QString());
}

// A request may show one field in two columns, or the list code itself; every
// such column gets the value, on every row.
TEST_P(ListStoreTest, AFieldShownTwiceOrTheListCodeShownFillsEveryColumn) {
    add(QStringLiteral("DOCLIST"), QStringLiteral("R"), QStringLiteral(" Recall letter "));
    add(QStringLiteral("DOCLIST"), QStringLiteral("W"), QStringLiteral("Welcome letter"));
    m_fields(1) = QStringLiteral("usrdefDes");
    m_fields(2) = QStringLiteral("UsrDefCod");
    m_fields(3) = QStringLiteral("USRDEFDES");
    ASSERT_EQ(load(QStringLiteral("DOCLIST")), 2);
    QStringList seen;
    for (qint32 row = 1; row <= 2; ++row) {
        EXPECT_EQ(m_grid.GetText(1, row), m_grid.GetText(3, row)) << row;
        EXPECT_EQ(m_grid.GetText(2, row), QStringLiteral("DOCLIST")) << row;
        seen << m_grid.GetText(1, row);
    }
    seen.sort();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Recall letter"), QStringLiteral("Welcome letter")}));
}

TEST_P(ListStoreTest, ErrorsBeforeTheRowsAreCopiedRaise) {
    m_host->replacement = QStringLiteral("SELECT * FROM NoSuchTable");
    EXPECT_THROW(load(QStringLiteral("CRECARD")), AutomationError);
}

TEST_P(ListStoreTest, DeleteHonoursTheOfficeClauseAndAFailingStatementRaises) {
    const qint32 mine = add(QStringLiteral("ALERT"), QStringLiteral("P"), QStringLiteral("Mine"), 3);
    const qint32 theirs = add(QStringLiteral("ALERT"), QStringLiteral("P"), QStringLiteral("Theirs"), 4);
    m_host->setOfficeMode(7);
    m_host->setOfficeID(3);
    ListStore store(*m_host);
    store.DeleteRow(theirs); // another office's row: the clause keeps it
    store.DeleteRow(mine);
    m_host->setOfficeMode(0);
    QSqlQuery q(m_db->db());
    q.exec(QStringLiteral("SELECT usrdefDes FROM UsrDefTable"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("Theirs"));
    EXPECT_FALSE(q.next());

    m_host->replacement = QStringLiteral("DELETE FROM NoSuchTable");
    EXPECT_THROW(store.DeleteRow(theirs), AutomationError);
}

TEST_P(ListStoreTest, SaveInsertsWithANewKeyAndUpdatesNeverMoveARow) {
    ListStore store(*m_host);
    qint32 key = 0;
    ASSERT_TRUE(store.SaveRow(
        key, {QStringLiteral("usrdefSeqCod"), QStringLiteral("usrdefDes"), QStringLiteral("UsrDefCod")},
        {QStringLiteral("AX"), QStringLiteral("American Express"), QStringLiteral("CRECARD")}));
    EXPECT_GT(key, 0);
    qint32 same = key;
    ASSERT_TRUE(store.SaveRow(same, {QStringLiteral("usrdefSeqCod"), QStringLiteral("usrdefDes")},
                              {QStringLiteral("AX"), QStringLiteral("Amex")}));
    EXPECT_EQ(same, key);
    ASSERT_EQ(load(QStringLiteral("CRECARD")), 1);
    EXPECT_EQ(m_grid.GetText(2, 1), QStringLiteral("Amex"));
    EXPECT_EQ(m_grid.GetText(6, 1), QString::number(key));
    qint32 unknown = key + 1000;
    EXPECT_FALSE(store.SaveRow(unknown, {QStringLiteral("usrdefDes")}, {QStringLiteral("x")}));
}

INSTANTIATE_TEST_SUITE_P(Engines, ListStoreTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return test::engineName(info.param); });

} // namespace
