// Where the program's message texts may break into lines. Japanese has no spaces between
// words, and a toolkit that wraps at any character splits words ("間違っ" / "ている");
// these rules break only between phrases:
//
// - at a line break of the text itself (always);
// - after Japanese punctuation and closing brackets (。、，．）」』】！？：) and before
//   opening brackets (（「『【);
// - at an ASCII space (the space is dropped there) and after "/" (in a path);
// - where hiragana is followed by a kanji, katakana, Latin letter or digit: a particle or
//   an inflection ends a phrase there ("指定が|間違っている|可能性が|あります").
//
// Lines are filled greedily. Only a piece that is wider than the room on its own is cut
// elsewhere, between characters, never before punctuation.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

// The width of a UTF-8 text in the units of maxWidth (pixels of the message font).
using TextWidthFn = std::function<int(std::string_view utf8)>;

// Breaks a UTF-8 message into lines no wider than maxWidth where the rules above allow;
// trailing spaces of a line are dropped. An empty text gives one empty line.
std::vector<std::string> BreakMessageLines(std::string_view utf8, int maxWidth,
                                           const TextWidthFn& widthOf);

// The lines joined with "\n".
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace fw
