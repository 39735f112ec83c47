// Time texts of the schedule dialogs.
//
// A time text is what the time edits show and hand back: normally HH:MM as written by
// "%02d:%02d" ("09:30"), but the user may type anything, so every routine here accepts
// any text and gives it a defined meaning. Texts are CP932 bytes; only ASCII bytes carry
// meaning (full-width digits and the full-width colon are ordinary characters).
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace dlg {

// Reads a number the way the time edits do: leading white space is skipped, one optional
// sign is taken, then ASCII digits up to the first other byte. No digits reads as 0; a
// value beyond the 32-bit range saturates at its end.
int ReadTimeNumber(std::string_view text);

// "%02d:%02d" of hour and minute: "09:05", "24:00", "-1:-5", "930:45".
std::string FormatTime(int hour, int minute);

// Hour part and minute part of a text, split at its first ":". Without a colon the whole
// text is the hour part and the minute part is empty; further colons stay in the minute
// part ("1:2:3" gives "1" and "2:3").
std::pair<std::string_view, std::string_view> SplitTime(std::string_view text);

// The HH:MM form of a typed time: an empty text stays empty; otherwise both parts are
// read with ReadTimeNumber, an hour of 24 or more becomes 24, a minute of 59 or more
// becomes 59, negative values stay, and the result is FormatTime of the two.
// "9:5" -> "09:05", "930" -> "24:00", ":30" -> "00:30", "ab" -> "00:00".
std::string NormalizeTime(std::string_view text);

// A time text as OK hands it back. The stored HHMM value takes the characters 0-1 and 3-4
// of the text, so an empty text or one of five bytes with a colon in the middle goes back
// unchanged (every text the dialogs fill in has that shape); any other text is still as
// typed and goes back as NormalizeTime makes it, which a move to another edit would have
// done: "9:30" -> "09:30", "1730" -> "24:00", "17:30" and "ab:cd" stay.
std::string ConfirmedTime(std::string_view text);

// The quick-pick rule. The target text is read through a working copy of its first 99
// bytes, cut into tokens at ":" with empty tokens skipped (a leading, trailing or doubled
// colon gives no token of its own); a token is read with ReadTimeNumber.
//
// PickHourText keeps the minute (second token, 0 when there is none) and writes the new
// hour: "09:30" -> "14:30", ":45" -> "14:00", "9::30" -> "14:30".
// PickMinuteText keeps the hour (first token, 0 when there is none) and writes the new
// minute: "14:30" -> "14:45", ":20" -> "20:45", "930" -> "930:45".
// Neither value is clamped.
std::string PickHourText(std::string_view target, int hour);
std::string PickMinuteText(std::string_view target, int minute);

// The band of the day a start time falls in, which decides the slot of a timed entry:
// the digits at the front of the characters 0, 1, 3 and 4 of the text form a number v
// (no digits: 0); band 0 below 1030, 1 below 1200, 2 below 1500, else 3. For HH:MM texts:
// 0 before 10:30, 1 up to 11:59, 2 up to 14:59, 3 from 15:00; an empty time is band 0.
int TimeBand(std::string_view startTime);

}  // namespace dlg
