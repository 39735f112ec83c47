// The text the month view shows when the pointer rests on a day: the whole day, where the
// month's row has room only for the start of each label.
//
//   2008年03月20日(木)  春分の日
//   09:30-10:00 Meeting
//   Lunch
//   期間：Trip
//   2008年03月18日(火)～2008年03月21日(金)
//   祝日・特別休日
//   計画有給休暇日
//
// The date line carries the national holiday's name when there is one; entries follow in
// slot order, with their times when they have any; the period with the dates of its whole
// run; then the marks. Lines end with "\n" except the last.
#pragma once

#include <string>

#include "DayContent.h"

// CP932. The day as the model reads it (ReadDay: the period with its whole run) and the
// national holiday's name as the view shows it (NationalHolidayText), empty on other days
// or when holidays are not shown. A day with nothing to show (no entry, period, mark or
// holiday) gives "": the view then shows no tooltip.
std::string DayTooltipText(const DayContent& day, const std::string& nationalHoliday);
