#include "ListOrder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// CP932 bytes of the characters used below.
const std::string kWave = "\x81\x60";        // ～
const std::string kA = "\x83\x41";           // ア (trail byte 'A')
const std::string kDi = "\x83\x61";          // ヂ (trail byte 'a')
const std::string kKanjiYo = "\x97\x5c";     // 予 (trail byte '\')
const std::string kFullOne = "\x82\x50";     // １
const std::string kFullA = "\x82\x60";       // Ａ
const std::string kFullSmallA = "\x82\x81";  // ａ

std::vector<std::string> Sorted(std::vector<std::string> input) {
    std::vector<std::string> rows;
    for (const std::string& text : input) {
        rows.insert(rows.begin() + static_cast<long>(fw::SortedInsertPosition(rows, text)), text);
    }
    return rows;
}

TEST(ListOrderTest, RowsOfTheDayScheduleListSortBlankThenWaveThenByTime) {
    // The rows the day schedule dialog builds: no times, end time only, start times.
    const std::string noTime = " Lunch";
    const std::string endOnly = kWave + "10:30 Call";
    const std::string morning = "09:00" + kWave + "10:30 Meeting";
    const std::string startOnly = "09:00" + kWave + " Walk";
    const std::string noon = "12:00" + kWave + " Lunch";
    const std::string late = "15:00" + kWave + "17:00 Review";
    const std::string night = "24:00" + kWave + " Sleep";
    EXPECT_EQ(Sorted({late, night, morning, noon, endOnly, noTime, startOnly}),
              (std::vector<std::string>{noTime, endOnly, startOnly, morning, noon, late, night}));
}

TEST(ListOrderTest, PairwiseOrder) {
    struct Case {
        std::string a, b;
        int sign;  // of CompareListText(a, b)
    };
    const Case cases[] = {
        {"abc", "ABD", -1},  // case ignored ...
        {"ABC", "abd", -1},
        {"abc", "ABC", 1},  // ... but equal texts still order by bytes
        {"abc", "abc", 0},
        {" z", kWave + "0", -1},  // blank before symbol
        {kWave + "z", "0", -1},   // symbol "～" before digit, although 0x81 > '0'
        {":", "0", -1},
        {"9", "a", -1},      // digits before letters
        {"Z", kA, -1},       // letters before kana
        {kA, kKanjiYo, -1},  // kana before kanji
        {"09:59", "10:00", -1},
        {"1", kFullOne, -1},                    // ASCII digit before full-width digit
        {kFullA + "b", kFullSmallA + "c", -1},  // full-width letters fold too
        {"ab", "abc", -1},                      // a prefix comes first
        {kA, kDi, -1},                          // trail bytes 'A' and 'a' are not folded
        {std::string("\x83"), "0", -1},         // a lone lead byte is a symbol
    };
    for (const Case& c : cases) {
        const int r = fw::CompareListText(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " | " << c.b;
        const int back = fw::CompareListText(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " | " << c.a;
    }
}

TEST(ListOrderTest, EqualRowsKeepTheirInsertionOrder) {
    std::vector<std::string> rows = {"a", "b", "b", "c"};
    EXPECT_EQ(fw::SortedInsertPosition(rows, "b"), 3u);
    EXPECT_EQ(fw::SortedInsertPosition(rows, "B"), 1u);  // B sorts before b
    EXPECT_EQ(fw::SortedInsertPosition(rows, ""), 0u);
    EXPECT_EQ(fw::SortedInsertPosition(rows, "z"), 4u);
}

TEST(ComboPrefixTest, FirstItemThatBeginsWithTheText) {
    // Period dates as the day schedule dialog lists them (CP932 of 年, 月, 日, (月)).
    const std::string nen = "\x94\x4e", tsuki = "\x8c\x8e", hi = "\x93\xfa";
    auto date = [&](const char* y, const char* m, const char* d) {
        return std::string(y) + nen + m + tsuki + d + hi + "(" + tsuki + ")";
    };
    const std::vector<std::string> items = {date("2007", "03", "05"), date("2007", "03", "12"),
                                            date("2007", "03", "12"), "Alpha", kDi + "x"};
    struct Case {
        std::string text;
        int index;
    };
    const Case cases[] = {
        {date("2007", "03", "12"), 1},          // whole text: first of two equal items
        {std::string("2007") + nen + "03", 0},  // a prefix picks the first item
        {"2007", 0},
        {"alp", 3},                            // case ignored
        {date("2007", "03", "12") + "x", -1},  // longer than every item
        {"2008", -1},
        {"", -1},  // empty text selects nothing
        {kA, -1},  // 0x83 0x41 is not 0x83 0x61
        {kDi, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fw::FindPrefixItem(items, c.text), c.index) << c.text;
    }
    EXPECT_EQ(fw::FindPrefixItem({}, "2007"), -1);
}

}  // namespace
