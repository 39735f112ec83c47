// Painting one month of the schedule table through a Canvas.
//
// The painter reads the table afresh on every call and keeps nothing. It draws the whole
// client area off-screen and copies it to the window with one BlitToTarget at the end;
// without a table it shades a past month and stops before the copy, so the window keeps
// what it showed. Texts are drawn opaque on a background colour that always equals the
// fill below them (white, or grey for what is over).
#pragma once

#include <string>
#include <string_view>

#include "Canvas.h"
#include "MonthLayout.h"
#include "XelDatabase.h"

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

// Paints year/month as the month view shows it at time `now`.
void PaintMonth(fw::Canvas& canvas, const MonthLayout& layout, int year, int month,
                const LocalDateTime& now, DbTable* table);
