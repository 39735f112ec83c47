// The pure logic of the day schedule dialog: slots, list row texts, the arrangement of
// the timed entries into slots, the title and the date items of the period boxes.
//
// Every text here is CP932 bytes, as the program's data holds it.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "Canvas.h"
#include "DayContent.h"

namespace dlg {

// The dialog's four slots. Their times are HH:MM texts (or as typed), as the dialog
// shows them.
using Slots = DaySlots;

// The list row of a timed entry: start, separator, end, a blank, the entry text. The
// separator is "～" unless both times are empty: "09:00～10:30 T", "09:00～ T",
// "～10:30 T", " T".
std::string ListRowText(const TimedEntry& entry);

// The slots that hold an entry, in slot order: what the list shows, before sorting.
std::vector<int> UsedSlots(const Slots& slots);

// The slots in the order the sorted list shows their rows (each row inserted at its
// sorted place in slot order, as FillYoteiList adds them): the order ArrangeSlots takes.
std::vector<int> SortedRowSlots(const Slots& slots);

// The lowest free slot, or -1 when all four hold entries.
int FirstFreeSlot(const Slots& slots);

// Reassigns the entries to slots so that a slot reflects the time of day. rowSlots
// lists, in the order of the list rows, the slot each row carries; the entries are taken
// in that order and placed by the band of their start time (TimeBand). Four entries take
// slots 0-3 in row order. Every entry the rows name ends in exactly one slot; the slots
// the rows do not name come back free.
Slots ArrangeSlots(const Slots& slots, const std::vector<int>& rowSlots);

// The slot the entry of slot k ends in when ArrangeSlots(slots, rowSlots) lays the slots
// out again: what the list selects after an add or a change, which must stay with the
// entry and not with its old slot number. -1 when slot k is free or the rows do not name
// it.
int ArrangedSlotOf(const Slots& slots, const std::vector<int>& rowSlots, int k);

// The slot to select after slot k was emptied and the rest rearranged: the nearest used
// slot below k, else the nearest above k; -1 when there is none.
int SlotToSelectAfterRemove(const Slots& arranged, int removedSlot);

// The check boxes "祝日・特別休日" and "計画有給休暇日". The file keeps one mark per day
// and the holiday goes first (ScheduleWriteMarks), so the boxes exclude each other: what
// they show is what OK stores. A day stored with both marks (a hand-edited file) shows
// the holiday alone; ticking either box clears the other, clearing one leaves the other.
struct MarkBoxes {
    bool holiday = false;
    bool paidLeave = false;
    friend bool operator==(const MarkBoxes&, const MarkBoxes&) = default;
};
MarkBoxes ShownMarks(MarkBoxes stored);
enum class MarkBox { kHoliday, kPaidLeave };
MarkBoxes TickMark(MarkBoxes shown, MarkBox box, bool ticked);

// The title drawn at the top of the dialog: "3月5日(月)" in CP932.
std::string TitleText(int month, int day, std::string_view date);

// Sunday and holidays red, Saturday blue, other days black.
fw::Rgb TitleColor(int weekday, bool holiday);

// The items of a period date box: the day shifted by firstOffset, firstOffset + 1, ...,
// 21 days in all, each formatted with "%Y年%M月%D日(%A)". The start box takes -20 (its
// last item is the day), the end box 0 (its first item is the day). A day the date
// routines cannot represent gives an empty item, so item positions never move.
inline constexpr int kPeriodItemCount = 21;
inline constexpr int kPeriodStartFirstOffset = -20;
inline constexpr int kPeriodEndFirstOffset = 0;
std::vector<std::string> PeriodDateItems(std::string_view date, int firstOffset);

// Whether the period's date texts can be stored: each must read, by the positions of
// "%Y年%M月%D日(%A)", as a real date (the weekday is not read), the end must not lie
// before the start, and the period must not take more than maxDays days (0: no limit).
enum class PeriodDates { kOk, kStartNotADate, kEndNotADate, kEndBeforeStart, kTooLong };
PeriodDates CheckPeriodDates(std::string_view from, std::string_view to, int maxDays = 0);

}  // namespace dlg
