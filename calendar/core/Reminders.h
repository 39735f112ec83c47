// Reminders of today's timed entries: which to show now and when to look again. The
// planner knows no toolkit and no clock of its own; the main window hands it today's day as
// the model reads it and the time now, shows what it says as a desktop notification, and
// wakes it again at the time it names (and on a regular tick besides, so that a sleep or a
// clock change is noticed).
//
// Rules:
// - An entry gets a reminder when it has a text and a start time (an entry with only an
//   end time, or none, gets none). It is due `lead` minutes before its start, at midnight
//   at the earliest: the planner looks at today only.
// - A reminder is shown once per entry: an entry is its date, start time and text. Editing
//   only the end time keeps it; changing the start or the text makes it a new entry, which
//   is reminded of afresh. An entry that was removed is not reminded of.
// - An entry that has ended gets no reminder: with an end time (later than its start) from
//   that end on, without one once its start is more than `lead` minutes past.
// - Everything due at one look goes into one notification: after a sleep or a jump of the
//   clock the reminders that came due meanwhile come together, never as a flood.
// - Snooze shows the reminders of a notification again kSnoozeMinutes later, unless their
//   entry was removed or changed, or has ended by then (without an end time: more than
//   `lead` minutes after the snoozed time).
// - The day changes at midnight: the new day's entries are planned, and what was left of
//   the day before (snoozes included) is dropped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DayContent.h"
#include "MonthLayout.h"

inline constexpr int kDefaultReminderMinutes = 10;
inline constexpr int kSnoozeMinutes = 5;
// The longest lead REMIND_MINUTES may set: a whole day.
inline constexpr int kMaxReminderMinutes = 24 * 60;

// The lead time REMIND_MINUTES sets: digits only, 0 (no reminders) to kMaxReminderMinutes.
// Anything else (empty, blanks, a sign, letters, too large) gives the default.
int ReminderLeadMinutes(std::string_view setting);

// "YYYYMMDDHHMMSS" (seconds optional) as a local date and time, for a clock that tests set
// from outside the program; nullopt for anything else.
std::optional<LocalDateTime> ParseLocalDateTime(std::string_view text);
// The local date and time `seconds` later (calendar arithmetic, no time zone).
LocalDateTime AddSeconds(const LocalDateTime& time, long long seconds);

// One entry in a notification. Times are the table's HHMM.
struct ReminderItem {
    std::string key;   // the entry: date, start and text
    std::string from;  // "0930"
    std::string to;    // "1000", or empty
    std::string text;  // CP932
};

// One notification: the entries of one day that came due together.
struct ReminderNotice {
    std::string date;  // YYYYMMDD: the day "開く" opens
    std::vector<ReminderItem> items;
    std::string period;  // the day's period entry, CP932; empty without one
};

// The notification's texts, UTF-8. One entry: the title is its start and text
// ("09:30 定例会議"), the body its end and the period ("終了 10:00", "期間予定 出張", one
// a line). Several: the title counts them ("予定 3件"), the body lists them ("09:30-10:00
// 定例会議") and the period. The body is markup for the notification service: "&", "<"
// and ">" in texts come escaped.
std::string ReminderTitle(const ReminderNotice& notice);
std::string ReminderBody(const ReminderNotice& notice);

class CReminderPlanner {
  public:
    // Minutes before a start; 0 turns reminders off.
    void SetLeadMinutes(int minutes) { m_nLead = minutes; }
    int LeadMinutes() const { return m_nLead; }

    struct Step {
        std::optional<ReminderNotice> notice;  // what to show now
        int wakeInSeconds = 0;  // when to look again at the latest; 0 when never (off)
    };
    // Looks at today as the model holds it now (today.date must be now's date; another
    // date gives nothing to show). What it returns to show counts as shown.
    Step Check(const DayContent& today, const LocalDateTime& now);
    // The entries of a notification shown before come due again kSnoozeMinutes after now.
    void Snooze(const std::vector<std::string>& keys, const LocalDateTime& now);

  private:
    int m_nLead = kDefaultReminderMinutes;
    std::string m_strDate;                               // the day the state below belongs to
    std::vector<std::string> m_shown;                    // keys shown that day
    std::vector<std::pair<std::string, int>> m_snoozed;  // key, second of the day due
};
