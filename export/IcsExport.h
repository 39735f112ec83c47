// The schedule as an iCalendar file (RFC 5545), for phones and web calendars, built with
// libical.
//
// - A timed entry is an event in Japan time (TZID "Asia/Tokyo", whose VTIMEZONE the file
//   carries: +0900 all year, JST). Start and end give DTSTART and DTEND (an end of 24:00
//   is midnight of the next day); a start alone gives DTSTART alone, and so does an end
//   before the start. An entry with no start, or with times that are no times of day, is
//   an all-day event of its day; an end without a start stays in its summary as the month
//   view shows it ("-10:00会議").
// - A period is an all-day event from its first day to the day after its last (DTEND is
//   exclusive); a holiday or paid-leave mark an all-day event with the summary
//   "祝日・特別休日" or "計画有給休暇日".
// - UID is the entry's hash (ExportEntryKey) "@pemdaro": a second export of the same
//   entries gives the same UIDs, so a calendar updates the events instead of doubling them.
// - DTSTAMP is the time given (the table file's modification time), so the same table
//   always gives the same bytes.
// - Texts are converted from CP932 to UTF-8 and escaped by libical; lines are folded at 75
//   octets, never inside a UTF-8 character; lines end with CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ExportItems.h"

// stampUtc: seconds since the epoch, for DTSTAMP.
std::string IcsFromItems(const std::vector<ExportItem>& items, int64_t stampUtc);

// Content lines folded so that none is longer than 75 octets, a fold never splitting a
// UTF-8 character; lines already folded are unfolded first. Every line ends with CR LF.
std::string IcsFoldLines(std::string_view text);
