#include "XelFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string_view>

namespace {

int RealOpen(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

const XelSysCalls kRealSysCalls = {
    RealOpen, ::read,   ::write, ::fsync,     ::fchmod,    ::close,
    ::rename, ::unlink, ::link,  ::ftruncate, ::fallocate,
};

// How often an interrupted call is repeated before it counts as failed.
const int kMaxInterrupts = 100;

// Calls f until it is not interrupted, at most kMaxInterrupts + 1 times.
template <class F>
auto Retry(F f) {
    auto result = f();
    for (int i = 0; i < kMaxInterrupts && result < 0 && errno == EINTR; ++i) {
        result = f();
    }
    return result;
}

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

// Records that undoing a failed save failed too.
void FailUndo(DbSaveError& why, DbSaveStep step, int error) {
    why.undoStep = step;
    why.undoErrno = error != 0 ? error : EIO;
}

// Write all bytes, going on after short writes and interrupted calls. On failure errno
// tells why (EIO for a write that took no byte and named no error).
bool WriteAll(const XelSysCalls& sys, int fd, std::string_view contents) {
    size_t done = 0;
    while (done < contents.size()) {
        ssize_t n =
            Retry([&] { return sys.write(fd, contents.data() + done, contents.size() - done); });
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// A close that was interrupted has still released the descriptor on Linux; what it
// reports otherwise (a delayed write error) counts.
bool Close(const XelSysCalls& sys, int fd) {
    return sys.close(fd) == 0 || errno == EINTR;
}

bool SyncFolder(const XelSysCalls& sys, const std::string& folder, DbSaveError& why) {
    int dir =
        Retry([&] { return sys.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); });
    if (dir < 0) {
        return Fail(why, DbSaveStep::kOpenFolder);
    }
    const bool ok =
        Retry([&] { return sys.fsync(dir); }) == 0 || Fail(why, DbSaveStep::kSyncFolder);
    return (Close(sys, dir) || Fail(why, DbSaveStep::kCloseFolder)) && ok;
}

// Reads an open file from where it stands to its end into one block, followed by `slack`
// zero bytes. On failure errno tells why (ENOMEM when the memory would not hold it,
// ECANCELED when `cancel` was set: it is looked at between blocks of kXelCancelBlock bytes).
bool ReadToEnd(const XelSysCalls& sys, int fd, XelFileBytes& bytes, size_t slack,
               const std::atomic<bool>* cancel = nullptr) {
    // The size the file has now is only a hint: it may grow or shrink while it is read.
    // One byte more than the hint lets the read that finds the end go without a copy.
    struct stat info;
    size_t room = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0
                      ? static_cast<size_t>(info.st_size) + 1
                      : 4096;
    // A file too large for the memory (a damaged file system can report any size) is a
    // read that failed, not a crash.
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
        const ssize_t n = Retry([&] { return sys.read(fd, data.get() + size, want); });
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

// Makes the file hold exactly `contents` and syncs it. Returns the step that failed, with
// errno as its call left it, or kNone.
DbSaveStep OverwriteWith(const XelSysCalls& sys, int fd, std::string_view contents) {
    if (::lseek(fd, 0, SEEK_SET) != 0 || !WriteAll(sys, fd, contents)) {
        return DbSaveStep::kWriteInPlace;
    }
    if (Retry([&] { return sys.ftruncate(fd, static_cast<off_t>(contents.size())); }) != 0) {
        return DbSaveStep::kTruncate;
    }
    if (Retry([&] { return sys.fsync(fd); }) != 0) {
        return DbSaveStep::kSyncInPlace;
    }
    return DbSaveStep::kNone;
}

// The save of a file whose folder takes no new file; see XelReplaceFile.
XelWriteResult RewriteInPlace(const XelSysCalls& sys, const std::string& target,
                              const std::string& contents, DbSaveError& why) {
    const int fd = Retry([&] { return sys.open(target.c_str(), O_RDWR | O_CLOEXEC, 0); });
    if (fd < 0) {
        Fail(why, DbSaveStep::kOpenInPlace);
        return XelWriteResult::kOpenFailed;
    }
    XelFileBytes old;
    bool ok = ReadToEnd(sys, fd, old, 0) || Fail(why, DbSaveStep::kReadOld);
    // A full disk shows here, before a byte is overwritten. A file system that cannot
    // reserve room is written without.
    if (ok && contents.size() > old.size) {
        const int reserved = Retry([&] {
            return sys.fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(contents.size()));
        });
        ok = reserved == 0 || errno == EOPNOTSUPP || errno == ENOSYS ||
             Fail(why, DbSaveStep::kReserve);
    }
    if (!ok) {
        Close(sys, fd);
        return XelWriteResult::kFailed;
    }
    const DbSaveStep failed = OverwriteWith(sys, fd, contents);
    if (failed == DbSaveStep::kNone) {
        // Once synced the new bytes are on the disk; what close reports changes nothing.
        Close(sys, fd);
        return XelWriteResult::kOk;
    }
    Fail(why, failed);
    if (OverwriteWith(sys, fd, std::string_view(old.data.get(), old.size)) != DbSaveStep::kNone) {
        FailUndo(why, DbSaveStep::kRestore, errno);
    }
    Close(sys, fd);
    return XelWriteResult::kFailed;
}

// The file a path finally names: a symbolic link is followed to its target (which may
// not exist yet), so that the link survives the replacement.
std::string ResolveTarget(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        char target[PATH_MAX];
        ssize_t n = ::readlink(current.c_str(), target, sizeof target - 1);
        if (n < 0) {
            return current;
        }
        target[n] = '\0';
        std::filesystem::path next(target);
        if (next.is_relative()) {
            next = std::filesystem::path(current).parent_path() / next;
        }
        current = next.string();
    }
    return current;
}

std::string FolderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

std::string TempNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + kXelTempMarker + std::to_string(::getpid()) + "-" + std::to_string(counter++);
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
    int fd = sys.open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) {
        return XelReadResult::kMissing;
    }
    const bool read = ReadToEnd(sys, fd, bytes, slack, cancel);
    sys.close(fd);
    return read ? XelReadResult::kOk : XelReadResult::kError;
}

int XelCreateEmpty(const std::string& path) {
    const XelSysCalls& sys = *g_sysCalls;
    // Without O_TRUNC a file that is there is left as it is; without O_EXCL a symbolic
    // link whose target is missing gets its target created, as a save would do.
    int fd = Retry([&] { return sys.open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666); });
    if (fd < 0) {
        return -1;
    }
    return Close(sys, fd) ? 0 : -1;
}

XelWriteResult XelReplaceFile(const std::string& path, const std::string& contents,
                              DbSaveError* failure) {
    return XelReplaceFile(
        path, [&contents](const XelContentWriter& write) { return write(contents); }, failure);
}

XelWriteResult XelReplaceFile(const std::string& path, const XelContentSource& contents,
                              DbSaveError* failure) {
    DbSaveError unused;
    DbSaveError& why = failure != nullptr ? *failure : unused;
    why = DbSaveError{};
    const XelSysCalls& sys = *g_sysCalls;
    const std::string target = ResolveTarget(path);

    struct stat old;
    const bool existed = ::stat(target.c_str(), &old) == 0;

    const std::string temp = TempNameFor(target);
    int fd = Retry(
        [&] { return sys.open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); });
    if (fd < 0) {
        const bool folderRefused = errno == EACCES || errno == EPERM;
        if (folderRefused && existed) {
            std::string whole;
            contents([&whole](std::string_view piece) {
                whole.append(piece);
                return true;
            });
            return RewriteInPlace(sys, target, whole, why);
        }
        Fail(why, DbSaveStep::kOpenTemp);
        return XelWriteResult::kOpenFailed;
    }
    bool ok = !existed || Retry([&] { return sys.fchmod(fd, old.st_mode & 07777); }) == 0 ||
              Fail(why, DbSaveStep::kChmodTemp);
    ok = ok && (contents([&](std::string_view piece) { return WriteAll(sys, fd, piece); }) ||
                Fail(why, DbSaveStep::kWriteTemp));
    ok = ok && (Retry([&] { return sys.fsync(fd); }) == 0 || Fail(why, DbSaveStep::kSyncTemp));
    ok = (Close(sys, fd) || Fail(why, DbSaveStep::kCloseTemp)) && ok;

    // A second name for the old file lets a failed folder sync bring it back.
    const std::string backup = temp + ".old";
    bool backedUp = false;
    int linkError = 0;
    if (ok && existed) {
        backedUp = sys.link(target.c_str(), backup.c_str()) == 0;
        linkError = backedUp ? 0 : errno;
    }
    ok = ok && (Retry([&] { return sys.rename(temp.c_str(), target.c_str()); }) == 0 ||
                Fail(why, DbSaveStep::kRename));
    if (!ok) {
        sys.unlink(temp.c_str());
        if (backedUp) {
            sys.unlink(backup.c_str());
        }
        return XelWriteResult::kFailed;
    }

    // The rename reaches the disk only with the folder's own sync.
    const std::string folder = FolderOf(target);
    if (!SyncFolder(sys, folder, why)) {
        if (backedUp) {
            if (sys.rename(backup.c_str(), target.c_str()) == 0) {
                DbSaveError ignored;
                SyncFolder(sys, folder, ignored);
            } else {
                FailUndo(why, DbSaveStep::kRenameBack, errno);
            }
        } else if (existed) {
            FailUndo(why, DbSaveStep::kLinkOld, linkError);
        }
        return XelWriteResult::kFailed;
    }
    if (backedUp) {
        sys.unlink(backup.c_str());
    }
    return XelWriteResult::kOk;
}

int XelRemoveStaleTemps(const std::string& path) {
    const std::filesystem::path target(ResolveTarget(path));
    const std::string prefix = target.filename().string() + kXelTempMarker;
    std::error_code error;
    std::filesystem::directory_iterator entries(FolderOf(target.string()), error);
    int removed = 0;
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        // "<pid>-<n>" follows the marker; a process that still runs may be saving now.
        const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        const bool gone = pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
                          errno == ESRCH;
        if (gone && g_sysCalls->unlink(entries->path().c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}
