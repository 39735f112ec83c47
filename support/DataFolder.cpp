#include "DataFolder.h"

#include "Cp932.h"
#include "ExecutablePath.h"
#include "IniFile.h"

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    return path.substr(0, path.rfind('/') + 1);
}

bool Cp932EndsWithChar(std::string_view text, char ch) {
    size_t i = 0;
    size_t last = std::string_view::npos;
    while (i < text.size()) {
        last = i;
        i += Cp932IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
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

std::optional<std::string> DataFolderFromSettings() {
    static const char kUnset[] = "";
    const char* setting = IniGet("DATA_DIR", kUnset);
    if (setting == kUnset) {
        return ExecutableFolder();
    }
    return DataFolderFromSetting(setting);
}
