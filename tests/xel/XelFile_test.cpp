// Saving through injected system-call faults: each failure reports -1, leaves the old
// file byte-identical and leaves no temporary file behind; the next save works.
#include "XelFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "XelDatabase.h"
#include "XelTestSupport.h"

namespace {

using xeltest::kEndMark;
using xeltest::kHeader;
using xeltest::ReadBytes;
using xeltest::StoreTest;

enum class Call {
    kOpen,
    kRead,
    kWrite,
    kFsync,
    kFchmod,
    kClose,
    kRename,
    kLink,
    kFtruncate,
    kFallocate,
    kCount
};

// Fails the nth call (counting from 1) of one kind of system call with an errno, once or
// from then on; a short write hands over only half the bytes instead.
struct Fault {
    Call call = Call::kCount;
    int nth = 1;
    int error = EIO;
    bool forever = false;
    bool shortWrite = false;
    int calls[static_cast<int>(Call::kCount)] = {};
    // A folder that takes no new file: creating one fails with EACCES, uncounted.
    bool lockedFolder = false;
    // A second fault, once: the nth2 call of call2 fails with error2.
    Call call2 = Call::kCount;
    int nth2 = 1;
    int error2 = EIO;
} g_fault;

bool Trips(Call call) {
    int count = ++g_fault.calls[static_cast<int>(call)];
    if (call == g_fault.call2 && count == g_fault.nth2) {
        errno = g_fault.error2;
        return true;
    }
    if (call != g_fault.call) {
        return false;
    }
    bool fail = g_fault.forever ? count >= g_fault.nth : count == g_fault.nth;
    if (fail && !g_fault.shortWrite) {
        errno = g_fault.error;
    }
    return fail;
}

const XelSysCalls kFaulty = {
    [](const char* path, int flags, mode_t mode) {
        if (g_fault.lockedFolder && (flags & O_CREAT) != 0) {
            errno = EACCES;
            return -1;
        }
        return Trips(Call::kOpen) ? -1 : XelRealSysCalls().open(path, flags, mode);
    },
    [](int fd, void* buffer, size_t size) -> ssize_t {
        return Trips(Call::kRead) ? -1 : XelRealSysCalls().read(fd, buffer, size);
    },
    [](int fd, const void* buffer, size_t size) -> ssize_t {
        if (Trips(Call::kWrite)) {
            if (g_fault.shortWrite) {
                return XelRealSysCalls().write(fd, buffer, size > 1 ? size / 2 : size);
            }
            return -1;
        }
        return XelRealSysCalls().write(fd, buffer, size);
    },
    [](int fd) { return Trips(Call::kFsync) ? -1 : XelRealSysCalls().fsync(fd); },
    [](int fd, mode_t mode) {
        return Trips(Call::kFchmod) ? -1 : XelRealSysCalls().fchmod(fd, mode);
    },
    [](int fd) {
        // Like the real call, a failed close has still released the descriptor.
        int result = XelRealSysCalls().close(fd);
        return Trips(Call::kClose) ? -1 : result;
    },
    [](const char* from, const char* to) {
        return Trips(Call::kRename) ? -1 : XelRealSysCalls().rename(from, to);
    },
    XelRealSysCalls().unlink,
    [](const char* from, const char* to) {
        return Trips(Call::kLink) ? -1 : XelRealSysCalls().link(from, to);
    },
    [](int fd, off_t length) {
        return Trips(Call::kFtruncate) ? -1 : XelRealSysCalls().ftruncate(fd, length);
    },
    [](int fd, int mode, off_t offset, off_t length) {
        return Trips(Call::kFallocate) ? -1 : XelRealSysCalls().fallocate(fd, mode, offset, length);
    },
};

class SaveFaultTest : public StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        m_old = std::string(kHeader) + "20070305,,,1,old,\r\n" + kEndMark;
        xeltest::WriteBytes(TablePath(), m_old);
        ::chmod(TablePath().c_str(), 0640);
        m_table = DbOpenTable("kelnova");
        DbAddRow(m_table, "20070306,,,1,new,");
        m_new = std::string(kHeader) + "20070305,,,1,old,\r\n20070306,,,1,new,\r\n" + kEndMark;
    }
    void TearDown() override {
        XelSetSysCalls(nullptr);
        g_fault = Fault{};
        StoreTest::TearDown();
    }
    int SaveWith(const Fault& fault, DbSaveError* why = nullptr, std::string* out = nullptr) {
        g_fault = fault;
        XelSetSysCalls(&kFaulty);
        testing::internal::CaptureStdout();
        int result = DbWriteTable("kelnova", why);
        const std::string printed = testing::internal::GetCapturedStdout();
        XelSetSysCalls(nullptr);
        if (out != nullptr) {
            *out = printed;
        }
        return result;
    }

    DbTable* m_table = nullptr;
    std::string m_old, m_new;
};

// Every system call of the save, each fault, once and for ever. The save either reports
// -1 and leaves the old file byte-identical, or succeeds with the new bytes; it never
// leaves a temporary file. Which of the two is the policy:
// - an interrupted call is repeated, so EINTR once saves; EINTR for ever fails, except
//   for close (the descriptor is released all the same, after a successful fsync);
// - a short write is continued, so it always saves;
// - the hard link that keeps the old file for a failed folder sync is optional: when it
//   cannot be made the save goes on without it;
// - every other failure, the folder's own open and fsync after the rename included,
//   reports -1 with the old file in place.
TEST_F(SaveFaultTest, EveryCallEveryFaultOnceAndForEver) {
    struct Target {
        Call call;
        int nth;  // the folder's open and fsync are the second of their kind
        const char* what;
    };
    const Target targets[] = {
        {Call::kOpen, 1, "open of the temporary file"},
        {Call::kFchmod, 1, "fchmod"},
        {Call::kWrite, 1, "write"},
        {Call::kFsync, 1, "fsync of the file"},
        {Call::kClose, 1, "close of the file"},
        {Call::kLink, 1, "link of the old file"},
        {Call::kRename, 1, "rename"},
        {Call::kOpen, 2, "open of the folder"},
        {Call::kFsync, 2, "fsync of the folder"},
        {Call::kClose, 2, "close of the folder"},
    };
    enum Kind { kEnospc, kEio, kEintr, kShort };
    const char* const kindNames[] = {"ENOSPC", "EIO", "EINTR", "short write"};
    int saved = 0, failed = 0;
    for (const Target& t : targets) {
        for (Kind kind : {kEnospc, kEio, kEintr, kShort}) {
            if (kind == kShort && t.call != Call::kWrite) {
                continue;
            }
            for (bool forever : {false, true}) {
                SCOPED_TRACE(std::string(t.what) + " " + kindNames[kind] +
                             (forever ? " for ever" : " once"));
                const int error = kind == kEnospc ? ENOSPC : kind == kEio ? EIO : EINTR;
                const bool expectSaved = kind == kShort || t.call == Call::kLink ||
                                         (kind == kEintr && (!forever || t.call == Call::kClose));
                Fault fault;
                fault.call = t.call;
                fault.nth = t.nth;
                fault.error = error;
                fault.forever = forever;
                fault.shortWrite = kind == kShort;
                const int result = SaveWith(fault);
                EXPECT_EQ(result, expectSaved ? 0 : -1);
                EXPECT_EQ(ReadBytes(TablePath()), expectSaved ? m_new : m_old);
                EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelnova.txt"});
                EXPECT_EQ(std::filesystem::status(TablePath()).permissions() &
                              std::filesystem::perms::all,
                          static_cast<std::filesystem::perms>(0640));
                (result == 0 ? saved : failed) += 1;
                // The next save, with the fault gone, writes the right bytes.
                ASSERT_EQ(DbWriteTable("kelnova"), 0);
                ASSERT_EQ(ReadBytes(TablePath()), m_new);
                xeltest::WriteBytes(TablePath(), m_old);
                ::chmod(TablePath().c_str(), 0640);
            }
        }
    }
    EXPECT_EQ(saved + failed, 62);
    EXPECT_EQ(failed, 43);
}

// A table of several megabytes is written in pieces: the file holds exactly the bytes it
// was read from (plain rows, rows with quoted cells, a first cell with "#"), and a fault
// in any piece, the first, one in the middle or the last, fails the save with the old
// file left as it was and no temporary file; a short write in the middle is continued.
TEST_F(SaveFaultTest, LargeTableIsWrittenInPiecesAndAFaultInAnyPieceLeavesTheOld) {
    std::string big = kHeader;
    for (int i = 0; i < 70000; ++i) {
        const std::string date = "2007" + std::to_string(1000 + i % 900).substr(1, 2) + "15";
        big += i % 97 == 0   ? "\"#" + date + "\",,,1,\"a, b\",\r\n"
               : i % 13 == 0 ? date + ",0930,1000,2,\"x,y\",1\r\n"
                             : date + ",0930,1000,1,entry " + std::to_string(i) + ",\r\n";
    }
    big += kEndMark;
    ASSERT_GT(big.size(), 2u * 1024 * 1024);
    DbCloseTable("kelnova", 0);
    xeltest::WriteBytes(TablePath(), big);
    m_table = DbOpenTable("kelnova");
    ASSERT_NE(m_table, nullptr);
    ASSERT_EQ(DbWriteTable("kelnova"), 0);
    ASSERT_EQ(ReadBytes(TablePath()), big);

    DbAddRow(m_table, "20071231,,,1,last,");
    const std::string bigger =
        big.substr(0, big.size() - std::strlen(kEndMark)) + "20071231,,,1,last,\r\n" + kEndMark;
    int writes = 0;
    {
        Fault count;
        ASSERT_EQ(SaveWith(count), 0);
        writes = g_fault.calls[static_cast<int>(Call::kWrite)];
        xeltest::WriteBytes(TablePath(), big);
    }
    ASSERT_GE(writes, 8);  // pieces, not one write of the whole file
    const struct {
        int nth;
        bool shortWrite;
    } cases[] = {{1, false}, {writes / 2, false}, {writes, false}, {writes / 2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE("write " + std::to_string(c.nth) + (c.shortWrite ? " short" : ""));
        Fault fault;
        fault.call = Call::kWrite;
        fault.nth = c.nth;
        fault.error = ENOSPC;
        fault.shortWrite = c.shortWrite;
        DbSaveError why;
        const int result = SaveWith(fault, &why);
        if (c.shortWrite) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(ReadBytes(TablePath()), bigger);
            xeltest::WriteBytes(TablePath(), big);
        } else {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(why.step, DbSaveStep::kWriteTemp);
            EXPECT_EQ(why.errnoValue, ENOSPC);
            EXPECT_EQ(ReadBytes(TablePath()), big);
        }
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelnova.txt"});
    }
}

// A folder that takes no new file, with the file itself writable: the file is rewritten
// in place, keeping its inode. A failure before anything is overwritten, or one the old
// bytes are written back after, reports -1 with the old file byte-identical.
TEST_F(SaveFaultTest, FolderThatTakesNoNewFileHasTheFileRewrittenInPlace) {
    struct Case {
        const char* what;
        Call call;
        int error;
        bool forever;
        bool saved;
    };
    const Case cases[] = {
        {"no fault", Call::kCount, 0, false, true},
        {"open of the file", Call::kOpen, EACCES, false, false},
        {"read of the old bytes", Call::kRead, EIO, false, false},
        {"no room for the new bytes", Call::kFallocate, ENOSPC, false, false},
        {"no way to reserve room", Call::kFallocate, EOPNOTSUPP, true, true},
        {"write once", Call::kWrite, EIO, false, false},
        {"write for ever", Call::kWrite, EIO, true, false},
        {"write interrupted once", Call::kWrite, EINTR, false, true},
        {"truncate once", Call::kFtruncate, EIO, false, false},
        {"fsync once", Call::kFsync, EIO, false, false},
        {"fsync for ever", Call::kFsync, EIO, true, false},
        {"close after the sync", Call::kClose, EIO, false, true},
    };
    const auto inode = [&] {
        struct stat info {};
        ::stat(TablePath().c_str(), &info);
        return info.st_ino;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        xeltest::WriteBytes(TablePath(), m_old);
        ::chmod(TablePath().c_str(), 0640);
        const auto before = inode();
        Fault fault;
        fault.call = c.call;
        fault.error = c.error;
        fault.forever = c.forever;
        fault.lockedFolder = true;
        EXPECT_EQ(SaveWith(fault), c.saved ? 0 : -1);
        EXPECT_EQ(ReadBytes(TablePath()), c.saved ? m_new : m_old);
        EXPECT_EQ(inode(), before);
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelnova.txt"});
        EXPECT_EQ(std::filesystem::status(TablePath()).permissions() & std::filesystem::perms::all,
                  static_cast<std::filesystem::perms>(0640));
    }
}

// The same, with a new content shorter than the old one: the file is cut to it.
TEST_F(SaveFaultTest, InPlaceRewriteOfAShorterContentCutsTheFile) {
    xeltest::WriteBytes(TablePath(), m_new + std::string(5000, 'x'));
    Fault fault;
    fault.lockedFolder = true;
    EXPECT_EQ(SaveWith(fault), 0);
    EXPECT_EQ(ReadBytes(TablePath()), m_new);
}

// A folder that takes no new file, with no file in it yet: nothing can be saved there.
TEST_F(SaveFaultTest, LockedFolderWithoutTheFileFails) {
    std::filesystem::remove(TablePath());
    Fault fault;
    fault.lockedFolder = true;
    EXPECT_EQ(SaveWith(fault), -1);
    EXPECT_TRUE(FolderEntries().empty());
}

TEST_F(SaveFaultTest, FailedFolderSyncBringsTheOldFileBack) {
    // The second fsync is the folder's, after the rename.
    Fault fault;
    fault.call = Call::kFsync;
    fault.nth = 2;
    EXPECT_EQ(SaveWith(fault), -1);
    EXPECT_EQ(ReadBytes(TablePath()), m_old);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelnova.txt"});
}

// Each step of a save failing with a representative errno: the caller is given that step
// and errno, the diagnostics name them, and the old file is byte-identical; or, when
// putting the old file back failed too, that undo is reported along with what the file
// then holds.
TEST_F(SaveFaultTest, EachFailedStepIsReportedWithItsErrno) {
    enum Holds { kOld, kNew, kOldOverNew };
    struct Case {
        const char* step;  // as the diagnostic names it
        bool inPlace;      // in a folder that takes no new file
        Call call;
        int nth;
        int error;
        Call call2;  // a second fault, in the undo
        int nth2;
        int error2;
        DbSaveStep expected;
        DbSaveStep undo;
        Holds holds;
    };
    const Call kNo = Call::kCount;
    const DbSaveStep kNone = DbSaveStep::kNone;
    const Case cases[] = {
        {"open of the temporary file", false, Call::kOpen, 1, ENOSPC, kNo, 0, 0,
         DbSaveStep::kOpenTemp, kNone, kOld},
        {"permission change of the temporary file", false, Call::kFchmod, 1, EPERM, kNo, 0, 0,
         DbSaveStep::kChmodTemp, kNone, kOld},
        {"write of the temporary file", false, Call::kWrite, 1, ENOSPC, kNo, 0, 0,
         DbSaveStep::kWriteTemp, kNone, kOld},
        {"fsync of the temporary file", false, Call::kFsync, 1, EIO, kNo, 0, 0,
         DbSaveStep::kSyncTemp, kNone, kOld},
        {"close of the temporary file", false, Call::kClose, 1, EDQUOT, kNo, 0, 0,
         DbSaveStep::kCloseTemp, kNone, kOld},
        {"rename of the temporary file", false, Call::kRename, 1, EACCES, kNo, 0, 0,
         DbSaveStep::kRename, kNone, kOld},
        {"open of the folder", false, Call::kOpen, 2, EMFILE, kNo, 0, 0, DbSaveStep::kOpenFolder,
         kNone, kOld},
        {"fsync of the folder", false, Call::kFsync, 2, EIO, kNo, 0, 0, DbSaveStep::kSyncFolder,
         kNone, kOld},
        {"close of the folder", false, Call::kClose, 2, EIO, kNo, 0, 0, DbSaveStep::kCloseFolder,
         kNone, kOld},
        // The old file's second name is missing, or will not go back: the new bytes stay.
        {"fsync of the folder", false, Call::kFsync, 2, EIO, Call::kLink, 1, EMLINK,
         DbSaveStep::kSyncFolder, DbSaveStep::kLinkOld, kNew},
        {"fsync of the folder", false, Call::kFsync, 2, EIO, Call::kRename, 2, EBUSY,
         DbSaveStep::kSyncFolder, DbSaveStep::kRenameBack, kNew},
        {"open of the file for a rewrite in place", true, Call::kOpen, 1, EACCES, kNo, 0, 0,
         DbSaveStep::kOpenInPlace, kNone, kOld},
        {"read of the old bytes", true, Call::kRead, 1, EIO, kNo, 0, 0, DbSaveStep::kReadOld, kNone,
         kOld},
        {"reservation of room (fallocate)", true, Call::kFallocate, 1, ENOSPC, kNo, 0, 0,
         DbSaveStep::kReserve, kNone, kOld},
        {"write in place", true, Call::kWrite, 1, EFBIG, kNo, 0, 0, DbSaveStep::kWriteInPlace,
         kNone, kOld},
        {"truncation in place", true, Call::kFtruncate, 1, EIO, kNo, 0, 0, DbSaveStep::kTruncate,
         kNone, kOld},
        {"fsync in place", true, Call::kFsync, 1, EIO, kNo, 0, 0, DbSaveStep::kSyncInPlace, kNone,
         kOld},
        // The old bytes are written back over the longer new ones, but not cut to length.
        {"fsync in place", true, Call::kFsync, 1, EIO, Call::kFtruncate, 2, EROFS,
         DbSaveStep::kSyncInPlace, DbSaveStep::kRestore, kOldOverNew},
    };
    const std::string path = TablePath().string();
    const auto line = [&](int number, const char* what, const char* step, int error) {
        return "comn\\xel\\XelDatabase(" + std::to_string(number) + "):" + what + " (" + path +
               ")!! " + step + " failed: " + DbErrnoText(error) + " (errno " +
               std::to_string(error) + ")\n";
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.step) + (c.inPlace ? " in place" : "") + ", " +
                     std::strerror(c.error) + (c.call2 != kNo ? ", undo fails" : ""));
        xeltest::WriteBytes(TablePath(), m_old);
        ::chmod(TablePath().c_str(), 0640);
        Fault fault;
        fault.call = c.call;
        fault.nth = c.nth;
        fault.error = c.error;
        fault.lockedFolder = c.inPlace;
        fault.call2 = c.call2;
        fault.nth2 = c.nth2;
        fault.error2 = c.error2;
        DbSaveError why;
        why.step = DbSaveStep::kRename;  // stale: the save must set every field
        why.undoStep = DbSaveStep::kRename;
        std::string out;
        ASSERT_EQ(SaveWith(fault, &why, &out), -1);
        EXPECT_EQ(why.step, c.expected);
        EXPECT_EQ(why.errnoValue, c.error);
        EXPECT_EQ(why.undoStep, c.undo);
        EXPECT_EQ(why.undoErrno, c.undo == kNone ? 0 : c.error2);
        EXPECT_STREQ(DbSaveStepName(why.step), c.step);
        const std::string holds = ReadBytes(TablePath());
        EXPECT_EQ(holds, c.holds == kOld   ? m_old
                         : c.holds == kNew ? m_new
                                           : m_old + m_new.substr(m_old.size()));
        std::string expected;
        if (c.expected == DbSaveStep::kOpenTemp || c.expected == DbSaveStep::kOpenInPlace) {
            expected = "comn\\xel\\XelDatabase(158):Can't Open Object File (" + path + ")!!\n";
        }
        expected += line(160, "Can't Save Table File", c.step, c.error);
        if (c.undo != kNone) {
            expected +=
                line(161, "WARNING:Old File is not Restored", DbSaveStepName(c.undo), c.error2);
        }
        EXPECT_EQ(out, expected);
        if (c.undo == DbSaveStep::kRenameBack) {
            // The old file's second name stays, the only copy of the old bytes; the next
            // open of the table clears it once this process has ended.
            EXPECT_EQ(FolderEntries().size(), 2u);
            for (const std::string& name : FolderEntries()) {
                if (name != "kelnova.txt") {
                    EXPECT_EQ(ReadBytes(m_dir / name), m_old);
                    std::filesystem::remove(m_dir / name);
                }
            }
        }
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelnova.txt"});
    }
    // The next save, with no fault, reports no failure.
    DbSaveError why;
    why.step = DbSaveStep::kRename;
    std::string out;
    EXPECT_EQ(SaveWith(Fault{}, &why, &out), 0);
    EXPECT_FALSE(why.Failed());
    EXPECT_EQ(out, "");
}

// What the user is told: a Japanese sentence for the reasons a user can act on, the
// English description for the rest, and a warning when the old file was not put back.
TEST(DbSaveErrorTextTest, NamesTheReasonForTheUser) {
    struct Case {
        int error;
        DbSaveStep undo;
        std::string text;
    };
    const Case cases[] = {
        {ENOSPC, DbSaveStep::kNone, "ディスクの空き容量が足りません。"},
        {EDQUOT, DbSaveStep::kNone, "ディスクの空き容量が足りません。"},
        {EACCES, DbSaveStep::kNone, "書き込みの権限がありません。"},
        {EPERM, DbSaveStep::kNone, "書き込みの権限がありません。"},
        {EROFS, DbSaveStep::kNone, "読み取り専用の場所です。"},
        {EIO, DbSaveStep::kNone, "ディスクの読み書きに失敗しました。"},
        {EMLINK, DbSaveStep::kNone, "Too many links."},
        {EIO, DbSaveStep::kRestore,
         "ディスクの読み書きに失敗しました。元のファイルに戻せませんでした。"},
    };
    for (const Case& c : cases) {
        DbSaveError why;
        why.step = DbSaveStep::kWriteTemp;
        why.errnoValue = c.error;
        why.undoStep = c.undo;
        why.undoErrno = c.undo == DbSaveStep::kNone ? 0 : EIO;
        EXPECT_EQ(DbSaveErrorText(why), c.text) << c.error;
    }
    EXPECT_EQ(DbSaveErrorText(DbSaveError{}), "");
}

TEST_F(SaveFaultTest, CloseWithAFailedSaveStillReleasesTheRows) {
    g_fault = {Call::kOpen, 1, EROFS, true};
    XelSetSysCalls(&kFaulty);
    testing::internal::CaptureStdout();
    DbSaveError why;
    EXPECT_EQ(DbCloseTable("kelnova", 1, &why), -1);
    std::string out = testing::internal::GetCapturedStdout();
    XelSetSysCalls(nullptr);
    EXPECT_EQ(why.step, DbSaveStep::kOpenTemp);
    EXPECT_EQ(why.errnoValue, EROFS);
    EXPECT_EQ(out, "comn\\xel\\XelDatabase(158):Can't Open Object File (" + TablePath().string() +
                       ")!!\n"
                       "comn\\xel\\XelDatabase(160):Can't Save Table File (" +
                       TablePath().string() +
                       ")!! open of the temporary file failed: Read-only file system (errno 30)\n");
    EXPECT_EQ(m_table->loaded, 0);
    EXPECT_EQ(DbRowCount(m_table), 0);
    EXPECT_EQ(ReadBytes(TablePath()), m_old);
}

}  // namespace

namespace {

// A real file system that fills up during the save: a 256 KiB tmpfs holding a table of
// about 150 KiB has no room for the new copy beside the old one.
TEST_F(StoreTest, FullDiskLeavesTheOldFile) {
    const std::filesystem::path mountPoint = m_dir / "small";
    std::filesystem::create_directory(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=256k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    DbKelnovaRegistry().dataFolder = mountPoint.string() + "/";
    DbTable* table = DbOpenTable("kelnova");
    ASSERT_NE(table, nullptr);
    for (int i = 0; i < 4000; ++i) {
        DbAddRow(table, "20070305,0930,1000,1,a schedule entry of some length,");
    }
    const int first = DbWriteTable("kelnova");
    const std::string old = ReadBytes(mountPoint / "kelnova.txt");
    DbAddRow(table, "20070306,,,1,one more,");
    testing::internal::CaptureStdout();
    DbSaveError why;
    const int second = DbWriteTable("kelnova", &why);
    testing::internal::GetCapturedStdout();
    const std::string after = ReadBytes(mountPoint / "kelnova.txt");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(mountPoint)) {
        names.push_back(entry.path().filename().string());
    }
    DbCloseTable("kelnova", 0);
    ::umount(mountPoint.c_str());
    EXPECT_EQ(first, 0);
    EXPECT_GT(old.size(), 128u * 1024);
    EXPECT_EQ(second, -1);
    EXPECT_EQ(why.step, DbSaveStep::kWriteTemp);
    EXPECT_EQ(why.errnoValue, ENOSPC);
    EXPECT_EQ(after, old);
    EXPECT_EQ(names, std::vector<std::string>{"kelnova.txt"});
}

}  // namespace

namespace {

// A data folder nobody may write to, not even root: a read-only mount. An existing table
// opens and cannot be saved; a missing one cannot be created.
TEST_F(StoreTest, ReadOnlyFolder) {
    const std::filesystem::path mountPoint = m_dir / "ro";
    std::filesystem::create_directory(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    const std::string bytes = std::string(kHeader) + "20070305,,,1,kept,\r\n" + kEndMark;
    xeltest::WriteBytes(mountPoint / "kelnova.txt", bytes);
    ::mount(nullptr, mountPoint.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);

    DbKelnovaRegistry().dataFolder = mountPoint.string() + "/";
    testing::internal::CaptureStdout();
    DbTable* table = DbOpenTable("kelnova");
    const bool opened = table != nullptr;
    int saved = 0;
    DbSaveError why;
    if (opened) {
        DbAddRow(table, "20070306,,,1,new,");
        saved = DbCloseTable("kelnova", 1, &why);
    }
    // The same folder without a table: the table cannot be created.
    const std::filesystem::path empty = m_dir / "ro-empty";
    std::filesystem::create_directory(empty);
    ::mount("tmpfs", empty.c_str(), "tmpfs", MS_RDONLY, "size=64k");
    DbKelnovaRegistry().dataFolder = empty.string() + "/";
    const bool created = DbOpenTable("kelnova") != nullptr;
    testing::internal::GetCapturedStdout();
    const std::string after = ReadBytes(mountPoint / "kelnova.txt");
    const bool emptyStillEmpty = std::filesystem::is_empty(empty);
    ::umount(empty.c_str());
    ::umount(mountPoint.c_str());
    EXPECT_TRUE(opened);
    EXPECT_EQ(saved, -1);
    EXPECT_EQ(why.step, DbSaveStep::kOpenTemp);
    EXPECT_EQ(why.errnoValue, EROFS);
    EXPECT_EQ(after, bytes);
    EXPECT_FALSE(created);
    EXPECT_TRUE(emptyStillEmpty);
}

// Whole-file reads take what read() hands over, in whatever pieces, however far that is
// from the size the file had when it was opened, and are followed by zero bytes.
struct FakeSource {
    std::string bytes;
    size_t pos = 0;
    size_t piece = 0;
    int interruptEvery = 0;
    int failAfter = -1;  // fail the read after this many pieces; -1 never
    int calls = 0;
} g_source;

ssize_t FakeRead(int, void* buffer, size_t size) {
    ++g_source.calls;
    if (g_source.failAfter >= 0 && g_source.calls > g_source.failAfter) {
        errno = EIO;
        return -1;
    }
    if (g_source.interruptEvery > 0 && g_source.calls % g_source.interruptEvery == 0) {
        errno = EINTR;
        return -1;
    }
    const size_t n = std::min({size, g_source.piece, g_source.bytes.size() - g_source.pos});
    std::memcpy(buffer, g_source.bytes.data() + g_source.pos, n);
    g_source.pos += n;
    return static_cast<ssize_t>(n);
}

TEST_F(StoreTest, WholeFileReadsTakeEveryPiece) {
    struct Case {
        size_t size;
        size_t piece;
        int interruptEvery;
        int failAfter;
        XelReadResult result;
    };
    const Case cases[] = {
        {0, 100, 0, -1, XelReadResult::kOk},         {10, 3, 0, -1, XelReadResult::kOk},
        {100000, 777, 3, -1, XelReadResult::kOk},  // far past the size the file reported
        {100000, 100000, 0, -1, XelReadResult::kOk}, {100000, 777, 0, 5, XelReadResult::kError},
    };
    xeltest::WriteBytes(TablePath(), "");  // opened for real, reported as empty
    XelSysCalls calls = XelRealSysCalls();
    calls.read = FakeRead;
    XelSetSysCalls(&calls);
    for (const Case& c : cases) {
        g_source = FakeSource{};
        for (size_t i = 0; i < c.size; ++i) {
            g_source.bytes += static_cast<char>('a' + i % 26);
        }
        g_source.piece = c.piece;
        g_source.interruptEvery = c.interruptEvery;
        g_source.failAfter = c.failAfter;
        XelFileBytes bytes;
        const size_t slack = 64;
        ASSERT_EQ(XelReadFile(TablePath().string(), bytes, slack), c.result) << c.size;
        if (c.result == XelReadResult::kOk) {
            ASSERT_EQ(bytes.size, c.size);
            EXPECT_EQ(std::string(bytes.data.get(), bytes.size), g_source.bytes);
            EXPECT_EQ(std::string(bytes.data.get() + bytes.size, slack), std::string(slack, '\0'));
        }
    }
    XelSetSysCalls(nullptr);
}

}  // namespace
