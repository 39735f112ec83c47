// Time texts of the schedule dialogs.
//
// A time text is what the time edits show and hand back: normally HH:MM as written by
// "%02d:%02d" ("09:30"), but the user may type anything, so every routine here accepts
// any text and gives it a defined meaning. Texts are CP932 bytes; only ASCII bytes carry
// meaning (full-width digits and the full-width colon are ordinary characters).
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace dlg {

// Reads a number of the quick-pick token rule (below): leading white space is skipped, one optional
// sign is taken, then ASCII digits up to the first other byte. No digits reads as 0; a
// value beyond the 32-bit range saturates at its end.
int ReadTimeNumber(std::string_view text);

// "%02d:%02d" of hour and minute: "09:05", "24:00", "-1:-5", "930:45".
std::string FormatTime(int hour, int minute);

// Hour part and minute part of a text, split at its first ":". Without a colon the whole
// text is the hour part and the minute part is empty; further colons stay in the minute
// part ("1:2:3" gives "1" and "2:3").
std::pair<std::string_view, std::string_view> SplitTime(std::string_view text);

// A time of day: hour 0-24, minute 0-59, 24 only as 24:00 (the end of the day).
struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
    friend auto operator<=>(const TimeOfDay&, const TimeOfDay&) = default;
};

// Reads a time the way users type one; ASCII blanks and tabs around it are ignored:
//   "9", "09"                 the hour alone: 09:00
//   "930", "0930", "1730"     hour and minute without a colon: 09:30, 17:30
//   "9:5", "9:30", "09:30"    one or two digits on each side of the colon: 09:05, 09:30
// Only ASCII digits count. Anything else reads as nothing: an hour past 24, a minute past
// 59, 24 with a minute ("24:30"), signs, other characters ("9.30", full-width digits), a
// missing hour or minute (":30", "12:"), more digits ("12345", "017:30").
std::optional<TimeOfDay> ReadTimeOfDay(std::string_view text);

// The HH:MM form of a text that reads as a time of day ("9:5" -> "09:05", "930" ->
// "09:30"); any other text, the empty one among them, comes back as it is, for OK to
// refuse. A text of the HH:MM form within bounds comes back byte for byte.
std::string NormalizeTime(std::string_view text);

// The quick-pick rule. The target text is read through a working copy of its first 99
// bytes, cut into tokens at ":" with empty tokens skipped (a leading, trailing or doubled
// colon gives no token of its own); a token is read with ReadTimeNumber.
//
// A target that reads as a time of day (ReadTimeOfDay) keeps its minute or hour as read:
// "930" with the minute 45 gives "09:45". Any other target is read by tokens:
// PickHourText keeps the minute (second token, 0 when there is none) and writes the new
// hour: "09:30" -> "14:30", ":45" -> "14:00", "9::30" -> "14:30".
// PickMinuteText keeps the hour (first token, 0 when there is none) and writes the new
// minute: "14:30" -> "14:45", ":20" -> "20:45", "9:75" -> "09:45".
// Neither value is clamped.
std::string PickHourText(std::string_view target, int hour);
std::string PickMinuteText(std::string_view target, int minute);

// The band of the day a start time falls in, which decides the slot of a timed entry:
// the digits at the front of the characters 0, 1, 3 and 4 of the text form a number v
// (no digits: 0); band 0 below 1030, 1 below 1200, 2 below 1500, else 3. For HH:MM texts:
// 0 before 10:30, 1 up to 11:59, 2 up to 14:59, 3 from 15:00; an empty time is band 0.
int TimeBand(std::string_view startTime);

}  // namespace dlg
