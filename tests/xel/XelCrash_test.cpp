// Crashes during a save: a process killed at any moment leaves exactly the old or
// exactly the new file, and its temporary file is cleared, never read, at the next open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <iterator>
#include <map>
#include <random>
#include <vector>

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

// A forked saver reports where its save has got to through a pipe: one record, with the
// time on the monotonic clock (the same in every process), as each step is reached.
enum Phase : char {
    kSaveStarts = 's',    // DbWriteTable is called
    kTempCreated = 't',   // the temporary file exists
    kRenaming = 'r',      // its bytes are synced; the rename is called
    kRenamed = 'R',       // the rename has returned
    kSaveReturned = 'd',  // DbWriteTable has returned
};
const Phase kPhases[] = {kSaveStarts, kTempCreated, kRenaming, kRenamed, kSaveReturned};

struct PhaseRecord {
    char phase;
    int64_t nanos;
};

int64_t MonotonicNanos() {
    timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

int g_phaseFd = -1;

// One write of a few bytes to a pipe is atomic: a kill never leaves half a record.
void Report(Phase phase) {
    const PhaseRecord record{phase, MonotonicNanos()};
    [[maybe_unused]] ssize_t n = ::write(g_phaseFd, &record, sizeof record);
}

int ReportingOpen(const char* path, int flags, mode_t mode) {
    const int fd = XelRealSysCalls().open(path, flags, mode);
    if (fd >= 0 && (flags & O_EXCL)) {  // only the temporary file is created exclusively
        Report(kTempCreated);
    }
    return fd;
}

int ReportingRename(const char* from, const char* to) {
    Report(kRenaming);
    const int result = XelRealSysCalls().rename(from, to);
    Report(kRenamed);
    return result;
}

// Forks a child that adds a row and saves the table, reporting its phases on a pipe.
// Returns the child's pid; `readFd` is the reading end.
pid_t ForkSaver(DbTable* table, int& readFd) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        g_phaseFd = fds[1];
        XelSysCalls calls = XelRealSysCalls();
        calls.open = ReportingOpen;
        calls.rename = ReportingRename;
        XelSetSysCalls(&calls);
        DbAddRow(table, "20261207,,,1,new,");
        Report(kSaveStarts);
        const int result = DbWriteTable("kelnova");
        Report(kSaveReturned);
        ::_exit(result == 0 ? 0 : 1);
    }
    ::close(fds[1]);
    readFd = fds[0];
    return child;
}

// Reads records until `phase` arrives (its time is returned) or the pipe ends (-1).
int64_t WaitForPhase(int fd, Phase phase, char& last) {
    PhaseRecord record;
    while (::read(fd, &record, sizeof record) == static_cast<ssize_t>(sizeof record)) {
        last = record.phase;
        if (record.phase == phase) {
            return record.nanos;
        }
    }
    return -1;
}

// Saves of a 100,000-row table killed with SIGKILL at moments spread over every step of
// the save. Each kill waits for one step the saver reports, then for a random part of the
// time the next step took in unkilled saves of the same forked kind: so the kills cover
// the whole save however fast this machine writes, and each outcome can be held against
// the step the saver had reached when it died. It takes seconds: suites named
// *StressTest carry the ctest label "stress".
using StoreStressTest = StoreTest;
TEST_F(StoreStressTest, KillDuringSaveLeavesTheOldOrTheNewFile) {
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

    // Unkilled saves: the new file, and how long each step takes in a forked saver (whose
    // first writes to the table's memory are copies, so it saves slower than this process).
    const int kRuns = 5;
    std::vector<int64_t> spans[std::size(kPhases)];
    std::string newBytes;
    for (int run = 0; run < kRuns; ++run) {
        WriteBytes(TablePath(), oldBytes);
        int fd = -1;
        const pid_t child = ForkSaver(table, fd);
        ASSERT_GT(child, 0);
        int64_t stamps[std::size(kPhases)];
        char last = 0;
        for (size_t p = 0; p < std::size(kPhases); ++p) {
            stamps[p] = WaitForPhase(fd, kPhases[p], last);
            ASSERT_GE(stamps[p], 0) << "phase " << kPhases[p];
        }
        ::close(fd);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        for (size_t p = 0; p + 1 < std::size(kPhases); ++p) {
            spans[p].push_back(stamps[p + 1] - stamps[p]);
        }
        newBytes = ReadBytes(TablePath());
    }
    ASSERT_NE(oldBytes, newBytes);
    int64_t median[std::size(kPhases)];
    std::printf("unkilled forked saves, median of %d:", kRuns);
    for (size_t p = 0; p + 1 < std::size(kPhases); ++p) {
        std::sort(spans[p].begin(), spans[p].end());
        median[p] = spans[p][kRuns / 2];
        std::printf(" %c->%c %.3f ms", kPhases[p], kPhases[p + 1], median[p] / 1e6);
    }
    std::printf("\n");
    // After the save returned the saver only ends: kills in the span after it land on
    // an ending or ended process.
    median[std::size(kPhases) - 1] = median[std::size(kPhases) - 2];

    std::mt19937 random(20261207);
    std::map<char, int> diedIn;  // the last phase reported before the kill
    int sawOld = 0, sawNew = 0, leftovers = 0;
    for (int i = 0; i < kKills; ++i) {
        WriteBytes(TablePath(), oldBytes);
        const size_t anchor = static_cast<size_t>(i) % std::size(kPhases);
        // A random moment in the step after the anchor, up to half as long again.
        std::uniform_int_distribution<int64_t> delay(0, median[anchor] * 3 / 2);
        int fd = -1;
        const pid_t child = ForkSaver(table, fd);
        ASSERT_GT(child, 0);
        char last = 0;
        const int64_t at = WaitForPhase(fd, kPhases[anchor], last);
        if (at >= 0) {
            const int64_t deadline = at + delay(random);
            const timespec until{static_cast<time_t>(deadline / 1000000000),
                                 static_cast<long>(deadline % 1000000000)};
            while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
            }
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        PhaseRecord record;
        while (::read(fd, &record, sizeof record) == static_cast<ssize_t>(sizeof record)) {
            last = record.phase;
        }
        ::close(fd);
        diedIn[last] += 1;

        const std::string bytes = ReadBytes(TablePath());
        ASSERT_TRUE(bytes == oldBytes || bytes == newBytes) << "kill " << i << " in " << last;
        (bytes == oldBytes ? sawOld : sawNew) += 1;
        // Before the rename was called the old file stands, from its return the new one;
        // in between either may.
        if (last != kRenaming) {
            const bool renamed = last == kRenamed || last == kSaveReturned;
            EXPECT_EQ(bytes == newBytes, renamed) << "kill " << i << " in " << last;
        }
        const int cleared = XelRemoveStaleTemps(TablePath().string());
        if (last == kTempCreated) {
            EXPECT_GE(cleared, 1) << "kill " << i << ": the temporary file was there";
        }
        leftovers += cleared;
        ASSERT_EQ(FolderEntries(), std::vector<std::string>{"kelnova.txt"});
    }
    std::printf("%d kills: %d old file, %d new file, %d temporary files cleared\n", kKills, sawOld,
                sawNew, leftovers);
    std::printf("last step reported before the kill:");
    for (const Phase phase : kPhases) {
        std::printf(" %c %d,", phase, diedIn[phase]);
    }
    std::printf(" none %d\n", diedIn[0]);
    // The kills must have landed while the temporary file was written, and after the
    // rename: both files were seen.
    EXPECT_GT(diedIn[kTempCreated], 0);
    EXPECT_GT(diedIn[kRenamed] + diedIn[kSaveReturned], 0);
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
