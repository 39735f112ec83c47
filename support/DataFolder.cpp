#include "DataFolder.h"

#include <filesystem>
#include <system_error>

#include "Cp932.h"
#include "ExecutablePath.h"
#include "PathText.h"

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

std::string CannotCreateDataMessage(const std::optional<std::string>& folder) {
    const std::string first = "データファイルを作成できません。";
    if (!folder) {
        return first + "kelnova.ini の DATA_DIR が読めない文字を含んでいます。";
    }
    std::string shown = *folder;
    // Relative to the current folder; "/srv" on Windows names the current drive's root.
    if (!PathOf(shown).has_root_directory()) {
        std::error_code error;
        std::string base = PathText(std::filesystem::current_path(error));
        if (!error) {
            if (base.empty() || base.back() != '/') {
                base += '/';
            }
            shown = base + shown;
        }
    }
    return first + "データファイル作成フォルダ「" + shown +
           "」の指定が間違っている可能性があります。";
}
