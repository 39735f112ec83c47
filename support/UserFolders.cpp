#include "UserFolders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

// The folder named by an XDG variable when it is absolute, else `fallback` under $HOME;
// with "pemdaro/" appended and created (mode 0700) where missing.
std::string PemdaroFolder(const char* variable, const char* fallback) {
    std::filesystem::path base;
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        base = value;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/') {
            return {};
        }
        base = std::filesystem::path(home) / fallback;
    }
    const std::filesystem::path folder = base / "pemdaro";
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        std::filesystem::create_directories(folder, error);
        if (error) {
            return {};
        }
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, error);
    }
    return folder.string() + "/";
}

}  // namespace

std::string UserStateFolder() {
    return PemdaroFolder("XDG_STATE_HOME", ".local/state");
}

std::string UserConfigFolder() {
    return PemdaroFolder("XDG_CONFIG_HOME", ".config");
}

std::string UserDataFolder() {
    return PemdaroFolder("XDG_DATA_HOME", ".local/share");
}
