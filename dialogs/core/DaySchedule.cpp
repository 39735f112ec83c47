#include "DaySchedule.h"

#include <array>

#include "DateTime.h"
#include "ListOrder.h"
#include "TimeText.h"

namespace dlg {

namespace {

constexpr std::string_view kWaveDash = "\x81\x60";   // "～"
constexpr std::string_view kMonthMark = "\x8c\x8e";  // "月"
constexpr std::string_view kDayMark = "\x93\xfa";    // "日"

bool ValidSlot(int k) {
    return k >= 0 && k < kSlotCount;
}

}  // namespace

std::string ListRowText(const TimedEntry& entry) {
    const bool noTimes = entry.from.empty() && entry.to.empty();
    std::string row = entry.from;
    row += noTimes ? std::string_view{} : kWaveDash;
    row += entry.to;
    row += ' ';
    row += entry.text;
    return row;
}

std::vector<int> UsedSlots(const Slots& slots) {
    std::vector<int> used;
    for (int k = 0; k < kSlotCount; ++k) {
        if (!slots[k].IsFree()) {
            used.push_back(k);
        }
    }
    return used;
}

std::vector<int> SortedRowSlots(const Slots& slots) {
    std::vector<std::string> rows;
    std::vector<int> order;
    for (int k : UsedSlots(slots)) {
        std::string row = ListRowText(slots[k]);
        const size_t at = fw::SortedInsertPosition(rows, row);
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
        order.insert(order.begin() + static_cast<std::ptrdiff_t>(at), k);
    }
    return order;
}

int FirstFreeSlot(const Slots& slots) {
    for (int k = 0; k < kSlotCount; ++k) {
        if (slots[k].IsFree()) {
            return k;
        }
    }
    return -1;
}

namespace {

// The arrangement as the slot each new slot takes its entry from; -1 for a free slot.
std::array<int, kSlotCount> ArrangedOrigins(const Slots& slots, const std::vector<int>& rowSlots) {
    std::vector<int> rows;
    for (int k : rowSlots) {
        if (ValidSlot(k) && rows.size() < kSlotCount) {
            rows.push_back(k);
        }
    }
    const size_t n = rows.size();
    std::array<int, kSlotCount> placed;
    placed.fill(-1);
    auto taken = [&](int k) { return placed[k] >= 0 && !slots[placed[k]].IsFree(); };
    auto move = [&](int from, int to) {
        placed[to] = placed[from];
        placed[from] = -1;
    };
    for (size_t i = 0; i < n; ++i) {
        const int e = rows[i];
        const int b = TimeBand(slots[e].from);
        if (n == 4) {
            placed[i] = e;
        } else if (n == 1 || !taken(b)) {
            placed[b] = e;
        } else if (n == 2) {
            if (b == 3) {
                move(3, 2);
                placed[3] = e;
            } else {
                placed[b + 1] = e;
            }
        } else if (b == 3) {  // n == 3 from here on
            if (taken(2)) {
                move(2, 1);
            }
            move(3, 2);
            placed[3] = e;
        } else if (!taken(b + 1)) {
            placed[b + 1] = e;
        } else if (b == 2) {
            move(2, 1);
            move(3, 2);
            placed[3] = e;
        } else {
            placed[b + 2] = e;
        }
    }
    return placed;
}

}  // namespace

Slots ArrangeSlots(const Slots& slots, const std::vector<int>& rowSlots) {
    Slots arranged;
    const std::array<int, kSlotCount> origins = ArrangedOrigins(slots, rowSlots);
    for (int k = 0; k < kSlotCount; ++k) {
        if (origins[k] >= 0) {
            arranged[k] = slots[origins[k]];
        }
    }
    return arranged;
}

int ArrangedSlotOf(const Slots& slots, const std::vector<int>& rowSlots, int k) {
    if (!ValidSlot(k) || slots[k].IsFree()) {
        return -1;
    }
    const std::array<int, kSlotCount> origins = ArrangedOrigins(slots, rowSlots);
    for (int j = 0; j < kSlotCount; ++j) {
        if (origins[j] == k) {
            return j;
        }
    }
    return -1;
}

MarkBoxes ShownMarks(MarkBoxes stored) {
    return {stored.holiday, stored.paidLeave && !stored.holiday};
}

MarkBoxes TickMark(MarkBoxes shown, MarkBox box, bool ticked) {
    if (box == MarkBox::kHoliday) {
        return {ticked, ticked ? false : shown.paidLeave};
    }
    return {ticked ? false : shown.holiday, ticked};
}

int SlotToSelectAfterRemove(const Slots& arranged, int removedSlot) {
    for (int j = removedSlot - 1; j >= 0; --j) {
        if (ValidSlot(j) && !arranged[j].IsFree()) {
            return j;
        }
    }
    for (int j = removedSlot + 1; j < kSlotCount; ++j) {
        if (ValidSlot(j) && !arranged[j].IsFree()) {
            return j;
        }
    }
    return -1;
}

std::string TitleText(int month, int day, std::string_view date) {
    std::string title = std::to_string(month);
    title += kMonthMark;
    title += std::to_string(day);
    title += kDayMark;
    title += DateFormat("(%A)", date).value_or("");
    return title;
}

fw::Rgb TitleColor(int weekday, bool holiday) {
    if (holiday || weekday == 0) {
        return {255, 0, 0};
    }
    if (weekday == 6) {
        return {0, 0, 255};
    }
    return {0, 0, 0};
}

std::vector<std::string> PeriodDateItems(std::string_view date, int firstOffset) {
    std::vector<std::string> items;
    items.reserve(kPeriodItemCount);
    for (int n = firstOffset; n < firstOffset + kPeriodItemCount; ++n) {
        items.push_back(DateFormat(kDatePatternJa, DateAddDays(date, n)).value_or(""));
    }
    return items;
}

PeriodDates CheckPeriodDates(std::string_view from, std::string_view to, int maxDays) {
    // A text that is not a real date reads as "" or as a value the day routines refuse.
    const auto read = [](std::string_view text) {
        const std::string value = DateParse(kDatePatternJa, text);
        return ScheduleIsDate(value) ? value : std::string();
    };
    const std::string first = read(from);
    const std::string last = read(to);
    if (first.empty()) {
        return PeriodDates::kStartNotADate;
    }
    if (last.empty()) {
        return PeriodDates::kEndNotADate;
    }
    if (last < first) {
        return PeriodDates::kEndBeforeStart;
    }
    if (maxDays > 0 && DateAddDays(first, maxDays - 1) < last) {
        return PeriodDates::kTooLong;
    }
    return PeriodDates::kOk;
}

}  // namespace dlg
