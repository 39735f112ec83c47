#include "Reminders.h"

#include <algorithm>
#include <ctime>

#include "Cp932.h"
#include "SystemTime.h"

namespace {

constexpr int kSecondsPerDay = 24 * 60 * 60;

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view digits) {
    int value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

// The second of the day a table time ("0930", "2400") names; nullopt for any other text.
std::optional<int> SecondOfDay(std::string_view hhmm) {
    if (hhmm.size() != 4 || !AllDigits(hhmm)) {
        return std::nullopt;
    }
    const int hour = Number(hhmm.substr(0, 2));
    const int minute = Number(hhmm.substr(2, 2));
    if (minute > 59 || hour > 24 || (hour == 24 && minute != 0)) {
        return std::nullopt;
    }
    return hour * 3600 + minute * 60;
}

// "09:30" for a table time, or the cell as it is when it is none.
std::string TimeText(const std::string& hhmm) {
    if (!SecondOfDay(hhmm)) {
        return Cp932ToUtf8Lossy(hhmm);
    }
    return hhmm.substr(0, 2) + ":" + hhmm.substr(2, 2);
}

// A text for the body, which the notification service reads as markup.
std::string Markup(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

struct Entry {
    ReminderItem item;
    int start = 0;
    std::optional<int> end;  // only when later than the start
};

bool Contains(const std::vector<std::string>& keys, const std::string& key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

int ReminderLeadMinutes(std::string_view setting) {
    if (setting.empty() || setting.size() > 4 || !AllDigits(setting)) {
        return kDefaultReminderMinutes;
    }
    const int minutes = Number(setting);
    return minutes <= kMaxReminderMinutes ? minutes : kDefaultReminderMinutes;
}

std::optional<LocalDateTime> ParseLocalDateTime(std::string_view text) {
    if ((text.size() != 12 && text.size() != 14) || !AllDigits(text) ||
        !ScheduleIsDate(text.substr(0, 8))) {
        return std::nullopt;
    }
    LocalDateTime time{Number(text.substr(0, 4)),  Number(text.substr(4, 2)),
                       Number(text.substr(6, 2)),  Number(text.substr(8, 2)),
                       Number(text.substr(10, 2)), text.size() == 14 ? Number(text.substr(12)) : 0};
    if (time.hour > 23 || time.minute > 59 || time.second > 59) {
        return std::nullopt;
    }
    return time;
}

LocalDateTime AddSeconds(const LocalDateTime& time, long long seconds) {
    std::tm parts{};
    parts.tm_year = time.year - 1900;
    parts.tm_mon = time.month - 1;
    parts.tm_mday = time.day;
    parts.tm_hour = time.hour;
    parts.tm_min = time.minute;
    parts.tm_sec = time.second;
    // As UTC, so that no time zone or summer time shifts the arithmetic.
    const std::time_t moved = TimeOfUtc(parts) + static_cast<std::time_t>(seconds);
    const std::tm out = UtcTimeOf(moved);
    return {out.tm_year + 1900, out.tm_mon + 1, out.tm_mday, out.tm_hour, out.tm_min, out.tm_sec};
}

std::string ReminderTitle(const ReminderNotice& notice) {
    if (notice.items.size() == 1) {
        return TimeText(notice.items[0].from) + " " + Cp932ToUtf8Lossy(notice.items[0].text);
    }
    return "予定 " + std::to_string(notice.items.size()) + "件";
}

std::string ReminderBody(const ReminderNotice& notice) {
    std::vector<std::string> lines;
    if (notice.items.size() == 1) {
        if (!notice.items[0].to.empty()) {
            lines.push_back("終了 " + TimeText(notice.items[0].to));
        }
    } else {
        for (const ReminderItem& item : notice.items) {
            std::string line = TimeText(item.from);
            if (!item.to.empty()) {
                line += "-" + TimeText(item.to);
            }
            lines.push_back(line + " " + Cp932ToUtf8Lossy(item.text));
        }
    }
    if (!notice.period.empty()) {
        lines.push_back("期間予定 " + Cp932ToUtf8Lossy(notice.period));
    }
    std::string body;
    for (const std::string& line : lines) {
        body += (body.empty() ? "" : "\n") + Markup(line);
    }
    return body;
}

CReminderPlanner::Step CReminderPlanner::Check(const DayContent& today, const LocalDateTime& now) {
    Step step;
    if (m_nLead <= 0) {
        return step;
    }
    const std::string date = ScheduleDate(now.year, now.month, now.day);
    const int second = now.hour * 3600 + now.minute * 60 + now.second;
    if (date != m_strDate) {
        m_strDate = date;
        m_shown.clear();
        m_snoozed.clear();
    }
    // At midnight at the latest: the next day's entries.
    int wake = std::max(1, kSecondsPerDay - second);
    step.wakeInSeconds = wake;
    if (today.date != date) {
        return step;
    }

    std::vector<Entry> entries;
    for (const TimedEntry& slot : today.slots) {
        const std::optional<int> start = SecondOfDay(slot.from);
        if (slot.IsFree() || !start) {
            continue;
        }
        Entry entry;
        entry.item = {date + " " + slot.from + " " + slot.text, slot.from, slot.to, slot.text};
        entry.start = *start;
        const std::optional<int> end = SecondOfDay(slot.to);
        if (end && *end > *start) {
            entry.end = end;
        }
        const bool twice = std::any_of(entries.begin(), entries.end(), [&](const Entry& e) {
            return e.item.key == entry.item.key;
        });
        if (!twice) {
            entries.push_back(std::move(entry));
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.start < b.start; });
    // Snoozes of entries that were removed or changed meanwhile go.
    std::erase_if(m_snoozed, [&](const auto& snoozed) {
        return std::none_of(entries.begin(), entries.end(),
                            [&](const Entry& e) { return e.item.key == snoozed.first; });
    });

    const int lead = m_nLead * 60;
    ReminderNotice notice;
    for (const Entry& entry : entries) {
        int due = std::max(0, entry.start - lead);
        int lateness = entry.start + lead;  // no end time: shown until then
        auto snoozed = m_snoozed.end();
        if (Contains(m_shown, entry.item.key)) {
            snoozed = std::find_if(m_snoozed.begin(), m_snoozed.end(),
                                   [&](const auto& s) { return s.first == entry.item.key; });
            if (snoozed == m_snoozed.end()) {
                continue;
            }
            due = snoozed->second;
            lateness = due + lead;
        }
        if (due > second) {
            wake = std::min(wake, due - second);
            continue;
        }
        const bool ended = entry.end ? second >= *entry.end : second > lateness;
        if (snoozed != m_snoozed.end()) {
            m_snoozed.erase(snoozed);
        } else if (!ended) {
            m_shown.push_back(entry.item.key);
        }
        if (!ended) {
            notice.items.push_back(entry.item);
        }
    }
    step.wakeInSeconds = wake;
    if (!notice.items.empty()) {
        notice.date = date;
        notice.period = today.period.text;
        step.notice = std::move(notice);
    }
    return step;
}

void CReminderPlanner::Snooze(const std::vector<std::string>& keys, const LocalDateTime& now) {
    if (ScheduleDate(now.year, now.month, now.day) != m_strDate) {
        return;  // a notification of a day that is over
    }
    const int due = now.hour * 3600 + now.minute * 60 + now.second + kSnoozeMinutes * 60;
    for (const std::string& key : keys) {
        if (!Contains(m_shown, key)) {
            continue;
        }
        std::erase_if(m_snoozed, [&](const auto& s) { return s.first == key; });
        m_snoozed.emplace_back(key, due);
    }
}
