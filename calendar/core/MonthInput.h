// The month view's mouse logic, free of any toolkit: the view forwards its mouse events
// here and repaints when told to.
//
// - A release left of the left column shows the previous month, right of the last column
//   the next one; elsewhere a drag of more than 50 pixels to the right shows the previous
//   month and one of more than 50 to the left the next one. Only x counts.
// - The wheel moves one month per event: towards the user (delta < 0) forward, any other
//   delta back.
// - A double-click in the header band above the left column shows the current month; one
//   on an existing day opens that day (and puts the day cursor on it). One in a side
//   margin opens nothing: its two releases have moved two months, as two clicks do.
//
// The keyboard (the view maps its keys to MonthKey): PageUp and PageDown show the previous
// and next month, Home the current one; the arrows move the day cursor (DayCursor.h), into
// the neighbouring month past either end; Enter and Space open the day under the cursor.
// The cursor starts on today in the current month and on the 1st in any other, and goes
// back there whenever the month changes otherwise than by the cursor.
#pragma once

#include <optional>

#include "Canvas.h"
#include "DayCursor.h"
#include "MonthLayout.h"

enum class MonthKey { kPrevMonth, kNextMonth, kCurrentMonth, kUp, kDown, kLeft, kRight, kOpen };

enum class MonthHitKind { kNothing, kHeader, kDay };

struct MonthHit {
    MonthHitKind kind = MonthHitKind::kNothing;
    int day = 0;  // kDay: 1..31, a day of the month shown
    friend bool operator==(const MonthHit&, const MonthHit&) = default;
};

// What a client point of the month year/month hits. A column's area runs from its left
// edge to the next column's left edge, so the gap belongs to the column on its left and
// the right margin to the last column; kHeader is the band above the first column only.
// Computed in floating point and truncated towards zero.
MonthHit HitTestMonth(const MonthLayout& layout, int year, int month, fw::Point point);

class CMonthNavigator {
  public:
    // Starts on now's month with no press recorded.
    CMonthNavigator(const MonthLayout& layout, const LocalDateTime& now);

    // The three month operations; the view repaints after each. The next and previous
    // month stop at December 9999 and January 1000, the ends of the dates.
    void ShowNextMonth();
    void ShowPrevMonth();
    void ShowCurrentMonth(const LocalDateTime& now);
    // year 1000..9999, month 1..12; anything else changes nothing and returns false.
    bool ShowMonth(int year, int month);

    // The day under the cursor in the month shown.
    int CursorDay(const LocalDateTime& now) const;

    enum class KeyAction { kRepaint, kOpenDay };
    struct KeyResult {
        KeyAction action = KeyAction::kRepaint;
        int day = 0;  // kOpenDay: the day of the month shown
    };
    KeyResult OnKey(MonthKey key, const LocalDateTime& now);

    void OnLButtonDown(fw::Point point);
    // Each returns true when the month changed and the view must repaint.
    bool OnLButtonUp(fw::Point point);
    bool OnMouseWheel(int delta);

    enum class DblClkAction { kNone, kMonthChanged, kOpenDay };
    struct DblClkResult {
        DblClkAction action = DblClkAction::kNone;
        int day = 0;  // kOpenDay: the day of the month shown
    };
    // Does not change the recorded press: the release that follows is judged against the
    // press before the double-click, as every release is.
    DblClkResult OnLButtonDblClk(fw::Point point, const LocalDateTime& now);

    int m_nViewYear;
    int m_nViewMonth;
    // The last press in the view; none before the first one, and a release with no press
    // to compare with (pressed elsewhere, released over the view) counts as a plain click.
    std::optional<fw::Point> m_ptLButtonDown;
    // The cursor's day in the month shown; 0 until the cursor is moved (CursorDay).
    int m_nCursorDay = 0;

  private:
    MonthLayout m_layout;
};
