#include "MonthInput.h"

#include <cmath>

#include "DayContent.h"

namespace {

// More than this many pixels between press and release is a drag.
constexpr int kDragThreshold = 50;

}  // namespace

MonthHit HitTestMonth(const MonthLayout& layout, int year, int month, fw::Point point) {
    const double pitch = layout.m_nColumnWidth + layout.m_nColumnGap;
    const int column = static_cast<int>(std::trunc((point.x - layout.m_nLeftMargin) / pitch + 1.0));
    const int row = static_cast<int>(
        std::trunc((point.y - layout.m_nHeaderHeight) / double(layout.m_nRowHeight) + 1.0));
    if (row < 1) {
        return {column == 1 ? MonthHitKind::kHeader : MonthHitKind::kNothing, 0};
    }
    // Left of the first column, right of the last or below the last row there is no day
    // (below the rows the arithmetic would name a day of the next column).
    if (column < 1 || column > layout.m_nColumns || row > layout.m_nDaysPerColumn) {
        return {};
    }
    const int day = layout.m_nDaysPerColumn * (column - 1) + row;
    if (day >= 32 || !ScheduleIsDate(ScheduleDate(year, month, day))) {
        return {};
    }
    return {MonthHitKind::kDay, day};
}

CMonthNavigator::CMonthNavigator(const MonthLayout& layout, const LocalDateTime& now)
    : m_nViewYear(now.year), m_nViewMonth(now.month), m_layout(layout) {}

void CMonthNavigator::ShowNextMonth() {
    m_nCursorDay = 0;
    if (m_nViewYear >= 9999 && m_nViewMonth == 12) {
        return;  // the last month the dates can hold
    }
    if (++m_nViewMonth > 12) {
        m_nViewMonth = 1;
        ++m_nViewYear;
    }
}

void CMonthNavigator::ShowPrevMonth() {
    m_nCursorDay = 0;
    if (m_nViewYear <= 1000 && m_nViewMonth == 1) {
        return;  // the first month the dates can hold
    }
    if (--m_nViewMonth < 1) {
        m_nViewMonth = 12;
        --m_nViewYear;
    }
}

void CMonthNavigator::ShowCurrentMonth(const LocalDateTime& now) {
    m_nCursorDay = 0;
    m_nViewYear = now.year;
    m_nViewMonth = now.month;
}

bool CMonthNavigator::ShowMonth(int year, int month) {
    if (year < 1000 || year > 9999 || month < 1 || month > 12) {
        return false;
    }
    m_nCursorDay = 0;
    m_nViewYear = year;
    m_nViewMonth = month;
    return true;
}

int CMonthNavigator::CursorDay(const LocalDateTime& now) const {
    if (m_nCursorDay != 0) {
        return m_nCursorDay;
    }
    return m_nViewYear == now.year && m_nViewMonth == now.month ? now.day : 1;
}

CMonthNavigator::KeyResult CMonthNavigator::OnKey(MonthKey key, const LocalDateTime& now) {
    CursorMove move = CursorMove::kPrevDay;
    switch (key) {
        case MonthKey::kPrevMonth:
            ShowPrevMonth();
            return {};
        case MonthKey::kNextMonth:
            ShowNextMonth();
            return {};
        case MonthKey::kCurrentMonth:
            ShowCurrentMonth(now);
            return {};
        case MonthKey::kOpen:
            return {KeyAction::kOpenDay, CursorDay(now)};
        case MonthKey::kUp:
            move = CursorMove::kPrevDay;
            break;
        case MonthKey::kDown:
            move = CursorMove::kNextDay;
            break;
        case MonthKey::kLeft:
            move = CursorMove::kLeft;
            break;
        case MonthKey::kRight:
            move = CursorMove::kRight;
            break;
    }
    const MonthDayPos to =
        MoveDayCursor(m_layout, {m_nViewYear, m_nViewMonth, CursorDay(now)}, move);
    m_nViewYear = to.year;
    m_nViewMonth = to.month;
    m_nCursorDay = to.day;
    return {};
}

void CMonthNavigator::OnLButtonDown(fw::Point point) {
    m_ptLButtonDown = point;
}

bool CMonthNavigator::OnLButtonUp(fw::Point point) {
    if (point.x < m_layout.m_nLeftMargin) {
        ShowPrevMonth();
        return true;
    }
    if (point.x > m_layout.ColumnsRight()) {
        ShowNextMonth();
        return true;
    }
    const int dx = m_ptLButtonDown ? point.x - m_ptLButtonDown->x : 0;
    if (dx > kDragThreshold) {
        ShowPrevMonth();
        return true;
    }
    if (dx < -kDragThreshold) {
        ShowNextMonth();
        return true;
    }
    return false;
}

bool CMonthNavigator::OnMouseWheel(int delta) {
    if (delta < 0) {
        ShowNextMonth();
    } else {
        ShowPrevMonth();
    }
    return true;
}

CMonthNavigator::DblClkResult CMonthNavigator::OnLButtonDblClk(fw::Point point,
                                                               const LocalDateTime& now) {
    // A double-click in a side margin is two clicks there: each release has moved the
    // month, and the double-click itself must not open a day of the month it moved to
    // (the right margin belongs to the right column's days for everything else).
    if (point.x < m_layout.m_nLeftMargin || point.x > m_layout.ColumnsRight()) {
        return {};
    }
    const MonthHit hit = HitTestMonth(m_layout, m_nViewYear, m_nViewMonth, point);
    switch (hit.kind) {
        case MonthHitKind::kHeader:
            ShowCurrentMonth(now);
            return {DblClkAction::kMonthChanged, 0};
        case MonthHitKind::kDay:
            m_nCursorDay = hit.day;
            return {DblClkAction::kOpenDay, hit.day};
        case MonthHitKind::kNothing:
            break;
    }
    return {};
}
