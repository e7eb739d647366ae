#include <QFontMetricsF>
#include <QTableView>
#include <grid/ColumnWidths.h>
#include <gtest/gtest.h>

using namespace viVavazuruv::grid;

namespace {

// A width read back from the pixels it was given is the width set (within the
// pixel it was rounded to), at any font size; nothing is negative or empty.
TEST(ColumnWidthsTest, CharactersAndPixelsRoundTripAtEveryFontSize) {
    QTableView view;
    for (int points : {7, 9, 12, 20}) {
        QFont font = view.font();
        font.setPointSize(points);
        view.setFont(font);
        SCOPED_TRACE(points);
        const double pixel = 1.0 / averageCharWidth(view);
        for (double chars = 0; chars <= 60; chars += 2.5)
            EXPECT_NEAR(charsOfPixels(view, pixelsOfChars(view, chars)), chars, pixel) << chars;
        // Room for one wide letter besides the characters counted.
        EXPECT_GT(pixelsOfChars(view, 0), QFontMetricsF(font).horizontalAdvance(QLatin1Char('W')));
        EXPECT_EQ(charsOfPixels(view, 0), 0.0);
    }
}

} // namespace
