#include "Cp932.h"

#include <iconv.h>

#include <cerrno>

namespace {

// One iconv descriptor per direction and thread, opened at first use. Strict names only:
// "//TRANSLIT" or "//IGNORE" would change or drop characters without telling.
class Converter {
  public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (Ok()) {
            iconv_close(m_cd);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts from `in` onwards, appending to `out`. Stops at the end of the input (true)
    // or at a byte sequence that cannot be converted (false; `in` then points at it).
    bool Convert(std::string_view& in, std::string& out) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        char chunk[1024];
        while (!in.empty()) {
            char* src = const_cast<char*>(in.data());
            std::size_t srcLeft = in.size();
            char* dst = chunk;
            std::size_t dstLeft = sizeof chunk;
            const std::size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            const int err = errno;
            out.append(chunk, static_cast<std::size_t>(dst - chunk));
            in.remove_prefix(in.size() - srcLeft);
            if (rc != static_cast<std::size_t>(-1)) {
                continue;
            }
            if (err != E2BIG) {
                return false;  // EILSEQ, EINVAL (a cut sequence at the end) and the rest
            }
        }
        return true;
    }

  private:
    iconv_t m_cd;
};

Converter& FromCp932() {
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

Converter& ToCp932() {
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

std::optional<std::string> ConvertStrict(Converter& converter, std::string_view in) {
    if (!converter.Ok()) {
        return std::nullopt;
    }
    std::string out;
    if (!converter.Convert(in, out)) {
        return std::nullopt;
    }
    return out;
}

}  // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
    return ConvertStrict(FromCp932(), cp932);
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
    return ConvertStrict(ToCp932(), utf8);
}

std::string Cp932ToUtf8Lossy(std::string_view cp932) {
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
    Converter& converter = FromCp932();
    std::string out;
    if (!converter.Ok()) {
        for (std::size_t i = 0; i < cp932.size(); ++i) {
            out += kReplacement;
        }
        return out;
    }
    while (!converter.Convert(cp932, out)) {
        out += kReplacement;
        cp932.remove_prefix(1);
    }
    return out;
}
