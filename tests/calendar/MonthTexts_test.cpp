// The month's texts outside the row's boxes: a label cut to its room, and the tooltip that
// shows the whole day.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Cp932.h"
#include "DayTooltip.h"
#include "RecordingCanvas.h"
#include "TextFit.h"

namespace {

std::string Cp932(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

// With a 12-pixel font the recording canvas gives every byte 6 pixels: an ASCII or
// half-width katakana character 6, a kanji 12, and "…" 12.
TEST(FitTextTest, CutsAtWholeCharactersAndEndsWithAnEllipsis) {
    struct Case {
        const char* text;  // UTF-8
        int width;
        const char* shown;  // UTF-8
    };
    const Case cases[] = {
        {"Meeting", 42, "Meeting"},               // exactly fits: nothing cut
        {"Meeting", 41, "Meet…"},                 // 4 * 6 + 12 = 36; "Meeti…" would be 42
        {"設計書の確認", 50, "設計書…"},          // 3 * 12 + 12 = 48
        {"A設計", 29, "A…"},                      // never "A" and the first byte of 設
        {"表示A", 25, "表…"},                     // 表 is 0x95 0x5C: its second byte is "\"
        {"ｱｲｳｴｵ", 25, "ｱｲ…"},                     // half-width katakana: one byte each
        {"09:30-10:00会議", 80, "09:30-10:00…"},  // 66 + 12 = 78
        {"設計", 12, "…"},                        // no character fits beside "…"
        {"設計", 11, ""},                         // not even "…"
        {"", 0, ""},
        {"A", -1, ""},
    };
    fw::RecordingCanvas canvas;
    canvas.SelectFont({"ＭＳ ゴシック", 12, 400});
    for (const Case& c : cases) {
        const std::string shown = FitText(canvas, Cp932(c.text), c.width);
        EXPECT_EQ(shown, Cp932(c.shown)) << c.text << " in " << c.width;
        EXPECT_LE(canvas.TextWidth(shown), std::max(c.width, 0)) << c.text;
    }
    // A lead byte that ends the text is a character of its own, not the start of "…".
    EXPECT_EQ(FitText(canvas, "ABC\x93", 23), "A" + std::string(kEllipsisCp932));
    EXPECT_EQ(FitText(canvas, "ABC\x93", 24), "ABC\x93");
}

// A face whose widths are not those of the bytes (narrow lower case, wide kanji, a kerned
// pair): for every room from nothing to the whole text, the cut is the longest start that
// fits with "…", and a label costs few measurements (each is a text layout on screen).
class ProportionalCanvas : public fw::RecordingCanvas {
  public:
    int TextWidth(std::string_view text) override {
        ++measured;
        if (byBytes) {
            return static_cast<int>(text.size()) * 6;
        }
        int width = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (Cp932IsLeadByte(c) && i + 1 < text.size()) {
                width += text.compare(i, 2, kEllipsisCp932) == 0 ? 9 : 13;
                ++i;
            } else {
                width += (c >= 'a' && c <= 'z') ? 4 : (c == 'W' ? 11 : 7);
            }
            if (i + 1 < text.size() && text[i] == 'A' && text[i + 1] == 'V') {
                width -= 2;
            }
        }
        return width;
    }
    bool byBytes = false;  // 6 pixels a byte, as the recording canvas at 12 pixels
    int measured = 0;
};

TEST(FitTextTest, TheLongestStartThatFitsInEveryRoom) {
    const char* const texts[] = {"AVWAVWmeeting", "打ち合わせ（第8回）資料", "09:30 設計review",
                                 "ｱｲｳ表示WWWWWWWWWW", "x"};
    ProportionalCanvas canvas;
    for (int pass = 0; pass < 2; ++pass)
        for (const char* utf8 : texts) {
            canvas.byBytes = pass == 1;
            const std::string text = Cp932(utf8);
            std::vector<size_t> starts;  // byte offsets of the characters, then the end
            for (size_t i = 0; i < text.size();
                 i += Cp932IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1) {
                starts.push_back(i);
            }
            starts.push_back(text.size());
            const int whole = canvas.TextWidth(text);
            int most = 0;
            for (int width = 0; width <= whole + 1; ++width) {
                canvas.measured = 0;
                const std::string shown = FitText(canvas, text, width);
                most = std::max(most, canvas.measured);
                const std::string at = utf8 + (" in " + std::to_string(width));
                if (whole <= width) {
                    EXPECT_EQ(shown, text) << at;
                    continue;
                }
                EXPECT_LE(canvas.TextWidth(shown), width) << at;
                if (shown.empty()) {
                    EXPECT_GT(canvas.TextWidth(std::string(kEllipsisCp932)), width) << at;
                    continue;
                }
                const size_t kept = shown.size() - kEllipsisCp932.size();
                ASSERT_EQ(shown.compare(kept, std::string::npos, kEllipsisCp932), 0) << at;
                ASSERT_EQ(shown.compare(0, kept, text, 0, kept), 0) << at;
                const auto next = std::upper_bound(starts.begin(), starts.end(), kept);
                ASSERT_NE(next, starts.end()) << at;
                if (*next < text.size()) {  // one character more, with "…", does not fit
                    EXPECT_GT(canvas.TextWidth(text.substr(0, *next) + std::string(kEllipsisCp932)),
                              width)
                        << at;
                }
            }
            // The whole text, then the start its width points to and the one after it; where
            // the widths are not the bytes' the guess may be off, and the walk from it costs
            // at most about twice a search by halves.
            size_t bits = 0;
            while ((size_t{1} << bits) < starts.size()) {
                ++bits;
            }
            EXPECT_LE(most, canvas.byBytes ? 3 : static_cast<int>(2 * bits + 2)) << utf8;
        }
}

TEST(DayTooltipTest, TheWholeDayLineByLine) {
    DayContent full;
    full.date = "20080320";
    full.slots[0] = {"0930", "1000", Cp932("設計レビューと締切の確認")};
    full.slots[1] = {"", "", "Lunch"};
    full.slots[3] = {"1300", "", Cp932("顧客訪問")};
    full.period = {4, "20080318", "20080321", "20080319", Cp932("金沢出張")};
    full.holiday = true;
    full.paidLeave = true;

    DayContent odd;  // time cells in other forms show as nothing, as in the row
    odd.date = "20080305";
    odd.slots[2] = {"930", "1000", "X"};
    odd.slots[3] = {"", "10", "Y"};

    DayContent leave;
    leave.date = "20080311";
    leave.paidLeave = true;

    DayContent empty;
    empty.date = "20080312";

    struct Case {
        const DayContent* day;
        const char* holiday;  // UTF-8
        const char* text;     // UTF-8
    };
    const Case cases[] = {
        {&full, "春分の日",
         "2008年03月20日(木)  春分の日\n"
         "09:30-10:00 設計レビューと締切の確認\n"
         "Lunch\n"
         "13:00- 顧客訪問\n"
         "期間：金沢出張\n"
         "2008年03月18日(火)～2008年03月21日(金)\n"
         "祝日・特別休日\n"
         "計画有給休暇日"},
        {&odd, "", "2008年03月05日(水)\n-10:00 X\n- Y"},
        {&leave, "", "2008年03月11日(火)\n計画有給休暇日"},
        {&empty, "春分の日", "2008年03月12日(水)  春分の日"},
        {&empty, "", ""},  // nothing to show: no tooltip
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DayTooltipText(*c.day, Cp932(c.holiday)), Cp932(c.text)) << c.day->date;
    }
}

}  // namespace
