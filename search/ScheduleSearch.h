// Search across every year of the schedule: each timed entry and each period (one entry
// for its whole run) with its dates and times, found by a folded substring of its text
// (SearchText.h) within an optional range of dates.
//
//   CScheduleSearch search;
//   search.Load(model);                                   // once, and after model changes
//   for (size_t i : search.Find({"健康診断", "", ""}))    // CP932 text, open range
//       ... search.Entries()[i] ...
//
// Load reads the whole schedule through the model; every Find after it scans the folded
// texts, held together in one buffer, and never touches the model.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SearchText.h"

class CScheduleModel;

enum class SearchKind { kPeriod, kTimed };

struct SearchEntry {
    SearchKind kind = SearchKind::kTimed;
    std::string first;  // YYYYMMDD: the entry's day, or the period's first day
    std::string last;   // the period's last day; the entry's day for a timed entry
    std::string from;   // the times as stored (HHMM); empty for a period
    std::string to;
    int slot = 0;      // a timed entry's slot, 0 to 3
    std::string text;  // CP932
    friend bool operator==(const SearchEntry&, const SearchEntry&) = default;
};

struct SearchQuery {
    std::string text;  // CP932; an empty text finds every entry of the range
    std::string from;  // YYYYMMDD, or empty for no first day
    std::string to;    // YYYYMMDD, or empty for no last day
};

class CScheduleSearch {
  public:
    // Every timed entry and period of the model, in date order (a day's period before its
    // timed entries, those by slot).
    void Load(const CScheduleModel& model);
    // The same from entries gathered elsewhere (the order is made here).
    void Load(std::vector<SearchEntry> entries);
    const std::vector<SearchEntry>& Entries() const { return m_entries; }

    // The entries whose folded text holds the folded query text and that lie in the
    // range, as indexes into Entries() in their order, at most `limit` of them. A timed
    // entry lies in the range when its day does; a period when any of its days does.
    std::vector<size_t> Find(const SearchQuery& query,
                             size_t limit = std::numeric_limits<size_t>::max()) const;

  private:
    std::vector<SearchEntry> m_entries;
    FoldedText m_folded;            // every text folded, each followed by a separator
    std::vector<uint32_t> m_start;  // where each entry's text begins in m_folded
};

// A date as the user types it into the range fields: "2024/4/1", "2024-04-01", "2024年4月1日"
// or "20240401" (CP932), as YYYYMMDD. Empty for an empty text (no bound); nullopt when the
// text is not a real date.
std::optional<std::string> ParseSearchDate(std::string_view cp932);

// The columns of the result list, CP932: the date with its weekday ("2024/04/01(月)", a
// period "2024/03/30(土)～2024/04/02(火)"), the times ("09:30～10:00", "09:30～", empty
// for a period), the text, and the kind ("予定" or "期間").
std::array<std::string, 4> SearchRowTexts(const SearchEntry& entry);
