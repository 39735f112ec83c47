#include "DataFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "PathText.h"

namespace {

TEST(DataFolderTest, JudgesTheLastCharacterNotTheLastByte) {
    struct Case {
        std::string text;
        char ch;
        bool ends;
    };
    const Case cases[] = {
        {"/home/a/", '/', true},        {"/home/a", '/', false}, {"", '/', false},
        {"\x95\x5C", '\\', false},       // 表: second byte 0x5C is no backslash
        {"D:\\\x95\x5C", '\\', false},   // D:\表
        {"D:\\\x95\x5C\\", '\\', true},  // D:\表\  (backslash)
        {"\x83\x5C\x5C", '\\', true},    // ソ then a real backslash
        {"a\x95", '\x95', true},         // a lone lead byte at the end is a character
        {"\xB1/", '/', true},            // half-width katakana is one byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cp932EndsWithChar(c.text, c.ch), c.ends) << c.text;
    }
}

TEST(DataFolderTest, AppendsTheSeparatorAndConvertsToTheFileSystem) {
    struct Case {
        std::string setting;
        std::optional<std::string> folder;
    };
    const Case cases[] = {
        {"/data/schedule", "/data/schedule/"},
        {"/data/schedule/", "/data/schedule/"},
        {"", ""},  // the current directory
        {"relative", "relative/"},
        {"/d/\x95\x5C", "/d/表/"},
        {"/d/\x95\x5C/", "/d/表/"},
        {"/d/\x82", std::nullopt},  // a lead byte with no second byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DataFolderFromSetting(c.setting), c.folder) << c.setting;
    }
}

TEST(DataFolderTest, TheCannotCreateMessageNamesTheFolderAsAnAbsolutePath) {
    const std::string cwd = std::filesystem::current_path().string();
    const std::string here = cwd == "/" ? "/" : cwd + "/";
    struct Case {
        std::optional<std::string> folder;
        std::string named;
    };
    const Case cases[] = {
        {"/srv/予定/missing/", "「/srv/予定/missing/」"},
        {"", "「" + here + "」"},                  // DATA_DIR= : the current directory
        {"sub/dir/", "「" + here + "sub/dir/」"},  // relative to it
        {std::nullopt, "DATA_DIR"},                // a setting that is no CP932 text
    };
    for (const Case& c : cases) {
        const std::string message = CannotCreateDataMessage(c.folder);
        EXPECT_EQ(message.rfind("データファイルを作成できません。", 0), 0u) << message;
        EXPECT_NE(message.find(c.named), std::string::npos) << message;
    }
}

TEST(DataFolderTest, ExecutableFolderHoldsTheRunningProgram) {
    std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(PathOf(folder + "unit_tests" PEMDARO_EXE_SUFFIX)));
}

}  // namespace
