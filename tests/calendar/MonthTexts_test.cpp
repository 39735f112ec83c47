// The month's texts outside the row's boxes: a label cut to its room, and the tooltip that
// shows the whole day.
#include <gtest/gtest.h>

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
