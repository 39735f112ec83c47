// The month fitted into windows of several sizes: the factor and the centring, and every
// day found again under the mouse where it is painted; the text size factor and the start
// size it gives.
#include "MonthScale.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "MonthInput.h"

namespace {

TEST(MonthScaleTest, FitsTheMonthWholeWithOneFactorAndCentresTheRest) {
    const MonthLayout layout;
    struct Case {
        int width, height;
        MonthFit fit;
    };
    const Case cases[] = {
        {770, 452, {1.0, 0, 0}},  // the layout's own size: untouched
        {1540, 904, {2.0, 0, 0}},
        {1200, 700, {700 / 452.0, 4, 0}},  // height decides; 1192 wide, centred
        {2000, 452, {1.0, 615, 0}},        // only wider: centred across
        {770, 1000, {1.0, 0, 274}},        // only taller: centred down
        {1155, 2000, {1.5, 0, 661}},       // width decides
        {769, 452, {1.0, 0, 0}},           // smaller than the month: as it is, cut
        {0, 0, {1.0, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitMonth(layout, c.width, c.height), c.fit) << c.width << "x" << c.height;
    }
}

// For every size, each day's row, seen at its window pixels, maps back to that day: the
// first and last window pixel of the row and its centre.
TEST(MonthScaleTest, EveryDayIsHitWherePaintedAtEverySize) {
    const MonthLayout layout;
    const int sizes[][2] = {{770, 452}, {1200, 700}, {1540, 904}, {2600, 1400}, {1001, 999}};
    for (const auto& size : sizes) {
        const MonthFit fit = FitMonth(layout, size[0], size[1]);
        for (int day = 1; day <= 31; ++day) {
            const int column = (day - 1) / layout.m_nDaysPerColumn;
            const int row = (day - 1) % layout.m_nDaysPerColumn;
            const int x0 = layout.ColumnLeft(column);
            const int y0 = layout.RowTop(row);
            const fw::Rect box{x0, y0, x0 + layout.m_nColumnWidth, y0 + layout.m_nRowHeight};
            // The window pixels the row covers once scaled: [first, last].
            const auto first = [&](int m, int origin) {
                return origin + static_cast<int>(std::ceil(m * fit.scale));
            };
            const fw::Point corners[] = {
                {first(box.left, fit.left), first(box.top, fit.top)},
                {first(box.right, fit.left) - 1, first(box.bottom, fit.top) - 1},
                {fit.left + static_cast<int>((box.left + box.right) / 2.0 * fit.scale),
                 fit.top + static_cast<int>((box.top + box.bottom) / 2.0 * fit.scale)},
            };
            for (const fw::Point& at : corners) {
                const MonthHit hit = HitTestMonth(layout, 2026, 12, fit.MonthPoint(at));
                EXPECT_EQ(hit, (MonthHit{MonthHitKind::kDay, day}))
                    << size[0] << "x" << size[1] << " day " << day << " at " << at.x << "," << at.y;
            }
        }
        // Left of the month's first pixel is left of the month, not its first column.
        EXPECT_EQ(fit.MonthPoint({fit.left - 1, fit.top}).x, -1) << size[0];
    }
}

TEST(MonthScaleTest, TextSizeSettingGrowsTheStartSizeWithinBounds) {
    const MonthLayout layout;
    struct Case {
        int xftDpi;
        double scale;
        MonthClientSize start;
    };
    const Case cases[] = {
        {-1, 1.0, {770, 452}},  // the desktop sets none
        {0, 1.0, {770, 452}},
        {96 * 1024, 1.0, {770, 452}},
        {120 * 1024, 1.25, {963, 565}},  // 962.5 rounds up
        {144 * 1024, 1.5, {1155, 678}},
        {48 * 1024, 1.0, {770, 452}},  // smaller text never shrinks the month
        {INT_MAX, 3.0, {2310, 1356}},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(TextScaleFromXftDpi(c.xftDpi), c.scale) << c.xftDpi;
        EXPECT_EQ(DefaultMonthClientSize(layout, TextScaleFromXftDpi(c.xftDpi)), c.start)
            << c.xftDpi;
    }
    EXPECT_EQ(DefaultMonthClientSize(layout, std::numeric_limits<double>::quiet_NaN()),
              (MonthClientSize{770, 452}));
}

}  // namespace
