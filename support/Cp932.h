// CP932 (Windows Shift-JIS) <-> UTF-8, strict: a byte sequence or a character the other
// side cannot hold makes the conversion fail; nothing is replaced or dropped.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The first byte of a CP932 double-byte character: 0x81-0x9F or 0xE0-0xFC. The byte after
// it may be an ASCII byte ("表" is 0x95 0x5C), so a text is read character by character.
inline bool Cp932IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::optional<std::string> Cp932ToUtf8(std::string_view cp932);
std::optional<std::string> Utf8ToCp932(std::string_view utf8);
// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, at most
// U+10FFFF).
bool Utf8IsValid(std::string_view text);
// For display only: bytes that are not CP932 show as U+FFFD, one per bad byte.
std::string Cp932ToUtf8Lossy(std::string_view cp932);
