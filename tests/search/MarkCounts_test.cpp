// The paid-leave and holiday counts of a real table, per month and per fiscal year, with
// the fiscal year's edges (31 March, 1 April) and a calendar year's end inside it.
#include "MarkCounts.h"

#include <gtest/gtest.h>

#include "../schedule/ScheduleTestSupport.h"

namespace {

using caltest::MarkLine;
using caltest::SlotLine;

class MarkCountsTest : public caltest::ScheduleTest {};

TEST_F(MarkCountsTest, CountsEachMonthOfEachFiscalYearFromAprilToMarch) {
    AddLines({
        MarkLine("20240331", "2"),  // fiscal 2023, March
        MarkLine("20240401", "2"),  // fiscal 2024, April
        MarkLine("20240501", "2"),  // both marks on one day (a hand-edited file)
        MarkLine("20240501", "1"), MarkLine("20240815", "1"), MarkLine("20240816", "2"),
        MarkLine("20241231", "2"), MarkLine("20250101", "1"),
        MarkLine("20250331", "1"),                     // fiscal 2024, March
        MarkLine("20250401", "1"),                     // fiscal 2025
        SlotLine("20240601", "0900", "1000", 0, "x"),  // an entry is no mark
        "20240701,,,1,,1",                             // a mark row with an INDEX is none
    });
    const std::vector<FiscalYearCounts> years = CountMarks(m_model, 2023, 2025);
    ASSERT_EQ(years.size(), 3U);
    // {paid leave, holidays} for April to March.
    using M = MarkCounts;
    const std::array<MarkCounts, 12> fy2023 = {M{}, M{}, M{}, M{}, M{}, M{},
                                               M{}, M{}, M{}, M{}, M{}, M{1, 0}};
    const std::array<MarkCounts, 12> fy2024 = {M{1, 0}, M{1, 1}, M{},     M{}, M{1, 1}, M{}, M{},
                                               M{},     M{1, 0}, M{0, 1}, M{}, M{0, 1}};
    const std::array<MarkCounts, 12> fy2025 = {M{0, 1}, M{}, M{}, M{}, M{}, M{},
                                               M{},     M{}, M{}, M{}, M{}, M{}};
    EXPECT_EQ(years[0].fiscalYear, 2023);
    EXPECT_EQ(years[0].months, fy2023);
    EXPECT_EQ(years[0].total, (M{1, 0}));
    EXPECT_EQ(years[1].fiscalYear, 2024);
    EXPECT_EQ(years[1].months, fy2024);
    EXPECT_EQ(years[1].total, (M{4, 4}));
    EXPECT_EQ(years[2].months, fy2025);
    EXPECT_EQ(years[2].total, (M{0, 1}));

    // One fiscal year alone counts the same as inside a longer walk.
    const std::vector<FiscalYearCounts> alone = CountMarks(m_model, 2024, 2024);
    ASSERT_EQ(alone.size(), 1U);
    EXPECT_EQ(alone[0].months, fy2024);
    EXPECT_TRUE(CountMarks(m_model, 2025, 2024).empty());

    const struct {
        const char* date;
        int fiscalYear;
    } edges[] = {{"20240331", 2023}, {"20240401", 2024}, {"20250101", 2024}, {"10000101", 999}};
    for (const auto& e : edges) {
        EXPECT_EQ(FiscalYearOf(e.date), e.fiscalYear) << e.date;
    }
    EXPECT_EQ(FiscalMonth(0), 4);
    EXPECT_EQ(FiscalMonth(8), 12);
    EXPECT_EQ(FiscalMonth(11), 3);
}

}  // namespace
