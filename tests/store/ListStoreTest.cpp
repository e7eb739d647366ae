#include <refhost/RefhostSupport.h>
#include <support/FailingHost.h>

#include <core/PickerRequest.h>
#include <grid/GridControl.h>
#include <store/ListStore.h>
#include <viVavazuruv/UsrDefTable.h>

#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QScopeGuard>
#include <QTemporaryDir>

using namespace viVavazuruv;
using namespace viVavazuruv::test;
using namespace Qt::StringLiterals;

namespace {

class ListStoreTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        VV_REQUIRE_DATABASE(m_db, GetParam());
        m_host = std::make_unique<FailingHost>(m_db->url(), nullptr, m_data.path());
        m_fields = PickerRequest::ListFields();
        m_grid.setMaxCols(7);
    }

    qint32 add(const QString& code, const QString& group, const QString& description, qint32 office = 0) {
        if (office)
            m_host->setOfficeID(office);
        qint32 key = 0;
        EXPECT_TRUE(m_host->SaveRecord(1, usrdef::kTable, usrdef::kKey, key,
                                       {usrdef::kCode, usrdef::kGroup, usrdef::kDescription},
                                       {code, group, description}, true));
        return key;
    }

    qint32 load(const QString& code) { return ListStore(*m_host).LoadList(code, m_fields, 6, m_grid); }

    std::unique_ptr<TestDatabase> m_db;
    QTemporaryDir m_data;
    std::unique_ptr<FailingHost> m_host;
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
    m_host->replaceStatements({}, u"SELECT * FROM UsrDefTable ORDER BY usrdefInd"_s);
    qint32 rowsSeen = 0;
    ASSERT_EQ(ListStore(*m_host).LoadList(u"CreCard"_s, m_fields, 6, m_grid, [&](qint32) { ++rowsSeen; }), 2);
    EXPECT_EQ(rowsSeen, 2);
    // Column 3's NULL reaches the grid as "".
    EXPECT_EQ((QStringList{m_grid.GetText(2, 1), m_grid.GetText(1, 1), m_grid.GetText(6, 1),
                           m_grid.GetText(3, 1), m_grid.GetText(2, 2)}),
              (QStringList{u"Visa"_s, u"V"_s, QString::number(visa), QString(), u"Discover"_s}));
}

// A request may show one field in two columns, or the list code itself; every
// such column gets the value. A missing field loads what it can. (A load that
// fails reaches the caller: LockedListTest.)
TEST_P(ListStoreTest, AFieldShownTwiceOrMissing) {
    add(u"DOCLIST"_s, u"R"_s, u" Recall letter "_s);
    m_host->replaceStatements({}, u"SELECT UsrDefCod, usrdefDes FROM UsrDefTable"_s);
    ASSERT_EQ(load(u"DOCLIST"_s), 1);
    EXPECT_EQ(m_grid.GetText(6, 1), QString());
    m_host->replaceStatements({}, {});
    m_fields(1) = usrdef::kDescription;
    m_fields(2) = usrdef::kCode;
    m_fields(3) = usrdef::kDescription.toUpper();
    ASSERT_EQ(load(u"DOCLIST"_s), 1);
    EXPECT_EQ(QStringList({m_grid.GetText(1, 1), m_grid.GetText(2, 1), m_grid.GetText(3, 1)}),
              (QStringList{u"Recall letter"_s, u"DOCLIST"_s, u"Recall letter"_s}));
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

// In office mode 7 a delete keeps to the host's office. (A load there, a
// load outside it and the list code's literal: ListAnswerTest and the host-view transcripts; a
// failing delete: PickerEntryPointsTest's host failures.)
TEST_P(ListStoreTest, InOfficeMode7ADeleteKeepsToTheOffice) {
    const qint32 mine = add(u"ALERT"_s, u"P"_s, u"Mine"_s, 3);
    const qint32 theirs = add(u"ALERT"_s, u"P"_s, u"Theirs"_s, 4);
    ListStore store(*m_host);
    m_host->setOfficeMode(7), m_host->setOfficeID(3);
    store.DeleteRow(theirs); // another office's row: left alone
    store.DeleteRow(mine);
    m_host->setOfficeMode(0);
    ASSERT_EQ(load(u"ALERT"_s), 1);
    EXPECT_EQ(m_grid.GetText(2, 1), u"Theirs"_s);
}

// A list read while its rows arrive, longer than the room first made for it:
// the grid holds exactly its rows, or the more it held before.
TEST_P(ListStoreTest, AListOfUnknownLengthGrowsTheGridToItsRowsOnly) {
    m_db->exec(
        u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500) "
        "INSERT INTO UsrDefTable (UsrDefCod, usrdefSeqCod, usrdefDes) SELECT 'LONG', 'G', 'row' FROM n"_s);
    m_grid.setMaxRows(0);
    EXPECT_EQ(load(u"LONG"_s), 1500);
    EXPECT_EQ(m_grid.MaxRows(), 1500);
    EXPECT_EQ(m_grid.GetText(2, 1500), u"row"_s);
    m_grid.setMaxRows(5000);
    EXPECT_EQ(load(u"LONG"_s), 1500);
    EXPECT_EQ(m_grid.MaxRows(), 5000);
}

VV_ON_BOTH_ENGINES(ListStoreTest);

} // namespace
