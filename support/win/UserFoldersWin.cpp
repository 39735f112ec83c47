// On Windows the user's folders are one: %APPDATA%\Pemdaro\ (the roaming application data
// folder), which holds the settings, the table and the program's state.
#include <shlobj.h>
#include <windows.h>

#include <filesystem>
#include <system_error>

#include "UserFolders.h"
#include "WidePath.h"

namespace {

std::string PemdaroFolder() {
    PWSTR appData = nullptr;
    const HRESULT found =
        SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &appData);
    if (FAILED(found) || appData == nullptr) {
        CoTaskMemFree(appData);
        return {};
    }
    const std::filesystem::path folder = std::filesystem::path(appData) / L"Pemdaro";
    CoTaskMemFree(appData);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        std::filesystem::create_directories(folder, error);
        if (error) {
            return {};
        }
    }
    const std::string path = Utf8Path(folder.native());
    return path.empty() ? std::string() : path + "/";
}

}  // namespace

std::string UserStateFolder() {
    return PemdaroFolder();
}

std::string UserConfigFolder() {
    return PemdaroFolder();
}

std::string UserDataFolder() {
    return PemdaroFolder();
}
