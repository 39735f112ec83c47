#include "FileCalls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

template <class F>
auto Retry(F f) {
    auto result = f();
    for (int i = 0; i < 100 && result < 0 && errno == EINTR; ++i) {
        result = f();
    }
    return result;
}

int ErrnoOr(int fallback) {
    return errno != 0 ? errno : fallback;
}

int Open(const std::string& path, int flags, mode_t mode, FileHandle& file) {
    file = Retry([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); });
    return file >= 0 ? 0 : ErrnoOr(EIO);
}

}  // namespace

int FileOpenRead(const std::string& path, FileHandle& file) {
    return Open(path, O_RDONLY, 0, file);
}

int FileCreateNew(const std::string& path, FileHandle& file) {
    return Open(path, O_WRONLY | O_CREAT | O_EXCL, 0600, file);
}

int FileCreateNewOrdinary(const std::string& path, FileHandle& file) {
    return Open(path, O_WRONLY | O_CREAT | O_EXCL, 0666, file);
}

int64_t FileRead(FileHandle file, void* buffer, size_t size) {
    return Retry([&] { return ::read(file, buffer, size); });
}

int FileWriteAll(FileHandle file, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = Retry([&] { return ::write(file, bytes.data(), bytes.size()); });
        if (n <= 0) {
            return n == 0 ? EIO : ErrnoOr(EIO);
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
}

int FileSync(FileHandle file) {
    return Retry([&] { return ::fsync(file); }) == 0 ? 0 : ErrnoOr(EIO);
}

int FileClose(FileHandle file) {
    return ::close(file) == 0 || errno == EINTR ? 0 : ErrnoOr(EIO);
}

int FileRename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : ErrnoOr(EIO);
}

int FileRemove(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? 0 : ErrnoOr(EIO);
}

bool PathIsFree(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) != 0 && errno == ENOENT;
}

int FolderMake(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) == 0) {
        return 0;
    }
    const int error = ErrnoOr(EIO);
    if (error != EEXIST) {
        return error;
    }
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

bool FolderTakesFiles(const std::string& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

int FolderSync(const std::string& folder) {
    FileHandle dir = -1;
    if (const int error = Open(folder, O_RDONLY | O_DIRECTORY, 0, dir); error != 0) {
        return error;
    }
    const int error = FileSync(dir);
    ::close(dir);
    return error;
}
