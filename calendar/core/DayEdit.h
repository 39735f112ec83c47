// The editing flow of one day, free of any toolkit: what the day schedule dialog is
// filled with before it runs, and how its result is written back after OK.
//
//   DayEditSession session = BeginDayEdit(table, year, month, day);
//   copy session.m_fields into the dialog, run it; after OK copy its fields back into
//   a DayEditFields result and call CommitDayEdit(table, session, result); repaint.
//
// Times travel as HH:MM in the dialog and HHMM in the table; period dates as display
// texts "%Y年%M月%D日(%A)" (CP932) in the dialog and YYYYMMDD in the table.
#pragma once

#include <array>
#include <string>

#include "PeriodSpan.h"
#include "Schedule.h"
#include "XelDatabase.h"

// The fields of the day schedule dialog, under the dialog's own names.
struct DayEditFields {
    int m_nYear = 0;
    int m_nMonth = 0;
    int m_nDay = 0;
    std::array<std::string, kSlotCount> m_strYotei;
    std::array<std::string, kSlotCount> m_strFromTime;  // HH:MM or empty
    std::array<std::string, kSlotCount> m_strToTime;    // HH:MM or empty
    std::string m_strPeriodYotei;                       // empty: no period
    std::string m_strPeriodFrom;                        // display text of the first day
    std::string m_strPeriodTo;                          // display text of the last day
    int m_nHoliday = 0;
    int m_nPaidLeave = 0;
    // The most days the period may take: kMaxPeriodDays, or the old run's length when
    // that is longer. The dialog refuses a longer period rather than have it cut.
    int m_nPeriodMaxDays = 0;
};

struct DayEditSession {
    std::string m_strDate;  // YYYYMMDD of the day
    PeriodSpan m_run;       // the day's period run as it was before the dialog ran
    DayEditFields m_fields;
};

// Reads the day into the dialog's fields and remembers its period run.
DayEditSession BeginDayEdit(DbTable* table, int year, int month, int day);

// How the period of a committed edit was written.
enum class PeriodWritten {
    kNone,          // no period text: no period rows
    kAsEntered,     // from the entered first day to the entered last day
    kThisDayAlone,  // the dates were not a usable range: the edited day alone
};

struct DayEditOutcome {
    int periodRowsRemoved = 0;
    int periodRowsWritten = 0;
    PeriodWritten period = PeriodWritten::kNone;
};

// Most period rows one edit writes, unless the run being replaced was already longer.
inline constexpr int kMaxPeriodDays = 100;

// Writes the dialog's result back, in memory:
// 1. the old run's rows go (only the rows with the run's text, on every day of the run,
//    in any month);
// 2. a non-empty period text is written for every day from the entered first to the
//    entered last day, at most kMaxPeriodDays rows (or the old run's length, when that was
//    longer, so that OK on an unchanged long run keeps it whole). When either date text
//    is not a real date in the dialog's form, or the last day lies before the first, the
//    period is written for the edited day alone: the text the user typed is kept where
//    they typed it, and no row ever gets a made-up or malformed DATE;
// 3. each slot is replaced; an entry with times but no text is removed;
// 4. the marks are replaced; with both ticked only the holiday is stored.
DayEditOutcome CommitDayEdit(DbTable* table, const DayEditSession& session,
                             const DayEditFields& result);
