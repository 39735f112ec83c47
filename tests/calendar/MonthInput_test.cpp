#include "MonthInput.h"

#include <gtest/gtest.h>

namespace {

using Action = CMonthNavigator::DblClkAction;

const LocalDateTime kNow{2008, 3, 10, 12, 0, 0};

TEST(MonthHitTest, ClientPointsToDaysAndHeader) {
    struct Case {
        int year, month;
        fw::Point point;
        MonthHit hit;
    };
    const MonthHit nothing{};
    const MonthHit header{MonthHitKind::kHeader, 0};
    auto day = [](int d) { return MonthHit{MonthHitKind::kDay, d}; };
    const Case cases[] = {
        {2008, 3, {20, 20}, day(1)},
        {2008, 3, {369, 46}, day(1)},
        {2008, 3, {20, 47}, day(2)},
        {2008, 3, {370, 60}, day(2)},  // the gap belongs to the left column
        {2008, 3, {399, 451}, day(16)},
        {2008, 3, {400, 20}, day(17)},
        {2008, 3, {760, 20}, day(17)},   // and the right margin to the right column
        {2008, 3, {400, 424}, day(31)},  // the right column's row 15
        {2008, 3, {400, 425}, nothing},  // its last row: day 32
        {2008, 4, {400, 424}, nothing},  // day 31 of a 30-day month
        {2008, 2, {400, 344}, day(29)},
        {2007, 2, {400, 344}, nothing},
        {2008, 3, {19, 100}, nothing},  // left margin
        {2008, 3, {0, 100}, nothing},
        {2008, 3, {20, 19}, header},
        {2008, 3, {399, 0}, header},
        {2008, 3, {19, 10}, nothing},
        {2008, 3, {400, 10}, nothing},  // above the right column
        {2008, 3, {760, 10}, nothing},
        {2008, 3, {100, 452}, nothing},  // below the rows
        {2008, 3, {780, 100}, nothing},  // right of the client area
    };
    const MonthLayout layout;
    for (const Case& c : cases) {
        EXPECT_EQ(HitTestMonth(layout, c.year, c.month, c.point), c.hit)
            << c.year << "/" << c.month << " at " << c.point.x << "," << c.point.y;
    }
}

TEST(MonthNavigatorTest, MonthsRollOverAtTheYearEnd) {
    CMonthNavigator nav(MonthLayout{}, {2008, 12, 31, 23, 0, 0});
    EXPECT_EQ(nav.m_nViewYear, 2008);
    EXPECT_EQ(nav.m_nViewMonth, 12);
    EXPECT_TRUE(nav.OnMouseWheel(-120));  // towards the user: forward
    EXPECT_EQ(nav.m_nViewYear, 2009);
    EXPECT_EQ(nav.m_nViewMonth, 1);
    EXPECT_TRUE(nav.OnMouseWheel(120));
    EXPECT_EQ(nav.m_nViewYear, 2008);
    EXPECT_EQ(nav.m_nViewMonth, 12);
    nav.ShowCurrentMonth({2009, 1, 5, 0, 0, 0});
    EXPECT_TRUE(nav.OnMouseWheel(0));  // zero counts as away from the user
    EXPECT_EQ(nav.m_nViewYear, 2008);
    EXPECT_EQ(nav.m_nViewMonth, 12);
    EXPECT_TRUE(nav.OnMouseWheel(-1200));  // one month per event, whatever the delta
    EXPECT_EQ(nav.m_nViewMonth, 1);
}

TEST(MonthNavigatorTest, ReleasesMoveByMarginOrByDrag) {
    struct Case {
        int pressX;  // -1: no press in the view
        fw::Point release;
        int monthAfter;  // starting from March
    };
    const Case cases[] = {
        {300, {360, 100}, 2},                        // dragged 60 to the right: back
        {300, {350, 100}, 3},                        // 50 is no drag
        {300, {250, 100}, 3}, {300, {240, 100}, 4},  // 60 to the left: forward
        {300, {360, 0}, 2},                          // y plays no part
        {300, {19, 100}, 2},                         // left margin
        {10, {19, 100}, 2},   {30, {20, 100}, 3},
        {740, {750, 100}, 3}, {300, {751, 100}, 4},  // right of the right column
        {700, {751, 100}, 4}, {-1, {300, 100}, 3},   // released without a press: a plain click
        {-1, {700, 100}, 3},  {-1, {5, 100}, 2},
    };
    for (const Case& c : cases) {
        CMonthNavigator nav(MonthLayout{}, kNow);
        if (c.pressX >= 0) {
            nav.OnLButtonDown({c.pressX, 200});
        }
        EXPECT_EQ(nav.OnLButtonUp(c.release), c.monthAfter != 3)
            << c.pressX << " -> " << c.release.x;
        EXPECT_EQ(nav.m_nViewMonth, c.monthAfter) << c.pressX << " -> " << c.release.x;
        EXPECT_EQ(nav.m_nViewYear, 2008);
    }
}

TEST(MonthNavigatorTest, DoubleClicks) {
    CMonthNavigator nav(MonthLayout{}, kNow);
    nav.ShowNextMonth();
    nav.ShowNextMonth();  // May
    auto result = nav.OnLButtonDblClk({380, 60}, kNow);
    EXPECT_EQ(result.action, Action::kOpenDay);
    EXPECT_EQ(result.day, 2);
    EXPECT_EQ(nav.m_nViewMonth, 5);
    result = nav.OnLButtonDblClk({400, 425}, kNow);  // day 32
    EXPECT_EQ(result.action, Action::kNone);
    result = nav.OnLButtonDblClk({500, 5}, kNow);  // header above the right column
    EXPECT_EQ(result.action, Action::kNone);
    EXPECT_EQ(nav.m_nViewMonth, 5);
    result = nav.OnLButtonDblClk({100, 5}, {2009, 7, 1, 0, 0, 0});
    EXPECT_EQ(result.action, Action::kMonthChanged);
    EXPECT_EQ(nav.m_nViewYear, 2009);
    EXPECT_EQ(nav.m_nViewMonth, 7);
}

TEST(MonthNavigatorTest, ADoubleClickInASideMarginMovesTwoMonthsAndOpensNothing) {
    // What the toolkit sends for a double-click: press, release, press, double-click,
    // release. Both releases move the month; the double-click lands in the month the
    // first release showed and must open nothing there.
    struct Case {
        fw::Point point;
        int year, month;
    };
    const Case cases[] = {
        {{10, 100}, 2008, 1},   // left margin: back two months
        {{0, 300}, 2008, 1},    //
        {{19, 20}, 2008, 1},    // the margin's last pixel, beside day 1
        {{751, 20}, 2008, 5},   // right margin beside day 17: on two months
        {{760, 424}, 2008, 5},  // beside day 31 (May has one)
        {{779, 100}, 2008, 5},
    };
    const MonthLayout layout;
    ASSERT_EQ(layout.ColumnsRight(), 750);
    for (const Case& c : cases) {
        CMonthNavigator nav(layout, kNow);
        nav.OnLButtonDown(c.point);
        EXPECT_TRUE(nav.OnLButtonUp(c.point));
        nav.OnLButtonDown(c.point);
        const auto result = nav.OnLButtonDblClk(c.point, kNow);
        EXPECT_EQ(result.action, Action::kNone) << c.point.x << "," << c.point.y;
        EXPECT_EQ(result.day, 0);
        EXPECT_TRUE(nav.OnLButtonUp(c.point));
        EXPECT_EQ(nav.m_nViewYear, c.year);
        EXPECT_EQ(nav.m_nViewMonth, c.month) << c.point.x << "," << c.point.y;
        EXPECT_EQ(nav.m_nCursorDay, 0);  // no day was picked either
    }
    // Inside the columns a double-click still opens the day; the double-click leaves the
    // press alone: the next release is judged against it.
    CMonthNavigator nav(layout, kNow);
    EXPECT_EQ(nav.OnLButtonDblClk({750, 20}, kNow).day, 17);
    nav.OnLButtonDown({300, 100});
    nav.OnLButtonDblClk({200, 100}, kNow);
    EXPECT_TRUE(nav.OnLButtonUp({240, 100}));  // a drag of 60 to the left
    EXPECT_EQ(nav.m_nViewMonth, 4);
}

}  // namespace
