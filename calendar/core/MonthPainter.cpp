#include "MonthPainter.h"

#include <cstdio>

#include "Cp932.h"
#include "DateTime.h"
#include "Holidays.h"
#include "TextFit.h"

namespace {

constexpr unsigned kTextFlags = fw::kTextSingleLine | fw::kTextNoClip;  // 288
constexpr unsigned kCenteredFlags = kTextFlags | fw::kTextCenter;       // 289

fw::Rgb WeekdayColor(int weekday) {
    if (weekday == 0) {
        return kColorSunday;
    }
    return weekday == 6 ? kColorSaturday : kColorBlack;
}

// The gap kept between a cut label's "…" and the next label.
constexpr int kLabelGap = 4;

// The labels of a day's row: the entries, and the national holiday's name in a free slot.
struct DayLabels {
    std::string slot[kSlotCount];
    bool holidayName[kSlotCount] = {};
};

DayLabels LabelsOf(const DaySlots& slots, const std::string& holiday) {
    DayLabels labels;
    for (int k = 0; k < kSlotCount; ++k) {
        if (!slots[k].IsFree()) {
            labels.slot[k] = EntryLabel(slots[k].from, slots[k].to, slots[k].text);
        }
    }
    const int nameSlot = holiday.empty() ? -1 : HolidayNameSlot(slots);
    if (nameSlot >= 0) {
        labels.slot[nameSlot] = holiday;
        labels.holidayName[nameSlot] = true;
    }
    return labels;
}

// The right end of the room of slot k's label: the place of the label after it on the
// same line, or the column's end when that slot shows nothing.
int SlotRoomRight(const MonthLayout& layout, const DayLabels& labels, int x0, int y, int slot,
                  bool withPeriod) {
    const int next = slot + 2;
    if (next < kSlotCount && !labels.slot[next].empty()) {
        return layout.EntryBox(x0, y, next, withPeriod).left - kLabelGap;
    }
    return x0 + layout.m_nColumnWidth;
}

// The right end of the period text's room: it sits across both lines, so the first label
// of either line ends it.
int PeriodRoomRight(const MonthLayout& layout, const DayLabels& labels, int x0, int y) {
    for (int k = 0; k < kSlotCount; ++k) {
        if (!labels.slot[k].empty()) {
            return layout.EntryBox(x0, y, k, true).left - kLabelGap;
        }
    }
    return x0 + layout.m_nColumnWidth;
}

// Draws text cut to its room: the box from `box.left` to `right`.
void DrawFitted(fw::Canvas& canvas, const std::string& text, fw::Rect box, int right) {
    box.right = right;
    const std::string shown = FitText(canvas, text, box.Width());
    if (!shown.empty()) {
        canvas.DrawText(shown, box, kTextFlags);
    }
}

// Period mark and, on the run's middle day, the period text. Returns whether the day
// belongs to a run (its entries then move right).
bool PaintPeriod(fw::Canvas& canvas, const MonthLayout& layout, const PeriodMark& mark,
                 const DayLabels& labels, const std::string& date, int x0, int y) {
    if (mark.type < 0) {
        return false;
    }
    canvas.SelectPen(layout.m_penBar);
    canvas.SelectBrush(layout.m_brushBar);
    DrawPeriodMark(canvas, layout.PeriodAxis(x0), y, layout.m_nRowHeight, mark.type);
    canvas.SelectFont(layout.m_fontEntry);
    canvas.SetTextColor(kColorBlack);
    if (date == mark.middle) {
        DrawFitted(canvas, mark.text, layout.PeriodTextBox(x0, y),
                   PeriodRoomRight(layout, labels, x0, y));
    }
    return true;
}

void PaintEntries(fw::Canvas& canvas, const MonthLayout& layout, const DayLabels& labels, int x0,
                  int y, bool withPeriod) {
    canvas.SelectPen(layout.m_penGrid);
    canvas.SelectHollowBrush();
    canvas.SelectFont(layout.m_fontEntry);
    // The entries first, then the holiday's name in its own colour.
    for (bool name : {false, true}) {
        canvas.SetTextColor(name ? kColorHoliday : kColorBlack);
        for (int k = 0; k < kSlotCount; ++k) {
            if (labels.slot[k].empty() || labels.holidayName[k] != name) {
                continue;
            }
            DrawFitted(canvas, labels.slot[k], layout.EntryBox(x0, y, k, withPeriod),
                       SlotRoomRight(layout, labels, x0, y, k, withPeriod));
        }
    }
}

// One existing day: weekday colour, past shading, weekday, marks, day number, period and
// entries, in the order in which they overlap.
// Paper (onPaper) shows neither what is over nor today.
void PaintDay(fw::Canvas& canvas, const MonthLayout& layout, const MonthDay& content, int year,
              int month, int day, const LocalDateTime& now, bool onPaper, int x0, int y) {
    const std::string& date = content.content.date;
    const int weekday = DateWeekday(date);
    canvas.SetTextColor(WeekdayColor(weekday));
    if (onPaper) {
        // white, as every day to come
    } else if (IsPastDay(year, month, day, now)) {
        canvas.SelectBrush(layout.m_brushPast);
        canvas.SelectPen(layout.m_penPast);
        canvas.Rectangle(layout.PastDayShading(x0, y));
        canvas.SetBkColor(kColorPast);
    } else if (year == now.year && month == now.month && day == now.day) {
        canvas.SelectBrush(layout.m_brushToday);
        canvas.SelectPen(layout.m_penToday);
        canvas.Rectangle(layout.PastDayShading(x0, y));
        canvas.SetBkColor(kColorToday);
    }

    canvas.SelectPen(layout.m_penGrid);
    canvas.SelectFont(layout.m_fontWeekday);
    canvas.DrawText(kDateWeekdayNamesJa[weekday], layout.WeekdayBox(x0, y), kCenteredFlags);
    if (content.content.holiday || !content.nationalHoliday.empty()) {
        canvas.SetTextColor(kColorHoliday);  // the number only; the weekday keeps its colour
    }
    canvas.SelectFont(layout.m_fontDay);
    char number[16];
    std::snprintf(number, sizeof number, "%d", day);
    canvas.DrawText(number, layout.DayNumberBox(x0, y), kCenteredFlags);
    if (content.content.paidLeave) {
        canvas.SelectHollowBrush();
        canvas.Ellipse(layout.PaidLeaveOval(x0, y));
    }

    const DayLabels labels = LabelsOf(content.content.slots, content.nationalHoliday);
    const bool withPeriod = PaintPeriod(canvas, layout, content.period, labels, date, x0, y);
    PaintEntries(canvas, layout, labels, x0, y, withPeriod);
}

}  // namespace

namespace {

// A holiday as the view shows it, CP932: its name, with "（予測）" when predicted. Every
// name the holidays module gives is CP932 text.
std::string HolidayText(const Holiday& holiday) {
    std::string text = Utf8ToCp932(holiday.nameUtf8).value_or("");
    if (holiday.predicted) {
        text += Utf8ToCp932("（予測）").value_or("");
    }
    return text;
}

}  // namespace

std::string NationalHolidayText(const std::string& date) {
    const std::optional<Holiday> holiday = NationalHoliday(date);
    return holiday ? HolidayText(*holiday) : std::string();
}

void AddNationalHolidays(MonthContent& month) {
    // The year's holidays once, not a year's computation for every day painted.
    const std::vector<DatedHoliday> year = HolidaysOfYear(month.year);
    for (MonthDay& day : month.days) {
        day.nationalHoliday.clear();
        for (const DatedHoliday& holiday : year) {
            if (holiday.date == day.content.date) {
                day.nationalHoliday = HolidayText(holiday.holiday);
            }
        }
    }
}

int HolidayNameSlot(const DaySlots& slots) {
    for (int k : {3, 1, 2, 0}) {
        if (slots[k].IsFree()) {
            return k;
        }
    }
    return -1;
}

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

namespace {

void PaintMonthAs(fw::Canvas& canvas, const MonthLayout& layout, int year, int month,
                  const LocalDateTime& now, bool onPaper, const MonthContent* content,
                  const std::function<void(fw::Canvas&)>& overlay) {
    const fw::Rect client{0, 0, layout.ClientWidth(), layout.ClientHeight()};
    canvas.SelectBrush(layout.m_brushWhite);
    canvas.FillRect(client);
    if (!onPaper && IsPastMonth(year, month, now)) {
        canvas.SetBkColor(kColorPast);
        canvas.SelectBrush(layout.m_brushPast);
        canvas.SelectPen(layout.m_penPast);
        canvas.Rectangle(client);
    } else {
        canvas.SetBkColor(kColorWhite);
    }
    if (content == nullptr) {
        return;
    }

    canvas.SetTextColor(kColorBlack);
    canvas.SelectFont(layout.m_fontHeader);
    canvas.DrawText(MonthHeaderText(year, month), layout.HeaderBox(), kTextFlags);

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
            if (day >= 1 && day <= static_cast<int>(content->days.size())) {
                PaintDay(canvas, layout, content->days[day - 1], year, month, day, now, onPaper, x0,
                         y);
            }
            canvas.SelectBrush(layout.m_brushWhite);
        }
    }
    if (overlay) {
        overlay(canvas);
    }
    canvas.BlitToTarget();
}

}  // namespace

void PaintMonth(fw::Canvas& canvas, const MonthLayout& layout, int year, int month,
                const LocalDateTime& now, const MonthContent* content,
                const std::function<void(fw::Canvas&)>& overlay) {
    PaintMonthAs(canvas, layout, year, month, now, false, content, overlay);
}

void PaintMonthOnPaper(fw::Canvas& canvas, const MonthLayout& layout, const MonthContent& content) {
    PaintMonthAs(canvas, layout, content.year, content.month, LocalDateTime{}, true, &content,
                 nullptr);
}

std::vector<fw::Point> PeriodMarkPoints(int x, int y, int h, int type) {
    const bool up = type == 1 || type == 3;
    const bool down = type == 2 || type == 3;
    // The left half, from the top point on the axis down to the bottom one.
    std::vector<fw::Point> left;
    if (up) {
        left.push_back({x - 5, y + 9});
        left.push_back({x - 1, y + 9});
    } else {
        left.push_back({x - 1, y});
    }
    if (down) {
        left.push_back({x - 1, y + h - 9});
        left.push_back({x - 5, y + h - 9});
    } else {
        left.push_back({x - 1, y + h});
    }
    std::vector<fw::Point> points;
    points.reserve(2 * left.size() + 2);
    points.push_back({x, y});
    points.insert(points.end(), left.begin(), left.end());
    points.push_back({x, y + h});
    // The right half: the left one backwards, mirrored about the axis.
    for (auto it = left.rbegin(); it != left.rend(); ++it) {
        points.push_back({2 * x - it->x, it->y});
    }
    return points;
}

void DrawPeriodMark(fw::Canvas& canvas, int x, int y, int h, int type) {
    canvas.Polygon(PeriodMarkPoints(x, y, h, type));
}
