#include "DaySchedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Cp932.h"

namespace {

using dlg::Slots;

std::string Sjis(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

TEST(ListRowTextTest, SeparatorOnlyWithATime) {
    struct Case {
        TimedEntry entry;
        const char* row;  // UTF-8
    };
    const Case cases[] = {
        {{"09:00", "10:30", "T"}, "09:00～10:30 T"},
        {{"09:00", "", "T"}, "09:00～ T"},
        {{"", "10:30", "T"}, "～10:30 T"},
        {{"", "", "T"}, " T"},
        {{"9", "x", "T"}, "9～x T"},  // times are listed as typed
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dlg::ListRowText(c.entry), Sjis(c.row)) << c.row;
    }
}

TEST(ListRowTextTest, KeepsTheEntryBytes) {
    const std::string text = "\x95\x5c\x8e\xa6";  // "表示": 0x5C as a second byte
    EXPECT_EQ(dlg::ListRowText({"", "", text}), " " + text);
}

// Entries with the given start times; the entry text names its input position.
Slots Entries(const std::vector<std::string>& starts) {
    Slots slots;
    for (size_t i = 0; i < starts.size(); ++i) {
        slots[i] = TimedEntry{starts[i], "", "E" + std::to_string(i)};
    }
    return slots;
}

std::vector<int> InOrder(size_t n) {
    std::vector<int> order(n);
    for (size_t i = 0; i < n; ++i) {
        order[i] = static_cast<int>(i);
    }
    return order;
}

// The entry text of each slot after the arrangement, "" for a free slot.
std::vector<std::string> SlotTexts(const Slots& slots) {
    std::vector<std::string> texts;
    for (const TimedEntry& e : slots) {
        texts.push_back(e.text);
    }
    return texts;
}

TEST(ArrangeSlotsTest, Examples) {
    struct Case {
        std::vector<std::string> starts;  // in list order
        std::vector<std::string> slots;
    };
    const Case cases[] = {
        {{"15:00", "16:00", "17:00"}, {"", "E0", "E1", "E2"}},
        {{"09:00", "09:30"}, {"E0", "E1", "", ""}},
        {{"13:00", "13:30", "14:00"}, {"", "E0", "E1", "E2"}},
        {{"10:30"}, {"", "E0", "", ""}},
        {{"10:29"}, {"E0", "", "", ""}},
        {{""}, {"E0", "", "", ""}},
        {{"15:00", "16:00"}, {"", "", "E0", "E1"}},
        {{"23:00", "00:00", "00:00", "23:00"}, {"E0", "E1", "E2", "E3"}},  // list order
        {{"12:00", "12:30", "15:00"}, {"", "E0", "E1", "E2"}},
        {{"09:00", "09:10", "09:20"}, {"E0", "E1", "E2", ""}},
    };
    for (const Case& c : cases) {
        const Slots arranged = dlg::ArrangeSlots(Entries(c.starts), InOrder(c.starts.size()));
        EXPECT_EQ(SlotTexts(arranged), c.slots) << "first start " << c.starts[0];
    }
}

TEST(ArrangeSlotsTest, MovesAllThreeStringsAndFollowsTheRowOrderNotTheSlotOrder) {
    Slots slots;
    slots[2] = {"15:00", "16:00", "late"};
    slots[3] = {"09:00", "", "early"};
    const Slots arranged = dlg::ArrangeSlots(slots, {3, 2});
    EXPECT_EQ(arranged[0], (TimedEntry{"09:00", "", "early"}));
    EXPECT_EQ(arranged[3], (TimedEntry{"15:00", "16:00", "late"}));
    EXPECT_TRUE(arranged[1].IsFree());
    EXPECT_TRUE(arranged[2].IsFree());
}

// Every sequence of bands for one to four entries: each entry ends in exactly one slot,
// and entries that come in ascending band order keep that order in the slots.
TEST(ArrangeSlotsTest, EveryBandOrderKeepsEveryEntryOnce) {
    const std::string bandStart[4] = {"09:00", "10:30", "12:00", "15:00"};
    int sequences = 0;
    for (size_t n = 1; n <= 4; ++n) {
        size_t total = 1;
        for (size_t i = 0; i < n; ++i) {
            total *= 4;
        }
        for (size_t code = 0; code < total; ++code) {
            std::vector<int> bands;
            std::vector<std::string> starts;
            for (size_t i = 0, c = code; i < n; ++i, c /= 4) {
                bands.push_back(static_cast<int>(c % 4));
                starts.push_back(bandStart[c % 4]);
            }
            std::string label;
            for (int b : bands) {
                label += std::to_string(b);
            }
            SCOPED_TRACE("bands " + label);
            const Slots arranged = dlg::ArrangeSlots(Entries(starts), InOrder(n));
            std::vector<std::string> placed;
            for (size_t k = 0; k < 4; ++k) {
                if (!arranged[k].IsFree()) {
                    placed.push_back(arranged[k].text);
                    const size_t i = std::stoul(arranged[k].text.substr(1));
                    EXPECT_EQ(arranged[k].from, starts[i]);
                    // The selection follows each entry to the slot it went to.
                    EXPECT_EQ(dlg::ArrangedSlotOf(Entries(starts), InOrder(n), int(i)), int(k));
                }
            }
            std::vector<std::string> sorted = placed;
            std::sort(sorted.begin(), sorted.end());
            std::vector<std::string> expected;
            for (size_t i = 0; i < n; ++i) {
                expected.push_back("E" + std::to_string(i));
            }
            EXPECT_EQ(sorted, expected);
            if (std::is_sorted(bands.begin(), bands.end())) {
                EXPECT_EQ(placed, expected);
            }
            ++sequences;
        }
    }
    EXPECT_EQ(sequences, 4 + 16 + 64 + 256);
}

// Equal entries are told apart by their slot, not by their texts.
TEST(ArrangeSlotsTest, ArrangedSlotOfFollowsTheSlotNotTheText) {
    Slots slots;
    slots[0] = {"16:00", "", "same"};
    slots[1] = {"16:00", "", "same"};
    slots[3] = {"09:00", "", "early"};
    const std::vector<int> rows = dlg::SortedRowSlots(slots);
    EXPECT_EQ(SlotTexts(dlg::ArrangeSlots(slots, rows)),
              (std::vector<std::string>{"early", "", "same", "same"}));
    EXPECT_EQ(dlg::ArrangedSlotOf(slots, rows, 3), 0);
    EXPECT_EQ(dlg::ArrangedSlotOf(slots, rows, 0), 2);
    EXPECT_EQ(dlg::ArrangedSlotOf(slots, rows, 1), 3);
    EXPECT_EQ(dlg::ArrangedSlotOf(slots, rows, 2), -1);    // free
    EXPECT_EQ(dlg::ArrangedSlotOf(slots, {0, 3}, 1), -1);  // not among the rows
    EXPECT_EQ(dlg::ArrangedSlotOf(slots, rows, 4), -1);
}

// The two mark boxes exclude each other, as the file keeps one mark per day.
TEST(MarkBoxesTest, OneMarkAtATime) {
    using dlg::MarkBox;
    using M = dlg::MarkBoxes;
    struct Case {
        M before;
        MarkBox box;
        bool ticked;
        M after;
    };
    const Case cases[] = {
        {{false, false}, MarkBox::kHoliday, true, {true, false}},
        {{false, true}, MarkBox::kHoliday, true, {true, false}},
        {{true, false}, MarkBox::kPaidLeave, true, {false, true}},
        {{true, false}, MarkBox::kHoliday, false, {false, false}},
        {{false, true}, MarkBox::kPaidLeave, false, {false, false}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dlg::TickMark(c.before, c.box, c.ticked), c.after);
    }
    // Stored with both (a hand-edited file): shown as OK stores it, the holiday alone.
    EXPECT_EQ(dlg::ShownMarks({true, true}), (M{true, false}));
    EXPECT_EQ(dlg::ShownMarks({false, true}), (M{false, true}));
}

TEST(SlotSearchTest, FirstFreeSlot) {
    Slots slots;
    EXPECT_EQ(dlg::FirstFreeSlot(slots), 0);
    slots[0].text = "a";
    slots[2].text = "c";
    EXPECT_EQ(dlg::FirstFreeSlot(slots), 1);
    EXPECT_EQ(dlg::UsedSlots(slots), (std::vector<int>{0, 2}));
    slots[1].text = "b";
    slots[3].text = "d";
    EXPECT_EQ(dlg::FirstFreeSlot(slots), -1);
    slots[2].from = "10:00";  // times alone do not take a slot
    slots[2].text.clear();
    EXPECT_EQ(dlg::FirstFreeSlot(slots), 2);
}

TEST(SlotSearchTest, SelectionAfterRemovePrefersTheNearestLowerSlot) {
    struct Case {
        std::string used;  // "x" for a used slot, "." for a free one
        int removed;
        int selected;
    };
    const Case cases[] = {
        {"x.x.", 3, 2}, {"x..x", 2, 0},  {".x.x", 0, 1},
        {"..x.", 0, 2}, {"....", 1, -1}, {"x...", 0, -1},  // slot k itself is not considered
        {"xxxx", 2, 1}, {"...x", 3, -1},
    };
    for (const Case& c : cases) {
        Slots slots;
        for (size_t k = 0; k < 4; ++k) {
            slots[k].text = c.used[k] == 'x' ? "e" : "";
        }
        EXPECT_EQ(dlg::SlotToSelectAfterRemove(slots, c.removed), c.selected)
            << c.used << " removed " << c.removed;
    }
}

TEST(DayTextsTest, DateTitleAndColour) {
    EXPECT_EQ(ScheduleDate(2008, 3, 5), "20080305");
    EXPECT_EQ(dlg::TitleText(3, 5, "20080305"), Sjis("3月5日(水)"));
    EXPECT_EQ(dlg::TitleText(12, 31, "20071231"), Sjis("12月31日(月)"));

    const fw::Rgb red{255, 0, 0}, blue{0, 0, 255}, black{0, 0, 0};
    for (int weekday = 0; weekday < 7; ++weekday) {
        const fw::Rgb plain = weekday == 0 ? red : weekday == 6 ? blue : black;
        EXPECT_EQ(dlg::TitleColor(weekday, false), plain) << weekday;
        EXPECT_EQ(dlg::TitleColor(weekday, true), red) << weekday;
    }
}

TEST(PeriodDateItemsTest, TwentyOneDaysEndingOrStartingWithTheDay) {
    const auto start = dlg::PeriodDateItems("20080305", dlg::kPeriodStartFirstOffset);
    ASSERT_EQ(start.size(), 21u);
    EXPECT_EQ(start.front(), Sjis("2008年02月14日(木)"));
    EXPECT_EQ(start[15], Sjis("2008年02月29日(金)"));
    EXPECT_EQ(start.back(), Sjis("2008年03月05日(水)"));

    const auto end = dlg::PeriodDateItems("20080305", dlg::kPeriodEndFirstOffset);
    ASSERT_EQ(end.size(), 21u);
    EXPECT_EQ(end.front(), Sjis("2008年03月05日(水)"));
    EXPECT_EQ(end.back(), Sjis("2008年03月25日(火)"));
    for (const std::string& item : end) {
        EXPECT_EQ(item.size(), 18u);  // the 18 bytes each item takes in the boxes
    }
}

TEST(PeriodDateItemsTest, UnrepresentableDaysKeepTheirPlace) {
    const auto start = dlg::PeriodDateItems("10000110", dlg::kPeriodStartFirstOffset);
    ASSERT_EQ(start.size(), 21u);
    EXPECT_EQ(start[10], "");  // 31 December 999
    EXPECT_EQ(start[11], Sjis("1000年01月01日(水)"));
    EXPECT_EQ(start[20], Sjis("1000年01月10日(金)"));
}

TEST(CheckPeriodDatesTest, RealDatesInOrderAndWithinTheLimitOnly) {
    using dlg::PeriodDates;
    struct Case {
        const char* from;  // UTF-8, as typed
        const char* to;
        int maxDays;
        PeriodDates expected;
    };
    const Case cases[] = {
        {"2008年03月05日(水)", "2008年03月05日(水)", 100, PeriodDates::kOk},
        {"2008年02月28日(木)", "2008年03月02日(日)", 100, PeriodDates::kOk},
        {"2008年03月05日(月)", "2008年03月06日", 100, PeriodDates::kOk},  // weekday not read
        {"2008年03月06日(木)", "2008年03月05日(水)", 100, PeriodDates::kEndBeforeStart},
        {"2008年02月30日(土)", "2008年03月05日(水)", 100, PeriodDates::kStartNotADate},
        {"2008年3月5日(水)", "2008年03月05日(水)", 100, PeriodDates::kStartNotADate},
        {"", "2008年03月05日(水)", 100, PeriodDates::kStartNotADate},
        {"2008/03/05", "2008年03月05日(水)", 100, PeriodDates::kStartNotADate},
        {"2008年03月05日(水)", "", 100, PeriodDates::kEndNotADate},
        {"2008年03月05日(水)", "2008年13月01日(月)", 100, PeriodDates::kEndNotADate},
        {"2008年03月05日(水)", "0999年12月31日(火)", 100, PeriodDates::kEndNotADate},
        // 100 days, 101 days, across the leap day and the year end
        {"2008年01月01日(火)", "2008年04月09日(水)", 100, PeriodDates::kOk},
        {"2008年01月01日(火)", "2008年04月10日(木)", 100, PeriodDates::kTooLong},
        {"2007年12月31日(月)", "2008年04月09日(水)", 100, PeriodDates::kTooLong},
        {"2008年01月01日(火)", "2008年04月10日(木)", 101, PeriodDates::kOk},
        {"2008年01月01日(火)", "2009年03月31日(火)", 0, PeriodDates::kOk},
        {"2008年03月05日(水)", "2008年03月05日(水)", 1, PeriodDates::kOk},
        {"2008年03月05日(水)", "2008年03月06日(木)", 1, PeriodDates::kTooLong},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dlg::CheckPeriodDates(Sjis(c.from), Sjis(c.to), c.maxDays), c.expected)
            << c.from << " - " << c.to << " within " << c.maxDays;
    }
}

}  // namespace

namespace {

TEST(DayListOrderTest, RowsWithoutStartComeFirstAndTimesSortByTime) {
    Slots slots;
    slots[0] = {"15:00", "", "tea"};
    slots[1] = {"", "10:30", "until"};
    slots[2] = {"09:05", "09:30", "call"};
    slots[3] = {"", "", "memo"};
    // " memo" and "～10:30 until" before every row that starts with a digit.
    const std::vector<int> order = dlg::SortedRowSlots(slots);
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ((std::vector<int>{order[2], order[3]}), (std::vector<int>{2, 0}));
    EXPECT_EQ((std::vector<int>{std::min(order[0], order[1]), std::max(order[0], order[1])}),
              (std::vector<int>{1, 3}));
}

TEST(DayListOrderTest, AddingThenArrangingPlacesEntriesByStartTime) {
    // The entries as the add button leaves them, each in the lowest free slot.
    Slots slots;
    slots[0] = {"16:00", "17:00", "late"};
    slots[1] = {"13:30", "", "lunch"};
    slots[2] = {"09:00", "", "early"};
    const Slots arranged = dlg::ArrangeSlots(slots, dlg::SortedRowSlots(slots));
    EXPECT_EQ(SlotTexts(arranged), (std::vector<std::string>{"early", "", "lunch", "late"}));

    // Arranging again changes nothing, so slots stay put across later edits.
    EXPECT_EQ(dlg::ArrangeSlots(arranged, dlg::SortedRowSlots(arranged)), arranged);
}

TEST(DayListOrderTest, FourEntriesTakeSlotsInTimeOrder) {
    Slots slots;
    slots[0] = {"23:00", "", "d"};
    slots[1] = {"10:00", "", "b"};
    slots[2] = {"09:00", "", "a"};
    slots[3] = {"11:00", "", "c"};
    const Slots arranged = dlg::ArrangeSlots(slots, dlg::SortedRowSlots(slots));
    EXPECT_EQ(SlotTexts(arranged), (std::vector<std::string>{"a", "b", "c", "d"}));
}

}  // namespace
