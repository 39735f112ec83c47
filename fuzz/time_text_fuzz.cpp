// Fuzz target: the time texts of the time entry dialog. The whole input is one typed time
// text; every quick-pick button is tried on it.
//
// Properties:
// - SplitTime gives two pieces of the text around its first colon;
// - ReadTimeOfDay reads exactly the texts an independent reading (a regular expression of
//   the accepted forms, then the bounds) reads, with the same hour and minute;
// - NormalizeTime gives the "HH:MM" form of a text that reads as a time and the text
//   itself otherwise; it is idempotent, and an HH:MM text within bounds stays as it is;
// - PickHourText writes the button's two-digit hour before the colon, PickMinuteText the
//   button's two-digit minute after it; on a text that reads as a time both keep the
//   other half as read, on any other text without a NUL byte (an edit never hands one
//   over) they give what the C library's reading gives: strtol for each number (clamped
//   to 32 bits, where the program saturates), strtok with ":" on a 100-byte working copy;
// - the minute pick followed by the normalization of the next focus move keeps the minute;
// - CheckTimes, with the input split at its first line break into start and end (the
//   whole input as both when there is none), accepts exactly two empty-or-time texts with
//   a start before 24:00 and an end not before it; what it accepts is "HH:MM" or empty
//   and comes back byte for byte through the stored HHMM form (TimeParse, then
//   TimeFormat); what it refuses names the edit to mend and has a message;
// - TimeBand is 0 to 3.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "DateTime.h"
#include "FuzzSupport.h"
#include "TimeEntryLogic.h"
#include "TimeText.h"

namespace {

using fuzz::Check;
using fuzz::Escaped;

constexpr int kHourButtons[] = {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};
constexpr int kMinuteButtons[] = {0, 10, 15, 20, 30, 40, 45, 50};

// "%02d" of a 32-bit number: "-2147483648" is the longest.
constexpr std::size_t kMaxNumberBytes = 11;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// What "%02d" writes: an optional minus sign and digits, two bytes at least.
bool IsFormattedNumber(std::string_view text) {
    if (text.size() < 2 || text.size() > kMaxNumberBytes) {
        return false;
    }
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) {
        return false;
    }
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) {
            return false;
        }
    }
    return true;
}

// What "%02d:%02d" writes.
bool IsFormattedTime(std::string_view text) {
    const std::size_t colon = text.find(':');
    return colon != std::string_view::npos && IsFormattedNumber(text.substr(0, colon)) &&
           IsFormattedNumber(text.substr(colon + 1));
}

// "HH:MM" with two ASCII digits on each side.
bool IsTwoDigitTime(std::string_view text) {
    return text.size() == 5 && IsDigit(text[0]) && IsDigit(text[1]) && text[2] == ':' &&
           IsDigit(text[3]) && IsDigit(text[4]);
}

// The rules read through the C library, for texts without a NUL byte.
namespace reference {

int Number(const char* text) {
    const long value = std::strtol(text, nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

std::string Format(int hour, int minute) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", hour, minute);
    return buffer;
}

// The accepted forms: one or two digits for the hour alone, three or four digits for
// hour and minute, or one or two digits on each side of a colon; blanks and tabs around.
// The expression sees only the text inside the blanks, and at most 8 bytes of it (the
// library's matcher recurses per byte).
std::optional<dlg::TimeOfDay> ReadTime(const std::string& text) {
    static const std::regex forms("(?:([0-9]{1,2})(?::([0-9]{1,2}))?|([0-9]{1,2})([0-9]{2}))");
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const std::string inner = text.substr(first, text.find_last_not_of(" \t") + 1 - first);
    if (inner.size() > 8) {
        return std::nullopt;
    }
    std::smatch match;
    if (!std::regex_match(inner, match, forms)) {
        return std::nullopt;
    }
    const int hour = std::atoi((match[1].matched ? match[1] : match[3]).str().c_str());
    const int minute = match[2].matched   ? std::atoi(match[2].str().c_str())
                       : match[4].matched ? std::atoi(match[4].str().c_str())
                                          : 0;
    if (hour > 24 || minute > 59 || (hour == 24 && minute > 0)) {
        return std::nullopt;
    }
    return dlg::TimeOfDay{hour, minute};
}

// The numbers of the tokens of the 100-byte working copy.
std::vector<int> TokenNumbers(std::string_view text) {
    char copy[100] = {};
    std::memcpy(copy, text.data(), std::min(text.size(), sizeof copy - 1));
    std::vector<int> numbers;
    char* rest = nullptr;
    for (char* token = strtok_r(copy, ":", &rest); token != nullptr;
         token = strtok_r(nullptr, ":", &rest)) {
        numbers.push_back(Number(token));
    }
    return numbers;
}

std::string PickHour(std::string_view text, int hour) {
    const std::vector<int> numbers = TokenNumbers(text);
    return Format(hour, numbers.size() >= 2 ? numbers[1] : 0);
}

std::string PickMinute(std::string_view text, int minute) {
    const std::vector<int> numbers = TokenNumbers(text);
    return Format(numbers.empty() ? 0 : numbers[0], minute);
}

}  // namespace reference

void CheckSplit(std::string_view text) {
    const auto [hour, minute] = dlg::SplitTime(text);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        Check(hour == text && minute.empty(), "SplitTime without a colon");
    } else {
        Check(std::string(hour) + ":" + std::string(minute) == text &&
                  hour.find(':') == std::string_view::npos,
              "SplitTime at the first colon");
    }
}

void CheckRead(std::string_view text) {
    const std::optional<dlg::TimeOfDay> time = dlg::ReadTimeOfDay(text);
    const std::string normal = dlg::NormalizeTime(text);
    const auto detail = [&] { return "normalized " + Escaped(normal); };
    if (text.find('\0') == std::string_view::npos) {
        Check(time == reference::ReadTime(std::string(text)),
              "ReadTimeOfDay reads the accepted forms only", detail);
    }
    if (time) {
        Check(time->hour >= 0 && time->hour <= 24 && time->minute >= 0 && time->minute <= 59 &&
                  (time->hour < 24 || time->minute == 0),
              "ReadTimeOfDay keeps to 00:00-24:00", detail);
        Check(normal == dlg::FormatTime(time->hour, time->minute) && IsTwoDigitTime(normal),
              "NormalizeTime gives HH:MM of a time", detail);
        Check(dlg::ReadTimeOfDay(normal) == time, "the HH:MM form reads as the same time", detail);
    } else {
        Check(normal == text, "NormalizeTime leaves a text that is no time as it is", detail);
    }
    Check(dlg::NormalizeTime(normal) == normal, "NormalizeTime is idempotent", detail);
    if (IsTwoDigitTime(text) && time) {
        Check(normal == text, "NormalizeTime keeps an HH:MM time byte for byte", detail);
    }
}

// The input split at its first line break into start and end, or the whole input as both.
void CheckTimes(std::string_view text) {
    const std::size_t cut = text.find('\n');
    const std::string_view from = cut == std::string_view::npos ? text : text.substr(0, cut);
    const std::string_view to = cut == std::string_view::npos ? text : text.substr(cut + 1);
    const dlg::TimesVerdict verdict = dlg::CheckTimes(from, to);
    const auto detail = [&] {
        return "from " + Escaped(from) + " to " + Escaped(to) + " -> " + Escaped(verdict.strFrom) +
               " " + Escaped(verdict.strTo);
    };
    const auto start = dlg::ReadTimeOfDay(from);
    const auto end = dlg::ReadTimeOfDay(to);
    const bool acceptable = (from.empty() || (start && start->hour < 24)) && (to.empty() || end) &&
                            !(start && end && *end < *start);
    Check(verdict.Ok() == acceptable, "CheckTimes accepts exactly times of day in order", detail);
    if (!verdict.Ok()) {
        Check((verdict.nEdit == dlg::kEditFrom || verdict.nEdit == dlg::kEditTo) &&
                  !verdict.message.empty(),
              "a refusal names the edit and says why", detail);
        return;
    }
    for (const std::string& back : {verdict.strFrom, verdict.strTo}) {
        Check(back.empty() || IsTwoDigitTime(back), "CheckTimes hands back HH:MM or empty", detail);
        Check(TimeFormat("%H:%M", TimeParse("%H:%M", back)) == back,
              "an accepted time comes back through the stored form", detail);
    }
    Check(verdict.strFrom.empty() == from.empty() && verdict.strTo.empty() == to.empty(),
          "CheckTimes keeps a time given and an empty time empty", detail);
}

void CheckPicks(std::string_view text) {
    const std::optional<dlg::TimeOfDay> time = dlg::ReadTimeOfDay(text);
    const bool plain = text.find('\0') == std::string_view::npos;
    for (int hour : kHourButtons) {
        const std::string picked = dlg::PickHourText(text, hour);
        const auto detail = [&] {
            return "hour " + std::to_string(hour) + " -> " + Escaped(picked);
        };
        Check(
            IsFormattedTime(picked) && picked.substr(0, 3) == dlg::FormatTime(hour, 0).substr(0, 3),
            "PickHourText writes the button's hour", detail);
        if (time) {
            Check(picked == dlg::FormatTime(hour, time->minute),
                  "PickHourText keeps the minute of a time", detail);
        } else if (plain) {
            Check(picked == reference::PickHour(text, hour), "PickHourText follows strtok", detail);
        }
    }
    for (int minute : kMinuteButtons) {
        const std::string picked = dlg::PickMinuteText(text, minute);
        const auto detail = [&] {
            return "minute " + std::to_string(minute) + " -> " + Escaped(picked);
        };
        const std::string tail = dlg::FormatTime(0, minute).substr(2);  // ":MM"
        Check(IsFormattedTime(picked) && picked.size() > tail.size() &&
                  picked.compare(picked.size() - tail.size(), tail.size(), tail) == 0,
              "PickMinuteText writes the button's minute", detail);
        if (time) {
            Check(picked == dlg::FormatTime(time->hour, minute),
                  "PickMinuteText keeps the hour of a time", detail);
        } else if (plain) {
            Check(picked == reference::PickMinute(text, minute), "PickMinuteText follows strtok",
                  detail);
        }
        // The focus move that follows a minute pick normalizes the text; the minute stays.
        const std::string moved = dlg::NormalizeTime(picked);
        Check(dlg::ReadTimeNumber(dlg::SplitTime(moved).second) == minute,
              "a minute pick survives the next normalization", detail);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const fuzz::ExactBytes input(std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::CurrentInput() = input.View();
    const std::string_view text = input.View();
    CheckSplit(text);
    CheckRead(text);
    CheckPicks(text);
    CheckTimes(text);
    const int band = dlg::TimeBand(text);
    Check(band >= 0 && band <= 3, "TimeBand is 0 to 3");
    return 0;
}
