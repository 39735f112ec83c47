// Fuzz target: the time texts of the time entry dialog. The whole input is one typed time
// text; every quick-pick button is tried on it.
//
// Properties:
// - SplitTime gives two pieces of the text around its first colon;
// - NormalizeTime gives the empty text only for the empty text, otherwise an HH:MM shape
//   ("%02d:%02d" of an hour of at most 24 and a minute of at most 59) of at most 23 bytes,
//   it is idempotent, and an HH:MM text already within those bounds stays as it is;
// - PickHourText writes the button's two-digit hour before the colon, PickMinuteText the
//   button's two-digit minute after it; on a normalized text both keep the other half;
// - the minute pick followed by the normalization of the next focus move keeps the minute;
// - for a text without a NUL byte (an edit never hands one over), NormalizeTime and both
//   picks give what the C library's own reading of the same rules gives: strtol for each
//   number (clamped to 32 bits, where the program saturates), the first ":" for the split,
//   strtok with ":" on a 100-byte working copy for the pick tokens;
// - ConfirmedTime (what OK hands back) is idempotent, and a result of the HH:MM shape
//   comes back byte for byte through the stored HHMM form (TimeParse, then TimeFormat);
//   only a number below -9 makes a longer result;
// - TimeBand is 0 to 3.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "DateTime.h"
#include "FuzzSupport.h"
#include "TimeText.h"

namespace {

using fuzz::Check;
using fuzz::Escaped;

constexpr int kHourButtons[] = {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};
constexpr int kMinuteButtons[] = {0, 10, 15, 20, 30, 40, 45, 50};

// "%02d" of a 32-bit number: "-2147483648" is the longest.
constexpr std::size_t kMaxNumberBytes = 11;
// Two numbers and the colon.
constexpr std::size_t kMaxTimeTextBytes = 2 * kMaxNumberBytes + 1;

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

std::string Normalize(const std::string& text) {
    if (text.empty()) {
        return "";
    }
    const std::size_t colon = text.find(':');
    const std::string hourPart = text.substr(0, colon);
    const std::string minutePart = colon == std::string::npos ? "" : text.substr(colon + 1);
    return Format(std::min(Number(hourPart.c_str()), 24), std::min(Number(minutePart.c_str()), 59));
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

void CheckNormalize(std::string_view text) {
    const std::string normal = dlg::NormalizeTime(text);
    const auto detail = [&] { return "normalized " + Escaped(normal); };
    Check(normal.empty() == text.empty(), "NormalizeTime empty exactly for the empty text", detail);
    if (text.empty()) {
        return;
    }
    Check(IsFormattedTime(normal), "NormalizeTime gives the %02d:%02d shape", detail);
    Check(normal.size() <= kMaxTimeTextBytes, "NormalizeTime result length", detail);
    const auto [hour, minute] = dlg::SplitTime(normal);
    Check(dlg::ReadTimeNumber(hour) <= 24 && dlg::ReadTimeNumber(minute) <= 59,
          "NormalizeTime clamps at 24 and 59", detail);
    Check(dlg::NormalizeTime(normal) == normal, "NormalizeTime is idempotent", detail);
    if (text.find('\0') == std::string_view::npos) {
        Check(normal == reference::Normalize(std::string(text)),
              "NormalizeTime reads the text as strtol does", detail);
    }
    if (IsTwoDigitTime(text) && dlg::ReadTimeNumber(text.substr(0, 2)) <= 24 &&
        dlg::ReadTimeNumber(text.substr(3, 2)) <= 59) {
        Check(normal == text, "NormalizeTime keeps an HH:MM text within bounds", detail);
    }
}

void CheckConfirmed(std::string_view text) {
    const std::string confirmed = dlg::ConfirmedTime(text);
    const auto detail = [&] { return "confirmed " + Escaped(confirmed); };
    Check(confirmed.empty() == text.empty(), "ConfirmedTime empty exactly for the empty text",
          detail);
    Check(dlg::ConfirmedTime(confirmed) == confirmed, "ConfirmedTime is idempotent", detail);
    if (confirmed.size() == 5 && confirmed[2] == ':') {
        Check(TimeFormat("%H:%M", TimeParse("%H:%M", confirmed)) == confirmed,
              "a confirmed time comes back through the stored form", detail);
    } else if (!confirmed.empty()) {
        const auto [hour, minute] = dlg::SplitTime(confirmed);
        Check(IsFormattedTime(confirmed) &&
                  (dlg::ReadTimeNumber(hour) < -9 || dlg::ReadTimeNumber(minute) < -9),
              "only a number below -9 makes a confirmed time longer than HH:MM", detail);
    }
}

void CheckPicks(std::string_view text) {
    const std::string normal = dlg::NormalizeTime(text);
    const bool plain = text.find('\0') == std::string_view::npos;
    for (int hour : kHourButtons) {
        const std::string picked = dlg::PickHourText(text, hour);
        const auto detail = [&] {
            return "hour " + std::to_string(hour) + " -> " + Escaped(picked);
        };
        Check(
            IsFormattedTime(picked) && picked.substr(0, 3) == dlg::FormatTime(hour, 0).substr(0, 3),
            "PickHourText writes the button's hour", detail);
        if (plain) {
            Check(picked == reference::PickHour(text, hour), "PickHourText follows strtok", detail);
        }
        if (!normal.empty()) {
            const int minute = dlg::ReadTimeNumber(dlg::SplitTime(normal).second);
            Check(dlg::PickHourText(normal, hour) == dlg::FormatTime(hour, minute),
                  "PickHourText keeps the minute of a normalized text", detail);
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
        if (plain) {
            Check(picked == reference::PickMinute(text, minute), "PickMinuteText follows strtok",
                  detail);
        }
        // The focus move that follows a minute pick normalizes the text; the minute stays.
        const std::string moved = dlg::NormalizeTime(picked);
        Check(dlg::ReadTimeNumber(dlg::SplitTime(moved).second) == minute,
              "a minute pick survives the next normalization", detail);
        if (!normal.empty()) {
            const int hour = dlg::ReadTimeNumber(dlg::SplitTime(normal).first);
            Check(dlg::PickMinuteText(normal, minute) == dlg::FormatTime(hour, minute),
                  "PickMinuteText keeps the hour of a normalized text", detail);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const fuzz::ExactBytes input(std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::CurrentInput() = input.View();
    const std::string_view text = input.View();
    CheckSplit(text);
    CheckNormalize(text);
    CheckPicks(text);
    CheckConfirmed(text);
    const int band = dlg::TimeBand(text);
    Check(band >= 0 && band <= 3, "TimeBand is 0 to 3");
    return 0;
}
