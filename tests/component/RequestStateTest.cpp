#include <core/RequestState.h>
#include <viVavazuruv/AutomationError.h>

#include <gtest/gtest.h>
#include <support/QtPrinting.h>

#include <QPointF>
#include <limits>

using namespace viVavazuruv;
using namespace Qt::StringLiterals;

namespace {

TEST(RequestStateTest, FieldNamesColumnsAndWindowPositionAreResetOrKeptAsTheNextRequestNeeds) {
    RequestState state;
    state.FieldNames.Redim(9);
    state.FieldNames(8) = u"stale"_s;
    qint16 n = 6;
    state.InitFieldNames(n);
    EXPECT_EQ(state.FieldNames.UBound(), 6);
    EXPECT_EQ(state.FieldNames(6), u"usrdefInd"_s);
    qint16 shortBound = 5;
    EXPECT_THROW(state.InitFieldNames(shortBound), AutomationError);

    // A second request that shows fewer columns sees no stale caption or width.
    state.ResetColumns();
    state.ColumnCaptions(5) = u"Document File Name"_s;
    state.ResetColumns();
    EXPECT_EQ(state.ColumnCaptions(5), QString());
    EXPECT_THROW(state.ColumnWidths(7), AutomationError);
    EXPECT_THROW(state.ColumnWidths(-1), AutomationError);

    // Zero, negative or NaN keep the previous request's position.
    state.SetWindowPosition(2000.0f, 1500.0f);
    state.SetWindowPosition(0.0f, -20.0f);
    EXPECT_EQ(QPointF(state.WindowLeft, state.WindowTop), QPointF(1500, 2000));
    state.SetWindowPosition(std::numeric_limits<float>::quiet_NaN(), 700.5f);
    EXPECT_EQ(QPointF(state.WindowLeft, state.WindowTop), QPointF(700.5, 2000));
}

} // namespace
