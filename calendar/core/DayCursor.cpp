#include "DayCursor.h"

#include "DayContent.h"

namespace {

MonthDayPos NextMonth(MonthDayPos pos) {
    if (++pos.month > 12) {
        pos.month = 1;
        ++pos.year;
    }
    return pos;
}

MonthDayPos PrevMonth(MonthDayPos pos) {
    if (--pos.month < 1) {
        pos.month = 12;
        --pos.year;
    }
    return pos;
}

// The cells in reading order across the pages: the left column of a month, then its right
// column, then the next month's left column. `step` is +1 (right) or -1 (left).
MonthDayPos SameRowOtherCell(const MonthLayout& layout, MonthDayPos pos, int step) {
    const int perColumn = layout.m_nDaysPerColumn;
    const int row = (pos.day - 1) % perColumn;
    int column = (pos.day - 1) / perColumn;
    // Four cells at most: the other column of this month, then of the neighbouring one;
    // the first of a month's columns always holds a day.
    for (int tries = 0; tries < 2 * layout.m_nColumns; ++tries) {
        column += step;
        if (column >= layout.m_nColumns) {
            column = 0;
            pos = NextMonth(pos);
        } else if (column < 0) {
            column = layout.m_nColumns - 1;
            pos = PrevMonth(pos);
        }
        const int day = column * perColumn + row + 1;
        if (day <= DaysInMonth(pos.year, pos.month)) {
            pos.day = day;
            return pos;
        }
    }
    return pos;
}

}  // namespace

int DaysInMonth(int year, int month) {
    int days = 28;
    while (days < 31 && ScheduleIsDate(ScheduleDate(year, month, days + 1))) {
        ++days;
    }
    return days;
}

MonthDayPos MoveDayCursor(const MonthLayout& layout, MonthDayPos from, CursorMove move) {
    switch (move) {
        case CursorMove::kPrevDay:
            if (from.day > 1) {
                --from.day;
                return from;
            }
            from = PrevMonth(from);
            from.day = DaysInMonth(from.year, from.month);
            return from;
        case CursorMove::kNextDay:
            if (from.day < DaysInMonth(from.year, from.month)) {
                ++from.day;
                return from;
            }
            from = NextMonth(from);
            from.day = 1;
            return from;
        case CursorMove::kLeft:
            return SameRowOtherCell(layout, from, -1);
        case CursorMove::kRight:
            return SameRowOtherCell(layout, from, +1);
    }
    return from;
}

fw::Rect DayCursorFrame(const MonthLayout& layout, int day) {
    const int column = (day - 1) / layout.m_nDaysPerColumn;
    const int row = (day - 1) % layout.m_nDaysPerColumn;
    const int x0 = layout.ColumnLeft(column);
    const int y = layout.RowTop(row);
    return {x0, y + 1, x0 + layout.m_nColumnWidth, y + layout.m_nRowHeight};
}

void DrawDayCursor(fw::Canvas& canvas, const MonthLayout& layout, int day) {
    // Four lines rather than a rectangle: a canvas line of width 2 is an exact band
    // centred on its points, so each band lies just inside the frame.
    const fw::Rect r = DayCursorFrame(layout, day);
    canvas.SelectPen(fw::PenSpec{2, kColorCursor});
    canvas.Line({r.left, r.top + 1}, {r.right, r.top + 1});
    canvas.Line({r.left, r.bottom - 1}, {r.right, r.bottom - 1});
    canvas.Line({r.left + 1, r.top}, {r.left + 1, r.bottom});
    canvas.Line({r.right - 1, r.top}, {r.right - 1, r.bottom});
}
