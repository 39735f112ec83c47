#include "AppName.h"

#include <gtest/gtest.h>

#include "ExecutablePath.h"

namespace {

TEST(AppNameTest, FileNameWithoutExtension) {
    struct Case {
        const char* path;
        const char* name;
    };
    const Case cases[] = {
        {"/opt/pemdaro/bin/pemdaro", "pemdaro"},
        {"C:\\Program Files\\Kelnova.exe", "Kelnova"},
        {"/usr/bin/my.app.bin", "my.app"},
        {"/home/u/.hidden", ".hidden"},
        {"/home/u.d/run", "run"},  // a dot in a folder name is not an extension
        {"pemdaro", "pemdaro"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fw::AppNameFromPath(c.path), c.name) << c.path;
    }
}

TEST(AppNameTest, TheRunningExecutableIsTheTestProgram) {
    EXPECT_EQ(fw::AppNameFromPath(ExecutablePath()), "unit_tests");
}

}  // namespace
