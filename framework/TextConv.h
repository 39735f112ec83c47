// The one place where the program's CP932 texts meet wx's Unicode strings.
#pragma once

#include <wx/string.h>

#include <optional>
#include <string>
#include <string_view>

namespace fw {

// For display: bytes that are not CP932 show as U+FFFD.
wxString Cp932ToWx(std::string_view cp932);
// Strict: nullopt when the text holds a character CP932 has no code for.
std::optional<std::string> WxToCp932(const wxString& text);
// UTF-8 (source literals, resources) to wx.
wxString Utf8ToWx(std::string_view utf8);
std::string WxToUtf8(const wxString& text);

}  // namespace fw
