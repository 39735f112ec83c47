#include "StorableText.h"

#include <cstdio>
#include <limits>
#include <optional>

#include "Cp932.h"

namespace dlg {

namespace {

// A row line without its line break holds at most this many bytes.
constexpr size_t kRowLineLimit = 2046;
// The cells around YOTEI with their five commas: DATE(8),FROM(4),TO(4),INDEX(1),YOTEI,
// SYUKUJITU(0) for a schedule row; DATE(8),,,0,YOTEI, for a period row.
constexpr size_t kEntryRowOverhead = 8 + 4 + 4 + 1 + 0 + 5;
constexpr size_t kPeriodRowOverhead = 8 + 0 + 0 + 1 + 0 + 5;
constexpr size_t kQuotes = 2;

TextVerdict Refuse(TextProblem problem, std::string message, std::string badChar = {}) {
    return TextVerdict{problem, std::move(badChar), std::move(message)};
}

TextVerdict LineBreak() {
    return Refuse(TextProblem::kLineBreak, "改行は入力できません。");
}

TextVerdict DoubleQuote() {
    return Refuse(TextProblem::kDoubleQuote,
                  "半角の二重引用符（\"）は保存できません。全角の＂を使ってください。");
}

TextVerdict NotCp932(std::string badChar) {
    if (badChar.empty()) {
        return Refuse(TextProblem::kNotCp932, "保存できない文字が含まれています。");
    }
    std::string message = "「" + badChar + "」は保存できない文字です。";
    return Refuse(TextProblem::kNotCp932, std::move(message), std::move(badChar));
}

// Checks the structural bytes, which are single-byte in both encodings and never the
// second byte of a CP932 character.
std::optional<TextVerdict> CheckStructuralBytes(std::string_view text) {
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            return LineBreak();
        }
        if (c == '"') {
            return DoubleQuote();
        }
    }
    return std::nullopt;
}

TextVerdict CheckLength(std::string_view cp932, TextField field) {
    const bool hasComma = cp932.find(',') != std::string_view::npos;
    const size_t limit = MaxStorableBytes(field, hasComma);
    if (cp932.size() <= limit) {
        return {};
    }
    char message[160];
    std::snprintf(message, sizeof message,
                  "入力が長すぎます。保存できるのは半角で%zu文字（全角で%zu文字）までです。", limit,
                  limit / 2);
    return Refuse(TextProblem::kTooLong, message);
}

// Length of the UTF-8 sequence starting with this byte; 0 for a byte no sequence starts
// with.
size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// The first character of a UTF-8 text that CP932 cannot hold: the character, or an
// empty text when the text is not UTF-8 at that point.
std::string FirstCharNotInCp932(std::string_view utf8) {
    size_t i = 0;
    while (i < utf8.size()) {
        const size_t len = Utf8SequenceLength(static_cast<unsigned char>(utf8[i]));
        if (len == 0 || i + len > utf8.size()) {
            return {};
        }
        const std::string_view ch = utf8.substr(i, len);
        if (!Utf8ToCp932(ch)) {
            return std::string(ch);
        }
        i += len;
    }
    return {};
}

}  // namespace

size_t MaxStorableBytes(TextField field, bool hasComma) {
    size_t overhead = 0;
    switch (field) {
        case TextField::kEntry:
            overhead = kEntryRowOverhead;
            break;
        case TextField::kPeriod:
            overhead = kPeriodRowOverhead;
            break;
        case TextField::kTime:
        case TextField::kDate:
            return std::numeric_limits<size_t>::max();
    }
    return kRowLineLimit - overhead - (hasComma ? kQuotes : 0);
}

TextVerdict CheckCp932Text(std::string_view cp932, TextField field) {
    if (auto refused = CheckStructuralBytes(cp932)) {
        return *refused;
    }
    if (!Cp932ToUtf8(cp932)) {
        return NotCp932({});
    }
    return CheckLength(cp932, field);
}

TextVerdict CheckTypedText(std::string_view utf8, TextField field) {
    if (auto refused = CheckStructuralBytes(utf8)) {
        return *refused;
    }
    const std::optional<std::string> cp932 = Utf8ToCp932(utf8);
    if (!cp932) {
        return NotCp932(FirstCharNotInCp932(utf8));
    }
    return CheckLength(*cp932, field);
}

}  // namespace dlg
