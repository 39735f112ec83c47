#include "ListOrder.h"

#include <algorithm>

#include "Cp932.h"

namespace fw {
namespace {

bool IsTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// One character: its code (a single byte, or lead * 256 + trail) and its length in bytes.
struct Char {
    unsigned code = 0;
    size_t length = 0;
};

Char CharAt(std::string_view text, size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (Cp932IsLeadByte(lead) && pos + 1 < text.size()) {
        const auto trail = static_cast<unsigned char>(text[pos + 1]);
        if (IsTrailByte(trail)) {
            return {lead * 256u + trail, 2};
        }
    }
    return {lead, 1};
}

// Lower case to upper case: ASCII, and the full-width Latin, Greek and Cyrillic letters.
unsigned FoldCase(unsigned c) {
    if (c >= 'a' && c <= 'z') {
        return c - 0x20;
    }
    if (c >= 0x8281 && c <= 0x829A) {  // ａ-ｚ -> Ａ-Ｚ
        return c - 0x21;
    }
    if (c >= 0x83BF && c <= 0x83D6) {  // α-ω -> Α-Ω
        return c - 0x20;
    }
    if (c >= 0x8470 && c <= 0x847E) {  // а-н -> А-Н
        return c - 0x30;
    }
    if (c >= 0x8480 && c <= 0x8491) {  // о-я -> О-Я (0x847F is not used)
        return c - 0x31;
    }
    return c;
}

enum CharClass { kBlank, kSymbol, kDigit, kLetter, kKana, kOther };

CharClass ClassOf(unsigned c) {
    if (c <= 0x20 || c == 0x7F || c == 0x8140) {
        return kBlank;
    }
    if (c < 0x80) {
        if (c >= '0' && c <= '9') {
            return kDigit;
        }
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            return kLetter;
        }
        return kSymbol;
    }
    if (c <= 0xFF) {  // single-byte: half-width katakana and its punctuation
        return (c >= 0xA6 && c <= 0xDF) ? kKana : kSymbol;
    }
    if (c >= 0x824F && c <= 0x8258) {
        return kDigit;
    }
    if ((c >= 0x8260 && c <= 0x829A) || (c >= 0x839F && c <= 0x83D6) ||
        (c >= 0x8440 && c <= 0x8491)) {
        return kLetter;
    }
    if ((c >= 0x829F && c <= 0x82F1) || (c >= 0x8340 && c <= 0x8396)) {
        return kKana;
    }
    if (c < 0x8300 || (c >= 0x849F && c < 0x889F) || (c >= 0xEEEF && c <= 0xEEFC)) {
        return kSymbol;  // 0x81xx-0x82xx symbols, box drawing, NEC specials
    }
    return kOther;
}

// Compares one character of each text; 0 when they are the same ignoring case.
int CompareChars(unsigned a, unsigned b) {
    const CharClass ca = ClassOf(a);
    const CharClass cb = ClassOf(b);
    if (ca != cb) {
        return ca < cb ? -1 : 1;
    }
    const unsigned fa = FoldCase(a);
    const unsigned fb = FoldCase(b);
    if (fa != fb) {
        return fa < fb ? -1 : 1;
    }
    return 0;
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const Char ca = CharAt(a, i);
        const Char cb = CharAt(b, j);
        if (const int r = CompareChars(ca.code, cb.code); r != 0) {
            return r;
        }
        i += ca.length;
        j += cb.length;
    }
    if (i < a.size()) {
        return 1;
    }
    return j < b.size() ? -1 : 0;
}

}  // namespace

int CompareListText(std::string_view a, std::string_view b) {
    if (const int r = CompareIgnoringCase(a, b); r != 0) {
        return r;
    }
    return a.compare(b);
}

size_t SortedInsertPosition(std::span<const std::string> rows, std::string_view text) {
    const auto it = std::upper_bound(
        rows.begin(), rows.end(), text,
        [](std::string_view t, const std::string& row) { return CompareListText(t, row) < 0; });
    return static_cast<size_t>(it - rows.begin());
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    size_t i = 0;
    size_t j = 0;
    while (j < prefix.size()) {
        if (i >= text.size()) {
            return false;
        }
        const Char ct = CharAt(text, i);
        const Char cp = CharAt(prefix, j);
        if (FoldCase(ct.code) != FoldCase(cp.code)) {
            return false;
        }
        i += ct.length;
        j += cp.length;
    }
    return true;
}

int FindPrefixItem(std::span<const std::string> items, std::string_view text) {
    if (text.empty()) {
        return -1;
    }
    for (size_t i = 0; i < items.size(); ++i) {
        if (StartsWithIgnoringCase(items[i], text)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace fw
