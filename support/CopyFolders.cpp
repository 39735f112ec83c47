#include "CopyFolders.h"

#include <filesystem>
#include <system_error>

#include "DataFolder.h"
#include "FileCalls.h"
#include "IniFile.h"
#include "PathText.h"
#include "UserFolders.h"

namespace {

bool IsFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(PathOf(path), error);
}

}  // namespace

bool DesktopEntryBeside(const std::string& programFolder) {
    std::filesystem::path folder = PathOf(programFolder);
    folder = folder.parent_path();  // without the trailing '/'
    if (folder.filename() != "bin") {
        return false;
    }
    const std::filesystem::path entry =
        folder.parent_path() / "share" / "applications" / (std::string(kAppId) + ".desktop");
    return IsFile(PathText(entry));
}

bool UninstallerBeside(const std::string& programFolder) {
    return !programFolder.empty() && IsFile(programFolder + "uninstall.exe");
}

bool IsInstalledCopy(const CopyFacts& facts) {
    return !facts.programFolderWritable || facts.desktopEntryBeside || facts.uninstallerBeside;
}

std::string SettingsFileFor(const CopyFacts& facts) {
    if (facts.settingsInCurrentFolder || !IsInstalledCopy(facts)) {
        return kSettingsFileName;
    }
    if (!facts.configFolder.empty() && facts.settingsInConfigFolder) {
        return facts.configFolder + kSettingsFileName;
    }
    return {};
}

std::optional<std::string> DataFolderFor(const CopyFacts& facts, const char* setting,
                                         const std::function<std::string()>& userDataFolder) {
    if (setting != nullptr) {
        return DataFolderFromSetting(setting);
    }
    if (!IsInstalledCopy(facts)) {
        return facts.programFolder;
    }
    std::string folder = userDataFolder();
    if (folder.empty()) {
        return std::nullopt;
    }
    return folder;
}

CopyFacts InspectCopy() {
    CopyFacts facts;
    facts.programFolder = ExecutableFolder();
    facts.programFolderWritable =
        !facts.programFolder.empty() && FolderTakesFiles(facts.programFolder);
    facts.desktopEntryBeside =
        !facts.programFolder.empty() && DesktopEntryBeside(facts.programFolder);
    facts.uninstallerBeside = UninstallerBeside(facts.programFolder);
    facts.settingsInCurrentFolder = IsFile(kSettingsFileName);
    if (!facts.settingsInCurrentFolder && IsInstalledCopy(facts)) {
        facts.configFolder = UserConfigFolder();
        facts.settingsInConfigFolder =
            !facts.configFolder.empty() && IsFile(facts.configFolder + kSettingsFileName);
    }
    return facts;
}

void LoadCopySettings(const CopyFacts& facts) {
    IniLoadFrom(SettingsFileFor(facts));
}

std::optional<std::string> DataFolderFromSettings(const CopyFacts& facts) {
    static const char kUnset[] = "";
    const char* setting = IniGet("DATA_DIR", kUnset);
    return DataFolderFor(facts, setting == kUnset ? nullptr : setting, UserDataFolder);
}
