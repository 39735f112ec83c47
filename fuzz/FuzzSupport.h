// Helpers shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace fuzz {

// A heap copy of exactly these bytes, with no terminator and no slack behind them, so
// that AddressSanitizer reports a routine that reads even one byte past the text.
class ExactBytes {
  public:
    explicit ExactBytes(std::string_view bytes)
        : m_data(new char[bytes.size()]), m_size(bytes.size()) {
        if (m_size != 0) {
            std::memcpy(m_data.get(), bytes.data(), m_size);
        }
    }
    std::string_view View() const { return {m_data.get(), m_size}; }

  private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_size;
};

// The bytes as a C string literal, for failure reports.
inline std::string Escaped(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

// The input of the current run, shown with every failure.
inline std::string_view& CurrentInput() {
    static std::string_view input;
    return input;
}

// A property that does not hold ends the run the way a crash does, so that libFuzzer
// keeps the input as an artifact.
[[noreturn]] inline void Fail(const char* property, const std::string& detail) {
    std::fprintf(stderr, "PROPERTY FAILED: %s\ninput: %s\n%s\n", property,
                 Escaped(CurrentInput()).c_str(), detail.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void Check(bool holds, const char* property) {
    if (!holds) {
        Fail(property, {});
    }
}

// `detail` gives more words about the failure; it runs only when the property fails.
template <typename Detail>
void Check(bool holds, const char* property, Detail detail) {
    if (!holds) {
        Fail(property, detail());
    }
}

}  // namespace fuzz
