#include <component/RequestState.h>
#include <viVavazuruv/AutomationError.h>

#include <gtest/gtest.h>

#include <limits>

using namespace viVavazuruv;

namespace {

TEST(RequestStateTest, InitFieldNamesFillsTheFixedTableAndRefusesAShortArray) {
    RequestState state;
    state.FieldNames.Redim(9);
    state.FieldNames(8) = QStringLiteral("stale");
    qint16 n = 6;
    state.InitFieldNames(n);
    EXPECT_EQ(state.FieldNames.UBound(), 6);
    const QStringList expected{QStringLiteral("UsrDefCod"), QStringLiteral("usrdefSeqCod"),
                               QStringLiteral("usrdefDes"), QStringLiteral("usrdefCDSDRWFla"),
                               QStringLiteral("usrdefADA"), QStringLiteral("usrdefLetNam"),
                               QStringLiteral("usrdefInd")};
    for (int i = 0; i <= 6; ++i)
        EXPECT_EQ(state.FieldNames(i), expected.at(i)) << i;

    qint16 shortBound = 5;
    try {
        state.InitFieldNames(shortBound);
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::SubscriptOutOfRange);
    }
}

TEST(RequestStateTest, RedimDiscardsContentsAndBoundsAreChecked) {
    RequestState state;
    state.ResetColumns();
    state.ColumnCaptions(5) = QStringLiteral("Document File Name");
    state.ColumnWidths(5) = 15;
    // A second request that shows fewer columns sees no stale caption or width.
    state.ResetColumns();
    EXPECT_EQ(state.ColumnCaptions(5), QString());
    EXPECT_EQ(state.ColumnWidths(5), 0);
    EXPECT_EQ(state.ColumnWidths.UBound(), 6);
    EXPECT_THROW(state.ColumnWidths(7), AutomationError);
    EXPECT_THROW(state.ColumnWidths(-1), AutomationError);

    VbArray<qint16> keys;
    EXPECT_EQ(keys.UBound(), -1);
    EXPECT_THROW(keys(0), AutomationError);
}

TEST(RequestStateTest, WindowPositionKeepsThePreviousRequestsValueForZeroNegativeOrNaN) {
    RequestState state;
    state.SetWindowPosition(0.0f, 0.0f);
    EXPECT_EQ(state.WindowTop, 0.0f);
    state.SetWindowPosition(2000.0f, 1500.0f);
    state.SetWindowPosition(0.0f, -20.0f);
    EXPECT_EQ(state.WindowTop, 2000.0f);
    EXPECT_EQ(state.WindowLeft, 1500.0f);
    state.SetWindowPosition(std::numeric_limits<float>::quiet_NaN(), 700.5f);
    EXPECT_EQ(state.WindowTop, 2000.0f);
    EXPECT_EQ(state.WindowLeft, 700.5f);
}

TEST(RequestStateTest, ValuesPersistInTheComponentWideInstance) {
    RequestState& first = RequestState::instance();
    first.DatabaseCode = QStringLiteral("CRECARD");
    first.SelectionResult = QStringLiteral("1\nVisa\n\x0D");
    first.MultiSelect = true;
    RequestState& again = RequestState::instance();
    EXPECT_EQ(&first, &again);
    EXPECT_EQ(again.DatabaseCode, QStringLiteral("CRECARD"));
    EXPECT_TRUE(again.MultiSelect);
    EXPECT_EQ(again.SelectionResult, QStringLiteral("1\nVisa\n\x0D"));
}

TEST(RequestStateTest, HostBeforeAnyPutIsObjectNotSet) {
    RequestState state;
    try {
        state.Host();
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::ObjectNotSet);
    }
}

} // namespace
