// Whether a text the user typed can be stored in the schedule table.
//
// The table file cannot hold every text: a cell must not contain a line break (it would
// end the row) nor an ASCII double quote (the reader takes it as the start of a quoted
// cell and the text does not read back), and a row line holds at most 2046 bytes. The
// file is CP932, so a character CP932 has no code for cannot be stored at all. The
// dialogs check every typed or pasted text with these functions and refuse it with the
// message when it cannot be stored; nothing is replaced behind the user's back (the
// message for the double quote names the full-width ＂ as the character to use).
#pragma once

#include <string>
#include <string_view>

namespace dlg {

// Which field a text is for; it decides the row line the text ends in.
enum class TextField {
    kEntry,   // YOTEI of a schedule row: DATE,HHMM,HHMM,k,YOTEI,
    kPeriod,  // YOTEI of a period row: DATE,,,0,YOTEI,
    kTime,    // a time edit: only its first bytes are stored, so only the characters count
    kDate,    // a period date box: read back by the date pattern, the same
};

enum class TextProblem {
    kNone,
    kLineBreak,    // CR or LF
    kDoubleQuote,  // ASCII 0x22
    kTooLong,      // the row line would pass 2046 bytes
    kNotCp932,     // a character without a CP932 code (or bytes that are no character)
};

struct TextVerdict {
    TextProblem problem = TextProblem::kNone;
    std::string badChar;  // UTF-8, for kNotCp932 when the character can be shown
    std::string message;  // UTF-8, the Japanese text for the message box; empty when fine
    bool Ok() const { return problem == TextProblem::kNone; }
};

// The longest YOTEI text, in CP932 bytes, that keeps the row line of the field within
// 2046 bytes. A text with a comma is written in double quotes, two bytes more.
size_t MaxStorableBytes(TextField field, bool hasComma);

// The check for a text already in CP932 bytes.
TextVerdict CheckCp932Text(std::string_view cp932, TextField field);

// The check for a text as the toolkit holds it (UTF-8), before it is converted.
TextVerdict CheckTypedText(std::string_view utf8, TextField field);

}  // namespace dlg
