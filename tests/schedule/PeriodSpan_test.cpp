#include "PeriodSpan.h"

#include <gtest/gtest.h>

#include "ScheduleTestSupport.h"

namespace {

using caltest::PeriodLine;

class PeriodSpanTest : public caltest::ScheduleTest {};

struct SpanCase {
    const char* first;  // the run as stored
    const char* last;
    const char* day;  // the day asked about
    int n;
    const char* middle;
    int type;
};

TEST_F(PeriodSpanTest, FindsTheRunItsMiddleDayAndTheMarkOfEachDay) {
    const SpanCase cases[] = {
        // Middle days within one month.
        {"20080310", "20080312", "20080310", 3, "20080311", 1},
        {"20080310", "20080312", "20080311", 3, "20080311", 0},
        {"20080310", "20080312", "20080312", 3, "20080311", 2},
        {"20080310", "20080313", "20080313", 4, "20080311", 2},
        {"20080310", "20080311", "20080311", 2, "20080310", 2},
        {"20080310", "20080310", "20080310", 1, "20080310", 3},
        // Across a month end the text shows once in each month.
        {"20080129", "20080202", "20080129", 5, "20080130", 1},
        {"20080129", "20080202", "20080131", 5, "20080130", 0},
        {"20080129", "20080202", "20080201", 5, "20080201", 0},
        {"20080129", "20080202", "20080202", 5, "20080201", 2},
        {"20080130", "20080202", "20080131", 4, "20080131", 0},
        {"20080130", "20080202", "20080202", 4, "20080201", 2},
        // Over the left column's end: the text on the 16th.
        {"20080315", "20080318", "20080317", 4, "20080316", 0},
        // Across a year end.
        {"20071230", "20080102", "20071231", 4, "20071231", 0},
        {"20071230", "20080102", "20080101", 4, "20080101", 0},
        // Longer than a year: the text stays in the asked month, not the one of the same
        // number a year before.
        {"20071215", "20090115", "20090110", 398, "20090108", 0},
        {"20071215", "20090115", "20080110", 398, "20080116", 0},
    };
    for (const SpanCase& c : cases) {
        DbCloseTable(kScheduleTable, 0);
        m_table = DbOpenTable(kScheduleTable);
        AddPeriod(c.first, c.last, "Trip");
        PeriodSpan span = FindPeriodSpan(m_table, c.day);
        EXPECT_EQ(span.n, c.n) << c.first << "-" << c.last << " at " << c.day;
        EXPECT_EQ(span.first, c.first) << c.day;
        EXPECT_EQ(span.last, c.last) << c.day;
        EXPECT_EQ(span.middle, c.middle) << c.first << "-" << c.last << " at " << c.day;
        EXPECT_EQ(span.text, "Trip");
        EXPECT_EQ(PeriodMarkType(span, c.day), c.type) << c.day;
    }
}

TEST_F(PeriodSpanTest, ADayWithoutAPeriodRowHasNoRun) {
    Add(PeriodLine("20080311", "Trip"));
    Add("20080310,,,1,Slot,");
    EXPECT_EQ(FindPeriodSpan(m_table, "20080310").n, 0);
    EXPECT_EQ(FindPeriodSpan(m_table, "20080312").n, 0);
}

TEST_F(PeriodSpanTest, DifferentTextsOnAdjacentDaysAreTwoRuns) {
    AddPeriod("20080310", "20080312", "Trip");
    AddPeriod("20080313", "20080314", "Course");
    PeriodSpan trip = FindPeriodSpan(m_table, "20080312");
    EXPECT_EQ(trip.first, "20080310");
    EXPECT_EQ(trip.last, "20080312");
    EXPECT_EQ(PeriodMarkType(trip, "20080312"), 2);
    PeriodSpan course = FindPeriodSpan(m_table, "20080313");
    EXPECT_EQ(course.n, 2);
    EXPECT_EQ(course.first, "20080313");
    EXPECT_EQ(PeriodMarkType(course, "20080313"), 1);
}

TEST_F(PeriodSpanTest, EqualTextsEnteredSeparatelyJoinAndTheFirstRowOfADayCounts) {
    AddPeriod("20080303", "20080305", "Trip");
    AddPeriod("20080306", "20080306", "Trip");
    Add(PeriodLine("20080307", "Other"));
    Add(PeriodLine("20080307", "Trip"));  // second row of the 7th: joins the run
    PeriodSpan span = FindPeriodSpan(m_table, "20080303");
    EXPECT_EQ(span.n, 5);
    EXPECT_EQ(span.last, "20080307");
    // Asked from the 7th, the day's first row ("Other") decides: a run of its own.
    PeriodSpan other = FindPeriodSpan(m_table, "20080307");
    EXPECT_EQ(other.n, 1);
    EXPECT_EQ(other.text, "Other");
}

TEST_F(PeriodSpanTest, AnUnrepresentableDateEndsTheWalk) {
    // The last days the date routines know, then rows whose dates they cannot shift to.
    AddPeriod("99991229", "99991231", "End");
    Add(PeriodLine("10000101", "Start"));
    Add(PeriodLine("10000102", "Start"));
    Add(PeriodLine("09991231", "Start"));
    Add(PeriodLine("", "Start"));  // an empty DATE never joins a run
    Add(PeriodLine("", "End"));
    PeriodSpan end = FindPeriodSpan(m_table, "99991230");
    EXPECT_EQ(end.n, 3);
    EXPECT_EQ(end.last, "99991231");
    PeriodSpan start = FindPeriodSpan(m_table, "10000102");
    EXPECT_EQ(start.n, 2);
    EXPECT_EQ(start.first, "10000101");
    EXPECT_EQ(FindPeriodSpan(m_table, "").n, 0);
    EXPECT_EQ(FindPeriodSpan(m_table, "09991231").n, 0);
}

}  // namespace
