// Period runs: a period entry is stored as one period row per day (Schedule.h), and its
// range is found again by walking from a day to its neighbours while they hold a period
// row with the same text. In the month view each day of a run carries a vertical grey
// bar, with an arrowhead up on the first day and down on the last, and the text is
// written once per month, on the run's middle day within that month.
#pragma once

#include <string>

#include "DayContent.h"
#include "XelDatabase.h"

// The run around a day. A day that is not a real eight-digit date has no run, and a walk
// stops at a neighbour the date routines cannot represent, so a row with an empty or
// malformed DATE never joins a run.
PeriodSpan FindPeriodSpan(DbTable* table, const std::string& day);

// 0 inside the run (plain bar), 1 first day (arrowhead up), 2 last day (arrowhead down),
// 3 first and last day at once (both arrowheads).
int PeriodMarkType(const PeriodSpan& span, const std::string& day);

// The marks of the days of one month, as FindPeriodSpan and PeriodMarkType give them, at
// a cost that does not grow with the length of the runs: the month view needs only
// whether a day is its run's first or last day and the run's middle day within the month,
// and those are known once the walks have gone one day past the month's ends. The days of
// one run within a month share one walk. Valid while the table does not change; the
// model makes one for each month it reads.
class CMonthPeriods {
  public:
    explicit CMonthPeriods(DbTable* table) : m_table(table) {}
    PeriodMark Of(const std::string& day);

  private:
    DbTable* m_table;
    // The last run walked: from the day `m_strDay`, back to `m_strFrom` and forward to
    // `m_strTo`, each the run's end or the first day outside the month it went on to.
    std::string m_strDay;
    std::string m_strFrom;
    std::string m_strTo;
    PeriodMark m_mark;  // of m_strDay; the middle day and text hold for the whole walk
};
