#include "TimeText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TextCase {
    std::string input;
    std::string expected;
};
// Readable case names in test listings.
void PrintTo(const TextCase& c, std::ostream* out) {
    *out << '"' << c.input << '"';
}

class NormalizeTimeTest : public testing::TestWithParam<TextCase> {};

TEST_P(NormalizeTimeTest, GivesTheHhMmForm) {
    EXPECT_EQ(dlg::NormalizeTime(GetParam().input), GetParam().expected)
        << "input \"" << GetParam().input << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Examples, NormalizeTimeTest,
    testing::Values(
        TextCase{"", ""}, TextCase{"9:5", "09:05"}, TextCase{"9", "09:00"},
        TextCase{"930", "24:00"},  // no colon: 930 is the hour
        TextCase{"23:60", "23:59"}, TextCase{"23:59", "23:59"}, TextCase{"23:58", "23:58"},
        TextCase{"24:10", "24:10"}, TextCase{"25:00", "24:00"}, TextCase{":30", "00:30"},
        TextCase{"12:", "12:00"}, TextCase{"1:2:3", "01:02"}, TextCase{" 7: 8", "07:08"},
        TextCase{"\t7:\n8", "07:08"}, TextCase{"ab", "00:00"}, TextCase{"-1:-5", "-1:-5"},
        TextCase{"+5:+7", "05:07"}, TextCase{"7x:3y", "07:03"},
        // "９：３０" in CP932: full-width digits and colon are no digits.
        TextCase{"\x82\x58\x81\x46\x82\x52\x82\x4f", "00:00"},
        // Values past the 32-bit range saturate instead of wrapping.
        TextCase{"99999999999:99999999999", "24:59"}, TextCase{"-99999999999:0", "-2147483648:00"},
        TextCase{"4294967305:0", "24:00"}));

// What OK hands back must survive the positional HHMM conversion: texts of the HH:MM
// shape (all the dialogs fill in) stay byte for byte, texts still as typed are normalized.
TEST(ConfirmedTimeTest, OnlyTextsTheStoredFormWouldBreakChange) {
    const TextCase cases[] = {
        {"", ""},
        {"17:30", "17:30"},
        {"09:05", "09:05"},
        {"ab:cd", "ab:cd"},
        {"-1:-5", "-1:-5"},
        {"\x82"
         "0:00",
         "\x82"
         "0:00"},  // a stray lead byte is kept, not re-encoded
        {"9:30", "09:30"},
        {"9:5", "09:05"},
        {"1730", "24:00"},
        {"9", "09:00"},
        {":45", "00:45"},
        {"17:30 ", "17:30"},
        {"017:30", "17:30"},
        {"\x82\x58\x81\x46\x82\x52\x82\x4f", "00:00"},  // "９：３０"
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(dlg::ConfirmedTime(c.input), c.expected) << "input \"" << c.input << "\"";
    }
}

TEST(SplitTimeTest, SplitsAtTheFirstColon) {
    struct Case {
        std::string text, hour, minute;
    };
    const Case cases[] = {
        {"09:30", "09", "30"}, {"930", "930", ""},    {":30", "", "30"},
        {"12:", "12", ""},     {"1:2:3", "1", "2:3"}, {"", "", ""},
    };
    for (const Case& c : cases) {
        const auto [hour, minute] = dlg::SplitTime(c.text);
        EXPECT_EQ(hour, c.hour) << c.text;
        EXPECT_EQ(minute, c.minute) << c.text;
    }
}

struct PickCase {
    std::string target;
    int value;
    std::string expected;
};
void PrintTo(const PickCase& c, std::ostream* out) {
    *out << '"' << c.target << "\" " << c.value;
}

class PickHourTextTest : public testing::TestWithParam<PickCase> {};

TEST_P(PickHourTextTest, KeepsTheSecondTokenAsMinute) {
    EXPECT_EQ(dlg::PickHourText(GetParam().target, GetParam().value), GetParam().expected)
        << "target \"" << GetParam().target << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Examples, PickHourTextTest,
    testing::Values(PickCase{"09:30", 14, "14:30"}, PickCase{"", 14, "14:00"},
                    PickCase{"9", 14, "14:00"},
                    PickCase{":45", 14, "14:00"},  // 45 is the first token
                    PickCase{"9::30", 14, "14:30"}, PickCase{"9:75", 14, "14:75"},
                    PickCase{"1:2:3", 14, "14:02"}, PickCase{"::", 6, "06:00"},
                    PickCase{"9:-5", 23, "23:-5"},
                    // The working copy holds 99 bytes: a minute past them is not seen.
                    PickCase{std::string(96, '7') + ":30", 14, "14:30"},
                    PickCase{std::string(99, '7') + ":30", 14, "14:00"}));

class PickMinuteTextTest : public testing::TestWithParam<PickCase> {};

TEST_P(PickMinuteTextTest, KeepsTheFirstTokenAsHour) {
    EXPECT_EQ(dlg::PickMinuteText(GetParam().target, GetParam().value), GetParam().expected)
        << "target \"" << GetParam().target << "\"";
}

INSTANTIATE_TEST_SUITE_P(Examples, PickMinuteTextTest,
                         testing::Values(PickCase{"14:30", 45, "14:45"}, PickCase{"", 45, "00:45"},
                                         PickCase{"9", 45, "09:45"}, PickCase{":20", 45, "20:45"},
                                         PickCase{"930", 45, "930:45"},  // not clamped here
                                         PickCase{"::", 0, "00:00"}, PickCase{" 8:15", 30, "08:30"},
                                         PickCase{"-3", 10, "-3:10"}));

TEST(TimeBandTest, BandsFollowTheStartTime) {
    struct Case {
        std::string start;
        int band;
    };
    const Case cases[] = {
        {"", 0},
        {"00:00", 0},
        {"10:29", 0},
        {"10:30", 1},
        {"11:59", 1},
        {"12:00", 2},
        {"14:59", 2},
        {"15:00", 3},
        {"23:59", 3},
        {"24:00", 3},
        {"9:00", 0},  // the colon at
                      // position 1 ends the
                      // digits: 9
        {"1030", 0},  // positions 0, 1, 3: "100"
        {"12:3", 0},  // "123"
        {"ab:cd", 0},
        {"-1:00", 0},
        {"15", 0},
        {"99:99", 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dlg::TimeBand(c.start), c.band) << "start \"" << c.start << "\"";
    }
}

}  // namespace
