// The keyboard of the month view: month keys, the day cursor's moves across the ends of
// months and years, its starting day, and the day Enter opens.
#include "DayCursor.h"

#include <gtest/gtest.h>

#include <tuple>

#include "MonthInput.h"
#include "MonthPainter.h"
#include "RecordingCanvas.h"

namespace {

using KeyAction = CMonthNavigator::KeyAction;

const LocalDateTime kNow{2008, 3, 10, 12, 0, 0};

TEST(MonthKeysTest, KeysMoveMonthAndCursorAcrossMonthEnds) {
    struct Case {
        int year, month, cursor;  // the month shown; cursor 0: not moved since it was shown
        MonthKey key;
        int toYear, toMonth, toDay;  // the month shown and the cursor's day afterwards
    };
    using K = MonthKey;
    const Case cases[] = {
        // The cursor starts on today in the current month, on the 1st in any other.
        {2008, 3, 0, K::kDown, 2008, 3, 11},
        {2008, 5, 0, K::kDown, 2008, 5, 2},
        {2008, 3, 0, K::kUp, 2008, 3, 9},
        // Up and Down: one day, into the neighbouring month past either end.
        {2008, 3, 1, K::kUp, 2008, 2, 29},
        {2007, 3, 1, K::kUp, 2007, 2, 28},
        {2009, 1, 1, K::kUp, 2008, 12, 31},
        {2008, 3, 31, K::kDown, 2008, 4, 1},
        {2008, 4, 30, K::kDown, 2008, 5, 1},
        {2008, 2, 29, K::kDown, 2008, 3, 1},
        {2008, 12, 31, K::kDown, 2009, 1, 1},
        {2008, 3, 16, K::kDown, 2008, 3, 17},  // from the bottom of the left column
        // Left and Right: the same row of the other column, then of the next page.
        {2008, 3, 5, K::kRight, 2008, 3, 21},
        {2008, 3, 21, K::kLeft, 2008, 3, 5},
        {2008, 3, 21, K::kRight, 2008, 4, 5},
        {2008, 3, 5, K::kLeft, 2008, 2, 21},
        {2008, 12, 20, K::kRight, 2009, 1, 4},
        {2009, 1, 4, K::kLeft, 2008, 12, 20},
        {2008, 2, 13, K::kRight, 2008, 2, 29},
        // An empty cell (day 32, or past a short month's end) is passed over.
        {2008, 3, 16, K::kRight, 2008, 4, 16},
        {2008, 4, 15, K::kRight, 2008, 5, 15},
        {2007, 2, 13, K::kRight, 2007, 3, 13},
        {2008, 3, 16, K::kLeft, 2008, 2, 16},
        {2008, 5, 15, K::kLeft, 2008, 4, 15},
        // Month keys put the cursor back on its starting day.
        {2008, 1, 20, K::kPrevMonth, 2007, 12, 1},
        {2008, 12, 5, K::kNextMonth, 2009, 1, 1},
        {2008, 2, 5, K::kNextMonth, 2008, 3, 10},
        {2010, 6, 7, K::kCurrentMonth, 2008, 3, 10},
        {2008, 3, 20, K::kCurrentMonth, 2008, 3, 10},
        // Open leaves everything where it is.
        {2008, 3, 20, K::kOpen, 2008, 3, 20},
    };
    const MonthLayout layout;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.year << "-" << c.month << " day " << c.cursor << " key " << int(c.key));
        CMonthNavigator nav(layout, kNow);
        ASSERT_TRUE(nav.ShowMonth(c.year, c.month));
        if (c.cursor != 0) {
            nav.m_nCursorDay = c.cursor;
        }
        const CMonthNavigator::KeyResult result = nav.OnKey(c.key, kNow);
        EXPECT_EQ(nav.m_nViewYear, c.toYear);
        EXPECT_EQ(nav.m_nViewMonth, c.toMonth);
        EXPECT_EQ(nav.CursorDay(kNow), c.toDay);
        EXPECT_EQ(result.action, c.key == K::kOpen ? KeyAction::kOpenDay : KeyAction::kRepaint);
        if (c.key == K::kOpen) {
            EXPECT_EQ(result.day, c.toDay);
        }
    }
}

// Enter opens the day the cursor is on, wherever it came from: the starting day, the
// arrows, or a double-click on another day.
TEST(MonthKeysTest, OpenNamesTheCursorDay) {
    const MonthLayout layout;
    CMonthNavigator nav(layout, kNow);
    EXPECT_EQ(nav.OnKey(MonthKey::kOpen, kNow).day, 10);
    nav.OnKey(MonthKey::kRight, kNow);
    EXPECT_EQ(nav.OnKey(MonthKey::kOpen, kNow).day, 26);
    ASSERT_EQ(nav.OnLButtonDblClk({30, layout.RowTop(2) + 5}, kNow).day, 3);
    EXPECT_EQ(nav.OnKey(MonthKey::kOpen, kNow).day, 3);
    nav.ShowNextMonth();
    EXPECT_EQ(nav.OnKey(MonthKey::kOpen, kNow).day, 1);
}

TEST(MonthKeysTest, ShowMonthTakesOnlyYearsAndMonthsTheFileCanHold) {
    const struct {
        int year, month;
        bool shown;
    } cases[] = {{1000, 1, true},   {9999, 12, true}, {999, 12, false},
                 {10000, 1, false}, {2008, 0, false}, {2008, 13, false}};
    const MonthLayout layout;
    for (const auto& c : cases) {
        CMonthNavigator nav(layout, kNow);
        EXPECT_EQ(nav.ShowMonth(c.year, c.month), c.shown) << c.year << "-" << c.month;
        EXPECT_EQ(nav.m_nViewYear, c.shown ? c.year : 2008);
        EXPECT_EQ(nav.m_nViewMonth, c.shown ? c.month : 3);
    }
    // The next and previous month stop at the ends of the dates.
    for (const auto& [year, month, next] :
         {std::tuple{9999, 12, true}, std::tuple{1000, 1, false}}) {
        CMonthNavigator nav(layout, kNow);
        ASSERT_TRUE(nav.ShowMonth(year, month));
        next ? nav.ShowNextMonth() : nav.ShowPrevMonth();
        EXPECT_EQ(nav.m_nViewYear, year);
        EXPECT_EQ(nav.m_nViewMonth, month);
    }
}

// The frame lies inside the day's row, clear of the grid lines above and below it.
TEST(DayCursorTest, FrameIsInsideTheDaysRow) {
    const MonthLayout layout;
    EXPECT_EQ(DayCursorFrame(layout, 1), (fw::Rect{20, 21, 370, 47}));
    EXPECT_EQ(DayCursorFrame(layout, 16), (fw::Rect{20, 426, 370, 452}));
    EXPECT_EQ(DayCursorFrame(layout, 17), (fw::Rect{400, 21, 750, 47}));
    EXPECT_EQ(DayCursorFrame(layout, 31), (fw::Rect{400, 399, 750, 425}));
}

// The view draws the cursor through PaintMonth's overlay: over the finished month, as the
// last drawing before the one copy to the window, in 2-pixel bands just inside the row.
TEST(DayCursorTest, OverlayDrawsTheFrameLastBeforeTheCopy) {
    const MonthLayout layout;
    const MonthContent content;
    fw::RecordingCanvas canvas;
    PaintMonth(canvas, layout, 2008, 3, kNow, &content,
               [&](fw::Canvas& over) { DrawDayCursor(over, layout, 17); });
    const std::vector<fw::CanvasCall>& calls = canvas.Calls();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(canvas.Count(fw::CanvasOp::kBlitToTarget), 1u);
    EXPECT_EQ(calls.back().op, fw::CanvasOp::kBlitToTarget);
    const fw::Rect bands[] = {
        {400, 22, 750, 22}, {400, 46, 750, 46}, {401, 21, 401, 47}, {749, 21, 749, 47}};
    for (int k = 0; k < 4; ++k) {
        const fw::CanvasCall& line = calls[calls.size() - 5 + k];
        EXPECT_EQ(line.op, fw::CanvasOp::kLine) << k;
        EXPECT_EQ(line.rect, bands[k]) << k;
        EXPECT_EQ(line.state.pen, (fw::PenSpec{2, kColorCursor})) << k;
    }
}

}  // namespace
