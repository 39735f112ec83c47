#include "DataFolder.h"

#include <unistd.h>

#include <climits>

#include "Cp932.h"

namespace {

// Lead bytes of CP932 double-byte characters.
bool IsCp932Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace

std::string ExecutableFolder() {
    char path[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return {};
    }
    std::string folder(path, static_cast<size_t>(n));
    return folder.substr(0, folder.rfind('/') + 1);
}

bool Cp932EndsWithChar(std::string_view text, char ch) {
    size_t i = 0;
    size_t last = std::string_view::npos;
    while (i < text.size()) {
        last = i;
        i += IsCp932Lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    }
    return last != std::string_view::npos && i - last == 1 && text[last] == ch;
}

std::optional<std::string> DataFolderFromSetting(std::string_view cp932Value) {
    std::string folder(cp932Value);
    if (!folder.empty() && !Cp932EndsWithChar(folder, '/')) {
        folder += '/';
    }
    return Cp932ToUtf8(folder);
}
