#include "MonthPainter.h"

#include <cstdio>

#include "DateTime.h"
#include "PeriodSpan.h"
#include "Schedule.h"

namespace {

constexpr unsigned kTextFlags = fw::kTextSingleLine | fw::kTextNoClip;  // 288
constexpr unsigned kCenteredFlags = kTextFlags | fw::kTextCenter;       // 289
const char kTimePattern[] = "%H:%M";

fw::Rgb WeekdayColor(int weekday) {
    if (weekday == 0) {
        return kColorSunday;
    }
    return weekday == 6 ? kColorSaturday : kColorBlack;
}

// Period mark and, on the run's middle day, the period text. Returns whether the day
// belongs to a run (its entries then move right).
bool PaintPeriod(fw::Canvas& canvas, const MonthLayout& layout, CMonthPeriods& periods,
                 const std::string& date, int x0, int y) {
    const PeriodMark mark = periods.Of(date);
    if (mark.type < 0) {
        return false;
    }
    canvas.SelectPen(layout.m_penBar);
    canvas.SelectBrush(layout.m_brushBar);
    DrawPeriodMark(canvas, layout.PeriodAxis(x0), y, layout.m_nRowHeight, mark.type);
    canvas.SelectFont(layout.m_fontEntry);
    canvas.SetTextColor(kColorBlack);
    if (date == mark.middle) {
        canvas.DrawText(mark.text, layout.PeriodTextBox(x0, y), kTextFlags);
    }
    return true;
}

void PaintEntries(fw::Canvas& canvas, const MonthLayout& layout, DbTable* table,
                  const std::string& date, int x0, int y, bool withPeriod) {
    std::string labels[kSlotCount];
    for (int k = 0; k < kSlotCount; ++k) {
        int32_t row = ScheduleFindSlotRow(table, date, k);
        if (row >= 0) {
            labels[k] =
                EntryLabel(DbGetCell(table, row, kColFromTime), DbGetCell(table, row, kColToTime),
                           DbGetCell(table, row, kColYotei));
        }
    }
    canvas.SelectPen(layout.m_penGrid);
    canvas.SelectHollowBrush();
    canvas.SelectFont(layout.m_fontEntry);
    canvas.SetTextColor(kColorBlack);
    for (int k = 0; k < kSlotCount; ++k) {
        if (!labels[k].empty()) {
            canvas.DrawText(labels[k], layout.EntryBox(x0, y, k, withPeriod), kTextFlags);
        }
    }
}

// One existing day: weekday colour, past shading, weekday, marks, day number, period and
// entries, in the order in which they overlap.
void PaintDay(fw::Canvas& canvas, const MonthLayout& layout, DbTable* table, CMonthPeriods& periods,
              int year, int month, int day, const LocalDateTime& now, int x0, int y) {
    const std::string date = ScheduleDate(year, month, day);
    const int weekday = DateWeekday(date);
    canvas.SetTextColor(WeekdayColor(weekday));
    if (IsPastDay(year, month, day, now)) {
        canvas.SelectBrush(layout.m_brushPast);
        canvas.SelectPen(layout.m_penPast);
        canvas.Rectangle(layout.PastDayShading(x0, y));
        canvas.SetBkColor(kColorPast);
    }

    canvas.SelectPen(layout.m_penGrid);
    canvas.SelectFont(layout.m_fontWeekday);
    canvas.DrawText(kDateWeekdayNamesJa[weekday], layout.WeekdayBox(x0, y), kCenteredFlags);
    if (ScheduleFindMarkRow(table, date, DayMark::kHoliday) >= 0) {
        canvas.SetTextColor(kColorHoliday);  // the number only; the weekday keeps its colour
    }
    canvas.SelectFont(layout.m_fontDay);
    char number[16];
    std::snprintf(number, sizeof number, "%d", day);
    canvas.DrawText(number, layout.DayNumberBox(x0, y), kCenteredFlags);
    if (ScheduleFindMarkRow(table, date, DayMark::kPaidLeave) >= 0) {
        canvas.SelectHollowBrush();
        canvas.Ellipse(layout.PaidLeaveOval(x0, y));
    }

    const bool withPeriod = PaintPeriod(canvas, layout, periods, date, x0, y);
    PaintEntries(canvas, layout, table, date, x0, y, withPeriod);
}

bool DayExists(int year, int month, int day) {
    return day >= 1 && day <= 31 && ScheduleIsDate(ScheduleDate(year, month, day));
}

}  // namespace

std::string MonthHeaderText(int year, int month) {
    char text[48];
    // "%d年 %d月": 年 is CP932 0x94 0x4E, 月 0x8C 0x8E.
    std::snprintf(text, sizeof text, "%d\x94\x4E %d\x8C\x8E", year, month);
    return text;
}

std::string EntryLabel(std::string_view fromTime, std::string_view toTime, std::string_view text) {
    if (fromTime.empty() && toTime.empty()) {
        return std::string(text);
    }
    std::string label = TimeFormat(kTimePattern, fromTime);
    label += '-';
    label += TimeFormat(kTimePattern, toTime);
    label += text;
    return label;
}

bool IsPastMonth(int year, int month, const LocalDateTime& now) {
    return year < now.year || (year == now.year && month < now.month);
}

bool IsPastDay(int year, int month, int day, const LocalDateTime& now) {
    return LocalDateTime{year, month, day, 23, 59, 59} < now;
}

void PaintMonth(fw::Canvas& canvas, const MonthLayout& layout, int year, int month,
                const LocalDateTime& now, DbTable* table) {
    const fw::Rect client{0, 0, layout.ClientWidth(), layout.ClientHeight()};
    canvas.SelectBrush(layout.m_brushWhite);
    canvas.FillRect(client);
    if (IsPastMonth(year, month, now)) {
        canvas.SetBkColor(kColorPast);
        canvas.SelectBrush(layout.m_brushPast);
        canvas.SelectPen(layout.m_penPast);
        canvas.Rectangle(client);
    } else {
        canvas.SetBkColor(kColorWhite);
    }
    if (table == nullptr) {
        return;
    }

    canvas.SetTextColor(kColorBlack);
    canvas.SelectFont(layout.m_fontHeader);
    canvas.DrawText(MonthHeaderText(year, month), layout.HeaderBox(), kTextFlags);

    CMonthPeriods periods(table);
    for (int c = 0; c < layout.m_nColumns; ++c) {
        const int x0 = layout.ColumnLeft(c);
        const int ruleY = layout.m_nHeaderHeight - 1;
        canvas.SelectPen(layout.m_penRule);
        canvas.Line({x0, ruleY}, {x0 + layout.m_nColumnWidth, ruleY});
        canvas.SelectPen(layout.m_penGrid);
        for (int r = 0; r < layout.m_nDaysPerColumn; ++r) {
            const int y = layout.RowTop(r);
            const int day = layout.DayOfCell(c, r);
            canvas.SelectBrush(layout.m_brushWhite);
            canvas.SelectPen(layout.m_penGrid);
            canvas.SetBkColor(kColorWhite);
            if (r > 0) {
                canvas.Line({x0, y}, {x0 + layout.m_nColumnWidth, y});
            }
            if (DayExists(year, month, day)) {
                PaintDay(canvas, layout, table, periods, year, month, day, now, x0, y);
            }
            canvas.SelectBrush(layout.m_brushWhite);
        }
    }
    canvas.BlitToTarget();
}
