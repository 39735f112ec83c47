#include "Schedule.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ScheduleTestSupport.h"

namespace {

using caltest::Cells;
using caltest::MarkLine;
using caltest::PeriodLine;
using caltest::ScheduleTest;
using caltest::SlotLine;

const std::string kDay = "20080305";

TEST(ScheduleDateTest, OnlyRealEightDigitDatesCount) {
    struct Case {
        const char* date;
        bool real;
    };
    const Case cases[] = {
        {"20080305", true},   {"20080229", true},  {"20070229", false}, {"20080230", false},
        {"20081301", false},  {"20080001", false}, {"20080100", false}, {"2008035", false},
        {"200803051", false}, {"2008-3-5", false}, {"", false},         {"09991231", false},
        {"99991231", true},   {"2008030 ", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScheduleIsDate(c.date), c.real) << c.date;
    }
    EXPECT_EQ(ScheduleDate(2008, 3, 5), "20080305");
    EXPECT_EQ(ScheduleDate(2008, 12, 31), "20081231");
}

TEST_F(ScheduleTest, ReadsOneDayWhateverTheRowOrder) {
    std::vector<std::string> lines = {
        SlotLine(kDay, "0930", "1000", 0, "Meeting"),
        SlotLine(kDay, "", "", 2, "Call"),  // slot 1 empty: slots may have holes
        SlotLine(kDay, "1300", "", 3, "\"Lunch,late\""),
        PeriodLine(kDay, "Trip"),
        MarkLine(kDay, "2"),
        // Other days and rows of kinds the program does not know.
        SlotLine("20080306", "0800", "0900", 1, "Next day"),
        MarkLine("20080304", "1"),
        "20080305,,,5,Unknown,",
        "2008035,,,1,Short date,",
    };
    std::sort(lines.begin(), lines.end());
    int orders = 0;
    do {
        DbCloseTable(kScheduleTable, 0);
        m_table = DbOpenTable(kScheduleTable);
        AddLines(lines);
        DayContent day = ScheduleReadDay(m_table, kDay);
        ASSERT_EQ(day.slots[0], (TimedEntry{"0930", "1000", "Meeting"}));
        ASSERT_EQ(day.slots[1], TimedEntry{});
        ASSERT_EQ(day.slots[2], (TimedEntry{"", "", "Call"}));
        ASSERT_EQ(day.slots[3], (TimedEntry{"1300", "", "Lunch,late"}));
        ASSERT_EQ(m_model.ReadDay(kDay).period.text, "Trip");
        ASSERT_FALSE(day.holiday);
        ASSERT_TRUE(day.paidLeave);
        // A sample of orders is enough; every permutation would take too long.
        for (int i = 0; i < 997; ++i) {
            std::next_permutation(lines.begin(), lines.end());
        }
    } while (++orders < 40);
}

TEST_F(ScheduleTest, TheFirstOfTwoPeriodRowsIsTheDaysPeriod) {
    AddLines({PeriodLine(kDay, "Trip"), PeriodLine(kDay, "Course")});
    EXPECT_EQ(m_model.ReadDay(kDay).period.text, "Trip");
    EXPECT_EQ(ScheduleFindPeriodRow(m_table, kDay, "Course"), 1);
}

TEST_F(ScheduleTest, ReadsBothMarksOfAHandEditedDay) {
    AddLines({MarkLine(kDay, "2"), MarkLine(kDay, "1")});
    DayContent day = ScheduleReadDay(m_table, kDay);
    EXPECT_TRUE(day.holiday);
    EXPECT_TRUE(day.paidLeave);
}

TEST_F(ScheduleTest, AScheduleRowWithASyukujituValueIsNoMark) {
    Add("20080305,0930,,1,Meeting,1");
    DayContent day = ScheduleReadDay(m_table, kDay);
    EXPECT_FALSE(day.holiday);
    EXPECT_EQ(day.slots[0].text, "Meeting");
    ASSERT_TRUE(ScheduleWriteMarks(m_table, kDay, false, false));
    EXPECT_EQ(DbRowCount(m_table), 1) << "the schedule row must survive";
}

TEST_F(ScheduleTest, WritesRowsInTheStoredLineForms) {
    ASSERT_TRUE(ScheduleWriteSlot(m_table, kDay, 0, {"0930", "1000", "Meeting"}));
    ASSERT_TRUE(ScheduleWriteSlot(m_table, kDay, 3, {"", "", "a,b"}));
    ASSERT_EQ(ScheduleWritePeriod(m_table, kDay, kDay, "Trip", 100), 1);
    ASSERT_TRUE(ScheduleWriteMarks(m_table, kDay, true, false));
    ASSERT_EQ(DbCloseTable(kScheduleTable, 1), 0);
    EXPECT_EQ(xeltest::ReadBytes(TablePath()), std::string(xeltest::kHeader) +
                                                   "20080305,0930,1000,1,Meeting,\r\n"
                                                   "20080305,,,4,\"a,b\",\r\n"
                                                   "20080305,,,0,Trip,\r\n"
                                                   "20080305,,,,,1\r\n" +
                                                   xeltest::kEndMark);
    m_table = DbOpenTable(kScheduleTable);
    EXPECT_EQ(ScheduleReadDay(m_table, kDay).slots[3].text, "a,b");
}

TEST_F(ScheduleTest, WritingASlotReplacesItAndTouchesNothingElse) {
    const std::vector<std::string> others = {
        SlotLine(kDay, "0800", "0900", 1, "Other slot"),
        SlotLine("20080306", "0930", "1000", 0, "Other day"),
        "20080305,,,5,Unknown,",
        "2008035,,,1,Short date,",
        PeriodLine(kDay, "Trip"),
        MarkLine(kDay, "1"),
    };
    struct Case {
        const char* name;
        TimedEntry entry;
        std::vector<Cells> slot0;  // the rows of slot 0 afterwards
    };
    const Case cases[] = {
        {"replaced", {"1100", "1200", "New"}, {{kDay, "1100", "1200", "1", "New", ""}}},
        {"text alone", {"", "", "New"}, {{kDay, "", "", "1", "New", ""}}},
        {"times without text removed", {"1100", "1200", ""}, {}},
        {"emptied", {}, {}},
    };
    AddLines(others);
    const std::vector<Cells> otherRows = SortedRows();
    for (const Case& c : cases) {
        DbCloseTable(kScheduleTable, 0);
        m_table = DbOpenTable(kScheduleTable);
        // The slot twice, as a hand-edited file may have it: both copies go.
        Add(SlotLine(kDay, "0930", "1000", 0, "Old"));
        AddLines(others);
        Add(SlotLine(kDay, "", "", 0, "Old copy"));
        ASSERT_TRUE(ScheduleWriteSlot(m_table, kDay, 0, c.entry)) << c.name;
        std::vector<Cells> slot0, rest;
        for (const Cells& row : SortedRows()) {
            (row[0] == kDay && row[3] == "1" ? slot0 : rest).push_back(row);
        }
        EXPECT_EQ(slot0, c.slot0) << c.name;
        EXPECT_EQ(rest, otherRows) << c.name;
    }
}

TEST_F(ScheduleTest, RefusesAWriteToADayThatIsNotADate) {
    for (const char* date : {"", "2008035", "20080230", "2008030x"}) {
        EXPECT_FALSE(ScheduleWriteSlot(m_table, date, 0, {"", "", "Meeting"})) << date;
        EXPECT_FALSE(ScheduleWriteMarks(m_table, date, true, false)) << date;
        EXPECT_EQ(ScheduleWritePeriod(m_table, date, "20080310", "Trip", 100), 0) << date;
        EXPECT_EQ(ScheduleWritePeriod(m_table, kDay, date, "Trip", 100), 0) << date;
    }
    EXPECT_FALSE(ScheduleWriteSlot(m_table, kDay, 4, {"", "", "Meeting"}));
    EXPECT_FALSE(ScheduleWriteSlot(m_table, kDay, -1, {"", "", "Meeting"}));
    EXPECT_EQ(DbRowCount(m_table), 0);
}

TEST_F(ScheduleTest, MarksAreReplacedAndBothTickedStoresTheHoliday) {
    struct Case {
        bool holiday, paidLeave;
        std::vector<std::string> marks;
    };
    const Case cases[] = {
        {false, false, {}},
        {true, false, {"1"}},
        {false, true, {"2"}},
        {true, true, {"1"}},
    };
    for (const Case& c : cases) {
        DbCloseTable(kScheduleTable, 0);
        m_table = DbOpenTable(kScheduleTable);
        AddLines({MarkLine(kDay, "1"), MarkLine(kDay, "2"), MarkLine(kDay, "1"),
                  MarkLine("20080306", "2")});
        ASSERT_TRUE(ScheduleWriteMarks(m_table, kDay, c.holiday, c.paidLeave));
        std::vector<std::string> marks;
        for (const Cells& row : SortedRows()) {
            if (row[0] == kDay) {
                marks.push_back(row[5]);
            }
        }
        EXPECT_EQ(marks, c.marks) << c.holiday << c.paidLeave;
        EXPECT_TRUE(ScheduleReadDay(m_table, "20080306").paidLeave);
    }
}

TEST_F(ScheduleTest, WritesAPeriodOnlyForARealRange) {
    struct Case {
        const char* first;
        const char* last;
        const char* text;
        int maxDays;
        int written;
    };
    const Case cases[] = {
        {"20080129", "20080202", "Trip", 100, 5},  // across a month end
        {"20080305", "20080305", "Trip", 100, 1},
        {"20080301", "20080630", "Trip", 100, 100},  // capped, counted from the first day
        {"20080301", "20080630", "Trip", 122, 122},
        {"20080310", "20080305", "Trip", 100, 0},  // last before first
        {"20080305", "20080310", "", 100, 0},
        {"20080305", "", "Trip", 100, 0},
        {"    0305", "20080310", "Trip", 100, 0},
        {"99991230", "99991231", "Trip", 100, 2},
    };
    for (const Case& c : cases) {
        DbCloseTable(kScheduleTable, 0);
        m_table = DbOpenTable(kScheduleTable);
        EXPECT_EQ(ScheduleWritePeriod(m_table, c.first, c.last, c.text, c.maxDays), c.written)
            << c.first << "-" << c.last;
        std::vector<std::string> days = PeriodDays(c.text);
        ASSERT_EQ(days.size(), static_cast<size_t>(c.written));
        if (c.written > 0) {
            EXPECT_EQ(days.front(), c.first);
            EXPECT_EQ(days, caltest::DaysFromTo(days.front(), days.back()));
            EXPECT_LE(days.back(), std::string(c.last));
        }
    }
}

TEST_F(ScheduleTest, RemovingARunLeavesOtherPeriodsOnTheSameDays) {
    AddPeriod("20080303", "20080306", "Course");  // older rows come first in the table
    AddPeriod("20080305", "20080308", "Trip");
    Add(PeriodLine("20080307", "Trip"));  // a duplicate row of the run goes too
    EXPECT_EQ(ScheduleRemovePeriodRun(m_table, "20080305", 4, "Trip"), 5);
    EXPECT_TRUE(PeriodDays("Trip").empty());
    EXPECT_EQ(PeriodDays("Course"), caltest::DaysFromTo("20080303", "20080306"));
}

}  // namespace
