#include "CopyFolders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

// Each row: where the program is, which settings files exist, DATA_DIR and what the user's
// data folder gives; then the copy's kind, the settings file read, the data folder and
// whether the user's data folder was asked for (it is created when asked).
TEST(CopyFoldersTest, ChoosesTheSettingsFileAndTheDataFolder) {
    struct Case {
        const char* what;
        bool writable;
        bool desktopEntry;
        bool iniHere;
        const char* configFolder;
        bool iniInConfig;
        const char* setting;  // nullptr: no DATA_DIR
        const char* userData;
        bool installed;
        const char* settingsFile;
        std::optional<std::string> dataFolder;
        bool askedUserData;
    };
    const std::optional<std::string> none;
    const Case cases[] = {
        {"built copy: table beside the program", true, false, false, "", false, nullptr,
         "/h/.local/share/pemdaro/", false, "kelnova.ini", "/opt/build/", false},
        {"built copy ignores the config folder", true, false, false, "/h/.config/pemdaro/", true,
         nullptr, "/h/.local/share/pemdaro/", false, "kelnova.ini", "/opt/build/", false},
        {"built copy with DATA_DIR", true, false, true, "", false, "/d", "", false, "kelnova.ini",
         "/d/", false},
        {"built copy, DATA_DIR= means the current folder", true, false, true, "", false, "", "",
         false, "kelnova.ini", "", false},
        {"read-only folder: the user's data folder", false, false, false, "/h/.config/pemdaro/",
         false, nullptr, "/h/.local/share/pemdaro/", true, "", "/h/.local/share/pemdaro/", true},
        {"root's copy of a prefix: writable but installed", true, true, false,
         "/root/.config/pemdaro/", false, nullptr, "/root/.local/share/pemdaro/", true, "",
         "/root/.local/share/pemdaro/", true},
        {"installed: kelnova.ini from the config folder", false, true, false, "/h/.config/pemdaro/",
         true, "/srv/team", "/h/.local/share/pemdaro/", true, "/h/.config/pemdaro/kelnova.ini",
         "/srv/team/", false},
        {"installed: the current folder first", false, true, true, "/h/.config/pemdaro/", true,
         nullptr, "/h/.local/share/pemdaro/", true, "kelnova.ini", "/h/.local/share/pemdaro/",
         true},
        {"installed without a config folder (no HOME)", false, true, false, "", true, nullptr, "",
         true, "", none, true},
        {"installed, DATA_DIR not CP932", false, true, true, "", false, "/d/\x82", "/u/", true,
         "kelnova.ini", none, false},
    };
    for (const Case& c : cases) {
        CopyFacts facts;
        facts.programFolder = "/opt/build/";
        facts.programFolderWritable = c.writable;
        facts.desktopEntryBeside = c.desktopEntry;
        facts.settingsInCurrentFolder = c.iniHere;
        facts.configFolder = c.configFolder;
        facts.settingsInConfigFolder = c.iniInConfig;
        bool asked = false;
        const auto userData = [&] {
            asked = true;
            return std::string(c.userData);
        };
        EXPECT_EQ(IsInstalledCopy(facts), c.installed) << c.what;
        EXPECT_EQ(SettingsFileFor(facts), c.settingsFile) << c.what;
        EXPECT_EQ(DataFolderFor(facts, c.setting, userData), c.dataFolder) << c.what;
        EXPECT_EQ(asked, c.askedUserData) << c.what;
    }
}

// The desktop entry is looked for in the real file system, beside "<prefix>/bin/" only;
// the uninstaller in the program's own folder.
TEST(CopyFoldersTest, FindsTheDesktopEntryOfThePrefixAndTheUninstaller) {
    const fs::path prefix =
        fs::temp_directory_path() / ("pemdaro_prefix_" + std::to_string(getpid()));
    fs::remove_all(prefix);
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "games");
    fs::create_directories(prefix / "share" / "applications");
    const std::string bin = (prefix / "bin").string() + "/";
    const fs::path entry = prefix / "share" / "applications" / (std::string(kAppId) + ".desktop");

    EXPECT_FALSE(DesktopEntryBeside(bin)) << "no entry yet";
    fs::create_directory(entry);
    EXPECT_FALSE(DesktopEntryBeside(bin)) << "a folder of that name is no entry";
    fs::remove(entry);
    std::ofstream(entry) << "[Desktop Entry]\n";
    EXPECT_TRUE(DesktopEntryBeside(bin));
    EXPECT_FALSE(DesktopEntryBeside((prefix / "games").string() + "/")) << "not a bin folder";
    EXPECT_FALSE(DesktopEntryBeside(""));

    // The Windows installer's folder: its uninstaller beside the program, which a copy run
    // as administrator may write to, keeps the table in the user's folder all the same.
    const std::string installed = (prefix / "games").string() + "/";
    EXPECT_FALSE(UninstallerBeside(installed));
    fs::create_directory(prefix / "games" / "uninstall.exe");
    EXPECT_FALSE(UninstallerBeside(installed)) << "a folder of that name is no uninstaller";
    fs::remove(prefix / "games" / "uninstall.exe");
    std::ofstream(prefix / "games" / "uninstall.exe") << "MZ";
    EXPECT_TRUE(UninstallerBeside(installed));
    EXPECT_FALSE(UninstallerBeside(""));
    CopyFacts administrator;
    administrator.programFolder = installed;
    administrator.programFolderWritable = true;
    administrator.uninstallerBeside = true;
    administrator.configFolder = "C:/Users/u/AppData/Roaming/Pemdaro/";
    EXPECT_TRUE(IsInstalledCopy(administrator));
    EXPECT_EQ(SettingsFileFor(administrator), "");
    EXPECT_EQ(DataFolderFor(administrator, nullptr, [] { return std::string("C:/u/"); }), "C:/u/");
    fs::remove_all(prefix);

    // These tests run from the build folder, where they were just written: not installed.
    const CopyFacts facts = InspectCopy();
    EXPECT_TRUE(facts.programFolderWritable);
    EXPECT_FALSE(facts.uninstallerBeside);
    EXPECT_FALSE(IsInstalledCopy(facts));
}

}  // namespace
