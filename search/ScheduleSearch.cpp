#include "ScheduleSearch.h"

#include <algorithm>
#include <tuple>

#include "DateTime.h"
#include "ScheduleModel.h"

namespace {

// Follows every folded text; no CP932 text folds to it.
constexpr char16_t kSeparator = 0xFFFF;

constexpr const char* kFirstDate = "10000101";
constexpr const char* kLastDate = "99991231";

bool InRange(const SearchEntry& entry, const SearchQuery& query) {
    return (query.from.empty() || entry.last >= query.from) &&
           (query.to.empty() || entry.first <= query.to);
}

std::string DateText(const std::string& date) {
    return DateFormat("%Y/%M/%D(%A)", date).value_or(date);
}

// "0930" as "09:30"; a cell that is not four digits as it is.
std::string TimeText(const std::string& time) {
    const bool digits = time.size() == 4 && std::all_of(time.begin(), time.end(), [](char c) {
                            return c >= '0' && c <= '9';
                        });
    return digits ? TimeFormat("%H:%M", time) : time;
}

constexpr const char* kWaveDash = "\x81\x60";  // "～"

}  // namespace

void CScheduleSearch::Load(const CScheduleModel& model) {
    std::vector<SearchEntry> entries;
    model.ForEachDay(kFirstDate, kLastDate, [&entries](const DayContent& day) {
        // A run is one entry, taken on its first day.
        if (day.period.n > 0 && day.period.first == day.date) {
            SearchEntry period;
            period.kind = SearchKind::kPeriod;
            period.first = day.period.first;
            period.last = day.period.last;
            period.text = day.period.text;
            entries.push_back(std::move(period));
        }
        for (int k = 0; k < kSlotCount; ++k) {
            const TimedEntry& slot = day.slots[k];
            if (!slot.IsFree()) {
                entries.push_back(
                    {SearchKind::kTimed, day.date, day.date, slot.from, slot.to, k, slot.text});
            }
        }
    });
    Load(std::move(entries));
}

void CScheduleSearch::Load(std::vector<SearchEntry> entries) {
    const auto before = [](const SearchEntry& a, const SearchEntry& b) {
        return std::tie(a.first, a.kind, a.slot) < std::tie(b.first, b.kind, b.slot);
    };
    // The model's walk gives them in this order already.
    if (!std::is_sorted(entries.begin(), entries.end(), before)) {
        std::stable_sort(entries.begin(), entries.end(), before);
    }
    m_entries = std::move(entries);
    m_folded.clear();
    m_start.clear();
    m_start.reserve(m_entries.size() + 1);
    for (const SearchEntry& entry : m_entries) {
        m_start.push_back(static_cast<uint32_t>(m_folded.size()));
        AppendFolded(entry.text, m_folded);
        m_folded.push_back(kSeparator);
    }
    m_start.push_back(static_cast<uint32_t>(m_folded.size()));
}

std::vector<size_t> CScheduleSearch::Find(const SearchQuery& query, size_t limit) const {
    std::vector<size_t> found;
    // Entries are in order of their first day: none from the first one after the range.
    const size_t end =
        query.to.empty()
            ? m_entries.size()
            : static_cast<size_t>(std::upper_bound(m_entries.begin(), m_entries.end(), query.to,
                                                   [](const std::string& to, const SearchEntry& e) {
                                                       return to < e.first;
                                                   }) -
                                  m_entries.begin());
    const FoldedText needle = FoldForSearch(query.text);
    if (needle.empty()) {
        for (size_t i = 0; i < end && found.size() < limit; ++i) {
            if (InRange(m_entries[i], query)) {
                found.push_back(i);
            }
        }
        return found;
    }
    const std::u16string_view haystack(m_folded.data(), m_start[end]);
    size_t pos = 0;
    while (found.size() < limit) {
        const size_t at = haystack.find(needle, pos);
        if (at == std::u16string_view::npos) {
            break;
        }
        // The entry whose text holds the match; the search goes on after that text.
        const size_t i = static_cast<size_t>(
            std::upper_bound(m_start.begin(), m_start.end(), static_cast<uint32_t>(at)) -
            m_start.begin() - 1);
        if (InRange(m_entries[i], query)) {
            found.push_back(i);
        }
        pos = m_start[i + 1];
    }
    return found;
}

std::optional<std::string> ParseSearchDate(std::string_view cp932) {
    // Up to three numbers, separated by anything that is not a digit; full-width digits
    // count as digits.
    const FoldedText text = FoldForSearch(cp932);
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int n = -1;
    bool inNumber = false;
    bool blank = true;
    for (const char16_t c : text) {
        if (c >= u'0' && c <= u'9') {
            if (!inNumber) {
                if (++n == 3) {
                    return std::nullopt;
                }
                inNumber = true;
            }
            if (++digits[n] > 8) {
                return std::nullopt;
            }
            parts[n] = parts[n] * 10 + (c - u'0');
        } else {
            inNumber = false;
            blank = blank && (c == u' ' || c == u'\t');
        }
    }
    if (n < 0) {
        // Only blanks is no bound; anything else is not a date.
        return blank ? std::optional<std::string>(std::string()) : std::nullopt;
    }
    int year = 0, month = 0, day = 0;
    if (n == 0 && digits[0] == 8) {
        year = parts[0] / 10000;
        month = parts[0] / 100 % 100;
        day = parts[0] % 100;
    } else if (n == 2 && digits[0] == 4 && digits[1] <= 2 && digits[2] <= 2) {
        year = parts[0];
        month = parts[1];
        day = parts[2];
    } else {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31) {
        return std::nullopt;
    }
    std::string date = ScheduleDate(year, month, day);
    if (!ScheduleIsDate(date)) {
        return std::nullopt;
    }
    return date;
}

std::array<std::string, 4> SearchRowTexts(const SearchEntry& entry) {
    std::array<std::string, 4> row;
    if (entry.kind == SearchKind::kPeriod) {
        row[0] = DateText(entry.first);
        if (entry.last != entry.first) {
            row[0] += kWaveDash + DateText(entry.last);
        }
        row[3] = "\x8A\xFA\x8A\xD4";  // "期間"
    } else {
        row[0] = DateText(entry.first);
        if (!entry.from.empty() || !entry.to.empty()) {
            row[1] = TimeText(entry.from) + kWaveDash + TimeText(entry.to);
        }
        row[3] = "\x97\x5C\x92\xE8";  // "予定"
    }
    row[2] = entry.text;
    return row;
}
