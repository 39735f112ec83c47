#include "DayEdit.h"

#include <gtest/gtest.h>

#include "../schedule/ScheduleTestSupport.h"
#include "DateTime.h"

namespace {

using caltest::Cells;
using caltest::DaysFromTo;
using caltest::MarkLine;
using caltest::PeriodLine;
using caltest::SlotLine;

// The dialog's text of a date, e.g. "2008年03月15日(土)" in CP932.
std::string Shown(const std::string& date) {
    return DateFormat(kDatePatternJa, date).value();
}

class DayEditTest : public caltest::ScheduleTest {
  protected:
    // The dialog's fields for a day, as the month view fills them.
    DayDialogFields Open(int year, int month, int day) const {
        return ToDialogFields(m_model.ReadDay(ScheduleDate(year, month, day)));
    }
    // Opens day d of the month, lets `edit` change the fields as the user would, and
    // writes them back as after OK.
    template <typename Change>
    DayWriteOutcome Edit(int year, int month, int day, Change edit) {
        const DayContent before = m_model.ReadDay(ScheduleDate(year, month, day));
        DayDialogFields result = ToDialogFields(before);
        edit(result);
        return m_model.WriteDay(before, FromDialogFields(result, before));
    }
    template <typename Change>
    DayWriteOutcome EditMarch(int day, Change edit) {
        return Edit(2008, 3, day, edit);
    }
};

TEST_F(DayEditTest, FillsTheDialogFromTheStoredDay) {
    AddLines({SlotLine("20080317", "0930", "1000", 0, "Meeting"),
              SlotLine("20080317", "930", "", 2, "Short"), MarkLine("20080317", "2"),
              MarkLine("20080317", "1"), SlotLine("20080318", "0800", "", 1, "Other day")});
    AddPeriod("20080315", "20080320", "Trip");
    const DayContent day = m_model.ReadDay("20080317");
    const DayDialogFields f = ToDialogFields(day);
    EXPECT_EQ(f.m_nYear, 2008);
    EXPECT_EQ(f.m_nMonth, 3);
    EXPECT_EQ(f.m_nDay, 17);
    EXPECT_EQ(f.m_strYotei, (std::array<std::string, 4>{"Meeting", "", "Short", ""}));
    EXPECT_EQ(f.m_strFromTime, (std::array<std::string, 4>{"09:30", "", "", ""}));
    EXPECT_EQ(f.m_strToTime, (std::array<std::string, 4>{"10:00", "", "", ""}));
    EXPECT_EQ(f.m_strPeriodYotei, "Trip");
    EXPECT_EQ(f.m_strPeriodFrom,
              "2008\x94\x4e"
              "03\x8c\x8e"
              "15\x93\xfa(\x93\x79)");  // (土)
    EXPECT_EQ(f.m_strPeriodTo, Shown("20080320"));
    EXPECT_EQ(f.m_nHoliday, 1);
    EXPECT_EQ(f.m_nPaidLeave, 1);
    EXPECT_EQ(day.period.n, 6);

    DayDialogFields empty = Open(2008, 3, 10);
    EXPECT_TRUE(empty.m_strPeriodYotei.empty());
    EXPECT_TRUE(empty.m_strPeriodFrom.empty());
    EXPECT_EQ(empty.m_nHoliday, 0);
}

TEST_F(DayEditTest, OkUnchangedRewritesTheDayWithTheSameContent) {
    AddPeriod("20080315", "20080320", "Trip");
    AddLines({SlotLine("20080317", "0930", "1000", 0, "Meeting"),
              SlotLine("20080317", "", "", 3, "\"a,b\""), MarkLine("20080317", "2"),
              SlotLine("20080316", "0800", "", 0, "Other day"), "20080317,,,5,Unknown,"});
    const std::vector<Cells> before = SortedRows();
    DayWriteOutcome outcome = EditMarch(17, [](DayDialogFields&) {});
    EXPECT_EQ(outcome.period, PeriodWritten::kAsEntered);
    EXPECT_EQ(outcome.periodRowsRemoved, 6);
    EXPECT_EQ(outcome.periodRowsWritten, 6);
    EXPECT_EQ(SortedRows(), before);
}

TEST_F(DayEditTest, ClearingThePeriodRemovesEveryDayOfTheRunInEveryMonth) {
    AddPeriod("20080129", "20080202", "Trip");
    AddPeriod("20080203", "20080204", "Other");
    DayWriteOutcome outcome =
        Edit(2008, 2, 1, [](DayDialogFields& f) { f.m_strPeriodYotei.clear(); });
    EXPECT_EQ(outcome.periodRowsRemoved, 5);
    EXPECT_EQ(outcome.periodRowsWritten, 0);
    EXPECT_EQ(outcome.period, PeriodWritten::kNone);
    EXPECT_TRUE(PeriodDays("Trip").empty());
    EXPECT_EQ(PeriodDays("Other").size(), 2u);
}

TEST_F(DayEditTest, ChangedPeriodDatesAndTexts) {
    struct Case {
        const char* name;
        const char* text;
        std::string from, to;  // dialog texts
        std::vector<std::string> days;
        PeriodWritten written;
    };
    const std::string day17 = "20080317";
    const Case cases[] = {
        {"shortened", "Trip", Shown("20080315"), Shown("20080318"),
         DaysFromTo("20080315", "20080318"), PeriodWritten::kAsEntered},
        {"moved and renamed", "Course", Shown("20080325"), Shown("20080402"),
         DaysFromTo("20080325", "20080402"), PeriodWritten::kAsEntered},
        {"end before start",
         "Trip",
         Shown("20080320"),
         Shown("20080315"),
         {day17},
         PeriodWritten::kThisDayAlone},
        {"empty end", "Trip", Shown("20080315"), "", {day17}, PeriodWritten::kThisDayAlone},
        {"empty start", "Trip", "", Shown("20080320"), {day17}, PeriodWritten::kThisDayAlone},
        {"not the dialog's form",
         "Trip",
         "2008/03/15",
         "2008/03/20",
         {day17},
         PeriodWritten::kThisDayAlone},
        {"no such day",
         "Trip",
         Shown("20080315"),
         "2008\x94\x4e"
         "02\x8c\x8e"
         "30\x93\xfa(\x93\x79)",
         {day17},
         PeriodWritten::kThisDayAlone},
        {"too long", "Trip", Shown("20080301"), Shown("20081231"),
         DaysFromTo("20080301", "20080608"), PeriodWritten::kAsEntered},  // 100 days
    };
    for (const Case& c : cases) {
        DbCloseTable(kScheduleTable, 0);
        m_table = DbOpenTable(kScheduleTable);
        AddPeriod("20080315", "20080320", "Trip");
        DayWriteOutcome outcome = EditMarch(17, [&](DayDialogFields& f) {
            f.m_strPeriodYotei = c.text;
            f.m_strPeriodFrom = c.from;
            f.m_strPeriodTo = c.to;
        });
        EXPECT_EQ(outcome.period, c.written) << c.name;
        EXPECT_EQ(outcome.periodRowsWritten, static_cast<int>(c.days.size())) << c.name;
        EXPECT_EQ(PeriodDays(c.text), c.days) << c.name;
        EXPECT_EQ(DbRowCount(m_table), static_cast<int>(c.days.size())) << c.name;
        for (const Cells& row : xeltest::Rows(m_table)) {
            EXPECT_TRUE(ScheduleIsDate(row[0])) << c.name << ": " << row[0];
        }
    }
}

TEST_F(DayEditTest, ANewPeriodOverAnotherLeavesTheOtherOne) {
    AddPeriod("20080310", "20080312", "Course");
    EditMarch(20, [](DayDialogFields& f) {
        f.m_strPeriodYotei = "Trip";
        f.m_strPeriodFrom = Shown("20080311");
        f.m_strPeriodTo = Shown("20080321");
    });
    EXPECT_EQ(PeriodDays("Course"), DaysFromTo("20080310", "20080312"));
    EXPECT_EQ(PeriodDays("Trip"), DaysFromTo("20080311", "20080321"));
}

TEST_F(DayEditTest, OkOnTheOtherPeriodOfADayRemovesOnlyThatPeriodsRows) {
    // The 5th and 6th hold two periods; Course comes first in the table there.
    AddPeriod("20080303", "20080306", "Course");
    AddPeriod("20080305", "20080308", "Trip");
    DayWriteOutcome outcome = EditMarch(5, [](DayDialogFields& f) {
        EXPECT_EQ(f.m_strPeriodYotei, "Course");
        f.m_strPeriodYotei.clear();
    });
    EXPECT_EQ(outcome.periodRowsRemoved, 4);
    EXPECT_TRUE(PeriodDays("Course").empty());
    EXPECT_EQ(PeriodDays("Trip"), DaysFromTo("20080305", "20080308"));
}

TEST_F(DayEditTest, OkUnchangedKeepsARunLongerThanAHundredDaysWhole) {
    // Runs grow past the limit by joining: 60 days entered, then 60 more next to them.
    AddPeriod("20080101", "20080229", "Term");
    AddPeriod("20080301", "20080429", "Term");
    EXPECT_EQ(EditMarch(10, [](DayDialogFields&) {}).periodRowsWritten, 120);
    EXPECT_EQ(PeriodDays("Term"), DaysFromTo("20080101", "20080429"));
}

// The dialog is told the most days the period may take, so that it can refuse a longer
// one instead of the store cutting it: 100, or the old run's length when that is longer.
TEST_F(DayEditTest, TheDialogIsToldTheLongestPeriodItMayHandBack) {
    AddPeriod("20080101", "20080229", "Term");
    AddPeriod("20080301", "20080429", "Term");  // joined: 120 days
    AddPeriod("20080510", "20080512", "Trip");
    EXPECT_EQ(Open(2008, 3, 10).m_nPeriodMaxDays, 120);
    EXPECT_EQ(Open(2008, 5, 11).m_nPeriodMaxDays, 100);
    EXPECT_EQ(Open(2008, 5, 20).m_nPeriodMaxDays, 100);
}

TEST_F(DayEditTest, SlotsAndMarksAreWrittenBack) {
    AddLines({SlotLine("20080317", "0930", "1000", 0, "Meeting"),
              SlotLine("20080317", "1100", "", 1, "Call"), MarkLine("20080317", "2")});
    EditMarch(17, [](DayDialogFields& f) {
        f.m_strYotei[0].clear();  // times left, text gone: the slot goes
        f.m_strYotei[2] = "Lunch";
        f.m_strFromTime[2] = "12:00";
        f.m_strToTime[2] = "13:30";
        f.m_nHoliday = 1;
        f.m_nPaidLeave = 1;
    });
    EXPECT_EQ(SortedRows(), (std::vector<Cells>{
                                {"20080317", "", "", "", "", "1"},
                                {"20080317", "1100", "", "2", "Call", ""},
                                {"20080317", "1200", "1330", "3", "Lunch", ""},
                            }));
    EditMarch(17, [](DayDialogFields& f) {
        EXPECT_EQ(f.m_nPaidLeave, 0);
        f.m_nHoliday = 0;
    });
    for (const Cells& row : SortedRows()) {
        EXPECT_TRUE(row[5].empty()) << "no mark left";
    }
}

}  // namespace
