#include "StorableText.h"

#include <gtest/gtest.h>

#include <string>

#include "Cp932.h"

namespace {

using dlg::TextField;
using dlg::TextProblem;

TEST(StorableTextTest, TypedTexts) {
    struct Case {
        std::string utf8;
        TextProblem problem;
        std::string badChar;
    };
    const Case cases[] = {
        {"", TextProblem::kNone, ""},
        {"会議 10F, A室", TextProblem::kNone, ""},
        {"全角の＂引用符＂", TextProblem::kNone, ""},  // 0xFA 0x57
        {"①～髙", TextProblem::kNone, ""},
        {"〜", TextProblem::kNone, ""},  // wave dash: CP932 0x81 0x60
        {"a\nb", TextProblem::kLineBreak, ""},
        {"a\r\nb", TextProblem::kLineBreak, ""},
        {"a\rb", TextProblem::kLineBreak, ""},
        {"say \"hi\"", TextProblem::kDoubleQuote, ""},
        {"Café", TextProblem::kNotCp932, "é"},
        {"予定😀です", TextProblem::kNotCp932, "😀"},
        {"\xff", TextProblem::kNotCp932, ""},  // not UTF-8 at all
    };
    for (const Case& c : cases) {
        const dlg::TextVerdict v = dlg::CheckTypedText(c.utf8, TextField::kEntry);
        EXPECT_EQ(v.problem, c.problem) << c.utf8;
        EXPECT_EQ(v.badChar, c.badChar) << c.utf8;
        EXPECT_EQ(v.message.empty(), v.Ok()) << c.utf8;
        if (!c.badChar.empty()) {
            EXPECT_NE(v.message.find(c.badChar), std::string::npos) << v.message;
        }
    }
}

TEST(StorableTextTest, DoubleQuoteMessageNamesTheFullWidthQuote) {
    const dlg::TextVerdict v = dlg::CheckTypedText("\"", TextField::kPeriod);
    EXPECT_NE(v.message.find("＂"), std::string::npos);
}

TEST(StorableTextTest, TimeAndDateTextsAreCheckedForCharactersOnly) {
    const std::string longTime(5000, '1');
    EXPECT_TRUE(dlg::CheckTypedText(longTime, TextField::kTime).Ok());
    EXPECT_TRUE(dlg::CheckTypedText(longTime, TextField::kDate).Ok());
    EXPECT_EQ(dlg::CheckTypedText("9\"30", TextField::kTime).problem, TextProblem::kDoubleQuote);
    EXPECT_EQ(dlg::CheckTypedText("2008年03月05日(水)é", TextField::kDate).problem,
              TextProblem::kNotCp932);
}

// The row line the text would be stored in, built as the table writer builds it.
std::string RowLine(const std::string& yotei, TextField field) {
    const std::string cell = yotei.find(',') != std::string::npos ? "\"" + yotei + "\"" : yotei;
    if (field == TextField::kEntry) {
        return "20080305,0930,1000,1," + cell + ",";
    }
    return "20080305,,,0," + cell + ",";
}

TEST(StorableTextTest, LongestTextsFillTheRowLineExactly) {
    for (TextField field : {TextField::kEntry, TextField::kPeriod}) {
        for (bool comma : {false, true}) {
            const size_t max = dlg::MaxStorableBytes(field, comma);
            std::string text(max, 'a');
            if (comma) {
                text[max / 2] = ',';
            }
            EXPECT_EQ(RowLine(text, field).size(), 2046u);
            EXPECT_TRUE(dlg::CheckCp932Text(text, field).Ok());
            EXPECT_TRUE(dlg::CheckTypedText(text, field).Ok());
            text += 'a';
            EXPECT_EQ(dlg::CheckCp932Text(text, field).problem, TextProblem::kTooLong);
            EXPECT_EQ(dlg::CheckTypedText(text, field).problem, TextProblem::kTooLong);
        }
    }
}

TEST(StorableTextTest, LengthCountsCp932BytesNotUtf8Bytes) {
    // 1012 "あ" are 2024 CP932 bytes (3036 in UTF-8): the longest entry text.
    std::string text;
    for (int i = 0; i < 1012; ++i) {
        text += "あ";
    }
    EXPECT_TRUE(dlg::CheckTypedText(text, TextField::kEntry).Ok());
    text += "あ";
    const dlg::TextVerdict v = dlg::CheckTypedText(text, TextField::kEntry);
    EXPECT_EQ(v.problem, TextProblem::kTooLong);
    EXPECT_NE(v.message.find("2024"), std::string::npos) << v.message;
}

TEST(StorableTextTest, Cp932Texts) {
    struct Case {
        std::string cp932;
        TextProblem problem;
    };
    const Case cases[] = {
        {"\x95\x5c\x8e\xa6", TextProblem::kNone},  // "表示"
        {"\xfa\x57", TextProblem::kNone},          // "＂"
        {"\x82", TextProblem::kNotCp932},          // a lead byte alone
        {"a\"b", TextProblem::kDoubleQuote},      {"a\nb", TextProblem::kLineBreak},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dlg::CheckCp932Text(c.cp932, TextField::kPeriod).problem, c.problem);
    }
}

}  // namespace
