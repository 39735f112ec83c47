// Crashes during a save: a process killed at any moment leaves exactly the old or
// exactly the new file, and its temporary file is cleared, never read, at the next open.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "XelDatabase.h"
#include "XelFile.h"
#include "XelTestSupport.h"

namespace {

using xeltest::kEndMark;
using xeltest::kHeader;
using xeltest::ReadBytes;
using xeltest::StoreTest;
using xeltest::WriteBytes;

// A process id that is certainly not running: a child that has ended and been reaped.
pid_t DeadPid() {
    pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST_F(StoreTest, TemporaryFilesOfEndedSavesAreRemovedAndNeverRead) {
    WriteBytes(TablePath(), std::string(kHeader) + "20070305,,,1,kept,\r\n" + kEndMark);
    const std::string stale = "kelnova.txt.tmp-" + std::to_string(DeadPid()) + "-0";
    const std::string staleOld = stale + ".old";
    const std::string own = "kelnova.txt.tmp-" + std::to_string(::getpid()) + "-7";
    const std::string running = "kelnova.txt.tmp-1-0";  // pid 1 always runs
    const std::string other = "other.txt.tmp-" + std::to_string(DeadPid()) + "-0";
    for (const std::string& name : {stale, staleOld, own, running, other}) {
        WriteBytes(m_dir / name, std::string(kHeader) + "20070306,,,1,half,\r\n");
    }
    DbTable* table = DbOpenTable("kelnova");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(xeltest::Rows(table).size(), 1u);
    auto entries = FolderEntries();
    std::sort(entries.begin(), entries.end());
    std::vector<std::string> expected{"kelnova.txt", own, running, other};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries, expected);
}

// Saves of a 100,000-row table killed with SIGKILL at random moments.
TEST_F(StoreTest, KillDuringSaveLeavesTheOldOrTheNewFile) {
    const int kRows = 100000;
    const int kKills = 200;
    DbTable* table = DbOpenTable("kelnova");
    ASSERT_NE(table, nullptr);
    for (int i = 0; i < kRows; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "%08d,0930,1000,%d,\x89\xEF\x8B\x63 %d,",
                      19900101 + i / 10, i % 4 + 1, i);  // 会議 n
        DbAddRow(table, line);
    }
    ASSERT_EQ(DbWriteTable("kelnova"), 0);
    const std::string oldBytes = ReadBytes(TablePath());
    const auto start = std::chrono::steady_clock::now();
    DbAddRow(table, "20261207,,,1,new,");
    ASSERT_EQ(DbWriteTable("kelnova"), 0);
    const auto saveTime = std::chrono::steady_clock::now() - start;
    const std::string newBytes = ReadBytes(TablePath());
    DbDeleteRow(table, DbRowCount(table) - 1);
    ASSERT_NE(oldBytes, newBytes);

    std::mt19937 random(20261207);
    const auto window = std::chrono::duration_cast<std::chrono::microseconds>(saveTime) * 3 / 2;
    std::uniform_int_distribution<long> delay(0, window.count());
    int sawOld = 0, sawNew = 0, leftovers = 0;
    for (int i = 0; i < kKills; ++i) {
        WriteBytes(TablePath(), oldBytes);
        pid_t child = ::fork();
        if (child == 0) {
            DbAddRow(table, "20261207,,,1,new,");
            ::_exit(DbWriteTable("kelnova") == 0 ? 0 : 1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string bytes = ReadBytes(TablePath());
        ASSERT_TRUE(bytes == oldBytes || bytes == newBytes) << "kill " << i;
        (bytes == oldBytes ? sawOld : sawNew) += 1;
        leftovers += XelRemoveStaleTemps(TablePath().string());
        ASSERT_EQ(FolderEntries(), std::vector<std::string>{"kelnova.txt"});
    }
    std::printf("%d kills: %d old file, %d new file, %d temporary files cleared\n", kKills, sawOld,
                sawNew, leftovers);
    // The kills must have landed on both sides of the rename and inside the writing.
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
    EXPECT_GT(leftovers, 0);

    // The next start reads what is there.
    DbCloseTable("kelnova", 0);
    table = DbOpenTable("kelnova");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(DbRowCount(table), ReadBytes(TablePath()) == newBytes ? kRows + 1 : kRows);
}

}  // namespace
