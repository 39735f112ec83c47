// The month view's geometry and drawing objects, as plain data the wx view copies.
//
// A month is a list of days in two columns under a header band: days 1 to 16 down the
// left column, 17 to 31 down the right one (the cell of day 32 is always blank). With the
// defaults the client area is 770 x 452 pixels:
//
//   x: 20 (margin) | column 0: 20..369 | gap 370..399 | column 1: 400..749 | margin
//   y: 0..19 header band (rule along y = 19) | row r at 20 + 27 r, r = 0..15
//
// Inside a row at (x0, y) the day number sits in a 27-pixel square at the left with the
// weekday label in its lower part, and four entry boxes fill the rest: slots 0 and 1 on
// the upper and lower line of the first half, 2 and 3 of the second half. A day with a
// period moves its entries right to make room for the bar at x0+37 and the period text.
#pragma once

#include <compare>

#include "Canvas.h"

// A local date and time, passed in wherever the painting or the mouse logic needs "now".
struct LocalDateTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend auto operator<=>(const LocalDateTime&, const LocalDateTime&) = default;
};

// The current local date and time, the one clock read the view makes per paint or click.
LocalDateTime LocalDateTimeNow();

inline constexpr fw::Rgb kColorBlack{0, 0, 0};
inline constexpr fw::Rgb kColorWhite{255, 255, 255};
inline constexpr fw::Rgb kColorSunday{255, 0, 0};
inline constexpr fw::Rgb kColorSaturday{0, 0, 255};
inline constexpr fw::Rgb kColorHoliday{255, 0, 0};
inline constexpr fw::Rgb kColorPast{220, 220, 220};
// Period bars: a dark grey that stands out on white, on the grey of days that are over and on
// today's yellow alike.
inline constexpr fw::Rgb kColorBar{100, 100, 100};
// Today's row: a pale yellow of its own, apart from the white of days to come and the grey
// of days that are over.
inline constexpr fw::Rgb kColorToday{255, 243, 176};

// "ＭＳ ゴシック", the monospaced Gothic face of every text in the view (UTF-8).
inline constexpr const char* kMonthFontFace = "ＭＳ ゴシック";

struct MonthLayout {
    MonthLayout();

    fw::FontSpec m_fontDay;                 // day numbers
    fw::FontSpec m_fontWeekday;             // weekday labels
    fw::FontSpec m_fontEntry;               // entry and period texts
    fw::FontSpec m_fontHeader;              // year and month
    fw::PenSpec m_penRule{2, kColorBlack};  // rule under the header
    fw::PenSpec m_penGrid{0, kColorBlack};  // row separators, ovals
    fw::PenSpec m_penBar{0, kColorBar};     // outline of period marks
    fw::PenSpec m_penPast{0, kColorPast};   // outline of past-day shading
    fw::BrushSpec m_brushBar{kColorBar, false};
    fw::BrushSpec m_brushPast{kColorPast, false};
    fw::BrushSpec m_brushToday{kColorToday, false};
    fw::PenSpec m_penToday{0, kColorToday};
    fw::BrushSpec m_brushWhite{kColorWhite, false};

    int m_nDaysPerColumn = 16;
    int m_nColumns = 2;
    int m_nColumnWidth = 350;
    int m_nRowHeight = 27;
    int m_nHeaderHeight = 20;  // also the y of the first day row
    // The number and the weekday share the day's square: the number a pixel smaller leaves
    // the weekday 11 pixels, where its kanji keep their strokes, and the oval room around it.
    int m_nDayFontHeight = 15;
    int m_nWeekdayFontHeight = 11;  // also the height of the weekday label box
    int m_nEntryFontHeight = 12;    // two lines of 13 pixels in a row
    int m_nHeaderFontHeight = 18;
    // From the top of a row to the top of its weekday label: high enough that the paid-leave
    // oval around the label clears the row line below.
    int m_nWeekdayOffset = 14;
    int m_nLeftMargin = 20;  // x of the left column
    int m_nColumnGap = 30;

    int ClientWidth() const;
    int ClientHeight() const;
    // x of column c, y of row r, and the day number shown in that cell (1..32).
    int ColumnLeft(int column) const;
    int RowTop(int row) const;
    int DayOfCell(int column, int row) const;
    // Right edge of the last column: a release right of it shows the next month.
    int ColumnsRight() const;

    // Boxes of a day row whose column starts at x0 and whose top is y.
    fw::Rect HeaderBox() const;
    fw::Rect DayNumberBox(int x0, int y) const;
    fw::Rect WeekdayBox(int x0, int y) const;
    // Around the weekday label, between the day number and the row line.
    fw::Rect PaidLeaveOval(int x0, int y) const;
    fw::Rect PastDayShading(int x0, int y) const;
    fw::Rect EntryBox(int x0, int y, int slot, bool withPeriod) const;
    int PeriodAxis(int x0) const;
    fw::Rect PeriodTextBox(int x0, int y) const;
};
