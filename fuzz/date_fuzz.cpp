// Fuzz target: date and time texts. The input holds a pattern, a value or display text
// and a day count, laid out for FuzzedDataProvider: the day count is taken from the last
// four bytes, then the pattern from the front up to a backslash followed by any other
// byte (a doubled backslash is one backslash in the pattern), then the rest is the text.
// Four bytes before the day count pick a representable date for the day arithmetic.
//
// Properties:
// - the parse routines read nothing past the text (every text is an exact-size heap copy)
//   and give the empty text exactly for the empty text, else 8 (dates) or 4 (times) bytes;
// - DateParse(pattern, DateFormat(pattern, d)) gives back every part of d that the
//   pattern names and blanks for the others; the same for TimeParse and TimeFormat;
// - a display text is at most twice as long as its pattern;
// - DateWeekday is 0 to 6 and DateMonth 0 to 99;
// - DateAddDays and DateWeekday agree with a calendar computed here independently
//   (proleptic Gregorian, years 1000 to 9999); a shift by n and back by -n returns the
//   date whenever both ends are representable.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "DateTime.h"
#include "FuzzSupport.h"

namespace {

using fuzz::Check;
using fuzz::Escaped;

// Which codes a pattern names, walking it as the format routines do: "%" takes the next
// byte as its code; a "%" at the very end names nothing.
bool PatternNames(std::string_view pattern, char code) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && ++i < pattern.size() && pattern[i] == code) {
            return true;
        }
    }
    return false;
}

struct Part {
    char code;
    std::size_t at;
    std::size_t size;
};
constexpr Part kDateParts[] = {{'Y', 0, 4}, {'M', 4, 2}, {'D', 6, 2}};
constexpr Part kTimeParts[] = {{'H', 0, 2}, {'M', 2, 2}};

// What parsing the display text of `value` must give: the named parts of the value,
// blanks elsewhere; the empty text when the display text is empty.
template <std::size_t N>
std::string ExpectedRoundTrip(std::string_view pattern, std::string_view value, std::size_t bytes,
                              const Part (&parts)[N], bool displayEmpty) {
    if (displayEmpty) {
        return "";
    }
    std::string expected(bytes, ' ');
    for (const Part& part : parts) {
        if (PatternNames(pattern, part.code)) {
            expected.replace(part.at, part.size, value.substr(part.at, part.size));
        }
    }
    return expected;
}

// The calendar, computed independently of the program: days since 1970-01-01.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string CivilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04lld%02lld%02lld", y, m, d);
    return buffer;
}

bool IsLeap(long long y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// The day number of a representable date value: eight digits, years 1000 to 9999, a month
// and a day that exist.
std::optional<long long> DayNumber(std::string_view date) {
    if (date.size() < 8) {
        return std::nullopt;
    }
    long long value[3] = {0, 0, 0};
    const std::size_t widths[3] = {4, 2, 2};
    std::size_t pos = 0;
    for (int part = 0; part < 3; ++part) {
        for (std::size_t k = 0; k < widths[part]; ++k, ++pos) {
            if (date[pos] < '0' || date[pos] > '9') {
                return std::nullopt;
            }
            value[part] = value[part] * 10 + (date[pos] - '0');
        }
    }
    const long long y = value[0], m = value[1], d = value[2];
    static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1000 || m < 1 || m > 12 || d < 1) {
        return std::nullopt;
    }
    if (d > kMonthDays[m - 1] + (m == 2 && IsLeap(y) ? 1 : 0)) {
        return std::nullopt;
    }
    return DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
}

const long long kFirstDay = DaysFromCivil(1000, 1, 1);
const long long kLastDay = DaysFromCivil(9999, 12, 31);

int WeekdayOf(long long day) {
    return static_cast<int>(((day + 4) % 7 + 7) % 7);  // 1970-01-01 was a Thursday
}

void CheckParse(std::string_view pattern, std::string_view text) {
    const std::string date = DateParse(pattern, text);
    Check(text.empty() ? date.empty() : date.size() == 8, "DateParse result size");
    const std::string time = TimeParse(pattern, text);
    Check(text.empty() ? time.empty() : time.size() == 4, "TimeParse result size");
}

void CheckFormatRoundTrip(std::string_view pattern, std::string_view value) {
    const std::optional<std::string> display = DateFormat(pattern, value);
    const auto detail = [&] { return "pattern " + Escaped(pattern) + " value " + Escaped(value); };
    Check(display.has_value() == (value.size() >= 8), "DateFormat refuses short values", detail);
    if (display) {
        Check(display->size() <= 2 * pattern.size(), "DateFormat length", detail);
        const fuzz::ExactBytes shown(*display);
        Check(DateParse(pattern, shown.View()) ==
                  ExpectedRoundTrip(pattern, value, 8, kDateParts, display->empty()),
              "DateParse reads DateFormat back",
              [&] { return detail() + " -> " + Escaped(*display); });
    }
    const std::string timeDisplay = TimeFormat(pattern, value);
    if (value.size() < 4) {
        Check(timeDisplay.empty(), "TimeFormat refuses short values", detail);
        return;
    }
    Check(timeDisplay.size() <= 2 * pattern.size(), "TimeFormat length", detail);
    const fuzz::ExactBytes shown(timeDisplay);
    Check(TimeParse(pattern, shown.View()) ==
              ExpectedRoundTrip(pattern, value, 4, kTimeParts, timeDisplay.empty()),
          "TimeParse reads TimeFormat back",
          [&] { return detail() + " -> " + Escaped(timeDisplay); });
}

void CheckDayArithmetic(std::string_view date, int days) {
    const auto detail = [&] { return "date " + Escaped(date) + " days " + std::to_string(days); };
    const int weekday = DateWeekday(date);
    Check(weekday >= 0 && weekday <= 6, "DateWeekday is 0 to 6", detail);
    const int month = DateMonth(date);
    Check(month >= 0 && month <= 99 && (date.size() >= 6 || month == 0), "DateMonth range", detail);

    const std::optional<long long> start = DayNumber(date);
    Check(DateAddDays(date, 0) == (start ? std::string(date.substr(0, 8)) : ""),
          "DateAddDays by 0 gives the date exactly when it is representable", detail);
    Check(weekday == (start ? WeekdayOf(*start) : 0), "DateWeekday matches the calendar", detail);
    if (!start) {
        Check(DateAddDays(date, days).empty(), "no arithmetic on unrepresentable dates", detail);
        return;
    }
    const long long target = *start + days;
    const std::string shifted = DateAddDays(date, days);
    const bool representable = target >= kFirstDay && target <= kLastDay;
    Check(shifted == (representable ? CivilFromDays(target) : ""),
          "DateAddDays matches the calendar", [&] { return detail() + " -> " + Escaped(shifted); });
    if (representable && days != INT32_MIN) {
        Check(DateAddDays(shifted, -days) == date.substr(0, 8), "DateAddDays n then -n", detail);
        Check(DateWeekday(shifted) == WeekdayOf(target), "DateWeekday after a shift", detail);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::CurrentInput() = std::string_view(reinterpret_cast<const char*>(data), size);
    FuzzedDataProvider provider(data, size);
    const int days = provider.ConsumeIntegral<int32_t>();
    const uint32_t pick = provider.ConsumeIntegral<uint32_t>();
    const fuzz::ExactBytes pattern(provider.ConsumeRandomLengthString(256));
    const fuzz::ExactBytes text(provider.ConsumeRemainingBytesAsString());

    CheckParse(pattern.View(), text.View());
    CheckFormatRoundTrip(pattern.View(), text.View());
    CheckDayArithmetic(text.View(), days);
    const auto span = static_cast<uint32_t>(kLastDay - kFirstDay + 1);
    const std::string date = CivilFromDays(kFirstDay + pick % span);
    CheckDayArithmetic(date, days);
    CheckFormatRoundTrip(pattern.View(), date);
    // The display pattern of the program and its text form of the date value.
    CheckFormatRoundTrip(kDatePatternJa, text.View());
    return 0;
}
