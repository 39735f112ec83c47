// CP932 (Windows Shift-JIS) <-> UTF-8, strict: a byte sequence or a character the other
// side cannot hold makes the conversion fail; nothing is replaced or dropped.
#pragma once

#include <optional>
#include <string>
#include <string_view>

std::optional<std::string> Cp932ToUtf8(std::string_view cp932);
std::optional<std::string> Utf8ToCp932(std::string_view utf8);
// For display only: bytes that are not CP932 show as U+FFFD, one per bad byte.
std::string Cp932ToUtf8Lossy(std::string_view cp932);
