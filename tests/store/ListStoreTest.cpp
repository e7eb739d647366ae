#include <support/TestDatabase.h>

#include <core/PickerRequest.h>
#include <grid/GridControl.h>
#include <store/ListStore.h>
#include <viVavazuruv/ReferenceHost.h>

#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace viVavazuruv;
using viVavazuruv::test::Engine;
using viVavazuruv::test::TestDatabase;
using namespace Qt::StringLiterals;

namespace {

// The reference host with an optional replacement statement to make the table deliver rows the
// load must cope with.
class RecordingHost final : public ReferenceHost {
public:
    using ReferenceHost::ReferenceHost;
    QString TranslateSql(QString Statement, qint16 Mode, qint16 Reserved) override {
        return replacement.isEmpty() ? ReferenceHost::TranslateSql(Statement, Mode, Reserved) : replacement;
    }
    QString replacement;
};

class ListStoreTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        VV_REQUIRE_DATABASE(m_db, GetParam());
        m_host = std::make_unique<RecordingHost>(m_db->url(), nullptr, m_data.path());
        m_fields = PickerRequest::ListFields();
        m_grid.setMaxCols(7);
    }

    qint32 add(const QString& code, const QString& group, const QString& description, qint32 office = 0) {
        if (office)
            m_host->setOfficeID(office);
        qint32 key = 0;
        EXPECT_TRUE(m_host->SaveRecord(1, u"UsrDefTable"_s, u"UsrDefInd"_s, key,
                                       {u"UsrDefCod"_s, u"usrdefSeqCod"_s, u"usrdefDes"_s},
                                       {code, group, description}, true));
        return key;
    }

    qint32 load(const QString& code) { return ListStore(*m_host).LoadList(code, m_fields, 6, m_grid); }

    std::unique_ptr<TestDatabase> m_db;
    QTemporaryDir m_data;
    std::unique_ptr<RecordingHost> m_host;
    VbArray<QString> m_fields;
    grid::GridControl m_grid;
};

// Rows as a careless translation might deliver them: every list, in key order.
// Reading stops at the first row of another list, not at a different case.
TEST_P(ListStoreTest, LoadsOneListTrimmedAndStopsAtTheFirstRowOfAnotherList) {
    const qint32 visa = add(u"CRECARD"_s, u"  V "_s, u"  Visa   "_s);
    add(u"crecard"_s, u"D"_s, u"Discover"_s);
    add(u"ALERT"_s, u"P"_s, u"Penicillin allergy"_s);
    add(u"CRECARD"_s, u"MC"_s, u"MasterCard"_s);
    m_host->replacement = u"SELECT * FROM UsrDefTable ORDER BY usrdefInd"_s;
    qint32 rowsSeen = 0;
    ASSERT_EQ(ListStore(*m_host).LoadList(u"CreCard"_s, m_fields, 6, m_grid, [&](qint32) { ++rowsSeen; }), 2);
    EXPECT_EQ(rowsSeen, 2);
    // Column 3's NULL reaches the grid as "".
    EXPECT_EQ((QStringList{m_grid.GetText(2, 1), m_grid.GetText(1, 1), m_grid.GetText(6, 1),
                           m_grid.GetText(3, 1), m_grid.GetText(2, 2)}),
              (QStringList{u"Visa"_s, u"V"_s, QString::number(visa), QString(), u"Discover"_s}));
    m_host->replacement.clear();
    EXPECT_EQ(load(u"NOSUCHLIST"_s), 0);
}

// A request may show one field in two columns, or the list code itself; every
// such column gets the value. A missing field loads what it can.
TEST_P(ListStoreTest, AFieldShownTwiceOrMissingAndAFailingStatement) {
    add(u"DOCLIST"_s, u"R"_s, u" Recall letter "_s);
    m_host->replacement = u"SELECT UsrDefCod, usrdefDes FROM UsrDefTable"_s;
    ASSERT_EQ(load(u"DOCLIST"_s), 1);
    EXPECT_EQ(m_grid.GetText(6, 1), QString());
    m_host->replacement.clear();
    m_fields(1) = u"usrdefDes"_s;
    m_fields(2) = u"UsrDefCod"_s;
    m_fields(3) = u"USRDEFDES"_s;
    ASSERT_EQ(load(u"DOCLIST"_s), 1);
    EXPECT_EQ(QStringList({m_grid.GetText(1, 1), m_grid.GetText(2, 1), m_grid.GetText(3, 1)}),
              (QStringList{u"Recall letter"_s, u"DOCLIST"_s, u"Recall letter"_s}));
    m_host->replacement = u"SELECT * FROM NoSuchTable"_s;
    EXPECT_THROW(load(u"DOCLIST"_s), AutomationError);
}

// An office that asks sees every statement run, as translated; by default nothing is said.
TEST_P(ListStoreTest, StatementsReachTheLogOnlyWhenAsked) {
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& text) {
            if (QLatin1String(context.category) == QLatin1String("viVavazuruv.sql"))
                logged << text;
        });
    const auto restore = qScopeGuard([previous] {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules({});
    });
    load(u"DOCLIST"_s);
    EXPECT_TRUE(logged.isEmpty());
    QLoggingCategory::setFilterRules(u"viVavazuruv.sql=true"_s);
    load(u"DOCLIST"_s);
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged.first().contains(u"from UsrDefTable where"_s, Qt::CaseInsensitive))
        << logged.first().toStdString();
}

TEST_P(ListStoreTest, StatementsCarryTheOfficeClauseOnlyInMode7AndDeleteHonoursIt) {
    const qint32 mine = add(u"ALERT"_s, u"P"_s, u"Mine"_s, 3);
    const qint32 theirs = add(u"ALERT"_s, u"P"_s, u"Theirs"_s, 4);
    ListStore store(*m_host);
    EXPECT_EQ(store.LoadStatement(u"O'Brien"_s), u"select * from UsrDefTable where UsrDefCod = 'O''Brien'"_s);
    EXPECT_EQ(store.DeleteStatement(12), u"Delete * from UsrDefTable where UsrDefInd=12"_s);
    m_host->setOfficeMode(7), m_host->setOfficeID(3);
    EXPECT_EQ(store.DeleteStatement(12), u"Delete * from UsrDefTable where UsrDefInd=12 and (OfficeID=3)"_s);
    EXPECT_EQ(store.LoadStatement(u"ALERT"_s),
              u"select * from UsrDefTable where UsrDefCod = 'ALERT' and (OfficeID=3)"_s);
    store.DeleteRow(theirs); // another office's row: the clause keeps it
    store.DeleteRow(mine);
    m_host->setOfficeMode(0);
    QSqlQuery q(m_db->db());
    q.exec(u"SELECT usrdefDes FROM UsrDefTable"_s);
    ASSERT_TRUE(q.next());
    EXPECT_TRUE(q.value(0).toString() == u"Theirs"_s && !q.next());
    m_host->replacement = u"DELETE FROM NoSuchTable"_s;
    EXPECT_THROW(store.DeleteRow(theirs), AutomationError);
}

TEST_P(ListStoreTest, SaveInsertsWithANewKeyAndUpdatesNeverMoveARow) {
    ListStore store(*m_host);
    qint32 key = 0;
    ASSERT_TRUE(store.SaveRow(key, {u"usrdefSeqCod"_s, u"usrdefDes"_s, u"UsrDefCod"_s},
                              {u"AX"_s, u"American Express"_s, u"CRECARD"_s}));
    qint32 same = key, unknown = key + 1000;
    ASSERT_TRUE(store.SaveRow(same, {u"usrdefDes"_s}, {u"Amex"_s}));
    ASSERT_EQ(load(u"CRECARD"_s), 1);
    EXPECT_EQ(std::pair(same, m_grid.GetText(2, 1)), std::pair(key, u"Amex"_s));
    EXPECT_FALSE(store.SaveRow(unknown, {u"usrdefDes"_s}, {u"x"_s}));
}

INSTANTIATE_TEST_SUITE_P(Engines, ListStoreTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return test::engineName(info.param); });

} // namespace
