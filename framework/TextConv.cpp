#include "TextConv.h"

#include "Cp932.h"

namespace fw {

wxString Cp932ToWx(std::string_view cp932) {
    return Utf8ToWx(Cp932ToUtf8Lossy(cp932));
}

std::optional<std::string> WxToCp932(const wxString& text) {
    return Utf8ToCp932(WxToUtf8(text));
}

wxString Utf8ToWx(std::string_view utf8) {
    return wxString::FromUTF8(utf8.data(), utf8.size());
}

std::string WxToUtf8(const wxString& text) {
    const wxScopedCharBuffer buffer = text.utf8_str();
    return std::string(buffer.data(), buffer.length());
}

}  // namespace fw
