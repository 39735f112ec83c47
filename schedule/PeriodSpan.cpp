#include "PeriodSpan.h"

#include "DateTime.h"
#include "Schedule.h"

namespace {

// Walks from day in steps of `step` days while the next day holds a period row with the
// text; returns how many days it went and leaves `end` on the last of them. The walk
// ends where the date routines give the empty text, which is never searched for.
int Walk(DbTable* table, const std::string& day, const std::string& text, int step,
         std::string& end) {
    int count = 0;
    end = day;
    for (;;) {
        std::string next = DateAddDays(end, step);
        if (next.empty() || ScheduleFindPeriodRow(table, next, text) < 0) {
            return count;
        }
        end = std::move(next);
        ++count;
    }
}

// Year and month of a date, YYYYMM: a run longer than a year is not confused with
// another month of the same number.
bool SameMonth(const std::string& a, const std::string& b) {
    return a.compare(0, 6, b, 0, 6) == 0;
}

// Walk, but stopping at the first day outside the month of `day` as well.
int WalkInMonth(DbTable* table, const std::string& day, const std::string& text, int step,
                std::string& end) {
    int count = 0;
    end = day;
    while (SameMonth(end, day)) {
        std::string next = DateAddDays(end, step);
        if (next.empty() || ScheduleFindPeriodRow(table, next, text) < 0) {
            break;
        }
        end = std::move(next);
        ++count;
    }
    return count;
}

}  // namespace

PeriodSpan FindPeriodSpan(DbTable* table, const std::string& day) {
    PeriodSpan span;
    if (!ScheduleIsDate(day)) {
        return span;
    }
    int32_t row = ScheduleFindPeriodRow(table, day);
    if (row < 0) {
        return span;
    }
    span.text = DbGetCell(table, row, kColYotei);
    const int before = Walk(table, day, span.text, -1, span.first);
    const int after = Walk(table, day, span.text, +1, span.last);
    span.n = before + 1 + after;

    // The part of the run inside the day's month starts at lo; hi is the first day after
    // it that lies in another month, or the run's last day. The text goes halfway.
    int lo = 0;
    std::string at = span.first;
    while (!SameMonth(at, day)) {  // ends at the latest on the day itself (lo = before)
        at = DateAddDays(at, 1);
        ++lo;
    }
    int hi = span.n - 1;
    for (int i = lo + 1; i < span.n; ++i) {
        at = DateAddDays(at, 1);
        if (!SameMonth(at, day)) {
            hi = i;
            break;
        }
    }
    span.middle = DateAddDays(span.first, lo + (hi - lo) / 2);
    return span;
}

PeriodMark CMonthPeriods::Of(const std::string& day) {
    if (!ScheduleIsDate(day)) {
        return {};
    }
    const int32_t row = ScheduleFindPeriodRow(m_table, day);
    if (row < 0) {
        return {};
    }
    const char* text = DbGetCell(m_table, row, kColYotei);
    const bool sameWalk = !m_strDay.empty() && SameMonth(day, m_strDay) && text == m_mark.text &&
                          m_strFrom <= day && day <= m_strTo;
    if (!sameWalk) {
        m_strDay = day;
        m_mark.text = text;
        const int before = WalkInMonth(m_table, day, m_mark.text, -1, m_strFrom);
        const int after = WalkInMonth(m_table, day, m_mark.text, +1, m_strTo);
        // Counted from m_strFrom: the part of the run in the month starts at lo (the day
        // after m_strFrom when that lies in the month before), and hi is m_strTo, the
        // run's last day or the first day of the next month; the text goes halfway, as
        // FindPeriodSpan places it.
        const int lo = SameMonth(m_strFrom, day) ? 0 : 1;
        const int hi = before + after;
        m_mark.middle = DateAddDays(m_strFrom, lo + (hi - lo) / 2);
    }
    PeriodMark mark = m_mark;
    if (day == m_strFrom) {
        mark.type = day == m_strTo ? 3 : 1;
    } else {
        mark.type = day == m_strTo ? 2 : 0;
    }
    return mark;
}

int PeriodMarkType(const PeriodSpan& span, const std::string& day) {
    if (day == span.first) {
        return day == span.last ? 3 : 1;
    }
    return day == span.last ? 2 : 0;
}
