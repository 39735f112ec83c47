#include "DateTime.h"

#include <chrono>
#include <cstdio>

// Sunday first. CP932 bytes: 日 93 FA, 月 8C 8E, 火 89 CE, 水 90 85, 木 96 D8, 金 8B E0,
// 土 93 79.
const char* const kDateWeekdayNamesJa[7] = {
    "\x93\xFA", "\x8C\x8E", "\x89\xCE", "\x90\x85", "\x96\xD8", "\x8B\xE0", "\x93\x79",
};
const char* const kDateWeekdayNamesEn[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
// "%Y年%M月%D日(%A)": 年 94 4E, 月 8C 8E, 日 93 FA.
const char* const kDatePatternJa = "%Y\x94\x4E%M\x8C\x8E%D\x93\xFA(%A)";

namespace {

using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr int kFirstYear = 1000;
constexpr int kLastYear = 9999;
constexpr std::size_t kDateBytes = 8;
constexpr std::size_t kTimeBytes = 4;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number written by `count` decimal digits at `pos`; -1 when one of them is not a digit.
int ReadDigits(std::string_view text, std::size_t pos, std::size_t count) {
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (!IsDigit(text[i])) {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The day of a date value, or nullopt when it is not a real date of the years 1000 to 9999.
// Every one of the eight bytes must be a digit, and a day or month out of range (day 32 of
// January, 30 February, month 13, day 0) is not rolled over into the next month: such a
// text usually comes from a typed period date, and a silently moved date would write the
// period on days the user never asked for.
std::optional<sys_days> ReadDate(std::string_view date) {
    if (date.size() < kDateBytes) {
        return std::nullopt;
    }
    const int y = ReadDigits(date, 0, 4);
    const int m = ReadDigits(date, 4, 2);
    const int d = ReadDigits(date, 6, 2);
    if (y < kFirstYear || y > kLastYear || m < 0 || d < 0) {
        return std::nullopt;
    }
    const year_month_day ymd{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(m)},
                             std::chrono::day{static_cast<unsigned>(d)}};
    if (!ymd.ok()) {
        return std::nullopt;
    }
    return sys_days{ymd};
}

// The day count of the first and the last representable day since the epoch.
constexpr long long kFirstDay =
    sys_days{std::chrono::year{kFirstYear} / 1 / 1}.time_since_epoch().count();
constexpr long long kLastDay =
    sys_days{std::chrono::year{kLastYear} / 12 / 31}.time_since_epoch().count();

// Walks a pattern: bytes other than "%" are copied, "%" and its code byte give what
// `expand` appends. A "%" as the last byte ends the text.
template <typename Expand>
std::string FormatByPattern(std::string_view pattern, Expand expand) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
        } else if (++i < pattern.size()) {
            expand(pattern[i], out);
        }
    }
    return out;
}

// What one code of a pattern means when a display text is read back: `copy` bytes of the
// text go to output byte `at`, and the text position moves by `advance`.
struct ParseCode {
    char code;
    std::size_t at;
    std::size_t copy;
    std::size_t advance;
};

constexpr ParseCode kDateParseCodes[] = {
    {'Y', 0, 4, 4}, {'M', 4, 2, 2}, {'D', 6, 2, 2}, {'A', 0, 0, 2}, {'E', 0, 0, 3},
};
constexpr ParseCode kTimeParseCodes[] = {{'H', 0, 2, 2}, {'M', 2, 2, 2}};

// Reads a display text back by the byte positions the pattern gives, without checking the
// text against the pattern. Other pattern bytes and unknown codes move the position by one.
// Parts the text is too short to hold keep their blanks; nothing past its end is read.
template <std::size_t N>
std::string ParseByPattern(std::string_view pattern, std::string_view text, std::size_t bytes,
                           const ParseCode (&codes)[N]) {
    if (text.empty()) {
        return "";
    }
    std::string out(bytes, ' ');
    std::size_t pos = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        std::size_t advance = 1;
        if (pattern[i] == '%') {
            if (++i == pattern.size()) {
                break;
            }
            for (const ParseCode& c : codes) {
                if (c.code != pattern[i]) {
                    continue;
                }
                for (std::size_t k = 0; k < c.copy && pos + k < text.size(); ++k) {
                    out[c.at + k] = text[pos + k];
                }
                advance = c.advance;
                break;
            }
        }
        pos += advance;
    }
    return out;
}

}  // namespace

int DateMonth(std::string_view date) {
    if (date.size() < 6) {
        return 0;
    }
    // The leading digits of bytes 5-6, as a decimal reader would take them ("3x" is 3).
    int month = 0;
    for (std::size_t i = 4; i < 6 && IsDigit(date[i]); ++i) {
        month = month * 10 + (date[i] - '0');
    }
    return month;
}

int DateWeekday(std::string_view date) {
    const std::optional<sys_days> day = ReadDate(date);
    if (!day) {
        return 0;
    }
    return static_cast<int>(std::chrono::weekday{*day}.c_encoding());
}

std::string DateAddDays(std::string_view date, int days) {
    const std::optional<sys_days> start = ReadDate(date);
    if (!start) {
        return "";
    }
    // Checked on the day count before converting back, so no calendar routine ever sees a
    // day far outside the years it has to handle.
    const long long target = static_cast<long long>(start->time_since_epoch().count()) + days;
    if (target < kFirstDay || target > kLastDay) {
        return "";
    }
    const year_month_day ymd{sys_days{std::chrono::days{target}}};
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d%02u%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return buffer;
}

std::optional<std::string> DateFormat(std::string_view pattern, std::string_view date) {
    if (date.size() < kDateBytes) {
        return std::nullopt;
    }
    return FormatByPattern(pattern, [date](char code, std::string& out) {
        switch (code) {
            case 'Y':
                out += date.substr(0, 4);
                break;
            case 'M':
                out += date.substr(4, 2);
                break;
            case 'D':
                out += date.substr(6, 2);
                break;
            case 'A':
                out += kDateWeekdayNamesJa[DateWeekday(date)];
                break;
            case 'E':
                out += kDateWeekdayNamesEn[DateWeekday(date)];
                break;
            default:
                out += code;  // "%%" gives "%", "%x" gives "x".
                break;
        }
    });
}

std::string DateParse(std::string_view pattern, std::string_view text) {
    return ParseByPattern(pattern, text, kDateBytes, kDateParseCodes);
}

std::string TimeFormat(std::string_view pattern, std::string_view time) {
    if (time.size() < kTimeBytes) {
        return "";
    }
    return FormatByPattern(pattern, [time](char code, std::string& out) {
        switch (code) {
            case 'H':
                out += time.substr(0, 2);
                break;
            case 'M':
                out += time.substr(2, 2);
                break;
            default:
                out += code;
                break;
        }
    });
}

std::string TimeParse(std::string_view pattern, std::string_view text) {
    return ParseByPattern(pattern, text, kTimeBytes, kTimeParseCodes);
}
