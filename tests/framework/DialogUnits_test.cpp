#include "DialogUnits.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogUnitsTest, EdgesRoundToTheNearestPixelHalvesUp) {
    struct Case {
        int du, x, y;
    };
    // x = du * 1.75, y = du * 1.5, rounded half up.
    const Case cases[] = {
        {0, 0, 0},      {1, 2, 2},       {2, 4, 3},    {3, 5, 5},    {4, 7, 6},
        {17, 30, 26},   {21, 37, 32},    {26, 46, 39}, {38, 67, 57}, {40, 70, 60},
        {98, 172, 147}, {263, 460, 395}, {-1, -2, -1}, {-2, -3, -3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fw::DialogXToPixels(c.du), c.x) << c.du;
        EXPECT_EQ(fw::DialogYToPixels(c.du), c.y) << c.du;
    }
}

TEST(DialogUnitsTest, RectanglesMapEachEdgeSoNeighboursStayAdjacent) {
    // Start and end time edits of the time entry dialog: x 36.75-70 and 119-152.25.
    EXPECT_EQ(fw::DialogRectToPixels(21, 26, 19, 12), (fw::Rect{37, 39, 70, 57}));
    EXPECT_EQ(fw::DialogRectToPixels(68, 26, 19, 12), (fw::Rect{119, 39, 152, 57}));
    // A one-unit rule at y 17 (25.5 px) is one pixel high.
    EXPECT_EQ(fw::DialogRectToPixels(7, 17, 249, 1), (fw::Rect{12, 26, 448, 27}));
    // Two controls that touch in dialog units touch in pixels, whatever the rounding.
    for (int x = 0; x < 40; ++x) {
        const fw::Rect left = fw::DialogRectToPixels(x, x, 13, 13);
        const fw::Rect right = fw::DialogRectToPixels(x + 13, x + 13, 14, 14);
        EXPECT_EQ(left.right, right.left) << x;
        EXPECT_EQ(left.bottom, right.top) << x;
    }
}

}  // namespace
