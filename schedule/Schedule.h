// The schedule table "kelnova": the one place that knows what its rows mean.
//
// Columns, in file order: DATE, FROM_TIME, TO_TIME, INDEX, YOTEI, SYUKUJITU. The row
// kinds, as row lines for 5 March 2008:
//
//   20080305,0930,1000,1,Meeting,   schedule row of slot 0 (INDEX "1" to "4" = slot 0 to 3)
//   20080305,,,0,Trip,              one day of a period (one such row for every day)
//   20080305,,,,,1                  holiday mark
//   20080305,,,,,2                  paid-leave mark
//
// DATE is YYYYMMDD ("%d%02d%02d"), times are HHMM or empty, and every cell is CP932. A
// period has no row of its own: its days are the consecutive days holding a period row
// with the same YOTEI (PeriodSpan.h). Rows of other shapes (INDEX "5", an unreadable
// DATE, a mark row with an INDEX) are never shown, changed or removed here. Row order
// carries no meaning: deleting moves the table's last row into the hole, and new rows
// are appended.
//
// The writers never store a row whose DATE is not a real eight-digit date.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "DayContent.h"
#include "XelDatabase.h"

inline constexpr const char* kColDate = "DATE";
inline constexpr const char* kColFromTime = "FROM_TIME";
inline constexpr const char* kColToTime = "TO_TIME";
inline constexpr const char* kColIndex = "INDEX";
inline constexpr const char* kColYotei = "YOTEI";
inline constexpr const char* kColSyukujitu = "SYUKUJITU";
inline constexpr const char* kScheduleTable = "kelnova";

enum class DayMark { kHoliday, kPaidLeave };

// First matching row in table order, or -1.
int32_t ScheduleFindSlotRow(DbTable* table, const std::string& date, int slot);
int32_t ScheduleFindPeriodRow(DbTable* table, const std::string& date);
// The period row of a day that carries exactly this text.
int32_t ScheduleFindPeriodRow(DbTable* table, const std::string& date, const std::string& text);
// Mark rows are the rows with an empty INDEX and SYUKUJITU "1" or "2".
int32_t ScheduleFindMarkRow(DbTable* table, const std::string& date, DayMark mark);

// The day's slots (times as stored) and marks; its period is left empty (PeriodSpan.h
// finds it).
DayContent ScheduleReadDay(DbTable* table, const std::string& date);

// Removes every period row with this text from `days` consecutive days starting at
// first. Returns the number of rows removed; periods with other texts stay.
int ScheduleRemovePeriodRun(DbTable* table, const std::string& first, int days,
                            const std::string& text);

// Adds one period row for every day from first to last, at most maxDays rows (counted
// from first). Nothing is written, and 0 returned, when the text is empty, either date
// is not a real date, or last lies before first. Returns the number of rows written.
int ScheduleWritePeriod(DbTable* table, const std::string& first, const std::string& last,
                        const std::string& text, int maxDays);

// Replaces slot k of a day: every schedule row of that slot goes, then a new one is
// added when the entry text is not empty (an entry with times alone is not stored).
// Returns false, changing nothing, for a slot outside 0-3 or a date that is not real.
bool ScheduleWriteSlot(DbTable* table, const std::string& date, int slot, const TimedEntry& entry);

// Replaces the marks of a day: both kinds of mark row go, then one is added. A day
// holds at most one mark, so with both ticked only the holiday is stored. Returns false,
// changing nothing, for a date that is not real.
bool ScheduleWriteMarks(DbTable* table, const std::string& date, bool holiday, bool paidLeave);
