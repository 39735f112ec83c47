#include "ExportItems.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

#include "ScheduleModel.h"

std::vector<ExportItem> CollectExportItems(const CScheduleModel& model, const ExportRange& range) {
    std::vector<ExportItem> items;
    std::set<std::pair<std::string, std::string>> periodsSeen;  // (first day, text)
    model.ForEachDay(range.from, range.to, [&](const DayContent& day) {
        if (day.holiday) {
            items.push_back({ExportKind::kHoliday, day.date, day.date, -1, {}, {}, {}});
        }
        if (day.paidLeave) {
            items.push_back({ExportKind::kPaidLeave, day.date, day.date, -1, {}, {}, {}});
        }
        const PeriodSpan& period = day.period;
        if (period.n > 0 && periodsSeen.emplace(period.first, period.text).second) {
            items.push_back(
                {ExportKind::kPeriod, period.first, period.last, -1, {}, {}, period.text});
        }
        for (int k = 0; k < kSlotCount; ++k) {
            const TimedEntry& entry = day.slots[static_cast<size_t>(k)];
            if (!entry.IsFree()) {
                items.push_back(
                    {ExportKind::kTimed, day.date, day.date, k, entry.from, entry.to, entry.text});
            }
        }
    });
    // A period that began before the range comes with the range's first day: in date
    // order it goes first. The sort is stable, so each day keeps its own order.
    std::stable_sort(items.begin(), items.end(),
                     [](const ExportItem& a, const ExportItem& b) { return a.first < b.first; });
    return items;
}

bool ExportTimeOf(std::string_view cell, int* hours, int* minutes) {
    if (cell.size() != 4 ||
        !std::all_of(cell.begin(), cell.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const int h = (cell[0] - '0') * 10 + (cell[1] - '0');
    const int m = (cell[2] - '0') * 10 + (cell[3] - '0');
    if (m > 59 || h > 24 || (h == 24 && m != 0)) {
        return false;
    }
    *hours = h;
    *minutes = m;
    return true;
}

std::string ExportEntryKey(const ExportItem& item) {
    std::string key = item.first;
    key += '\x1f';
    switch (item.kind) {
        case ExportKind::kHoliday:
            key += "holiday";
            break;
        case ExportKind::kPaidLeave:
            key += "paid-leave";
            break;
        case ExportKind::kPeriod:
            // Not its last day: a period made longer or shorter stays the same event.
            key += "period";
            break;
        case ExportKind::kTimed:
            key += "slot-" + std::to_string(item.slot);
            break;
    }
    key += '\x1f';
    key += item.text;
    uint64_t hash = 14695981039346656037ULL;
    for (const char c : key) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}
