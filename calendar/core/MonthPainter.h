// Painting one month of the schedule table through a Canvas.
//
// The painter draws what the model read for the month (CScheduleModel::ReadMonth) and
// keeps nothing. It draws the whole
// client area off-screen and copies it to the window with one BlitToTarget at the end;
// without the month's content it shades a past month and stops before the copy, so the window keeps
// what it showed. Texts are drawn opaque on a background colour that always equals the
// fill below them (white, or grey for what is over).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Canvas.h"
#include "MonthLayout.h"
#include "ScheduleModel.h"

// "%d年 %d月" as CP932 bytes, e.g. "2008年 3月".
std::string MonthHeaderText(int year, int month);

// The label of a timed entry from its stored cells: the text alone when both times are
// empty, else "HH:MM-HH:MM" followed by the text. A time cell shorter than four bytes
// shows as nothing, so 0930,"" gives "09:30-Meeting" and "",1000 "-10:00Meeting".
std::string EntryLabel(std::string_view fromTime, std::string_view toTime, std::string_view text);

// A month is over when it lies before now's month; a day when its last second lies
// before now.
bool IsPastMonth(int year, int month, const LocalDateTime& now);
bool IsPastDay(int year, int month, int day, const LocalDateTime& now);

// The national holiday of a date (YYYYMMDD) as the view shows it, CP932: its name, with
// "（予測）" after an equinox day not yet announced; empty on other days.
std::string NationalHolidayText(const std::string& date);
// The national holidays of the month's days, as MonthDay::nationalHoliday shows them.
void AddNationalHolidays(MonthContent& month);

// The slot whose box shows a national holiday's name in a day's row: the first free one
// of 3, 1, 2, 0 (the lower right first: the afternoon and evening slots are the least
// used); -1 when all four hold entries, and the name is then not shown in the row (the red
// number still marks the day).
int HolidayNameSlot(const DaySlots& slots);

// Paints year/month, whose content the model read, as the month view shows it at time
// `now`. Null content: no table is open. overlay, when set, draws over the finished month
// just before the copy to the window (the view's day cursor).
void PaintMonth(fw::Canvas& canvas, const MonthLayout& layout, int year, int month,
                const LocalDateTime& now, const MonthContent* content,
                const std::function<void(fw::Canvas&)>& overlay = nullptr);

// Paints the month the content holds as it goes on paper (print, PDF): the month of the
// screen without the grey of what is over, without today's tint and without the day
// cursor; it also ends with BlitToTarget.
void PaintMonthOnPaper(fw::Canvas& canvas, const MonthLayout& layout, const MonthContent& content);

// The period bar's polygon for axis x, top y and height h: three pixels wide around x from
// y to y+h, with 9-pixel arrowheads of half-width 5 as the mark type asks (PeriodMark).
// Points run down the left side from (x, y) to (x, y+h), then up the right side mirrored;
// a type other than 1, 2 or 3 gives type 0.
std::vector<fw::Point> PeriodMarkPoints(int x, int y, int h, int type);

// Draws that polygon with the canvas's current pen and brush.
void DrawPeriodMark(fw::Canvas& canvas, int x, int y, int h, int type);
