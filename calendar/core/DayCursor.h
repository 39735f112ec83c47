// The day cursor of the month view: which day the keyboard works on, how the arrow keys
// move it, and the frame that shows it.
//
// Up and Down go to the previous and next day. Left and Right go to the same row of the
// other column. The months lie side by side as pages, so past either end the move goes on
// into the neighbouring month: Up from the 1st to the last day of the month before, Down
// from the last day to the 1st of the next; Right from the right column to the same row of
// the next month's left column, Left from the left column to the same row of the previous
// month's right column. A cell with no day in it (day 32, or 29 to 31 where the month is
// shorter) is passed over to the next cell in that direction.
#pragma once

#include "Canvas.h"
#include "MonthLayout.h"

enum class CursorMove { kPrevDay, kNextDay, kLeft, kRight };

struct MonthDayPos {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const MonthDayPos&, const MonthDayPos&) = default;
};

// Number of days of year/month (28 to 31).
int DaysInMonth(int year, int month);

// Where the cursor on `from` (an existing day) goes with `move`.
MonthDayPos MoveDayCursor(const MonthLayout& layout, MonthDayPos from, CursorMove move);

// The frame around day's row: the row's full column width and height, drawn inside the
// row so it does not cover the neighbouring rows' grid lines.
fw::Rect DayCursorFrame(const MonthLayout& layout, int day);

// Draws the frame of `day` (1..31) as a 2-pixel band in kColorCursor just inside
// DayCursorFrame; leaves that pen selected.
void DrawDayCursor(fw::Canvas& canvas, const MonthLayout& layout, int day);

inline constexpr fw::Rgb kColorCursor{0, 90, 220};
