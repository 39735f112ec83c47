// Date and time texts.
//
// A date value is eight bytes YYYYMMDD ("20070305"), a time value four bytes HHMM
// ("0930"); only those first bytes are read. Patterns copy every byte except "%" plus a
// code: dates know %Y (4 bytes), %M, %D (2 bytes), %A (Japanese weekday, 2 bytes CP932)
// and %E (English weekday, 3 bytes); times know %H and %M. Every text is CP932 bytes.
//
// Day arithmetic runs on the proleptic Gregorian calendar for the years 1000 to 9999, the
// same in every time zone. A date outside that range or not a real date is "not
// representable": DateAddDays gives the empty text and DateWeekday Sunday (0). Not a real
// date means a non-digit among the eight bytes, month 0 or 13 and above, or a day the month
// does not have (0, 30 February, 32 January): such a date is refused, not rolled over into
// the next month.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// CP932 weekday names, Sunday first: "日" "月" "火" "水" "木" "金" "土".
extern const char* const kDateWeekdayNamesJa[7];
extern const char* const kDateWeekdayNamesEn[7];
// "%Y年%M月%D日(%A)" in CP932.
extern const char* const kDatePatternJa;

// The month in bytes 5-6 (their leading digits); 0 for a text shorter than six bytes.
int DateMonth(std::string_view date);
// 0 (Sunday) to 6 (Saturday); 0 when the date is not representable.
int DateWeekday(std::string_view date);
// The date `days` calendar days later (earlier when negative), or "" when either end is
// not representable.
std::string DateAddDays(std::string_view date, int days);
// Display text for the pattern; nullopt when the date value is shorter than 8 bytes. A "%"
// as the last pattern byte ends the text; "%" with an unknown code gives the code byte.
std::optional<std::string> DateFormat(std::string_view pattern, std::string_view date);
// The date value read back from a display text; "" for an empty text. Parts the pattern
// does not name, and parts the text is too short to hold, stay blank.
std::string DateParse(std::string_view pattern, std::string_view text);
// Display text for the pattern; "" when the time value is shorter than 4 bytes. Codes work
// as in DateFormat.
std::string TimeFormat(std::string_view pattern, std::string_view time);
// The time value read back from a display text; "" for an empty text. Parts the text is
// too short to hold stay blank.
std::string TimeParse(std::string_view pattern, std::string_view text);
