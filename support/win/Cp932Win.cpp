// CP932 through the system's own code page 932, with the strict flags: a byte sequence
// or a character the other side cannot hold is refused, never replaced by a near one.
#include <windows.h>

#include <climits>

#include "Cp932.h"
#include "WidePath.h"

namespace {

constexpr UINT kCp932 = 932;

// Characters that the CP932 of other systems (iconv) writes as the CP932 character of a
// look-alike, and code page 932 refuses: each is given its look-alike first, so that a text
// typed on Linux saves the same on Windows.
constexpr struct {
    wchar_t from, to;
} kLookAlikes[] = {
    {0x00A2, 0xFFE0},  // cent sign
    {0x00A3, 0xFFE1},  // pound sign
    {0x00A5, 0x005C},  // yen sign, as the byte 0x5C
    {0x00AC, 0xFFE2},  // not sign
    {0x2014, 0x2015},  // em dash
    {0x2016, 0x2225},  // double vertical line
    {0x203E, 0x007E},  // overline, as the byte 0x7E
    {0x2212, 0xFF0D},  // minus sign
    {0x301C, 0xFF5E},  // wave dash
};

// Whether a byte that starts no CP932 character stands alone: 0x80, 0xA0 and 0xFD to 0xFF,
// which code page 932 takes (as U+0080 and private-use characters) and iconv refuses.
bool HasStrayByte(std::string_view cp932) {
    for (size_t i = 0; i < cp932.size(); ++i) {
        const auto byte = static_cast<unsigned char>(cp932[i]);
        if (Cp932IsLeadByte(byte)) {
            ++i;
        } else if (byte == 0x80 || byte == 0xA0 || byte >= 0xFD) {
            return true;
        }
    }
    return false;
}

// Strict CP932 to UTF-16: nullopt at the first sequence that is not CP932.
std::optional<std::wstring> Cp932ToWide(std::string_view cp932) {
    if (HasStrayByte(cp932)) {
        return std::nullopt;
    }
    return MultiByteToWide(kCp932, cp932);
}

// The length of the CP932 character at the start of `cp932` (1 or 2 bytes); 0 when it is
// not one.
size_t CharLength(std::string_view cp932) {
    if (cp932.size() >= 2 && Cp932IsLeadByte(static_cast<unsigned char>(cp932[0])) &&
        Cp932ToWide(cp932.substr(0, 2))) {
        return 2;
    }
    return Cp932ToWide(cp932.substr(0, 1)) ? 1 : 0;
}

}  // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
    const std::optional<std::wstring> wide = Cp932ToWide(cp932);
    if (!wide) {
        return std::nullopt;
    }
    return WideToUtf8(*wide);
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
    std::optional<std::wstring> wide = Utf8ToWide(utf8);
    if (!wide) {
        return std::nullopt;
    }
    for (wchar_t& c : *wide) {
        for (const auto& pair : kLookAlikes) {
            if (c == pair.from) {
                c = pair.to;
            }
        }
    }
    if (wide->empty()) {
        return std::string();
    }
    if (wide->size() > INT_MAX / 2) {
        return std::nullopt;
    }
    const int inSize = static_cast<int>(wide->size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide->data(), inSize,
                                         nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string cp932(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide->data(), inSize, cp932.data(), size,
                            nullptr, &usedDefault) != size ||
        usedDefault) {
        return std::nullopt;
    }
    // A character without a CP932 form that the code page still writes as '?' or a
    // near character shows as text that does not convert back to itself.
    if (Cp932ToWide(cp932) != wide) {
        return std::nullopt;
    }
    return cp932;
}

std::string Cp932ToUtf8Lossy(std::string_view cp932) {
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
    if (std::optional<std::string> whole = Cp932ToUtf8(cp932)) {
        return *whole;
    }
    // Character by character: each byte that starts no CP932 character becomes one
    // replacement, and the text goes on at the next byte.
    std::string out;
    std::wstring wide;
    while (!cp932.empty()) {
        const size_t length = CharLength(cp932);
        if (length == 0) {
            out += WideToUtf8(wide).value_or(std::string());
            wide.clear();
            out += kReplacement;
            cp932.remove_prefix(1);
            continue;
        }
        wide += Cp932ToWide(cp932.substr(0, length)).value_or(std::wstring());
        cp932.remove_prefix(length);
    }
    out += WideToUtf8(wide).value_or(std::string());
    return out;
}
