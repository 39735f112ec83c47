#include "SearchText.h"

#include "Cp932.h"

namespace {

// The full-width signs of CP932 and their ASCII characters.
struct SignPair {
    unsigned short code;
    char ascii;
};
constexpr SignPair kFullWidthSigns[] = {
    {0x8140, ' '}, {0x8143, ','},  {0x8144, '.'}, {0x8146, ':'},  {0x8147, ';'}, {0x8148, '?'},
    {0x8149, '!'}, {0x814D, '`'},  {0x814F, '^'}, {0x8151, '_'},  {0x815E, '/'}, {0x815F, '\\'},
    {0x8160, '~'}, {0x8162, '|'},  {0x8169, '('}, {0x816A, ')'},  {0x816D, '['}, {0x816E, ']'},
    {0x816F, '{'}, {0x8170, '}'},  {0x817B, '+'}, {0x817C, '-'},  {0x8181, '='}, {0x8183, '<'},
    {0x8184, '>'}, {0x8190, '$'},  {0x8193, '%'}, {0x8194, '#'},  {0x8195, '&'}, {0x8196, '*'},
    {0x8197, '@'}, {0xEEFB, '\''}, {0xEEFC, '"'}, {0xFA56, '\''}, {0xFA57, '"'},
};

// The ASCII character of a full-width sign, or 0.
char16_t FullWidthSign(unsigned code) {
    if ((code >> 8) != 0x81 && code < 0xEE00) {
        return 0;
    }
    for (const SignPair& sign : kFullWidthSigns) {
        if (sign.code == code) {
            return static_cast<char16_t>(sign.ascii);
        }
    }
    return 0;
}

// The full-width katakana (CP932 code) of each half-width katakana byte 0xA1 to 0xDF.
constexpr char16_t kHalfWidthKana[0xE0 - 0xA1] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
    0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
    0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
    0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
    0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};

constexpr unsigned char kHalfVoiced = 0xDE;      // "ﾞ"
constexpr unsigned char kHalfSemiVoiced = 0xDF;  // "ﾟ"

// The full-width katakana of a half-width one with the sound mark after it, or 0 when
// the two do not join: "ｶﾞ" is "ガ" (the next code), "ﾊﾟ" is "パ" (the one after), "ｳﾞ"
// is "ヴ".
char16_t JoinSoundMark(unsigned char kana, unsigned char mark) {
    if (mark == kHalfVoiced) {
        if (kana == 0xB3) {
            return 0x8394;  // "ヴ"
        }
        if ((kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE)) {
            return static_cast<char16_t>(kHalfWidthKana[kana - 0xA1] + 1);
        }
    } else if (mark == kHalfSemiVoiced && kana >= 0xCA && kana <= 0xCE) {
        return static_cast<char16_t>(kHalfWidthKana[kana - 0xA1] + 2);
    }
    return 0;
}

char16_t FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c - 'A' + 'a') : c;
}

// A full-width character (CP932 code) folded: signs, digits and letters to ASCII,
// katakana to hiragana.
char16_t FoldDoubleByte(unsigned code) {
    if (code >= 0x824F && code <= 0x8258) {  // "０" to "９"
        return static_cast<char16_t>(code - 0x824F + '0');
    }
    if (code >= 0x8260 && code <= 0x8279) {  // "Ａ" to "Ｚ"
        return static_cast<char16_t>(code - 0x8260 + 'a');
    }
    if (code >= 0x8281 && code <= 0x829A) {  // "ａ" to "ｚ"
        return static_cast<char16_t>(code - 0x8281 + 'a');
    }
    // "ァ" to "ン" (0x837F is not a character) to "ぁ" to "ん".
    if (code >= 0x8340 && code <= 0x8393 && code != 0x837F) {
        return static_cast<char16_t>(0x829F + (code - 0x8340) - (code >= 0x8380 ? 1 : 0));
    }
    if (code == 0x8152 || code == 0x8153) {  // "ヽ" "ヾ" to "ゝ" "ゞ"
        return static_cast<char16_t>(code + 2);
    }
    if (const char16_t sign = FullWidthSign(code)) {
        return sign;
    }
    return static_cast<char16_t>(code);
}

// A byte that is not a whole character: kept apart from every character.
char16_t StrayByte(unsigned char c) {
    return static_cast<char16_t>(0xFF00 | c);
}

}  // namespace

void AppendFolded(std::string_view cp932, FoldedText& out) {
    const size_t n = cp932.size();
    for (size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(cp932[i]);
        if (c < 0x80) {
            out.push_back(FoldAscii(c));
        } else if (c >= 0xA1 && c <= 0xDF) {
            const unsigned char next = i + 1 < n ? static_cast<unsigned char>(cp932[i + 1]) : 0;
            const char16_t joined = JoinSoundMark(c, next);
            if (joined != 0) {
                ++i;
            }
            out.push_back(FoldDoubleByte(joined != 0 ? joined : kHalfWidthKana[c - 0xA1]));
        } else if (Cp932IsLeadByte(c) && i + 1 < n) {
            const auto trail = static_cast<unsigned char>(cp932[i + 1]);
            if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) {
                out.push_back(FoldDoubleByte((unsigned{c} << 8) | trail));
                ++i;
            } else {
                out.push_back(StrayByte(c));
            }
        } else {
            out.push_back(StrayByte(c));
        }
    }
}
