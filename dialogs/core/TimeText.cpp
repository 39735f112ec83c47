#include "TimeText.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace dlg {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The blanks a typed time may have around it.
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The working copy of the quick-pick actions holds 99 bytes and its terminator.
constexpr size_t kPickCopyBytes = 99;

// Non-empty pieces of the text between colons.
std::vector<std::string_view> TimeTokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    size_t start = 0;
    while (start <= text.size()) {
        size_t colon = text.find(':', start);
        if (colon == std::string_view::npos) {
            colon = text.size();
        }
        if (colon > start) {
            tokens.push_back(text.substr(start, colon - start));
        }
        start = colon + 1;
    }
    return tokens;
}

}  // namespace

int ReadTimeNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value >= limit) {
            value = limit;  // saturate; further digits cannot bring it back
        }
    }
    return static_cast<int>(negative ? -value : value);
}

std::string FormatTime(int hour, int minute) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", hour, minute);
    return buffer;
}

std::pair<std::string_view, std::string_view> SplitTime(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return {text, std::string_view{}};
    }
    return {text.substr(0, colon), text.substr(colon + 1)};
}

std::optional<TimeOfDay> ReadTimeOfDay(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    std::string_view hourDigits = text;
    std::string_view minuteDigits;
    const size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        hourDigits = text.substr(0, colon);
        minuteDigits = text.substr(colon + 1);
        if (minuteDigits.empty()) {
            return std::nullopt;
        }
    } else if (text.size() > 2) {
        hourDigits = text.substr(0, text.size() - 2);
        minuteDigits = text.substr(text.size() - 2);
    }
    const auto number = [](std::string_view digits) -> std::optional<int> {
        if (digits.empty() || digits.size() > 2) {
            return std::nullopt;
        }
        int value = 0;
        for (char c : digits) {
            if (!IsDigit(c)) {
                return std::nullopt;
            }
            value = value * 10 + (c - '0');
        }
        return value;
    };
    const std::optional<int> hour = number(hourDigits);
    const std::optional<int> minute = minuteDigits.empty() ? 0 : number(minuteDigits);
    if (!hour || !minute || *hour > 24 || *minute > 59 || (*hour == 24 && *minute != 0)) {
        return std::nullopt;
    }
    return TimeOfDay{*hour, *minute};
}

std::string NormalizeTime(std::string_view text) {
    if (const auto time = ReadTimeOfDay(text)) {
        return FormatTime(time->hour, time->minute);
    }
    return std::string(text);
}

std::string PickHourText(std::string_view target, int hour) {
    if (const auto time = ReadTimeOfDay(target)) {
        return FormatTime(hour, time->minute);
    }
    const auto tokens = TimeTokens(target.substr(0, kPickCopyBytes));
    const int minute = tokens.size() >= 2 ? ReadTimeNumber(tokens[1]) : 0;
    return FormatTime(hour, minute);
}

std::string PickMinuteText(std::string_view target, int minute) {
    if (const auto time = ReadTimeOfDay(target)) {
        return FormatTime(time->hour, minute);
    }
    const auto tokens = TimeTokens(target.substr(0, kPickCopyBytes));
    const int hour = tokens.empty() ? 0 : ReadTimeNumber(tokens[0]);
    return FormatTime(hour, minute);
}

int TimeBand(std::string_view startTime) {
    // Characters 0, 1, 3 and 4, up to the end of the text; the colon is left out.
    int value = 0;
    for (size_t pos : {0u, 1u, 3u, 4u}) {
        if (pos >= startTime.size() || !IsDigit(startTime[pos])) {
            break;
        }
        value = value * 10 + (startTime[pos] - '0');
    }
    if (value < 1030) {
        return 0;
    }
    if (value < 1200) {
        return 1;
    }
    if (value < 1500) {
        return 2;
    }
    return 3;
}

}  // namespace dlg
