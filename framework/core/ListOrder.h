// Order of sorted list rows and the prefix search of combo boxes, on CP932 bytes.
//
// Rows are compared character by character (a CP932 lead byte and its trail byte form one
// character; a trail byte is never taken for an ASCII letter). Each character falls into a
// class, and classes sort in this order:
//
//   blanks and control characters (ASCII space, the ideographic space)
//   symbols and punctuation (ASCII and double-byte, "～" 0x81 0x60 among them)
//   digits (ASCII, then full-width)
//   letters (Latin, Greek, Cyrillic; case is ignored, full-width after ASCII)
//   kana (full-width hiragana and katakana, half-width katakana)
//   everything else (kanji and the rest) by code
//
// Within a class characters compare by code after case folding. So rows that begin with a
// blank or "～" come before rows that begin with a digit, and zero-padded HH:MM texts sort
// by time. Texts equal but for case compare by their bytes, so the order is total.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace fw {

// Negative, zero or positive as a sorts before, with or after b.
int CompareListText(std::string_view a, std::string_view b);

// The index at which a sorted list inserts text: after every row that does not sort after
// it, so rows with equal texts keep the order in which they were added.
size_t SortedInsertPosition(std::span<const std::string> rows, std::string_view text);

// True when text begins with prefix, ignoring case as CompareListText does.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// The combo box selection rule: the index of the first item that begins with text,
// ignoring case; -1 when none does or text is empty.
int FindPrefixItem(std::span<const std::string> items, std::string_view text);

}  // namespace fw
