// Reminders: what the planner shows at each look as the day is edited, the clock moves on,
// sleeps, jumps back or passes midnight, and reminders are snoozed; the settings and the
// texts of the notification.
#include "Reminders.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// "0930-1000 a;-1200 b;1300 c" as a day's slots: start, optional end, text.
DayContent Day(const std::string& date, const std::string& slots) {
    DayContent day;
    day.date = date;
    std::istringstream in(slots);
    std::string part;
    for (int slot = 0; slot < kSlotCount && std::getline(in, part, ';'); ++slot) {
        const size_t space = part.find(' ');
        const std::string times = part.substr(0, space);
        const size_t dash = times.find('-');
        day.slots[slot].from = times.substr(0, dash);
        day.slots[slot].to = dash == std::string::npos ? "" : times.substr(dash + 1);
        day.slots[slot].text = space == std::string::npos ? "" : part.substr(space + 1);
    }
    return day;
}

// The entries a notice holds, "0930 a|1100 b"; empty for no notice.
std::string Shown(const std::optional<ReminderNotice>& notice) {
    std::string out;
    for (const ReminderItem& item : notice ? notice->items : std::vector<ReminderItem>{}) {
        out += (out.empty() ? "" : "|") + item.from + " " + item.text;
    }
    return out;
}

enum class Op { kCheck, kSnooze };

struct Look {
    int day;           // of December 2026
    const char* time;  // HHMMSS
    const char* slots;
    Op op;
    const char* shown;  // what the look shows (kCheck only)
    int wake;           // seconds until the next look at the latest (kCheck only)
};

struct Scenario {
    const char* name;
    int lead;
    std::vector<Look> looks;
};

constexpr int kMidnightFrom0921 = 24 * 3600 - (9 * 3600 + 21 * 60);
constexpr Op C = Op::kCheck;
constexpr Op S = Op::kSnooze;

TEST(ReminderPlannerTest, ShowsEachEntryOnceAsTheDayIsEditedAndTheClockMoves) {
    const Scenario scenarios[] = {
        {"due ten minutes before, once",
         10,
         {{7, "090000", "0930-1000 a", C, "", 20 * 60},
          {7, "091959", "0930-1000 a", C, "", 1},
          {7, "092000", "0930-1000 a", C, "0930 a", kMidnightFrom0921 + 60},
          {7, "092100", "0930-1000 a", C, "", kMidnightFrom0921}}},
        {"a new start is a new entry; a new end is not",
         10,
         {{7, "092000", "0930-1000 a", C, "0930 a", kMidnightFrom0921 + 60},
          {7, "092100", "0930-1030 a", C, "", kMidnightFrom0921},
          {7, "092100", "0945-1030 a", C, "", 14 * 60},
          {7, "093500", "0945-1030 a", C, "0945 a", 24 * 3600 - 9 * 3600 - 35 * 60},
          {7, "093600", "0945-1030 b", C, "0945 b", 24 * 3600 - 9 * 3600 - 36 * 60}}},
        {"an entry removed before it is due is never shown",
         10,
         {{7, "090000", "0930 a;1100 b", C, "", 20 * 60},
          {7, "091000", "1100 b", C, "", 100 * 60},
          {7, "092000", "1100 b", C, "", 90 * 60}}},
        {"after a sleep: what came due together, nothing that has ended",
         10,
         {{7, "080000", "0900-0930 x;1000 y;1010-1100 p;1030 z", C, "", 50 * 60},
          {7, "102500", "0900-0930 x;1000 y;1010-1100 p;1030 z", C, "1010 p|1030 z",
           24 * 3600 - 10 * 3600 - 25 * 60},
          {7, "102600", "0900-0930 x;1000 y;1010-1100 p;1030 z", C, "",
           24 * 3600 - 10 * 3600 - 26 * 60}}},
        {"without an end time: shown until the start is the lead time past",
         10,
         {{7, "094000", "0930 a", C, "0930 a", 24 * 3600 - 9 * 3600 - 40 * 60},
          {7, "094001", "0930 b", C, "", 24 * 3600 - 9 * 3600 - 40 * 60 - 1}}},
        {"the clock set back shows nothing twice",
         10,
         {{7, "092000", "0930-1000 a", C, "0930 a", kMidnightFrom0921 + 60},
          {7, "090000", "0930-1000 a", C, "", 15 * 3600}}},
        {"entries without a start, a text, or a real start get none",
         10,
         {{7, "000000", "-1000 a;0930-1000;9:30 b;2460 c", C, "", 24 * 3600},
          {7, "120000", "-1000 a;0930-1000;9:30 b;2460 c", C, "", 12 * 3600}}},
        {"the same entry in two slots is shown once; 24:00 is a start",
         10,
         {{7, "235000", "2400 n;0930 a;2400 n", C, "2400 n", 600}}},
        {"snooze: five minutes later, unless the entry has ended by then",
         10,
         {{7, "092000", "0930-1000 a", C, "0930 a", kMidnightFrom0921 + 60},
          {7, "092100", "0930-1000 a", S, "", 0},
          {7, "092500", "0930-1000 a", C, "", 60},
          {7, "092600", "0930-1000 a", C, "0930 a", kMidnightFrom0921 - 5 * 60},
          {7, "092700", "0930-1000 a", C, "", kMidnightFrom0921 - 6 * 60},
          {7, "095800", "0930-1000 a", S, "", 0},
          {7, "100300", "0930-1000 a", C, "", 24 * 3600 - 10 * 3600 - 3 * 60}}},
        {"snooze without an end time outlasts the lead; a removed entry's snooze goes",
         10,
         {{7, "092000", "0930 a;0935 b", C, "0930 a", 5 * 60},
          {7, "093800", "0930 a;0935 b", S, "", 0},
          {7, "093900", "0930 a;0935 b", C, "0935 b", 4 * 60},
          {7, "094300", "0930 a;0935 b", C, "0930 a", 24 * 3600 - 9 * 3600 - 43 * 60},
          {7, "094400", "0930 a;0935 b", S, "", 0},
          {7, "094500", "0935 b", C, "", 24 * 3600 - 9 * 3600 - 45 * 60},
          {7, "094900", "0935 b", C, "", 24 * 3600 - 9 * 3600 - 49 * 60},
          // Put back as it was: shown already, and its snooze is gone.
          {7, "095000", "0930 a;0935 b", C, "", 24 * 3600 - 9 * 3600 - 50 * 60}}},
        {"midnight: the next day's entries, clamped to midnight; yesterday's snooze goes",
         10,
         {{7, "235000", "2358 late", C, "2358 late", 600},
          {7, "235800", "2358 late", S, "", 0},
          {8, "000000", "0005 early", C, "0005 early", 24 * 3600},
          {8, "000300", "0005 early", C, "", 24 * 3600 - 3 * 60}}},
        {"lead 0: off", 0, {{7, "092000", "0930 a", C, "", 0}}},
    };
    for (const Scenario& scenario : scenarios) {
        CReminderPlanner planner;
        planner.SetLeadMinutes(scenario.lead);
        std::vector<std::string> lastShown;
        int n = 0;
        for (const Look& look : scenario.looks) {
            SCOPED_TRACE(testing::Message() << scenario.name << ", look " << ++n);
            const std::optional<LocalDateTime> now =
                ParseLocalDateTime(std::string("202612") + (look.day < 10 ? "0" : "") +
                                   std::to_string(look.day) + look.time);
            ASSERT_TRUE(now);
            const std::string date = ScheduleDate(2026, 12, look.day);
            if (look.op == Op::kSnooze) {
                planner.Snooze(lastShown, *now);
                continue;
            }
            const CReminderPlanner::Step step = planner.Check(Day(date, look.slots), *now);
            EXPECT_EQ(Shown(step.notice), look.shown);
            EXPECT_EQ(step.wakeInSeconds, look.wake);
            if (step.notice) {
                EXPECT_EQ(step.notice->date, date);
                lastShown.clear();
                for (const ReminderItem& item : step.notice->items) {
                    lastShown.push_back(item.key);
                }
            }
        }
    }
}

TEST(ReminderSettingsTest, LeadMinutesAndTestClock) {
    const std::pair<const char*, int> leads[] = {
        {"10", 10}, {"0", 0},   {"1440", 1440}, {"0005", 5}, {"", 10},      {"1441", 10},
        {"-5", 10}, {" 5", 10}, {"5 ", 10},     {"abc", 10}, {"99999", 10}, {"1.5", 10},
    };
    for (const auto& [setting, minutes] : leads) {
        EXPECT_EQ(ReminderLeadMinutes(setting), minutes) << '"' << setting << '"';
    }
    EXPECT_EQ(ParseLocalDateTime("202612072359"), (LocalDateTime{2026, 12, 7, 23, 59, 0}));
    EXPECT_EQ(ParseLocalDateTime("20261207235930"), (LocalDateTime{2026, 12, 7, 23, 59, 30}));
    for (const char* bad : {"", "2026120723", "202602300930", "202612072400", "202612071260",
                            "20261207093060", "2026-12-07T09", "2026120709300"}) {
        EXPECT_FALSE(ParseLocalDateTime(bad)) << bad;
    }
    // Across midnight, a month end, a leap day and a year end.
    EXPECT_EQ(AddSeconds({2026, 12, 7, 23, 59, 30}, 45), (LocalDateTime{2026, 12, 8, 0, 0, 15}));
    EXPECT_EQ(AddSeconds({2028, 2, 28, 23, 0, 0}, 3600), (LocalDateTime{2028, 2, 29, 0, 0, 0}));
    EXPECT_EQ(AddSeconds({2026, 12, 31, 23, 59, 59}, 1), (LocalDateTime{2027, 1, 1, 0, 0, 0}));
}

TEST(ReminderTextTest, TitleAndBodyOfOneAndOfSeveral) {
    const std::string meeting = "\x92\xe8\x97\xe1\x89\xef\x8b\x63";  // 定例会議 in CP932
    const std::string trip = "\x8f\x6f\x92\xa3";                     // 出張
    struct Case {
        ReminderNotice notice;
        const char* title;
        const char* body;
    };
    const Case cases[] = {
        {{"20261207", {{"k", "0930", "1000", meeting}}, trip},
         "09:30 定例会議",
         "終了 10:00\n期間予定 出張"},
        {{"20261207", {{"k", "0930", "", "a<b>&c"}}, ""}, "09:30 a<b>&c", ""},
        {{"20261207", {{"k", "0930", "1000", "x"}, {"l", "1030", "", "R&D"}}, "A&B"},
         "予定 2件",
         "09:30-10:00 x\n10:30 R&amp;D\n期間予定 A&amp;B"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReminderTitle(c.notice), c.title);
        EXPECT_EQ(ReminderBody(c.notice), c.body);
    }
}

}  // namespace
