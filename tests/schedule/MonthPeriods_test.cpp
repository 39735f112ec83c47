// The month view's period marks come from walks that stop one day past the month; they
// must be exactly what the full run (FindPeriodSpan) gives, for runs of any length.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "PeriodSpan.h"
#include "ScheduleTestSupport.h"

namespace {

using caltest::PeriodLine;

class MonthPeriodsTest : public caltest::ScheduleTest {
  protected:
    // Every day of the month, in the order given, against FindPeriodSpan.
    void ExpectMonthAgrees(int year, int month, const std::vector<int>& days) {
        CMonthPeriods periods(m_table);
        for (int d : days) {
            const std::string day = ScheduleDate(year, month, d);
            const PeriodSpan span = FindPeriodSpan(m_table, day);
            const PeriodMark mark = periods.Of(day);
            if (span.n == 0) {
                EXPECT_EQ(mark.type, -1) << day;
                continue;
            }
            EXPECT_EQ(mark.type, PeriodMarkType(span, day)) << day;
            EXPECT_EQ(mark.middle, span.middle) << day << " in " << span.first << "-" << span.last;
            EXPECT_EQ(mark.text, span.text) << day;
        }
    }
    void ExpectMonthAgrees(int year, int month) {
        std::vector<int> days;
        for (int d = 1; d <= 31; ++d) {
            days.push_back(d);
        }
        ExpectMonthAgrees(year, month, days);
    }
};

TEST_F(MonthPeriodsTest, MarksOfRunsAroundMonthAndYearEnds) {
    struct Case {
        const char* first;
        const char* last;
        int year, month;  // the month painted
    };
    const Case cases[] = {
        {"20080310", "20080310", 2008, 3},  // one day
        {"20080310", "20080311", 2008, 3},  {"20080310", "20080313", 2008, 3},
        {"20080129", "20080202", 2008, 1},  {"20080129", "20080202", 2008, 2},
        {"20080130", "20080201", 2008, 1},  {"20080131", "20080201", 2008, 2},
        {"20080201", "20080229", 2008, 2},  // the whole month, nothing beyond
        {"20080131", "20080301", 2008, 2},  // the whole month and one day each side
        {"20071215", "20090115", 2008, 1},  // longer than a year
        {"20071215", "20090115", 2009, 1},  {"20071215", "20090115", 2007, 12},
        {"19991231", "20010101", 2000, 6},   // a leap century inside
        {"99991220", "99991231", 9999, 12},  // up to the last day the date routines know
        {"10000101", "10000110", 1000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + "-" + c.last);
        DbCloseTable(kScheduleTable, 0);
        m_table = DbOpenTable(kScheduleTable);
        AddPeriod(c.first, c.last, "Trip");
        ExpectMonthAgrees(c.year, c.month);
    }
}

TEST_F(MonthPeriodsTest, RandomOverlappingRunsAgreeWithTheFullWalk) {
    // Runs of three texts over five months around a year end, some of them long, some
    // days holding two period rows; the painter asks the days in order, the double-click
    // in any order.
    std::mt19937 random(7);
    auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const std::string start = "20071101";
    const char* const texts[] = {"A", "B", "\x8F\x6F\x92\xA3"};  // 出張
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        DbCloseTable(kScheduleTable, 0);
        m_table = DbOpenTable(kScheduleTable);
        for (int run = 0; run < 25; ++run) {
            const std::string first = DateAddDays(start, below(150));
            const int length = below(10) == 0 ? 40 + below(120) : 1 + below(6);
            AddPeriod(first, DateAddDays(first, length - 1), texts[below(3)]);
            Add(caltest::SlotLine(DateAddDays(start, below(150)), "0930", "", 0, "x"));
        }
        const int months[][2] = {{2007, 11}, {2007, 12}, {2008, 1}, {2008, 2}, {2008, 3}};
        for (const auto& m : months) {
            ExpectMonthAgrees(m[0], m[1]);
            std::vector<int> shuffled;
            for (int d = 1; d <= 31; ++d) {
                shuffled.push_back(d);
            }
            std::shuffle(shuffled.begin(), shuffled.end(), random);
            ExpectMonthAgrees(m[0], m[1], shuffled);
        }
    }
}

TEST_F(MonthPeriodsTest, ADayIsNotTakenIntoTheRunOfAnotherText) {
    // The 7th lies inside the walk of the "Trip" run but its first period row is "Other":
    // its own one-day run, even though the day before was asked first.
    AddPeriod("20080303", "20080306", "Trip");
    Add(PeriodLine("20080307", "Other"));
    Add(PeriodLine("20080307", "Trip"));
    AddPeriod("20080308", "20080309", "Trip");
    CMonthPeriods periods(m_table);
    EXPECT_EQ(periods.Of("20080306").type, 0);
    const PeriodMark other = periods.Of("20080307");
    EXPECT_EQ(other.type, 3);
    EXPECT_EQ(other.text, "Other");
    EXPECT_EQ(other.middle, "20080307");
    EXPECT_EQ(periods.Of("20080309").type, 2);
    EXPECT_EQ(periods.Of("20080309").middle, "20080306");
    EXPECT_EQ(periods.Of("20080310").type, -1);
}

}  // namespace
