// The fields of the day schedule dialog "予定編集": what its caller fills before DoModal
// and, after IDOK only, reads back (all but the date numbers and the limit). The dialog
// class derives from this struct, so the fields are its members under these names.
//
// Every text is CP932 bytes; a text the user did not touch comes back as the bytes it was
// given.
#pragma once

#include <array>
#include <string>

#include "DayContent.h"

struct DayDialogFields {
    int m_nYear = 0;
    int m_nMonth = 0;
    int m_nDay = 0;
    // Slots 0-3. A slot is free exactly when its entry text is empty; times are HH:MM or
    // empty (or as typed). After an add, change or remove the slots are arranged by start
    // time; otherwise they come back in the caller's order.
    std::array<std::string, kSlotCount> m_strYotei;
    std::array<std::string, kSlotCount> m_strFromTime;
    std::array<std::string, kSlotCount> m_strToTime;
    // Period entry; empty: the day has none. Its dates as the combo boxes show them,
    // "%Y年%M月%D日(%A)" or whatever was typed, handed back unparsed.
    std::string m_strPeriodYotei;
    std::string m_strPeriodFrom;
    std::string m_strPeriodTo;
    int m_nHoliday = 0;  // check box "祝日・特別休日", 0 or 1
    // The day's national holiday as the title shows it after the date ("春分の日"); empty
    // on other days or when holidays are not shown. Not handed back.
    std::string m_strHolidayName;
    int m_nPaidLeave = 0;  // check box "計画有給休暇日", 0 or 1
    // The most days a period may take at OK; 0: no limit. The dialog refuses a longer
    // period rather than have it cut.
    int m_nPeriodMaxDays = 0;
};
