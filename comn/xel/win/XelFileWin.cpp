// The file layer of the table store on Windows. Paths are UTF-8 and reach the system only
// through the wide-character calls. The save writes a temporary file beside the table,
// flushes it to the disk (FlushFileBuffers) and moves it over the table with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, which returns once the move is on the
// disk: the old file stays byte-identical unless every step succeeded. The calls go through
// the same table as on other systems, so that tests can inject faults.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <new>
#include <string_view>

#include "XelFile.h"
#include "win/WidePath.h"

namespace {

int RealOpen(const char* path, int flags, mode_t mode) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        errno = ENOENT;
        return -1;
    }
    if ((flags & (_O_WRONLY | _O_RDWR | _O_CREAT)) == 0) {
        return OpenForReadingShared(wide);  // the table read while others may replace it
    }
    errno = 0;
    const int fd = ::_wopen(wide.c_str(), flags | _O_BINARY | _O_NOINHERIT, mode);
    if (fd < 0) {
        errno = OpenErrno(wide, errno);
    }
    return fd;
}

ssize_t RealRead(int fd, void* buffer, size_t size) {
    return ::_read(fd, buffer, static_cast<unsigned>(std::min<size_t>(size, INT_MAX)));
}

ssize_t RealWrite(int fd, const void* buffer, size_t size) {
    return ::_write(fd, buffer, static_cast<unsigned>(std::min<size_t>(size, INT_MAX)));
}

int RealFsync(int fd) {
    return ::_commit(fd);  // FlushFileBuffers on the file's handle
}

// Windows keeps no permission bits beyond read-only; the moved file takes the folder's
// inherited access rights as the old one had them.
int RealFchmod(int, mode_t) {
    return 0;
}

int RealClose(int fd) {
    return ::_close(fd);
}

// Sets errno from GetLastError and returns -1.
int FailWithLastError() {
    errno = ErrnoFromWindowsError(GetLastError());
    return -1;
}

int RealRename(const char* from, const char* to) {
    const std::wstring wideFrom = WidePath(from);
    const std::wstring wideTo = WidePath(to);
    if (wideFrom.empty() || wideTo.empty()) {
        errno = ENOENT;
        return -1;
    }
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : FailWithLastError();
}

int RealUnlink(const char* path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        errno = ENOENT;
        return -1;
    }
    return DeleteFileW(wide.c_str()) ? 0 : FailWithLastError();
}

int RealLink(const char* from, const char* to) {
    const std::wstring wideFrom = WidePath(from);
    const std::wstring wideTo = WidePath(to);
    if (wideFrom.empty() || wideTo.empty()) {
        errno = ENOENT;
        return -1;
    }
    return CreateHardLinkW(wideTo.c_str(), wideFrom.c_str(), nullptr) ? 0 : FailWithLastError();
}

int RealFtruncate(int fd, off_t length) {
    const errno_t error = ::_chsize_s(fd, length);
    if (error != 0) {
        errno = error;
        return -1;
    }
    return 0;
}

int RealFallocate(int, int, off_t, off_t) {
    errno = ENOSYS;
    return -1;
}

const XelSysCalls kRealSysCalls = {
    RealOpen,   RealRead,   RealWrite, RealFsync,     RealFchmod,    RealClose,
    RealRename, RealUnlink, RealLink,  RealFtruncate, RealFallocate,
};

const XelSysCalls* g_sysCalls = &kRealSysCalls;

// Records the first failure of a save: the step and the errno its call left (EIO when
// it left none). Returns false, for use in conditions.
bool Fail(DbSaveError& why, DbSaveStep step) {
    if (!why.Failed()) {
        why.step = step;
        why.errnoValue = errno != 0 ? errno : EIO;
    }
    return false;
}

// Writes all bytes, going on after short writes. On failure errno tells why (EIO for a
// write that took no byte and named no error).
bool WriteAll(const XelSysCalls& sys, int fd, std::string_view contents) {
    while (!contents.empty()) {
        errno = 0;
        const ssize_t n = sys.write(fd, contents.data(), contents.size());
        if (n <= 0) {
            if (n == 0 || errno == 0) {
                errno = EIO;
            }
            return false;
        }
        contents.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Reads an open file from where it stands to its end into one block, followed by `slack`
// zero bytes. On failure errno tells why (ENOMEM when the memory would not hold it,
// ECANCELED when `cancel` was set: it is looked at between blocks of kXelCancelBlock bytes).
bool ReadToEnd(const XelSysCalls& sys, int fd, XelFileBytes& bytes, size_t slack,
               const std::atomic<bool>* cancel = nullptr) {
    const __int64 hint = ::_filelengthi64(fd);
    size_t room = hint > 0 ? static_cast<size_t>(hint) + 1 : 4096;
    std::unique_ptr<char[]> data(new (std::nothrow) char[room + slack]);
    size_t size = 0;
    for (;;) {
        if (data == nullptr) {
            errno = ENOMEM;
            return false;
        }
        if (size == room) {
            std::unique_ptr<char[]> larger(new (std::nothrow) char[2 * room + slack]);
            if (larger == nullptr) {
                errno = ENOMEM;
                return false;
            }
            std::memcpy(larger.get(), data.get(), size);
            data = std::move(larger);
            room *= 2;
        }
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            errno = ECANCELED;
            return false;
        }
        const size_t want =
            cancel != nullptr ? std::min(room - size, kXelCancelBlock) : room - size;
        const ssize_t n = sys.read(fd, data.get() + size, want);
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        size += static_cast<size_t>(n);
    }
    std::memset(data.get() + size, 0, slack);
    bytes.data = std::move(data);
    bytes.size = size;
    return true;
}

std::string TempNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + kXelTempMarker + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(counter++);
}

// Whether the process with this id has ended (or never ran): a process that runs, or
// one this program may not look at, may be saving now.
bool ProcessGone(unsigned long pid) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    DWORD code = 0;
    const bool ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    CloseHandle(process);
    return ended;
}

}  // namespace

const XelSysCalls& XelRealSysCalls() {
    return kRealSysCalls;
}
void XelSetSysCalls(const XelSysCalls* calls) {
    g_sysCalls = calls ? calls : &kRealSysCalls;
}

XelReadResult XelReadFile(const std::string& path, XelFileBytes& bytes, size_t slack) {
    return XelReadFile(path, bytes, slack, nullptr);
}

XelReadResult XelReadFile(const std::string& path, XelFileBytes& bytes, size_t slack,
                          const std::atomic<bool>* cancel) {
    const XelSysCalls& sys = *g_sysCalls;
    const int fd = sys.open(path.c_str(), _O_RDONLY, 0);
    if (fd < 0) {
        // A file that is there but will not open (a folder, a file another program holds
        // without sharing it) is not a missing one, which the store would create.
        const std::wstring wide = WidePath(path);
        const bool there =
            !wide.empty() && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
        return there ? XelReadResult::kError : XelReadResult::kMissing;
    }
    const bool read = ReadToEnd(sys, fd, bytes, slack, cancel);
    sys.close(fd);
    return read ? XelReadResult::kOk : XelReadResult::kError;
}

int XelCreateEmpty(const std::string& path) {
    const XelSysCalls& sys = *g_sysCalls;
    const int fd = sys.open(path.c_str(), _O_WRONLY | _O_CREAT, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        return -1;
    }
    return sys.close(fd) == 0 ? 0 : -1;
}

XelWriteResult XelReplaceFile(const std::string& path, const std::string& contents,
                              DbSaveError* failure) {
    return XelReplaceFile(
        path, [&contents](const XelContentWriter& write) { return write(contents); }, failure);
}

// The steps on Windows: the temporary file is written, flushed and closed, then moved over
// the table in one write-through move. A folder that takes no new file fails the save at
// its first step (the rewrite in place of other systems is not made here), leaving the
// table as it was.
XelWriteResult XelReplaceFile(const std::string& path, const XelContentSource& contents,
                              DbSaveError* failure) {
    DbSaveError unused;
    DbSaveError& why = failure != nullptr ? *failure : unused;
    why = DbSaveError{};
    const XelSysCalls& sys = *g_sysCalls;

    const std::string temp = TempNameFor(path);
    const int fd = sys.open(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        Fail(why, DbSaveStep::kOpenTemp);
        return XelWriteResult::kOpenFailed;
    }
    bool ok = contents([&](std::string_view piece) { return WriteAll(sys, fd, piece); }) ||
              Fail(why, DbSaveStep::kWriteTemp);
    ok = ok && (sys.fsync(fd) == 0 || Fail(why, DbSaveStep::kSyncTemp));
    ok = (sys.close(fd) == 0 || Fail(why, DbSaveStep::kCloseTemp)) && ok;
    ok = ok && (sys.rename(temp.c_str(), path.c_str()) == 0 || Fail(why, DbSaveStep::kRename));
    if (!ok) {
        sys.unlink(temp.c_str());
        return XelWriteResult::kFailed;
    }
    return XelWriteResult::kOk;
}

int XelRemoveStaleTemps(const std::string& path) {
    const std::filesystem::path target(WidePath(path));
    const std::wstring prefix = target.filename().native() + WidePath(kXelTempMarker);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = L".";
    }
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    int removed = 0;
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::wstring name = entries->path().filename().native();
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        // "<pid>-<n>" follows the marker; a process that still runs may be saving now.
        const unsigned long pid = std::wcstoul(name.c_str() + prefix.size(), nullptr, 10);
        const bool gone = pid > 0 && pid != GetCurrentProcessId() && ProcessGone(pid);
        if (gone && g_sysCalls->unlink(Utf8Path(entries->path().native()).c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}
