#include "MessageLines.h"

#include <algorithm>

namespace fw {
namespace {

// The code point of the UTF-8 character at text[i] and its length in bytes. A byte that
// does not start a valid sequence counts as one character of its own.
std::pair<char32_t, size_t> Decode(std::string_view text, size_t i) {
    const auto b = static_cast<unsigned char>(text[i]);
    size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > text.size()) {
        return {b, 1};
    }
    char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t k = 1; k < n; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return {b, 1};
        }
        c = (c << 6) | (next & 0x3F);
    }
    return {c, n};
}

bool IsHiragana(char32_t c) {
    return c >= 0x3041 && c <= 0x309F;
}

// Kanji, katakana (full and half width), Latin letters and digits (ASCII and full width).
bool StartsContentWord(char32_t c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x30A1 && c <= 0x30FA) || (c >= 0xFF66 && c <= 0xFF9D) || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c >= 0xFF10 && c <= 0xFF19) ||
           (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A);
}

bool BreaksAfter(char32_t c) {
    switch (c) {
        case U'。':
        case U'、':
        case U'，':
        case U'．':
        case U'）':
        case U'」':
        case U'』':
        case U'】':
        case U'！':
        case U'？':
        case U'：':
        case U'/':
            return true;
        default:
            return false;
    }
}

bool BreaksBefore(char32_t c) {
    return c == U'（' || c == U'「' || c == U'『' || c == U'【';
}

// Characters a line must not start with.
bool NeverStartsLine(char32_t c) {
    return BreaksAfter(c) || c == U'ー' || c == U'ッ' || c == U'っ' || c == U'ゃ' || c == U'ゅ' ||
           c == U'ょ' || c == U'ャ' || c == U'ュ' || c == U'ョ' || c == U'ぁ' || c == U'ぃ' ||
           c == U'ぅ' || c == U'ぇ' || c == U'ぉ' || c == '.' || c == ',' || c == ')' || c == ' ';
}

// One paragraph (no line breaks) cut into pieces that end at a break opportunity; a piece
// keeps the space that follows it, if any.
std::vector<std::string_view> Pieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const auto [c, n] = Decode(text, i);
        size_t end = i + n;
        bool breakHere = false;
        if (c == ' ') {
            while (end < text.size() && text[end] == ' ') {
                ++end;
            }
            breakHere = true;
        } else if (BreaksAfter(c)) {
            breakHere = true;
        }
        if (end < text.size() && !breakHere) {
            const char32_t next = Decode(text, end).first;
            breakHere = BreaksBefore(next) || (IsHiragana(c) && StartsContentWord(next));
        }
        if (breakHere && end < text.size() && NeverStartsLine(Decode(text, end).first) &&
            c != ' ') {
            breakHere = false;  // "）。" stays together: the break comes after the last one
        }
        if (breakHere || end >= text.size()) {
            pieces.push_back(text.substr(start, end - start));
            start = end;
        }
        i = end;
    }
    return pieces;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return s;
}

// Cuts a piece wider than the room between characters, never before a character that
// must not start a line.
void CutWidePiece(std::string_view piece, int maxWidth, const TextWidthFn& widthOf,
                  std::vector<std::string>& lines) {
    std::string line;
    size_t i = 0;
    while (i < piece.size()) {
        const auto [c, n] = Decode(piece, i);
        const std::string candidate = line + std::string(piece.substr(i, n));
        if (!line.empty() && widthOf(TrimRight(candidate)) > maxWidth && !NeverStartsLine(c)) {
            lines.emplace_back(TrimRight(line));
            line = std::string(piece.substr(i, n));
        } else {
            line = candidate;
        }
        i += n;
    }
    lines.push_back(line);
}

void BreakParagraph(std::string_view text, int maxWidth, const TextWidthFn& widthOf,
                    std::vector<std::string>& lines) {
    std::string line;
    for (std::string_view piece : Pieces(text)) {
        const std::string candidate = line + std::string(piece);
        if (widthOf(TrimRight(candidate)) <= maxWidth) {
            line = candidate;
            continue;
        }
        if (!line.empty()) {
            lines.emplace_back(TrimRight(line));
            line.clear();
        }
        if (widthOf(TrimRight(piece)) <= maxWidth) {
            line = std::string(piece);
            continue;
        }
        CutWidePiece(piece, maxWidth, widthOf, lines);
        line = lines.back();
        lines.pop_back();
    }
    lines.emplace_back(TrimRight(line));
}

}  // namespace

std::vector<std::string> BreakMessageLines(std::string_view utf8, int maxWidth,
                                           const TextWidthFn& widthOf) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t end = utf8.find('\n', start);
        std::string_view paragraph = utf8.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!paragraph.empty() && paragraph.back() == '\r') {
            paragraph.remove_suffix(1);
        }
        BreakParagraph(paragraph, maxWidth, widthOf, lines);
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            text += '\n';
        }
        text += lines[i];
    }
    return text;
}

}  // namespace fw
