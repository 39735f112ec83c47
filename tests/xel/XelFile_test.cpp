// Saving through injected system-call faults: each failure reports -1, leaves the old
// file byte-identical and leaves no temporary file behind; the next save works.
#include "XelFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "XelDatabase.h"
#include "XelTestSupport.h"

namespace {

using xeltest::kEndMark;
using xeltest::kHeader;
using xeltest::ReadBytes;
using xeltest::StoreTest;

enum class Call { kOpen, kWrite, kFsync, kFchmod, kClose, kRename, kNone };

// Fails the nth call (counting from 1) of one kind of system call with an errno, once or
// from then on; a short write hands over only half the bytes instead.
struct Fault {
    Call call = Call::kNone;
    int nth = 1;
    int error = EIO;
    bool forever = false;
    bool shortWrite = false;
    int seen = 0;
    int calls[7] = {};
} g_fault;

bool Trips(Call call) {
    int count = ++g_fault.calls[static_cast<int>(call)];
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
        return Trips(Call::kOpen) ? -1 : XelRealSysCalls().open(path, flags, mode);
    },
    XelRealSysCalls().read,
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
        int result = XelRealSysCalls().close(fd);
        return Trips(Call::kClose) ? -1 : result;
    },
    [](const char* from, const char* to) {
        return Trips(Call::kRename) ? -1 : XelRealSysCalls().rename(from, to);
    },
    XelRealSysCalls().unlink,
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
    int SaveWith(const Fault& fault) {
        g_fault = fault;
        XelSetSysCalls(&kFaulty);
        testing::internal::CaptureStdout();
        int result = DbWriteTable("kelnova");
        testing::internal::GetCapturedStdout();
        XelSetSysCalls(nullptr);
        return result;
    }

    DbTable* m_table = nullptr;
    std::string m_old, m_new;
};

TEST_F(SaveFaultTest, FailuresBeforeTheRenameLeaveTheOldFile) {
    struct Case {
        Call call;
        int nth;
        int error;
        bool forever;
    };
    const Case cases[] = {
        {Call::kOpen, 1, EACCES, false},  {Call::kOpen, 1, ENOSPC, true},
        {Call::kFchmod, 1, EPERM, false}, {Call::kWrite, 1, ENOSPC, false},
        {Call::kWrite, 1, EIO, true},     {Call::kFsync, 1, EIO, false},
        {Call::kFsync, 1, ENOSPC, true},  {Call::kClose, 1, EIO, false},
        {Call::kRename, 1, EIO, false},   {Call::kRename, 1, EXDEV, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.call));
        EXPECT_EQ(SaveWith({c.call, c.nth, c.error, c.forever}), -1);
        EXPECT_EQ(ReadBytes(TablePath()), m_old);
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelnova.txt"});
        EXPECT_EQ(std::filesystem::status(TablePath()).permissions() & std::filesystem::perms::all,
                  static_cast<std::filesystem::perms>(0640));
        EXPECT_EQ(m_table->loaded, 1);
    }
    // Once the fault is gone, the same rows save as they should.
    EXPECT_EQ(DbWriteTable("kelnova"), 0);
    EXPECT_EQ(ReadBytes(TablePath()), m_new);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelnova.txt"});
}

TEST_F(SaveFaultTest, InterruptedAndShortWritesStillSaveEveryByte) {
    Fault interrupted{Call::kWrite, 1, EINTR, false};
    EXPECT_EQ(SaveWith(interrupted), 0);
    EXPECT_EQ(ReadBytes(TablePath()), m_new);

    Fault shortWrites{Call::kWrite, 1, 0, true, true};
    EXPECT_EQ(SaveWith(shortWrites), 0);
    EXPECT_EQ(ReadBytes(TablePath()), m_new);
    EXPECT_GT(g_fault.calls[static_cast<int>(Call::kWrite)], 2);
}

TEST_F(SaveFaultTest, FailedFolderSyncIsReported) {
    // The second fsync is the folder's, after the rename.
    EXPECT_EQ(SaveWith({Call::kFsync, 2, EIO, false}), -1);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelnova.txt"});
}

TEST_F(SaveFaultTest, CloseWithAFailedSaveStillReleasesTheRows) {
    g_fault = {Call::kOpen, 1, EROFS, true};
    XelSetSysCalls(&kFaulty);
    testing::internal::CaptureStdout();
    EXPECT_EQ(DbCloseTable("kelnova", 1), -1);
    std::string out = testing::internal::GetCapturedStdout();
    XelSetSysCalls(nullptr);
    EXPECT_EQ(out, "comn\\xel\\XelDatabase(158):Can't Open Object File (" + TablePath().string() +
                       ")!!\n");
    EXPECT_EQ(m_table->loaded, 0);
    EXPECT_EQ(DbRowCount(m_table), 0);
    EXPECT_EQ(ReadBytes(TablePath()), m_old);
}

}  // namespace
