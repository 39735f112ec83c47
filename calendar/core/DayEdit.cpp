#include "DayEdit.h"

#include <algorithm>

#include "DateTime.h"

namespace {

const char kTimePattern[] = "%H:%M";

std::string DisplayDate(const std::string& date) {
    return DateFormat(kDatePatternJa, date).value_or("");
}

// An unchanged run longer than kMaxPeriodDays stays whole.
int MaxPeriodDays(const PeriodSpan& run) {
    return std::max(kMaxPeriodDays, run.n);
}

// Writes the new period; the old run is gone by now.
DayEditOutcome WritePeriod(DbTable* table, const DayEditSession& session,
                           const DayEditFields& result) {
    DayEditOutcome outcome;
    const std::string& text = result.m_strPeriodYotei;
    if (text.empty()) {
        return outcome;
    }
    const std::string first = DateParse(kDatePatternJa, result.m_strPeriodFrom);
    const std::string last = DateParse(kDatePatternJa, result.m_strPeriodTo);
    if (ScheduleIsDate(first) && ScheduleIsDate(last) && first <= last) {
        const int limit = MaxPeriodDays(session.m_run);
        outcome.periodRowsWritten = ScheduleWritePeriod(table, first, last, text, limit);
        outcome.period = PeriodWritten::kAsEntered;
    } else {
        const std::string& day = session.m_strDate;
        outcome.periodRowsWritten = ScheduleWritePeriod(table, day, day, text, 1);
        outcome.period = PeriodWritten::kThisDayAlone;
    }
    return outcome;
}

}  // namespace

DayEditSession BeginDayEdit(DbTable* table, int year, int month, int day) {
    DayEditSession session;
    session.m_strDate = ScheduleDate(year, month, day);
    session.m_run = FindPeriodSpan(table, session.m_strDate);

    DayEditFields& fields = session.m_fields;
    fields.m_nYear = year;
    fields.m_nMonth = month;
    fields.m_nDay = day;
    fields.m_nPeriodMaxDays = MaxPeriodDays(session.m_run);
    if (session.m_run.n > 0) {
        fields.m_strPeriodYotei = session.m_run.text;
        fields.m_strPeriodFrom = DisplayDate(session.m_run.first);
        fields.m_strPeriodTo = DisplayDate(session.m_run.last);
    }
    const DaySchedule stored = ScheduleReadDay(table, session.m_strDate);
    for (int k = 0; k < kSlotCount; ++k) {
        fields.m_strYotei[k] = stored.slots[k].text;
        fields.m_strFromTime[k] = TimeFormat(kTimePattern, stored.slots[k].fromTime);
        fields.m_strToTime[k] = TimeFormat(kTimePattern, stored.slots[k].toTime);
    }
    fields.m_nHoliday = stored.holiday ? 1 : 0;
    fields.m_nPaidLeave = stored.paidLeave ? 1 : 0;
    return session;
}

DayEditOutcome CommitDayEdit(DbTable* table, const DayEditSession& session,
                             const DayEditFields& result) {
    const std::string& date = session.m_strDate;
    if (!ScheduleIsDate(date)) {
        return {};
    }
    int removed = 0;
    if (session.m_run.n > 0) {
        removed = ScheduleRemovePeriodRun(table, session.m_run.first, session.m_run.n,
                                          session.m_run.text);
    }
    DayEditOutcome outcome = WritePeriod(table, session, result);
    outcome.periodRowsRemoved = removed;

    for (int k = 0; k < kSlotCount; ++k) {
        ScheduleWriteSlot(table, date, k,
                          {result.m_strYotei[k], TimeParse(kTimePattern, result.m_strFromTime[k]),
                           TimeParse(kTimePattern, result.m_strToTime[k])});
    }
    ScheduleWriteMarks(table, date, result.m_nHoliday == 1, result.m_nPaidLeave == 1);
    return outcome;
}
