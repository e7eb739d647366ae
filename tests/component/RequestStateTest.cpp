#include <core/RequestState.h>

#include <gtest/gtest.h>
#include <support/QtPrinting.h>

#include <QPointF>
#include <limits>

using namespace viVavazuruv;

namespace {

// A caller that passes no usable position gets the last one a caller passed.
TEST(RequestStateTest, ZeroNegativeOrNaNKeepTheLastPositionAskedFor) {
    RequestState state;
    PickerRequest request;
    state.PlaceRequest(request, 2000.0f, 1500.0f);
    state.PlaceRequest(request, 0.0f, -20.0f);
    EXPECT_EQ(QPointF(request.WindowLeft, request.WindowTop), QPointF(1500, 2000));
    state.PlaceRequest(request, std::numeric_limits<float>::quiet_NaN(), 700.5f);
    EXPECT_EQ(QPointF(request.WindowLeft, request.WindowTop), QPointF(700.5, 2000));
}

} // namespace
