#include "Cp932.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

namespace {

TEST(Cp932, LeadBytesAreTheTwoRangesAndNothingAroundThem) {
    const std::pair<unsigned char, bool> cases[] = {
        {0x00, false}, {0x5C, false}, {0x7F, false}, {0x80, false}, {0x81, true},  {0x9F, true},
        {0xA0, false}, {0xDF, false}, {0xE0, true},  {0xFC, true},  {0xFD, false}, {0xFF, false},
    };
    for (const auto& [byte, lead] : cases) {
        EXPECT_EQ(Cp932IsLeadByte(byte), lead) << int(byte);
    }
}

struct RoundTripCase {
    std::string utf8;
    std::string cp932;
};

TEST(Cp932, ConvertsJapaneseBothWays) {
    std::string longUtf8;
    std::string longCp932;
    for (int i = 0; i < 1500; ++i) {  // more than one conversion chunk either way
        longUtf8 += "日本a";
        longCp932 +=
            "\x93\xFA\x96\x7B"
            "a";
    }
    const RoundTripCase cases[] = {
        {"", ""},
        {"DATA_DIR=C:\\x~", "DATA_DIR=C:\\x~"},
        {"日本語", "\x93\xFA\x96\x7B\x8C\xEA"},
        {"表示", "\x95\x5C\x8E\xA6"},  // 0x5C as a second byte
        {"2007年03月05日(月)",
         "2007\x94\x4E"
         "03\x8C\x8E"
         "05\x93\xFA(\x8C\x8E)"},
        {"ＭＳ ゴシック", "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E"},
        {"ｱｲｳ", "\xB1\xB2\xB3"},
        {"①～", "\x87\x40\x81\x60"},
        {longUtf8, longCp932},
    };
    for (const RoundTripCase& c : cases) {
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8.substr(0, 40);
        EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.utf8.substr(0, 40);
        EXPECT_EQ(Cp932ToUtf8Lossy(c.cp932), c.utf8) << c.utf8.substr(0, 40);
    }
}

// Characters typed on one system that CP932 holds only as a look-alike ("〜" as "～"): they
// are written as that look-alike on every system, and read back as it.
TEST(Cp932, WritesLookAlikesAsTheirCp932Character) {
    const struct {
        const char* utf8;
        const char* cp932;
    } cases[] = {
        {"〜", "\x81\x60"}, {"−", "\x81\x7C"}, {"—", "\x81\x5C"},
        {"‖", "\x81\x61"},  {"¢", "\x81\x91"}, {"£", "\x81\x92"},
        {"¬", "\x81\xCA"},  {"¥", "\x5C"},     {"‾", "\x7E"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
        EXPECT_NE(Cp932ToUtf8(c.cp932), c.utf8) << c.utf8;
    }
}

TEST(Cp932, RefusesWhatTheOtherSideCannotHold) {
    const char* const badUtf8[] = {
        "\xF0\x9F\x98\x80",  // an emoji
        "a\xED\x95\x9C",     // a Hangul syllable
        "\xE2\x82\xAC",      // the euro sign
        "ab\xC3",            // a sequence cut at the end
        "\xFF",              // never UTF-8
    };
    for (const char* text : badUtf8) {
        EXPECT_EQ(Utf8ToCp932(text), std::nullopt) << text;
    }
    const char* const badCp932[] = {"\x93",     "a\x81\x20", "\xFF",  "\xA0",
                                    "\x85\x40", "\x80",      "a\xFD", "\xFE"};
    for (const char* text : badCp932) {
        EXPECT_EQ(Cp932ToUtf8(text), std::nullopt) << text;
    }
}

TEST(Cp932, LossyConversionReplacesEachBadByte) {
    const struct {
        const char* cp932;
        const char* utf8;
    } cases[] = {
        {"a\x93", "a\xEF\xBF\xBD"},
        {"\xFF\xFF"
         "b",
         "\xEF\xBF\xBD\xEF\xBF\xBD"
         "b"},
        {"\x81\x20x\x93\xFA", "\xEF\xBF\xBD x日"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp932ToUtf8Lossy(c.cp932), c.utf8) << c.cp932;
    }
}

}  // namespace

TEST(Utf8IsValidTest, WellFormedUtf8Only) {
    struct Case {
        const char* bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"/home/user/予定/kelnova.txt", true},
        {"\xF0\x9F\x93\x85", true},   // U+1F4C5, four bytes
        {"\x95\x5C", false},          // 表 in CP932
        {"\xC0\xAF", false},          // overlong "/"
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"\xE6\x97", false},          // cut short at the end
        {"a\x80z", false},            // a lone continuation byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8IsValid(c.bytes), c.valid) << c.bytes;
    }
}
