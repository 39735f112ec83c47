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

int PeriodMarkType(const PeriodSpan& span, const std::string& day) {
    if (day == span.first) {
        return day == span.last ? 3 : 1;
    }
    return day == span.last ? 2 : 0;
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
