#include "DataFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

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

TEST(DataFolderTest, ExecutableFolderHoldsTheRunningProgram) {
    std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "unit_tests"));
}

}  // namespace
