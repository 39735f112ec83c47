// Where a copy of Pemdaro keeps its settings and its table. A copy run where it was built
// or unpacked keeps both as it always has: kelnova.ini in the current folder, the table
// beside the program file. An installed copy cannot write beside its program file, so it
// uses the user's own folders: kelnova.ini from the current folder or else
// $XDG_CONFIG_HOME/pemdaro/, the table in $XDG_DATA_HOME/pemdaro/.
//
// A copy counts as installed when the user may not write to the folder of its program
// file, or when that folder is the bin/ of a prefix that holds the program's desktop entry
// (share/applications/<kAppId>.desktop), as `cmake --install` and the Debian package
// leave it, or when that folder holds the uninstaller of the Windows installer
// (uninstall.exe). The last two make root's copy of /usr/bin/pemdaro, and a copy in
// Program Files run as administrator, installed ones too, though they may write there.
#pragma once

#include <functional>
#include <optional>
#include <string>

// The application id: the desktop entry, the metainfo file and the icon are named by it.
inline constexpr char kAppId[] = "io.github.pemdaro.Pemdaro";

// The name of the settings file.
inline constexpr char kSettingsFileName[] = "kelnova.ini";

// What decides where the files go, found by InspectCopy.
struct CopyFacts {
    std::string programFolder;  // the program file's folder, ending with '/'
    bool programFolderWritable = false;
    bool desktopEntryBeside = false;       // ../share/applications/<kAppId>.desktop exists
    bool uninstallerBeside = false;        // <programFolder>uninstall.exe exists
    bool settingsInCurrentFolder = false;  // ./kelnova.ini exists
    std::string configFolder;              // UserConfigFolder(); empty when there is none
    bool settingsInConfigFolder = false;   // <configFolder>kelnova.ini exists
};

// Whether "<prefix>/share/applications/<kAppId>.desktop" is a file, for a program folder
// "<prefix>/bin/"; false for a folder of another name.
bool DesktopEntryBeside(const std::string& programFolder);

// Whether "<programFolder>uninstall.exe", the Windows installer's uninstaller, is a file.
bool UninstallerBeside(const std::string& programFolder);

// Whether the facts describe an installed copy (see above).
bool IsInstalledCopy(const CopyFacts& facts);

// The settings file to read: "kelnova.ini" in the current folder when it is there or the
// copy is not installed; else the one in the configuration folder when it is there; else
// none (empty).
std::string SettingsFileFor(const CopyFacts& facts);

// The data folder in the file system's encoding. `setting` is DATA_DIR as read (CP932),
// nullptr when there is none. With a setting: that folder (DataFolderFromSetting). Without
// one: the program's folder for a copy that is not installed, else `userDataFolder()`,
// which is asked only then (it creates the folder). nullopt when the setting is no CP932
// text or the user's data folder cannot be had (empty).
std::optional<std::string> DataFolderFor(const CopyFacts& facts, const char* setting,
                                         const std::function<std::string()>& userDataFolder);

// The facts of the running program, from the file system and the environment.
CopyFacts InspectCopy();

// Loads this copy's settings (IniLoadFrom of SettingsFileFor; none when there is no file).
void LoadCopySettings(const CopyFacts& facts);

// The data folder the loaded settings give this copy: DataFolderFor with DATA_DIR and
// UserDataFolder. The window and the command line find the table through it alike.
std::optional<std::string> DataFolderFromSettings(const CopyFacts& facts);
