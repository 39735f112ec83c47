#include "TimeText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

namespace dlg {
// Readable times in failure messages.
void PrintTo(const TimeOfDay& t, std::ostream* out) {
    *out << t.hour << ':' << t.minute;
}
}  // namespace dlg

namespace {

// What a typed time reads as; nullopt: not a time of day, refused at OK.
TEST(ReadTimeOfDayTest, ReadsTimesAsUsersTypeThem) {
    struct Case {
        std::string text;
        std::optional<dlg::TimeOfDay> time;
    };
    using T = dlg::TimeOfDay;
    const Case cases[] = {
        // Without a colon: the last two digits of three or four are the minute.
        {"9", T{9, 0}},
        {"09", T{9, 0}},
        {"930", T{9, 30}},
        {"0930", T{9, 30}},
        {"1730", T{17, 30}},
        {"0000", T{0, 0}},
        {"2400", T{24, 0}},
        {"24", T{24, 0}},
        {"960", std::nullopt},
        {"12345", std::nullopt},
        // With a colon: one or two digits on each side.
        {"9:5", T{9, 5}},
        {"09:30", T{9, 30}},
        {"23:59", T{23, 59}},
        {"24:00", T{24, 0}},
        {" 9:30\t", T{9, 30}},
        {"25:00", std::nullopt},
        {"24:30", std::nullopt},
        {"24:01", std::nullopt},
        {"9:60", std::nullopt},
        {"017:30", std::nullopt},
        {"9:305", std::nullopt},
        {":30", std::nullopt},
        {"12:", std::nullopt},
        {"1:2:3", std::nullopt},
        // Not a time at all.
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"-1:05", std::nullopt},
        {"+9", std::nullopt},
        {"9.30", std::nullopt},
        {"9 30", std::nullopt},
        {"\n9", std::nullopt},
        {"\x82\x4f\x82\x58\x82\x52\x82\x4f", std::nullopt},  // "０９３０" in CP932
        {"\x82"
         "0:00",
         std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dlg::ReadTimeOfDay(c.text), c.time) << "text \"" << c.text << "\"";
    }
}

// A focus move shows a time as HH:MM and leaves any other text as typed; the HH:MM texts
// the dialog writes itself come back byte for byte.
TEST(NormalizeTimeTest, TimesBecomeHhMmOtherTextsStay) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},           {"9", "09:00"},       {"930", "09:30"},   {"1730", "17:30"},
        {"9:5", "09:05"},   {" 17:30 ", "17:30"}, {"00:00", "00:00"}, {"24:00", "24:00"},
        {"23:59", "23:59"}, {"25:00", "25:00"},   {"ab:cd", "ab:cd"}, {"-1:05", "-1:05"},
        {"9:75", "9:75"},   {"１０時", "１０時"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(dlg::NormalizeTime(text), shown) << "text \"" << text << "\"";
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
                    PickCase{"9:-5", 23, "23:-5"}, PickCase{"1730", 9, "09:30"},
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
                                         PickCase{"930", 45, "09:45"},   // read as 09:30
                                         PickCase{"9:75", 45, "09:45"},  // by tokens
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
