#include "MessageLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Two columns for every non-ASCII character, one for ASCII: the proportions of a
// Japanese font, without a toolkit.
int Columns(std::string_view utf8) {
    int width = 0;
    for (unsigned char b : utf8) {
        if (b < 0x80) {
            width += 1;
        } else if ((b & 0xC0) != 0x80) {
            width += 2;
        }
    }
    return width;
}

TEST(MessageLinesTest, BreaksBetweenPhrasesOnly) {
    struct Case {
        const char* text;
        int width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        // The message that broke as "間違っ" / "ている": phrases stay whole.
        {"データファイルを作成できません。データファイル作成フォルダの指定が間違っている可能性があ"
         "ります。",
         40,
         {"データファイルを作成できません。", "データファイル作成フォルダの指定が",
          "間違っている可能性があります。"}},
        {"データファイルを作成できません。データファイル作成フォルダの指定が間違っている可能性があ"
         "ります。",
         60,
         {"データファイルを作成できません。データファイル作成フォルダの",
          "指定が間違っている可能性があります。"}},
        // Everything fits: one line, nothing changed.
        {"改行は入力できません。", 40, {"改行は入力できません。"}},
        // The text's own line breaks always break; empty lines stay.
        {"次のファイルに保存しました。\n/tmp/a.txt",
         80,
         {"次のファイルに保存しました。", "/tmp/a.txt"}},
        {"一行目\n\n三行目", 80, {"一行目", "", "三行目"}},
        // Before an opening bracket, after a closing one, never before "。".
        {"入力が長すぎます。保存できるのは半角で60文字（全角で30文字）までです。",
         44,
         {"入力が長すぎます。保存できるのは半角で60文字", "（全角で30文字）までです。"}},
        {"半角の二重引用符（\"）は保存できません。",
         20,
         {"半角の二重引用符", "（\"）は", "保存できません。"}},
        // A path breaks after "/", and at spaces (which are dropped at the break).
        {"フォルダ /home/taro/schedule/data/ がありません。",
         30,
         {"フォルダ /home/taro/schedule/", "data/ がありません。"}},
        // A word wider than the room is cut between characters, never before "。".
        {"ああああああ。", 6, {"あああ", "あああ。"}},
        {"", 10, {""}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> lines = fw::BreakMessageLines(c.text, c.width, Columns);
        EXPECT_EQ(lines, c.lines) << c.text << " in " << c.width;
        for (const std::string& line : lines) {
            // Only the last-resort cut of "あああ。" may exceed the room by its "。".
            if (std::string_view(c.text) != "ああああああ。") {
                EXPECT_LE(Columns(line), c.width) << line;
            }
        }
    }
    EXPECT_EQ(fw::JoinLines({"a", "", "b"}), "a\n\nb");
}

TEST(MessageLinesTest, LongTextsKeepEveryCharacterAndNeverSplitAWord) {
    // Every byte but the dropped spaces and line breaks comes back, in order, at every
    // width, and no line starts with punctuation or a small kana.
    const std::string text =
        "データファイル /srv/share/pemdaro/kelnova.txt は予定表の形式ではありません。"
        "書き込む前に /srv/share/pemdaro/kelnova-backup へバックアップを取ります。";
    std::string expected;
    for (char ch : text) {
        if (ch != ' ') {
            expected += ch;
        }
    }
    for (int width = 8; width <= 120; ++width) {
        std::string joined;
        for (const std::string& line : fw::BreakMessageLines(text, width, Columns)) {
            for (char ch : line) {
                if (ch != ' ') {
                    joined += ch;
                }
            }
            EXPECT_NE(line.rfind("。", 0), 0u) << width << ": " << line;
            EXPECT_NE(line.rfind("ッ", 0), 0u) << width << ": " << line;
            // A cut may hold back one character that must not start a line.
            EXPECT_LE(Columns(line), width + 2) << width << ": " << line;
        }
        EXPECT_EQ(joined, expected) << width;
    }
}

}  // namespace
