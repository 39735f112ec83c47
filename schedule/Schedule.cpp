#include "Schedule.h"

#include <cstdio>

#include "DateTime.h"

namespace {

const char kPeriodIndex[] = "0";

// INDEX of slot k: the digit k+1.
std::string SlotIndex(int slot) {
    return std::string(1, static_cast<char>('1' + slot));
}

const char* MarkValue(DayMark mark) {
    return mark == DayMark::kHoliday ? "1" : "2";
}

// Appends one row, its six cells joined DATE first.
void AddRow(DbTable* table, const std::string& date, std::string_view fromTime,
            std::string_view toTime, std::string_view index, std::string_view yotei,
            std::string_view syukujitu) {
    DbLine line;
    DbJoinField(line, date);
    DbJoinField(line, fromTime);
    DbJoinField(line, toTime);
    DbJoinField(line, index);
    DbJoinField(line, yotei);
    DbJoinField(line, syukujitu);
    DbAddRow(table, line.text);
}

// Deletes every row a search finds; returns how many went.
template <typename Find>
int DeleteAll(DbTable* table, Find find) {
    int removed = 0;
    for (int32_t row = find(); row >= 0; row = find()) {
        DbDeleteRow(table, row);
        ++removed;
    }
    return removed;
}

}  // namespace

bool ScheduleIsDate(std::string_view date) {
    if (date.size() != 8) {
        return false;
    }
    for (char c : date) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    // A day that does not exist (30 February) is not representable, and a routine that
    // rolls it over would give another day: either way the round trip fails.
    return DateAddDays(date, 0) == date;
}

std::string ScheduleDate(int year, int month, int day) {
    char text[40];
    std::snprintf(text, sizeof text, "%d%02d%02d", year, month, day);
    return text;
}

int32_t ScheduleFindSlotRow(DbTable* table, const std::string& date, int slot) {
    if (slot < 0 || slot >= kSlotCount) {
        return -1;
    }
    return DbFindRow(table, kColDate, date.c_str(), kColIndex, SlotIndex(slot).c_str());
}

int32_t ScheduleFindPeriodRow(DbTable* table, const std::string& date) {
    return DbFindRow(table, kColDate, date.c_str(), kColIndex, kPeriodIndex);
}

int32_t ScheduleFindPeriodRow(DbTable* table, const std::string& date, const std::string& text) {
    return DbFindRow3(table, kColDate, date.c_str(), kColIndex, kPeriodIndex, kColYotei,
                      text.c_str());
}

int32_t ScheduleFindMarkRow(DbTable* table, const std::string& date, DayMark mark) {
    // The empty INDEX keeps a schedule row that happens to carry a SYUKUJITU value from
    // being taken (and deleted) as a mark.
    return DbFindRow3(table, kColDate, date.c_str(), kColIndex, "", kColSyukujitu, MarkValue(mark));
}

DayContent ScheduleReadDay(DbTable* table, const std::string& date) {
    DayContent day;
    day.date = date;
    for (int k = 0; k < kSlotCount; ++k) {
        int32_t row = ScheduleFindSlotRow(table, date, k);
        if (row >= 0) {
            day.slots[k] = {DbGetCell(table, row, kColFromTime), DbGetCell(table, row, kColToTime),
                            DbGetCell(table, row, kColYotei)};
        }
    }
    day.holiday = ScheduleFindMarkRow(table, date, DayMark::kHoliday) >= 0;
    day.paidLeave = ScheduleFindMarkRow(table, date, DayMark::kPaidLeave) >= 0;
    return day;
}

int ScheduleRemovePeriodRun(DbTable* table, const std::string& first, int days,
                            const std::string& text) {
    if (!ScheduleIsDate(first)) {
        return 0;
    }
    int removed = 0;
    std::string day = first;
    for (int i = 0; i < days && !day.empty(); ++i) {
        // Only the run's own rows: a second period on the same day keeps its row.
        removed += DeleteAll(table, [&] { return ScheduleFindPeriodRow(table, day, text); });
        day = DateAddDays(day, 1);
    }
    return removed;
}

int ScheduleWritePeriod(DbTable* table, const std::string& first, const std::string& last,
                        const std::string& text, int maxDays) {
    if (text.empty() || !ScheduleIsDate(first) || !ScheduleIsDate(last) || last < first) {
        return 0;
    }
    int written = 0;
    std::string day = first;
    while (written < maxDays && !day.empty()) {
        AddRow(table, day, "", "", kPeriodIndex, text, "");
        ++written;
        if (day == last) {
            break;
        }
        day = DateAddDays(day, 1);
    }
    return written;
}

bool ScheduleWriteSlot(DbTable* table, const std::string& date, int slot, const TimedEntry& entry) {
    if (slot < 0 || slot >= kSlotCount || !ScheduleIsDate(date)) {
        return false;
    }
    // Every row of the slot goes: a duplicate left behind would be found first next time
    // and hide the entry just written.
    DeleteAll(table, [&] { return ScheduleFindSlotRow(table, date, slot); });
    if (!entry.text.empty()) {
        AddRow(table, date, entry.from, entry.to, SlotIndex(slot), entry.text, "");
    }
    return true;
}

bool ScheduleWriteMarks(DbTable* table, const std::string& date, bool holiday, bool paidLeave) {
    if (!ScheduleIsDate(date)) {
        return false;
    }
    DeleteAll(table, [&] { return ScheduleFindMarkRow(table, date, DayMark::kHoliday); });
    DeleteAll(table, [&] { return ScheduleFindMarkRow(table, date, DayMark::kPaidLeave); });
    if (holiday) {
        AddRow(table, date, "", "", "", "", MarkValue(DayMark::kHoliday));
    } else if (paidLeave) {
        AddRow(table, date, "", "", "", "", MarkValue(DayMark::kPaidLeave));
    }
    return true;
}
