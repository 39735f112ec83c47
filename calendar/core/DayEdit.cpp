#include "DayEdit.h"

#include "DateTime.h"
#include "ScheduleModel.h"

namespace {

std::string DisplayDate(const std::string& date) {
    return DateFormat(kDatePatternJa, date).value_or("");
}

// The number in bytes [at, at + n) of a YYYYMMDD text.
int DatePart(const std::string& date, size_t at, size_t n) {
    int value = 0;
    for (size_t i = at; i < at + n && i < date.size(); ++i) {
        value = value * 10 + (date[i] - '0');
    }
    return value;
}

}  // namespace

DayDialogFields ToDialogFields(const DayContent& day) {
    DayDialogFields fields;
    if (ScheduleIsDate(day.date)) {
        fields.m_nYear = DatePart(day.date, 0, 4);
        fields.m_nMonth = DatePart(day.date, 4, 2);
        fields.m_nDay = DatePart(day.date, 6, 2);
    }
    for (int k = 0; k < kSlotCount; ++k) {
        fields.m_strYotei[k] = day.slots[k].text;
        fields.m_strFromTime[k] = TimeFormat(kTimePattern, day.slots[k].from);
        fields.m_strToTime[k] = TimeFormat(kTimePattern, day.slots[k].to);
    }
    if (day.period.n > 0) {
        fields.m_strPeriodYotei = day.period.text;
        fields.m_strPeriodFrom = DisplayDate(day.period.first);
        fields.m_strPeriodTo = DisplayDate(day.period.last);
    }
    fields.m_nHoliday = day.holiday ? 1 : 0;
    fields.m_nPaidLeave = day.paidLeave ? 1 : 0;
    fields.m_nPeriodMaxDays = MaxPeriodDays(day);
    return fields;
}

DayContent FromDialogFields(const DayDialogFields& fields, const DayContent& before) {
    DayContent after;
    after.date = before.date;
    for (int k = 0; k < kSlotCount; ++k) {
        after.slots[k] = {TimeParse(kTimePattern, fields.m_strFromTime[k]),
                          TimeParse(kTimePattern, fields.m_strToTime[k]), fields.m_strYotei[k]};
    }
    after.period.text = fields.m_strPeriodYotei;
    if (!after.period.text.empty()) {
        after.period.first = DateParse(kDatePatternJa, fields.m_strPeriodFrom);
        after.period.last = DateParse(kDatePatternJa, fields.m_strPeriodTo);
    }
    after.holiday = fields.m_nHoliday == 1;
    after.paidLeave = fields.m_nPaidLeave == 1;
    return after;
}
