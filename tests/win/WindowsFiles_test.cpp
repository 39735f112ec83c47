// The Windows file layer with folders of Japanese names and saves that cannot finish: the
// paths are UTF-8 in the program and UTF-16 for the system, and a failed save leaves the
// table as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../xel/XelTestSupport.h"
#include "Backups.h"
#include "Cp932.h"
#include "DataFolder.h"
#include "FileStamp.h"
#include "InstanceGuard.h"
#include "PathText.h"
#include "ScheduleModel.h"
#include "UserFolders.h"
#include "XelFile.h"

namespace {

namespace fs = std::filesystem;

// A fresh folder under the temporary folder, removed again after the test.
class WindowsFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_base = fs::temp_directory_path() /
                 ("pemdaro-win-" + std::to_string(GetCurrentProcessId()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_base);
        fs::create_directories(m_base);
    }
    void TearDown() override { fs::remove_all(m_base); }

    std::vector<std::string> Entries(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(PathText(entry.path().filename()));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_base;
};

// Each name is a data folder as kelnova.ini names it (in CP932): "表" and "ソ" end in the byte
// 0x5C, which is '\' on its own; "髙" is beyond JIS X 0208; the half-width kana are single
// bytes.
TEST_F(WindowsFilesTest, TableInAFolderWithAJapaneseNameIsSavedAndBackedUp) {
    const char* const names[] = {"予定表", "ソフト能力", "髙橋さんの予定", "ﾃﾞｰﾀ",
                                 "データ 2026年①"};
    const std::string old =
        std::string(xeltest::kHeader) + "20261207,0930,1000,1,x,\r\n" + xeltest::kEndMark;
    const std::string memo = Utf8ToCp932("会議").value();
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const std::string utf8Folder = PathText(m_base) + "/" + name;
        ASSERT_TRUE(fs::create_directory(PathOf(utf8Folder)));
        const std::optional<std::string> folder =
            DataFolderFromSetting(Utf8ToCp932(utf8Folder).value());
        ASSERT_EQ(folder, utf8Folder + "/");
        const std::string table = *folder + "kelnova.txt";

        // The atomic save writes the first table; the stamp sees it.
        ASSERT_EQ(XelReplaceFile(table, old), XelWriteResult::kOk);
        EXPECT_EQ(xeltest::ReadBytes(PathOf(table)), old);
        const FileStamp before = FileStampOf(table);
        EXPECT_TRUE(before.exists);
        EXPECT_EQ(before.size, static_cast<int64_t>(old.size()));
        EXPECT_EQ(FileContentHash(table).has_value(), true);

        // The model reads it, backs it up at its first save and writes the new row.
        CScheduleModel model;
        model.SetBackupClock([] { return BackupTime{2026, 12, 7, 17, 45, 1}; });
        testing::internal::CaptureStdout();
        ASSERT_TRUE(model.Open(*folder));
        testing::internal::GetCapturedStdout();
        const DayContent day = model.ReadDay("20261208");
        DayContent after = day;
        after.slots[0] = {"1300", "1400", memo};
        model.WriteDay(day, after);
        ASSERT_TRUE(model.Save()) << model.LastSaveFailure().reason;
        EXPECT_FALSE(model.LastBackupFailure().Failed()) << model.LastBackupFailure().reason;
        model.Close(false);

        EXPECT_NE(xeltest::ReadBytes(PathOf(table)).find("20261208,1300,1400,1," + memo + ",\r\n"),
                  std::string::npos);
        EXPECT_NE(FileStampOf(table), before);
        const std::vector<BackupEntry> backups = ListBackups(table);
        ASSERT_EQ(backups.size(), 1u);
        EXPECT_EQ(xeltest::ReadBytes(PathOf(backups[0].path)), old);
        EXPECT_EQ(backups[0].path, *folder + "kelnova-backup/kelnova-20261207-174501.txt");
        // No temporary file outlives the saves.
        EXPECT_EQ(Entries(PathOf(utf8Folder)),
                  (std::vector<std::string>{"kelnova-backup", "kelnova.txt"}));
    }
}

// Each step of the save that fails leaves the table byte for byte as it was and no
// temporary file beside it; the failure names the step and its errno.
TEST_F(WindowsFilesTest, SaveThatFailsAtAnyStepLeavesTheTableAsItWas) {
    static XelSysCalls failing;
    const struct {
        const char* name;
        void (*inject)(XelSysCalls& calls);
        DbSaveStep step;
        int error;
    } cases[] = {
        {"full disk",
         [](XelSysCalls& c) {
             c.write = [](int, const void*, size_t) -> ssize_t {
                 errno = ENOSPC;
                 return -1;
             };
         },
         DbSaveStep::kWriteTemp, ENOSPC},
        {"flush",
         [](XelSysCalls& c) {
             c.fsync = [](int) {
                 errno = EIO;
                 return -1;
             };
         },
         DbSaveStep::kSyncTemp, EIO},
        {"close",
         [](XelSysCalls& c) {
             c.close = [](int fd) {
                 XelRealSysCalls().close(fd);
                 errno = EIO;
                 return -1;
             };
         },
         DbSaveStep::kCloseTemp, EIO},
        {"replace",
         [](XelSysCalls& c) {
             c.rename = [](const char*, const char*) {
                 errno = EACCES;
                 return -1;
             };
         },
         DbSaveStep::kRename, EACCES},
        {"no fault", [](XelSysCalls&) {}, DbSaveStep::kNone, 0},
    };
    const std::string old = std::string(xeltest::kHeader) + xeltest::kEndMark;
    const std::string now = std::string(200000, 'x');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = m_base / (std::string("予定 ") + c.name);
        fs::create_directory(PathOf(PathText(folder)));
        const std::string table = PathText(folder) + "/予定.txt";
        xeltest::WriteBytes(PathOf(table), old);
        failing = XelRealSysCalls();
        c.inject(failing);
        XelSetSysCalls(&failing);
        DbSaveError why;
        const XelWriteResult result = XelReplaceFile(table, now, &why);
        XelSetSysCalls(nullptr);
        EXPECT_EQ(result,
                  c.step == DbSaveStep::kNone ? XelWriteResult::kOk : XelWriteResult::kFailed);
        EXPECT_EQ(why.step, c.step);
        EXPECT_EQ(why.errnoValue, c.error);
        EXPECT_EQ(why.undoStep, DbSaveStep::kNone);
        EXPECT_TRUE(xeltest::ReadBytes(PathOf(table)) == (c.step == DbSaveStep::kNone ? now : old));
        EXPECT_EQ(Entries(PathOf(PathText(folder))), std::vector<std::string>{"予定.txt"});
    }
    // A folder that is not there takes no temporary file: nothing is made.
    DbSaveError why;
    EXPECT_EQ(XelReplaceFile(PathText(m_base) + "/無い/予定.txt", now, &why),
              XelWriteResult::kOpenFailed);
    EXPECT_EQ(why.step, DbSaveStep::kOpenTemp);
    EXPECT_EQ(why.errnoValue, ENOENT);
}

// The user's folder is %APPDATA%\Pemdaro\, made where missing; the three are one.
TEST_F(WindowsFilesTest, UserFoldersAreThePemdaroFolderOfRoamingAppData) {
    const std::string folder = UserDataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(folder.ends_with("/Pemdaro/")) << folder;
    EXPECT_TRUE(fs::is_directory(PathOf(folder)));
    EXPECT_EQ(UserConfigFolder(), folder);
    EXPECT_EQ(UserStateFolder(), folder);
    const std::wstring appData = _wgetenv(L"APPDATA") != nullptr ? _wgetenv(L"APPDATA") : L"";
    ASSERT_FALSE(appData.empty());
    EXPECT_EQ(PathOf(folder), fs::path(appData) / L"Pemdaro" / L"");
}

// The first copy holds the shared block while it runs; a second copy finds it, and after
// the first one ends the next copy is first again.
TEST_F(WindowsFilesTest, OneCopyHoldsTheSharedBlock) {
    const std::string name = PathText(m_base);
    auto first = std::make_unique<CInstanceGuard>(name);
    EXPECT_TRUE(first->TryBecomeFirst());
    EXPECT_TRUE(first->TryBecomeFirst());  // asking again changes nothing
    CInstanceGuard second(name);
    EXPECT_FALSE(second.TryBecomeFirst());
    CInstanceGuard elsewhere(name + "-other");
    EXPECT_TRUE(elsewhere.TryBecomeFirst());
    first.reset();
    CInstanceGuard next(name);
    EXPECT_TRUE(next.TryBecomeFirst());
}

}  // namespace
