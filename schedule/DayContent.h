// What the schedule holds for one day, as every part of the program above the table sees
// it: the month painter, the editing flow, the dialogs and the features that walk the
// schedule. Only the schedule model (ScheduleModel.h) fills these from the table and
// writes them back.
//
// Every text is CP932 bytes, as the table holds it.
#pragma once

#include <array>
#include <string>
#include <string_view>

// Timed entries per day: slot k is the schedule row with INDEX k+1.
inline constexpr int kSlotCount = 4;

// The time texts of the dialogs: "09:30".
inline constexpr const char* kTimePattern = "%H:%M";

// One timed entry. A slot is free exactly when its text is empty (an entry with times
// alone is never stored).
//
// The times are time texts whose form depends on where the entry is: the model hands
// them out as the table stores them (HHMM, "0930", or whatever the cell holds, so that a
// malformed cell is shown as it is), and the dialogs hold them as HH:MM ("09:30", or as
// typed). The editing flow converts between the two (DayEdit.h).
struct TimedEntry {
    std::string from;
    std::string to;
    std::string text;
    bool IsFree() const { return text.empty(); }
    friend bool operator==(const TimedEntry&, const TimedEntry&) = default;
};
using DaySlots = std::array<TimedEntry, kSlotCount>;

// A period entry: a run of consecutive days that each hold a period row with the same
// text.
struct PeriodSpan {
    int n = 0;           // days in the run; 0 when the day has no period
    std::string first;   // first day, YYYYMMDD
    std::string last;    // last day
    std::string middle;  // the day that shows the text, within the month of the asked day
    std::string text;    // the period's text (YOTEI of the day's first period row)
};

// What the month view shows of a day's period.
struct PeriodMark {
    int type = -1;       // -1: no period; 0 inside the run, 1 first day, 2 last, 3 both
    std::string middle;  // as PeriodSpan::middle
    std::string text;    // as PeriodSpan::text
};

// One day: its four slots, its period, its two marks.
struct DayContent {
    std::string date;  // YYYYMMDD
    DaySlots slots;
    PeriodSpan period;
    bool holiday = false;
    bool paidLeave = false;
};

// The DATE text of a day, "%d%02d%02d" ("20080305").
std::string ScheduleDate(int year, int month, int day);
// True for exactly eight digits that name a real day the date routines can shift.
bool ScheduleIsDate(std::string_view date);
