// The folding that makes a search find what the user means rather than the exact bytes:
// a text and what is searched for are both folded, then compared as sequences of whole
// characters, never of bytes, so that the trail byte of a CP932 character ("表" is 0x95
// 0x5C) never matches a "\" searched for.
//
// Folded alike:
// - full-width and half-width ASCII letters, digits and signs ("ＡＢＣ１２３" and "ABC123"),
//   and the ideographic space and the space;
// - upper and lower case of the Latin letters A to Z (only those);
// - katakana and hiragana ("ケンコウ", "けんこう"), and half-width katakana with them,
//   a following half-width sound mark joined to its kana ("ｶﾞ" is "ガ" is "が"); the
//   long vowel mark "ー" and its half-width form are one character, apart from "-".
//   "ヴ", "ヵ" and "ヶ" stay katakana: CP932 has no hiragana for them.
//
// Every text is CP932 bytes. A byte that does not start or finish a CP932 character is
// kept as a character of its own that matches only the same byte.
#pragma once

#include <string>
#include <string_view>

// One folded character per element.
using FoldedText = std::u16string;

// Appends the folded characters of a CP932 text.
void AppendFolded(std::string_view cp932, FoldedText& out);
inline FoldedText FoldForSearch(std::string_view cp932) {
    FoldedText out;
    AppendFolded(cp932, out);
    return out;
}
